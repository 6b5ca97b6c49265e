// Where the host programs find their registry file: the default path, and the
// precedence of --registry over TOVIN_REGISTRY_FILE over the default.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "registry_location.h"
#include "support/temp_directory.h"

namespace {

TEST(RegistryLocation, DefaultFile) {
  const struct {
    const char *xdg;
    const char *home;
    const char *file;
  } cases[] = {
      {"/state", "/home/u", "/state/tovincopyshl/registry.db"},
      {"/state/", "/home/u", "/state/tovincopyshl/registry.db"},
      {"relative/state", "/home/u", "/home/u/.local/state/tovincopyshl/registry.db"},
      {"", "/home/u", "/home/u/.local/state/tovincopyshl/registry.db"},
      {nullptr, "/home/u", "/home/u/.local/state/tovincopyshl/registry.db"},
  };
  for (const auto &c : cases) EXPECT_EQ(tools::DefaultRegistryFile(c.xdg, c.home), c.file) << c.xdg;
}

class ChooseRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
    ::setenv("XDG_STATE_HOME", (dir_ + "/state").c_str(), 1);
    ::unsetenv("TOVIN_REGISTRY_FILE");
  }
  std::string Choose(std::vector<std::string> args, std::vector<std::string> rest) {
    std::string file, error;
    EXPECT_TRUE(tools::ChooseRegistryFile(&args, &file, &error)) << error;
    EXPECT_EQ(args, rest);
    EXPECT_STREQ(std::getenv("TOVIN_REGISTRY_FILE"), file.c_str());
    return file;
  }

  testing_files::TempDirectory scratch_;
  std::string dir_;
};

TEST_F(ChooseRegistry, OptionOverEnvironmentOverDefault) {
  const std::string made = dir_ + "/state/tovincopyshl";
  EXPECT_EQ(Choose({"query", "HKCU"}, {"query", "HKCU"}), made + "/registry.db");
  struct stat info {};
  ASSERT_EQ(::stat(made.c_str(), &info), 0) << "the default directory is made";
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  ::setenv("TOVIN_REGISTRY_FILE", "/env.db", 1);
  EXPECT_EQ(Choose({"query", "HKCU"}, {"query", "HKCU"}), "/env.db");
  EXPECT_EQ(Choose({"--registry", "/a.db", "query"}, {"query"}), "/a.db");
  EXPECT_EQ(Choose({"query", "--registry=/b.db", "HKCU"}, {"query", "HKCU"}), "/b.db");
}

TEST_F(ChooseRegistry, UnusableChoicesAreRefusedWithTheEnvironmentUnchanged) {
  // The default directory below a plain file cannot be made.
  std::fclose(std::fopen((dir_ + "/plain").c_str(), "w"));
  ::setenv("XDG_STATE_HOME", (dir_ + "/plain/state").c_str(), 1);
  std::vector<std::string> none;
  std::string error;
  EXPECT_FALSE(tools::ChooseRegistryFile(&none, nullptr, &error));
  EXPECT_EQ(error.rfind("cannot create directory " + dir_ + "/plain/state", 0), 0u) << error;

  for (std::vector<std::string> args : {std::vector<std::string>{"query", "--registry"}, {"--registry="}, {"--registry", ""}}) {
    std::vector<std::string> kept = args;
    EXPECT_FALSE(tools::ChooseRegistryFile(&args, nullptr, &error));
    EXPECT_EQ(error, "--registry needs a file name");
    EXPECT_EQ(args, kept);
    EXPECT_EQ(std::getenv("TOVIN_REGISTRY_FILE"), nullptr);
  }
}

}  // namespace
