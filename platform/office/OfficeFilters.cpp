#include "office/OfficeFilters.h"

#include "office/OfficeImages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <QFile>

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>

using css::beans::NamedValue;
using css::beans::PropertyValue;
using css::uno::Any;
using css::uno::makeAny;

namespace {

// Enough of a text to tell its encoding, and all of an XML file's prologue.
constexpr qint64 kSniffBytes = 4 * 1024 * 1024;

bool IsValidUtf8(const QByteArray& bytes, bool wholeFile)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        int extra;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= n) {
            // Cut by the end: invalid in a whole file, fine in a sample.
            if (wholeFile)
                return false;
            for (qsizetype k = i + 1; k < n; ++k) {
                if ((p[k] & 0xC0) != 0x80)
                    return false;
            }
            return true;
        }
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        // Overlong three- and four-byte forms, surrogates, beyond U+10FFFF.
        if ((c == 0xE0 && p[i + 1] < 0xA0) || (c == 0xED && p[i + 1] > 0x9F)
            || (c == 0xF0 && p[i + 1] < 0x90) || (c == 0xF4 && p[i + 1] > 0x8F))
            return false;
        i += extra + 1;
    }
    return true;
}

QString SniffXmlFilter(const QByteArray& head)
{
    // Only the document element decides; anything else is shown as text.
    const QByteArray start = head.left(64 * 1024);
    if (start.contains("<w:wordDocument") || start.contains("progid=\"Word.Document\""))
        return QStringLiteral("MS Word 2003 XML");
    if (start.contains("<office:document ") || start.contains("<office:document>"))
        return QStringLiteral("OpenDocument Text Flat XML");
    return {};
}

QString TextFilterOptions(const QString& encoding, const QString& lineEnd = QStringLiteral("LF"))
{
    // Character set, line ends, font, language, byte-order mark. UTF-8 is
    // written without a mark (a mark in UTF-8 text trips other tools);
    // UTF-16 needs one.
    const bool mark = encoding != QLatin1String("UTF8");
    return encoding + u',' + lineEnd + QStringLiteral(",,,") + (mark ? QStringLiteral("true") : QStringLiteral("false"));
}

// The line ends the text reader must split at, from the first line end of
// the text's beginning. Read with "LF", a CR LF file keeps each CR as a
// character of its paragraph, and a CR file becomes one paragraph; read
// with "CRLF", the office ends a paragraph at CR LF and at a CR alone.
QString TextLineEnds(const QByteArray& head)
{
    int unit = 1;
    qsizetype low = 0;   // where the low byte of a UTF-16 unit stands
    if (head.startsWith("\xFF\xFE")) {
        unit = 2;
    } else if (head.startsWith("\xFE\xFF")) {
        unit = 2;
        low = 1;
    }
    const auto at = [&](qsizetype i) {
        if (unit == 1)
            return head.at(i);
        return head.at(i + 1 - low) == 0 ? head.at(i + low) : '\0';
    };
    for (qsizetype i = unit == 2 ? 2 : 0; i + unit <= head.size(); i += unit) {
        const char c = at(i);
        if (c == '\n')
            return QStringLiteral("LF");
        if (c == '\r')
            return QStringLiteral("CRLF");
    }
    return QStringLiteral("LF");
}

} // namespace

QString DetectTextEncoding(const QByteArray& bytes, bool wholeFile)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return QStringLiteral("UNICODE");
    if (bytes.startsWith("\xEF\xBB\xBF") || IsValidUtf8(bytes, wholeFile))
        return QStringLiteral("UTF8");
    return QStringLiteral("MS_1252");
}

QString InputFormatName(OfficeInputFormat format)
{
    switch (format) {
    case OfficeInputFormat::WordProcessing: return QStringLiteral("a word-processing document");
    case OfficeInputFormat::Text: return QStringLiteral("text");
    case OfficeInputFormat::Html: return QStringLiteral("HTML");
    case OfficeInputFormat::Xml: return QStringLiteral("XML");
    }
    return {};
}

QString OutputFormatName(const OfficeSaveOptions& options)
{
    switch (options.format) {
    case OfficeOutputFormat::Pdf: return options.pdf.pdfA ? QStringLiteral("PDF/A") : QStringLiteral("PDF");
    case OfficeOutputFormat::Doc: return QStringLiteral("DOC");
    case OfficeOutputFormat::Docx: return QStringLiteral("DOCX");
    case OfficeOutputFormat::Docm: return QStringLiteral("DOCM");
    case OfficeOutputFormat::Odt: return QStringLiteral("ODT");
    case OfficeOutputFormat::Rtf: return QStringLiteral("RTF");
    case OfficeOutputFormat::Html: return QStringLiteral("HTML");
    case OfficeOutputFormat::Text: return QStringLiteral("text");
    case OfficeOutputFormat::UnicodeText: return QStringLiteral("Unicode text");
    case OfficeOutputFormat::Xml: return QStringLiteral("XML");
    }
    return {};
}

bool PlanLoad(const QString& path, const OfficeLoadOptions& options, OfficeLoadPlan& plan,
              OfficeStatus& status)
{
    plan = {};
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        status = {OfficeFailure::FileNotFound, QStringLiteral("The file %1 cannot be read: %2")
                                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno)))};
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        status = {OfficeFailure::FileNotFound, QStringLiteral("%1 is not a file.").arg(path)};
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        status = {OfficeFailure::FileNotFound,
                  QStringLiteral("The file %1 cannot be read: %2").arg(path, file.errorString())};
        return false;
    }

    switch (options.format) {
    case OfficeInputFormat::WordProcessing:
        return true; // the office tells DOC, DOCX and RTF apart by content
    case OfficeInputFormat::Html:
        plan.filterName = QStringLiteral("HTML (StarWriter)");
        return true;
    case OfficeInputFormat::Xml:
        plan.filterName = SniffXmlFilter(file.read(kSniffBytes));
        if (!plan.filterName.isEmpty())
            return true;
        file.seek(0);
        [[fallthrough]];
    case OfficeInputFormat::Text: {
        const QByteArray head = file.read(kSniffBytes);
        QString encoding = options.textEncoding;
        if (encoding.isEmpty())
            encoding = DetectTextEncoding(head, file.size() <= kSniffBytes);
        plan.filterName = QStringLiteral("Text (encoded)");
        plan.filterOptions = TextFilterOptions(encoding, TextLineEnds(head));
        return true;
    }
    }
    return true;
}

std::vector<PropertyValue> LoadDescriptor(const QString& url, const OfficeLoadPlan& plan, const OfficeLoadOptions& options,
                                          const css::uno::Reference<css::task::XInteractionHandler>& handler)
{
    std::vector<PropertyValue> props;
    props.push_back(makeProperty("URL", makeAny(toOUString(url))));
    // Read-only: no lock file is written beside the input, and the input is
    // never saved over by accident.
    props.push_back(makeProperty("ReadOnly", makeAny(true)));
    props.push_back(makeProperty("MacroExecutionMode", makeAny(css::document::MacroExecMode::NEVER_EXECUTE)));
    props.push_back(makeProperty("UpdateDocMode", makeAny(css::document::UpdateDocMode::NO_UPDATE)));
    props.push_back(makeProperty("InteractionHandler", makeAny(handler)));
    if (!plan.filterName.isEmpty())
        props.push_back(makeProperty("FilterName", makeAny(toOUString(plan.filterName))));
    if (!plan.filterOptions.isEmpty())
        props.push_back(makeProperty("FilterOptions", makeAny(toOUString(plan.filterOptions))));
    if (!options.password.isEmpty())
        props.push_back(makeProperty("Password", makeAny(toOUString(options.password))));
    return props;
}

bool FilterFitsFormat(OfficeInputFormat format, const QString& filterName)
{
    if (format != OfficeInputFormat::WordProcessing)
        return true;
    // Detection falls back to plain text for files it does not know; that
    // is no word-processing document. (HTML is: Word saves it as .doc.)
    return !filterName.startsWith(QLatin1String("Text"));
}

bool SaveDescriptor(const OfficeSaveOptions& options, std::vector<PropertyValue>& descriptor,
                    OfficeStatus& status)
{
    descriptor.clear();
    descriptor.push_back(makeProperty("Overwrite", makeAny(true)));
    const OfficePdfOptions& pdf = options.pdf;

    if (!options.documentPassword.isEmpty() && options.format != OfficeOutputFormat::Doc
        && options.format != OfficeOutputFormat::Docx && options.format != OfficeOutputFormat::Docm) {
        status = {OfficeFailure::Refused,
                  QStringLiteral("A %1 file cannot be protected with a password; choose DOC, DOCX or DOCM.")
                      .arg(OutputFormatName(options))};
        return false;
    }

    switch (options.format) {
    case OfficeOutputFormat::Pdf: {
        const bool encrypt = !pdf.openPassword.isEmpty();
        const bool restrict = !pdf.permissionPassword.isEmpty();
        if (pdf.pdfA && (encrypt || restrict)) {
            status = {OfficeFailure::Refused,
                      QStringLiteral("PDF/A does not allow encryption, so a PDF/A file cannot have a "
                                     "password. Ask for a plain PDF output to protect it with a password.")};
            return false;
        }
        std::vector<PropertyValue> data;
        data.push_back(makeProperty("SelectPdfVersion", makeAny(sal_Int32(pdf.pdfA ? kOfficePdfAVersion : 0))));
        if (pdf.imageQuality > 0)
            data.push_back(makeProperty("Quality", makeAny(sal_Int32(std::clamp(pdf.imageQuality, 1, 100)))));
        // The pictures of the document are reduced before the export
        // (OfficePictureReduction); the export's own reduction takes what
        // that does not reach (fills, backgrounds), down to the lowest it
        // knows. 0 keeps every picture as it is, which the office's default
        // (300 dpi) would not.
        data.push_back(makeProperty("ReduceImageResolution", makeAny(pdf.maxImageResolution > 0)));
        if (pdf.maxImageResolution > 0)
            data.push_back(makeProperty("MaxImageResolution", makeAny(sal_Int32(
                std::max(pdf.maxImageResolution, kOfficeLowestExportReduction)))));
        // Passwords and permissions are not the office's: its export knows
        // only RC4. The PDF is written plain and encrypted with AES-256
        // afterwards (PdfEncryption.h).
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString("writer_pdf_Export"))));
        descriptor.push_back(makeProperty("FilterData", makeAny(toSequence(data))));
        return true;
    }
    case OfficeOutputFormat::Doc:
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString("MS Word 97"))));
        // Given even when empty: a document opened with a password would
        // otherwise pass it on to its DOC output.
        descriptor.push_back(makeProperty("Password", makeAny(toOUString(options.documentPassword))));
        return true;
    case OfficeOutputFormat::Docx:
    case OfficeOutputFormat::Docm:
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString::createFromAscii(
            options.format == OfficeOutputFormat::Docx ? "MS Word 2007 XML" : "MS Word 2007 XML VBA"))));
        if (!options.documentPassword.isEmpty()) {
            // The plain Password property is ignored by the OOXML export;
            // it encrypts only with this pair.
            std::vector<NamedValue> encryption;
            encryption.push_back(makeNamedValue("OOXPassword", makeAny(toOUString(options.documentPassword))));
            encryption.push_back(makeNamedValue("CryptoType", makeAny(rtl::OUString("StrongEncryptionDataSpace"))));
            descriptor.push_back(makeProperty("EncryptionData", makeAny(toSequence(encryption))));
        }
        return true;
    case OfficeOutputFormat::Rtf:
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString("Rich Text Format"))));
        return true;
    case OfficeOutputFormat::Odt:
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString("writer8"))));
        return true;
    case OfficeOutputFormat::Html:
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString("HTML (StarWriter)"))));
        if (options.embedImages)
            descriptor.push_back(makeProperty("FilterOptions", makeAny(rtl::OUString("EmbedImages"))));
        return true;
    case OfficeOutputFormat::Text:
    case OfficeOutputFormat::UnicodeText:
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString("Text (encoded)"))));
        descriptor.push_back(makeProperty("FilterOptions",
            makeAny(toOUString(TextFilterOptions(options.format == OfficeOutputFormat::Text
                                                     ? QStringLiteral("UTF8") : QStringLiteral("UNICODE"))))));
        return true;
    case OfficeOutputFormat::Xml:
        descriptor.push_back(makeProperty("FilterName", makeAny(rtl::OUString("MS Word 2003 XML"))));
        return true;
    }
    return true;
}
