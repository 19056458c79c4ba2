#pragma once
// The command-line run after its line was parsed into a valid task: runs
// the job file of /J (or opens it in the window with /O) or the single task
// of /S and /T, writes the outcome and the elapsed time to the log file,
// saves the failed items as a job file for /B, and gives the run code.
#include <functional>

class clsConversionOptions;
class JobEngine;

// Run codes.
namespace commandlinerun {
constexpr int StaysOpen = 1;   // the job was opened in the window (/O)
constexpr int Succeeded = 0;   // nothing failed
constexpr int Failed = -4;     // at least one item failed, or the run broke off
} // namespace commandlinerun

// What the window adds; each may be left empty.
struct CommandLineRunHooks
{
    std::function<void()> HideMainWindow;
    // /O: read the main form's settings again, then show the window.
    std::function<void()> ReadIniFile;
    std::function<void()> ShowMainWindow;
};

// Runs the parsed task record `options` on the engine's form. A launched
// program's log row counts as a failure only when its exit code is not 0.
// Failed runs leave the record's sErr in G_sLastRunError. An unexpected
// error ends the run with Failed.
int RunParsedCommandLine(JobEngine& engine, clsConversionOptions& options,
                         const CommandLineRunHooks& hooks = {});
