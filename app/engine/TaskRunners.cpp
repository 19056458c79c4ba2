#include "engine/TaskRunners.h"

#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "engine/FileList.h"
#include "core/FileTypes.h"
#include "engine/JobEngine.h"
#include "engine/LogRows.h"
#include "engine/OfficePool.h"
#include "engine/SpecialProcess.h"
#include "engine/clsRexhound.h"
#include "jobs/FlexGrid.h"
#include "jobs/MainFormState.h"

#include <QLocale>
#include <QStringList>

#include <exception>
#include <functional>

namespace {

using ItemRunner = std::function<int(clsConversionOptions&)>;

class ListingStatus : public FileListingBusy
{
public:
    explicit ListingStatus(MainFormState& form) : m_form(form) {}
    void BeginBusy(const QString& statusText) override
    {
        m_form.SetStatusPanelText(statuspanel::Status, statusText);
        m_form.DoEvents();
    }
    void EndBusy() override { m_form.SetStatusPanelText(statuspanel::Status, QString()); }

private:
    MainFormState& m_form;
};

// An error raised inside an item ends that item only.
int runItem(const ItemRunner& runner, clsConversionOptions& item)
{
    QString what;
    try {
        return runner(item);
    } catch (const std::exception& e) {
        what = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    item.lErr = kItemRaisedError;
    item.sErr = Translate(QStringLiteral("Unexpected error")) + (what.isEmpty() ? QString() : QStringLiteral(": ") + what);
    return item.lErr;
}

QString subFolderOf(const QString& inputFolder, const QString& root);
void takeItemFailure(clsConversionOptions& task, const clsConversionOptions& item);

bool listInput(JobEngine& engine, int lJobNumber, clsConversionOptions& task, QStringList& files,
               QList<UnreachableInput>& unreachable)
{
    ListingStatus status(engine.form);
    if (bGetFilesMatchingSpec(task, task.sOriginalFile, files, true,
                              engine.form.bContinueFileListingOnError, &status, &unreachable))
        return true;
    task.lErr = kListingFailed;
    LogConversionError(engine.form, lJobNumber, task);
    return false;
}

// Each file or folder the listing met but could not reach is a failed item
// of its own, with the system's reason, logged once: not again when the
// task goes on after a Pause. `outputFor` gives an item's output from its
// folder, sub-folder and base name. Returns kListingFailed when there was
// one, else 0.
int logUnreachable(JobEngine& engine, int lJobNumber, clsConversionOptions& task, const clsConversionOptions& kind,
                   const QList<UnreachableInput>& unreachable, const QString& root,
                   const std::function<QString(const QString& folder, const QString& subFolder, const QString& base)>&
                       outputFor)
{
    if (unreachable.isEmpty() || engine.lResumeFileIndex > 0)
        return 0;
    const QString mask = task.sOriginalFile.mid(task.sOriginalFile.lastIndexOf(u'/') + 1);
    for (const UnreachableInput& entry : unreachable) {
        clsConversionOptions item = kind;
        const QString folder = entry.folder ? entry.path : GetFolderPart(entry.path);
        item.sSubFolder = subFolderOf(folder, root);
        // A folder's row names its files as the task does, so that the row
        // saved as a job lists them again.
        item.sOriginalFile = entry.folder ? entry.path + mask : entry.path;
        item.sTargetFile = outputFor(folder, item.sSubFolder, entry.folder ? QStringLiteral("*") : GetBaseName(entry.path));
        item.lErr = kListingFailed;
        item.sErr = TextWithReason(Translate(entry.folder ? QStringLiteral("Unable to search the folder.")
                                                          : QStringLiteral("Unable to open the input file.")),
                                   entry.reason);
        LogConversionError(engine.form, lJobNumber, item);
        takeItemFailure(task, item);
    }
    return kListingFailed;
}

void notePendingPause(JobEngine& engine, clsConversionOptions& task)
{
    if (engine.form.bRunning)
        return;
    task.sErr = Translate(QStringLiteral("Conversion Process paused."));
    task.lErr = 0;
}

void showProgressBefore(JobEngine& engine, const QString& input, int i, int n)
{
    MainFormState& form = engine.form;
    form.SetStatusPanelText(statuspanel::Status, input);
    form.SetStatusPanelText(statuspanel::RunState,
                            QStringLiteral(" ") + QLocale().toString(double(i) * 100.0 / n, 'f', 1)
                                + Translate(QStringLiteral(" Percent Complete ")));
}

// Where the outputs of a "*" output path go: the text before the "*" is a
// folder and the start of every output's name. The input's sub-folder is
// put between the two, so that mirrored folders keep their names.
struct OutputPattern
{
    QString folder;
    QString namePrefix;
    QString extension;
    bool besideInput = false;

    explicit OutputPattern(const QString& target, const QString& ext, bool saveInOriginalFolder)
        : extension(ext)
        , besideInput(saveInOriginalFolder)
    {
        const qsizetype star = target.indexOf(u'*');
        const QString prefix = star < 0 ? GetFolderPart(target) : target.left(star);
        folder = GetFolderPart(prefix);
        namePrefix = prefix.mid(folder.size());
    }

    // Output of one input; creates the mirrored folder when missing.
    QString outputFor(const QString& inputFolder, const QString& subFolder, const QString& base) const
    {
        if (!besideInput) {
            const QString out = folder + subFolder;
            if (!out.isEmpty() && !FolderExists(out))
                CreateFolderPath(out);
        }
        return pathFor(inputFolder, subFolder, base);
    }

    // The same without making any folder.
    QString pathFor(const QString& inputFolder, const QString& subFolder, const QString& base) const
    {
        QString out = besideInput ? inputFolder : folder + subFolder + namePrefix;
        out += base;
        if (!extension.isEmpty())
            out += u'.' + extension;
        return out;
    }
};

// The input's folder below the task's input folder, with its closing "/".
QString subFolderOf(const QString& inputFolder, const QString& root)
{
    return inputFolder.startsWith(root) ? inputFolder.mid(root.size()) : QString();
}

// The walk over a task's file list, shared by the blocks. `runOne` runs
// file i and returns its code; the walk stops at a Pause (before a file, or
// when an item reports it was cut short) and at kStopJob.
struct FileWalk
{
    int result = 0;
    int stoppedAt = 0;   // first file that did not finish, when a Pause stopped the walk
};

// `begun` tells, once a Pause came, whether file i was begun already on
// another office: such a file is finished and put in place, and the walk
// stops before the first one that was not.
FileWalk walkFiles(JobEngine& engine, int n, const std::function<int(int i)>& runOne,
                   const std::function<bool(int i)>& begun = {})
{
    FileWalk walk;
    const int first = engine.lResumeFileIndex > 0 ? engine.lResumeFileIndex : 1;
    for (int i = first; i <= n; ++i) {
        if (!engine.bStillRunning() && !(begun && begun(i))) {
            walk.stoppedAt = i;
            break;
        }
        engine.bItemInterrupted = false;
        const int code = runOne(i);
        if (code == kStopJob) {
            walk.result = kStopJob;
            break;
        }
        if (code != 0)
            walk.result = code;
        else if (engine.bItemInterrupted) {
            walk.stoppedAt = i;
            break;
        }
    }
    return walk;
}

// The documents of a conversion task rendered ahead on the office pool
// while the walk puts each in place in its turn. Only while the speed
// setting is on, for two documents or more (a PDF input needs no office),
// and for the program's own routes and item runner. A pool of one worker
// still pays: its office shares a processor with the worker that calls it.
class RenderAhead
{
public:
    RenderAhead(JobEngine& engine, const clsConversionOptions& task, const QStringList& files,
                const OutputPattern& pattern, const QString& root)
        : m_engine(engine)
        , m_first(engine.lResumeFileIndex > 0 ? engine.lResumeFileIndex : 1)
    {
        const int n = int(files.size());
        if (!engine.form.bOptimizeForSpeed || !engine.RendersOnPool() || n - m_first < 1
            || task.lOriginalFileType == filetype::Pdf || !engine.routes || !engine.routes->bRendersOnOfficePool()
            || !engine.bProgramItemRunner())
            return;
        // Items the runner refuses before any route are not rendered.
        clsConversionOptions probe = task;
        if (RefuseUnconvertibleTypes(probe) != 0)
            return;
        const bool word = task.lConversionMethod == conversionmethod::Word;
        const bool image = task.lTargetFileType != filetype::Pdf && task.lTargetFileType != filetype::PdfA;
        std::vector<OfficeJob> jobs;
        for (int i = m_first; i <= n; ++i) {
            const QString& file = files[i - 1];
            const QString folder = GetFolderPart(file);
            OfficeJob job;
            job.lConversionMethod = task.lConversionMethod;
            job.sOriginalFile = file;
            job.lOriginalFileType = task.lOriginalFileType;
            job.sTargetFile = pattern.pathFor(folder, subFolderOf(folder, root), GetBaseName(file));
            job.lTargetFileType = word ? filetype::WordPdfFormat : image ? filetype::Pdf : task.lTargetFileType;
            job.bForRasteriser = image;
            jobs.push_back(job);
        }
        engine.Pool().Begin(std::move(jobs), engine.OfficeWorkers());
        engine.bRendersAhead = true;
        m_active = true;
    }
    ~RenderAhead()
    {
        if (!m_active)
            return;
        m_engine.bRendersAhead = false;
        m_engine.lRenderAheadIndex = -1;
        m_engine.Pool().End();
    }
    RenderAhead(const RenderAhead&) = delete;
    RenderAhead& operator=(const RenderAhead&) = delete;

    // File i (from 1) is the item about to run.
    void at(int i) { m_engine.lRenderAheadIndex = m_active ? i - m_first : -1; }
    // A Pause came before file i: no further document starts; whether this
    // one had begun.
    bool begun(int i)
    {
        if (!m_active)
            return false;
        m_engine.Pool().StopFeeding();
        return m_engine.Pool().Started(i - m_first);
    }

private:
    JobEngine& m_engine;
    int m_first;
    bool m_active = false;
};

// Runs a task's one item: the task record itself.
int runSingleItem(JobEngine& engine, const ItemRunner& runner, clsConversionOptions& task)
{
    engine.form.SetStatusPanelText(statuspanel::Status, task.sOriginalFile);
    engine.form.DoEvents();
    engine.bItemInterrupted = false;
    runItem(runner, task);
    // A Pause that cut the item short leaves the task to be run again.
    engine.lResumeFileIndex = task.lErr == 0 && engine.bItemInterrupted ? 1 : 0;
    return task.lErr;
}

void copyTaskKind(const clsConversionOptions& task, clsConversionOptions& item)
{
    item.lConversionMethod = task.lConversionMethod;
    item.sActionToDo = task.sActionToDo;
    item.lSpecialProcess = task.lSpecialProcess;
}

void takeItemFailure(clsConversionOptions& task, const clsConversionOptions& item)
{
    task.sErr = item.sErr;
    task.lErr = item.lErr;
}

} // namespace

QString ConversionOutputExtension(const clsConversionOptions& task)
{
    const QString name = GetFileName(task.sTargetFile);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        return name.mid(dot + 1);
    return GetFileTypeExtension(task.lTargetFileType, false, extensiontable::PDFtoImage);
}

int PerformBlock(JobEngine& engine, int lJobNumber, clsConversionOptions& task)
{
    task.sTargetFile = ExpandPathMacros(task.sTargetFile);
    task.sOriginalFile = ExpandPathMacros(task.sOriginalFile);
    task.sLogFile = ExpandPathMacros(task.sLogFile);
    task.sLogAsConversionJobFile = ExpandPathMacros(task.sLogAsConversionJobFile);
    task.sCurrentBatchJobFile = ExpandPathMacros(task.sCurrentBatchJobFile);
    if (task.sActionToDo.contains(u'C'))
        return PerformBlockConversion(engine, lJobNumber, task);
    if (task.sActionToDo.contains(u'S'))
        return PerformBlockSpecialized(engine, lJobNumber, task);
    task.lErr = kNoTaskAction;
    task.sErr = Translate(QStringLiteral("The task does not say what to do: its 'Do' is neither C (convert) nor S "
                                         "(special process):"))
                + QStringLiteral(" '") + task.sActionToDo + u'\'';
    LogConversionError(engine.form, lJobNumber, task);
    return task.lErr;
}

int PerformBlockConversion(JobEngine& engine, int lJobNumber, clsConversionOptions& task)
{
    MainFormState& form = engine.form;
    QStringList files;
    QList<UnreachableInput> unreachable;
    if (!listInput(engine, lJobNumber, task, files, unreachable))
        return kListingFailed;
    notePendingPause(engine, task);

    const QString outputFolder = GetParentFolderName(task.sTargetFile);
    if (!outputFolder.isEmpty() && !FolderExists(outputFolder))
        CreateFolderPath(outputFolder);

    clsConversionOptions item;
    copyTaskKind(task, item);
    if (!task.sTargetFile.contains(u'*')) {
        engine.sCurrentFile = task.sOriginalFile;
        const int result = runSingleItem(engine, engine.performConversionItem, task);
        if (result != 0)
            LogConversionError(form, lJobNumber, task);
        engine.ShowElapsed();
        return result;
    }

    const OutputPattern pattern(task.sTargetFile, ConversionOutputExtension(task), task.bSaveInOriginalFolder);
    item.lTargetFileType = task.lTargetFileType;
    item.lOriginalFileType = task.lOriginalFileType;
    item.sExtraParams = task.sExtraParams;
    const QString root = GetFolderPart(task.sOriginalFile);
    const int unreached = logUnreachable(
        engine, lJobNumber, task, item, unreachable, root,
        [&](const QString& folder, const QString& sub, const QString& base) { return pattern.pathFor(folder, sub, base); });
    const int n = int(files.size());
    RenderAhead ahead(engine, task, files, pattern, root);

    const FileWalk walk = walkFiles(
        engine, n,
        [&](int i) {
            const QString& file = files[i - 1];
            const QString folder = GetFolderPart(file);
            item.sOriginalFile = file;
            item.sSubFolder = subFolderOf(folder, root);
            item.sTargetFile = pattern.outputFor(folder, item.sSubFolder, GetBaseName(file));
            item.lErr = 0;
            item.sErr.clear();
            engine.sCurrentFile = file;
            showProgressBefore(engine, file, i, n);
            ahead.at(i);
            const int code = runItem(engine.performConversionItem, item);
            engine.ShowElapsed();
            if (code != 0) {
                LogConversionError(form, lJobNumber, item);
                if (code != kStopJob)
                    takeItemFailure(task, item);
            }
            return code;
        },
        [&](int i) { return ahead.begun(i); });
    engine.lResumeFileIndex = walk.stoppedAt;
    return walk.result != 0 ? walk.result : unreached;
}

int PerformBlockSpecialized(JobEngine& engine, int lJobNumber, clsConversionOptions& task)
{
    MainFormState& form = engine.form;
    clsConversionOptions item;
    copyTaskKind(task, item);
    item.bCaseSensitive = task.bCaseSensitive;
    item.bUseRegularExpression = task.bUseRegularExpression;
    item.sFindString = task.sFindString;
    item.sReplaceString = task.sReplaceString;
    // The other search options go with every file too, not only with the
    // task's first.
    item.bRXHDWholeWordOnly = task.bRXHDWholeWordOnly;
    item.bRXHDBeginningOfLine = task.bRXHDBeginningOfLine;
    item.bRXHDEndOfLine = task.bRXHDEndOfLine;
    item.bRXHDMultiLine = task.bRXHDMultiLine;
    item.bRXHDGenerateReportWhenDone = task.bRXHDGenerateReportWhenDone;

    const int process = task.lSpecialProcess;
    if (process == specialprocess::SearchAndReplace)
        engine.cRexhound().StartNewReport();   // one report for all the task's files
    const bool listsFiles = process != specialprocess::LaunchProgram && process != specialprocess::ReloadJob;
    QStringList files;
    QList<UnreachableInput> unreachable;
    if (listsFiles && !listInput(engine, lJobNumber, task, files, unreachable))
        return kListingFailed;
    notePendingPause(engine, task);

    QString extension = GetFileExtension(task.sTargetFile);
    if (extension.isEmpty())
        extension = GetFileTypeExtension(task.lTargetFileType, false, task.lConversionMethod);

    if (!task.sOriginalFile.contains(u'*')) {
        const int result = runSingleItem(engine, engine.performSpecialProcessItem, task);
        if (result != 0)
            LogConversionError(form, lJobNumber, task);
        else if (process == specialprocess::LaunchProgram)
            LogExitCode(form, lJobNumber, task, engine.sProcessNote);
        engine.ShowElapsed();
        return result;
    }

    item.lTargetFileType = task.lTargetFileType;
    item.lOriginalFileType = task.lOriginalFileType;
    const QString root = GetFolderPart(task.sOriginalFile);
    const int n = int(files.size());
    const bool append = process == specialprocess::Append;
    const OutputPattern pattern(task.sTargetFile, extension, task.bSaveInOriginalFolder);
    const int unreached = logUnreachable(
        engine, lJobNumber, task, item, unreachable, root,
        [&](const QString& folder, const QString& sub, const QString& base) {
            return append ? task.sTargetFile : pattern.pathFor(folder, sub, base);
        });

    const FileWalk walk = walkFiles(engine, n, [&](int i) {
        const QString& file = files[i - 1];
        const QString folder = GetFolderPart(file);
        item.sOriginalFile = file;
        item.sSubFolder = subFolderOf(folder, root);
        item.lErr = 0;
        item.sErr.clear();
        int code = 0;
        if (append) {
            // Every input goes onto the one output; the output itself, when
            // it is among the inputs, is passed over.
            item.sTargetFile = task.sTargetFile;
            if (!bSameFile(item.sTargetFile, file))
                code = runItem(engine.performSpecialProcessItem, item);
        } else {
            item.sTargetFile = pattern.outputFor(folder, item.sSubFolder, GetBaseName(file));
            showProgressBefore(engine, file, i, n);
            code = runItem(engine.performSpecialProcessItem, item);
        }
        if (item.lErr != 0)
            takeItemFailure(task, item);
        if (append)
            showProgressBefore(engine, file, i, n);
        engine.ShowElapsed();
        if (code != 0)
            LogConversionError(form, lJobNumber, item);
        return code;
    });
    engine.lResumeFileIndex = walk.stoppedAt;
    return walk.result != 0 ? walk.result : unreached;
}
