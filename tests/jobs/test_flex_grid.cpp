#include "core/Globals.h"
#include "jobs/FlexGrid.h"
#include "jobs/FlexGridModel.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

namespace {

// A job of n tasks whose cells name their task: "t<k>c<c>".
void fillTasks(MainFormState& form, int n)
{
    SetUpToDoGrid(form.fgToDo);
    for (int k = 1; k <= n; ++k) {
        QStringList cells;
        for (int c = 0; c < kToDoGridCols; ++c)
            cells << (c == todocol::Number ? QString::number(k) : QStringLiteral("t%1c%2").arg(k).arg(c));
        form.fgToDo.AddItem(cells.join(u'\t'), form.fgToDo.Rows() - 1);
    }
}

// Which task each row holds (by its column-4 cell) and its number cell.
QStringList order(const FlexGrid& grid)
{
    QStringList out;
    for (int r = 1; r < grid.Rows() - 1; ++r)
        out << grid.TextMatrix(r, todocol::Number) + QLatin1Char('=')
                   + grid.TextMatrix(r, todocol::Input).section(u'c', 0, 0);
    return out;
}

} // namespace

class TestFlexGrid : public QObject
{
    Q_OBJECT
private slots:
    void addItemSplitsAtTabsAndKeepsTheShape()
    {
        FlexGrid grid(4);
        QVERIFY(grid.AddItem(u"a\tb"));
        QVERIFY(grid.AddItem(u"c\t\td\te\tsurplus", 1));
        QCOMPARE(grid.Rows(), 3);
        QCOMPARE(grid.RowTexts(1), QStringList({"c", "", "d", "e"}));
        QCOMPARE(grid.RowTexts(2), QStringList({"a", "b", "", ""}));
        QVERIFY(!grid.AddItem(u"x", 5));
        QVERIFY(!grid.AddItem(u"x", 0)); // the header stays first
        QCOMPARE(grid.TextMatrix(9, 0), QString());
        QVERIFY(!grid.setTextMatrix(1, 4, QStringLiteral("x")));
    }

    // A cell holds any text, a TAB included, and its neighbours stay put.
    void cellsHoldAnyText()
    {
        FlexGrid grid(4);
        grid.AddItem(u"a\tb\tc\td");
        QVERIFY(grid.setTextMatrix(1, 1, QStringLiteral("x\ty")));
        QCOMPARE(grid.RowTexts(1), QStringList({"a", "x\ty", "c", "d"}));
        QVERIFY(grid.setTextMatrix(1, 3, QStringLiteral("é")));
        QCOMPARE(grid.TextMatrix(1, 3), QStringLiteral("é"));
        QByteArray line;
        QVERIFY(!grid.AppendRowAsLine(1, line));
        QVERIFY(line.isEmpty());

        grid.AddItem(u"p");
        QVERIFY(grid.setTextMatrix(2, 3, QStringLiteral("s")));
        QCOMPARE(grid.RowTexts(2), QStringList({"p", "", "", "s"}));
        QVERIFY(grid.AppendRowAsLine(2, line));
        QCOMPARE(line, QByteArray("p\t\t\ts\t"));
    }

    void surplusFieldsStayDroppedWhenColumnsChange()
    {
        FlexGrid grid(3);
        grid.AddItem(u"a\tb\tc\td\te");
        grid.setCols(2);
        grid.setCols(5);
        QCOMPARE(grid.RowTexts(1), QStringList({"a", "b", "", "", ""}));
    }

    void removeItemKeepsHeaderAndOneRow()
    {
        FlexGrid grid(2, 4);
        grid.setRow(3);
        QVERIFY(!grid.RemoveItem(0));
        QVERIFY(grid.RemoveItem(3));
        QCOMPARE(grid.Row(), 2); // the current row follows the grid's end
        QVERIFY(grid.RemoveItem(1));
        QVERIFY(!grid.RemoveItem(1));
        QCOMPARE(grid.Rows(), 2);
    }

    void settingRowOrColResetsTheSelection()
    {
        FlexGrid grid(5, 4);
        grid.setRow(1);
        grid.setRowSel(3);
        grid.setColSel(4);
        QVERIFY(grid.setRow(2));
        QCOMPARE(grid.RowSel(), 2);
        QVERIFY(grid.setCol(1));
        QCOMPARE(grid.ColSel(), 1);
        QVERIFY(!grid.setRow(4));
        QCOMPARE(grid.Row(), 2);
    }

    void setUpGivesHeaderAndNewTaskRowEveryTime()
    {
        MainFormState form;
        FlexGrid& grid = form.fgToDo;
        grid.AddItem(u"x\tx\t1\tC", 1);
        for (int pass = 0; pass < 2; ++pass) {
            SetUpToDoGrid(grid);
            QCOMPARE(grid.Rows(), 2);
            QCOMPARE(grid.RowTexts(0), QStringList({"", "", "#", "Do", "Input File(s)", "", "Type",
                                                    "Output File(s)", "", "Type", "Pass"}));
            QStringList newTaskRow(kToDoGridCols, QString());
            newTaskRow[todocol::Number] = QStringLiteral("*");
            QCOMPARE(grid.RowTexts(1), newTaskRow);
            QCOMPARE(grid.Row(), 1);
            QCOMPARE(grid.Col(), 0);
            QCOMPARE(grid.ColSel(), kToDoGridCols - 1);
        }
        SetUpLogGrid(form.fgLog);
        QCOMPARE(form.fgLog.Rows(), 2);
        QCOMPARE(form.fgLog.TextMatrix(0, 7), QStringLiteral("Output File"));
        QCOMPARE(form.fgLog.TextMatrix(0, 11), QStringLiteral("Status"));
        QCOMPARE(form.fgLog.RowTexts(1), QStringList(kLogGridCols, QString()));
        QCOMPARE(form.fgLog.ColSel(), kLogGridCols - 1);
    }

    void selectWholeGridRowClearsTheSuppressFlag()
    {
        FlexGrid grid(6, 3);
        grid.setRow(2);
        grid.setCol(3);
        G_bSuppressControlEvents = true;
        SelectWholeGridRow(grid);
        QVERIFY(!G_bSuppressControlEvents);
        QCOMPARE(grid.Row(), 2);
        QCOMPARE(grid.Col(), 0);
        QCOMPARE(grid.ColSel(), 5);
    }

    void moveGridRow_data()
    {
        QTest::addColumn<int>("tasks");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("target");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("moved");

        const QStringList unchanged = {"1=t1", "2=t2", "3=t3", "4=t4", "5=t5"};
        QTest::newRow("3 to first") << 5 << 3 << 1
                                    << QStringList{"1=t3", "2=t1", "3=t2", "4=t4", "5=t5"} << true;
        QTest::newRow("2 to last") << 5 << 2 << 5
                                   << QStringList{"1=t1", "2=t3", "3=t4", "4=t5", "5=t2"} << true;
        QTest::newRow("down one") << 5 << 4 << 5
                                  << QStringList{"1=t1", "2=t2", "3=t3", "4=t5", "5=t4"} << true;
        QTest::newRow("onto the header") << 5 << 3 << 0 << unchanged << false;
        QTest::newRow("onto the new-task row") << 5 << 3 << 6 << unchanged << false;
        QTest::newRow("beyond the grid") << 5 << 3 << 9 << unchanged << false;
        QTest::newRow("up from the first") << 5 << 1 << 0 << unchanged << false;
        QTest::newRow("the new-task row itself") << 5 << 6 << 1 << unchanged << false;
        QTest::newRow("the header itself") << 5 << 0 << 2 << unchanged << false;
        QTest::newRow("no task") << 0 << 1 << 1 << QStringList() << false;
    }

    void moveGridRow()
    {
        QFETCH(int, tasks);
        QFETCH(int, current);
        QFETCH(int, target);
        QFETCH(QStringList, expected);
        QFETCH(bool, moved);

        MainFormState form;
        fillTasks(form, tasks);
        form.fgToDo.setTextMatrix(3 <= tasks ? 3 : 1, todocol::Pass, QStringLiteral("+"));
        int toolbarUpdates = 0;
        form.hooks.UpdateMenuToolbar = [&] { ++toolbarUpdates; };
        form.fgToDo.setRow(current);

        QCOMPARE(MoveGridRow(form, form.fgToDo, target), moved);
        QCOMPARE(order(form.fgToDo), expected);
        QCOMPARE(form.fgToDo.TextMatrix(form.fgToDo.Rows() - 1, todocol::Number), QStringLiteral("*"));
        QCOMPARE(form.bAskToSaveKRJFileBeforeExit, moved);
        QCOMPARE(toolbarUpdates, moved ? 1 : 0);
        if (moved) {
            QCOMPARE(form.fgToDo.Row(), target);
            // Every cell but the number travels with its task, the pass mark too.
            QCOMPARE(form.fgToDo.TextMatrix(target, todocol::Pass),
                     current == 3 ? QStringLiteral("+") : QStringLiteral("t%1c10").arg(current));
            QCOMPARE(form.fgToDo.TextMatrix(target, todocol::Output),
                     QStringLiteral("t%1c7").arg(current));
        }
    }

    void modelFollowsTheGrid()
    {
        MainFormState form;
        FlexGridModel model(form.fgToDo);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy selection(&model, &FlexGridModel::currentCellChanged);

        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.headerData(todocol::Input, Qt::Horizontal).toString(), QStringLiteral("Input File(s)"));
        QCOMPARE(model.index(0, todocol::Number).data().toString(), QStringLiteral("*"));

        fillTasks(form, 4);
        QCOMPARE(model.rowCount(), 5);
        QCOMPARE(model.index(1, todocol::Input).data().toString(), QStringLiteral("t2c4"));
        form.fgToDo.setRow(2);
        MoveGridRow(form, form.fgToDo, 4);
        QCOMPARE(model.index(3, todocol::Input).data().toString(), QStringLiteral("t2c4"));
        form.fgToDo.RemoveItem(1);
        QCOMPARE(model.rowCount(), 4);
        form.fgToDo.setTextMatrix(0, todocol::Pass, QStringLiteral("OK?"));
        QCOMPARE(model.headerData(todocol::Pass, Qt::Horizontal).toString(), QStringLiteral("OK?"));
        form.fgToDo.setCols(12);
        QCOMPARE(model.columnCount(), 12);
        form.fgToDo.setRows(1);
        QCOMPARE(model.rowCount(), 0);
        SetUpToDoGrid(form.fgToDo);
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(!selection.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFlexGrid)
#include "test_flex_grid.moc"
