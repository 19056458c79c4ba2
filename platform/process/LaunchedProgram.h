#pragma once
// A program started by us without a shell: the path is run as it is given
// (no search of PATH), with the caller's environment, current folder and
// standard input, output and error; no other file descriptor of ours goes
// with it. It may be given a nice value, waited for with a time limit, and
// its exit code read. A program still running when its LaunchedProgram goes
// keeps running, and a thread of ours collects it when it ends, so no
// zombie is left behind; it is never killed.
//
// Windows' show-window states have no counterpart for an arbitrary Linux
// program, so none is passed on.
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>

class LaunchedProgram
{
public:
    LaunchedProgram() = default;
    ~LaunchedProgram();
    LaunchedProgram(const LaunchedProgram&) = delete;
    LaunchedProgram& operator=(const LaunchedProgram&) = delete;

    // Starts the program. With `niceValue` the program runs at that nice
    // value (-20 to 19); a value the user may not set (a raise needs
    // privileges) leaves it at the value it inherits, and PriorityNote()
    // says so. False when it could not be started, with the reason in
    // `error` (the program is then not running).
    bool Start(const QString& program, const QStringList& arguments, std::optional<int> niceValue, QString& error);

    // Before Start: the program's standard output goes to our standard
    // error, so nothing it (or what it starts) prints mixes with our output.
    void SendOutputToStandardError() { m_outputToError = true; }

    // Empty, or why the program does not run at the nice value asked for.
    QString PriorityNote() const { return m_priorityNote; }

    // Waits up to `milliseconds` (0: only a look) for the program to end,
    // without spinning; True once it has ended.
    bool WaitForEnd(int milliseconds);
    bool HasEnded() const { return m_ended; }

    // The program's exit code once it has ended; a program ended by a
    // signal gives 128 plus the signal's number, as a shell reports it.
    int ExitCode() const { return m_exitCode; }

    pid_t Pid() const { return m_pid; }

private:
    bool reap(bool block);

    pid_t m_pid = 0;
    int m_pidFd = -1;
    bool m_ended = false;
    bool m_outputToError = false;
    int m_exitCode = 0;
    QString m_priorityNote;
};
