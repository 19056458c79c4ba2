#include "CommandLineRunner.h"

#include "startup/CommandLine.h"
#include "base/Profile.h"
#include "core/DataFolder.h"
#include "core/Globals.h"
#include "core/LogFile.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"

#include "base/MessageSink.h"

#include <exception>

namespace {

// The sink a verbose run's messages go to, for the run; then the one
// before, unless the run put another in place (the window it opened).
class VerboseMessagesScope
{
public:
    VerboseMessagesScope(MessageSink* sink, bool verbose)
        : m_sink(verbose ? sink : nullptr), m_previous(&CurrentMessageSink())
    {
        if (m_sink)
            SetMessageSink(m_sink);
    }
    ~VerboseMessagesScope()
    {
        if (m_sink && &CurrentMessageSink() == m_sink)
            SetMessageSink(m_previous);
    }
    VerboseMessagesScope(const VerboseMessagesScope&) = delete;
    VerboseMessagesScope& operator=(const VerboseMessagesScope&) = delete;

private:
    MessageSink* m_sink;
    MessageSink* m_previous;
};

} // namespace

int RunCommandLine(MainFormState& form, const QStringList& arguments, const StartupHooks& hooks)
{
    clsConversionOptions options;
    const VerboseMessagesScope boxes(hooks.VerboseMessages, LineIsVerbose(arguments));
    try {
        // The settings file of /I is read before the switches are applied,
        // so that /Z and /W override the passwords it holds and the task is
        // checked against its settings.
        const QString settingsFile = SettingsFileOfCommandLine(arguments);
        if (!settingsFile.isEmpty()) {
            G_bCommandLineMode = true;
            // Not text: its reads give the defaults and nothing writes it;
            // the file the user named stays where it is.
            if (IsDamagedProfile(settingsFile))
                ReportUnreadableSettingsFile(settingsFile, QString(), QString());
            G_IniFilePath = settingsFile;
            ReloadMainFormSettings(form, hooks);
        }
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
