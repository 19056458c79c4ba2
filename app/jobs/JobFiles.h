#pragma once
// Conversion job files (*.KRJ): the task grid written out row by row, each
// cell followed by a TAB, each line ended by CR LF. Large jobs load in
// slices; a reload task at the end of a slice loads the next one.
#include <QList>
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
    Failed,     // the file could not be read or is no job (the grid left as it was), or is damaged
};

// Loads the file's task lines into the grid from line lStartTask on
// (lines count from 1), numbering the tasks from lStartTask. When the grid
// is the form's task grid and the job did not load whole, the job loses its
// file name ("*"), so that saving asks for a new one instead of writing a
// part over the whole. Failed, reported in a message and, as one line, in
// sReason: a file that cannot be opened, or that is not a job file (no
// line of it is a task or the new-task line: empty, plain text, other
// bytes), which leaves the grid and the job's file name as they were; a
// damaged one (a line holds a NUL byte), which keeps the rows before that
// line. A file of the new-task
// line alone is a job without tasks.
JobLoadResult LoadConversionJobFile(MainFormState& form, const QString& sPath, int lStartTask,
                                    FlexGrid& grid, QString* sReason = nullptr);

// Writes rows 1 to Rows-1 of the task grid, through a temporary file in the
// same folder, so that a failure leaves the old file as it was. When the
// form's job has no task yet, the editor's task is added first; nothing is
// written when that fails. A cell holding a TAB or a line break refuses the
// save. On failure, sErr (when given) says why, or is empty when the
// editor already told the user.
bool SaveConversionJobFile(MainFormState& form, const QString& sPath, FlexGrid& grid,
                           QString* sErr = nullptr);

// Writes the log rows as a job file so that the failed items can run again:
// each row as its task row (cells 0 and 1, the log row's number, cells 3 to
// 9, an empty pass cell), then the new-task line. Rows whose task cells are
// all empty and rows marked "+" (a launched program that ran) are not
// failed items and stay out; so is a row whose cells hold a TAB or a line
// break (a file name found by listing can), whose number goes to
// `leftOut`, while every other row is written. Written through a temporary
// file as SaveConversionJobFile; on failure sErr gets the system's reason.
bool SaveLogGridToFile(const QString& sPath, const FlexGrid& grid, QString* sErr = nullptr,
                       QList<int>* leftOut = nullptr);

// The log line for a row SaveLogGridToFile left out: its job number, why,
// and its input with the TAB and line breaks shown as \t, \r and \n.
QString LeftOutLogRowText(const FlexGrid& grid, int row);
