#pragma once
// The command-line mode reports through the log file. Without a log file
// its lines go to standard error instead, so a refused or failed run always
// says why.
#include <QString>
#include <QStringList>

// Appends `message` as one line to the log file at `path` (UTF-8, created
// when missing, the line ended by LF) under the start-up lock. A message
// that holds line breaks is written as one line, each break replaced by a
// blank. With `show` the message goes to the current message sink as well
// (an information box; standard error on the command line). With no path
// and no `show`, the line goes to standard error. A log file that cannot
// be written, or that is not a regular file (a FIFO, a device), is named on standard error once, with the system's reason,
// and its lines go to standard error instead (unless shown in a box).
void WriteMessageToLogFile(const QString& message, const QString& path, bool show);

// Appends `lines` to the log file at `path` in one write under the start-up
// lock, so that no other run's line lands between them. Nothing without a
// path. They begin a run: a file that cannot be written is named on
// standard error again, and the lines go there.
void WriteLinesToLogFile(const QStringList& lines, const QString& path);

// `message` as one log-file line: CR LF, CR and LF each become a blank.
QString LogFileLine(const QString& message);
