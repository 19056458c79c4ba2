#include "engine/JobLoop.h"

#include "base/MessageSink.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "core/FileTypes.h"
#include "engine/LogRows.h"
#include "engine/TaskRunners.h"
#include "engine/TextControlRoute.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRows.h"

#include <QLocale>

#include <exception>

namespace {

bool hookOr(const std::function<bool()>& hook, bool fallback)
{
    return hook ? hook() : fallback;
}

void setRunStatePicture(JobEngine& engine, int image)
{
    if (engine.hooks.SetRunStatePicture)
        engine.hooks.SetRunStatePicture(image);
}

void setEndOfJobTimer(JobEngine& engine, bool enabled)
{
    if (engine.hooks.SetEndOfJobTimer)
        engine.hooks.SetEndOfJobTimer(enabled);
}

// What identifies a task row well enough to tell whether the row a resume
// index was stored for is still the same task.
QString resumeRowKey(const FlexGrid& grid, int row)
{
    return grid.TextMatrix(row, todocol::Do) + u'\t' + grid.TextMatrix(row, todocol::Input) + u'\t'
           + grid.TextMatrix(row, todocol::Output);
}

bool isReloadRow(const clsConversionOptions& task)
{
    return task.sActionToDo.contains(u'S') && task.lSpecialProcess == specialprocess::ReloadJob;
}

QString errorText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return Translate(QStringLiteral("Unexpected error"));
    }
}

// The rows of one run. Returns True when the whole list was run.
bool runRows(JobEngine& engine, int start, int last)
{
    MainFormState& form = engine.form;
    clsConversionOptions task;
    for (int row = start; row <= last; ++row) {
        form.SetStatusPanelText(statuspanel::TaskRow, QString::number(row));
        GetConversionItemFromGridRow(task, row, form.fgToDo);
        G_bSuppressControlEvents = true;
        // A task's result must not carry an earlier task's failure.
        task.lErr = 0;
        task.sErr.clear();
        const QString key = resumeRowKey(form.fgToDo, row);
        const bool resumes = engine.lResumeFileIndex != 0 && row == engine.lResumeRow && key == engine.sResumeRowKey;
        if (!resumes) {
            engine.lResumeFileIndex = 0;
            engine.lResumeResult = 0;
        }
        engine.bTaskGridReloaded = false;
        engine.bStopJob = false;

        int result = engine.performBlock(row, task);
        // The part of the task that ran before a Pause counts as well.
        if (result == 0)
            result = engine.lResumeResult;

        if (task.lErr != 0) {
            engine.lRunErr = task.lErr;
            engine.sRunErr = task.sErr;
        }
        const bool interrupted = !form.bRunning && engine.lResumeFileIndex != 0;
        const bool reloaded = isReloadRow(task) && engine.bTaskGridReloaded;
        if (interrupted) {
            // The row stays unmarked; the next run starts here, at the
            // stored file.
            engine.lResumeRow = row;
            engine.sResumeRowKey = key;
            engine.lResumeResult = result;
        } else {
            engine.lResumeFileIndex = 0;
            engine.lResumeRow = 0;
            engine.lResumeResult = 0;
            if (!reloaded)
                UpdatePassedCell(form, form.fgToDo, row, result);
        }
        if (engine.bStopJob || !form.bRunning)
            return false;
        if (reloaded) {
            // The grid now holds the job's next slice: go on at its row 1,
            // to its own end.
            row = 0;
            last = form.fgToDo.Rows() - 2;
        }
    }
    return true;
}

} // namespace

int FindStartPoint(FlexGrid& grid)
{
    SuppressControlEvents suppress;
    for (int r = 1; r <= grid.Rows() - 2; ++r) {
        if (grid.TextMatrix(r, todocol::Pass).isEmpty()) {
            grid.setRow(r);
            return r;
        }
    }
    return grid.Rows() - 1;
}

bool ConversionJobBegin(JobEngine& engine)
{
    MainFormState& form = engine.form;
    if (engine.bRunInProgress())
        return false;
    setEndOfJobTimer(engine, false);
    setRunStatePicture(engine, 0);
    form.SetStatusPanelText(statuspanel::RunState, QString());

    if (!hookOr(engine.hooks.bCheckToUpdateDirtyConversionItem, true))
        return false;
    if (hookOr(engine.hooks.bCheckToZeroConversionItems, false))
        return false;

    form.bRunning = true;
    G_bSuppressControlEvents = true;
    form.UpdateMenuToolbar();
    engine.bJobLoopActive = true;
    form.bRunInProgress = true;
    engine.sRunAbortError.clear();

    bool completed = false;
    try {
        G_bSuppressControlEvents = true;
        int start = FindStartPoint(form.fgToDo);
        const int last = form.fgToDo.Rows() - 2;
        if (G_bCommandLineMode) {
            start = 1;
            engine.lResumeFileIndex = 0;
            engine.lResumeRow = 0;
            engine.lResumeResult = 0;
        } else if (last < start) {
            ConversionJobRewind(engine);
            start = 1;
        }
        // A run that goes on from a Pause (rows above carry their marks, or
        // the first row was cut short) keeps the log of what ran before, so
        // the log holds the failures behind every mark on screen. Only a
        // run from the top starts a new log.
        const bool resumes = start > 1 || (engine.lResumeFileIndex != 0 && engine.lResumeRow == start);
        if (!resumes || form.fgLog.Rows() <= 2) {
            SetUpLogGrid(form.fgLog);
            engine.lRunErr = 0;
            engine.sRunErr.clear();
        }
        G_bSuppressControlEvents = true;
        form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral("Working")) + QStringLiteral("..."));
        form.SetStatusPanelText(statuspanel::Elapsed, QString());
        form.lTotalTimeStart = engine.tickCount();
        completed = runRows(engine, start, last);
    } catch (...) {
        // The run ends here, but never leaves the window in its running state.
        engine.sRunAbortError = errorText(std::current_exception());
    }

    if (engine.routes)
        engine.routes->ReleaseWordInstance(engine);
    // The pool's offices go with the run, as a kept Word instance does.
    engine.ReleaseOfficePool();
    form.SetStatusPanelText(statuspanel::TaskRow, QStringLiteral("-"));
    if (!engine.sRunAbortError.isEmpty()) {
        form.SetStatusPanelText(statuspanel::Status, QStringLiteral("!!! ") + Translate(QStringLiteral("Error"))
                                                         + QStringLiteral(":  ") + engine.sRunAbortError);
        if (!G_bCommandLineMode && !G_bAutomationMode) {
            if (engine.hooks.ShowRunError)
                engine.hooks.ShowRunError(engine.sRunAbortError);
            else
                ShowMessage(engine.sRunAbortError, Translate(QStringLiteral("Error")));
        }
    } else if (engine.sRunErr.size() > 2 && engine.lRunErr != 0) {
        form.SetStatusPanelText(statuspanel::Status, QStringLiteral("!!! ") + Translate(QStringLiteral("Error"))
                                                         + QStringLiteral(":  ") + engine.sRunErr);
    }
    if (completed && form.bRunning && !G_bCommandLineMode && !G_bAutomationMode) {
        if (!hookOr(engine.hooks.bSchedularEnabled, false))
            setEndOfJobTimer(engine, true);
        form.SetStatusPanelText(statuspanel::RunState,
                                QStringLiteral(" 100") + Translate(QStringLiteral(" Percent Complete ")));
        // A run in which items failed does not end on the picture of success.
        setRunStatePicture(engine, CountFailedLogRows(form.fgLog) > 0 ? 11 : 9);
    }
    if (!form.bRunning)
        form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral("Pause")));

    engine.bJobLoopActive = false;
    form.bRunInProgress = false;
    form.bRunning = false;
    G_bSuppressControlEvents = false;
    form.UpdateMenuToolbar();
    return completed;
}

void ConversionJobPause(JobEngine& engine)
{
    MainFormState& form = engine.form;
    if (!hookOr(engine.hooks.bPauseEnabled, form.bRunning && engine.bJobLoopActive))
        return;
    form.bRunning = false;
    if (hookOr(engine.hooks.bSchedularEnabled, false) && engine.hooks.StopSchedule)
        engine.hooks.StopSchedule();
    form.UpdateMenuToolbar();
    if (engine.hooks.FocusTaskGrid)
        engine.hooks.FocusTaskGrid();
}

void ConversionJobRewind(JobEngine& engine)
{
    MainFormState& form = engine.form;
    engine.lResumeFileIndex = 0;
    engine.lResumeRow = 0;
    engine.sResumeRowKey.clear();
    engine.lResumeResult = 0;
    FlexGrid& grid = form.fgToDo;
    {
        SuppressControlEvents suppress;
        for (int r = grid.Rows() - 1; r >= 1; --r)
            grid.setTextMatrix(r, todocol::Pass, QString());
        if (grid.Rows() > 1)
            grid.setRow(1);
    }
    SuppressControlEvents suppress;
    SetUpLogGrid(form.fgLog);
    form.UpdateMenuToolbar();
    SelectWholeGridRow(grid);
    form.SetStatusPanelText(statuspanel::RunState, QString());
    setEndOfJobTimer(engine, false);
    setRunStatePicture(engine, 0);
}

JobLoadResult ConversionJobOpen(JobEngine& engine, QString& sPath, QString* sReason)
{
    MainFormState& form = engine.form;
    if (form.bRunning) {
        ConversionJobPause(engine);
        setRunStatePicture(engine, 0);
        form.SetStatusPanelText(statuspanel::RunState, QString());
    }
    if (!sPath.isEmpty())
        sPath = ExpandPathMacros(sPath);
    if (sPath.isEmpty())
        return JobLoadResult::NotFound;

    const QString previousName = form.sConversionJobFileName;
    form.sConversionJobFileName = sPath;
    GridReplacedWatch watch(form.fgToDo);
    const JobLoadResult result = LoadConversionJobFile(form, sPath, 1, form.fgToDo, sReason);
    // A file that is not there, cannot be read or is no job left the grid
    // as it was: the job there stays whole, with its file name, its unsaved
    // changes, its log and the place a Pause left it at.
    if ((result == JobLoadResult::NotFound || result == JobLoadResult::Failed) && !watch.replaced) {
        form.sConversionJobFileName = previousName;
        return result;
    }
    // A resume point belongs to the job that was paused.
    engine.lResumeFileIndex = 0;
    engine.lResumeRow = 0;
    engine.sResumeRowKey.clear();
    engine.lResumeResult = 0;
    SetUpLogGrid(form.fgLog);
    form.UpdateMenuToolbar();
    form.fgToDo.setRow(1);
    form.bCurrentActionItemDirty = false;
    if (!G_bCommandLineMode)
        SelectWholeGridRow(form.fgToDo);
    G_bSuppressControlEvents = false;
    form.bAskToSaveKRJFileBeforeExit = false;
    return result;
}
