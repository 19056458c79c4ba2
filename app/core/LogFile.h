#pragma once
// The command-line mode reports through the log file.
#include <QString>

// Appends `message` and a line end to the log file at `path` (UTF-8,
// created when missing) under the start-up lock; shows it in an
// information box as well when `show` is set. The box comes after the lock
// is released, so other processes never wait on a user. Every failure is
// ignored: a line that cannot be written is lost, the box still shows.
void WriteMessageToLogFile(const QString& message, const QString& path, bool show);
