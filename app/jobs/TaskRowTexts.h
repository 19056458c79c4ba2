#pragma once
// Texts that a task row, and so a job file line, cannot carry: a TAB or a
// line break would split the row, and "}}" or "Replace{{" inside a find or
// replace text would cut it where the row is read back. Such tasks are
// refused when they are stored, and the job writers refuse such cells.
#include <QString>
#include <QStringView>

class clsConversionOptions;

// Validation code: a text of the task cannot be stored in a task row.
constexpr int kErrTaskTextNotStorable = -112;

// True when the text holds a TAB, CR or LF.
bool CellTextBreaksRow(QStringView text);

// Checks every text the task's row would hold. When one is refused, sets
// lErr to kErrTaskTextNotStorable and returns it; otherwise returns 0 and
// leaves lErr alone.
int ValidateTaskRowTexts(clsConversionOptions& options);

// The translated message for a refused task: the field at fault, the
// separator, then the reason. Empty when nothing is refused.
QString TaskRowTextsMessage(const clsConversionOptions& options, const QString& separator);
