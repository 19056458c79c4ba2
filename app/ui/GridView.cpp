#include "GridView.h"

#include "core/Globals.h"
#include "jobs/GridSetup.h"
#include "ui/MainFormLayout.h"

#include <QApplication>
#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QStyle>

namespace {

bool centredColumn(int column)
{
    switch (column) {
    case todocol::Number:
    case todocol::Do:
    case todocol::InputType:
    case todocol::InputTypeName:
    case todocol::OutputType:
    case todocol::OutputTypeName:
    case todocol::Pass:
        return true;
    default:
        return false;
    }
}

QFont boldFont()
{
    QFont font = QApplication::font();
    // Bold type is not used for East Asian scripts.
    font.setBold(!G_bEastAsianLocale);
    return font;
}

} // namespace

StyledFlexGridModel::StyledFlexGridModel(FlexGrid& grid, QObject* parent)
    : FlexGridModel(grid, parent)
{
}

QVariant StyledFlexGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int column = index.column();
    const bool pass = column == todocol::Pass;
    switch (role) {
    case Qt::TextAlignmentRole:
        if (centredColumn(column))
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole:
        // The new-task row stands out.
        if (const_cast<StyledFlexGridModel*>(this)->grid().TextMatrix(gridRow(index.row()), todocol::Number)
            == QLatin1String("*"))
            return boldFont();
        return QVariant();
    case Qt::DecorationRole:
    case Qt::ForegroundRole: {
        if (!pass)
            return QVariant();
        const QString mark = FlexGridModel::data(index, Qt::DisplayRole).toString();
        if (mark != QLatin1String("+") && mark != QLatin1String("-"))
            return QVariant();
        if (role == Qt::ForegroundRole)
            return QBrush(mark == QLatin1String("+") ? Qt::darkGreen : Qt::red);
        return QApplication::style()->standardIcon(mark == QLatin1String("+") ? QStyle::SP_DialogApplyButton
                                                                              : QStyle::SP_DialogCancelButton);
    }
    default:
        return FlexGridModel::data(index, role);
    }
}

QVariant StyledFlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::FontRole)
        return boldFont();
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return FlexGridModel::headerData(section, orientation, role);
}

FlexGridView::FlexGridView(FlexGrid& grid, QWidget* parent)
    : QTableView(parent)
    , m_grid(grid)
    , m_model(new StyledFlexGridModel(grid, this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    connect(m_model, &FlexGridModel::currentCellChanged, this, &FlexGridView::showGridSelection);
    connect(m_model, &QAbstractItemModel::modelReset, this, &FlexGridView::showGridSelection);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &FlexGridView::showGridSelection);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &FlexGridView::showGridSelection);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { viewRowChanged(current); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { layoutColumns(); });
    showGridSelection();
}

void FlexGridView::setColumnWidthTwips(int column, int twips)
{
    if (twips <= 0) {
        setColumnHidden(column, true);
        return;
    }
    setColumnHidden(column, false);
    const PlacedTwips placed = PlacedTwips::place(twips, logicalDpiX());
    m_placedWidths.insert(column, placed);
    setColumnWidth(column, placed.pixels);
}

int FlexGridView::columnWidthTwips(int column) const
{
    if (isColumnHidden(column))
        return 0;
    return m_placedWidths.value(column).twipsOf(columnWidth(column), logicalDpiX());
}

int FlexGridView::widthTwips() const
{
    return PixelsToTwips(width(), logicalDpiX());
}

void FlexGridView::layoutColumns()
{
    if (m_layingOut)
        return;
    m_layingOut = true;
    const bool toDo = m_stretch == Stretch::ToDoFileColumns;
    double fixed = 0;
    if (toDo) {
        for (int c : kToDoKeptColumns)
            fixed += columnWidthTwips(c);
        if (const std::optional<int> width = ToDoFileColumnWidth(widthTwips(), fixed)) {
            setColumnWidthTwips(todocol::Input, std::max(*width, 1));
            setColumnWidthTwips(todocol::Output, std::max(*width, 1));
        }
        for (int c : kToDoHiddenColumns)
            setColumnHidden(c, true);
    } else {
        for (int c : kLogKeptColumns)
            fixed += columnWidthTwips(c);
        if (const std::optional<int> width = LogStatusColumnWidth(widthTwips(), fixed))
            setColumnWidthTwips(todocol::Status, std::max(*width, 1));
        for (int c : kLogHiddenColumns)
            setColumnHidden(c, true);
    }
    m_layingOut = false;
}

void FlexGridView::setMinimumRows(int rows)
{
    m_minimumRows = rows;
    updateGeometry();
}

QSize FlexGridView::minimumSizeHint() const
{
    QSize size = QTableView::minimumSizeHint();
    if (m_minimumRows > 0) {
        const int rows = m_minimumRows * verticalHeader()->defaultSectionSize();
        size.setHeight(std::max(size.height(), 2 * frameWidth() + horizontalHeader()->sizeHint().height() + rows));
    }
    return size;
}

void FlexGridView::keyReleaseEvent(QKeyEvent* event)
{
    // Exactly Ctrl: Ctrl+Shift+U and the like do nothing.
    if (event->modifiers() == Qt::ControlModifier && !event->isAutoRepeat()) {
        if (event->key() == Qt::Key_U) {
            emit moveUpKey();
            return;
        }
        if (event->key() == Qt::Key_D) {
            emit moveDownKey();
            return;
        }
    }
    QTableView::keyReleaseEvent(event);
}

void FlexGridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    layoutColumns();
    // The grid changes height as the editor changes panels: the current
    // row stays in view.
    if (event->size().height() != event->oldSize().height() && currentIndex().isValid())
        scrollTo(currentIndex());
}

void FlexGridView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // The view moves its current cell off the rows going; where the grid's
    // current row goes is the grid's to say, and the view follows it after.
    const bool syncing = m_syncing;
    m_syncing = true;
    QTableView::rowsAboutToBeRemoved(parent, start, end);
    m_syncing = syncing;
}

void FlexGridView::showGridSelection()
{
    if (m_syncing)
        return;
    m_syncing = true;
    const int row = m_grid.Row();
    if (row >= m_grid.FixedRows() && row < m_grid.Rows()) {
        const QModelIndex index = m_model->index(FlexGridModel::modelRow(row), firstShownColumn());
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        // The view will not scroll to a cell of a hidden column.
        scrollTo(index);
    } else {
        selectionModel()->clearSelection();
    }
    m_syncing = false;
}

int FlexGridView::firstShownColumn() const
{
    for (int column = 0; column < m_model->columnCount(); ++column)
        if (!isColumnHidden(column))
            return column;
    return 0;
}

void FlexGridView::viewRowChanged(const QModelIndex& current)
{
    if (m_syncing || !current.isValid())
        return;
    const int row = FlexGridModel::gridRow(current.row());
    const int from = m_grid.Row();
    if (from != row && leaveRow && !leaveRow(from)) {
        // Once the click that moved has been handled too.
        showGridSelection();
        QTimer::singleShot(0, this, &FlexGridView::showGridSelection);
        return;
    }
    m_syncing = true;
    m_grid.setRow(row);
    m_syncing = false;
    emit rowEntered(row);
}
