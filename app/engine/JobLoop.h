#pragma once
// The job loop: runs the task grid from top to bottom, one task block per
// row, writes each row's pass mark, and stops at the end of the list, on
// Pause, or when a task returns the stop code. A paused job resumes at the
// first row without a mark; Rewind clears the marks, the resume point and
// the log.
#include "engine/JobEngine.h"
#include "jobs/JobFiles.h"

#include <QString>

class FlexGrid;

// The row at which a run starts: the first task row without a pass mark,
// or Rows - 1 when every task row has one.
int FindStartPoint(FlexGrid& grid);

// Runs the job in the task grid. A run from the top starts a new log; one
// that goes on after a Pause keeps the log of the part that ran, and a task
// cut short by the Pause is marked by all of its files, those before the
// Pause included. True when every task of the list was run;
// False when the run was refused (a run is in progress on the engine, or
// the window's checks said no), or stopped before the end (Pause, a task
// that stops the job, an unexpected error). A refused run changes nothing.
bool ConversionJobBegin(JobEngine& engine);

// Asks a running job to stop (only while the Pause command is enabled).
// The loop stops before the next file; the row it was running stays
// unmarked and resumes there.
void ConversionJobPause(JobEngine& engine);

// Clears every pass mark, the resume point and the log.
void ConversionJobRewind(JobEngine& engine);

// Opens a job file into the task grid for a run: pauses a running job,
// expands the path's macros (written back), loads the file, clears the log
// and the resume point. A file that is not there, cannot be read or is no
// job changes nothing else: the job on screen keeps its file name, its
// unsaved state, its log and its resume point. The window adds its own
// steps (recently used files, caption). Returns what the load did; a load
// that failed says why in sReason as well.
JobLoadResult ConversionJobOpen(JobEngine& engine, QString& sPath, QString* sReason = nullptr);

