// Work run in a child process, so that a crash in it (a loaded library's
// code) ends only the child and the parent can still clean up after it.
#pragma once
#include <functional>

struct ChildEnd {
  bool started = false;  // false: the child could not be made (errno says why)
  int exit = 0;          // its exit status, when it exited
  int signal = 0;        // the signal that ended it, else 0
};

// Runs `work` in a forked child, which ends with std::exit(work()) (the
// standard streams flushed, exit handlers run) and is killed should the
// parent die first. While it runs the parent ignores SIGINT and SIGQUIT, as
// system() does: an interrupt at the terminal ends the child, and the parent
// lives on to clean up.
ChildEnd RunInChild(const std::function<int()> &work);
