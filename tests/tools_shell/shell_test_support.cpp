#include "shell_test_support.h"

#include <dirent.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/key_handle.h"
#include "support/text.h"

extern char **environ;

namespace shell_test {

const char16_t kExtensionClsid[] = u"{1955A1E8-C828-42AF-A571-081D65B07B83}";

void SetText(HKEY root, const std::u16string &path, const char16_t *name, const std::u16string &value) {
  testing_registry::KeyHandle key;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr));
  RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
}

void RegisterExtension(HKEY root, const std::string &library) {
  const std::u16string classes = u"Software\\Classes\\";
  const std::u16string server = classes + u"CLSID\\" + kExtensionClsid + u"\\InprocServer32";
  SetText(root, server, nullptr, testing_text::U16(library));
  SetText(root, server, u"ThreadingModel", u"Apartment");
  for (const char16_t *type : {u"*", u"Folder", u"Drive", u"Directory"})
    SetText(root, classes + type + u"\\ShellEx\\ContextMenuHandlers\\TovinCopyShlExt", nullptr, kExtensionClsid);
}

namespace {

std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

RunResult RunShell(const std::vector<std::string> &args, const std::string &scratch,
                   const std::vector<std::string> &environment) {
  RunResult result;
  const std::string outPath = scratch + "/shell.out", errPath = scratch + "/shell.err";
  std::vector<std::string> words = {SHELL_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::vector<std::string> variables = environment;
  // A run that names no registry file must not reach the user's own.
  variables.push_back("XDG_STATE_HOME=" + scratch + "/state");
  for (char **e = environ; *e; ++e) variables.push_back(*e);
  std::vector<char *> envp;
  for (std::string &variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, SHELL_PATH, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return result;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  result.out = ReadFile(outPath);
  result.err = ReadFile(errPath);
  return result;
}

bool WaitForFile(const std::string &path, std::vector<std::string> *lines) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (access(path.c_str(), F_OK) != 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream in(path);
  lines->clear();
  for (std::string line; std::getline(in, line);) lines->push_back(line);
  return true;
}

}  // namespace shell_test
