#pragma once
// Running the real program as a user with folders of its own, and the
// processes it starts, as /proc shows them.
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace testutil {

// A process as /proc shows it: its parent and its start time, which tells
// it apart from a later process given the same id.
struct ProcessEntry
{
    qint64 parent = -1;
    QByteArray started;
    bool ended = false; // a zombie: ended, waiting to be reaped
};

inline bool readProcess(qint64 pid, ProcessEntry& entry)
{
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return false;
    entry.ended = fields.at(0) == "Z" || fields.at(0) == "X";
    entry.parent = fields.at(1).toLongLong();
    entry.started = fields.at(19);
    return true;
}

// The running children of `parent` whose program name (as /proc/<pid>/comm
// gives it) is `name`.
inline QList<qint64> runningChildren(qint64 parent, const QByteArray& name)
{
    QList<qint64> found;
    const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& id : ids) {
        bool number = false;
        const qint64 pid = id.toLongLong(&number);
        ProcessEntry entry;
        if (!number || !readProcess(pid, entry) || entry.parent != parent || entry.ended)
            continue;
        if (readFile(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed() == name)
            found << pid;
    }
    return found;
}

// Every process below `root` seen while it runs, with its start time.
class Descendants
{
public:
    explicit Descendants(qint64 root) { m_parents.insert(root); }

    void scan()
    {
        const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& id : ids) {
            bool number = false;
            const qint64 pid = id.toLongLong(&number);
            ProcessEntry entry;
            if (!number || m_seen.contains(pid) || !readProcess(pid, entry) || !m_parents.contains(entry.parent))
                continue;
            m_seen.insert(pid, entry.started);
            m_parents.insert(pid);
        }
    }

    int count() const { return int(m_seen.size()); }

    // Those still running: the same id with the same start time.
    QList<qint64> stillRunning() const
    {
        QList<qint64> running;
        for (auto it = m_seen.cbegin(); it != m_seen.cend(); ++it) {
            ProcessEntry entry;
            if (readProcess(it.key(), entry) && entry.started == it.value() && !entry.ended)
                running << it.key();
        }
        return running;
    }

private:
    QSet<qint64> m_parents;
    QHash<qint64, QByteArray> m_seen;
};

// A user with a home, settings and run-time folder of their own, who runs
// `program` (the real qvim).
class QvimUser
{
public:
    explicit QvimUser(QString program) : m_program(std::move(program)) {}

    QString path(const QString& sub) const { return m_dir.filePath(sub); }

    // Runs the program, watching the processes it starts; gives the exit
    // status as the shell sees it.
    int qvim(const QStringList& arguments, Descendants** watched = nullptr)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* sub : {"home", "config", "runtime"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
        env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(path(QStringLiteral("home")));
        process.start(m_program, arguments);
        if (!process.waitForStarted())
            return -1000;
        m_watch = std::make_unique<Descendants>(process.processId());
        while (!process.waitForFinished(20))
            m_watch->scan();
        m_stderr = process.readAllStandardError();
        if (watched)
            *watched = m_watch.get();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1000;
    }

    // What the last run wrote on standard error.
    QByteArray lastStderr() const { return m_stderr; }

    void copy(const QString& from, const QString& to) const
    {
        QDir().mkpath(QFileInfo(path(to)).path());
        QVERIFY2(QFile::copy(from, path(to)), qPrintable(from));
    }

    QString log(const QString& name) const { return QString::fromUtf8(readFile(path(name))); }

private:
    QString m_program;
    QTemporaryDir m_dir;
    std::unique_ptr<Descendants> m_watch;
    QByteArray m_stderr;
};

} // namespace testutil
