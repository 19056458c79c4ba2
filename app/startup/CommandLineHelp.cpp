#include "startup/CommandLineHelp.h"

#include "core/DataFolder.h"
#include "core/FileSystem.h"
#include "core/Help.h"
#include "core/ProgramVersion.h"
#include "core/Translator.h"
#include "startup/CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cstdio>

// kCommandLineUsage, made at build time from data/help/command-line.html.
#include "CommandLineUsage.inc"

namespace {

enum class Request { None, Help, Version };

Request requestOf(const QStringList& arguments)
{
    for (const QString& a : ArgumentsBeforeFirstSwitch(arguments)) {
        if (a == QLatin1String("-h") || a == QLatin1String("--help") || a == QLatin1String("-?"))
            return Request::Help;
        if (a == QLatin1String("--version"))
            return Request::Version;
    }
    return Request::None;
}

void writeToStdout(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

QString joinedWords(const QStringList& words)
{
    QStringList quoted;
    for (const QString& w : words)
        quoted << ShellQuoted(w);
    return quoted.join(u' ');
}

bool isPathSwitch(const QString& argument)
{
    return IsCommandLineSwitch(argument) && (argument.at(1).toUpper() == u'S' || argument.at(1).toUpper() == u'T');
}

// The arguments of the switch at `at`, up to the next switch.
QStringList valuesAfter(const QStringList& arguments, qsizetype at)
{
    QStringList values;
    for (qsizetype i = at + 1; i < arguments.size() && !IsCommandLineSwitch(arguments.at(i)); ++i)
        values << arguments.at(i);
    return values;
}

bool exists(const QString& typed)
{
    return QFileInfo::exists(ResolveCommandLinePath(typed));
}

// Several values that each name an existing path, where the value they
// make together names none: what a shell puts in place of a wildcard.
bool isShellExpansion(const QStringList& values)
{
    if (values.size() < 2 || exists(values.join(u' ')))
        return false;
    for (const QString& v : values)
        if (!exists(v))
            return false;
    return true;
}

QString commonPrefix(const QStringList& names)
{
    QString prefix = names.first();
    for (const QString& n : names)
        while (!n.startsWith(prefix))
            prefix.chop(1);
    return prefix;
}

QString commonSuffix(const QStringList& names, qsizetype room)
{
    QString suffix = names.first().right(room);
    for (const QString& n : names)
        while (!n.endsWith(suffix))
            suffix.remove(0, 1);
    return suffix;
}

// The one wildcard in one folder that matches exactly these paths, with
// the folder as the user typed it; "" when there is none. "*" and the
// extension the names share comes first, as most people type it.
QString wildcardOf(const QStringList& values)
{
    const QString folder = values.first().left(values.first().lastIndexOf(u'/') + 1);
    QStringList names;
    for (const QString& v : values) {
        if (!v.startsWith(folder) || v.indexOf(u'/', folder.size()) >= 0)
            return QString();
        names << v.mid(folder.size());
    }
    QString extension = names.first().mid(names.first().lastIndexOf(u'.'));
    for (const QString& n : names)
        if (n.lastIndexOf(u'.') <= 0 || !n.endsWith(extension))
            extension.clear();
    const QString prefix = commonPrefix(names);
    qsizetype shortest = names.first().size();
    for (const QString& n : names)
        shortest = std::min(shortest, n.size());
    const QString suffix = commonSuffix(names, shortest - prefix.size());

    // The shell's "*" passes over hidden names and keeps to letter case.
    const QDir listed(ResolveCommandLinePath(folder.isEmpty() ? QStringLiteral(".") : folder));
    const QSet<QString> given(names.cbegin(), names.cend());
    for (const QString& pattern : QStringList{u'*' + extension, prefix + u'*' + suffix}) {
        const QStringList matched =
            listed.entryList({pattern}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::CaseSensitive);
        if (QSet<QString>(matched.cbegin(), matched.cend()) == given)
            return folder + pattern;
    }
    return QString();
}

} // namespace

QStringList ArgumentsBeforeFirstSwitch(const QStringList& arguments)
{
    QStringList before;
    for (const QString& a : arguments) {
        if (IsCommandLineSwitch(a))
            break;
        before << a;
    }
    return before;
}

QString CommandLineUsage(const QString& helpPage)
{
    QString text = QString::fromUtf8(kCommandLineUsage);
    text += QStringLiteral("\nThe full help");
    if (!helpPage.isEmpty())
        text += QStringLiteral(": ") + helpPage + QStringLiteral("\nand");
    text += QStringLiteral(" the manual page: man qvim\n");
    return text;
}

std::optional<int> AnswerHelpOrVersion(const QStringList& arguments)
{
    switch (requestOf(arguments)) {
    case Request::None:
        return std::nullopt;
    case Request::Version:
        writeToStdout(ProgramNameAndVersion() + u'\n');
        return 0;
    case Request::Help:
        break;
    }
    // The pages of the user's language, read from the settings file
    // without the check that writes to it.
    InitHelpFile(LanguageCodeOfSettingsFile(DefaultIniFilePath()));
    const QString page = HelpPageForContext(helpcontext::CommandLine);
    const QString path = G_sHelpFilePath.isEmpty() ? QString() : G_sHelpFilePath + u'/' + page;
    writeToStdout(CommandLineUsage(QFileInfo::exists(path) ? path : QString()));
    ShowHelpTopic(helpcontext::CommandLine, OnlineHelpTopicPage(helpcontext::CommandLine));
    return 0;
}

QString NoSwitchText(const QStringList& arguments)
{
    QString text = Translate(QStringLiteral(
        "The command line holds no switch, so it names no task. A switch is / and one letter, such as /S input "
        "/T output; qvim --help lists them and qvim --version prints the version."));
    if (!arguments.isEmpty())
        text += u' ' + Translate(QStringLiteral("Not read:")) + u' ' + joinedWords(arguments);
    return text;
}

QString IgnoredArgumentsText(const QStringList& ignored)
{
    return Translate(QStringLiteral("Not read, as they stand before the first switch:")) + u' ' + joinedWords(ignored);
}

QString SeveralPathsText(const QStringList& arguments, const QString& program)
{
    bool several = false;
    bool rebuilt = true;
    QStringList line{program};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        line << a;
        if (!isPathSwitch(a))
            continue;
        const QStringList values = valuesAfter(arguments, i);
        if (isShellExpansion(values)) {
            several = true;
            const QString wildcard = wildcardOf(values);
            rebuilt = rebuilt && !wildcard.isEmpty();
            line << wildcard;
        } else {
            line << values;
        }
        i += values.size();
    }
    if (!several)
        return QString();
    if (!rebuilt)
        return Translate(QStringLiteral(
            "A path names several files, and a switch takes one path. For several files give a folder, a "
            "wildcard in quotes (the shell puts the files an unquoted one matches in its place), or a job file (/J)."));
    return Translate(QStringLiteral(
               "A path names several files: the shell put the files that an unquoted wildcard matches in its "
               "place, and a switch takes one path. Quote the wildcard so that the program receives it:"))
           + u' ' + joinedWords(line);
}

QString ShellQuoted(const QString& word)
{
    // Told by hand: a regular expression costs a refused start more than
    // the rest of the line's reading.
    const bool plain = !word.isEmpty() && std::all_of(word.cbegin(), word.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
               || QStringView(u"_@%+=:,./-").contains(c);
    });
    if (plain)
        return word;
    QString quoted = word;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}
