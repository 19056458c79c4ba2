#pragma once
// Shape and selection of the two grids of the main form: the task grid
// (header, task rows, the "*" new-task row last) and the log grid (header,
// log rows, one empty row last).
class FlexGrid;
class MainFormState;

// Task grid and log grid shapes.
constexpr int kToDoGridCols = 11;
constexpr int kLogGridCols = 12;

// Columns of a task row (a log row has the same columns 0 to 10, then the
// status text in column 11).
namespace todocol {
constexpr int Options = 0;         // option string of a conversion
constexpr int Flags = 1;           // flag letters, launch settings or find-and-replace cell
constexpr int Number = 2;          // task number; "*" on the new-task row
constexpr int Do = 3;              // "C" or "S" and the process number
constexpr int Input = 4;
constexpr int InputType = 5;
constexpr int InputTypeName = 6;
constexpr int Output = 7;
constexpr int OutputType = 8;
constexpr int OutputTypeName = 9;
constexpr int Pass = 10;           // "", "+" or "-"
constexpr int Status = 11;         // log grid only
} // namespace todocol

// Empties the task grid to its header row and the new-task row; row 1
// becomes current and selected whole.
void SetUpToDoGrid(FlexGrid& grid);

// Empties the log grid to its header row and one empty row; row 1 becomes
// current and selected whole.
void SetUpLogGrid(FlexGrid& grid);

// Stretches the selection over every column of the current row. Leaves
// G_bSuppressControlEvents cleared.
void SelectWholeGridRow(FlexGrid& grid);

// Moves the grid's current task row to lTargetRow; the other rows close up.
// Column 2 (the task numbers) stays with the positions. Refused (False)
// when the job has no task, when the target is not a task row, or when the
// current row is not a task row. A move marks the job changed.
bool MoveGridRow(MainFormState& form, FlexGrid& grid, int lTargetRow);
