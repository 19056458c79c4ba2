#pragma once
// Rows of the log grid and pass marks of the task grid. Every failed item
// and every launched program becomes one log row in the task row's columns
// 0 to 10 followed by the status text in column 11; a task row's pass cell
// gets "+" or "-" when its task has run. The command-line runner and saving
// the log as a job read these rows.
#include <QString>

class clsConversionOptions;
class FlexGrid;
class MainFormState;

// Pass-cell texts.
inline const QString kPassMark = QStringLiteral("+");
inline const QString kFailMark = QStringLiteral("-");

// Appends the log row of a failed item, marked "-". Outside command-line
// and automation mode every CR and LF of the record's sErr becomes a blank
// (in the record too), so the message shows as one line in the window.
void LogConversionError(MainFormState& form, int lJobNumber, clsConversionOptions& record);

// Appends the log row of a launched program: its status is "Exit Code: "
// and the program's exit code, followed by `note` when there is one. The
// row is marked "-" when that code is not 0 and "+" otherwise, so only a
// failed launch counts as a failure.
void LogExitCode(MainFormState& form, int lJobNumber, clsConversionOptions& record, const QString& note = QString());

// Writes the pass mark of a result into the row: "+" for 0, "-" for any
// other code. The row becomes current and selected, and the window gets a
// chance to show it (and to take a Pause).
void UpdatePassedCell(MainFormState& form, FlexGrid& grid, int lRow, int lResult);

// True when a log row reports a failure (its pass cell is not "+").
bool bLogRowFailed(const FlexGrid& log, int lRow);
// How many rows of the log report a failure.
int CountFailedLogRows(const FlexGrid& log);
