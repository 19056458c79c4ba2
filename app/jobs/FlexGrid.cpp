#include "FlexGrid.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kTab = '\t';

// A cell's text from its UTF-8 bytes. QString::fromUtf8 drops a leading
// EF BB BF as a byte-order mark; in a cell it is the text's own U+FEFF.
QString cellText(QByteArrayView utf8)
{
    if (utf8.startsWith("\xEF\xBB\xBF"))
        return QChar(0xFEFF) + QString::fromUtf8(utf8.sliced(3));
    return QString::fromUtf8(utf8);
}

template <typename Listeners, typename Call>
void notifyAll(const Listeners& listeners, Call call)
{
    for (FlexGridListener* listener : listeners)
        call(listener);
}

// Byte range of field `col` of a joined row; False when the row has fewer
// fields (the cell is empty).
bool fieldRange(const QByteArray& joined, int col, qsizetype& start, qsizetype& end)
{
    start = 0;
    for (int c = 0; c < col; ++c) {
        const qsizetype tab = joined.indexOf(kTab, start);
        if (tab < 0)
            return false;
        start = tab + 1;
    }
    end = joined.indexOf(kTab, start);
    if (end < 0)
        end = joined.size();
    return true;
}

// End of the first `cols` fields of a joined row (a row may carry surplus
// fields, which nothing reads) and how many fields lie before it.
qsizetype fieldsEnd(QByteArrayView joined, int cols, int* fields = nullptr)
{
    const char* const p = joined.data();
    int tabs = 0;
    for (qsizetype i = 0; i < joined.size(); ++i) {
        if (p[i] == kTab && ++tabs == cols) {
            if (fields)
                *fields = cols;
            return i;
        }
    }
    if (fields)
        *fields = tabs + 1;
    return joined.size();
}

QStringList splitFields(const QByteArray& joined, int cols)
{
    QStringList cells;
    cells.reserve(cols);
    qsizetype start = 0;
    while (cells.size() < cols) {
        const qsizetype tab = joined.indexOf(kTab, start);
        const qsizetype end = tab < 0 ? joined.size() : tab;
        cells.append(cellText(QByteArrayView(joined).sliced(start, end - start)));
        if (tab < 0)
            break;
        start = tab + 1;
    }
    cells.resize(cols);
    return cells;
}

bool breaksLine(QByteArrayView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return ch == kTab || ch == '\r' || ch == '\n'; });
}

} // namespace

FlexGrid::FlexGrid(int cols, int rows)
    : m_cols(std::max(1, cols))
{
    setRows(rows);
}

void FlexGrid::setRows(int rows)
{
    rows = std::max(FixedRows(), rows);
    const int old = Rows();
    if (rows > old) {
        notifyAll(m_listeners, [&](auto* l) { l->gridRowsAboutToBeInserted(old, rows - 1); });
        m_rows.resize(rows);
        notifyAll(m_listeners, [](auto* l) { l->gridRowsInserted(); });
    } else if (rows < old) {
        notifyAll(m_listeners, [&](auto* l) { l->gridRowsAboutToBeRemoved(rows, old - 1); });
        m_rows.resize(rows);
        notifyAll(m_listeners, [](auto* l) { l->gridRowsRemoved(); });
        clampSelection();
    }
}

void FlexGrid::setCols(int cols)
{
    cols = std::max(1, cols);
    if (cols == m_cols)
        return;
    notifyAll(m_listeners, [](auto* l) { l->gridAboutToBeReset(); });
    // Surplus fields stay dropped when the grid grows again.
    const int kept = std::min(cols, m_cols);
    for (GridRow& row : m_rows) {
        if (row.split)
            row.cells.resize(cols);
        else
            row.joined.truncate(fieldsEnd(row.joined, kept));
    }
    m_cols = cols;
    clampSelection();
    notifyAll(m_listeners, [](auto* l) { l->gridReset(); });
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    if (row < 0 || row >= Rows() || col < 0 || col >= m_cols)
        return QString();
    const GridRow& r = m_rows.at(row);
    if (r.split)
        return r.cells.at(col);
    qsizetype start = 0, end = 0;
    if (!fieldRange(r.joined, col, start, end))
        return QString();
    return cellText(QByteArrayView(r.joined).sliced(start, end - start));
}

bool FlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    if (row < 0 || row >= Rows() || col < 0 || col >= m_cols)
        return false;
    GridRow& r = m_rows[row];
    if (!r.split && text.contains(u'\t'))
        splitRow(r);
    if (r.split) {
        if (r.cells.at(col) == text)
            return true;
        r.cells[col] = text;
    } else {
        const QByteArray utf8 = text.toUtf8();
        qsizetype start = 0, end = 0;
        if (fieldRange(r.joined, col, start, end)) {
            if (QByteArrayView(r.joined).sliced(start, end - start) == utf8)
                return true;
            r.joined.replace(start, end - start, utf8);
        } else {
            if (utf8.isEmpty())
                return true;
            // Fill the missing fields up to this one.
            const qsizetype fields = r.joined.count(kTab) + 1;
            r.joined.append(QByteArray(col - fields + 1, kTab)).append(utf8);
        }
    }
    notifyAll(m_listeners, [&](auto* l) { l->gridCellsChanged(row, col, row, col); });
    return true;
}

QStringList FlexGrid::RowTexts(int row) const
{
    if (row < 0 || row >= Rows())
        return QStringList();
    const GridRow& r = m_rows.at(row);
    return r.split ? r.cells : splitFields(r.joined, m_cols);
}

bool FlexGrid::setRow(int row)
{
    if (row < 0 || row >= Rows())
        return false;
    m_row = m_rowSel = row;
    notifySelection();
    return true;
}

bool FlexGrid::setCol(int col)
{
    if (col < 0 || col >= m_cols)
        return false;
    m_col = m_colSel = col;
    notifySelection();
    return true;
}

bool FlexGrid::setRowSel(int row)
{
    if (row < 0 || row >= Rows())
        return false;
    m_rowSel = row;
    notifySelection();
    return true;
}

bool FlexGrid::setColSel(int col)
{
    if (col < 0 || col >= m_cols)
        return false;
    m_colSel = col;
    notifySelection();
    return true;
}

bool FlexGrid::AddItem(QStringView text, int index)
{
    return AddItemUtf8(text.toUtf8(), index);
}

bool FlexGrid::AddItemUtf8(QByteArrayView text, int index)
{
    if (index == -1)
        index = Rows();
    if (index < FixedRows() || index > Rows())
        return false;
    GridRow row;
    row.joined = text.toByteArray(); // fields past the last column are never read
    return insertRow(std::move(row), index);
}

bool FlexGrid::AppendRowAsLine(int row, QByteArray& out) const
{
    if (row < 0 || row >= Rows())
        return false;
    const GridRow& r = m_rows.at(row);
    if (r.split) {
        QByteArray line;
        for (const QString& cell : r.cells) {
            const QByteArray utf8 = cell.toUtf8();
            if (breaksLine(utf8))
                return false;
            line.append(utf8).append(kTab);
        }
        out.append(line);
        return true;
    }
    // Joined rows hold no TAB inside a cell; a line break is all to look for.
    int fields = 0;
    const qsizetype end = fieldsEnd(r.joined, m_cols, &fields);
    const QByteArrayView cells = QByteArrayView(r.joined).first(end);
    if (cells.contains('\r') || cells.contains('\n'))
        return false;
    out.append(cells).append(QByteArray(m_cols - fields + 1, kTab));
    return true;
}

bool FlexGrid::RemoveItem(int index)
{
    if (index < FixedRows() || index >= Rows() || Rows() <= FixedRows() + 1)
        return false;
    notifyAll(m_listeners, [&](auto* l) { l->gridRowsAboutToBeRemoved(index, index); });
    m_rows.removeAt(index);
    notifyAll(m_listeners, [](auto* l) { l->gridRowsRemoved(); });
    clampSelection();
    return true;
}

void FlexGrid::addListener(FlexGridListener* listener)
{
    if (listener && !m_listeners.contains(listener))
        m_listeners.append(listener);
}

void FlexGrid::removeListener(FlexGridListener* listener)
{
    m_listeners.removeAll(listener);
}

bool FlexGrid::insertRow(GridRow&& row, int index)
{
    notifyAll(m_listeners, [&](auto* l) { l->gridRowsAboutToBeInserted(index, index); });
    m_rows.insert(index, std::move(row));
    notifyAll(m_listeners, [](auto* l) { l->gridRowsInserted(); });
    return true;
}

void FlexGrid::splitRow(GridRow& row) const
{
    row.cells = splitFields(row.joined, m_cols);
    row.joined.clear();
    row.split = true;
}

void FlexGrid::clampSelection()
{
    const int lastRow = Rows() - 1;
    const int lastCol = m_cols - 1;
    const int row = std::min(m_row, lastRow), rowSel = std::min(m_rowSel, lastRow);
    const int col = std::min(m_col, lastCol), colSel = std::min(m_colSel, lastCol);
    if (row == m_row && rowSel == m_rowSel && col == m_col && colSel == m_colSel)
        return;
    m_row = row;
    m_rowSel = rowSel;
    m_col = col;
    m_colSel = colSel;
    notifySelection();
}

void FlexGrid::notifySelection()
{
    notifyAll(m_listeners, [](auto* l) { l->gridSelectionChanged(); });
}
