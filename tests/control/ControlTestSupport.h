#pragma once
// Helpers of the control's office tests: the text of an output as an
// independent reader sees it, and the office processes of this process.
#include "../office/OfficeTestSupport.h"
#include "ProcessWatch.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace controltest {

// A file of a zip container, as unzip extracts it.
inline QByteArray zipEntry(const QString& zip, const QString& entry)
{
    // unzip reads the entry as a pattern: brackets are escaped.
    QString pattern = entry;
    pattern.replace(QLatin1String("["), QLatin1String("\\[")).replace(QLatin1String("]"), QLatin1String("\\]"));
    return officetest::runTool(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, pattern}).out;
}

inline QString withoutTags(const QByteArray& xml)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    return QString::fromUtf8(xml).remove(tag);
}

// The text an output holds, read by tools other than the office: pdftotext
// for PDF, unzip for DOCX, DOCM and ODT, the bytes themselves for the rest
// (DOC text is 8-bit or UTF-16 inside its container: both are given). Runs
// of white space are one blank, as an HTML output's line breaks are.
inline QString outputText(const QString& path);

inline QString rawOutputText(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return officetest::pdfText(path);
    if (suffix == QLatin1String("docx") || suffix == QLatin1String("docm"))
        return withoutTags(zipEntry(path, QStringLiteral("word/document.xml")));
    if (suffix == QLatin1String("odt"))
        return withoutTags(zipEntry(path, QStringLiteral("content.xml")));
    const QByteArray bytes = testutil::readFile(path);
    if (bytes.startsWith("\xFF\xFE"))
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2);
    if (suffix == QLatin1String("doc")) {
        QString both = QString::fromLatin1(bytes);
        for (int start = 0; start < 2; ++start) {
            QString wide;
            for (qsizetype i = start; i + 1 < bytes.size(); i += 2)
                wide += QChar(char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8)));
            both += u'\n' + wide;
        }
        return both;
    }
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return withoutTags(bytes);
    return QString::fromUtf8(bytes);
}

inline QString outputText(const QString& path)
{
    return rawOutputText(path).simplified();
}

// The office processes this process started and that still run.
inline QList<qint64> officeProcesses()
{
    return testutil::runningChildren(QCoreApplication::applicationPid(), "soffice.bin");
}

} // namespace controltest
