#pragma once
// Shows a FlexGrid in a Qt item view: grid row 0 is the horizontal header,
// grid rows 1..Rows-1 are model rows 0..Rows-2. Read-only; the program
// changes the grid and the model follows.
#include "jobs/FlexGrid.h"

#include <QAbstractTableModel>

class FlexGridModel : public QAbstractTableModel, private FlexGridListener
{
    Q_OBJECT
public:
    explicit FlexGridModel(FlexGrid& grid, QObject* parent = nullptr);
    ~FlexGridModel() override;

    FlexGrid& grid() { return m_grid; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Grid row of a model row and back (the header row has no model row).
    static int gridRow(int modelRow) { return modelRow + 1; }
    static int modelRow(int gridRow) { return gridRow - 1; }

signals:
    // The grid's current cell or selection changed (Row, Col, RowSel, ColSel).
    void currentCellChanged();

private:
    void gridRowsAboutToBeInserted(int first, int last) override;
    void gridRowsInserted() override;
    void gridRowsAboutToBeRemoved(int first, int last) override;
    void gridRowsRemoved() override;
    void gridAboutToBeReset() override;
    void gridReset() override;
    void gridCellsChanged(int firstRow, int firstCol, int lastRow, int lastCol) override;
    void gridSelectionChanged() override;

    FlexGrid& m_grid;
};
