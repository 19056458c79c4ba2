#pragma once
// Encryption of a finished PDF with AES-256 (the PDF 2.0 security handler,
// revision 6). The office writes PDFs without encryption (its own handler
// knows only RC4); the file it wrote is encrypted here with the open
// password, the permissions password and the permissions of
// OfficePdfOptions. Nothing here writes a password anywhere but into the
// encrypted file's security dictionary. qpdf, which encrypts, is the module
// libtessaview_pdfcrypt.so, loaded for the first PDF with a password.
#include "office/OfficeEngine.h"

#include <QString>

// True when `pdf` asks for a password of either kind.
bool PdfNeedsEncryption(const OfficePdfOptions& pdf);

// Writes `plain` encrypted into `encrypted` (a new file; `plain` is left
// as it is). Without a permissions password everything is allowed and the
// owner password is a random one nobody knows. False with the reason in
// `error` (which never holds a password).
bool EncryptPdf(const QString& plain, const QString& encrypted, const OfficePdfOptions& pdf, QString& error);

// What the module gives.
struct PdfEncryptionTable
{
    bool (*encrypt)(const QString& plain, const QString& encrypted, const OfficePdfOptions& pdf, QString& error);
};
