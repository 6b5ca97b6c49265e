// Parsing the command line of `shell`.
#include <gtest/gtest.h>
#include <shobjidl.h>

#include "shell_args.h"

namespace {

using tools::ParseMenuFlags;
using tools::ParseShellArgs;
using tools::ShellArgs;
using tools::ShellCommand;

TEST(ShellArgs, AcceptedLines) {
  ShellArgs args;
  std::string error;
  ASSERT_TRUE(ParseShellArgs({"invoke", "a", "--item", "Paste with Tovin Copy", "b", "--flags=explore|0x10", "--",
                              "--plain"},
                             &args, &error))
      << error;
  EXPECT_EQ(ShellCommand::Invoke, args.command);
  EXPECT_EQ((std::vector<std::string>{"a", "b", "--plain"}), args.paths);
  EXPECT_EQ("Paste with Tovin Copy", args.item.value_or(""));
  EXPECT_FALSE(args.id.has_value());
  EXPECT_EQ(uint32_t(CMF_EXPLORE | CMF_CANRENAME), args.flags);
  EXPECT_FALSE(args.plain);

  ASSERT_TRUE(ParseShellArgs({"menu", "/", "--plain"}, &args, &error)) << error;
  EXPECT_EQ(ShellCommand::Menu, args.command);
  EXPECT_TRUE(args.plain);
  EXPECT_EQ(uint32_t(CMF_NORMAL), args.flags);

  ASSERT_TRUE(ParseShellArgs({"invoke", "/", "--id", "7"}, &args, &error)) << error;
  EXPECT_EQ(7u, args.id.value_or(0));
}

TEST(ShellArgs, RefusedLinesSayWhy) {
  const struct {
    std::vector<std::string> line;
    const char *reason;
  } cases[] = {
      {{}, "no command"},
      {{"frob", "/"}, "unknown command"},
      {{"menu"}, "no path"},
      {{"invoke", "", "--id", "1"}, "empty path"},
      {{"menu", "/", "--", ""}, "empty path"},
      {{"menu", "/", "--bogus"}, "unknown option"},
      {{"menu", "/", "--flags"}, "needs a value"},
      {{"menu", "/", "--flags", "CMF_BOGUS"}, "invalid --flags"},
      {{"menu", "/", "--flags", "1||2"}, "invalid --flags"},
      {{"menu", "/", "--flags", "0x100000000"}, "invalid --flags"},
      {{"menu", "/", "--id", "1"}, "belong to the invoke"},
      {{"why", "/", "--item", "x"}, "belong to the invoke"},
      {{"invoke", "/"}, "needs --item"},
      {{"invoke", "/", "--item", "x", "--id", "1"}, "not both"},
      {{"invoke", "/", "--id", "-1"}, "invalid --id"},
      {{"invoke", "/", "--id", "1x"}, "invalid --id"},
  };
  for (const auto &c : cases) {
    ShellArgs args;
    std::string error;
    EXPECT_FALSE(ParseShellArgs(c.line, &args, &error)) << ::testing::PrintToString(c.line);
    EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
  }
}

TEST(ShellArgs, FlagNamesHaveTheSdkValues) {
  const struct {
    const char *text;
    uint32_t flags;
  } cases[] = {
      {"CMF_NORMAL", 0x0},
      {"CMF_DEFAULTONLY", 0x1},
      {"cmf_verbsonly", 0x2},
      {"EXPLORE", 0x4},
      {"CMF_NOVERBS", 0x8},
      {"CMF_CANRENAME", 0x10},
      {"CMF_NODEFAULT", 0x20},
      {"CMF_ITEMMENU", 0x80},
      {"CMF_EXTENDEDVERBS", 0x100},
      {"CMF_DISABLEDVERBS", 0x200},
      {"CMF_OPTIMIZEFORINVOKE", 0x800},
      {"CMF_DONOTPICKDEFAULT", 0x2000},
      {"CMF_EXPLORE,CMF_EXTENDEDVERBS+1", 0x105},
      {"4294967295", 0xFFFFFFFF},
  };
  for (const auto &c : cases) {
    uint32_t flags = 0xDEAD;
    EXPECT_TRUE(ParseMenuFlags(c.text, &flags)) << c.text;
    EXPECT_EQ(c.flags, flags) << c.text;
  }
}

}  // namespace
