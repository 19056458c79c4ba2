#pragma once
// A user of their own for runs of the real program (QVIM_BINARY): home,
// config and runtime folders below one temporary folder, and the processes
// the program starts.
#include "ProcessWatch.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <linux/capability.h>
#include <memory>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

// For a run's beforeStart: without these, root writes into a folder
// without write permission.
inline void dropFileOverride()
{
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
}

// For a run's beforeStart: no file of the program's, or of what it starts,
// may grow past 1 MB, as on a disk that is full; a write past it fails with
// EFBIG instead of ending the program.
inline void limitFileSize()
{
    const rlimit limit{1 << 20, 1 << 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
}

inline bool canDropFileOverride()
{
    return ::geteuid() != 0 || ::prctl(PR_CAPBSET_READ, CAP_SETPCAP, 0, 0, 0) == 1;
}

// What one run of the program gave.
struct QvimRun
{
    int status = -1000; // as the shell sees it; -1000 when it did not end normally
    QString err;        // its standard error
};

class QvimUser
{
public:
    QString path(const QString& sub) const { return m_dir.filePath(sub); }
    // The settings file the program finds for this user.
    QString settingsFile() const { return path("config/Kestrova, Inc/Tessaview/QVIM_SearchHistory.INI"); }

    // Runs qvim from the home folder and gives its exit status as the shell
    // sees it; -1000 when it did not end normally (or in five minutes). With `watched`, the
    // processes it started are watched while it runs and handed out.
    int qvim(const QStringList& arguments, testutil::Descendants** watched = nullptr) const
    {
        return run(arguments, {}, watched).status;
    }

    // The same, with the program's standard error. `beforeStart` runs in
    // the program's own process just before it starts (to set a limit on
    // it, say). The user's temporary folder is path("tmp").
    QvimRun run(const QStringList& arguments, const std::function<void()>& beforeStart = {},
                testutil::Descendants** watched = nullptr) const
    {
        QProcess process;
        QvimRun result;
        if (!start(process, arguments, beforeStart))
            return result;
        // Only so that a run that never ends does not hang the test.
        QDeadlineTimer deadline(300000);
        while (!process.waitForFinished(20) && !deadline.hasExpired())
            m_watch->scan();
        m_stderr = process.readAllStandardError();
        result.err = QString::fromUtf8(m_stderr);
        if (watched)
            *watched = m_watch.get();
        if (process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit)
            result.status = process.exitCode();
        return result;
    }

    // Starts qvim as run() does without waiting for it; the processes it
    // starts are watched by watch() from then on. False when it did not
    // start.
    bool start(QProcess& process, const QStringList& arguments, const std::function<void()>& beforeStart = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* sub : {"home", "config", "runtime", "tmp"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
        // As the system makes it: the user's alone (else Qt makes one of its
        // own in the temporary folder).
        QFile::setPermissions(path("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("TMPDIR", path("tmp"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(path("home"));
        if (beforeStart)
            process.setChildProcessModifier(beforeStart);
        process.start(m_program, arguments);
        if (!process.waitForStarted())
            return false;
        m_watch = std::make_unique<testutil::Descendants>(process.processId());
        return true;
    }

    // The processes of the last run started.
    testutil::Descendants& watch() const { return *m_watch; }

    // Runs another copy of the program from now on.
    void setProgram(const QString& program) { m_program = program; }

    // What the last run wrote on standard error.
    QByteArray lastStderr() const { return m_stderr; }

    void copy(const QString& from, const QString& to) const
    {
        QDir().mkpath(QFileInfo(path(to)).path());
        QFile::remove(path(to));
        QVERIFY2(QFile::copy(from, path(to)), qPrintable(from));
    }

    // Writes a file of the user's, with its folders.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(name)).path());
        if (!testutil::writeFile(path(name), bytes))
            qFatal("cannot write %s", qPrintable(name));
        return path(name);
    }

    // Everything in a folder of the user's, hidden files and sockets
    // included, by name.
    QStringList entries(const QString& folder) const
    {
        return QDir(path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                            QDir::Name);
    }

    QString log(const QString& name) const { return QString::fromUtf8(testutil::readFile(path(name))); }

    QStringList logLines(const QString& log) const
    {
        return QString::fromUtf8(testutil::readFile(path(log))).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
    QString m_program = QStringLiteral(QVIM_BINARY);
    mutable std::unique_ptr<testutil::Descendants> m_watch;
    mutable QByteArray m_stderr;
};
