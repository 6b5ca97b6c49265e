// Host programs run as child processes against one registry file, and checks
// of that file as SQLite sees it.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace processes {

// Starts `argv` with standard input and output on /dev/null (standard output
// into `output`'s pipe when given). Returns the child's id, or -1.
pid_t Start(const std::vector<std::string> &argv, int *output = nullptr);
// Waits for the child: its exit status, or 128 + the signal that ended it.
int Finish(pid_t child);
// Runs `argv` to its end: its exit status as Finish gives it; *text gets its
// standard output when given.
int Run(const std::vector<std::string> &argv, std::string *text = nullptr);

// "ok" when SQLite opens the existing file (recovering what a killed writer
// left, as any next user does) and PRAGMA integrity_check passes, else what
// it reports.
std::string IntegrityCheck(const std::string &database);

// A whole number from the environment variable `name`, or `fallback`.
unsigned Setting(const char *name, unsigned fallback);

}  // namespace processes
