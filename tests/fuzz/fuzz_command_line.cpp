// Command lines: the switch reader and the parser with its validation, on
// arguments given as NUL-separated pieces of the input. Every value is
// kept inside the sandbox (relative, no "..", no path macro), the log goes
// to a file there, and /? (which opens a browser) is left out.
#include "FuzzSupport.h"

#include "core/clsConversionOptions.h"
#include "jobs/MainFormState.h"
#include "startup/CommandLine.h"

namespace {

QString confined(QString value)
{
    value.replace(u'%', u'_').replace(u'\\', u'_');
    while (value.contains(QLatin1String("..")))
        value.replace(QLatin1String(".."), QLatin1String("_."));
    return u'x' + value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Sandbox& box = fuzz::sandbox();
    box.clear();
    QStringList arguments;
    const QList<QByteArray> pieces = fuzz::bytes(data, size).split('\0');
    for (const QByteArray& piece : pieces) {
        const QString argument = QString::fromUtf8(piece);
        if (IsCommandLineSwitch(argument))
            arguments << argument;
        else
            arguments << confined(argument);
    }

    // The reader's own promises: one entry per switch argument, values
    // joined from the arguments between them.
    const QList<CommandLineSwitch> switches = ReadCommandLineSwitches(arguments);
    qsizetype switchArguments = 0;
    for (const QString& argument : std::as_const(arguments))
        switchArguments += IsCommandLineSwitch(argument) ? 1 : 0;
    fuzz::check(switches.size() == switchArguments, "switches were lost or made up");
    for (const CommandLineSwitch& s : switches)
        fuzz::check(s.letter == s.letter.toUpper(), "a switch letter was not upper case");
    StartMayOpenWindow(arguments);
    SettingsFileOfCommandLine(arguments);

    QStringList parsed;
    for (const CommandLineSwitch& s : switches) {
        if (s.letter == u'?' || s.letter == u'L' || s.letter == u'V')
            continue;
        parsed << u'/' + s.letter << s.value;
    }
    parsed << QStringLiteral("/L") << QStringLiteral("qvim.log");
    MainFormState form;
    clsConversionOptions options;
    ParseCommandLine(parsed, options, form);
    return 0;
}
