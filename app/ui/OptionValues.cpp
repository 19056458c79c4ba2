#include "ui/OptionValues.h"

#include "core/Globals.h"
#include "engine/TextControlRouteFiles.h"
#include "jobs/MainFormState.h"
#include "jobs/OptionString.h"
#include "jobs/TextNumbers.h"
#include "textcontrol/TextControlUnits.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <limits>

std::optional<int> NonNegativeNumber(const QString& text)
{
    int value = 0;
    if (!TextToWholeNumber(text, value) || value < 0)
        return std::nullopt;
    return value;
}

// ---- Program options ------------------------------------------------------

ProgramOptionsValues LoadProgramOptions(const MainFormState& form)
{
    ProgramOptionsValues v;
    v.bRetainInputFileTimeStamp = form.bRetainInputFileTimeStamp;
    v.bMoveOriginalFileAfterProcessing = form.bMoveOriginalFileAfterProcessing;
    v.sMoveFileToFolder = form.sMoveFileToFolder;
    v.bDeleteOriginalFileAfterProcessing = form.bDeleteOriginalFileAfterProcessing;
    v.bUseMSWord = form.lConversionMethod == 1 && form.bUserMSWordToConvert;
    v.bOptimizeForSpeed = form.bOptimizeForSpeed;
    v.sInputFile_Password = form.sInputFile_Password;
    v.sInputFile_Password_TW = form.sInputFile_Password_TW;
    v.sInputFileTemplate_Password = form.sInputFileTemplate_Password;
    v.sInputFileTemplate_Password_TW = form.sInputFileTemplate_Password_TW;
    return v;
}

ProgramOptionsCheck CheckProgramOptions(ProgramOptionsValues& values,
                                        const std::function<bool(const QString&)>& folderExists)
{
    if (values.sMoveFileToFolder.trimmed().isEmpty()) {
        values.sMoveFileToFolder.clear();
        values.bMoveOriginalFileAfterProcessing = false;
    }
    if (values.bMoveOriginalFileAfterProcessing && !folderExists(values.sMoveFileToFolder))
        return ProgramOptionsCheck::MoveFolderMissing;
    return ProgramOptionsCheck::Ok;
}

void ApplyProgramOptions(const ProgramOptionsValues& values, MainFormState& form)
{
    form.bRetainInputFileTimeStamp = values.bRetainInputFileTimeStamp;
    form.bMoveOriginalFileAfterProcessing = values.bMoveOriginalFileAfterProcessing;
    form.sMoveFileToFolder = values.sMoveFileToFolder.trimmed();
    form.bDeleteOriginalFileAfterProcessing = values.bDeleteOriginalFileAfterProcessing;
    const int method = values.bUseMSWord ? 1 : 2;
    if (form.lConversionMethod != method)
        form.bCurrentActionItemDirty = true;
    form.lConversionMethod = method;
    form.bUserMSWordToConvert = values.bUseMSWord;
    form.sInputFile_Password = values.sInputFile_Password;
    form.sInputFile_Password_TW = values.sInputFile_Password_TW;
    form.sInputFileTemplate_Password = values.sInputFileTemplate_Password;
    form.sInputFileTemplate_Password_TW = values.sInputFileTemplate_Password_TW;
    form.bOptimizeForSpeed = values.bOptimizeForSpeed;
}

// ---- Document formatting --------------------------------------------------

ParagraphValues ParagraphOf(const MainFormState& form)
{
    return {form.lVyxAlignment, form.lVyxFrameDistance, form.lVyxFrameLineWidth, form.lVyxFrameStyle,
            form.lVyxIndentB,   form.lVyxIndentFL,      form.lVyxIndentL,        form.lVyxIndentR,
            form.lVyxIndentT,   form.lVyxLineSpacing,   form.lVyxLineSpacingT};
}

FontValues FontOf(const MainFormState& form)
{
    return {form.lVyxBaseLine,      form.lVyxFontBold,      form.lVyxFontItalic,
            form.lVyxFontSize,      form.lVyxFontStrikethru, form.lVyxFontUnderline,
            form.lVyxFontUnderlineStyle, form.lVyxForeColor, form.lVyxTextBkColor,
            form.sVyxFontName};
}

FormattingValues LoadFormatting(const MainFormState& form)
{
    FormattingValues v;
    v.bOverridePageSettings = form.bOverridePageSettings;
    v.bOverrideParagraphSettings = form.bOverrideParagraphSettings;
    v.bOverrideFontSettings = form.bOverrideFontSettings;
    v.bOverridePDFSettings = form.bOverridePDFSettings;
    v.bOverrideImageSettings = form.bOverrideImageSettings;
    v.paragraph = ParagraphOf(form);
    v.font = FontOf(form);
    // A stored quality the list does not hold selects no entry.
    v.qualityIndex = form.lImageComparessionQuality >= 0 && form.lImageComparessionQuality <= 100
                         ? form.lImageComparessionQuality
                         : -1;
    v.resolutionText = QString::number(form.lImageMaxResolution);
    v.bEmbedImageIntoOutput = form.bEmbedImageIntoOutput;
    return v;
}

void ApplyFormatting(const FormattingValues& v, MainFormState& form)
{
    form.bOverridePageSettings = v.bOverridePageSettings;

    form.bOverrideParagraphSettings = v.bOverrideParagraphSettings;
    if (v.bOverrideParagraphSettings) {
        const ParagraphValues& p = v.paragraph;
        form.lVyxAlignment = p.lVyxAlignment;
        form.lVyxFrameDistance = p.lVyxFrameDistance;
        form.lVyxFrameLineWidth = p.lVyxFrameLineWidth;
        form.lVyxFrameStyle = p.lVyxFrameStyle;
        form.lVyxIndentB = p.lVyxIndentB;
        form.lVyxIndentFL = p.lVyxIndentFL;
        form.lVyxIndentL = p.lVyxIndentL;
        form.lVyxIndentR = p.lVyxIndentR;
        form.lVyxIndentT = p.lVyxIndentT;
        form.lVyxLineSpacing = p.lVyxLineSpacing;
        form.lVyxLineSpacingT = p.lVyxLineSpacingT;
    }

    form.bOverrideFontSettings = v.bOverrideFontSettings;
    if (v.bOverrideFontSettings) {
        const FontValues& f = v.font;
        form.lVyxBaseLine = f.lVyxBaseLine;
        form.lVyxFontBold = f.lVyxFontBold;
        form.lVyxFontItalic = f.lVyxFontItalic;
        form.lVyxFontSize = f.lVyxFontSize;
        form.lVyxFontStrikethru = f.lVyxFontStrikethru;
        form.lVyxFontUnderline = f.lVyxFontUnderline;
        form.lVyxFontUnderlineStyle = f.lVyxFontUnderlineStyle;
        form.lVyxForeColor = f.lVyxForeColor;
        form.lVyxTextBkColor = f.lVyxTextBkColor;
        form.sVyxFontName = f.sVyxFontName;
    }

    form.bOverrideImageSettings = v.bOverrideImageSettings;
    if (v.bOverrideImageSettings) {
        if (v.qualityIndex >= 0 && v.qualityIndex <= 100)
            form.lImageComparessionQuality = v.qualityIndex;
        if (const std::optional<int> resolution = NonNegativeNumber(v.resolutionText))
            form.lImageMaxResolution = *resolution;
    }
    form.bEmbedImageIntoOutput = v.bEmbedImageIntoOutput;
    form.bOverridePDFSettings = v.bOverridePDFSettings;
}

// ---- Page setup -----------------------------------------------------------

const std::array<PaperSize, 5>& PaperSizes()
{
    static const std::array<PaperSize, 5> sizes = {{
        {"A4", 11906, 16837},
        {"A5", 8418, 11906},
        {"B5", 9978, 14174},
        {"Letter", 12240, 15840},
        {"Legal", 12240, 20160},
    }};
    return sizes;
}

PageSetupValues LoadPageSetup(const MainFormState& form)
{
    PageSetupValues v;
    v.left = TwipsToUnitText(float(form.lVyxPageMarginL));
    v.top = TwipsToUnitText(float(form.lVyxPageMarginT));
    v.right = TwipsToUnitText(float(form.lVyxPageMarginR));
    v.bottom = TwipsToUnitText(float(form.lVyxPageMarginB));
    v.width = TwipsToUnitText(float(form.lVyxPageWidth));
    v.height = TwipsToUnitText(float(form.lVyxPageHeight));
    v.lVyxStyleSheetOption = form.lVyxStyleSheetOption;
    v.sVyxStyleSheetFile = form.sVyxStyleSheetFile;
    v.bVyxPortrait = form.bVyxPortrait;
    return v;
}

namespace {

// A text in the page unit as a number, read as the user's locale reads it.
std::optional<double> unitNumber(const QString& text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool near(int a, int b)
{
    return std::abs(a - b) < 10;
}

} // namespace

std::optional<int> PageLengthTwips(const QString& text)
{
    if (text.trimmed().isEmpty())
        return 0;
    const std::optional<double> units = unitNumber(text);
    if (!units || *units < 0)
        return std::nullopt;
    const double factor = glnMeasurement == 2 ? 567.0 : 1440.0;
    if (*units * factor > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return UnitTextToTwips(text);
}

int DetectPaperSize(const QString& width, const QString& height)
{
    const std::optional<double> w = unitNumber(width);
    const std::optional<double> h = unitNumber(height);
    if (!w || !h)
        return kUserDefinedPaper;
    const bool widthIsLong = *w >= *h;
    const int longSide = UnitTextToTwips(widthIsLong ? width : height);
    const int shortSide = UnitTextToTwips(widthIsLong ? height : width);
    const auto& sizes = PaperSizes();
    for (int i = 0; i < int(sizes.size()); ++i)
        if (near(shortSide, sizes[i].width) && near(longSide, sizes[i].height))
            return i;
    return kUserDefinedPaper;
}

void UpdateForPortraitLandscape(QString& width, QString& height, bool landscape)
{
    const std::optional<double> w = unitNumber(width);
    const std::optional<double> h = unitNumber(height);
    if (!w || !h || (landscape && *h > *w) || (!landscape && *h < *w))
        std::swap(width, height);
}

bool PageSetupIsValid(const PageSetupValues& v)
{
    const auto l = PageLengthTwips(v.left), t = PageLengthTwips(v.top), r = PageLengthTwips(v.right),
               b = PageLengthTwips(v.bottom), w = PageLengthTwips(v.width), h = PageLengthTwips(v.height);
    if (!l || !t || !r || !b || !w || !h || *w <= 0 || *h <= 0)
        return false;
    return qint64(*l) + *r < *w && qint64(*t) + *b < *h;
}

void ApplyPageSetup(const PageSetupValues& v, MainFormState& form)
{
    const std::pair<const QString*, int*> lengths[] = {
        {&v.left, &form.lVyxPageMarginL},  {&v.top, &form.lVyxPageMarginT},  {&v.right, &form.lVyxPageMarginR},
        {&v.bottom, &form.lVyxPageMarginB}, {&v.width, &form.lVyxPageWidth}, {&v.height, &form.lVyxPageHeight},
    };
    for (const auto& [text, member] : lengths)
        if (const std::optional<int> twips = PageLengthTwips(*text))
            *member = *twips;
    if (v.lVyxStyleSheetOption >= 0 && v.lVyxStyleSheetOption <= 3)
        form.lVyxStyleSheetOption = v.lVyxStyleSheetOption;
    form.sVyxStyleSheetFile = v.sVyxStyleSheetFile;
    form.bVyxPortrait = v.bVyxPortrait;
}

// ---- PDF security ---------------------------------------------------------

void PermissionsToChoices(int bits, PdfSecurityValues& v)
{
    // As the text control reads them when it saves the PDF.
    const PdfPermissionChoices choices = PdfPermissionChoicesOf(bits);
    v.printing = choices.printing;
    v.changes = choices.changes;
    v.bAllowContentAccessibility = choices.allowAccessibility;
    v.bAllowExtractContents = choices.allowCopying;
}

int PermissionBits(const PdfSecurityValues& v)
{
    static constexpr int printingBits[] = {0, 128, 64};
    static constexpr int changesBits[] = {0, 8, 2, 1, 41};
    int bits = 0;
    if (v.printing >= 0 && v.printing < 3)
        bits += printingBits[v.printing];
    if (v.changes >= 0 && v.changes < 5)
        bits += changesBits[v.changes];
    if (v.bAllowContentAccessibility)
        bits += 4;
    if (v.bAllowExtractContents)
        bits += 16;
    return bits;
}

PdfSecurityValues LoadPdfSecurity(const MainFormState& form)
{
    PdfSecurityValues v;
    v.bUserPassword = !form.sVyxPDFUserPassword.isEmpty();
    v.sUserPassword = form.sVyxPDFUserPassword;
    v.bMasterPassword = !form.sVyxPDFMasterPassword.isEmpty();
    v.sMasterPassword = form.sVyxPDFMasterPassword;
    PermissionsToChoices(form.lDocAccessPermissions, v);
    return v;
}

PdfSecurityCheck CheckPdfSecurity(const PdfSecurityValues& v)
{
    if (v.bMasterPassword && v.sMasterPassword.isEmpty())
        return PdfSecurityCheck::NoPermissionsPassword;
    if (v.bUserPassword && v.sUserPassword.isEmpty())
        return PdfSecurityCheck::NoOpenPassword;
    if (v.bUserPassword && v.bMasterPassword && v.sUserPassword == v.sMasterPassword)
        return PdfSecurityCheck::SamePasswords;
    return PdfSecurityCheck::Ok;
}

void ApplyPdfSecurity(const PdfSecurityValues& v, MainFormState& form)
{
    form.sVyxPDFUserPassword = v.bUserPassword ? v.sUserPassword : QString();
    form.sVyxPDFMasterPassword = v.bMasterPassword ? v.sMasterPassword : QString();
    form.lDocAccessPermissions = PermissionBits(v);
}

// ---- PDF to image ---------------------------------------------------------

ImageOptionsValues LoadImageOptions(const QString& sDataTransfer)
{
    QString pages;
    int compression = 0, quality = 0, resolution = 0, width = 0, height = 0, layout = 0;
    bool append = false;
    ParseConversionOptionString(sDataTransfer, pages, compression, append, quality, resolution, width, height,
                                layout);
    ImageOptionsValues v;
    if (quality < 1 || quality > 100 || compression < 0 || compression > 4 || layout < 0 || layout > 1)
        return v;   // options the controls cannot show: the defaults
    v.pages = pages;
    v.compression = compression;
    v.append = append;
    v.quality = quality;
    v.resolution = QString::number(resolution);
    v.width = QString::number(width);
    v.height = QString::number(height);
    v.layout = layout;
    v.loadedResolution = resolution;
    v.loadedWidth = width;
    v.loadedHeight = height;
    return v;
}

QString BuildImageOptions(ImageOptionsValues v)
{
    v.pages.remove(u'^');
    const int resolution = NonNegativeNumber(v.resolution).value_or(v.loadedResolution);
    const int width = NonNegativeNumber(v.width).value_or(v.loadedWidth);
    const int height = NonNegativeNumber(v.height).value_or(v.loadedHeight);
    return BuildConversionOptionString(v.pages, v.compression, v.append, QString::number(v.quality), resolution,
                                       width, height, v.layout);
}

bool SameImageOptions(const QString& before, const QString& after)
{
    return BuildImageOptions(LoadImageOptions(before)) == BuildImageOptions(LoadImageOptions(after));
}

// ---- Search and replace ---------------------------------------------------

SearchOptionsValues LoadSearchOptions(const MainFormState& form)
{
    return {form.bRXHDCaseSensitive, form.bRXHDUseRegularExpression, form.bRXHDWholeWordOnly,
            form.bRXHDBeginningOfLine, form.bRXHDEndOfLine, form.bRXHDMultiLine,
            form.bRXHDGenerateReportWhenDone, form.sRXHDReportFileName};
}

void ApplySearchOptions(const SearchOptionsValues& v, MainFormState& form)
{
    form.bRXHDCaseSensitive = v.bRXHDCaseSensitive;
    form.bRXHDUseRegularExpression = v.bRXHDUseRegularExpression;
    form.bRXHDWholeWordOnly = v.bRXHDWholeWordOnly;
    form.bRXHDBeginningOfLine = v.bRXHDBeginningOfLine;
    form.bRXHDEndOfLine = v.bRXHDEndOfLine;
    form.bRXHDMultiLine = v.bRXHDMultiLine;
    form.bRXHDGenerateReportWhenDone = v.bRXHDGenerateReportWhenDone;
    form.sRXHDReportFileName = v.sRXHDReportFileName;
}

bool SearchTypeHasAllOptions(int inputType)
{
    return inputType == 1 || inputType == 2 || inputType == 6;
}
