#include "office/PdfEncryption.h"

#include "base/ProgramModule.h"

extern "C" const void* tessaview_pdfcrypt_module(const char* version) __attribute__((weak));

bool PdfNeedsEncryption(const OfficePdfOptions& pdf)
{
    return !pdf.openPassword.isEmpty() || !pdf.permissionPassword.isEmpty();
}

bool EncryptPdf(const QString& plain, const QString& encrypted, const OfficePdfOptions& pdf, QString& error)
{
    QString reason;
    const auto* module = ProgramModuleTable<PdfEncryptionTable>(tessaview_pdfcrypt_module, "libtessaview_pdfcrypt.so",
                                                                "tessaview_pdfcrypt_module", reason);
    if (!module) {
        error = QStringLiteral("The PDF could not be encrypted: %1").arg(reason);
        return false;
    }
    return module->encrypt(plain, encrypted, pdf, error);
}
