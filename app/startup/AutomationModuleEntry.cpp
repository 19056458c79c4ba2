// The entry point of the automation module, libtessaview_automation.so.
#include "base/ProgramModule.h"
#include "startup/AutomationServer.h"
#include "startup/clsTessaview.h"

namespace {

int serve(const QStringList& processArguments, const StartupHooks& hooks)
{
    return ServeAutomation(processArguments, hooks);
}

const AutomationModuleTable kTable{serve};

} // namespace

TESSAVIEW_MODULE_ENTRY const void* tessaview_automation_module(const char* version)
{
    return ModuleTableFor(version, &kTable);
}
