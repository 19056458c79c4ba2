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
#include "jobs/IniValues.h"
#include "jobs/MainFormState.h"
#include "ui/GridView.h"
#include "ui/MainFormLayout.h"
#include "ui/TaskEditor.h"
#include "ui/frmMain.h"
#include "ui/frmMainMDI.h"
#include "PersonAtWindow.h"
#include "MainWindowRun.h"
#include "TestUtil.h"
#include "WindowTestDoubles.h"

#include <QAbstractButton>
#include <QApplication>
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

QString panelName(int panel)
{
    switch (panel) {
    case kConversionPanel:
        return QStringLiteral("conversion");
    case specialprocess::Append:
        return QStringLiteral("append");
    case specialprocess::RemoveEmptyLines:
        return QStringLiteral("remove-empty-lines");
    case specialprocess::SearchAndReplace:
        return QStringLiteral("search-and-replace");
    case specialprocess::LaunchProgram:
        return QStringLiteral("launch-program");
    default:
        return QString();
    }
}

const int kPanels[] = {kConversionPanel, specialprocess::Append, specialprocess::RemoveEmptyLines,
                       specialprocess::SearchAndReplace, specialprocess::LaunchProgram};

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

// The task grid's rows that show whole.
int wholeRowsShown(const FlexGridView* view)
{
    const int rowHeight = view->verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? view->viewport()->height() / rowHeight : 0;
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

    WindowUser m_user;

    int withWindow(const std::function<void(frmMainMDI&)>& body)
    {
        return m_user.withWindow({}, [&](frmMainMDI& frame) {
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

    // Fills the panel with a task of a text file in the user's folder and
    // adds it: Remove Empty Lines and Search and Replace each to a file of
    // its own, Append all to one file, the conversion to a PDF.
    void addTask(TaskEditor& editor, int panel, int number)
    {
        const QString input = m_user.path(QStringLiteral("in/%1.txt").arg(number));
        QVERIFY(testutil::writeFile(input, "line\n\n\nline\n"));
        const QString output = m_user.path(QStringLiteral("out/%1.txt").arg(panel == specialprocess::Append ? 0 : number));
        switch (panel) {
        case kConversionPanel:
            editor.cbFileTypeTarget->setCurrentIndex(editor.cbFileTypeTarget->findData(12));   // PDF
            typeInto(editor.cbOriginalFile, input);
            typeInto(editor.cbTargetFile, m_user.path(QStringLiteral("out/%1.pdf").arg(number)));
            break;
        case specialprocess::LaunchProgram:
            typeInto(editor.cbCommandLine, QStringLiteral("/bin/true"));
            break;
        case specialprocess::SearchAndReplace:
            typeInto(editor.cbFindString, QStringLiteral("line"));
            typeInto(editor.cbReplacementString, QStringLiteral("row"));
            [[fallthrough]];
        default:
            typeInto(editor.cbOriginalFileSpecialized, input);
            typeInto(editor.cbTargetFileSpecialized, output);
            break;
        }
        QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
        settle();
    }

private slots:
    void initTestCase()
    {
        m_user.setUp({QStringLiteral("in"), QStringLiteral("out")});
        // The first start installs the languages.
        QCOMPARE(withWindow([](frmMainMDI&) {}), 0);
    }

    void init()
    {
        m_user.reset();
        QVERIFY(WriteIniText(QStringLiteral("Language"), QStringLiteral("Language_Code"), QStringLiteral("English"),
                             m_user.settingsFile()));
    }

    void cleanupTestCase() { m_user.tearDown(); }

    // Every panel at the first size and at 1024 x 700, in each language:
    // each box, button and caption at its whole height, inside its frame,
    // covering nothing, above a task grid that shows three tasks and the
    // new-task row.
    void everyPanelFits_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("panel");
        QTest::addColumn<QSize>("size");
        for (const char* language : {"English", "French", "German", "Japanese"})
            for (const QSize size : {QSize(), QSize(1024, 700)})
                for (int panel : kPanels)
                    QTest::addRow("%s, %s at %s", language, qPrintable(panelName(panel)),
                                  size.isValid() ? "1024x700" : "the first size")
                        << QString::fromLatin1(language) << panel << size;
    }

    void everyPanelFits()
    {
        QFETCH(QString, language);
        QFETCH(int, panel);
        QFETCH(QSize, size);
        QVERIFY(WriteIniText(QStringLiteral("Language"), QStringLiteral("Language_Code"), language, m_user.settingsFile()));
        const int status = onPanel(panel, size, [&](frmMain& main) {
            QVERIFY(main.editor->isVisible());
            // The window speaks the language.
            QCOMPARE(main.ts->tabText(1) == QLatin1String("Log"), language == QLatin1String("English"));
            QStringList faults;
            findLayoutFaults(main.frameCF[0], faults);
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
            // The output row's buttons stand under the input row's, a hidden
            // one leaving its place empty.
            const TaskEditor& e = *main.editor;
            const QPushButton* const underEachOther[][2] = {
                {e.cmdLaunchOriginal, e.cmdLaunchTarget},
                {e.cmdSelectSourceFolder, e.cmdSelectTargetFolder},
                {e.cmdSelectSourceFile, e.cmdSelectTargetFile},
                {e.cmdLaunchOriginalSpecialized, e.cmdLaunchTargetSpecialized},
                {e.cmdSelectSourceFolderSpecialized, e.cmdSelectTargetFolderSpecialized},
                {e.cmdSelectSourceFileSpecialized, e.cmdSelectTargetFileSpecialized},
            };
            for (const auto& pair : underEachOther) {
                if (!pair[0]->isVisible() || !pair[1]->isVisible())
                    continue;
                const int left[2] = {pair[0]->mapTo(&e, QPoint(0, 0)).x(), pair[1]->mapTo(&e, QPoint(0, 0)).x()};
                QVERIFY2(left[0] == left[1] && pair[0]->width() == pair[1]->width(),
                         qPrintable(describe(pair[0]) + QStringLiteral(" over ") + describe(pair[1])));
            }
            QVERIFY2(wholeRowsShown(main.fgToDo) >= kRowsKept,
                     qPrintable(QStringLiteral("%1 rows").arg(wholeRowsShown(main.fgToDo))));
        });
        QCOMPARE(status, 0);
    }

    // Tab from the choice of action goes into the panel it shows, then on
    // through the panel before it reaches Add, whichever row Add stands in.
    void tabGoesFromTheChoiceIntoThePanel_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addRow("conversion") << kConversionPanel;
        QTest::addRow("search-and-replace") << specialprocess::SearchAndReplace;
    }

    void tabGoesFromTheChoiceIntoThePanel()
    {
        QFETCH(int, panel);
        const int status = onPanel(panel, QSize(), [&](frmMain& main) {
            TaskEditor& e = *main.editor;
            main.window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(main.window()));
            QRadioButton* choice = e.rbActionToDo[panel == kConversionPanel ? 0 : 1];
            choice->setFocus();
            QTest::keyClick(choice, Qt::Key_Tab);
            QWidget* first = panel == kConversionPanel ? static_cast<QWidget*>(e.cbOriginalFile)
                                                       : static_cast<QWidget*>(e.cbSpecialProcesses);
            QWidget* focused = QApplication::focusWidget();
            QVERIFY2(focused == first || focused->parentWidget() == first, qPrintable(describe(focused)));
            // Add comes once the panel's last control is passed.
            QVERIFY(e.cmdAdd->isEnabled());
            QStringList passed;
            for (int i = 0; i < 60 && QApplication::focusWidget() != e.cmdAdd; ++i) {
                QWidget* w = QApplication::focusWidget();
                passed << w->objectName();
                QTest::keyClick(w, Qt::Key_Tab);
            }
            QCOMPARE(QApplication::focusWidget(), e.cmdAdd);
            QVERIFY(passed.contains(panel == kConversionPanel ? QStringLiteral("cmdAdvancedOptions")
                                                              : QStringLiteral("cmdAdvancedOptionsRexhound")));
        });
        QCOMPARE(status, 0);
    }

    // With TESSAVIEW_WINDOW_PICTURES set: a picture of the window showing
    // each panel, over a job that holds a task of each kind, written there
    // as window-<panel>.png.
    void windowPictures()
    {
        const QString folder = qEnvironmentVariable("TESSAVIEW_WINDOW_PICTURES");
        if (folder.isEmpty())
            QSKIP("TESSAVIEW_WINDOW_PICTURES names no folder");
        const int status = onPanel(kConversionPanel, QSize(), [&](frmMain& main) {
            TaskEditor& e = *main.editor;
            // The demo files the first start installed.
            const QString demo = QStringLiteral("%APPDATA%/Kestrova, Inc/Tessaview/");
            const QString notes = demo + QStringLiteral("Demo Data/");
            const QString out = demo + QStringLiteral("Demo Output/");
            e.cbFileTypeTarget->setCurrentIndex(e.cbFileTypeTarget->findData(12));   // PDF
            typeInto(e.cbOriginalFile, notes + QStringLiteral("Sample Word Document.docx"));
            typeInto(e.cbTargetFile, out + QStringLiteral("Sample Word Document.pdf"));
            QTest::mouseClick(e.cmdAdd, Qt::LeftButton);
            const struct
            {
                int process;
                QString input, output;
            } special[] = {
                {specialprocess::Append, notes + QStringLiteral("*.txt"), out + QStringLiteral("All Text.txt")},
                {specialprocess::RemoveEmptyLines, notes + QStringLiteral("Sample Text.txt"),
                 out + QStringLiteral("Sample Text.txt")},
                {specialprocess::SearchAndReplace, notes + QStringLiteral("*.txt"), out + QStringLiteral("*.txt")},
                {specialprocess::LaunchProgram, QString(), QString()},
            };
            for (const auto& task : special) {
                showPanel(e, task.process);
                if (task.process == specialprocess::LaunchProgram) {
                    typeInto(e.cbCommandLine, QStringLiteral("/usr/bin/gzip"));
                    typeInto(e.cbCommandLineArguments, QStringLiteral("-k \"") + out + QStringLiteral("All Text.txt\""));
                } else {
                    typeInto(e.cbOriginalFileSpecialized, task.input);
                    typeInto(e.cbTargetFileSpecialized, task.output);
                }
                if (task.process == specialprocess::SearchAndReplace) {
                    typeInto(e.cbFindString, QStringLiteral("colour"));
                    typeInto(e.cbReplacementString, QStringLiteral("color"));
                }
                QTest::mouseClick(e.cmdAdd, Qt::LeftButton);
            }
            QCOMPARE(main.form().fgToDo.Rows(), 7);
            QWidget* frame = main.window();
            for (int row = 1; row <= 5; ++row) {
                clickRow(main.fgToDo, row);
                settle();
                const int panel = row == 1 ? kConversionPanel : special[row - 2].process;
                const QString file = QDir(folder).filePath(QStringLiteral("window-%1.png").arg(panelName(panel)));
                QVERIFY2(frame->grab().save(file), qPrintable(file));
            }
        });
        QCOMPARE(status, 0);
    }

    // Each task added shows in the grid, however many there are, from
    // every panel.
    void theTaskAddedShows_data()
    {
        QTest::addColumn<int>("panel");
        for (int panel : kPanels)
            QTest::addRow("%s", qPrintable(panelName(panel))) << panel;
    }

    void theTaskAddedShows()
    {
        QFETCH(int, panel);
        const int status = onPanel(panel, QSize(), [&](frmMain& main) {
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            int number = 0;
            // Until the grid has scrolled, and three more.
            for (int beyond = 0; beyond < 3 && number < 40;) {
                addTask(editor, panel, ++number);
                QCOMPARE(m_user.sink.shown, QStringList());
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
                addTask(editor, specialprocess::RemoveEmptyLines, number);
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
            QCOMPARE(m_user.sink.shown, QStringList());
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
