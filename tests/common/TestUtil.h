#pragma once
// Small helpers shared by the test executables.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Writes `bytes` to a file `name` at the end of a chain of folders below
// `root` whose path is longer than a program may open by name (PATH_MAX),
// made folder by folder through their descriptors. Returns the file's path
// ("" when it could not be made); `top` gets the chain's first folder,
// which removeTree takes away again.
inline QString writeFileBeyondPathLimit(const QString& root, const char* name, const QByteArray& bytes, QString* top)
{
    const QByteArray part(200, 'd');
    QString path = root;
    int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int depth = 0; fd >= 0 && QFile::encodeName(path).size() < 4096 + 200; ++depth) {
        if (::mkdirat(fd, part.constData(), 0755) != 0) {
            ::close(fd);
            return QString();
        }
        const int next = ::openat(fd, part.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
        path += u'/' + QString::fromLatin1(part);
        if (depth == 0 && top)
            *top = path;
    }
    if (fd < 0)
        return QString();
    const int file = ::openat(fd, name, O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ::close(fd);
    if (file < 0)
        return QString();
    const bool written = ::write(file, bytes.constData(), size_t(bytes.size())) == bytes.size();
    ::close(file);
    return written ? path + u'/' + QString::fromLatin1(name) : QString();
}

// Removes a folder tree, also one deeper than a path may be.
inline void removeTree(const QString& folder)
{
    if (!folder.isEmpty())
        QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QStringLiteral("--"), folder});
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
