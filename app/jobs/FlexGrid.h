#pragma once
// A grid of text cells with the semantics the program relies on: a fixed
// header row 0, Rows and Cols that can be set, cells addressed as
// TextMatrix(row, col), a current cell (Row, Col) with a selection that
// stretches to (RowSel, ColSel), and rows added as TAB-separated text. The
// task grid and the log grid are two of these; a Qt model shows them.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Told of every change so that a view can follow. Row numbers are grid rows.
class FlexGridListener
{
public:
    virtual ~FlexGridListener() = default;
    virtual void gridRowsAboutToBeInserted(int first, int last) = 0;
    virtual void gridRowsInserted() = 0;
    virtual void gridRowsAboutToBeRemoved(int first, int last) = 0;
    virtual void gridRowsRemoved() = 0;
    virtual void gridAboutToBeReset() = 0;
    virtual void gridReset() = 0;
    virtual void gridCellsChanged(int firstRow, int firstCol, int lastRow, int lastCol) = 0;
    virtual void gridSelectionChanged() = 0;
};

namespace flexgrid_detail {
// A row keeps its cells as one UTF-8 text joined by TABs, as a job file line
// holds them (loading copies each line once, nothing more); a row with a TAB
// inside a cell keeps its cells one by one instead.
struct GridRow
{
    QByteArray joined;   // missing trailing cells are empty; fields past Cols are not read
    QStringList cells;   // used when split
    bool split = false;
};
} // namespace flexgrid_detail
Q_DECLARE_TYPEINFO(flexgrid_detail::GridRow, Q_RELOCATABLE_TYPE);

class FlexGrid
{
public:
    explicit FlexGrid(int cols = 2, int rows = 1);

    int FixedRows() const { return 1; }
    int FixedCols() const { return 2; }

    int Rows() const { return int(m_rows.size()); }
    void setRows(int rows);   // at least the header row; new rows are empty
    int Cols() const { return m_cols; }
    void setCols(int cols);   // at least one column

    // The text of a cell; empty for a cell outside the grid.
    QString TextMatrix(int row, int col) const;
    // False (and nothing changes) for a cell outside the grid.
    bool setTextMatrix(int row, int col, const QString& text);
    // All cells of a row; empty outside the grid.
    QStringList RowTexts(int row) const;

    // Current cell. Setting Row or Col also moves RowSel or ColSel onto it.
    // Out-of-range values are refused with False.
    int Row() const { return m_row; }
    bool setRow(int row);
    int Col() const { return m_col; }
    bool setCol(int col);
    int RowSel() const { return m_rowSel; }
    bool setRowSel(int row);
    int ColSel() const { return m_colSel; }
    bool setColSel(int col);

    // Inserts a row at index (Rows when index is -1) whose cells take the
    // TAB-separated fields of text from column 0 on; surplus fields are
    // dropped. False for an index outside FixedRows..Rows (the header row
    // stays the first row).
    bool AddItem(QStringView text, int index = -1);
    // The same for text already in UTF-8 (a job file line).
    bool AddItemUtf8(QByteArrayView text, int index = -1);

    // Appends the row's cells from column 0 on, each followed by a TAB, in
    // UTF-8: the row as a job file line, without its line end. False (and
    // nothing appended) when a cell holds a TAB, CR or LF, or for a row
    // outside the grid.
    bool AppendRowAsLine(int row, QByteArray& out) const;
    // Removes one row below the header. The last row below the header is
    // never removed (False), so a grid keeps a row to stand on.
    bool RemoveItem(int index);

    void addListener(FlexGridListener* listener);
    void removeListener(FlexGridListener* listener);

private:
    using GridRow = flexgrid_detail::GridRow;

    bool insertRow(GridRow&& row, int index);
    void splitRow(GridRow& row) const;
    void clampSelection();
    void notifySelection();

    QList<GridRow> m_rows;
    int m_cols;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    QList<FlexGridListener*> m_listeners;
};

// Notices, while it lives, whether the grid's rows were replaced or
// removed (a load that set the grid up anew, a reload of a slice).
class GridReplacedWatch : public FlexGridListener
{
public:
    explicit GridReplacedWatch(FlexGrid& grid) : m_grid(grid) { m_grid.addListener(this); }
    ~GridReplacedWatch() override { m_grid.removeListener(this); }
    GridReplacedWatch(const GridReplacedWatch&) = delete;
    GridReplacedWatch& operator=(const GridReplacedWatch&) = delete;
    bool replaced = false;

    void gridRowsAboutToBeInserted(int, int) override {}
    void gridRowsInserted() override {}
    void gridRowsAboutToBeRemoved(int, int) override { replaced = true; }
    void gridRowsRemoved() override {}
    void gridAboutToBeReset() override { replaced = true; }
    void gridReset() override {}
    void gridCellsChanged(int, int, int, int) override {}
    void gridSelectionChanged() override {}

private:
    FlexGrid& m_grid;
};
