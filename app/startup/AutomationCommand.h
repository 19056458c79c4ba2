#pragma once
// One call of the automation object's DoCommandLine, without the bus: the
// command string read as the command line is, run on the object's engine,
// and what OnError then carries.
#include "startup/Startup.h"

#include <QString>
#include <QStringList>

class JobEngine;

// The text OnError carries for an invalid or missing argument. It stays
// English whatever the user's language, so that clients can rely on it.
inline const QString kAutomationInvalidArguments =
    QStringLiteral("Invalid or missing required command line argument(s)");

// The command split into arguments as a shell splits words (quotes group,
// nothing is expanded). A command without words stands for the process's
// own arguments, `processArguments`, which for an automation server are
// the automation start, so the runner refuses it. False when a quote is
// left open; `arguments` is then empty.
bool AutomationArguments(const QString& sCommand, const QStringList& processArguments, QStringList& arguments);

// Runs one command on the engine, which the object keeps between calls (so
// the office started for one call serves the next). Each call starts from
// the user's settings as a new process would: the settings file
// `sIniFilePath` (a /I of an earlier call does not carry over), the form's
// settings read again (an earlier call's passwords do not carry over), no
// earlier run error. Returns the run code; a command whose quote is left
// open is refused like any invalid line (-3).
int RunAutomationCommand(JobEngine& engine, const QString& sCommand, const QString& sIniFilePath,
                         const QStringList& processArguments, const StartupHooks& hooks);

// Whether OnError is raised for a run code, and with which text: -4 the
// last run error (empty for a job-file run), -3 kAutomationInvalidArguments.
bool bRaisesOnError(int code);
QString AutomationErrorText(int code);
