#include "processes_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char **environ;

namespace processes {

pid_t Start(const std::vector<std::string> &argv, int *output) {
  int pipeEnds[2] = {-1, -1};
  if (output && pipe2(pipeEnds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output)
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char *> args;
  for (const std::string &arg : argv) args.push_back(const_cast<char *>(arg.c_str()));
  args.push_back(nullptr);
  pid_t child = -1;
  if (posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ) != 0) child = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (output) {
    close(pipeEnds[1]);
    *output = pipeEnds[0];
  }
  return child;
}

int Finish(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

int Run(const std::vector<std::string> &argv, std::string *text) {
  int output = -1;
  pid_t child = Start(argv, text ? &output : nullptr);
  if (child < 0) return -1;
  if (text) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(output, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
      if (n > 0) text->append(buffer, static_cast<size_t>(n));
    close(output);
  }
  return Finish(child);
}

std::string IntegrityCheck(const std::string &database) {
  sqlite3 *db = nullptr;
  // Read-write, as the next program to use the file opens it: a write-ahead
  // log left by a killed writer is recovered only by a connection that may write.
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : "cannot open";
    sqlite3_close(db);
    return message;
  }
  sqlite3_busy_timeout(db, 20000);
  std::string result;
  sqlite3_stmt *statement = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) != SQLITE_OK) {
    result = sqlite3_errmsg(db);
  } else {
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
      if (!result.empty()) result += "\n";
      result += reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
    }
    if (rc != SQLITE_DONE) result += std::string(result.empty() ? "" : "\n") + sqlite3_errmsg(db);
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return result;
}

unsigned Setting(const char *name, unsigned fallback) {
  const char *text = std::getenv(name);
  if (!text || !*text) return fallback;
  char *end = nullptr;
  unsigned long value = std::strtoul(text, &end, 10);
  return *end == 0 ? static_cast<unsigned>(value) : fallback;
}

}  // namespace processes
