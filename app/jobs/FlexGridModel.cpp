#include "FlexGridModel.h"

#include <algorithm>

FlexGridModel::FlexGridModel(FlexGrid& grid, QObject* parent)
    : QAbstractTableModel(parent)
    , m_grid(grid)
{
    m_grid.addListener(this);
}

FlexGridModel::~FlexGridModel()
{
    m_grid.removeListener(this);
}

int FlexGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid.Rows() - m_grid.FixedRows();
}

int FlexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid.Cols();
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role != Qt::DisplayRole)
        return QVariant();
    return m_grid.TextMatrix(gridRow(index.row()), index.column());
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= m_grid.Cols())
        return QVariant();
    return m_grid.TextMatrix(0, section);
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void FlexGridModel::gridRowsAboutToBeInserted(int first, int last)
{
    // Growing from the header alone never touches row 0, so first >= 1.
    beginInsertRows(QModelIndex(), modelRow(first), modelRow(last));
}

void FlexGridModel::gridRowsInserted()
{
    endInsertRows();
}

void FlexGridModel::gridRowsAboutToBeRemoved(int first, int last)
{
    beginRemoveRows(QModelIndex(), modelRow(first), modelRow(last));
}

void FlexGridModel::gridRowsRemoved()
{
    endRemoveRows();
}

void FlexGridModel::gridAboutToBeReset()
{
    beginResetModel();
}

void FlexGridModel::gridReset()
{
    endResetModel();
}

void FlexGridModel::gridCellsChanged(int firstRow, int firstCol, int lastRow, int lastCol)
{
    if (firstRow == 0)
        emit headerDataChanged(Qt::Horizontal, firstCol, lastCol);
    const int first = std::max(firstRow, m_grid.FixedRows());
    if (first <= lastRow)
        emit dataChanged(index(modelRow(first), firstCol), index(modelRow(lastRow), lastCol),
                         {Qt::DisplayRole});
}

void FlexGridModel::gridSelectionChanged()
{
    emit currentCellChanged();
}
