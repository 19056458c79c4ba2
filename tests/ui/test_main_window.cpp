// The main window as a person uses it, on the offscreen platform: started
// the way the program starts it, with a demo job, a run from the toolbar,
// Pause, the exit question, the tab keys, the pickers and the settings it
// keeps.
#include "base/Profile.h"
#include "core/DataFolder.h"
#include "core/Globals.h"
#include "core/Translator.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/IniValues.h"
#include "jobs/MainFormState.h"
#include "scheduler/frmScheduler.h"
#include "ui/GridView.h"
#include "ui/MainFormLayout.h"
#include "ui/MainWindowStart.h"
#include "ui/TaskEditor.h"
#include "ui/frmMain.h"
#include "ui/frmMainMDI.h"
#include "TestUtil.h"
#include "MainWindowRun.h"
#include "WindowTestDoubles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QMenuBar>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>

namespace {

const QString kDemoJobs = QStringLiteral(TESSAVIEW_DEMO_JOBS);

QString identify(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m"), path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

// A job file line for a PDF-to-PNG task: pages, resolution, input, output.
QByteArray pdfTaskLine(int number, const QString& pages, int resolution, const QString& pdf, const QString& png)
{
    return (pages + QStringLiteral("^0^FALSE^75^") + QString::number(resolution) + QStringLiteral("^0^0^0^\t\t")
            + QString::number(number) + QStringLiteral("\tC\t") + pdf + QStringLiteral("\t12\tPDF\t") + png
            + QStringLiteral("\t8\tpng\t\t\r\n"))
        .toUtf8();
}

const QByteArray kNewTaskLine = "\t\t*\t\t\t\t\t\t\t\t\t\r\n";

QAction* button(frmMain& main, const char* key)
{
    return main.toolbarButton(QString::fromLatin1(key));
}

QWidget* buttonWidget(frmMain& main, const char* key)
{
    return main.tbMain->widgetForAction(button(main, key));
}

int filesIn(const QString& folder)
{
    return int(QDir(folder).entryList(QDir::Files).size());
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_user;
    RecordingOpener m_opener;
    ScriptedSink m_sink;
    ScriptedChooser m_chooser;

    QString userPath(const QString& sub) const { return m_user.filePath(sub); }
    QString userData() const { return userPath(QStringLiteral("config/Kestrova, Inc/Tessaview")); }
    QString settingsFile() const { return userData() + QStringLiteral("/QVIM_SearchHistory.INI"); }

    // Starts the program the way qvim does, with these arguments, and runs
    // `body` on its window instead of serving it; the window goes after.
    int withWindow(const QStringList& arguments, const std::function<void(frmMainMDI&)>& body)
    {
        return RunWithMainWindow(arguments, m_sink, m_chooser, body);
    }

    // Opens the job in the window and gives its task grid the keyboard, as
    // a person who clicked into it. False when the window did not become
    // active.
    bool openWithTheKeyboard(frmMainMDI& frame, const QString& job)
    {
        frmMain& main = *frame.mainForm();
        main.ConversionJobOpen(job);
        frame.activateWindow();
        if (!QTest::qWaitForWindowActive(&frame))
            return false;
        main.fgToDo->setFocus();
        return true;
    }

    // A job file of the given lines in the user's folder.
    QString writeJob(const QString& name, const QByteArray& lines)
    {
        const QString path = userPath(name);
        if (!testutil::writeFile(path, lines + kNewTaskLine))
            return QString();
        return path;
    }

private slots:
    void initTestCase()
    {
        SetUpWindowUser(m_user, {QStringLiteral("out")});
        SetHelpOpener(&m_opener);
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/minimal-document.pdf"), QStringLiteral("pdf/GeoTopo-komprimiert.pdf"));
    }

    void init()
    {
        m_sink.shown.clear();
        m_sink.answers.clear();
        m_chooser.clear();
    }

    void cleanupTestCase()
    {
        SetHelpOpener(nullptr);
        SetMessageSink(nullptr);
        SetFileChooser(nullptr);
    }

    // qvim /J <demo job> /O: the window opens holding the job, and the
    // grids show it as text.
    void opensWithADemoJobLoaded()
    {
        const QString job = userData() + QStringLiteral("/Demo Conversion Jobs/3 RTF and HTML to PDF.KRJ");
        const int status = withWindow({QStringLiteral("/J"), job, QStringLiteral("/O")}, [&](frmMainMDI& frame) {
            QVERIFY(QFileInfo::exists(job));   // installed on the first run
            QVERIFY(frame.isVisible());
            QVERIFY(frame.mainFormWindow()->isMaximized());
            frmMain& main = *frame.mainForm();

            QAbstractItemModel* tasks = main.fgToDo->model();
            QCOMPARE(tasks->rowCount(), 3);   // two tasks and the new-task row
            QCOMPARE(tasks->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Input File(s)"));
            QCOMPARE(tasks->index(0, todocol::Number).data().toString(), QStringLiteral("1"));
            QVERIFY(tasks->index(0, todocol::Input).data().toString().endsWith(QStringLiteral("Sample Rich Text.rtf")));
            QVERIFY(tasks->index(1, todocol::Input).data().toString().endsWith(QStringLiteral("Sample Web Page.html")));
            QCOMPARE(tasks->index(2, todocol::Number).data().toString(), QStringLiteral("*"));
            QVERIFY(!main.fgToDo->isColumnHidden(todocol::Input));
            QVERIFY(main.fgToDo->columnWidth(todocol::Input) > 50);
            for (int hidden : {0, 1, 5, 8})
                QVERIFY(main.fgToDo->isColumnHidden(hidden));
            QCOMPARE(main.fgLog->model()->rowCount(), 1);   // the empty log

            QCOMPARE(frame.mainFormWindow()->windowTitle(), QStringLiteral("3 RTF and HTML to PDF.KRJ"));
            QCOMPARE(frame.windowTitle(), QStringLiteral("'Tessaview' - [3 RTF and HTML to PDF.KRJ]"));
            QCOMPARE(frame.menuBar()->actions().size(), 3);
            QVERIFY(button(main, "keyConvert")->isEnabled());
            QVERIFY(!button(main, "keyPause")->isEnabled());
            QVERIFY(main.menuItem(QStringLiteral("mnuSaveConversionJob"))->isEnabled());
            // The task editor's lists are filled.
            QCOMPARE(main.editor->cbFileTypeOriginal->count(), 7);
            QCOMPARE(main.editor->cbCharacter1->count(), 256);
        });
        QCOMPARE(status, 0);
    }

    // Convert on the toolbar runs the job in the window: the PDF task is
    // converted and marked "+", and the status bar says so.
    void runFromTheWindowConvertsAPdfTask()
    {
        const QString out = userPath(QStringLiteral("out/run"));
        QDir().mkpath(out);
        const QString job = writeJob(QStringLiteral("pdf.KRJ"),
                                     pdfTaskLine(1, QStringLiteral("*"), 72,
                                                 testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf")),
                                                 out + QStringLiteral("/minimal.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            QCOMPARE(main.form().fgToDo.Rows(), 3);
            QList<bool> convertDuringRun;
            QTimer probe;
            connect(&probe, &QTimer::timeout, this,
                    [&] { convertDuringRun << button(main, "keyConvert")->isEnabled(); });
            probe.start(0);
            QTest::mouseClick(buttonWidget(main, "keyConvert"), Qt::LeftButton);
            probe.stop();

            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QStringLiteral("+"));
            QCOMPARE(main.fgToDo->model()->index(0, todocol::Pass).data().toString(), QStringLiteral("+"));
            const QStringList pages = QDir(out).entryList({QStringLiteral("*.png")}, QDir::Files);
            QCOMPARE(pages.size(), 1);
            QCOMPARE(identify(out + u'/' + pages.constFirst()), QStringLiteral("PNG"));
            QVERIFY(frame.statusPanelText(6).contains(QStringLiteral("100")));
            QCOMPARE(frame.statusPanelText(3), QStringLiteral("-"));
            QCOMPARE(frame.runStatePicture(), 9);
            QCOMPARE(main.form().fgLog.Rows(), 2);   // nothing failed
            QVERIFY(button(main, "keyConvert")->isEnabled());
            // While it ran, the window was served and Convert was off.
            QVERIFY(!convertDuringRun.isEmpty());
            QVERIFY(!convertDuringRun.contains(true));
        });
        QCOMPARE(status, 0);
    }

    // Pause on the toolbar stops a long run in its first document, before
    // the next task, and moves and opening are refused while it runs.
    void pauseStopsALongRun()
    {
        const QString out = userPath(QStringLiteral("out/pause"));
        QDir().mkpath(out);
        const QString big = testutil::corpusFile(QStringLiteral("pdf/GeoTopo-komprimiert.pdf"));
        const QString job = writeJob(
            QStringLiteral("pause.KRJ"),
            pdfTaskLine(1, QStringLiteral("*"), 40, big, out + QStringLiteral("/geo.png"))
                + pdfTaskLine(2, QStringLiteral("*"), 40, testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf")),
                              out + QStringLiteral("/second.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            QCOMPARE(main.form().fgToDo.Rows(), 4);
            const QString firstInput = main.form().fgToDo.TextMatrix(1, todocol::Input);

            bool paused = false;
            bool refusedWhileRunning = false;
            QTimer probe;
            connect(&probe, &QTimer::timeout, this, [&] {
                if (paused || filesIn(out) < 2)
                    return;
                refusedWhileRunning = button(main, "keyPause")->isEnabled()
                                      && !main.menuItem(QStringLiteral("mnuOpenConversionJob"))->isEnabled()
                                      && main.menuItem(QStringLiteral("mnuSaveConversionJob"))->isEnabled();
                // Ctrl+D on the task grid moves nothing while the job runs.
                main.form().fgToDo.setRow(1);
                QTest::keyClick(main.fgToDo, Qt::Key_D, Qt::ControlModifier);
                paused = true;
                QTest::mouseClick(buttonWidget(main, "keyPause"), Qt::LeftButton);
            });
            probe.start(20);
            main.ConversionJobBegin();
            probe.stop();

            QVERIFY(paused);
            QVERIFY(!QFileInfo::exists(out + QStringLiteral("/second.png")));
            QVERIFY(refusedWhileRunning);
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Input), firstInput);
            QVERIFY(filesIn(out) < 117);
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QString());   // not finished
            QCOMPARE(frame.statusPanelText(6), QStringLiteral("Pause"));
            QVERIFY(button(main, "keyConvert")->isEnabled());
        });
        QCOMPARE(status, 0);
    }

    // F9 while a task's later files run, after its first file failed, then
    // F5: the failure stays in the log, the task is marked "-" once its
    // files are all done, and the status bar says the job is complete.
    void pauseAndResumeKeepAnEarlierFailure_data()
    {
        QTest::addColumn<bool>("secondTask");
        QTest::newRow("one task") << false;
        QTest::newRow("two tasks") << true;
    }

    void pauseAndResumeKeepAnEarlierFailure()
    {
        QFETCH(bool, secondTask);
        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        const QString in = userPath(QStringLiteral("in/resume-") + name);
        const QString out = userPath(QStringLiteral("out/resume-") + name);
        QDir().mkpath(in);
        QDir().mkpath(out);
        // "a.pdf" sorts first and is no PDF.
        QVERIFY(testutil::writeFile(in + QStringLiteral("/a.pdf"), "this is not a PDF\n"));
        const QString pdf = testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf"));
        const QStringList good = {"b", "c", "d", "e"};
        for (const QString& name : good)
            QVERIFY(QFile::copy(pdf, in + u'/' + name + QStringLiteral(".pdf")));
        const QString second = out + QStringLiteral("-second.png");
        QByteArray lines = pdfTaskLine(1, QStringLiteral("*"), 36, in + QStringLiteral("/*.pdf"), out + QStringLiteral("/*.png"));
        if (secondTask)
            lines += pdfTaskLine(2, QStringLiteral("*"), 36, pdf, second);
        const QString job = writeJob(QStringLiteral("resume-") + name + QStringLiteral(".KRJ"), lines);
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QVERIFY(openWithTheKeyboard(frame, job));

            bool paused = false;
            QTimer probe;
            connect(&probe, &QTimer::timeout, this, [&] {
                if (paused || main.form().fgLog.Rows() < 3 || filesIn(out) < 1)
                    return;
                paused = true;
                QTest::keyClick(main.fgToDo, Qt::Key_F9);
            });
            probe.start(0);
            QTest::keyClick(main.fgToDo, Qt::Key_F5);
            probe.stop();

            QVERIFY(paused);
            QCOMPARE(frame.statusPanelText(6), QStringLiteral("Pause"));
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QString());
            const int doneBeforePause = filesIn(out);
            QVERIFY2(doneBeforePause < good.size(), "the pause came too late to cut the task short");

            QTest::keyClick(main.fgToDo, Qt::Key_F5);

            const FlexGrid& log = main.form().fgLog;
            QCOMPARE(log.Rows(), 3);   // the one failure, kept, and not met again
            QCOMPARE(log.TextMatrix(1, todocol::Input), in + QStringLiteral("/a.pdf"));
            QCOMPARE(log.TextMatrix(1, todocol::Pass), QStringLiteral("-"));
            QCOMPARE(main.fgLog->model()->rowCount(), 2);
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QStringLiteral("-"));
            QCOMPARE(main.fgToDo->model()->index(0, todocol::Pass).data().toString(), QStringLiteral("-"));
            if (secondTask) {
                QCOMPARE(main.form().fgToDo.TextMatrix(2, todocol::Pass), QStringLiteral("+"));
                QVERIFY(QFileInfo::exists(second));
            }
            // Every good file was converted, each once: the job is complete.
            const QStringList pages = QDir(out).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
            QCOMPARE(pages.size(), good.size());
            for (int i = 0; i < good.size(); ++i) {
                QVERIFY(pages.at(i).startsWith(good.at(i)));
                QCOMPARE(identify(out + u'/' + pages.at(i)), QStringLiteral("PNG"));
            }
            QCOMPARE(frame.statusPanelText(6), QStringLiteral(" 100 Percent Complete "));
            QCOMPARE(frame.statusPanelText(8), QStringLiteral("!!! Error:  ") + log.TextMatrix(1, todocol::Status));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // Opening a file that is no job says so and leaves the job on screen as
    // it was, under its own name.
    void openingAFileThatIsNoJobSaysSo()
    {
        const QString pdf = testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf"));
        const QString job = writeJob(QStringLiteral("kept.KRJ"),
                                     pdfTaskLine(1, QStringLiteral("1"), 36, pdf, userPath(QStringLiteral("out/k.png"))));
        const QString notes = userPath(QStringLiteral("notes.KRJ"));
        QVERIFY(testutil::writeFile(notes, "Things to do:\n- call Ann\n"));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            QCOMPARE(frame.mainFormWindow()->windowTitle(), QStringLiteral("kept.KRJ"));
            m_sink.shown.clear();

            QCOMPARE(main.ConversionJobOpen(notes), JobLoadResult::Failed);
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_sink.shown.constFirst().contains(QStringLiteral("The file is not a conversion job file:")));
            QVERIFY(m_sink.shown.constFirst().contains(notes));
            QCOMPARE(main.form().fgToDo.Rows(), 3);
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Input), pdf);
            QCOMPARE(frame.mainFormWindow()->windowTitle(), QStringLiteral("kept.KRJ"));
            QCOMPARE(main.form().sConversionJobFileName, job);
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // Closing while a job runs pauses the run, then closes the window.
    void closingDuringARunPausesFirst()
    {
        const QString out = userPath(QStringLiteral("out/close"));
        QDir().mkpath(out);
        const QString job = writeJob(QStringLiteral("close.KRJ"),
                                     pdfTaskLine(1, QStringLiteral("*"), 40,
                                                 testutil::corpusFile(QStringLiteral("pdf/GeoTopo-komprimiert.pdf")),
                                                 out + QStringLiteral("/geo.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            bool closeAsked = false;
            bool openWhileRunning = true;
            QTimer probe;
            connect(&probe, &QTimer::timeout, this, [&] {
                if (closeAsked || filesIn(out) < 1)
                    return;
                closeAsked = true;
                frame.close();
                openWhileRunning = frame.isVisible();
            });
            probe.start(20);
            main.ConversionJobBegin();
            probe.stop();
            QVERIFY(closeAsked);
            QVERIFY(openWhileRunning);   // the window waited for the run to stop
            QTRY_VERIFY(!frame.isVisible());
            QVERIFY(filesIn(out) < 117);
            QVERIFY(m_sink.shown.isEmpty());   // nothing changed: no question
        });
        QCOMPARE(status, 0);
    }

    // A changed job asks before the window closes; Yes with a cancelled
    // Save As keeps the window open; No lets it go.
    void yesAndACancelledSaveAsKeepTheWindowOpen()
    {
        const QString pdf = testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf"));
        const QString job = writeJob(QStringLiteral("ask.KRJ"),
                                     pdfTaskLine(1, QStringLiteral("*"), 72, pdf, QStringLiteral("/tmp/a.png"))
                                         + pdfTaskLine(2, QStringLiteral("*"), 72, pdf, QStringLiteral("/tmp/b.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(job);
            main.form().sConversionJobFileName = QStringLiteral("*");   // as a job that was never saved
            main.form().fgToDo.setRow(1);
            QTest::keyClick(main.fgToDo, Qt::Key_D, Qt::ControlModifier);   // a change: task 1 moves down
            QVERIFY(main.form().bAskToSaveKRJFileBeforeExit);
            QVERIFY(main.form().fgToDo.TextMatrix(2, todocol::Output).endsWith(QStringLiteral("a.png")));

            m_sink.answers = {MessageAnswer::Yes};
            QVERIFY(!frame.close());
            QVERIFY(frame.isVisible());
            QCOMPARE(m_sink.shown, QStringList{QStringLiteral("Save: Save Conversion Job?")});
            QCOMPARE(m_chooser.requests.size(), 1);
            QCOMPARE(m_chooser.requests.constFirst().mode, FileDialogMode::Save);
            QVERIFY(main.form().bAskToSaveKRJFileBeforeExit);

            // New shares the question: the job stays when it cannot be saved.
            m_sink.answers = {MessageAnswer::Yes};
            main.ConversionJobNew();
            QCOMPARE(main.form().fgToDo.Rows(), 4);

            // Yes with a name: the job is written, then the window closes.
            const QString saved = userPath(QStringLiteral("saved.KRJ"));
            m_sink.answers = {MessageAnswer::Yes};
            m_chooser.paths = {saved};
            QVERIFY(frame.close());
            const QStringList lines = QString::fromUtf8(testutil::readFile(saved)).split(QStringLiteral("\r\n"),
                                                                                       Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 3);
            QVERIFY(lines[0].contains(QStringLiteral("/tmp/b.png")));
        });
        QCOMPARE(status, 0);

        // One task never saved is asked for as well; No: the window closes
        // without saving.
        m_chooser.requests.clear();
        m_sink.shown.clear();
        const QString single = writeJob(QStringLiteral("single.KRJ"), pdfTaskLine(1, QStringLiteral("*"), 72, pdf,
                                                                               QStringLiteral("/tmp/c.png")));
        const int second = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.ConversionJobOpen(single);
            main.form().sConversionJobFileName = QStringLiteral("*");
            main.form().bAskToSaveKRJFileBeforeExit = true;
            m_sink.answers = {MessageAnswer::No};
            QVERIFY(frame.close());
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_chooser.requests.isEmpty());
        });
        QCOMPARE(second, 0);
    }

    // Ctrl+Tab and Ctrl+Shift+Tab change the tab wherever the focus is;
    // the MDI area does not take them.
    void ctrlTabChangesTheTab()
    {
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QCOMPARE(main.selectedTab(), 1);
            QTest::keyClick(main.fgToDo, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(main.selectedTab(), 2);
            QCOMPARE(main.ts->currentWidget(), main.frameCF[1]);
            QTest::keyClick(main.fgLog, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(main.selectedTab(), 1);
            QTest::keyClick(main.editor->cbOriginalFile->lineEdit(), Qt::Key_Backtab,
                            Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(main.selectedTab(), 2);
            // The log page refuses the task commands.
            QVERIFY(!button(main, "keyAdd")->isEnabled());
            QTest::keyClick(main.fgLog, Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier);
            QCOMPARE(main.selectedTab(), 2);
            QTest::keyClick(main.fgLog, Qt::Key_Tab, Qt::ControlModifier);
            QCOMPARE(main.selectedTab(), 1);
            QVERIFY(button(main, "keyAdd")->isEnabled());
            QCOMPARE(frame.mdiArea()->subWindowList().size(), 1);
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
    }

    // The menus' shortcuts act on the active window: F5 runs, F4 rewinds,
    // Ctrl+U and Ctrl+D on the grid move the selected task.
    void keyboardShortcuts()
    {
        const QString out = userPath(QStringLiteral("out/keys"));
        QDir().mkpath(out);
        const QString pdf = testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf"));
        const QString job = writeJob(QStringLiteral("keys.KRJ"),
                                     pdfTaskLine(1, QStringLiteral("1"), 36, pdf, out + QStringLiteral("/one.png"))
                                         + pdfTaskLine(2, QStringLiteral("1"), 36, pdf, out + QStringLiteral("/two.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QVERIFY(openWithTheKeyboard(frame, job));
            main.form().fgToDo.setRow(1);

            QTest::keyClick(main.fgToDo, Qt::Key_D, Qt::ControlModifier);
            QVERIFY(main.form().fgToDo.TextMatrix(2, todocol::Output).endsWith(QStringLiteral("one.png")));
            QCOMPARE(main.form().fgToDo.Row(), 2);
            QTest::keyClick(main.fgToDo, Qt::Key_U, Qt::ControlModifier);
            QVERIFY(main.form().fgToDo.TextMatrix(1, todocol::Output).endsWith(QStringLiteral("one.png")));
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Number), QStringLiteral("1"));
            // Ctrl+Shift+D is not a move.
            QTest::keyClick(main.fgToDo, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY(main.form().fgToDo.TextMatrix(1, todocol::Output).endsWith(QStringLiteral("one.png")));

            QTest::keyClick(main.fgToDo, Qt::Key_F5);
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QStringLiteral("+"));
            QCOMPARE(main.form().fgToDo.TextMatrix(2, todocol::Pass), QStringLiteral("+"));
            QVERIFY(QFileInfo::exists(out + QStringLiteral("/one.png")));
            QVERIFY(main.menuItem(QStringLiteral("mnuRewindConversionJob"))->isEnabled());
            QTest::keyClick(main.fgToDo, Qt::Key_F4);
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QString());
            main.form().bAskToSaveKRJFileBeforeExit = false;
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
    }

    // Save and Save As wait while a job file loads; Pause stops the load.
    void savingWaitsWhileAJobLoads()
    {
        QByteArray lines;
        for (int i = 1; i <= 2500; ++i)
            lines += pdfTaskLine(i, QStringLiteral("*"), 72, QStringLiteral("/in/x.pdf"), QStringLiteral("/out/x.png"));
        const QString job = writeJob(QStringLiteral("big.KRJ"), lines);
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            bool seen = false;
            bool saveOff = false, saveAsOff = false, pauseOn = false, openOff = false;
            QTimer::singleShot(0, this, [&] {
                seen = main.form().bLoadingJobFile;
                saveOff = !main.menuItem(QStringLiteral("mnuSaveConversionJob"))->isEnabled();
                saveAsOff = !main.dropDownEntry(QStringLiteral("KeySaveAs"))->isEnabled();
                pauseOn = button(main, "keyPause")->isEnabled();
                openOff = !main.menuItem(QStringLiteral("mnuOpenConversionJob"))->isEnabled();
                QTest::mouseClick(buttonWidget(main, "keyPause"), Qt::LeftButton);
            });
            main.ConversionJobOpen(job);
            QVERIFY(seen);
            QVERIFY(saveOff && saveAsOff && pauseOn && openOff);
            QVERIFY(!main.form().bLoadingJobFile);
            QVERIFY(main.form().fgToDo.Rows() < 2502);   // stopped part way
            QVERIFY(main.menuItem(QStringLiteral("mnuSaveConversionJob"))->isEnabled());
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
    }

    // The editor's picker buttons: the file buttons write the chosen path,
    // the folder buttons a pattern for the selected type; a cancelled
    // picker keeps the text.
    void pickerButtons()
    {
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            TaskEditor& editor = *frame.mainForm()->editor;
            editor.cbFileTypeOriginal->setCurrentIndex(2);   // [12] Adobe (PDF)
            m_chooser.paths = {QStringLiteral("/home/ann/in/report.pdf")};
            QTest::mouseClick(editor.cmdSelectSourceFile, Qt::LeftButton);
            QCOMPARE(editor.cbOriginalFile->currentText(), QStringLiteral("/home/ann/in/report.pdf"));
            QCOMPARE(m_chooser.requests.constLast().mode, FileDialogMode::Open);
            QCOMPARE(m_chooser.requests.constLast().filterIndex, 4);
            QCOMPARE(m_chooser.requests.constLast().title, QStringLiteral("Select Input"));

            QTest::mouseClick(editor.cmdSelectSourceFile, Qt::LeftButton);   // cancelled
            QCOMPARE(editor.cbOriginalFile->currentText(), QStringLiteral("/home/ann/in/report.pdf"));

            editor.cbFileTypeTarget->setCurrentIndex(7);   // [8] PNG
            m_chooser.paths = {QStringLiteral("/home/ann/out/new.png")};
            QTest::mouseClick(editor.cmdSelectTargetFile, Qt::LeftButton);
            QCOMPARE(m_chooser.requests.constLast().mode, FileDialogMode::OpenOrNew);
            QCOMPARE(m_chooser.requests.constLast().filterIndex, 8);
            QCOMPARE(editor.cbTargetFile->currentText(), QStringLiteral("/home/ann/out/new.png"));

            m_chooser.folders = {QStringLiteral("/home/ann/pdfs")};
            QTest::mouseClick(editor.cmdSelectSourceFolder, Qt::LeftButton);
            QCOMPARE(editor.cbOriginalFile->currentText(), QStringLiteral("/home/ann/pdfs/*.pdf"));
            QCOMPARE(m_chooser.folderStarts.constLast(), QStringLiteral("/home/ann/in/report.pdf"));
            m_chooser.folders = {QStringLiteral("/")};
            QTest::mouseClick(editor.cmdSelectTargetFolder, Qt::LeftButton);
            QCOMPARE(editor.cbTargetFile->currentText(), QStringLiteral("/*.png"));
            m_chooser.folders = {QStringLiteral("/data")};
            QTest::mouseClick(editor.cmdSelectSourceFolderSpecialized, Qt::LeftButton);
            QCOMPARE(editor.cbOriginalFileSpecialized->currentText(), QStringLiteral("/data/"));
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
    }

    // The window writes its settings when it closes: the frame's placement
    // and the grids' column widths, which the next window shows again.
    void settingsKeptAtUnload()
    {
        int widthPx = 0;
        const int first = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            main.fgToDo->setColumnWidth(todocol::Number, 60);
            widthPx = main.fgToDo->columnWidth(todocol::Number);
            frame.showNormal();
            frame.move(40, 30);
            QVERIFY(frame.close());
        });
        QCOMPARE(first, 0);
        const int twips = PixelsToTwips(widthPx, frame_dpi());
        QCOMPARE(ReadIniText(QStringLiteral("frmMain"), QStringLiteral("fgToDo.ColWidth(2)"), QString(), settingsFile()),
                 QString::number(twips));
        QCOMPARE(ReadIniText(QStringLiteral("frmMainMDI"), QStringLiteral("WindowState"), QString(), settingsFile()),
                 QStringLiteral("0"));
        QVERIFY(!ReadIniText(QStringLiteral("frmMainMDI"), QStringLiteral("Left"), QString(), settingsFile()).isEmpty());

        const int second = withWindow({}, [&](frmMainMDI& frame) {
            QCOMPARE(frame.mainForm()->fgToDo->columnWidth(todocol::Number), widthPx);
            frame.showMaximized();
            QVERIFY(frame.close());
        });
        QCOMPARE(second, 0);
        QCOMPARE(ReadIniText(QStringLiteral("frmMainMDI"), QStringLiteral("WindowState"), QString(), settingsFile()),
                 QStringLiteral("2"));
    }

    // The settings file holds passwords: the window's save leaves it its
    // owner's alone, whatever mode it had meanwhile.
    void windowSaveLeavesTheSettingsFileTheOwnersAlone()
    {
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            QVERIFY(QFile::setPermissions(settingsFile(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                              | QFile::ReadOther));
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
        QCOMPARE(QFile::permissions(settingsFile()) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
    }

    // A settings file that is not text is said once in the window, naming
    // the file and its kept copy; the window opens with the defaults.
    void damagedSettingsFileIsShownOnce()
    {
        withWindow({}, [](frmMainMDI&) {}); // not the first run
        const QByteArray damaged = QByteArray(1024, '\0') + "[frmMainMDI]\r\nWindowState=1\r\n";
        QVERIFY(testutil::writeFile(settingsFile(), damaged));
        const QString kept = settingsFile() + QStringLiteral(".damaged");
        QFile::remove(kept);
        ResetDataFolderCache();

        const auto reports = [this] { return m_sink.shown.filter(QStringLiteral("could not be read")); };
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            QTRY_COMPARE(reports().size(), 1);
            QVERIFY2(reports()[0].contains(settingsFile()) && reports()[0].contains(kept), qPrintable(reports()[0]));
            QVERIFY(!frame.isMinimized());
            QCoreApplication::processEvents();
            QCOMPARE(reports().size(), 1);
        });
        QCOMPARE(status, 0);
        QCOMPARE(testutil::readFile(kept), damaged);
        QVERIFY(!IsDamagedProfile(settingsFile()));

        const int again = withWindow({}, [&](frmMainMDI&) {
            QCoreApplication::processEvents();
            QCOMPARE(reports().size(), 1);
        });
        QCOMPARE(again, 0);
    }

    // In German the window shows German texts, and its language file
    // already holds every text the window shows: opening and closing the
    // window adds nothing to it.
    void opensInTheChosenLanguage()
    {
        // The first run copies the language files; this one is not the first.
        withWindow({}, [](frmMainMDI&) {});
        QVERIFY(WriteIniText(QStringLiteral("Language"), QStringLiteral("Language_Code"), QStringLiteral("German"),
                             settingsFile()));
        const QString german = userData() + QStringLiteral("/Languages/German-'Tessaview'.txt");
        const QByteArray before = testutil::readFile(german);
        QVERIFY(!before.isEmpty());
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QCOMPARE(main.menuItem(QStringLiteral("mnuNewConversionJob"))->text(),
                     QStringLiteral("&Neuer Konvertierungsauftrag"));
            QCOMPARE(main.mnuFile->title(), QStringLiteral("&Datei"));
            QCOMPARE(main.ts->tabText(1), QStringLiteral("Protokoll"));
            QCOMPARE(button(main, "keyConvert")->text(), QStringLiteral("Konvertieren"));
            QCOMPARE(main.fgToDo->model()->headerData(todocol::Pass, Qt::Horizontal).toString(),
                     QStringLiteral("OK"));
            QCOMPARE(main.editor->cbCommandLineThreadPriority->itemText(0), QStringLiteral("Leerlauf"));
            QCOMPARE(main.frmSched()->windowTitle(), QStringLiteral("Auftrag planen"));
            QVERIFY(frame.close());
        });
        QVERIFY(WriteIniText(QStringLiteral("Language"), QStringLiteral("Language_Code"), QStringLiteral("English"),
                             settingsFile()));
        QCOMPARE(status, 0);
        QCOMPARE(testutil::readFile(german), before);
    }


    // F8 shows the scheduler; a schedule begun there runs its job file
    // through the window when its target has come (brought forward here
    // rather than waited for), counts down in the frame's caption, holds
    // the job commands back, and ends with Pause.
    void aScheduledJobRunsThroughTheWindow()
    {
        const QString out = userPath(QStringLiteral("out/scheduled"));
        QDir().mkpath(out);
        const QString job = writeJob(QStringLiteral("scheduled.KRJ"),
                                     pdfTaskLine(1, QStringLiteral("*"), 72,
                                                 testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf")),
                                                 out + QStringLiteral("/minimal.png")));
        const int status = withWindow({}, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            frmScheduler& scheduler = *main.frmSched();
            SchedulerModel& schedule = scheduler.model();
            QAction* item = main.menuItem(QStringLiteral("mnuScheduleConversionJob"));
            QVERIFY(item->isEnabled());
            QCOMPARE(item->shortcut(), QKeySequence(Qt::Key_F8));
            bool modal = false;
            QTimer::singleShot(0, &scheduler, [&] {
                modal = scheduler.isVisible() && scheduler.isModal();
                scheduler.optTimeBased->click();
                scheduler.txtHours->setText(QStringLiteral("1"));
                scheduler.cbScheduledJobFile->setEditText(job);
                scheduler.cmdStartTimer->click();
                scheduler.cmdDone->click();
            });
            item->trigger();
            QVERIFY(modal);
            QVERIFY(m_sink.shown.isEmpty());
            QVERIFY(schedule.Timer1Enabled());
            QVERIFY(!button(main, "keyConvert")->isEnabled());
            QVERIFY(button(main, "keyPause")->isEnabled());

            schedule.dtTimeTarget = schedule.Now();
            schedule.Timer1_Timer();
            QCOMPARE(identify(out + QStringLiteral("/minimal.png")), QStringLiteral("PNG"));
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QStringLiteral("+"));
            QCOMPARE(main.form().sConversionJobFileName, job);
            QCOMPARE(main.form().mruFileOpen->clnMRU.last(), job);
            QVERIFY(!main.isRunningJob());
            QVERIFY(schedule.Timer1Enabled());
            schedule.Timer1_Timer();
            // Some hour or less ahead, in the window's language.
            QVERIFY2(frame.caption().endsWith(Translate(QStringLiteral("before next run")) + u'.')
                         && frame.caption().contains(Translate(QStringLiteral("seconds"))),
                     qPrintable(frame.caption()));

            main.ConversionJobPause();
            QVERIFY(!schedule.Timer1Enabled());
            QCOMPARE(frame.caption(), kProductName);
            QVERIFY(button(main, "keyConvert")->isEnabled());
            QVERIFY(scheduler.cmdStartTimer->isEnabled());
        });
        QCOMPARE(status, 0);
    }

    // A schedule saved to restart at load is running again as soon as the
    // next window is up.
    void aScheduleSavedToRestartBeginsWithTheWindow()
    {
        const QString job = writeJob(QStringLiteral("restart.KRJ"), QByteArray());
        const int first = withWindow({}, [&](frmMainMDI& frame) {
            frmScheduler& scheduler = *frame.mainForm()->frmSched();
            scheduler.optTimeBased->click();
            scheduler.txtHours->setText(QStringLiteral("2"));
            scheduler.cbScheduledJobFile->setEditText(job);
            scheduler.chkPersistRunning->setChecked(true);
            scheduler.cmdStartTimer->click();
            QVERIFY(scheduler.model().Timer1Enabled());
            QVERIFY(frame.close());
        });
        QCOMPARE(first, 0);
        QCOMPARE(ReadIniText(QStringLiteral("frmScheduler"), QStringLiteral("chkPersistRunning"), QString(),
                             settingsFile()),
                 QStringLiteral("1"));

        const int second = withWindow({}, [&](frmMainMDI& frame) {
            frmScheduler& scheduler = *frame.mainForm()->frmSched();
            QVERIFY(scheduler.model().Timer1Enabled());
            QCOMPARE(scheduler.model().strTimerFile, job);
            QVERIFY(!scheduler.cmdStartTimer->isEnabled());
            QVERIFY(!button(*frame.mainForm(), "keyConvert")->isEnabled());
            // Not again for the next window.
            scheduler.chkPersistRunning->setChecked(false);
            QVERIFY(frame.close());
        });
        QCOMPARE(second, 0);
        QCOMPARE(ReadIniText(QStringLiteral("frmScheduler"), QStringLiteral("chkPersistRunning"), QString(),
                             settingsFile()),
                 QStringLiteral("0"));
    }

private:
    static int frame_dpi() { return int(QGuiApplication::primaryScreen()->logicalDotsPerInch()); }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
