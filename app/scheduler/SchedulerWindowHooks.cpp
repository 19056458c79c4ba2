#include "scheduler/SchedulerWindowHooks.h"

#include "base/MessageSink.h"
#include "core/FileSystem.h"
#include "core/FileTypes.h"
#include "core/Globals.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobLoop.h"
#include "engine/LogRows.h"
#include "engine/SpecialProcess.h"
#include "jobs/MainFormState.h"
#include "scheduler/SchedulerModel.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

// A row of the log grid for a scheduled job that did not run, as the task
// that would load that job file, so that the log saved as a job retries it.
void logScheduledJobFailure(MainFormState& form, const QString& path, const QString& message)
{
    clsConversionOptions record;
    record.sExtraParams.clear();
    record.sActionToDo = QStringLiteral("S1");
    record.lSpecialProcess = specialprocess::ReloadJob;
    record.lConversionMethod = 4;
    record.sOriginalFile = path;
    record.lOriginalFileType = 0;
    record.sTargetFile = path;
    record.lTargetFileType = 1;
    record.lErr = specialcode::InputNotLoaded;   // as a reload that cannot read its job file
    record.sErr = message;
    LogConversionError(form, 0, record);
    form.SetStatusPanelText(statuspanel::Status, QStringLiteral("!!! ") + Translate(QStringLiteral("Error"))
                                                     + QStringLiteral(":  ") + record.sErr + QStringLiteral(": ")
                                                     + path);
    form.UpdateMenuToolbar();
}

QString recoveryNote(const QString& path)
{
    return Translate(QStringLiteral("Unsaved changes of the job were saved to")) + u' ' + path;
}

QString unitText(qint64 value, const char* unit)
{
    return QString::number(value) + u' ' + Translate(QString::fromLatin1(unit));
}

} // namespace

QString TimeRemainingCaption(qint64 lngDays, qint64 lngHours, qint64 lngMinutes, qint64 lngSeconds)
{
    if (lngDays == 0 && lngHours == 0 && lngMinutes == 0 && lngSeconds == 0)
        return QStringLiteral("Job is Running");
    QString text;
    const QString separator = QStringLiteral(" : ");
    if (lngDays != 0)
        text += unitText(lngDays, "days") + separator;
    if (lngHours != 0)
        text += unitText(lngHours, "hours") + separator;
    if (lngMinutes != 0)
        text += unitText(lngMinutes, "minutes") + separator;
    return text + unitText(lngSeconds, "seconds") + u' ' + Translate(QStringLiteral("before next run")) + u'.';
}

QString SaveRecoveryJobFile(MainFormState& form)
{
    if (G_UserDataFolder.isEmpty())
        return QString();
    const QDir folder(G_UserDataFolder);
    const QString stem = QStringLiteral("Recovered Job ")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss"));
    QString path = folder.filePath(stem + QStringLiteral(".KRJ"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder.filePath(stem + QStringLiteral(" (%1).KRJ").arg(n));
    if (!SaveConversionJobFile(form, path, form.fgToDo) || !QFileInfo(path).isFile())
        return QString();
    return path;
}

ScheduledRunResult RunScheduledJob(JobEngine& engine, const QString& strTimerFile, const SchedulerWindow& window,
                                   const std::function<bool()>& bStillScheduled)
{
    MainFormState& form = engine.form;
    // The open writes back the path it used; the scheduler's text stays.
    QString sPath = strTimerFile;
    const QString expanded = ExpandPathMacros(sPath);
    if (!QFileInfo(expanded).isFile()) {
        logScheduledJobFailure(form, expanded, Translate(QStringLiteral("Job file does not exist")));
        return ScheduledRunResult::JobFileMissing;
    }

    QString recovery;
    if (form.bAskToSaveKRJFileBeforeExit && form.fgToDo.Rows() > 2) {
        recovery = SaveRecoveryJobFile(form);
        if (recovery.isEmpty()) {
            logScheduledJobFailure(
                form, expanded,
                Translate(QStringLiteral("The unsaved changes of the job could not be saved; the scheduled job did not run")));
            return ScheduledRunResult::RecoveryFailed;
        }
        form.SetStatusPanelText(statuspanel::Status, recoveryNote(recovery));
    }

    const bool askedToSave = form.bAskToSaveKRJFileBeforeExit;
    const QString jobFileName = form.sConversionJobFileName;
    form.bAskToSaveKRJFileBeforeExit = false;
    JobLoadResult loaded = JobLoadResult::NotFound;
    QStringList messages;
    {
        CapturedMessages unattended;
        loaded = window.ConversionJobOpen ? window.ConversionJobOpen(sPath) : ConversionJobOpen(engine, sPath);
        messages = unattended.texts;
    }
    if (loaded == JobLoadResult::NotFound || loaded == JobLoadResult::Failed) {
        // The job on screen keeps its name and its unsaved state, so that
        // a later Save never writes it over the scheduled file.
        form.bAskToSaveKRJFileBeforeExit = askedToSave;
        if (loaded == JobLoadResult::NotFound) {
            form.sConversionJobFileName = jobFileName;
            logScheduledJobFailure(form, expanded, Translate(QStringLiteral("Job file does not exist")));
            return ScheduledRunResult::JobFileMissing;
        }
        QString reason = messages.join(u' ');
        reason.replace(u'\n', u' ');
        reason.replace(u'\r', u' ');
        logScheduledJobFailure(form, expanded, reason.simplified());
        return ScheduledRunResult::JobFileUnreadable;
    }
    if (bStillScheduled && !bStillScheduled())
        return ScheduledRunResult::Stopped;

    ConversionJobRewind(engine);
    if (window.ConversionJobBegin)
        window.ConversionJobBegin();
    else
        ConversionJobBegin(engine);
    // The note again, unless the run's own failure is in its place.
    if (!recovery.isEmpty() && engine.lRunErr == 0 && engine.sRunAbortError.isEmpty())
        form.SetStatusPanelText(statuspanel::Status, recoveryNote(recovery));
    return ScheduledRunResult::Ran;
}

void ConnectScheduler(SchedulerModel& frmSched, JobEngine& engine, const SchedulerWindow& window)
{
    engine.hooks.bSchedularEnabled = [&frmSched] { return frmSched.Timer1Enabled(); };
    engine.hooks.StopSchedule = [&frmSched, window] {
        frmSched.SetTimer1Enabled(false);
        frmSched.ResetSchedulerForm();
        if (window.SetFrameCaption)
            window.SetFrameCaption(kProductName);
    };
    frmSched.hooks.bJobBusy = [&engine] {
        return engine.form.bRunning || engine.form.bLoadingJobFile || engine.bJobLoopActive;
    };
    frmSched.hooks.RunTheJobEvent = [&engine, &frmSched, window](const QString& strTimerFile) {
        RunScheduledJob(engine, strTimerFile, window, [&frmSched] { return frmSched.Timer1Enabled(); });
    };
    frmSched.hooks.DisplayTimeRemainingEvent = [window](qint64 d, qint64 h, qint64 m, qint64 s) {
        if (window.SetFrameCaption)
            window.SetFrameCaption(TimeRemainingCaption(d, h, m, s));
    };
}

void LoadScheduler(SchedulerModel& frmSched, const MainFormState& form)
{
    frmSched.Form_Load();
    frmSched.SetUpScheduler(G_IniFilePath);
    if (form.bRestartSchedulerAtLoad) {
        frmSched.SetUpScheduler(G_IniFilePath);
        frmSched.cmdStartTimer_Click();
    }
}

void SchedulerFormClosed(SchedulerModel& frmSched, MainFormState& form, const SchedulerWindow& window)
{
    form.UpdateMenuToolbar();
    if (!frmSched.Timer1Enabled() && window.SetFrameCaption)
        window.SetFrameCaption(kProductName);
}
