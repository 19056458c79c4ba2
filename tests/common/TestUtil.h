#pragma once
// Small helpers shared by the test executables.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace testutil {

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The environment of a user of its own below `root`: HOME, XDG_CONFIG_HOME
// and XDG_RUNTIME_DIR are root's "home", "config" and "runtime" folders,
// made when missing.
inline QProcessEnvironment userEnvironment(const QString& root)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", "home"}, {"XDG_CONFIG_HOME", "config"}, {"XDG_RUNTIME_DIR", "runtime"}};
    for (const auto& [variable, folder] : folders) {
        const QString path = QDir(root).filePath(QString::fromLatin1(folder));
        QDir().mkpath(path);
        env.insert(QString::fromLatin1(variable), path);
    }
    return env;
}

// Runs the program as that user, in its home folder; the exit status as
// the shell sees it, -1000 when it did not end normally in time.
inline int runAsUser(const QString& program, const QString& root, const QStringList& arguments,
                     int timeoutMs = 120000)
{
    QProcess process;
    process.setProcessEnvironment(userEnvironment(root));
    process.setWorkingDirectory(QDir(root).filePath(QStringLiteral("home")));
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return -1000;
    return process.exitCode();
}

#ifdef TESSAVIEW_CORPUS
// A real-world input of tests/corpus, by its path below that folder
// ("pdf/minimal-document.pdf").
inline QString corpusFile(const QString& relative)
{
    return QStringLiteral(TESSAVIEW_CORPUS "/") + relative;
}

// The real-world inputs among `relative` that are not there, named for the
// failure message; "" when all are present.
inline QString missingCorpusFiles(const QStringList& relative)
{
    QStringList missing;
    for (const QString& r : relative)
        if (!QFileInfo(corpusFile(r)).isFile())
            missing << corpusFile(r);
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("test inputs missing (tests/corpus holds the real-world inputs): ")
           + missing.join(QStringLiteral(", "));
}
#endif

} // namespace testutil

// Fails the current test function, with the names, when any of the
// real-world inputs is missing.
#define TESSAVIEW_REQUIRE_CORPUS(...)                                                      \
    do {                                                                                   \
        const QString missingInputs_ = testutil::missingCorpusFiles(QStringList{__VA_ARGS__}); \
        QVERIFY2(missingInputs_.isEmpty(), qPrintable(missingInputs_));                    \
    } while (false)
