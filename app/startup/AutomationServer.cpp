#include "startup/AutomationServer.h"

#include "base/ProgramModule.h"

#include <cstdio>

extern "C" const void* tessaview_automation_module(const char* version) __attribute__((weak));

int RunAutomationServer(const QStringList& processArguments, const StartupHooks& hooks)
{
    QString error;
    const auto* module = ProgramModuleTable<AutomationModuleTable>(
        tessaview_automation_module, "libtessaview_automation.so", "tessaview_automation_module", error);
    if (!module) {
        std::fprintf(stderr, "qvim: the automation object cannot be served: %s\n", qPrintable(error));
        return kExitAutomationUnavailable;
    }
    return module->serve(processArguments, hooks);
}
