#include "textcontrol/TextControlUnits.h"

long long RoundDivHalfEven(long long n, long long d)
{
    long long q = n / d;
    long long r = n % d;
    if (r < 0) { // floor division
        --q;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q & 1)))
        ++q;
    return q;
}

int TwipsToHundredthMm(int twips)
{
    // 1440 twips = 25.4 mm = 2540 hundredths.
    return static_cast<int>(RoundDivHalfEven(static_cast<long long>(twips) * 127, 72));
}

int HundredthMmToTwips(int hundredthMm)
{
    return static_cast<int>(RoundDivHalfEven(static_cast<long long>(hundredthMm) * 72, 127));
}

int BgrToRgb(int bgr)
{
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

int RgbToBgr(int rgb)
{
    return BgrToRgb(rgb); // the swap is its own inverse
}

bool LoadOptionsForFormat(int format, OfficeLoadOptions& options)
{
    options = {};
    switch (format) {
    case 1:
    case 2:
    case 6:  // a byte-order mark, else the 8-bit rule, decides the character set
    case 11: // style sheets are shown as text
        options.format = OfficeInputFormat::Text;
        return true;
    case 4:
        options.format = OfficeInputFormat::Html;
        return true;
    case 5:
    case 9:
    case 13:
        options.format = OfficeInputFormat::WordProcessing;
        return true;
    case 10:
        options.format = OfficeInputFormat::Xml;
        return true;
    default:
        return false;
    }
}

bool FilterHasPageLayout(const QString& filterName)
{
    return !filterName.isEmpty() && !filterName.startsWith(QLatin1String("Text"))
        && !filterName.startsWith(QLatin1String("HTML"));
}

bool SaveFormatForCode(int format, short pdfMode, OfficeSaveOptions& options)
{
    switch (format) {
    case 1:
    case 11:
        options.format = OfficeOutputFormat::Text;
        return true;
    case 6:
        options.format = OfficeOutputFormat::UnicodeText;
        return true;
    case 4:
        options.format = OfficeOutputFormat::Html;
        return true;
    case 5:
        options.format = OfficeOutputFormat::Rtf;
        return true;
    case 9:
        options.format = OfficeOutputFormat::Doc;
        return true;
    case 10:
        options.format = OfficeOutputFormat::Xml;
        return true;
    case 13:
        options.format = OfficeOutputFormat::Docx;
        return true;
    case 12:
    case 14:
        options.format = OfficeOutputFormat::Pdf;
        options.pdf.pdfA = format == 14 || pdfMode == 2;
        return true;
    default:
        return false;
    }
}

PdfPermissionChoices PdfPermissionChoicesOf(int permissions)
{
    PdfPermissionChoices c;
    c.printing = (permissions & 64) ? 2 : (permissions & 128) ? 1 : 0;
    if ((permissions & 41) == 41)
        c.changes = 4;
    else if (permissions & 1)
        c.changes = 3;
    else if (permissions & 2)
        c.changes = 2;
    else if (permissions & 8)
        c.changes = 1;
    c.allowAccessibility = (permissions & 4) != 0;
    c.allowCopying = (permissions & 16) != 0;
    return c;
}

void ApplyPdfSettings(const QString& openPassword, const QString& permissionPassword, int permissions,
                      int imageQuality, int maxImageResolution, OfficePdfOptions& pdf)
{
    pdf.openPassword = openPassword;
    pdf.permissionPassword = permissionPassword;
    const PdfPermissionChoices choices = PdfPermissionChoicesOf(permissions);
    pdf.printing = choices.printing;
    pdf.changes = choices.changes;
    pdf.allowAccessibility = choices.allowAccessibility;
    pdf.allowCopying = choices.allowCopying;
    pdf.imageQuality = imageQuality > 0 ? imageQuality : 0;
    pdf.maxImageResolution = maxImageResolution > 0 ? maxImageResolution : 0;
}
