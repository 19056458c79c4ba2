#pragma once
// The task grid and the log grid on screen: a table view over the grid's
// model that shows whole rows selected, the header row bold and centred,
// the task number, type and pass columns centred, and the pass marks as
// pictures with their "+" or "-" text. The grid's current row and the
// view's selection follow each other.
#include "jobs/FlexGridModel.h"
#include "ui/MainFormLayout.h"

#include <QHash>

#include <QTableView>

#include <array>
#include <functional>

class StyledFlexGridModel : public FlexGridModel
{
    Q_OBJECT
public:
    explicit StyledFlexGridModel(FlexGrid& grid, QObject* parent = nullptr);
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
};

class FlexGridView : public QTableView
{
    Q_OBJECT
public:
    FlexGridView(FlexGrid& grid, QWidget* parent = nullptr);

    FlexGrid& grid() { return m_grid; }
    StyledFlexGridModel* gridModel() const { return m_model; }

    // Column widths in twips; a width of 0 hides the column. A width set
    // here and not changed since reads back as it was set.
    void setColumnWidthTwips(int column, int twips);
    int columnWidthTwips(int column) const;
    int widthTwips() const;

    // The columns that share what the fixed ones leave, and how.
    enum class Stretch { ToDoFileColumns, LogStatusColumn };
    void setStretch(Stretch stretch) { m_stretch = stretch; }
    // Gives the stretching columns their share of the view's width.
    void layoutColumns();

    // The view never gets lower than the header and `rows` rows.
    void setMinimumRows(int rows);
    QSize minimumSizeHint() const override;

    // Asked before the user's move takes the grid off `fromRow`; False
    // keeps the grid on that row.
    std::function<bool(int fromRow)> leaveRow;

signals:
    // The user moved the current row; `gridRow` is the grid's row.
    void rowEntered(int gridRow);
    // Ctrl+U and Ctrl+D released with the view focused.
    void moveUpKey();
    void moveDownKey();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    void showGridSelection();
    int firstShownColumn() const;
    void viewRowChanged(const QModelIndex& current);

    FlexGrid& m_grid;
    StyledFlexGridModel* m_model;
    QHash<int, PlacedTwips> m_placedWidths;
    Stretch m_stretch = Stretch::ToDoFileColumns;
    int m_minimumRows = 0;
    bool m_syncing = false;
    bool m_layingOut = false;
};
