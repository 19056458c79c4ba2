#pragma once
// The command-line run after its line was parsed into a valid task: runs
// the job file of /J (or opens it in the window with /O) or the single task
// of /S and /T, writes the outcome and the elapsed time to the log file,
// saves the failed items as a job file for /B, and gives the run code
// (runcode:: in core/Startup.h).
#include "startup/Startup.h"

class clsConversionOptions;
class JobEngine;

// Runs the parsed task record `options` on the engine's form. A launched
// program's log row counts as a failure only when its exit code is not 0.
// Failed runs leave the record's sErr in G_sLastRunError. An unexpected
// error ends the run with runcode::RunFailed.
int RunParsedCommandLine(JobEngine& engine, clsConversionOptions& options, const StartupHooks& hooks = {});
