#include "shell32/child_reaper.h"

#include <cerrno>
#include <sys/wait.h>

#include <mutex>
#include <thread>
#include <vector>

namespace shell {
namespace {

std::mutex &pendingMutex() {
  static std::mutex *m = new std::mutex;
  return *m;
}

// Children whose waiting thread could not be started.
std::vector<pid_t> &pending() {
  static std::vector<pid_t> *p = new std::vector<pid_t>;
  return *p;
}

void WaitFor(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

void CollectPending() {
  std::lock_guard<std::mutex> lock(pendingMutex());
  std::vector<pid_t> &list = pending();
  for (size_t i = 0; i < list.size();) {
    int status = 0;
    pid_t r = waitpid(list[i], &status, WNOHANG);
    if (r == 0) {
      ++i;
      continue;
    }
    // Collected, or no longer ours (ECHILD): either way it is done.
    list[i] = list.back();
    list.pop_back();
  }
}

}  // namespace

void ReapInBackground(pid_t child) {
  CollectPending();
  try {
    std::thread(WaitFor, child).detach();
  } catch (...) {
    try {
      std::lock_guard<std::mutex> lock(pendingMutex());
      pending().push_back(child);
    } catch (...) {
      // No memory to remember it: wait now rather than leave a zombie behind.
      WaitFor(child);
    }
  }
}

}  // namespace shell
