// The window keeps the user's tasks: the editor shows the task of the
// current row after whatever moved it (a run, a pause, Rewind, Add, Delete,
// Open, New, a tab switch), an edit not yet written stays and goes to the
// row it came from, a paused single task resumes where it stopped, and the
// status bar says when items failed.
#include "core/Globals.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "jobs/clsMRU.h"
#include "ui/FormUtilities.h"
#include "ui/GridView.h"
#include "ui/TaskEditor.h"
#include "ui/frmMain.h"
#include "ui/frmMainMDI.h"
#include "PersonAtWindow.h"
#include "MainWindowRun.h"
#include "TestUtil.h"
#include "WindowTestDoubles.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <filesystem>
#include <functional>

namespace {

QByteArray pdfTaskLine(int number, const QString& pdf, const QString& png)
{
    return (QStringLiteral("*^0^FALSE^75^36^0^0^0^\t\t") + QString::number(number) + QStringLiteral("\tC\t") + pdf
            + QStringLiteral("\t12\tPDF\t") + png + QStringLiteral("\t8\tpng\t\t\r\n"))
        .toUtf8();
}

const QByteArray kNewTaskLine = "\t\t*\t\t\t\t\t\t\t\t\t\r\n";

QStringList column(const FlexGrid& grid, int col)
{
    QStringList texts;
    for (int r = 1; r <= grid.Rows() - 2; ++r)
        texts << grid.TextMatrix(r, col);
    return texts;
}

std::filesystem::file_time_type writeTime(const QString& path)
{
    return std::filesystem::last_write_time(path.toStdString());
}

} // namespace

class TestWindowKeepsTasks : public QObject
{
    Q_OBJECT

    WindowUser m_user;

    QString pdf() const { return testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf")); }

    int withWindow(const QStringList& arguments, const std::function<void(frmMainMDI&)>& body)
    {
        return m_user.withWindow(arguments, body);
    }

    QString writeJob(const QString& name, const QByteArray& lines)
    {
        const QString path = m_user.path(QStringLiteral("home/") + name);
        return testutil::writeFile(path, lines + kNewTaskLine) ? path : QString();
    }

    // Tasks A and B, each one PDF to PNG.
    QString twoTaskJob(const QString& name)
    {
        return writeJob(name, pdfTaskLine(1, m_user.path(QStringLiteral("in/a.pdf")), m_user.path(QStringLiteral("out/a.png")))
                                  + pdfTaskLine(2, m_user.path(QStringLiteral("in/b.pdf")),
                                                m_user.path(QStringLiteral("out/b.png"))));
    }

    static void clickToolbar(frmMain& main, const char* key)
    {
        QTest::mouseClick(main.tbMain->widgetForAction(main.toolbarButton(QString::fromLatin1(key))), Qt::LeftButton);
    }

    // Saves the job under a new name and gives back its task lines' inputs.
    QStringList savedInputs(frmMain& main, const QString& name)
    {
        const QString path = m_user.path(QStringLiteral("home/") + name);
        m_user.chooser.paths = {path};
        main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
        QStringList inputs;
        for (const QByteArray& line : testutil::readFile(path).split('\n')) {
            const QList<QByteArray> cells = line.split('\t');
            if (cells.size() > 4 && cells.at(3) == "C")
                inputs << QString::fromUtf8(cells.at(4));
        }
        return inputs;
    }

private slots:
    void initTestCase()
    {
        m_user.setUp({QStringLiteral("out"), QStringLiteral("in")});
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/minimal-document.pdf"), QStringLiteral("pdf/pdflatex-4-pages.pdf"));
        for (const char* name : {"in/a.pdf", "in/b.pdf", "in/typed.pdf", "in/other.pdf"})
            QVERIFY(QFile::copy(pdf(), m_user.path(QString::fromLatin1(name))));
    }

    void init()
    {
        m_user.reset();
    }

    void cleanup() { m_user.reportIfFailed(); }

    void cleanupTestCase() { m_user.tearDown(); }

    // Whatever moved the current row, an edit and Update change the task
    // the editor showed and no other, and the job saved then holds every
    // task once. An edit made before the row moved stays in the editor and
    // goes to its own task.
    void updateChangesTheTaskShown_data()
    {
        QTest::addColumn<int>("clicked");        // the row clicked before the steps
        // F run, R Rewind, E edit the task shown, P a run paused at once, T a
        // run during which the task shown is edited
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("shown");          // the task the editor shows then
        QTest::newRow("run from task 1 ends on task 2") << 1 << "F" << 2;
        QTest::newRow("run then Rewind") << 2 << "FR" << 1;
        QTest::newRow("run paused in task 1") << 2 << "P" << 1;
        QTest::newRow("edit of task 2 kept over Rewind") << 2 << "FER" << 2;
        QTest::newRow("edit of task 1 typed during the run") << 1 << "T" << 1;
    }

    void updateChangesTheTaskShown()
    {
        QFETCH(int, clicked);
        QFETCH(QString, steps);
        QFETCH(int, shown);
        const QString job = twoTaskJob(QStringLiteral("update.KRJ"));
        const QString edited = m_user.path(QStringLiteral("out/edited.png"));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            const FlexGrid& grid = main.form().fgToDo;
            main.ConversionJobOpen(job);
            const QStringList inputs = column(grid, todocol::Input);
            const QStringList outputs = column(grid, todocol::Output);
            clickRow(main.fgToDo, clicked);
            QCOMPARE(editor.cbOriginalFile->currentText(), inputs.at(clicked - 1));
            for (const QChar step : steps) {
                if (step == u'F') {
                    clickToolbar(main, "keyConvert");
                    QCOMPARE(column(grid, todocol::Pass), (QStringList{"+", "+"}));
                } else if (step == u'P') {
                    QTimer::singleShot(0, &main, [&] { clickToolbar(main, "keyPause"); });
                    clickToolbar(main, "keyConvert");
                    QCOMPARE(frame.statusPanelText(6), QStringLiteral("Pause"));
                } else if (step == u'T') {
                    QTimer::singleShot(0, &main, [&] { typeInto(editor.cbTargetFile, edited); });
                    clickToolbar(main, "keyConvert");
                    QCOMPARE(column(grid, todocol::Pass), (QStringList{"+", "+"}));
                    QCOMPARE(editor.cbTargetFile->currentText(), edited);
                } else if (step == u'R') {
                    clickToolbar(main, "keyRewind");
                    QCOMPARE(grid.Row(), 1);
                } else if (step == u'E') {
                    typeInto(editor.cbTargetFile, edited);
                }
            }
            QCOMPARE(editor.cbOriginalFile->currentText(), inputs.at(shown - 1));
            if (!steps.contains(u'E') && !steps.contains(u'T'))
                typeInto(editor.cbTargetFile, edited);
            QVERIFY(editor.cmdUpdate->isEnabled());
            QTest::mouseClick(editor.cmdUpdate, Qt::LeftButton);
            QCOMPARE(m_user.sink.shown, QStringList());

            QStringList expected = outputs;
            expected[shown - 1] = edited;
            QCOMPARE(column(grid, todocol::Output), expected);
            QCOMPARE(column(grid, todocol::Input), inputs);
            QCOMPARE(grid.Row(), shown);
            QVERIFY(!editor.cmdUpdate->isEnabled());
            QCOMPARE(savedInputs(main, QStringLiteral("update-saved.KRJ")), inputs);
        });
        QCOMPARE(status, 0);
    }

    // Leaving the task page and coming back keeps an edit not yet written;
    // Update is enabled exactly while the editor differs from its row, also
    // when a change was typed back.
    void tabSwitchKeepsTheEdit()
    {
        const QString job = twoTaskJob(QStringLiteral("tabs.KRJ"));
        const QString typed = m_user.path(QStringLiteral("in/typed.pdf"));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            const FlexGrid& grid = main.form().fgToDo;
            main.ConversionJobOpen(job);
            clickRow(main.fgToDo, 2);
            QVERIFY(!editor.cmdUpdate->isEnabled());
            // Unchanged, the editor shows its row again after the switch.
            QTest::keyClick(main.fgToDo, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(main.selectedTab(), 2);
            QTest::keyClick(main.fgLog, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(main.selectedTab(), 1);
            QCOMPARE(editor.cbOriginalFile->currentText(), grid.TextMatrix(2, todocol::Input));
            QVERIFY(!editor.cmdUpdate->isEnabled());

            typeInto(editor.cbOriginalFile, typed);
            QVERIFY(editor.cmdUpdate->isEnabled());
            QTest::keyClick(editor.cbOriginalFile->lineEdit(), Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(main.selectedTab(), 2);
            QTest::keyClick(main.fgLog, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(main.selectedTab(), 1);
            QCOMPARE(editor.cbOriginalFile->currentText(), typed);
            QVERIFY(editor.cmdUpdate->isEnabled());
            QCOMPARE(m_user.sink.shown, QStringList());
            QTest::mouseClick(editor.cmdUpdate, Qt::LeftButton);
            QCOMPARE(grid.TextMatrix(2, todocol::Input), typed);
            QCOMPARE(grid.TextMatrix(1, todocol::Input), m_user.path(QStringLiteral("in/a.pdf")));
            QVERIFY(!editor.cmdUpdate->isEnabled());

            // A change typed back is no change: Update goes off, and leaving
            // the task asks nothing.
            const QString output = grid.TextMatrix(2, todocol::Output);
            typeInto(editor.cbTargetFile, m_user.path(QStringLiteral("out/elsewhere.png")));
            QVERIFY(editor.cmdUpdate->isEnabled());
            typeInto(editor.cbTargetFile, output);
            QVERIFY(!editor.cmdUpdate->isEnabled());
            clickRow(main.fgToDo, 1);
            QCOMPARE(m_user.sink.shown, QStringList());
            clickRow(main.fgToDo, 2);

            // Leaving the task with No: the editor shows the row entered
            // and Update is off again.
            typeInto(editor.cbOriginalFile, m_user.path(QStringLiteral("in/other.pdf")));
            m_user.sink.answers = {MessageAnswer::No};
            clickRow(main.fgToDo, 1);
            QCOMPARE(editor.cbOriginalFile->currentText(), m_user.path(QStringLiteral("in/a.pdf")));
            QVERIFY(!editor.cmdUpdate->isEnabled());
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // After an open (from the menu, or with /J and /O) the editor shows
    // row 1 of the opened job, and the job is among the recent ones; an
    // edit of the job that goes is asked for first.
    void openShowsTheFirstTask()
    {
        const QString first = twoTaskJob(QStringLiteral("first.KRJ"));
        const QString second = writeJob(QStringLiteral("second.KRJ"),
                                        pdfTaskLine(1, m_user.path(QStringLiteral("in/b.pdf")),
                                                    m_user.path(QStringLiteral("out/second.png"))));
        int status = withWindow({QStringLiteral("/J"), first, QStringLiteral("/O")}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            QCOMPARE(main.form().fgToDo.Row(), 1);
            QCOMPARE(editor.cbOriginalFile->currentText(), m_user.path(QStringLiteral("in/a.pdf")));
            QVERIFY(main.form().mruFileOpen);
            QVERIFY(main.form().mruFileOpen->clnMRU.contains(first));
            QCOMPARE(CountMRUMenuItems(main.mruMenu()), 1);
            QVERIFY(main.mruMenu().items().constFirst()->text().contains(QStringLiteral("first.KRJ")));

            clickRow(main.fgToDo, 2);
            typeInto(editor.cbTargetFile, m_user.path(QStringLiteral("out/b-edited.png")));
            m_user.sink.answers = {MessageAnswer::Cancel};
            m_user.chooser.paths = {second};
            main.menuItem(QStringLiteral("mnuOpenConversionJob"))->trigger();
            QCOMPARE(m_user.sink.shown.size(), 1);
            QVERIFY(m_user.sink.shown.constFirst().startsWith(QStringLiteral("Update Conversion Item: ")));
            QCOMPARE(main.form().sConversionJobFileName, first);
            QCOMPARE(editor.cbTargetFile->currentText(), m_user.path(QStringLiteral("out/b-edited.png")));

            m_user.sink.shown.clear();
            m_user.sink.answers = {MessageAnswer::No};   // the edit is not kept: the job is as it was
            m_user.chooser.paths = {second};
            main.menuItem(QStringLiteral("mnuOpenConversionJob"))->trigger();
            QCOMPARE(m_user.sink.shown.size(), 1);
            QCOMPARE(main.form().sConversionJobFileName, second);
            QCOMPARE(main.form().fgToDo.Row(), 1);
            QCOMPARE(editor.cbOriginalFile->currentText(), m_user.path(QStringLiteral("in/b.pdf")));
            QCOMPARE(editor.cbTargetFile->currentText(), m_user.path(QStringLiteral("out/second.png")));
            QVERIFY(!editor.cmdUpdate->isEnabled());
            QVERIFY(main.form().mruFileOpen->clnMRU.contains(second));
        });
        QCOMPARE(status, 0);
    }

    // Closing the window with an edited task asks for the edit before the
    // job: Cancel keeps the window and the edit, Yes writes it into its
    // task, which the saved job then holds.
    void closingAsksForTheEdit()
    {
        const QString job = twoTaskJob(QStringLiteral("closing.KRJ"));
        const QString edited = m_user.path(QStringLiteral("out/closing.png"));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            clickRow(main.fgToDo, 2);
            typeInto(main.editor->cbTargetFile, edited);
            m_user.sink.answers = {MessageAnswer::Cancel};
            QVERIFY(!frame.close());
            QCOMPARE(m_user.sink.shown.size(), 1);
            QVERIFY(m_user.sink.shown.constFirst().startsWith(
                QStringLiteral("Update Conversion Item: You've changed the current conversion item #2")));
            QCOMPARE(main.editor->cbTargetFile->currentText(), edited);
            m_user.sink.answers = {MessageAnswer::Yes, MessageAnswer::Yes};   // the edit, then the job
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
        QCOMPARE(m_user.sink.shown.size(), 3);
        const QList<QByteArray> lines = testutil::readFile(job).split('\n');
        QVERIFY(lines.size() > 2);
        QCOMPARE(lines.at(0).split('\t').value(7), m_user.path(QStringLiteral("out/a.png")).toUtf8());
        QCOMPARE(lines.at(1).split('\t').value(7), edited.toUtf8());
    }

    // A single task paused part way goes on from the file it stopped at:
    // no file converted before the Pause is written again.
    void pausedSingleTaskResumes()
    {
        const QString in = m_user.path(QStringLiteral("in/single"));
        const QString out = m_user.path(QStringLiteral("out/single"));
        QDir().mkpath(in);
        QDir().mkpath(out);
        const QStringList names = {"a", "b", "c", "d", "e", "f"};
        for (const QString& name : names)
            QVERIFY(QFile::copy(testutil::corpusFile(QStringLiteral("pdf/pdflatex-4-pages.pdf")),
                                in + u'/' + name + QStringLiteral(".pdf")));
        const QString job = writeJob(QStringLiteral("single.KRJ"),
                                     pdfTaskLine(1, in + QStringLiteral("/*.pdf"), out + QStringLiteral("/*.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            bool paused = false;
            QTimer probe;
            connect(&probe, &QTimer::timeout, this, [&] {
                if (paused || QDir(out).entryList(QDir::Files).isEmpty())
                    return;
                paused = true;
                clickToolbar(main, "keyPause");
            });
            probe.start(0);
            clickToolbar(main, "keyConvert");
            probe.stop();
            QVERIFY(paused);
            QCOMPARE(frame.statusPanelText(6), QStringLiteral("Pause"));
            const QStringList before = QDir(out).entryList(QDir::Files, QDir::Name);
            QVERIFY(!before.isEmpty());
            QVERIFY2(before.size() < names.size() * 4, "the pause came too late to cut the task short");
            // Stamped far in the past: a file written again gets a new time.
            const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365);
            for (const QString& name : before)
                std::filesystem::last_write_time(QString(out + u'/' + name).toStdString(), past);

            clickToolbar(main, "keyConvert");
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QStringLiteral("+"));
            const QStringList after = QDir(out).entryList(QDir::Files, QDir::Name);
            QCOMPARE(after.size(), names.size() * 4);   // four pages of each
            for (const QString& name : before)
                QVERIFY2(writeTime(out + u'/' + name) == past, qPrintable(name + QStringLiteral(" was written again")));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // The end of a run tells success from failure at a glance: the failure
    // mark carries the number of failed items, the texts stay; New leaves
    // no trace of the last job's run.
    void statusBarTellsFailures_data()
    {
        QTest::addColumn<int>("broken");
        QTest::addColumn<int>("picture");
        QTest::newRow("all converted") << 0 << 9;
        QTest::newRow("one failed") << 1 << 11;
        QTest::newRow("two failed") << 2 << 11;
    }

    void statusBarTellsFailures()
    {
        QFETCH(int, broken);
        QFETCH(int, picture);
        const QString tag = QString::number(broken);
        const QString in = m_user.path(QStringLiteral("in/failures-") + tag);
        const QString out = m_user.path(QStringLiteral("out/failures-") + tag);
        QDir().mkpath(in);
        QDir().mkpath(out);
        QVERIFY(QFile::copy(pdf(), in + QStringLiteral("/good.pdf")));
        for (int i = 0; i < broken; ++i)
            QVERIFY(testutil::writeFile(in + QStringLiteral("/broken%1.pdf").arg(i), "this is not a PDF\n"));
        const QString job = writeJob(QStringLiteral("failures.KRJ"),
                                     pdfTaskLine(1, in + QStringLiteral("/*.pdf"), out + QStringLiteral("/*.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            clickToolbar(main, "keyConvert");
            QCOMPARE(frame.statusPanelText(6), QStringLiteral(" 100 Percent Complete "));
            QCOMPARE(frame.runStatePicture(), picture);
            QCOMPARE(frame.runStateFailures(), broken);
            auto* mark = frame.findChild<QLabel*>(QStringLiteral("sbMainPanel6Picture"));
            QVERIFY(mark);
            QVERIFY(!mark->pixmap().isNull());
            if (broken > 0) {
                QVERIFY(frame.statusPanelText(8).startsWith(QStringLiteral("!!! Error:  ")));
                // The blinker keeps the failure mark.
                for (int tick = 0; tick < 4; ++tick) {
                    main.Timer1_Timer();
                    QVERIFY(frame.runStatePicture() == 11 || frame.runStatePicture() == 12);
                }
            }

            main.menuItem(QStringLiteral("mnuNewConversionJob"))->trigger();
            QCOMPARE(frame.statusPanelText(6), QString());
            QCOMPARE(frame.statusPanelText(8), QString());
            QCOMPARE(frame.runStatePicture(), 0);
            QVERIFY(mark->pixmap().isNull());
        });
        QCOMPARE(status, 0);
    }

    // Del in the task grid removes the selected task, as the Delete
    // button's tip says; the "*" row and a job's last task stay.
    void deleteKeyRemovesTheTask()
    {
        const QString job = writeJob(
            QStringLiteral("delete.KRJ"),
            pdfTaskLine(1, m_user.path(QStringLiteral("in/a.pdf")), m_user.path(QStringLiteral("out/1.png")))
                + pdfTaskLine(2, m_user.path(QStringLiteral("in/b.pdf")), m_user.path(QStringLiteral("out/2.png")))
                + pdfTaskLine(3, m_user.path(QStringLiteral("in/a.pdf")), m_user.path(QStringLiteral("out/3.png"))));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            const FlexGrid& grid = main.form().fgToDo;
            main.ConversionJobOpen(job);
            frame.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&frame));
            QVERIFY(main.toolbarButton(QStringLiteral("keyRemove"))->toolTip().contains(QStringLiteral("(Del)")));
            clickRow(main.fgToDo, 2);
            QTest::keyClick(main.fgToDo, Qt::Key_Delete);
            QCOMPARE(column(grid, todocol::Output),
                     (QStringList{m_user.path(QStringLiteral("out/1.png")), m_user.path(QStringLiteral("out/3.png"))}));
            QCOMPARE(column(grid, todocol::Number), (QStringList{"1", "2"}));
            // The editor shows the task that is now current.
            QCOMPARE(main.editor->cbTargetFile->currentText(), grid.TextMatrix(grid.Row(), todocol::Output));

            clickRow(main.fgToDo, 3);   // the "*" row
            QTest::keyClick(main.fgToDo, Qt::Key_Delete);
            QCOMPARE(grid.Rows(), 4);
            clickRow(main.fgToDo, 1);
            QTest::keyClick(main.fgToDo, Qt::Key_Delete);
            QCOMPARE(grid.Rows(), 3);
            QTest::keyClick(main.fgToDo, Qt::Key_Delete);   // the last task
            QCOMPARE(grid.Rows(), 3);
            QCOMPARE(grid.TextMatrix(1, todocol::Output), m_user.path(QStringLiteral("out/3.png")));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }
};

QTEST_MAIN(TestWindowKeepsTasks)
#include "test_window_keeps_tasks.moc"
