#pragma once
// Helpers of the office tests: the skip rule, and the independent readers
// (pdfinfo, pdftotext) that check what the office wrote.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
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

} // namespace officetest
