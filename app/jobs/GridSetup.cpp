#include "GridSetup.h"

#include "core/Globals.h"
#include "core/Translator.h"
#include "jobs/FlexGrid.h"
#include "jobs/MainFormState.h"

#include <iterator>

namespace {

void writeHeader(FlexGrid& grid, const QString* texts, int first, int count)
{
    for (int c = 0; c < count; ++c)
        grid.setTextMatrix(0, first + c, texts[c]);
}

} // namespace

void SetUpToDoGrid(FlexGrid& grid)
{
    G_bSuppressControlEvents = true;
    grid.setRows(1);
    const QString header[] = {QString(), QString(), QStringLiteral("#"),
                              Translate(QStringLiteral("Do")),
                              Translate(QStringLiteral("Input File(s)")), QString(),
                              Translate(QStringLiteral("Type")),
                              Translate(QStringLiteral("Output File(s)")), QString(),
                              Translate(QStringLiteral("Type")), Translate(QStringLiteral("Pass"))};
    writeHeader(grid, header, 0, int(std::size(header)));
    grid.setRows(2);
    grid.setTextMatrix(1, todocol::Number, QStringLiteral("*"));
    grid.setRow(1);
    SelectWholeGridRow(grid);
}

void SetUpLogGrid(FlexGrid& grid)
{
    G_bSuppressControlEvents = true;
    grid.setRows(1);
    grid.setRows(2);
    // Columns 0 and 1 of the log's header are never written.
    const QString header[] = {Translate(QStringLiteral("#")), Translate(QStringLiteral("Do")),
                              QString(), QString(), QString(),
                              Translate(QStringLiteral("Output File")), QString(),
                              Translate(QStringLiteral("Type")), Translate(QStringLiteral("Pass")),
                              Translate(QStringLiteral("Status"))};
    writeHeader(grid, header, 2, int(std::size(header)));
    grid.setRow(1);
    SelectWholeGridRow(grid);
}

void SelectWholeGridRow(FlexGrid& grid)
{
    G_bSuppressControlEvents = true;
    grid.setCol(0);
    grid.setColSel(grid.Cols() - 1);
    G_bSuppressControlEvents = false;
}

bool MoveGridRow(MainFormState& form, FlexGrid& grid, int lTargetRow)
{
    const int current = grid.Row();
    const int lastTask = grid.Rows() - 2;
    if (form.fgToDo.Rows() == 2 || lTargetRow < 1 || lTargetRow > lastTask)
        return false;
    // Moving the header or the new-task row would break the job's shape.
    if (current < 1 || current > lastTask || current == lTargetRow)
        return false;

    const QStringList moving = grid.RowTexts(current);
    const int step = current < lTargetRow ? 1 : -1;
    for (int r = current; r != lTargetRow; r += step) {
        for (int c = 0; c < grid.Cols(); ++c)
            if (c != todocol::Number)
                grid.setTextMatrix(r, c, grid.TextMatrix(r + step, c));
    }
    grid.setRow(lTargetRow);
    for (int c = 0; c < grid.Cols(); ++c)
        if (c != todocol::Number)
            grid.setTextMatrix(lTargetRow, c, moving.value(c));

    SelectWholeGridRow(grid);
    form.UpdateMenuToolbar();
    form.bAskToSaveKRJFileBeforeExit = true;
    return true;
}
