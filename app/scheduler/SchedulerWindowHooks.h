#pragma once
// The main window's side of the scheduler, without the window: the run of
// a job that has come due (frmSched_RunTheJobEvent), the countdown in the
// frame's caption (frmSched_DisplayTimeRemainingEvent), the scheduler's
// steps of the main form's load, and the engine's hooks that tell whether
// a schedule runs and end it on Pause. The window passes its own caption
// and Open command; without them the engine's Open is used and the caption
// is dropped.
#include "jobs/JobFiles.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class JobEngine;
class MainFormState;
class SchedulerModel;

struct SchedulerWindow
{
    // Sets the caption of the frame window.
    std::function<void(const QString& caption)> SetFrameCaption;
    // The window's Open command on a path (it adds the window's own steps:
    // the recently-used files, the caption). Empty: ConversionJobOpen of
    // engine/JobLoop.h.
    std::function<JobLoadResult(QString& sPath)> ConversionJobOpen;
    // The window's Convert command (it keeps the window from closing under
    // the run). Empty: ConversionJobBegin of engine/JobLoop.h.
    std::function<void()> ConversionJobBegin;
};

// The caption while a schedule runs: "1 days : 3 minutes : 0 seconds before
// next run." (days, hours and minutes only when not 0), or "Job is Running"
// when all four are 0.
QString TimeRemainingCaption(qint64 lngDays, qint64 lngHours, qint64 lngMinutes, qint64 lngSeconds);

enum class ScheduledRunResult {
    Ran,               // the job was opened, rewound and run
    JobFileMissing,    // nothing ran; the log says why
    JobFileUnreadable, // nothing ran; the log says why
    RecoveryFailed,    // the job on screen had unsaved changes that could not be kept; nothing ran
    Stopped,           // the schedule was ended while the job loaded
};

// Runs a scheduled job file: opens it, rewinds it and runs it to its end.
// Unsaved changes of the job on screen are first written to a recovery job
// file in the user-data folder, named in the status bar; no question is
// asked. A job file that is missing or does not load runs nothing (not the
// job on screen either) and is logged as a row of the log grid and in the
// status bar, without a message box. `bStillScheduled` tells, after the
// load, whether the schedule still runs (a Pause while loading ends it).
ScheduledRunResult RunScheduledJob(JobEngine& engine, const QString& strTimerFile,
                                   const SchedulerWindow& window = {},
                                   const std::function<bool()>& bStillScheduled = {});

// Writes the task grid to a new job file in the user-data folder and gives
// its path; "" when it could not be written.
QString SaveRecoveryJobFile(MainFormState& form);

// Joins the scheduler and the main form: its run and countdown events go to
// the window, a tick waits while the form runs or loads a job, and the
// engine's bSchedularEnabled and StopSchedule (Pause) reach the scheduler.
// Both objects must outlive the connection.
void ConnectScheduler(SchedulerModel& frmSched, JobEngine& engine, const SchedulerWindow& window);

// The scheduler's steps of the main form's load: the form's settings and
// its recent job files; when the schedule was saved to restart at load
// (bRestartSchedulerAtLoad), the list again and Begin.
void LoadScheduler(SchedulerModel& frmSched, const MainFormState& form);

// After the scheduler form was closed: the command state again and, with no
// schedule running, the product name back in the caption.
void SchedulerFormClosed(SchedulerModel& frmSched, MainFormState& form, const SchedulerWindow& window);
