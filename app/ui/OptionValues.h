#pragma once
// What each option dialog edits, as plain values: loading them from the
// main form's members (or the task's option string) and applying them back
// are pure functions, so the dialogs themselves only show and collect them.
#include <QString>

#include <array>
#include <functional>
#include <optional>

class MainFormState;

// A whole number typed into a box: nothing for a text that is not a
// number, is negative or does not fit into 32 bits (the old value stays).
std::optional<int> NonNegativeNumber(const QString& text);

// ---- Program options ------------------------------------------------------

struct ProgramOptionsValues
{
    bool bRetainInputFileTimeStamp = false;
    bool bMoveOriginalFileAfterProcessing = false;
    QString sMoveFileToFolder;
    bool bDeleteOriginalFileAfterProcessing = false;
    bool bUseMSWord = false;   // "Use MS Word": the Word-conversion control renders
    bool bOptimizeForSpeed = true;
    QString sInputFile_Password;
    QString sInputFile_Password_TW;
    QString sInputFileTemplate_Password;
    QString sInputFileTemplate_Password_TW;

    bool operator==(const ProgramOptionsValues&) const = default;
};

ProgramOptionsValues LoadProgramOptions(const MainFormState& form);

enum class ProgramOptionsCheck { Ok, MoveFolderMissing };
// The checks of Apply. A move-to folder of blanks only becomes empty and
// unticks moving; moving to a folder that does not exist is refused.
ProgramOptionsCheck CheckProgramOptions(ProgramOptionsValues& values,
                                        const std::function<bool(const QString&)>& folderExists);
// Writes the values; a change of the rendering engine marks the edited task
// as changed.
void ApplyProgramOptions(const ProgramOptionsValues& values, MainFormState& form);

// ---- Document formatting --------------------------------------------------

struct ParagraphValues
{
    int lVyxAlignment = 0;
    int lVyxFrameDistance = 0;
    int lVyxFrameLineWidth = 0;
    int lVyxFrameStyle = 0;
    int lVyxIndentB = 0;
    int lVyxIndentFL = 0;
    int lVyxIndentL = 0;
    int lVyxIndentR = 0;
    int lVyxIndentT = 0;
    int lVyxLineSpacing = 0;
    int lVyxLineSpacingT = 0;

    bool operator==(const ParagraphValues&) const = default;
};

struct FontValues
{
    int lVyxBaseLine = 0;
    int lVyxFontBold = 0;
    int lVyxFontItalic = 0;
    int lVyxFontSize = 12;
    int lVyxFontStrikethru = 0;
    int lVyxFontUnderline = 0;
    int lVyxFontUnderlineStyle = 1;
    int lVyxForeColor = 0;
    int lVyxTextBkColor = 0;
    QString sVyxFontName;

    bool operator==(const FontValues&) const = default;
};

struct FormattingValues
{
    bool bOverridePageSettings = false;
    bool bOverrideParagraphSettings = false;
    bool bOverrideFontSettings = false;
    bool bOverridePDFSettings = false;
    bool bOverrideImageSettings = false;
    // The working values the font and paragraph dialogs change.
    ParagraphValues paragraph;
    FontValues font;
    int qualityIndex = -1;   // entry of the list "0" to "100"; -1 none selected
    QString resolutionText;
    bool bEmbedImageIntoOutput = false;

    bool operator==(const FormattingValues&) const = default;
};

ParagraphValues ParagraphOf(const MainFormState& form);
FontValues FontOf(const MainFormState& form);
FormattingValues LoadFormatting(const MainFormState& form);
// Writes the flags, and each group's members only while its flag is on;
// no selected quality and a resolution that is no number keep the old
// values. bEmbedImageIntoOutput follows its box whatever the image flag.
void ApplyFormatting(const FormattingValues& values, MainFormState& form);

// ---- Page setup -----------------------------------------------------------

struct PaperSize
{
    const char* name;
    int width;    // portrait, twips
    int height;
};
// "A4", "A5", "B5", "Letter", "Legal", then "User Defined" (index 5).
const std::array<PaperSize, 5>& PaperSizes();
constexpr int kUserDefinedPaper = 5;

struct PageSetupValues
{
    QString left, top, right, bottom, width, height;   // in the page unit
    int lVyxStyleSheetOption = 0;
    QString sVyxStyleSheetFile;
    bool bVyxPortrait = true;

    bool operator==(const PageSetupValues&) const = default;
};

// The lengths shown in the unit glnMeasurement.
PageSetupValues LoadPageSetup(const MainFormState& form);
// The paper whose long and short sides the two texts are within 10 twips
// of; kUserDefinedPaper for any other size, or for a text that is no number.
int DetectPaperSize(const QString& width, const QString& height);
// Swaps width and height to agree with the orientation (also when either
// is no number).
void UpdateForPortraitLandscape(QString& width, QString& height, bool landscape);
// A length typed in the page unit, in twips; nothing for a text that is no
// number, is negative or too large. The empty text is 0.
std::optional<int> PageLengthTwips(const QString& text);
// Valid: every length readable, sizes positive, left plus right below the
// width and top plus bottom below the height.
bool PageSetupIsValid(const PageSetupValues& values);
// Writes the lengths that can be read (others keep their old value), the
// style-sheet option and file and the orientation.
void ApplyPageSetup(const PageSetupValues& values, MainFormState& form);

// ---- PDF security ---------------------------------------------------------

struct PdfSecurityValues
{
    bool bUserPassword = false;
    QString sUserPassword;
    bool bMasterPassword = false;
    QString sMasterPassword;
    int printing = 0;   // 0 none, 1 low resolution, 2 high resolution
    int changes = 0;    // 0 none, 1 pages, 2 form fields, 3 comments and form fields, 4 any except extracting pages
    bool bAllowContentAccessibility = false;
    bool bAllowExtractContents = false;

    bool operator==(const PdfSecurityValues&) const = default;
};

// The permission bits to the lists and boxes, and back.
void PermissionsToChoices(int bits, PdfSecurityValues& values);
int PermissionBits(const PdfSecurityValues& values);
PdfSecurityValues LoadPdfSecurity(const MainFormState& form);
// The first check of Ok that fails.
enum class PdfSecurityCheck { Ok, NoPermissionsPassword, NoOpenPassword, SamePasswords };
PdfSecurityCheck CheckPdfSecurity(const PdfSecurityValues& values);
void ApplyPdfSecurity(const PdfSecurityValues& values, MainFormState& form);

// ---- PDF to image ---------------------------------------------------------

struct ImageOptionsValues
{
    QString pages = QStringLiteral("*");
    int compression = 0;   // 0 to 4
    bool append = false;
    int quality = 75;      // 1 to 100
    QString resolution = QStringLiteral("100");
    QString width = QStringLiteral("0");
    QString height = QStringLiteral("0");
    int layout = 0;        // 0 multiple files, 1 single file
    // What the boxes held when loaded: a text that is no number keeps it.
    int loadedResolution = 100;
    int loadedWidth = 0;
    int loadedHeight = 0;

    bool operator==(const ImageOptionsValues&) const = default;
};

// A quality outside 1 to 100 (also the 0 of a text without options) or a
// compression or layout the controls cannot show gives the defaults.
ImageOptionsValues LoadImageOptions(const QString& sDataTransfer);
// The option string of Apply: "^" removed from the pages, each field
// followed by "^".
QString BuildImageOptions(ImageOptionsValues values);
// True when the dialog's string says the same as the one handed in, field
// by field (the dialog writes one "^" fewer than the editor keeps).
bool SameImageOptions(const QString& before, const QString& after);

// ---- Search and replace ---------------------------------------------------

struct SearchOptionsValues
{
    bool bRXHDCaseSensitive = false;
    bool bRXHDUseRegularExpression = false;
    bool bRXHDWholeWordOnly = false;
    bool bRXHDBeginningOfLine = false;
    bool bRXHDEndOfLine = false;
    bool bRXHDMultiLine = false;
    bool bRXHDGenerateReportWhenDone = false;
    QString sRXHDReportFileName;

    bool operator==(const SearchOptionsValues&) const = default;
};

SearchOptionsValues LoadSearchOptions(const MainFormState& form);
void ApplySearchOptions(const SearchOptionsValues& values, MainFormState& form);
// Text inputs (1, 2, 6) get every option; other documents only case.
bool SearchTypeHasAllOptions(int inputType);
