#pragma once
// A task in its three forms: the task editor, the task record and a row of
// the task grid (which is also a job file line). These map between them.
#include <QChar>
#include <QString>

#include <initializer_list>
#include <optional>
#include <utility>

class clsConversionOptions;
class FlexGrid;
class MainFormState;

// Fills a record from the task editor (the window supplies it as a hook;
// without an editor the record is left as it is).
void GetOptionsFromGUI(MainFormState& form, clsConversionOptions& options);

// Flag letters R G M X D W B L Z J of the record's options, in that order.
QString GetOptionFlagLetters(const clsConversionOptions& options);
// The letters whose flag is set, in the order given.
QString JoinFlagLetters(std::initializer_list<std::pair<bool, QChar>> flags);
// True when the letter's first occurrence stands in the first nine
// characters of column 1, where flag letters count.
bool HasFlagLetter(const QString& cell, QChar letter);
// Column 1 of a search-and-replace row: the letters, ten blanks, then
// Find{{find}}Replace{{replace}}.
QString FindReplaceCellText(const QString& letters, const QString& find, const QString& replace);
// The find text and, when the cell has its marker, the replacement of a
// search-and-replace cell. False (and nothing set) when the cell holds no
// find marker after the flag letters. A hand-edited cell without its
// closing markers gives what can be found and never fails.
bool ReadFindReplaceCell(const QString& cell, QString& find, std::optional<QString>& replace);

// Column 1 of a launch-program row: "T32 S1 W-1" for the defaults.
QString LaunchSettingsCell(const clsConversionOptions& options);
// Column 1 of a search-and-replace row: flag letters, ten blanks, then
// Find{{...}}Replace{{...}}.
QString FindReplaceCell(const clsConversionOptions& options);

// The type names of the record's row (columns 6 and 9): for a conversion
// the text control's name of the input type (empty for the Word route) and
// the image or PDF extension of the output; for a special process the
// names of its own table.
void GetTaskRowTypeNames(const clsConversionOptions& options, QString& inputName, QString& outputName);

// Columns 0 to 9 of the record's row joined by TABs, with the given task
// number in column 2.
QString BuildTaskRowText(const clsConversionOptions& options, int lTaskNumber);

// Appends the record as a task row just above the new-task row and selects
// it. Refused (False, lErr set) when a text would break the row.
bool AddOptionsToGrid(clsConversionOptions& options, FlexGrid& grid);

// Fills the record from a task row and makes that row current. Every field
// a row can set is first put back to a new record's value, so nothing of a
// previous task leaks into this one. Row 0 and the new-task row leave the
// record and the grid alone.
void GetConversionItemFromGridRow(clsConversionOptions& options, int lRow, FlexGrid& grid);

// A path typed with "\" separators, read with "/".
QString ConvertTypedPathSeparators(const QString& path);
