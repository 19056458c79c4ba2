#pragma once
// One office process that we started ourselves: its pid, a private profile
// folder and a unique pipe name. The process is only ever signalled by its
// pid (and its own process group), never looked up by name.
#include "base/StopSignals.h"

#include <QString>

#include <mutex>
#include <sys/types.h>

// How long a stop request (base/StopSignals.h) lets the office finish the
// call in flight before the process is killed.
constexpr int kOfficeStopGraceMs = 2000;

class OfficeProcess
{
public:
    OfficeProcess();
    ~OfficeProcess(); // kills a running process and removes the profile folder

    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Starts `program` headless with the private profile and a fresh pipe
    // name. Returns false (with `error`) when the program cannot be run.
    bool start(const QString& program, QString& error);

    // The pipe the office accepts UNO connections on (empty before start).
    QString pipeName() const { return m_pipeName; }

    // Process id while it runs (or died and was not yet reaped), else 0.
    pid_t pid() const;

    // True while the process has not exited. Reaps it when it has.
    bool isRunning();

    // The resident size of the process in bytes; -1 when none runs. Safe to
    // ask from another thread.
    qint64 residentBytes() const;

    // Exit status after the process ended (as waitpid reports it), -1 when
    // unknown.
    int exitStatus() const { return m_exitStatus; }

    // Sends SIGKILL to the process and its process group. Safe to call from
    // another thread while the owner is blocked in a call to the office.
    void kill();

    // Waits up to `ms` for the process to end by itself; true when it did.
    bool waitForExit(int ms);

    // Ends the process: waits up to `graceMs` for it to exit, then kills it
    // and reaps it. Afterwards pid() is 0.
    void stop(int graceMs);

    // Whether an office that has closed its documents and agreed to quit
    // may be ended at once: its profile goes with it, so what it still
    // writes there on its way out is of no use, unless the profile's
    // extension registry is still to be kept, which needs a clean end.
    bool mayEndAtOnce() const;

private:
    bool reapLocked(bool block);
    void removeLeftSockets() const;
    bool ensureProfileFolder(const QString& program, QString& error);

    mutable std::mutex m_mutex;
    pid_t m_pid = 0;
    int m_exitStatus = -1;
    QString m_profileDir;
    QString m_program;         // the office of the profile
    bool m_quitCleanly = false; // an office of this profile ended with status 0
    QString m_profileUrl;
    QString m_pipeName;
    // Declared last: it goes first, while the rest is still there for it.
    StopAction m_cutOff{[this](int) { kill(); }, kOfficeStopGraceMs};
};
