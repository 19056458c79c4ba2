// The two reporters of a refused task: the window's boxes and prompts, and
// the command line's log line.
#include "Validation.h"

#include "base/Prompter.h"
#include "core/FileSystem.h"
#include "core/FileTypes.h"
#include "core/LogFile.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"
#include "jobs/ValidationInternal.h"

using namespace validation_detail;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTwoBreaks = QStringLiteral("\n\n");

QString tr(const char* text)
{
    return Translate(QString::fromUtf8(text));
}

// Why the tested folder cannot take the output, and a path to offer instead.
struct FolderVerdict
{
    int code = outputfolder::NotWriteable;
    QString reason;
    QString recommended;
};

FolderVerdict judgeOutputFolder(const clsConversionOptions& o)
{
    FolderVerdict verdict;
    verdict.code = CheckOutputFolderSafety(OutputPathTested(o), verdict.recommended, verdict.reason);
    // The folder may have changed since the test: it still failed.
    if (verdict.code == outputfolder::Safe) {
        verdict.code = outputfolder::NotWriteable;
        verdict.reason = QStringLiteral("Output folder is not writeable.");
    }
    return verdict;
}

// The reason in the user's language. The failure text that follows an
// unknown status is the system's own: as part of the phrase it would make
// a new phrase for the language file each time.
QString translatedReason(const QString& reason)
{
    const QString unknown = QString::fromLatin1(kOutputFolderUnknownStatus);
    if (reason.startsWith(unknown))
        return Translate(unknown) + reason.mid(unknown.size());
    return Translate(reason);
}

// Message pieces both reporters share; `sep` joins the pieces.
QString outputFolderMissingText(const QString& folder, const QString& sep)
{
    return tr("Output Folder") + sep + folder + sep + tr("does not exist.");
}

// The editor offers DOCX for every special process, but the text processes
// cannot read it: the refusal says so.
QString invalidSpecialInputText(const clsConversionOptions& o)
{
    QString text = tr("Invalid Input file type for the Special Process specified.");
    const bool textProcess = o.lSpecialProcess == specialprocess::Append
                             || o.lSpecialProcess == specialprocess::RemoveEmptyLines
                             || o.lSpecialProcess == specialprocess::SearchAndReplace;
    if (textProcess && o.lOriginalFileType == filetype::Docx)
        text += u' ' + tr("Word (DOCX) files cannot be used by this special process; save them as Word 97-2003 "
                          "(DOC) or Rich Text Format (RTF) first.");
    return text;
}

QString inputFolderMissingText(const clsConversionOptions& o, const QString& sep)
{
    return tr("Input Folder") + sep + InputFolderTested(o) + sep + tr("does not exist.");
}

QString outputWildcardText(const clsConversionOptions& o, const QString& sep, const char* tail)
{
    return tr("Output File") + sep + o.sTargetFile + sep + tr(tail);
}

QString needsWildcardText(const QString& sep)
{
    return tr("'Output File' must have wild card (*) since Input file has a wildcard.") + sep
           + tr("For example: 'C:\\MyFiles\\*.PDF'");
}

const char kNotUnlessInput[] = "cannot have a wildcard (*) in it unless the Input file does.";
const char kNotForProcess[] = "cannot have a wildcard (*) for this special process";

class WindowReport
{
public:
    WindowReport(MainFormState& form, clsConversionOptions& o, Prompter& prompter, TaskEditorFields* editor)
        : m_form(form), m_o(o), m_prompter(prompter), m_editor(editor)
    {
    }

    bool run(bool offerRecommendation);

private:
    MessageAnswer box(const QString& text, MessageButtons buttons = MessageButtons::Ok,
                      MessageIcon icon = MessageIcon::Information)
    {
        return m_prompter.ask(text, tr("Error"), buttons, icon);
    }
    void closingBox(const QString& message) { box(tr("Unable to add/update: ") + kTwoBreaks + message); }
    void focus(EditorField field)
    {
        if (m_editor)
            m_editor->focus(field);
    }
    void focusIfVisible(EditorField field)
    {
        if (m_editor && m_editor->isVisible(field))
            m_editor->focus(field);
    }

    bool outputFolderNotWritable(bool offerRecommendation);
    bool typeMismatch(const char* caption, const char* text, EditorField field);
    bool offerToCreate(const QString& folder, const char* question, const char* repeat, bool focusOnlyIfVisible);

    MainFormState& m_form;
    clsConversionOptions& m_o;
    Prompter& m_prompter;
    TaskEditorFields* m_editor;
};

bool WindowReport::outputFolderNotWritable(bool offerRecommendation)
{
    const FolderVerdict verdict = judgeOutputFolder(m_o);
    const QString message = translatedReason(verdict.reason) + kTwoBreaks + OutputFolderTested(m_o) + kTwoBreaks;
    // Another output folder cannot help an output that goes beside its input.
    const bool offer = offerRecommendation && verdict.code != outputfolder::NotWriteable
                       && !m_o.bSaveInOriginalFolder && !verdict.recommended.isEmpty();
    bool accepted = false;
    if (!offer) {
        box(message, MessageButtons::Ok, MessageIcon::Critical);
    } else if (box(message + tr("Do you want to use the recommended output folder path below instead") + u':'
                       + kTwoBreaks + verdict.recommended,
                   MessageButtons::OkCancel, MessageIcon::Warning)
               == MessageAnswer::Ok) {
        m_o.sTargetFile = verdict.recommended;
        if (m_editor)
            m_editor->setText(EditorField::TargetFile, verdict.recommended);
        accepted = true;
    }
    focus(EditorField::TargetFile);
    if (!accepted)
        return false;
    // The recommended folder has to pass the same checks as a typed one.
    ValidateConversionOptions(m_form, m_o, m_editor);
    return m_o.lErr == taskerror::Valid || run(false);
}

bool WindowReport::typeMismatch(const char* caption, const char* text, EditorField field)
{
    const NeverShowAgainAnswer answer = m_prompter.askWithNeverShowAgain(tr(caption), tr(text));
    if (answer.bClickedContinue)
        m_o.lErr = taskerror::Valid;
    else
        focusIfVisible(field);
    return answer.bClickedCheckBox;
}

bool WindowReport::offerToCreate(const QString& folder, const char* question, const char* repeat,
                                 bool focusOnlyIfVisible)
{
    if (TrimBlanks(folder).isEmpty()) {
        box(tr("Output file not specified. Use a wildcard to specify whole folder."));
        focus(EditorField::TargetFile);
        return false;
    }
    QString text = tr("Output Folder") + kTwoBreaks + folder + kTwoBreaks + tr(question);
    if (repeat)
        text += kTwoBreaks + tr(repeat);
    if (box(text, MessageButtons::YesNo) == MessageAnswer::Yes) {
        CreateFolderPath(folder);
        return true;
    }
    if (focusOnlyIfVisible)
        focusIfVisible(EditorField::TargetFile);
    else
        focus(EditorField::TargetFile);
    return false;
}

bool WindowReport::run(bool offerRecommendation)
{
    switch (m_o.lErr) {
    case taskerror::OutputFolderNotWritable:
        return outputFolderNotWritable(offerRecommendation);
    case taskerror::SpecialInputTypeMismatch:
        if (m_form.bSP_DontShowFileMismatchAgain)
            return false;
        m_form.bSP_DontShowFileMismatchAgain = typeMismatch(
            "File Type Mismatch",
            "'File Format' and 'Input File' extension do not match.  For example, you may have chosen .RTF for "
            "the file format, but specified .HTM for the file extension.  Do you want to continue?",
            EditorField::OriginalFileSpecialized);
        return false;
    case taskerror::OutputTypeMismatch:
    case taskerror::OutputTypeMismatchOther:
        if (m_form.bConv_DontShowFileMismatchAgain && m_form.bSP_DontShowFileMismatchAgain)
            return false;
        m_form.bConv_DontShowFileMismatchAgain = typeMismatch(
            "Output File Type Mismatch",
            "'Convert to File Format' and 'Output File' extension do not match.  For example, you may have "
            "chosen .HTM for the file format, but specified .DOC for the file extension.  Do you want to "
            "continue?",
            EditorField::TargetFile);
        return false;
    case taskerror::InputTypeMismatch:
        if (m_form.bConv_DontShowFileMismatchAgain && m_form.bSP_DontShowFileMismatchAgain)
            return false;
        m_form.bConv_DontShowFileMismatchAgain = typeMismatch(
            "Input File Type Mismatch",
            "'Input File Format' and 'Input File' extension do not match.  For example, you may have chosen .RTF "
            "for the file format, but specified .HTM for the file extension.  Do you want to continue?",
            EditorField::OriginalFile);
        return false;
    case kErrTaskTextNotStorable:
        closingBox(TaskRowTextsMessage(m_o, kTwoBreaks));
        return false;
    case taskerror::FindStringEmpty:
        box(tr("String to find and replace is empty."));
        focus(EditorField::FindString);
        return false;
    case taskerror::NegativeWaitTime:
        box(tr("Wait time cannot be negative"));
        focus(EditorField::CommandLineWaitTime);
        return false;
    case taskerror::AppendOutputIsFolder:
        box(tr("Output must be a specific file. Not a folder."));
        focusIfVisible(EditorField::TargetFileSpecialized);
        return false;
    case taskerror::AppendOntoItself:
        box(tr("Input and Output File are the same. Cannot concatenate a file onto itself"));
        focusIfVisible(EditorField::TargetFileSpecialized);
        return false;
    case taskerror::AppendOutputWildcard:
        box(outputWildcardText(m_o, kTwoBreaks, kNotForProcess));
        focusIfVisible(EditorField::TargetFileSpecialized);
        return false;
    case taskerror::InvalidSpecialInput:
        box(invalidSpecialInputText(m_o));
        return false;
    case taskerror::InvalidSpecialProcess:
        box(tr("Invalid Special Process Identifier specified"));
        return false;
    case taskerror::PdfToPdf:
        box(tr("Input and Output file types are identical."));
        return false;
    case taskerror::ConversionOptionsEmpty:
        box(tr("Conversion Options empty."));
        return false;
    case taskerror::OutputEmpty:
        focus(EditorField::TargetFile);
        box(tr("Unable to add/update: ") + kTwoBreaks + tr("Output File has not been specified."));
        return false;
    case taskerror::InvalidOutputType:
        box(tr("Invalid Output File type specified"));
        return false;
    case taskerror::InvalidInputType:
        box(UnconvertibleInputText(m_o.sOriginalFile, kTwoBreaks));
        focus(EditorField::OriginalFile);
        return false;
    case taskerror::OutputFolderMissing:
        return offerToCreate(GetParentFolderName(m_o.sTargetFile), "does not exist.  Create it?", "Create it?", true);
    case taskerror::WildOutputFolderMissing:
        return offerToCreate(WildOutputFolderTested(m_o), "does not exist. Create it?", nullptr, false);
    case taskerror::OutputHasWildcard: {
        const QString message = outputWildcardText(m_o, kTwoBreaks, kNotUnlessInput);
        box(message);
        focusIfVisible(EditorField::TargetFile);
        closingBox(message);
        return false;
    }
    case taskerror::InputFileMissing:
        focus(EditorField::OriginalFile);
        if (m_o.sOriginalFile.isEmpty()) {
            closingBox(tr("Input File has not been specified."));
            return false;
        }
        return box(tr("Unable to add/update: ") + kTwoBreaks + tr("Input File") + kTwoBreaks + m_o.sOriginalFile
                       + kTwoBreaks + tr("does not exist.") + QStringLiteral("\n\n") + tr("Add anyway?"),
                   MessageButtons::YesNo)
               == MessageAnswer::Yes;
    case taskerror::OutputNeedsWildcard: {
        const QString message = needsWildcardText(kTwoBreaks);
        box(message);
        focusIfVisible(EditorField::TargetFile);
        closingBox(message);
        return false;
    }
    case taskerror::InputFolderMissing: {
        const QString message = inputFolderMissingText(m_o, kTwoBreaks);
        box(message);
        focus(EditorField::OriginalFile);
        closingBox(message);
        return false;
    }
    default:
        closingBox(QString());
        return false;
    }
}

QString commandLineText(const clsConversionOptions& o)
{
    switch (o.lErr) {
    case taskerror::OutputFolderNotWritable:
        return tr("Output Folder") + QStringLiteral(": ") + translatedReason(judgeOutputFolder(o).reason) + kCrLf
               + OutputFolderTested(o);
    case kErrTaskTextNotStorable:
        return TaskRowTextsMessage(o, kCrLf);
    case taskerror::FindStringEmpty:
        return tr("String to find and replace is empty.");
    case taskerror::NegativeWaitTime:
        return tr("Wait time cannot be negative");
    case taskerror::AppendOutputIsFolder:
        return tr("Output must be a specific file. Not a folder.");
    case taskerror::AppendOntoItself:
        return tr("Cannot concatenate a file with itself.");
    case taskerror::AppendOutputWildcard:
        return outputWildcardText(o, kCrLf, kNotForProcess);
    case taskerror::InvalidSpecialInput:
        return invalidSpecialInputText(o);
    case taskerror::InvalidSpecialProcess:
        return tr("Invalid Special Process Identifier specified");
    case taskerror::PdfToPdf:
        return tr("Input and Output file types are identical.");
    case taskerror::ConversionOptionsEmpty:
        return tr("Conversion Options empty.");
    case taskerror::OutputEmpty:
        return tr("Output File") + kCrLf + o.sTargetFile + kCrLf + tr("does not exist.");
    case taskerror::JobFileMissing:
        return tr("Conversion Job File (*.KRJ) specified in the command line (/J) does not exist.");
    case taskerror::InvalidInputType:
        return UnconvertibleInputText(o.sOriginalFile, kCrLf);
    case taskerror::InvalidOutputType:
        return tr("Invalid Output File type specified (/C# switch).") + QStringLiteral("\n\n")
               + tr("If you are not using the built in 'Tessaview' conversion, use the correct Output type "
                    "lookup table");
    case taskerror::OutputFolderMissing:
        return outputFolderMissingText(GetParentFolderName(o.sTargetFile), kCrLf);
    case taskerror::WildOutputFolderMissing:
        return outputFolderMissingText(WildOutputFolderTested(o), kCrLf);
    case taskerror::OutputHasWildcard:
        return outputWildcardText(o, kCrLf, kNotUnlessInput);
    case taskerror::InputFileMissing:
        return tr("Input File") + kCrLf + o.sOriginalFile + kCrLf + tr("does not exist.");
    case taskerror::OutputNeedsWildcard:
        return needsWildcardText(kCrLf);
    case taskerror::InputFolderMissing:
        return inputFolderMissingText(o, kCrLf);
    default:
        return QString();
    }
}

} // namespace

bool bConfirmConversionItemGUI(MainFormState& form, clsConversionOptions& options, Prompter& prompter,
                               TaskEditorFields* editor)
{
    return WindowReport(form, options, prompter, editor).run(true);
}

void ReportConversionItemErrorCommandLine(clsConversionOptions& options)
{
    options.sErr = commandLineText(options);
    WriteMessageToLogFile(options.sErr, options.sLogFile, options.bVerbose);
}
