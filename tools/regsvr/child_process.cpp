#include "child_process.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>

ChildEnd RunInChild(const std::function<int()> &work) {
  // Output buffered now would otherwise be written twice.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  struct sigaction ignore {}, oldInt {}, oldQuit {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &oldInt);
  sigaction(SIGQUIT, &ignore, &oldQuit);
  const pid_t parent = getpid();
  ChildEnd end;
  const pid_t child = fork();
  if (child == 0) {
    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGQUIT, &oldQuit, nullptr);
    // Work for a parent that is gone would leave what it makes to nobody.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) std::_Exit(127);
    std::exit(work());
  }
  if (child > 0) {
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    end.started = waited == child;
    if (WIFEXITED(status)) end.exit = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  }
  const int savedErrno = errno;
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGQUIT, &oldQuit, nullptr);
  errno = savedErrno;
  return end;
}
