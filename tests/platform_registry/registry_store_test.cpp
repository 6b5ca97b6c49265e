// The database file: permissions, sharing between processes, configuration by
// environment, and concurrent use from several threads.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform_seams.h"
#include "registry_fixture.h"
#include "support/temp_directory.h"

namespace registry_test {
namespace {

class RegistryFile : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ASSERT_FALSE(scratch_.path().empty());
    dir_ = scratch_.path();
    file_ = dir_ + "/registry.db";
  }
  // Runs the peer process on the same file and returns its output line.
  std::string Peer(const std::string &arguments, const std::string &environment = "") {
    std::string command = "TOVIN_REGISTRY_FILE='" + file_ + "' " + environment + " '" REGISTRY_PEER_PATH "' " + arguments;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return "popen failed";
    char line[512] = {};
    std::string out = std::fgets(line, sizeof line, pipe) ? line : "";
    const int status = pclose(pipe);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    // A peer that ended badly, a checker's report at its exit included, fails the comparison.
    if (status != 0) out += " (peer status " + std::to_string(status) + ")";
    return out;
  }

  testing_files::TempDirectory scratch_;
  std::string dir_;
  std::string file_;
};

TEST_F(RegistryFile, IsCreatedOnFirstUseForTheOwnerOnly) {
  mode_t previous = umask(0);
  seams::SetRegistryFile(file_);
  EXPECT_FALSE(std::filesystem::exists(file_));
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\First"), ERROR_SUCCESS);
  umask(previous);
  struct stat info {};
  ASSERT_EQ(stat(file_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(RegistryFile, UnusableFileFailsCallsWithoutCrashing) {
  seams::SetRegistryFile(dir_ + "/missing/dir/registry.db");
  EXPECT_EQ(Create(HKEY_CURRENT_USER, "Software\\X"), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryFile, TwoProcessesShareOneFile) {
  seams::SetRegistryFile(file_);
  Key key;
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Tovin Copy", &key), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.get(), "CopyApp", "C:\\copy.exe"), ERROR_SUCCESS);
  EXPECT_EQ(Peer("get HKCU \"Software\\\\tovin copy\" copyapp"), "0 C:\\copy.exe");

  EXPECT_EQ(Peer("set HKCU \"Software\\\\Tovin Copy\" CopyBmp menu.bmp"), "0");
  EXPECT_EQ(GetString(key.get(), "CopyBmp"), "menu.bmp") << "an open handle sees the other process's write";

  EXPECT_EQ(Peer("delete HKCU \"Software\\\\Tovin Copy\""), "0");
  LSTATUS status = 0;
  GetString(key.get(), "CopyApp", &status);
  EXPECT_EQ(status, ERROR_KEY_DELETED) << "and its delete";

  // A fresh start of this process finds what the file holds.
  ASSERT_EQ(Peer("set HKLM SOFTWARE\\\\Kept v persisted"), "0");
  seams::ResetRegistry();
  seams::SetRegistryFile(file_);
  EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kept", "v"), "persisted");
}

TEST_F(RegistryFile, EnvironmentChoosesTheFileAndTheReadOnlyMachine) {
  EXPECT_EQ(Peer("set HKLM SOFTWARE\\\\Env v 1"), "0");
  EXPECT_EQ(Peer("set HKLM SOFTWARE\\\\Env v 2", "TOVIN_REGISTRY_MACHINE_READONLY=1"), "5");
  EXPECT_EQ(Peer("set HKCU Software\\\\Env v 3", "TOVIN_REGISTRY_MACHINE_READONLY=1"), "0");
  EXPECT_EQ(Peer("get HKLM SOFTWARE\\\\Env v", "TOVIN_REGISTRY_MACHINE_READONLY=1"), "0 1");
  seams::SetRegistryFile(file_);
  EXPECT_EQ(Read(HKEY_CURRENT_USER, "Software\\Env", "v"), "3");
}

TEST_F(RegistryFile, ConcurrentProcessesLoseNoWrites) {
  seams::SetRegistryFile(file_);
  ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Many"), ERROR_SUCCESS);
  constexpr int kPeers = 3, kKeys = 40;
  std::vector<FILE *> pipes;
  for (int p = 0; p < kPeers; ++p) {
    std::string command = "TOVIN_REGISTRY_FILE='" + file_ + "' '" REGISTRY_PEER_PATH "' fill HKCU Software\\\\Many\\\\p" +
                          std::to_string(p) + " " + std::to_string(kKeys);
    pipes.push_back(popen(command.c_str(), "r"));
    ASSERT_NE(pipes.back(), nullptr);
  }
  // This process writes meanwhile as well.
  for (int i = 0; i < kKeys; ++i) ASSERT_EQ(Create(HKEY_CURRENT_USER, "Software\\Many\\self\\k" + std::to_string(i)), 0);
  for (FILE *pipe : pipes) {
    char line[32] = {};
    EXPECT_STREQ(std::fgets(line, sizeof line, pipe), "0\n");
    EXPECT_EQ(pclose(pipe), 0);
  }
  for (int p = 0; p < kPeers; ++p) {
    std::string base = "Software\\Many\\p" + std::to_string(p);
    EXPECT_EQ(Subkeys(HKEY_CURRENT_USER, base).size(), size_t(kKeys));
    EXPECT_EQ(Read(HKEY_CURRENT_USER, base + "\\k17", "n"), "17");
  }
}

class RegistryThreads : public RegistryTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RegistryThreads, CreateAndDeleteFromSeveralThreads) {
  const testing_files::TempDirectory scratch;
  if (GetParam()) {
    ASSERT_FALSE(scratch.path().empty());
    seams::SetRegistryFile(scratch.path() + "/registry.db");
  }
  constexpr int kThreads = 4, kRounds = 60;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      std::string mine = "Software\\Threads\\t" + std::to_string(t);
      for (int i = 0; i < kRounds; ++i) {
        Key key;
        std::string path = mine + "\\k" + std::to_string(i);
        if (Create(HKEY_CURRENT_USER, path, &key) != ERROR_SUCCESS) ++failures;
        if (SetString(key.get(), "v", std::to_string(i)) != ERROR_SUCCESS) ++failures;
        if (Create(HKEY_CURRENT_USER, "Software\\Threads\\Common") != ERROR_SUCCESS) ++failures;
        if (GetString(key.get(), "v") != std::to_string(i)) ++failures;
        if (i % 2 && RegDeleteKeyW(HKEY_CURRENT_USER, U16(path).c_str()) != ERROR_SUCCESS) ++failures;
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  for (int t = 0; t < kThreads; ++t)
    EXPECT_EQ(Subkeys(HKEY_CURRENT_USER, "Software\\Threads\\t" + std::to_string(t)).size(), size_t(kRounds / 2));
  if (GetParam()) seams::SetRegistryFile("");
}

INSTANTIATE_TEST_SUITE_P(Stores, RegistryThreads, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "File" : "Memory"; });

}  // namespace
}  // namespace registry_test
