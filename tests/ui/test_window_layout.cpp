// The main window's task page at the size it first opens with and at
// 1024 x 700, on the offscreen platform: every panel of the task editor
// shows its boxes and buttons whole, side by side without covering one
// another, above a task grid that keeps rows to show, and the grid brings
// the task just added, or the one being run, into view.
//
// With TESSAVIEW_WINDOW_PICTURES naming a folder, the window pictures in
// the documentation are taken there from the same window.
#include "core/FileTypes.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "ui/GridView.h"
#include "ui/MainFormLayout.h"
#include "ui/TaskEditor.h"
#include "ui/frmMain.h"
#include "ui/frmMainMDI.h"
#include "MainWindowRun.h"
#include "TestUtil.h"
#include "WindowTestDoubles.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>

namespace {

// The panels of the task editor: the conversion panel, then the special
// processes by their number.
constexpr int kConversionPanel = 0;

// Lets the layouts settle as they do between two things a person does.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Shows the panel as a person chooses it: the action's radio button, then
// the process from the list.
void showPanel(TaskEditor& editor, int panel)
{
    if (panel == kConversionPanel) {
        QTest::mouseClick(editor.rbActionToDo[0], Qt::LeftButton);
    } else {
        QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
        const int index = editor.cbSpecialProcesses->findData(panel);
        QVERIFY(index >= 0);
        editor.cbSpecialProcesses->setCurrentIndex(index);
    }
    settle();
}

// Widgets a person reads or works with: each needs its whole height.
bool isControl(const QWidget* w)
{
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QLineEdit*>(w)
        || qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLabel*>(w);
}

// Widgets whose children are their own parts rather than the form's.
bool isLeaf(const QWidget* w)
{
    return isControl(w) || qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QTabBar*>(w);
}

QString describe(const QWidget* w)
{
    QString name = w->objectName();
    if (name.isEmpty()) {
        if (const auto* l = qobject_cast<const QLabel*>(w))
            name = QStringLiteral("label \"%1\"").arg(l->text());
        else
            name = QString::fromLatin1(w->metaObject()->className());
    }
    const QRect g = w->geometry();
    return QStringLiteral("%1 (%2,%3 %4x%5)").arg(name).arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
}

// What is wrong with the visible widgets in `container`: a control lower
// than it needs, a child reaching out of its parent, two children that
// cover each other.
void findLayoutFaults(const QWidget* container, QStringList& faults)
{
    QList<const QWidget*> shown;
    for (const QObject* o : container->children()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        if (w && !w->isWindow() && w->isVisible())
            shown << w;
    }
    const QRect inside = container->rect();
    for (int i = 0; i < shown.size(); ++i) {
        const QWidget* w = shown[i];
        if (isControl(w) && w->height() < w->sizeHint().height())
            faults << QStringLiteral("%1 is lower than its %2 pixels").arg(describe(w)).arg(w->sizeHint().height());
        if (!inside.contains(w->geometry()))
            faults << QStringLiteral("%1 reaches out of %2").arg(describe(w), describe(container));
        for (int j = i + 1; j < shown.size(); ++j)
            if (w->geometry().intersects(shown[j]->geometry()))
                faults << QStringLiteral("%1 covers %2").arg(describe(w), describe(shown[j]));
        if (!isLeaf(w))
            findLayoutFaults(w, faults);
    }
}

bool rowShown(const FlexGridView* view, int gridRow)
{
    const QRect cell = view->visualRect(view->model()->index(FlexGridModel::modelRow(gridRow), todocol::Input));
    return cell.isValid() && view->viewport()->rect().contains(cell);
}

// Three tasks and the new-task row.
constexpr int kRowsKept = 4;

} // namespace

class TestWindowLayout : public QObject
{
    Q_OBJECT

    QTemporaryDir m_user;
    RecordingOpener m_opener;
    ScriptedSink m_sink;
    ScriptedChooser m_chooser;

    QString userPath(const QString& sub) const { return m_user.filePath(sub); }

    int withWindow(const std::function<void(frmMainMDI&)>& body)
    {
        return RunWithMainWindow({}, m_sink, m_chooser, [&](frmMainMDI& frame) {
            body(frame);
            frame.mainForm()->form().bAskToSaveKRJFileBeforeExit = false;
        });
    }

    // The size the window opens with when nothing was saved, in pixels.
    static QSize defaultSize(const frmMainMDI& frame)
    {
        const int dpi = int(frame.screen()->logicalDotsPerInch());
        return QSize(TwipsToPixels(FramePlacement().Width, dpi), TwipsToPixels(FramePlacement().Height, dpi));
    }

    static void resizeFrame(frmMainMDI& frame, const QSize& size)
    {
        if (frame.size() != size) {
            frame.showNormal();
            frame.resize(size);
        }
        settle();
        QCOMPARE(frame.size(), size);
    }

    // Opens the window at `size` (its first size when invalid), shows the
    // panel and runs `body` on the main form.
    int onPanel(int panel, const QSize& size, const std::function<void(frmMain&)>& body)
    {
        return withWindow([&](frmMainMDI& frame) {
            QVERIFY(!frame.isMaximized());
            resizeFrame(frame, size.isValid() ? size : defaultSize(frame));
            frmMain& main = *frame.mainForm();
            showPanel(*main.editor, panel);
            body(main);
        });
    }

    // Adds a Remove Empty Lines task of a text file in the user's folder.
    void addTextTask(TaskEditor& editor, int number)
    {
        const QString input = userPath(QStringLiteral("in/%1.txt").arg(number));
        QVERIFY(testutil::writeFile(input, "line\n\n\nline\n"));
        typeInto(editor.cbOriginalFileSpecialized, input);
        typeInto(editor.cbTargetFileSpecialized, userPath(QStringLiteral("out/%1.txt").arg(number)));
        QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
        settle();
    }

private slots:
    void initTestCase()
    {
        SetUpWindowUser(m_user, {QStringLiteral("in"), QStringLiteral("out")});
        SetHelpOpener(&m_opener);
    }

    void init()
    {
        m_sink.shown.clear();
        m_sink.answers.clear();
    }

    void cleanupTestCase()
    {
        SetHelpOpener(nullptr);
        SetMessageSink(nullptr);
        SetFileChooser(nullptr);
    }

    // Each task added shows in the grid, however many there are.
    void theTaskAddedShows()
    {
        const int status = onPanel(specialprocess::RemoveEmptyLines, QSize(), [&](frmMain& main) {
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            int number = 0;
            // Until the grid has scrolled, and three more.
            for (int beyond = 0; beyond < 3 && number < 40;) {
                addTextTask(editor, ++number);
                QCOMPARE(m_sink.shown, QStringList());
                QCOMPARE(grid.Rows(), number + 2);
                QCOMPARE(grid.Row(), number);
                QVERIFY2(rowShown(main.fgToDo, number), qPrintable(QStringLiteral("task %1").arg(number)));
                if (main.fgToDo->verticalScrollBar()->value() > 0)
                    ++beyond;
            }
            QVERIFY(main.fgToDo->verticalScrollBar()->value() > 0);
        });
        QCOMPARE(status, 0);
    }

    // A run shows each task as it comes to it: the row it makes current
    // is in view by the time the next one starts, and where it ends.
    void theTaskRunShows()
    {
        const int status = onPanel(specialprocess::RemoveEmptyLines, QSize(), [&](frmMain& main) {
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            const int tasks = 16;
            for (int number = 1; number <= tasks; ++number)
                addTextTask(editor, number);
            QCOMPARE(grid.Rows(), tasks + 2);
            main.fgToDo->scrollToTop();
            grid.setRow(1);
            settle();

            QList<int> unseen;
            QList<int> current;
            QMetaObject::Connection watch = connect(main.fgToDo->gridModel(), &FlexGridModel::currentCellChanged,
                                                    this, [&] {
                                                        const int row = grid.Row();
                                                        current << row;
                                                        QTimer::singleShot(0, this, [&, row] {
                                                            if (grid.Row() == row && !rowShown(main.fgToDo, row))
                                                                unseen << row;
                                                        });
                                                    });
            QTest::mouseClick(main.tbMain->widgetForAction(main.toolbarButton(QStringLiteral("keyConvert"))),
                              Qt::LeftButton);
            settle();
            disconnect(watch);
            QCOMPARE(m_sink.shown, QStringList());
            for (int number = 1; number <= tasks; ++number)
                QCOMPARE(grid.TextMatrix(number, todocol::Pass), QStringLiteral("+"));
            QVERIFY(current.contains(tasks));
            QCOMPARE(unseen, QList<int>());
            QVERIFY(rowShown(main.fgToDo, grid.Row()));
        });
        QCOMPARE(status, 0);
    }
};

QTEST_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
