#pragma once
// A user of their own for runs of the real program: home, config and
// runtime folders below one temporary folder.
#include "TestUtil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

class QvimUser
{
public:
    QString path(const QString& sub) const { return m_dir.filePath(sub); }
    // The settings file the program finds for this user.
    QString settingsFile() const { return path("config/Kestrova, Inc/Tessaview/QVIM_SearchHistory.INI"); }

    // Runs qvim (QVIM_BINARY) from the home folder and gives its exit
    // status as the shell sees it; -1000 when it did not end normally.
    int qvim(const QStringList& arguments) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* sub : {"home", "config", "runtime"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(path("home"));
        process.start(QStringLiteral(QVIM_BINARY), arguments);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return -1000;
        return process.exitCode();
    }

    QStringList logLines(const QString& log) const
    {
        return QString::fromUtf8(testutil::readFile(path(log))).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_dir;
};
