#pragma once
// Runs of the real program under the dynamic loader's record of what it
// loads (LD_DEBUG=files): the file name of every library that joined the
// program, at its start or later.
#include "QvimUser.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace modulerecord {

// The libraries the process of `program` loaded, by file name, from the
// records in `folder` (one file a process: the program's children record
// too).
inline QStringList loadedLibraries(const QString& folder, const QString& program)
{
    static const QRegularExpression mapped(QStringLiteral("file=(\\S+) \\[\\d+\\];  generating link map"));
    for (const QFileInfo& record : QDir(folder).entryInfoList(QDir::Files)) {
        const QString text = QString::fromLocal8Bit(testutil::readFile(record.filePath()));
        if (!text.contains(QStringLiteral("initialize program: ") + program + u'\n'))
            continue;
        QStringList names;
        for (auto it = mapped.globalMatch(text); it.hasNext();)
            names << QFileInfo(it.next().captured(1)).fileName();
        return names;
    }
    return {};
}

// The run of `arguments` by `user`, the program run with `environment`
// changed (a null value removes the variable); `loaded` gets what it
// loaded.
inline QvimRun recordedRun(const QvimUser& user, const QString& program, const QStringList& arguments,
                           QStringList& loaded, const QHash<QByteArray, QByteArray>& environment = {})
{
    QTemporaryDir record;
    QHash<QByteArray, QByteArray> changed = environment;
    changed.insert("LD_DEBUG", "files");
    changed.insert("LD_DEBUG_OUTPUT", QFile::encodeName(record.filePath(QStringLiteral("ld"))));
    QHash<QByteArray, QByteArray> before;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        before.insert(it.key(), qEnvironmentVariableIsSet(it.key().constData()) ? qgetenv(it.key().constData())
                                                                                : QByteArray());
        if (it.value().isNull())
            qunsetenv(it.key().constData());
        else
            qputenv(it.key().constData(), it.value());
    }
    const QvimRun run = user.run(arguments);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.value().isNull())
            qunsetenv(it.key().constData());
        else
            qputenv(it.key().constData(), it.value());
    }
    loaded = loadedLibraries(record.path(), program);
    return run;
}

// The libraries of `loaded` whose names begin with one of `prefixes`.
inline QStringList matching(const QStringList& loaded, const QStringList& prefixes)
{
    QStringList found;
    for (const QString& name : loaded) {
        for (const QString& prefix : prefixes)
            if (name.startsWith(prefix))
                found << name;
    }
    return found;
}

// The program's own path, as the tests run it.
inline const QString kProgram = QStringLiteral(QVIM_BINARY);

// A copy of the program in the user's folder bin, beside it the module
// `fileName` as a file that is no library; `user` runs the copy from now on.
// Returns the module's path; the copy's path goes to `program`.
inline QString copyWithBrokenModule(QvimUser& user, const QString& fileName, QString& program)
{
    program = user.path("bin/qvim");
    QDir().mkpath(user.path("bin"));
    if (!QFile::copy(kProgram, program))
        qFatal("cannot copy %s", qPrintable(kProgram));
    user.setProgram(program);
    return user.write("bin/" + fileName, "not a library\n");
}

// What a tool of the system prints for `arguments` on standard output.
inline QString toolOutput(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace modulerecord
