#pragma once
// Waiting for a child process of our own to end without polling on a
// timer: a pidfd becomes readable the moment the child exits.
#include <sys/types.h>

// A close-on-exec pidfd for `pid`, or -1 where the kernel has none. The
// pid must be a child not yet reaped, so it cannot name a stranger.
int OpenChildPidFd(pid_t pid);

// Waits up to `milliseconds` for the child behind `pidFd` to end (it is not
// reaped here). True when it ended.
bool WaitForChildPidFd(int pidFd, int milliseconds);
