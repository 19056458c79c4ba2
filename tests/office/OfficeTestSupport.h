#pragma once
// Helpers of the office tests: the skip rule, and the independent readers
// (pdfinfo, pdftotext) that check what the office wrote.
#include "TestUtil.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace officetest {

// LibreOffice tests may be skipped only where LibreOffice is missing, and
// never on CI.
inline bool officeAvailable(QString& why)
{
    if (QFile::exists(QStringLiteral("/usr/bin/soffice")))
        return true;
    why = QStringLiteral("LibreOffice (/usr/bin/soffice) is not installed");
    return false;
}

#define OFFICE_TEST_REQUIRE_OFFICE()                                              \
    do {                                                                          \
        QString why_;                                                             \
        if (!officetest::officeAvailable(why_)) {                                 \
            if (qEnvironmentVariableIsSet("CI"))                                  \
                QFAIL(qPrintable(why_ + QStringLiteral(" (required on CI)")));    \
            QSKIP(qPrintable(why_));                                              \
        }                                                                         \
    } while (false)

// A folder of the test's own for inputs and outputs, removed at the end.
class ScratchFolder
{
public:
    bool isValid() const { return m_dir.isValid(); }
    QString folder() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // Writes the file, making its folders first.
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).path());
        if (!testutil::writeFile(p, bytes))
            qFatal("cannot write %s", qPrintable(p));
        return p;
    }

private:
    QTemporaryDir m_dir;
};

// A small RTF document around `body` (RTF control words allowed).
inline QByteArray rtfDocument(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Liberation Serif;}}\\f0\\fs24 " + body + "}";
}

// An RTF document of `paragraphs` paragraphs that name it by `number`:
// enough of them keep an office busy for a moment.
inline QByteArray numberedRtf(int number, int paragraphs)
{
    QByteArray body;
    for (int i = 0; i < paragraphs; ++i)
        body += "Document " + QByteArray::number(number) + " paragraph " + QByteArray::number(i)
                + " with words enough to lay out\\par ";
    return rtfDocument(body);
}

// An HTML document of many paragraphs, long enough to keep the office busy
// for a while.
inline QByteArray bigHtml(int paragraphs)
{
    QByteArray html("<html><body>");
    for (int i = 0; i < paragraphs; ++i)
        html += "<p>Paragraph " + QByteArray::number(i) + " of a long document that keeps the office busy</p>\n";
    return html + "</body></html>";
}

struct ToolResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ToolResult runTool(const QString& program, const QStringList& args, int timeoutMs = 60000)
{
    QProcess p;
    p.start(program, args);
    ToolResult r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The text of a PDF as pdftotext reads it, or a marker when it fails.
inline QString pdfText(const QString& pdf, const QString& password = QString())
{
    QStringList args;
    if (!password.isEmpty())
        args << QStringLiteral("-upw") << password;
    args << QStringLiteral("-enc") << QStringLiteral("UTF-8") << pdf << QStringLiteral("-");
    const ToolResult r = runTool(QStringLiteral("pdftotext"), args);
    if (r.exitCode != 0)
        return QStringLiteral("<pdftotext failed: %1>").arg(QString::fromUtf8(r.err));
    return QString::fromUtf8(r.out);
}

inline ToolResult pdfInfo(const QString& pdf, const QStringList& extra = {})
{
    return runTool(QStringLiteral("pdfinfo"), QStringList(extra) << pdf);
}

// One "Key: value" line of pdfinfo's report.
inline QString pdfInfoField(const QByteArray& report, const QString& key)
{
    const QStringList lines = QString::fromUtf8(report).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

// Page size of the first page as pdfinfo reports it, in points.
inline QSizeF pdfPageSize(const QString& pdf)
{
    const QString field = pdfInfoField(pdfInfo(pdf).out, QStringLiteral("Page size"));
    static const QRegularExpression size(QStringLiteral("^([0-9.]+) x ([0-9.]+) pts"));
    const auto m = size.match(field);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// Left edge of the first word on the first page, in points.
inline double firstWordLeft(const QString& pdf)
{
    const ToolResult r = runTool(QStringLiteral("pdftotext"),
                                 {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                  QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\""));
    const auto m = word.match(QString::fromUtf8(r.out));
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

} // namespace officetest
