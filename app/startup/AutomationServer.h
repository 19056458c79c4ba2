#pragma once
// The automation server as the program starts it: the automation object and
// D-Bus are the module libtessaview_automation.so (startup/clsTessaview.h),
// loaded only for an automation start.
#include "startup/Startup.h"

#include <QStringList>

struct AutomationModuleTable
{
    // ServeAutomation of startup/clsTessaview.h.
    int (*serve)(const QStringList& processArguments, const StartupHooks& hooks);
};

// Serves the automation object until it is released, and returns the exit
// status; kExitAutomationUnavailable, with the reason on stderr, also when
// the module cannot be had.
int RunAutomationServer(const QStringList& processArguments, const StartupHooks& hooks);
