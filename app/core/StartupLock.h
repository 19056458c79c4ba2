#pragma once
// The start-up lock: serialises the start-up spans and the log-file appends
// of all processes of the program run by one user. The lock file lives in
// $XDG_RUNTIME_DIR (tests point that variable at a folder of their own).
#include "base/NamedLock.h"

// The process's one handle of the lock; open while the lock is held.
extern NamedLock G_hGlobalMutex;

// Takes the lock "Folioshift_Global_Mutex", waiting without time-out. Each
// call gives the calling thread one ownership; a thread that already holds
// the lock gets it again at once. A failure to open or take the lock is
// ignored: the caller goes on as if it held it.
void AcquireGlobalMutex();

// Gives back one ownership; the last one releases the lock and closes the
// handle. Harmless when the calling thread does not hold the lock.
void ReleaseGlobalMutex();
