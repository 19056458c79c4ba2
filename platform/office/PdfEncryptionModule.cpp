// The module's side: qpdf itself.
#include "office/PdfEncryption.h"

#include "base/ProgramModule.h"

#include <QFile>
#include <QRandomGenerator>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <exception>
#include <string>

namespace {

// 32 random bytes as hex: an owner password for a file whose permissions
// are all granted, so that no empty owner password lets anyone change its
// security settings.
std::string randomOwnerPassword()
{
    std::string hex;
    for (int i = 0; i < 8; ++i)
        hex += QString::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, u'0').toStdString();
    return hex;
}

bool encryptPdf(const QString& plain, const QString& encrypted, const OfficePdfOptions& pdf, QString& error)
{
    const bool restrict = !pdf.permissionPassword.isEmpty();
    const std::string user = pdf.openPassword.toStdString();
    const std::string owner = restrict ? pdf.permissionPassword.toStdString() : randomOwnerPassword();

    // The permissions as the office's export offers them: printing none,
    // low or high resolution; changes none, pages, form fields, comments and
    // form fields, or any but extracting pages.
    const int changes = restrict ? std::clamp(pdf.changes, 0, 4) : 4;
    const int printing = restrict ? std::clamp(pdf.printing, 0, 2) : 2;
    const bool accessibility = !restrict || pdf.allowAccessibility;
    const bool extract = !restrict || pdf.allowCopying;
    const bool assemble = changes == 1 || changes == 4;
    const bool annotate = changes == 3 || changes == 4;
    const bool fillForms = changes >= 2;
    const bool modifyOther = changes == 4;
    const qpdf_r3_print_e print = printing == 2 ? qpdf_r3p_full : printing == 1 ? qpdf_r3p_low : qpdf_r3p_none;

    // The writer keeps the name it is given until it writes: both names
    // live as long as it does.
    const QByteArray plainName = QFile::encodeName(plain);
    const QByteArray encryptedName = QFile::encodeName(encrypted);
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processFile(plainName.constData());
        QPDFWriter writer(document, encryptedName.constData());
        writer.setR6EncryptionParameters(user.c_str(), owner.c_str(), accessibility, extract, assemble, annotate,
                                         fillForms, modifyOther, print, true);
        writer.write();
    } catch (const std::exception& e) {
        // qpdf's messages name the files, which carry no password.
        error = QStringLiteral("The PDF could not be encrypted: %1").arg(QString::fromUtf8(e.what()));
        QFile::remove(encrypted);
        return false;
    }
    return true;
}

const PdfEncryptionTable kTable{encryptPdf};

} // namespace

TESSAVIEW_MODULE_ENTRY const void* tessaview_pdfcrypt_module(const char* version)
{
    return ModuleTableFor(version, &kTable);
}
