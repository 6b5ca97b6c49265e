// The command-line rules: which calls each valid combination makes, in which
// order, and which combinations are refused.
#include <gtest/gtest.h>

#include "regsvr_args.h"

namespace {

using Call = RegsvrCall;

struct Valid {
  std::vector<std::string> args;
  std::vector<RegsvrCall> plan;
  std::string commandLine;
  std::vector<std::string> libraries;
};

class RegsvrArgsValid : public ::testing::TestWithParam<Valid> {};

TEST_P(RegsvrArgsValid, GivesTheCallsInOrder) {
  RegsvrArgs args;
  std::string error;
  ASSERT_TRUE(ParseRegsvrArgs(GetParam().args, &args, &error)) << error;
  EXPECT_EQ(PlanCalls(args), GetParam().plan);
  EXPECT_EQ(args.installCommandLine, GetParam().commandLine);
  EXPECT_EQ(args.libraries, GetParam().libraries);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, RegsvrArgsValid,
    ::testing::Values(Valid{{"a.dll"}, {Call::RegisterServer}, "", {"a.dll"}},
                      Valid{{"-U", "a.dll"}, {Call::UnregisterServer}, "", {"a.dll"}},
                      Valid{{"/i", "a.dll"}, {Call::RegisterServer, Call::Install}, "", {"a.dll"}},
                      Valid{{"/I:User", "a.dll"}, {Call::RegisterServer, Call::Install}, "User", {"a.dll"}},
                      Valid{{"/n", "/i:user", "a.dll"}, {Call::Install}, "user", {"a.dll"}},
                      Valid{{"/u", "/i:x:y", "a.dll"}, {Call::Uninstall, Call::UnregisterServer}, "x:y", {"a.dll"}},
                      Valid{{"a.dll", "/N", "/u", "-i"}, {Call::Uninstall}, "", {"a.dll"}},
                      // Absolute paths start like switches.
                      Valid{{"/s", "/usr/lib/a.so", "/b.so", "c"},
                            {Call::RegisterServer},
                            "",
                            {"/usr/lib/a.so", "/b.so", "c"}},
                      Valid{{"/u", "--", "/u", "-s"}, {Call::UnregisterServer}, "", {"/u", "-s"}}));

TEST(RegsvrArgs, SilentAndExportAreKept) {
  RegsvrArgs args;
  std::string error;
  ASSERT_TRUE(ParseRegsvrArgs({"/S", "/EXPORT:Out File.reg", "a.dll"}, &args, &error));
  EXPECT_TRUE(args.silent);
  EXPECT_EQ(args.exportFile, "Out File.reg");
  ASSERT_TRUE(ParseRegsvrArgs({"a.dll"}, &args, &error));
  EXPECT_FALSE(args.silent);
  EXPECT_FALSE(args.exportFile);
}

class RegsvrArgsInvalid : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(RegsvrArgsInvalid, AreRefusedWithAReason) {
  RegsvrArgs args;
  std::string error;
  EXPECT_FALSE(ParseRegsvrArgs(GetParam(), &args, &error));
  EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Combinations, RegsvrArgsInvalid,
                         ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"/s", "/u"},
                                           std::vector<std::string>{"/n", "a.dll"},
                                           std::vector<std::string>{"/u", "/n", "a.dll"},
                                           std::vector<std::string>{"/x", "a.dll"},
                                           std::vector<std::string>{"-quiet", "a.dll"},
                                           std::vector<std::string>{"/export:", "a.dll"},
                                           std::vector<std::string>{"/i:user", "--"}));

}  // namespace
