#pragma once
// A user of their own for runs of the real program: home, config and
// runtime folders below one temporary folder.
#include "TestUtil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>

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

    // Runs qvim (QVIM_BINARY) from the home folder and gives its exit
    // status as the shell sees it; -1000 when it did not end normally.
    int qvim(const QStringList& arguments) const { return run(arguments).status; }

    // The same, with the program's standard error. `beforeStart` runs in
    // the program's own process just before it starts (to set a limit on
    // it, say). The user's temporary folder is path("tmp").
    QvimRun run(const QStringList& arguments, const std::function<void()>& beforeStart = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* sub : {"home", "config", "runtime", "tmp"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("TMPDIR", path("tmp"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(path("home"));
        if (beforeStart)
            process.setChildProcessModifier(beforeStart);
        process.start(QStringLiteral(QVIM_BINARY), arguments);
        QvimRun run;
        if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
            run.status = process.exitCode();
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QStringList logLines(const QString& log) const
    {
        return QString::fromUtf8(testutil::readFile(path(log))).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
};
