#pragma once
// The processes a test started, or the program it ran started, as /proc
// shows them.
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

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

inline QString programOf(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
}

// Every process below `root` seen while it runs, with its start time.
// Copies of the root's own program are not counted: a fork that has not
// started its program yet is counted once it has, and the leak checker of
// a sanitizer build runs as such a copy while the program ends; nor is the
// sanitizers' symbolizer.
class Descendants
{
public:
    explicit Descendants(qint64 root)
        : m_rootProgram(programOf(root))
    {
        m_parents.insert(root);
    }

    void scan()
    {
        const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& id : ids) {
            bool number = false;
            const qint64 pid = id.toLongLong(&number);
            ProcessEntry entry;
            if (!number || m_seen.contains(pid) || !readProcess(pid, entry) || !m_parents.contains(entry.parent))
                continue;
            const QString program = programOf(pid);
            if (!m_rootProgram.isEmpty() && program == m_rootProgram)
                continue;
            // The sanitizers' own helper, which names the frames of a
            // report (also to match leak suppressions at exit).
            if (QFileInfo(program).fileName().startsWith(QLatin1String("llvm-symbolizer")))
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
    QString m_rootProgram;
    QSet<qint64> m_parents;
    QHash<qint64, QByteArray> m_seen;
};

} // namespace testutil
