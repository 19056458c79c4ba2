#include "engine/LogRows.h"

#include "core/Globals.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "core/FileTypes.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRows.h"

namespace {

// Task rows of a sliced job are numbered within their slice; the reload row
// of a full slice carries this number and reads the header's cell.
constexpr int kSliceRows = 30000;

// Selecting a row clears the event-suppression flag; a running job keeps it.
void selectRowKeepingFlag(FlexGrid& grid, int row)
{
    const bool suppressed = G_bSuppressControlEvents;
    G_bSuppressControlEvents = true;
    grid.setRow(row);
    SelectWholeGridRow(grid);
    G_bSuppressControlEvents = suppressed;
}

// Cells are set one by one rather than as TAB-joined text: a file name
// found by listing may itself hold a TAB.
void appendLogRow(MainFormState& form, const QString (&cells)[kLogGridCols], bool failed)
{
    FlexGrid& log = form.fgLog;
    const int row = log.Rows() - 1;
    if (!log.AddItem(QString(), row))
        return;
    for (int c = 0; c < kLogGridCols; ++c)
        if (c != todocol::Pass)
            log.setTextMatrix(row, c, cells[c]);
    log.setTextMatrix(row, todocol::Pass, failed ? kFailMark : kPassMark);
    selectRowKeepingFlag(log, log.Rows() - 1);
}

void fillTaskColumns(QString (&cells)[kLogGridCols], const clsConversionOptions& record,
                     const QString& flags, int lJobNumber)
{
    cells[todocol::Options] = record.sExtraParams;
    cells[todocol::Flags] = flags;
    cells[todocol::Number] = QString::number(lJobNumber);
    cells[todocol::Do] = record.sActionToDo;
    cells[todocol::Input] = record.sOriginalFile;
    cells[todocol::InputType] = QString::number(record.lOriginalFileType);
    cells[todocol::Output] = record.sTargetFile;
    cells[todocol::OutputType] = QString::number(record.lTargetFileType);
}

} // namespace

void LogConversionError(MainFormState& form, int lJobNumber, clsConversionOptions& record)
{
    QString cells[kLogGridCols];
    // The type names of the item's task row, so that the row saved as a job
    // is that task's row again.
    GetTaskRowTypeNames(record, cells[todocol::InputTypeName], cells[todocol::OutputTypeName]);

    if (!G_bCommandLineMode && !G_bAutomationMode) {
        record.sErr.replace(u'\n', u' ');
        record.sErr.replace(u'\r', u' ');
    }
    const QString flags = form.fgToDo.TextMatrix(lJobNumber % kSliceRows, todocol::Flags);
    fillTaskColumns(cells, record, flags, lJobNumber);
    cells[todocol::Status] = record.sErr;
    appendLogRow(form, cells, true);
}

void LogExitCode(MainFormState& form, int lJobNumber, clsConversionOptions& record, const QString& note)
{
    QString cells[kLogGridCols];
    fillTaskColumns(cells, record, form.fgToDo.TextMatrix(lJobNumber, todocol::Flags), lJobNumber);
    cells[todocol::Status] =
        Translate(QStringLiteral("Exit Code: ")) + QString::number(record.lCommandLineExitCode);
    if (!note.isEmpty())
        cells[todocol::Status] += QStringLiteral("  ") + note;
    appendLogRow(form, cells, record.lCommandLineExitCode != 0);
}

void UpdatePassedCell(MainFormState& form, FlexGrid& grid, int lRow, int lResult)
{
    if (!grid.setCol(todocol::Pass) || grid.Col() != todocol::Pass)
        return;
    if (!grid.setTextMatrix(lRow, todocol::Pass, lResult == 0 ? kPassMark : kFailMark))
        return;
    selectRowKeepingFlag(grid, lRow);
    form.DoEvents();
}

bool bLogRowFailed(const FlexGrid& log, int lRow)
{
    return log.TextMatrix(lRow, todocol::Pass) != kPassMark;
}

int CountFailedLogRows(const FlexGrid& log)
{
    int failed = 0;
    for (int r = 1; r <= log.Rows() - 2; ++r)
        if (bLogRowFailed(log, r))
            ++failed;
    return failed;
}
