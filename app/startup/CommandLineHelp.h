#pragma once
// What a person at a terminal types first, and the lines a shell makes of
// what they meant.
//
// -h, --help and -? print a summary of the switches on standard output and
// open the command-line help page as /? does; --version prints the
// program's name and version. Both end the start with status 0, before the
// settings file is looked for, so nothing is written. They are read only
// among the arguments before the first switch, which the parser never
// reads, so no switch and no value changes its meaning.
#include <QString>
#include <QStringList>

#include <optional>

// The arguments before the first switch (all of them when there is none).
QStringList ArgumentsBeforeFirstSwitch(const QStringList& arguments);

// The summary of `qvim --help`: the forms of the line, every switch, the
// image options, the exit statuses and two examples, made from the
// command-line help page when the program was built; then where that page
// is (`helpPage`, when not "") and the manual page.
QString CommandLineUsage(const QString& helpPage);

// For a start that asks for help or the version: answers it and returns
// the exit status. Nothing for any other start.
std::optional<int> AnswerHelpOrVersion(const QStringList& arguments);

// The refusal of a line that holds no switch, so no task: how a task is
// written, where the switches are listed, and the arguments that were not
// read.
QString NoSwitchText(const QStringList& arguments);

// The note for arguments before the first switch, which are not read.
QString IgnoredArgumentsText(const QStringList& ignored);

// "" unless the value of /S or /T is several paths that exist (and their
// join by blanks does not), as a shell makes of an unquoted wildcard. When
// the paths are exactly what one wildcard in one folder matches, the
// refusal gives the line with that wildcard quoted, starting with
// `program`; otherwise it says that a switch takes one path.
QString SeveralPathsText(const QStringList& arguments, const QString& program);

// A word written so that a POSIX shell reads it back unchanged: as it is
// when it holds nothing the shell would act on, else in single quotes.
QString ShellQuoted(const QString& word);
