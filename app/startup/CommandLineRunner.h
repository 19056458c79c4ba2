#pragma once
// Runs one command line from start to end and returns its run code
// (runcode:: in core/Startup.h).
#include "startup/Startup.h"

#include <QStringList>

class clsConversionOptions;
class MainFormState;

// Parses the arguments into a task record. No arguments: a windowed start,
// the main window shows and the code is 1. Invalid arguments: "Missing
// required or invalid command line argument(s)" goes to the log file after
// the validation message, and the code is -3. /I replaces the settings
// file, whose settings the form reads before the switches are applied. A
// valid line: /P is noted in G_bPostErrorLevel, and the run goes on in the
// hooks' RunParsedCommandLine.
int RunCommandLine(MainFormState& form, const QStringList& arguments, const StartupHooks& hooks = {});

// Everything after a valid parse: runs the job file (or opens it with /O)
// or the single task, logs the outcome and the time taken, saves the failed
// items with /B, and returns the run code. This is the one place the job
// loop plugs into the command line.
int RunParsedCommandLine(MainFormState& form, clsConversionOptions& options, const StartupHooks& hooks);
