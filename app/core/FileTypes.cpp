#include "FileTypes.h"

namespace {

// Lower-case extension of a document number, shared by the text-control
// tables (which answer upper case) and FindTheExtension.
const char* documentExtension(int lType)
{
    switch (lType) {
    case filetype::Text:
    case filetype::Text2:
    case filetype::UnicodeText:
        return "txt";
    case filetype::Html:
        return "htm";
    case filetype::Rtf:
        return "rtf";
    case filetype::Doc:
        return "doc";
    case filetype::Xml:
        return "xml";
    case filetype::Css:
        return "css";
    case filetype::Pdf:
    case filetype::PdfA:
        return "pdf";
    case filetype::Docx:
        return "docx";
    default:
        return nullptr;
    }
}

const char* outputExtension(int lType)
{
    static const char* const images[] = {"jpg", "bmp", "tif", "gif", "emf", "j2k",
                                         "pcx", "png", "ras", "tga", "wmf"};
    if (lType >= filetype::Jpeg && lType <= filetype::Wmf)
        return images[lType - filetype::Jpeg];
    if (lType == filetype::Pdf || lType == filetype::PdfA)
        return "pdf";
    return nullptr;
}

const char* wordExtension(int lType)
{
    switch (lType) {
    case 0: return "DOC";
    case 2: case 3: case 4: case 5: case 7: return "TXT";
    case 6: return "RTF";
    case 8: case 10: return "HTM";
    case 9: return "MHT";
    case 11: case 19: case 20: return "XML";
    case 12: return "DOCX";
    case 13: return "DOCM";
    case 16: return "*";
    case 17: return "PDF";
    case 18: return "XPS";
    case 101: return "ASC";
    default: return nullptr;
    }
}

QString withWildcard(const QString& extension, bool bWildcard)
{
    return bWildcard ? QStringLiteral("*.") + extension : extension;
}

QString upper(const char* extension)
{
    return extension ? QString::fromLatin1(extension).toUpper() : QString();
}

} // namespace

QString GetFileTypeExtension(int lType, bool bWildcard, int lSelector)
{
    switch (lSelector) {
    case extensiontable::MSWord:
        return GetFileTypeExtension_MSWord(lType, bWildcard);
    case extensiontable::TXOutput:
        return GetFileTypeExtension_TXOutput(lType, bWildcard);
    case extensiontable::PDFtoImage:
        return GetFileTypeExtension_PDFtoImageDLL(lType, bWildcard);
    case extensiontable::TXInput:
        return GetFileTypeExtension_TXInput(lType, bWildcard);
    default:
        return QString();
    }
}

QString GetFileTypeExtension_PDFtoImageDLL(int lType, bool bWildcard)
{
    if (lType == filetype::AllImages)
        return withWildcard(QStringLiteral("*"), bWildcard);
    return withWildcard(QString::fromLatin1(outputExtension(lType)), bWildcard);
}

QString GetFileTypeExtension_TXInput(int lType, bool bWildcard)
{
    return withWildcard(upper(documentExtension(lType)), bWildcard);
}

QString GetFileTypeExtension_TXOutput(int lType, bool bWildcard)
{
    constexpr int textControlTextOutput = 7; // a text format only on the output side
    if (lType == textControlTextOutput)
        return withWildcard(QStringLiteral("TXT"), bWildcard);
    return GetFileTypeExtension_TXInput(lType, bWildcard);
}

QString GetFileTypeExtension_MSWord(int lType, bool bWildcard)
{
    const char* extension = wordExtension(lType);
    if (!extension)
        return QString();
    return withWildcard(QString::fromLatin1(extension), bWildcard);
}

std::optional<QString> FindTheTargetExtension(int lType)
{
    if (const char* extension = outputExtension(lType))
        return QString::fromLatin1(extension);
    return std::nullopt;
}

std::optional<QString> FindTheExtension(int lType)
{
    if (const char* extension = documentExtension(lType))
        return QString::fromLatin1(extension);
    return std::nullopt;
}
