#pragma once
// Starting a program as one step of a job.
#include <QString>

#include <optional>

class JobEngine;

// The nice value of a Windows priority class in the task's priority flags
// (64 idle 19, 16384 below normal 10, 32 normal, 32768 above normal -5,
// 128 high -10, 256 realtime -20). Normal, and flags without a class, give
// none: the program runs as we do.
std::optional<int> NiceValueForPriority(int lPriorityFlags);

// Starts the program (path macros expanded, no shell; the arguments text
// split as a shell splits words) at the priority of the flags, and waits
// up to lWaitSeconds (-1: without limit) while the window stays live; a
// Pause ends the wait. 0 when it ended within the wait (its exit code in
// lExitCode), -10 when it could not be started, -11 when it was still
// running, in which case it is left running. Why a start failed, or that
// the priority could not be raised, is left in the engine's sProcessNote.
// The window state has no counterpart on Linux and is not used.
int RunProgramAndWait(JobEngine& engine, const QString& sProgram, const QString& sArguments, int lWindowState,
                      int lPriorityFlags, int lWaitSeconds, int& lExitCode);
