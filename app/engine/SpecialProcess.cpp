#include "engine/SpecialProcess.h"

#include "core/StringRoutines.h"
#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/FileTypes.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "engine/JobEngine.h"
#include "jobs/EditorTypeLists.h"
#include "jobs/FlexGrid.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"
#include "textcontrol/TextControlUnits.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

int reloadJobSlice(JobEngine& engine, clsConversionOptions& item)
{
    FlexGrid& grid = engine.form.fgToDo;
    GridReplacedWatch watch(grid);
    const JobLoadResult loaded = LoadConversionJobFile(engine.form, item.sTargetFile, item.lTargetFileType, grid);
    engine.bTaskGridReloaded = watch.replaced;
    if (loaded == JobLoadResult::Complete || loaded == JobLoadResult::Partial) {
        item.sErr = Translate(QStringLiteral("Successfully Processed."));
        return item.lErr;
    }
    // A reload that cannot read its file must not pass for one that did.
    item.lErr = specialcode::InputNotLoaded;
    item.sErr = Translate(QStringLiteral(" Unable to open input file. Check file format. Could be a sharing violation: ("))
                + item.sTargetFile + u')';
    return item.lErr;
}

// The input's times, read before the process runs.
struct InputTimes
{
    bool read = false;
    QDateTime creation, access, write;

    void readFrom(const QString& file) { read = !GetFileTimes(file, creation, access, write, true); }
    void setOn(const QString& file) const
    {
        if (read)
            SetFileTimes(file, creation, access, write, true);
    }
};

// The input may go only when the output is a file of its own that holds
// something: an input that is its own output, or whose output came out
// empty, stays where it is.
bool bInputMayGo(const clsConversionOptions& item)
{
    const QFileInfo output(item.sTargetFile);
    if (!output.isFile() || output.size() == 0)
        return false;
    return item.sOriginalFile != item.sTargetFile && !bSameFile(item.sOriginalFile, item.sTargetFile);
}

void moveInput(MainFormState& form, const clsConversionOptions& item)
{
    // Without a folder there is nowhere to move to.
    if (form.sMoveFileToFolder.isEmpty())
        return;
    if (!form.sMoveFileToFolder.endsWith(u'/'))
        form.sMoveFileToFolder += u'/';
    bMoveFileToFolder(item.sOriginalFile, form.sMoveFileToFolder + item.sSubFolder);
}

// Append, remove empty lines and search and replace read their input as a
// text file or through the text control; a hand-made job row can name a
// type neither reads.
bool bReadsInputType(int lFileType)
{
    OfficeLoadOptions readable;
    return bPlainTextType(lFileType) || LoadOptionsForFormat(lFileType, readable);
}

// The types the task editor offers a special process, as it shows them.
// The log row names the file, so the message does not.
QString specialInputTypeText()
{
    QStringList types;
    for (const TypeListEntry& entry : SpecializedFileTypeEntries())
        types << entry.text;
    return Translate(QStringLiteral("Invalid Input file type for the Special Process specified.")) + u' '
           + Translate(QStringLiteral("Expected one of the input file types:")) + u' ' + types.join(QStringLiteral(", "));
}

} // namespace

bool bSpecialProcessExists(int lSpecialProcess)
{
    switch (lSpecialProcess) {
    case specialprocess::ReloadJob:
    case specialprocess::Append:
    case specialprocess::RemoveEmptyLines:
    case specialprocess::SearchAndReplace:
    case specialprocess::LaunchProgram:
        return true;
    default:
        return false;
    }
}

bool bSpecialProcessWritesOutput(int lSpecialProcess)
{
    return lSpecialProcess != specialprocess::LaunchProgram && lSpecialProcess != specialprocess::ReloadJob;
}

bool bPlainTextType(int lFileType)
{
    return lFileType == filetype::Text || lFileType == filetype::Text2 || lFileType == filetype::UnicodeText;
}

bool bTakesTextFileRoute(const clsConversionOptions& item)
{
    if (item.lOriginalFileType == filetype::UnicodeText)
        return bPlainTextType(item.lTargetFileType);
    return bPlainTextType(item.lOriginalFileType);
}

QString GetItemErrorText(const clsConversionOptions& item)
{
    using namespace specialcode;
    switch (item.lErr) {
    case 0:
        return Translate(QStringLiteral("Successfully Processed."));
    case OutputNotSaved:
        return Translate(QStringLiteral("Unable to open or save to output file.  Could be a sharing violation, or "
                                        "invalid file type: ("))
               + item.sTargetFile + u')';
    case InputNotLoaded:
        return Translate(QStringLiteral(" Unable to open input file. Check file format. Could be a sharing violation: ("))
               + item.sOriginalFile + u')';
    case EncodingMismatch:
        return Translate(QStringLiteral("The input holds characters that the output file's character set cannot hold."));
    case SameFile:
        return Translate(QStringLiteral("Source and output File are the same."));
    case NoOutput:
        return Translate(QStringLiteral("Unable to create output File."));
    case LaunchFailed:
        return Translate(QStringLiteral("Unable to launch application."));
    case LaunchTimedOut:
        return Translate(QStringLiteral("Process did not complete in the specified time (Timeout)"));
    case NoSuchProcess:
        // A hand-made job row can name any number; the user hears which
        // there are, in the form the row's Do takes them.
        return Translate(QStringLiteral("The task names no special process there is:")) + QStringLiteral(" '")
               + item.sActionToDo + QStringLiteral("'. ")
               + Translate(QStringLiteral("The special processes are S50 append files, S55 remove empty lines, S56 "
                                          "search and replace, S60 launch a program and S1 load another job file."));
    case BadSpecialCharacters:
        return Translate(QStringLiteral("The find or replacement text holds a malformed special character code: "
                                        "each code is a number from 0 to 255 between two \u00A9 marks."));
    default:
        return QString();
    }
}

int PerformSpecialProcessItem(JobEngine& engine, clsConversionOptions& item)
{
    MainFormState& form = engine.form;
    const int process = item.lSpecialProcess;
    engine.sProcessNote.clear();
    if (process == specialprocess::ReloadJob)
        return reloadJobSlice(engine, item);

    const bool readsInput = process == specialprocess::Append || process == specialprocess::RemoveEmptyLines
                            || process == specialprocess::SearchAndReplace;
    if (readsInput && !bReadsInputType(item.lOriginalFileType)) {
        item.lErr = specialcode::InputNotLoaded;
        item.sErr = specialInputTypeText();
        return item.lErr;
    }

    InputTimes times;
    if (form.bRetainInputFileTimeStamp && bSpecialProcessWritesOutput(process))
        times.readFrom(item.sOriginalFile);

    const bool deletesOrMoves = process == specialprocess::Append || process == specialprocess::RemoveEmptyLines;
    switch (process) {
    case specialprocess::Append:
    case specialprocess::RemoveEmptyLines:
        item.lErr = process == specialprocess::Append ? PerformAppendFile(engine, item)
                                                      : PerformRemoveEmptyLines(engine, item);
        // A missing output is the failure to report, unless the process
        // already named a cause that comes first: the input could not be
        // read, is the output, or holds what the output cannot.
        if (!FileExists(item.sTargetFile) && item.lErr != specialcode::InputNotLoaded
            && item.lErr != specialcode::SameFile && item.lErr != specialcode::EncodingMismatch)
            item.lErr = specialcode::NoOutput;
        break;
    case specialprocess::SearchAndReplace: {
        // It has set its own message.
        const int r = PerformSearchAndReplace(engine, item);
        item.lErr = r;
        if (r == 0) {
            if (form.bRetainInputFileTimeStamp)
                times.setOn(item.sTargetFile);
            if (form.bMoveOriginalFileAfterProcessing && bInputMayGo(item))
                moveInput(form, item);
        }
        return r;
    }
    case specialprocess::LaunchProgram:
        item.lErr = PerformLaunchProgram(engine, item);
        break;
    default:
        // Nothing was done, which is no success.
        item.lErr = specialcode::NoSuchProcess;
        break;
    }

    item.sErr = GetItemErrorText(item);
    if (!engine.sProcessNote.isEmpty() && item.lErr != 0)
        item.sErr = TextWithReason(item.sErr, engine.sProcessNote);
    const int r = item.lErr;
    if (r == 0 && form.bRetainInputFileTimeStamp && bSpecialProcessWritesOutput(process))
        times.setOn(item.sTargetFile);
    if (r == 0 && deletesOrMoves && bInputMayGo(item)) {
        if (form.bDeleteOriginalFileAfterProcessing)
            DeleteFileWithRetry(item.sOriginalFile);
        if (form.bMoveOriginalFileAfterProcessing)
            moveInput(form, item);
    }
    return r;
}
