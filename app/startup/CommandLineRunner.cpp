#include "CommandLineRunner.h"

#include "startup/CommandLine.h"
#include "core/Globals.h"
#include "core/LogFile.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"

#include <exception>

int RunCommandLine(MainFormState& form, const QStringList& arguments, const StartupHooks& hooks)
{
    clsConversionOptions options;
    try {
        if (!ParseCommandLine(arguments, options, form)) {
            G_bPostErrorLevel = options.bPostErrorLevel;
            if (!arguments.isEmpty()) {
                WriteMessageToLogFile(Translate(QStringLiteral("Missing required or invalid command line argument(s)")),
                                      options.sLogFile, options.bVerbose);
                return runcode::InvalidArguments;
            }
            ShowMainWindow(form, hooks);
            return runcode::StayOpen;
        }
        if (!options.sIniFileOverride.isEmpty()) {
            G_IniFilePath = options.sIniFileOverride;
            ReloadMainFormSettings(form, hooks);
        }
        G_bPostErrorLevel = options.bPostErrorLevel;
        if (hooks.RunParsedCommandLine)
            return hooks.RunParsedCommandLine(form, options, hooks);
        return RunParsedCommandLine(form, options, hooks);
    } catch (const std::exception&) {
        // Nothing is claimed for a run that broke off.
        G_sLastRunError = options.sErr;
        return runcode::RunFailed;
    }
}
