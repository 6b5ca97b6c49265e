// Collection of the exit status of programs the shell started, so that a
// long-lived host accumulates no finished children.
#pragma once
#include <sys/types.h>

namespace shell {

// Arranges for the child to be waited for in the background. Never fails: a
// child that cannot get its own waiting thread is collected by a later call.
void ReapInBackground(pid_t child);

}  // namespace shell
