#pragma once
// Conversion job files (*.KRJ): the task grid written out row by row, each
// cell followed by a TAB, each line ended by CR LF. Large jobs load in
// slices; a reload task at the end of a slice loads the next one.
#include <QString>

class FlexGrid;
class MainFormState;

// Most task rows one load puts into the grid.
constexpr int kJobSliceTasks = 29999;
// Status-bar panel that shows the loading progress.
constexpr int kJobLoadStatusPanel = 8;

enum class JobLoadResult {
    NotFound,   // no such file: nothing changed
    Complete,   // the whole file is in the grid
    Partial,    // only part of it: a later start task, Pause, or a slice
    Failed,     // the file could not be read: the grid was left as it was
};

// Loads the file's task lines into the grid from line lStartTask on
// (lines count from 1), numbering the tasks from lStartTask. When the grid
// is the form's task grid and the job did not load whole, the job loses its
// file name ("*"), so that saving asks for a new one instead of writing a
// part over the whole. A file that cannot be read is reported in a message.
JobLoadResult LoadConversionJobFile(MainFormState& form, const QString& sPath, int lStartTask,
                                    FlexGrid& grid);

// Writes rows 1 to Rows-1 of the task grid, through a temporary file in the
// same folder, so that a failure leaves the old file as it was. When the
// form's job has no task yet, the editor's task is added first; nothing is
// written when that fails. A cell holding a TAB or a line break refuses the
// save. On failure, sErr (when given) says why, or is empty when the
// editor already told the user.
bool SaveConversionJobFile(MainFormState& form, const QString& sPath, FlexGrid& grid,
                           QString* sErr = nullptr);

// Writes the log rows as a job file so that the failed items can run again:
// cells 0 and 1, the log row's number, cells 3 to 8. Rows whose data cells
// are all empty are left out. Written and refused as SaveConversionJobFile.
bool SaveLogGridToFile(const QString& sPath, const FlexGrid& grid, QString* sErr = nullptr);
