#include "Startup.h"

#include "startup/CommandLine.h"
#include "startup/CommandLineHelp.h"
#include "startup/CommandLineRunner.h"
#include "startup/AutomationServer.h"
#include "core/DataFolder.h"
#include "startup/DemoData.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/Help.h"
#include "core/StartupLock.h"
#include "core/Translator.h"
#include "jobs/MainFormSettings.h"
#include "jobs/MainFormState.h"

#include "base/StopSignals.h"
#include "office/OfficeProfiles.h"

#include <QCoreApplication>

#include <cstdio>

void ShowMainWindow(MainFormState& form, const StartupHooks& hooks)
{
    if (hooks.ShowMainWindow)
        hooks.ShowMainWindow(form);
    else
        std::fputs("qvim: the main window is not available in this program yet\n", stderr);
}

void ReloadMainFormSettings(MainFormState& form, const StartupHooks& hooks)
{
    if (hooks.ReadIniFile)
        hooks.ReadIniFile(form);
    else
        ReadIniFile(form);
}

int ExitStatusForRunCode(int code, const StartupHooks& hooks)
{
    switch (code) {
    case runcode::StayOpen:
        // A stop asked for while the window opened: the opening may have
        // taken the loop's end request before the loop ran, so the loop is
        // not entered.
        if (StopSignalNumber() != 0) {
            if (hooks.CloseMainWindow)
                hooks.CloseMainWindow();
            return runcode::StayOpen;
        }
        return hooks.RunWindowLoop ? hooks.RunWindowLoop() : runcode::StayOpen;
    case runcode::Success:
    case runcode::InvalidArguments:
    case runcode::RunFailed:
        return G_bPostErrorLevel ? code : 0;
    default:
        return 0;
    }
}

namespace {

// SIGTERM, SIGINT and SIGHUP stop a run as Pause does (the run tests for
// it where it yields) and end an event loop; the run's engine then quits
// its office and removes its profile, and the process ends with 128 + the
// signal's number.
void WatchStopSignals()
{
    InstallStopSignals();
    static StopAction endEventLoop([](int signal) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [signal] { QCoreApplication::exit(StopExitStatus(signal)); },
                                      Qt::QueuedConnection);
    });
}

int StatusUnlessStopped(int status)
{
    const int signal = StopSignalNumber();
    return signal != 0 ? StopExitStatus(signal) : status;
}

} // namespace

int Main(const QStringList& arguments, const StartupHooks& hooks)
{
    // --help and --version are answered before anything is looked for or
    // written.
    if (const std::optional<int> status = AnswerHelpOrVersion(arguments))
        return *status;
    WatchStopSignals();
    // Processes that were killed left their temporary folders and office
    // profiles behind; every start removes them, an automation start too.
    SweepStaleTemporaryFolders();
    if (IsAutomationStart(arguments))
        return StatusUnlessStopped(RunAutomationServer(arguments, hooks));

    AcquireGlobalMutex();
    G_IniFilePath = GetIniFilePath(kProductCode);
    G_UserDataFolder = ExpandPathMacros(QStringLiteral("%appdata%/Kestrova, Inc/Tessaview/"));
    InstallDemoDataOnFirstRun();
    InitializeTranslator();
    InitHelpFile(G_sLanguage);
    ReleaseGlobalMutex();

    // The form reads its settings before any switch is read; a start with
    // arguments is a command-line run, whose read leaves the window alone.
    G_bCommandLineMode = !arguments.isEmpty();
    MainFormState form;
    ReloadMainFormSettings(form, hooks);
    return StatusUnlessStopped(ExitStatusForRunCode(RunCommandLine(form, arguments, hooks), hooks));
}
