// The command line after a valid parse. Conversions are not built into this
// program yet: a job or task is refused with a clear failure, and opening a
// job in the window shows the window.
#include "core/CommandLineRunner.h"

#include "core/Globals.h"
#include "core/LogFile.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "jobs/MainFormState.h"

int RunParsedCommandLine(MainFormState& form, clsConversionOptions& options, const StartupHooks& hooks)
{
    if (!options.sCLBatchJobFile.isEmpty() && options.bOpenButDoNotRun) {
        form.bRunning = false;
        ReloadMainFormSettings(form, hooks);
        ShowMainWindow(form, hooks);
        return runcode::StayOpen;
    }
    options.sErr = Translate(QStringLiteral("Conversion is not available yet"));
    WriteMessageToLogFile(options.sErr, options.sLogFile, options.bVerbose);
    G_sLastRunError = options.sErr;
    return runcode::RunFailed;
}
