#include "startup/WindowModule.h"

#include "base/ProgramModule.h"
#include "core/DataFolder.h"
#include "core/Translator.h"
#include "startup/CommandLine.h"

#include <cstdio>

bool DisplayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !qEnvironmentVariableIsEmpty("DISPLAY");
}

bool StartWantsWidgets(const QStringList& arguments)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && StartMayOpenWindow(arguments))
        return true;
    return DisplayAvailable()
           && (StartMayOpenWindow(arguments) || LineIsVerbose(arguments) || IsAutomationStart(arguments)
               || FirstRunLanguageQuestionDue(DefaultIniFilePath()));
}

std::unique_ptr<QCoreApplication> StartWindowApplication(int& argc, char** argv, StartupHooks& hooks)
{
    QString error;
    const auto* module = static_cast<const WindowModuleTable*>(
        LoadProgramModule("libtessaview_window.so", "tessaview_window_module", error));
    if (!module) {
        std::fprintf(stderr, "qvim: no window can be shown: %s\n", qPrintable(error));
        // That is all there is to say of a main window asked for.
        hooks.ShowMainWindow = [](MainFormState&) {};
        return nullptr;
    }
    std::unique_ptr<QCoreApplication> app = module->startApplication(argc, argv);
    hooks = module->startupHooks();
    return app;
}

StartupHooks WindowlessStartupHooks()
{
    StartupHooks hooks;
    hooks.ShowMainWindow = [](MainFormState&) { NoDisplayForMainWindow(); };
    return hooks;
}

void NoDisplayForMainWindow()
{
    std::fputs("qvim: there is no display to show the main window on\n", stderr);
}
