// The entry point of the window's module, libtessaview_window.so.
#include "base/ProgramModule.h"
#include "startup/WindowModule.h"
#include "ui/MainWindowStart.h"
#include "ui/WindowSystem.h"

namespace {

const WindowModuleTable kTable{StartApplication, MainWindowStartupHooks};

} // namespace

TESSAVIEW_MODULE_ENTRY const void* tessaview_window_module(const char* version)
{
    return ModuleTableFor(version, &kTable);
}
