#include "startup/AutomationCommand.h"

#include "core/Globals.h"
#include "core/LogFile.h"
#include "core/Translator.h"
#include "engine/JobEngine.h"
#include "jobs/MainFormState.h"
#include "process/ShellWords.h"
#include "startup/CommandLineRun.h"
#include "startup/CommandLineRunner.h"

bool AutomationArguments(const QString& sCommand, const QStringList& processArguments, QStringList& arguments)
{
    if (!SplitShellWords(sCommand, arguments))
        return false;
    if (arguments.isEmpty())
        arguments = processArguments;
    return true;
}

int RunAutomationCommand(JobEngine& engine, const QString& sCommand, const QString& sIniFilePath,
                         const QStringList& processArguments, const StartupHooks& hooks)
{
    MainFormState& form = engine.form;
    G_IniFilePath = sIniFilePath;
    G_sLastRunError.clear();
    // As a command-line start reads them: without the window's steps.
    G_bCommandLineMode = true;
    ReloadMainFormSettings(form, hooks);

    QStringList arguments;
    if (!AutomationArguments(sCommand, processArguments, arguments)) {
        WriteMessageToLogFile(Translate(QStringLiteral("Missing required or invalid command line argument(s)")),
                              QString(), false);
        return runcode::InvalidArguments;
    }
    StartupHooks runHooks = hooks;
    if (!runHooks.RunParsedCommandLine)
        runHooks.RunParsedCommandLine = [&engine](MainFormState&, clsConversionOptions& options,
                                                  const StartupHooks& h) {
            return RunParsedCommandLine(engine, options, h);
        };
    return RunCommandLine(form, arguments, runHooks);
}

bool bRaisesOnError(int code)
{
    return code == runcode::InvalidArguments || code == runcode::RunFailed;
}

QString AutomationErrorText(int code)
{
    if (code == runcode::InvalidArguments)
        return kAutomationInvalidArguments;
    if (code == runcode::RunFailed)
        return G_sLastRunError;
    return QString();
}
