#pragma once
// Helpers of the route tests: the skip rule, and what pdfinfo says of a PDF.
#include "../office/OfficeTestSupport.h"

#include <QFile>
#include <QString>
#include <QTest>

namespace routetest {

inline const QString kOfficeProgram = QStringLiteral("/usr/lib/libreoffice/program/soffice.bin");

// Skips only where LibreOffice is not installed, and never on CI.
#define ROUTE_TEST_REQUIRE_OFFICE()                                                             \
    do {                                                                                        \
        if (!QFile::exists(routetest::kOfficeProgram)) {                                        \
            const QString why_ = routetest::kOfficeProgram + QStringLiteral(" is not installed"); \
            if (qEnvironmentVariableIsSet("CI"))                                                \
                QFAIL(qPrintable(why_ + QStringLiteral(" (required on CI)")));                  \
            QSKIP(qPrintable(why_));                                                            \
        }                                                                                       \
    } while (false)

// The "Encrypted:" line of pdfinfo, opened with `password` when given.
inline QString pdfEncryption(const QString& pdf, const QString& password = QString())
{
    QStringList args;
    if (!password.isEmpty())
        args << QStringLiteral("-upw") << password;
    return officetest::pdfInfoField(officetest::pdfInfo(pdf, args).out, QStringLiteral("Encrypted"));
}

// True when the PDF's XMP metadata carries a PDF/A identification.
inline bool hasPdfAIdentification(const QString& pdf)
{
    return officetest::pdfInfo(pdf, {QStringLiteral("-meta")}).out.contains("pdfaid:part");
}

} // namespace routetest
