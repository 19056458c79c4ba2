#pragma once
// Every task passes one validation before it becomes a task row or before a
// command line runs it. Validation may tidy the task's paths and leaves its
// verdict in the record's lErr; it never shows anything. Two reporters put a
// refusal into words: the window asks through a Prompter and may offer a
// fix, the command line writes one text to its log file.
#include <QString>

class clsConversionOptions;
class MainFormState;
class Prompter;

// Verdicts left in lErr.
namespace taskerror {
constexpr int Valid = 0;
constexpr int InputFolderMissing = -1;         // wildcard input whose folder is missing
constexpr int OutputNeedsWildcard = -2;        // wildcard input, output without "*"
constexpr int WildOutputFolderMissing = -3;
constexpr int InputFileMissing = -4;
constexpr int OutputHasWildcard = -5;          // single input, output with a wildcard
constexpr int OutputFolderMissing = -6;
constexpr int InvalidOutputType = -7;
constexpr int JobFileMissing = -8;             // command line: the /J job file
constexpr int OutputTypeMismatch = -8;         // window: output extension against its type
constexpr int InputTypeMismatch = -9;
constexpr int OutputTypeMismatchOther = -10;   // shown as -8; no rule sets it
constexpr int OutputEmpty = -11;
constexpr int ConversionOptionsEmpty = -12;
constexpr int PdfToPdf = -13;
constexpr int InvalidInputType = -14;          // no input type the text control reads (an unknown extension)
constexpr int InvalidSpecialProcess = -101;
constexpr int InvalidSpecialInput = -102;
constexpr int AppendOutputWildcard = -103;
constexpr int AppendOntoItself = -104;
constexpr int AppendOutputIsFolder = -105;
constexpr int NegativeWaitTime = -106;         // launch wait time below -1 ("wait forever")
constexpr int FindStringEmpty = -110;
constexpr int SpecialInputTypeMismatch = -111;
constexpr int OutputFolderNotWritable = -1000000;
} // namespace taskerror

// The task editor's fields that validation tidies and the window reporter
// points the user at. The window supplies it; without an editor (command
// line, job runs) nothing is tidied or focused.
enum class EditorField {
    OriginalFile,
    TargetFile,
    OriginalFileSpecialized,
    TargetFileSpecialized,
    FindString,
    CommandLineWaitTime,
};

class TaskEditorFields
{
public:
    virtual ~TaskEditorFields() = default;
    virtual QString text(EditorField field) const = 0;
    virtual void setText(EditorField field, const QString& text) = 0;
    virtual bool isVisible(EditorField field) const = 0;
    // Gives the field the focus with its whole text selected.
    virtual void focus(EditorField field) = 0;
};

// Validates the task and leaves the verdict in lErr (cleared first). The
// task's paths are checked with their macros expanded; a path validation
// did not otherwise change gets its macros back, a path it completed keeps
// the expanded form. Returns 1 when the output-folder test failed, else 0.
// Runs the window-only checks (type mismatch) unless G_bCommandLineMode.
int ValidateConversionOptions(MainFormState& form, clsConversionOptions& options,
                              TaskEditorFields* editor = nullptr);

// The parts of ValidateConversionOptions; each returns 0, its verdict is lErr.
int ValidateSpecializedItem(MainFormState& form, clsConversionOptions& options);
int ValidateConversionItem(MainFormState& form, clsConversionOptions& options,
                           TaskEditorFields* editor = nullptr);
// May set -111 when a special process's input extension does not fit its type.
void CheckInputFileTypeMismatch(const MainFormState& form, clsConversionOptions& options);

// The window's reporter, after ValidateConversionOptions left lErr non-zero.
// True: add or update the task anyway (the user accepted a fix or chose to
// go on). False: do not, unless lErr was reset to 0 (a mismatch question
// answered Continue). A recommended output folder that the user accepts is
// validated again, and a new refusal is reported in its turn.
bool bConfirmConversionItemGUI(MainFormState& form, clsConversionOptions& options, Prompter& prompter,
                               TaskEditorFields* editor = nullptr);

// The command line's reporter: sets sErr to the text for lErr and appends it
// to sLogFile (shown in a box as well when bVerbose).
void ReportConversionItemErrorCommandLine(clsConversionOptions& options);

// True when a conversion through the text control can read its input as
// this type: a document type, or PDF (which goes to the rasteriser).
bool bConvertibleInputType(int lType);

// Why a conversion's input cannot be converted: the file, that its type is
// not one the task's input type covers, and the types expected, joined by
// `sep`. It never shows a type number.
QString UnconvertibleInputText(const QString& file, const QString& sep);

// The extension of a path's file-name part (the text after the last "/"),
// after its last ".", without blanks at the end; "" when the name has no
// dot. A folder with a dot in its name gives no extension to what is below.
QString NamePartExtension(const QString& path);

// The folder that the output-folder test writes into for this task: the
// deepest existing folder of the input's path when the output goes beside
// the input, else of the output's path. "" when the task names no output.
QString OutputFolderTested(const clsConversionOptions& options);
