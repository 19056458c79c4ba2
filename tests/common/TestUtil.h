#pragma once
// Small helpers shared by the test executables.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
