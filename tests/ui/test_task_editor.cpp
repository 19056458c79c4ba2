// The task editor as a person uses it, on the offscreen platform: typing
// and picking paths, adding, updating, removing and moving tasks with the
// buttons, keys and the pop-up menu, saving and reopening jobs, the checks
// before a run, opening paths and programs, and the never-show-again
// question.
#include "core/Globals.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "ui/DesktopLauncher.h"
#include "ui/GridView.h"
#include "ui/TaskEditor.h"
#include "ui/frmMain.h"
#include "ui/frmMainMDI.h"
#include "ui/frmPromptWithDisableOption.h"
#include "PersonAtWindow.h"
#include "MainWindowRun.h"
#include "QvimUser.h"
#include "TestUtil.h"
#include "WindowTestDoubles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QRadioButton>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <memory>

namespace {

// Records what the editor asked the desktop to open or start; `fails`
// makes every request fail as a desktop without a handler would.
class RecordingLauncher : public DesktopLauncher
{
public:
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return !fails;
    }
    bool startDetached(const QString& program, const QStringList& arguments, QString& reason) override
    {
        if (realPrograms)
            return SystemDesktopLauncher().startDetached(program, arguments, reason);
        started << (QStringList{program} + arguments);
        reason = QStringLiteral("no such desktop");
        return !fails;
    }
    QList<QUrl> urls;
    QList<QStringList> started;
    bool fails = false;
    bool realPrograms = false;
};

QString identify(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m %wx%h"), path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

// Every cell of the task grid, row by row.
QList<QStringList> gridCells(const FlexGrid& grid)
{
    QList<QStringList> rows;
    for (int r = 0; r < grid.Rows(); ++r)
        rows << grid.RowTexts(r);
    return rows;
}

QStringList numbers(const FlexGrid& grid)
{
    QStringList column;
    for (int r = 1; r < grid.Rows(); ++r)
        column << grid.TextMatrix(r, todocol::Number);
    return column;
}

} // namespace

class TestTaskEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_user;
    RecordingOpener m_opener;
    ScriptedSink m_sink;
    ScriptedChooser m_chooser;
    RecordingLauncher m_launcher;

    QString userPath(const QString& sub) const { return m_user.filePath(sub); }
    QString pdf() const { return testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf")); }

    int withWindow(const std::function<void(frmMainMDI&)>& body, const QStringList& arguments = {})
    {
        return RunWithMainWindow(arguments, m_sink, m_chooser, body);
    }

    // A PDF-to-PNG task typed into the conversion panel.
    static void editPdfTask(TaskEditor& editor, const QString& input, const QString& output)
    {
        QTest::mouseClick(editor.rbActionToDo[0], Qt::LeftButton);
        selectData(editor.cbFileTypeTarget, 8);   // PNG
        typeInto(editor.cbOriginalFile, input);
        typeInto(editor.cbTargetFile, output);
    }

    static QAction* toolbar(frmMain& main, const char* key) { return main.toolbarButton(QString::fromLatin1(key)); }
    static void clickToolbar(frmMain& main, const char* key)
    {
        QTest::mouseClick(main.tbMain->widgetForAction(toolbar(main, key)), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        SetUpWindowUser(m_user, {QStringLiteral("out"), QStringLiteral("in")});
        SetHelpOpener(&m_opener);
        SetDesktopLauncher(&m_launcher);
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/minimal-document.pdf"));
        for (const char* name : {"in/report.docx", "in/a.pdf", "in/b.pdf", "in/c.pdf", "in/notes.txt"})
            QVERIFY(testutil::writeFile(userPath(QString::fromLatin1(name)), "x"));
        QVERIFY(QFile::remove(userPath(QStringLiteral("in/a.pdf"))) && QFile::copy(pdf(), userPath(QStringLiteral("in/a.pdf"))));
    }

    void cleanup()
    {
        if (QTest::currentTestFailed())
            qDebug() << "messages:" << m_sink.shown;
    }

    void init()
    {
        m_sink.shown.clear();
        m_sink.answers.clear();
        m_chooser.clear();
        m_launcher = RecordingLauncher();
    }

    void cleanupTestCase()
    {
        SetHelpOpener(nullptr);
        SetMessageSink(nullptr);
        SetFileChooser(nullptr);
        SetDesktopLauncher(nullptr);
    }

    // The input path chooses the input type and gives the output its name
    // and folder; a pattern switches the panel to its folder boxes.
    void inputPathInfersTypeAndOutput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("how");   // 0 picked, 1 typed, 2 pasted
        QTest::addColumn<int>("inputType");
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("folderBoxes");
        QTest::newRow("picked .docx") << QStringLiteral("/home/ann/in/report.docx") << 0 << 13
                                      << QStringLiteral("/home/ann/in/report.pdf") << false;
        QTest::newRow("typed .rtf pattern") << QStringLiteral("/home/ann/in/*.rtf") << 1 << 5
                                            << QStringLiteral("/home/ann/in/*.pdf") << true;
        QTest::newRow("quotes removed") << QStringLiteral("\"/home/ann/in/page.html\"") << 1 << 4
                                        << QStringLiteral("/home/ann/in/page.pdf") << false;
        QTest::newRow("dot in a folder only") << QStringLiteral("/home/ann.d/readme") << 2 << 1
                                              << QStringLiteral("/keep/me.pdf") << false;
    }
    void inputPathInfersTypeAndOutput()
    {
        QFETCH(QString, input);
        QFETCH(int, how);
        QFETCH(int, inputType);
        QFETCH(QString, output);
        QFETCH(bool, folderBoxes);
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            selectData(editor.cbFileTypeOriginal, 1);    // [1] Text
            selectData(editor.cbFileTypeTarget, 12);     // PDF
            editor.cbTargetFile->setEditText(QStringLiteral("/keep/me.pdf"));
            main.form().bCurrentActionItemDirty = false;
            if (how == 0) {
                m_chooser.paths = {input};
                QTest::mouseClick(editor.cmdSelectSourceFile, Qt::LeftButton);
            } else if (how == 1) {
                typeInto(editor.cbOriginalFile, input);
            } else {
                editor.cbOriginalFile->setEditText(input);
            }
            QCOMPARE(editor.cbOriginalFile->currentText(), QString(input).remove(u'"'));
            QCOMPARE(editor.cbFileTypeOriginal->currentData().toInt(), inputType);
            QCOMPARE(editor.cbTargetFile->currentText(), output);
            QCOMPARE(editor.cbFileTypeTarget->currentData().toInt(), 12);
            QCOMPARE(editor.cbSaveToOriginalFolder->isVisibleTo(&editor), folderBoxes);
            QCOMPARE(editor.cbDoSubfolders->isVisibleTo(&editor), folderBoxes);
            QCOMPARE(editor.cmdSelectTargetFile->isVisibleTo(&editor), !folderBoxes);
            QVERIFY(main.form().bCurrentActionItemDirty);
            // Typing an output extension chooses the output type.
            typeInto(editor.cbTargetFile, QStringLiteral("/home/ann/out/x.tif"));
            QCOMPARE(editor.cbFileTypeTarget->currentData().toInt(), 3);
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // Add, update, remove and move from the buttons, the keys and the
    // pop-up menu keep the tasks numbered 1, 2, 3 with "*" last.
    void editingKeepsTheNumbering()
    {
        const QString out = userPath(QStringLiteral("out"));
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            for (const char* name : {"a", "b", "c"}) {
                editPdfTask(editor, userPath(QStringLiteral("in/%1.pdf").arg(QLatin1String(name))),
                            out + QStringLiteral("/%1.png").arg(QLatin1String(name)));
                QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            }
            QCOMPARE(m_sink.shown, QStringList());
            QCOMPARE(numbers(grid), (QStringList{"1", "2", "3", "*"}));
            QCOMPARE(grid.Row(), 3);
            QVERIFY(main.form().bAskToSaveKRJFileBeforeExit);
            QVERIFY(!main.form().bCurrentActionItemDirty);
            QCOMPARE(grid.TextMatrix(2, todocol::Flags), QStringLiteral("D"));
            QCOMPARE(grid.TextMatrix(2, todocol::OutputTypeName), QStringLiteral("png"));
            // The recently used lists took the paths.
            QCOMPARE(editor.cbOriginalFile->itemText(0), userPath(QStringLiteral("in/c.pdf")));

            // Clicking task 2 shows it; Update writes the edit back into it.
            grid.setTextMatrix(2, todocol::Pass, QStringLiteral("+"));
            clickRow(main.fgToDo, 2);
            QCOMPARE(grid.Row(), 2);
            QCOMPARE(editor.cbOriginalFile->currentText(), userPath(QStringLiteral("in/b.pdf")));
            QVERIFY(!main.form().bCurrentActionItemDirty);
            typeInto(editor.cbTargetFile, out + QStringLiteral("/b2.png"));
            QVERIFY(main.form().bCurrentActionItemDirty);
            QTest::mouseClick(editor.cmdUpdate, Qt::LeftButton);
            QCOMPARE(grid.TextMatrix(2, todocol::Output), out + QStringLiteral("/b2.png"));
            QCOMPARE(grid.TextMatrix(2, todocol::Number), QStringLiteral("2"));
            QCOMPARE(grid.TextMatrix(2, todocol::Pass), QStringLiteral("+"));
            QCOMPARE(grid.TextMatrix(2, todocol::Flags), QString());   // Update writes no "D"
            QVERIFY(!main.form().bCurrentActionItemDirty);

            // Ctrl+D moves it down; the numbers stay with the places.
            QTest::keyClick(main.fgToDo, Qt::Key_D, Qt::ControlModifier);
            QCOMPARE(grid.TextMatrix(3, todocol::Output), out + QStringLiteral("/b2.png"));
            QCOMPARE(numbers(grid), (QStringList{"1", "2", "3", "*"}));

            // Delete on the toolbar removes task 1 and renumbers.
            clickRow(main.fgToDo, 1);
            clickToolbar(main, "keyRemove");
            QCOMPARE(numbers(grid), (QStringList{"1", "2", "*"}));
            QVERIFY(grid.TextMatrix(1, todocol::Input).endsWith(QStringLiteral("c.pdf")));

            // The pop-up menu's Delete, on the "*" row, removes nothing.
            clickRow(main.fgToDo, 3);
            main.menuItem(QStringLiteral("mnuPopupDelete"))->trigger();
            QCOMPARE(numbers(grid), (QStringList{"1", "2", "*"}));
            clickRow(main.fgToDo, 2);
            main.menuItem(QStringLiteral("mnuPopupMoveFirst"))->trigger();
            QVERIFY(grid.TextMatrix(1, todocol::Output).endsWith(QStringLiteral("b2.png")));
            main.menuItem(QStringLiteral("mnuPopupDelete"))->trigger();
            QCOMPARE(numbers(grid), (QStringList{"1", "*"}));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // Leaving an edited task asks to store it; Cancel keeps the cursor and
    // the edits on the task.
    void leavingAnEditedTaskAsks()
    {
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            for (const char* name : {"a", "b"}) {
                editPdfTask(editor, userPath(QStringLiteral("in/%1.pdf").arg(QLatin1String(name))),
                            userPath(QStringLiteral("out/%1.png").arg(QLatin1String(name))));
                QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            }
            clickRow(main.fgToDo, 1);
            typeInto(editor.cbTargetFile, userPath(QStringLiteral("out/edited.png")));
            m_sink.answers = {MessageAnswer::Cancel};
            clickRow(main.fgToDo, 2);
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_sink.shown.constFirst().startsWith(
                QStringLiteral("Update Conversion Item: You've changed the current conversion item #1")));
            QCOMPARE(grid.Row(), 1);
            QCOMPARE(editor.cbTargetFile->currentText(), userPath(QStringLiteral("out/edited.png")));
            m_sink.answers = {MessageAnswer::Yes};
            clickRow(main.fgToDo, 2);
            QCOMPARE(grid.Row(), 2);
            QCOMPARE(grid.TextMatrix(1, todocol::Output), userPath(QStringLiteral("out/edited.png")));
            QCOMPARE(editor.cbTargetFile->currentText(), userPath(QStringLiteral("out/b.png")));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // The editor never writes into the header or the "*" row; a launch
    // task's wait is stored as the whole number validation read.
    void updateWritesOnlyTaskRows()
    {
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            editPdfTask(editor, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/a.png")));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            const QList<QStringList> before = gridCells(grid);
            for (int row : {0, 2}) {
                grid.setRow(row);
                typeInto(editor.cbTargetFile, userPath(QStringLiteral("out/other.png")));
                QVERIFY(!main.ConversionJobUpdate());
                main.menuItem(QStringLiteral("mnuUpdateConversionJob"))->trigger();
                QCOMPARE(gridCells(grid), before);
            }

            // A launch task whose wait box holds "1e1" is stored waiting 10 s.
            QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
            selectData(editor.cbSpecialProcesses, 60);
            QVERIFY(editor.frameCommandLine->isVisibleTo(&editor));
            QVERIFY(!editor.frameSelectFilesForSpecialProcessing->isVisibleTo(&editor));
            typeInto(editor.cbCommandLine, QStringLiteral("/bin/true"));
            editor.txtCommandLineWaitTimeInSeconds->setText(QStringLiteral("1e1"));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QCOMPARE(m_sink.shown, QStringList());
            QCOMPARE(grid.TextMatrix(2, todocol::Flags), QStringLiteral("T32 S1 W10"));
            editor.txtCommandLineWaitTimeInSeconds->setText(QStringLiteral(" 7 "));
            QTest::mouseClick(editor.cmdUpdate, Qt::LeftButton);
            QCOMPARE(grid.TextMatrix(2, todocol::Flags), QStringLiteral("T32 S1 W7"));
            QCOMPARE(grid.TextMatrix(2, todocol::InputType), QStringLiteral("0"));
            // Not a number at all: refused with the reason, nothing added.
            editor.txtCommandLineWaitTimeInSeconds->setText(QStringLiteral("soon"));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QCOMPARE(grid.Rows(), 4);
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_sink.shown.constFirst().startsWith(QStringLiteral("Error: AddFileToConvertGUIErr: Unable to add")));

            // Entering the launch row shows it again; the conversion row the
            // conversion panel. The refused edit is not kept.
            m_sink.answers = {MessageAnswer::No};
            clickRow(main.fgToDo, 1);
            QVERIFY(editor.rbActionToDo[0]->isChecked());
            QCOMPARE(editor.cbTargetFile->currentText(), userPath(QStringLiteral("out/a.png")));
            clickRow(main.fgToDo, 2);
            QVERIFY(editor.rbActionToDo[1]->isChecked());
            QCOMPARE(editor.cbCommandLine->currentText(), QStringLiteral("/bin/true"));
            QCOMPARE(editor.txtCommandLineWaitTimeInSeconds->text(), QStringLiteral("7"));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // A double click opens the image options of the task, and a change
    // there updates the row at once; during a run it does neither.
    void doubleClickDuringARunDoesNothing()
    {
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            int shown = 0;
            main.commands.ShowConversionOptions = [&](QString& options) {
                ++shown;
                options = QStringLiteral("1-2^0^FALSE^75^150^0^0^0^^");
            };
            editPdfTask(editor, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/a.png")));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            const QRect cell = main.fgToDo->visualRect(main.fgToDo->model()->index(0, todocol::Input));

            main.form().bRunning = true;
            QTest::mouseDClick(main.fgToDo->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(shown, 0);
            QCOMPARE(grid.TextMatrix(1, todocol::Options), QStringLiteral("*^0^FALSE^75^100^0^0^0^^"));
            main.form().bRunning = false;

            QTest::mouseDClick(main.fgToDo->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(shown, 1);
            QCOMPARE(grid.TextMatrix(1, todocol::Options), QStringLiteral("1-2^0^FALSE^75^150^0^0^0^^"));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // Save As, close and open again: the same grid. A failed Save As keeps
    // the old name and the unsaved mark; a failed Save leaves the old file
    // whole; a missing file is reported and opens nothing; a job loaded in
    // part has no file of its own.
    void saveCloseAndReopen()
    {
        const QString job = userPath(QStringLiteral("home/editor.KRJ"));
        QList<QStringList> saved;
        int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            editPdfTask(editor, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/a.png")));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
            selectData(editor.cbSpecialProcesses, 56);
            QVERIFY(editor.frameSearchAndReplace->isVisibleTo(&editor));
            typeInto(editor.cbOriginalFileSpecialized, userPath(QStringLiteral("in/notes.txt")));
            QCOMPARE(editor.cbFileTypeOriginalSpecialized->currentData().toInt(), 1);
            typeInto(editor.cbTargetFileSpecialized, userPath(QStringLiteral("out/notes.txt")));
            typeInto(editor.cbFindString, QStringLiteral("ZEBRA"));
            editor.cbCharacter1->setCurrentIndex(13);   // a person picks [13] from the list
            QCOMPARE(editor.cbFindString->currentText(), QStringLiteral("ZEBRA\u00A913\u00A9"));
            QCOMPARE(editor.cbCharacter1->currentIndex(), 0);
            typeInto(editor.cbReplacementString, QStringLiteral("zebra"));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QCOMPARE(m_sink.shown, QStringList());
            QCOMPARE(main.form().fgToDo.Rows(), 4);

            // Save As to a folder nobody may write: refused, nothing changes.
            main.form().sConversionJobFileName = QStringLiteral("/nowhere/old.KRJ");
            m_chooser.paths = {QStringLiteral("/proc/job.KRJ")};
            main.dropDownEntry(QStringLiteral("KeySaveAs"))->trigger();
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_sink.shown.constFirst().contains(QStringLiteral("Unable to create file")));
            QCOMPARE(main.form().sConversionJobFileName, QStringLiteral("/nowhere/old.KRJ"));
            QVERIFY(main.form().bAskToSaveKRJFileBeforeExit);

            m_chooser.paths = {job};
            main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
            QCOMPARE(main.form().sConversionJobFileName, job);
            QVERIFY(!main.form().bAskToSaveKRJFileBeforeExit);
            QCOMPARE(main.windowTitle(), QStringLiteral("editor.KRJ"));
            saved = gridCells(main.form().fgToDo);

            // A save that fails part way leaves the file as it was, and the
            // job still marked changed.
            const QByteArray onDisk = testutil::readFile(job);
            main.form().fgToDo.setTextMatrix(1, todocol::Output, QStringLiteral("bad\tcell"));
            main.form().bAskToSaveKRJFileBeforeExit = true;
            m_sink.shown.clear();
            main.menuItem(QStringLiteral("mnuSaveConversionJob"))->trigger();
            QCOMPARE(m_sink.shown.size(), 1);
            QCOMPARE(testutil::readFile(job), onDisk);
            QVERIFY(main.form().bAskToSaveKRJFileBeforeExit);
            QCOMPARE(main.form().sConversionJobFileName, job);
            main.form().bAskToSaveKRJFileBeforeExit = false;
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);

        m_sink.shown.clear();
        status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QCOMPARE(main.windowTitle(), QStringLiteral("*"));
            m_chooser.paths = {job};
            main.menuItem(QStringLiteral("mnuOpenConversionJob"))->trigger();
            QCOMPARE(gridCells(main.form().fgToDo), saved);
            QCOMPARE(main.windowTitle(), QStringLiteral("editor.KRJ"));
            // The search task comes back into the editor whole.
            clickRow(main.fgToDo, 2);
            QCOMPARE(main.editor->cbFindString->currentText(), QStringLiteral("ZEBRA\u00A913\u00A9"));
            QCOMPARE(main.editor->cbReplacementString->currentText(), QStringLiteral("zebra"));
            QVERIFY(main.editor->frameSearchAndReplace->isVisibleTo(main.editor));

            // A file that is not there: said so, and nothing changes.
            m_chooser.paths = {userPath(QStringLiteral("home/gone.KRJ"))};
            main.menuItem(QStringLiteral("mnuOpenConversionJob"))->trigger();
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_sink.shown.constFirst().startsWith(QStringLiteral("Error: File does not exist:")));
            QVERIFY(m_sink.shown.constFirst().endsWith(QStringLiteral("gone.KRJ")));
            QCOMPARE(gridCells(main.form().fgToDo), saved);
            QCOMPARE(main.form().sConversionJobFileName, job);
            // A cancelled dialog changes nothing either.
            main.menuItem(QStringLiteral("mnuOpenConversionJob"))->trigger();
            QCOMPARE(main.form().sConversionJobFileName, job);
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
    }

    // Saving a job without a task saves the editor's task, and nothing
    // when the editor's task is refused.
    void savingAnEmptyJobTakesTheEditorsTask()
    {
        const QString refused = userPath(QStringLiteral("home/refused.KRJ"));
        const QString taken = userPath(QStringLiteral("home/taken.KRJ"));
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            editPdfTask(*main.editor, userPath(QStringLiteral("in/none.pdf")), userPath(QStringLiteral("out/n.png")));
            m_chooser.paths = {refused};
            main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
            QVERIFY(!QFileInfo::exists(refused));
            QCOMPARE(main.form().fgToDo.Rows(), 2);

            editPdfTask(*main.editor, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/n.png")));
            m_chooser.paths = {taken};
            main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
            QCOMPARE(main.form().fgToDo.Rows(), 3);
            const QList<QByteArray> lines = testutil::readFile(taken).split('\n');
            QCOMPARE(lines.size(), 3);   // the task, the "*" line, and the end
            QVERIFY(lines.at(0).contains(QByteArray(QByteArray("\tC\t") + userPath(QStringLiteral("in/a.pdf")).toUtf8())));
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
    }

    // A job whose load was paused is named "*": Save asks for a new name.
    void partlyLoadedJobHasNoFile()
    {
        QByteArray lines;
        for (int i = 1; i <= 2500; ++i)
            lines += "*^0^FALSE^75^72^0^0^0^^\t\t" + QByteArray::number(i) + "\tC\t/in/x.pdf\t12\tPDF\t/out/x.png\t8\tpng\t\t\r\n";
        const QString job = userPath(QStringLiteral("home/big.KRJ"));
        QVERIFY(testutil::writeFile(job, lines + "\t\t*\t\t\t\t\t\t\t\t\t\r\n"));
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QTimer::singleShot(0, this, [&] { clickToolbar(main, "keyPause"); });
            main.ConversionJobOpen(job);
            QVERIFY(main.form().fgToDo.Rows() < 2502);
            QCOMPARE(main.form().sConversionJobFileName, QStringLiteral("*"));
            QCOMPARE(main.windowTitle(), QStringLiteral("*"));
            main.menuItem(QStringLiteral("mnuSaveConversionJob"))->trigger();
            QCOMPARE(m_chooser.requests.size(), 1);
            QCOMPARE(m_chooser.requests.constFirst().mode, FileDialogMode::Save);
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
    }

    // F5 on an empty job adds the editor's task first and runs it; a task
    // that validation refuses starts nothing. With two tasks an edited
    // task is asked for, and Cancel does not start the run.
    void checksBeforeARun()
    {
        const QString out = userPath(QStringLiteral("out/run"));
        QDir().mkpath(out);
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            editPdfTask(editor, userPath(QStringLiteral("in/missing.pdf")), out + QStringLiteral("/m.png"));
            clickToolbar(main, "keyConvert");
            QCOMPARE(grid.Rows(), 2);
            QCOMPARE(m_sink.shown.size(), 1);   // why it was refused
            QVERIFY(!QFileInfo::exists(out + QStringLiteral("/m.png")));

            editPdfTask(editor, pdf(), out + QStringLiteral("/first.png"));
            clickToolbar(main, "keyConvert");
            QCOMPARE(grid.Rows(), 3);
            QCOMPARE(grid.TextMatrix(1, todocol::Pass), QStringLiteral("+"));
            const QStringList pages = QDir(out).entryList({QStringLiteral("first*.png")}, QDir::Files);
            QCOMPARE(pages.size(), 1);
            QCOMPARE(identify(out + u'/' + pages.constFirst()).section(u' ', 0, 0), QStringLiteral("PNG"));

            // The end of the run blinks four times, one second apart.
            QVERIFY(main.Timer1->isActive());
            QCOMPARE(main.Timer1->interval(), 1000);
            QList<int> pictures;
            for (int tick = 0; tick < 4; ++tick) {
                main.Timer1_Timer();
                pictures << frame.runStatePicture();
            }
            QCOMPARE(pictures, (QList<int>{10, 9, 10, 9}));
            QVERIFY(frame.runStatePanelEnabled());
            QVERIFY(!main.Timer1->isActive());

            editPdfTask(editor, pdf(), out + QStringLiteral("/second.png"));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            clickRow(main.fgToDo, 1);
            typeInto(editor.cbTargetFile, out + QStringLiteral("/edited.png"));
            m_sink.shown.clear();
            m_sink.answers = {MessageAnswer::Cancel};
            clickToolbar(main, "keyConvert");
            QCOMPARE(m_sink.shown.size(), 1);
            QVERIFY(m_sink.shown.constFirst().startsWith(QStringLiteral("Update Conversion Item")));
            QCOMPARE(QDir(out).entryList(QDir::Files).size(), 1);   // nothing more was made

            // Minimised, the blinker flashes the frame instead.
            int flashes = 0;
            main.flashFrame = [&] { ++flashes; };
            frame.showMinimized();
            main.Timer1->start();
            for (int tick = 0; tick < 4; ++tick)
                main.Timer1_Timer();
            QCOMPARE(flashes, 4);
            QVERIFY(!main.Timer1->isActive());
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // A job made and saved in the window runs from the command line with
    // /J and gives the same outputs as the run in the window.
    void savedJobRunsFromTheCommandLine()
    {
        const QString windowOut = userPath(QStringLiteral("out/window"));
        QDir().mkpath(windowOut);
        const QString job = userPath(QStringLiteral("home/cli.KRJ"));
        const QString input = userPath(QStringLiteral("in/cli.pdf"));
        QVERIFY(QFile::copy(pdf(), input));
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            editPdfTask(editor, input, windowOut + QStringLiteral("/page.png"));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            // The same pages again as JPEG, beside the input's folder pattern.
            selectData(editor.cbFileTypeTarget, 1);
            typeInto(editor.cbOriginalFile, userPath(QStringLiteral("in/cli*.pdf")));
            typeInto(editor.cbTargetFile, windowOut + QStringLiteral("/*.jpg"));
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QCOMPARE(m_sink.shown, QStringList());
            m_chooser.paths = {job};
            main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
            clickToolbar(main, "keyConvert");
            QCOMPARE(main.form().fgToDo.TextMatrix(1, todocol::Pass), QStringLiteral("+"));
            QCOMPARE(main.form().fgToDo.TextMatrix(2, todocol::Pass), QStringLiteral("+"));
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
        const QStringList made = QDir(windowOut).entryList(QDir::Files, QDir::Name);
        QCOMPARE(made.size(), 2);
        QMap<QString, QString> fromWindow;
        for (const QString& name : made)
            fromWindow[name] = identify(windowOut + u'/' + name);

        // The command line writes the same files again.
        QVERIFY(QDir(windowOut).removeRecursively());
        QVERIFY(QDir().mkpath(windowOut));
        QvimUser user;
        QCOMPARE(user.qvim({QStringLiteral("/J"), job, QStringLiteral("/P")}), 0);
        QCOMPARE(QDir(windowOut).entryList(QDir::Files, QDir::Name), made);
        for (const QString& name : made)
            QCOMPARE(identify(windowOut + u'/' + name), fromWindow.value(name));
        QCOMPARE(fromWindow.value(made.at(0)).section(u' ', 0, 0), QStringLiteral("JPEG"));
        QCOMPARE(fromWindow.value(made.at(1)).section(u' ', 0, 0), QStringLiteral("PNG"));
    }

    // The open buttons: a file opens itself, a pattern or a file not made
    // yet its folder; a path in no folder, and a desktop that cannot open
    // it, are reported.
    void openingPaths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("message");
        const QString in = userPath(QStringLiteral("in"));
        QTest::newRow("file") << in + QStringLiteral("/a.pdf") << false << in + QStringLiteral("/a.pdf") << QString();
        QTest::newRow("pattern") << in + QStringLiteral("/*.pdf") << false << in + u'/' << QString();
        QTest::newRow("not made yet") << in + QStringLiteral("/new.png") << false << in + u'/' << QString();
        QTest::newRow("macro") << QStringLiteral("%USERPROFILE%/") << false << userPath(QStringLiteral("home")) + u'/'
                               << QString();
        QTest::newRow("no folder") << QStringLiteral("/no/such/x.png") << false << QString()
                                   << QStringLiteral("Error: File/Folder does not exist:\r\n\r\n/no/such/x.png");
        QTest::newRow("desktop fails") << in + QStringLiteral("/a.pdf") << true << in + QStringLiteral("/a.pdf")
                                       << QStringLiteral("Error: Unable to open:\r\n\r\n") + in + QStringLiteral("/a.pdf");
    }
    void openingPaths()
    {
        QFETCH(QString, text);
        QFETCH(bool, fails);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        const int status = withWindow([&](frmMainMDI& frame) {
            TaskEditor& editor = *frame.mainForm()->editor;
            m_launcher.fails = fails;
            editor.cbOriginalFile->setEditText(text);
            QTest::mouseClick(editor.cmdLaunchOriginal, Qt::LeftButton);
            QCOMPARE(m_launcher.urls.isEmpty() ? QString() : m_launcher.urls.constFirst().toLocalFile(), opened);
            QCOMPARE(m_sink.shown, message.isEmpty() ? QStringList() : QStringList{message});
            frame.mainForm()->form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // The launch panel starts its program with the arguments split as a
    // shell splits words, and no shell; the picker keeps its filter.
    void launchingAProgram()
    {
        const QString script = userPath(QStringLiteral("home/args.sh"));
        const QString record = userPath(QStringLiteral("home/args.txt"));
        QVERIFY(testutil::writeFile(script, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$0.txt.part\"\n"
                                            "mv \"$0.txt.part\" \"" + userPath(QStringLiteral("home/args.txt")).toUtf8() + "\"\n"));
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const int status = withWindow([&](frmMainMDI& frame) {
            TaskEditor& editor = *frame.mainForm()->editor;
            m_launcher.realPrograms = true;
            QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
            selectData(editor.cbSpecialProcesses, 60);
            m_chooser.paths = {script};
            m_chooser.chosenIndex = 2;
            QTest::mouseClick(editor.cmdCommandLineSelectApplication, Qt::LeftButton);
            QCOMPARE(editor.cbCommandLine->currentText(), script);
            QVERIFY(m_chooser.requests.constFirst().filter.contains(QStringLiteral("*.sh")));
            QTest::mouseClick(editor.cmdCommandLineSelectApplication, Qt::LeftButton);
            QCOMPARE(m_chooser.requests.constLast().filterIndex, 2);

            typeInto(editor.cbCommandLineArguments, QStringLiteral("one 'two words' $HOME"));
            QTest::mouseClick(editor.cmdLaunchCommandLine, Qt::LeftButton);
            QCOMPARE(m_sink.shown, QStringList());
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), 10000);
            QCOMPARE(testutil::readFile(record), QByteArray("one\ntwo words\n$HOME\n"));

            typeInto(editor.cbCommandLine, QStringLiteral("/no/such/program"));
            QTest::mouseClick(editor.cmdLaunchCommandLine, Qt::LeftButton);
            QCOMPARE(m_sink.shown, QStringList{QStringLiteral("Error: File does not exist:\r\n\r\n/no/such/program")});
            frame.mainForm()->form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // The "not listed" process asks twice and offers a mail; the choice
    // always goes back to the first process.
    void notListedProcessAsksForAMail()
    {
        const int status = withWindow([&](frmMainMDI& frame) {
            TaskEditor& editor = *frame.mainForm()->editor;
            QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
            m_sink.answers = {MessageAnswer::Ok, MessageAnswer::Ok};
            selectData(editor.cbSpecialProcesses, -1);
            QCOMPARE(editor.cbSpecialProcesses->currentIndex(), 0);
            QCOMPARE(m_sink.shown.size(), 2);
            QCOMPARE(m_launcher.urls.size(), 1);
            QCOMPARE(m_launcher.urls.constFirst().scheme(), QStringLiteral("mailto"));
            m_sink.answers = {MessageAnswer::Cancel};
            selectData(editor.cbSpecialProcesses, -1);
            QCOMPARE(editor.cbSpecialProcesses->currentIndex(), 0);
            QCOMPARE(m_launcher.urls.size(), 1);
            frame.mainForm()->form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // The never-show-again question: the state the box is left in counts,
    // and Escape is Cancel.
    void neverShowAgainDialog_data()
    {
        QTest::addColumn<int>("boxClicks");
        QTest::addColumn<int>("leave");   // 0 Continue, 1 Cancel, 2 Escape
        QTest::addColumn<bool>("clickedContinue");
        QTest::addColumn<bool>("clickedCheckBox");
        QTest::newRow("continue") << 0 << 0 << true << false;
        QTest::newRow("ticked, continue") << 1 << 0 << true << true;
        QTest::newRow("ticked and cleared, cancel") << 2 << 1 << false << false;
        QTest::newRow("ticked, escape") << 1 << 2 << false << true;
    }
    void neverShowAgainDialog()
    {
        QFETCH(int, boxClicks);
        QFETCH(int, leave);
        QFETCH(bool, clickedContinue);
        QFETCH(bool, clickedCheckBox);
        frmPromptWithDisableOption prompt(QStringLiteral("Caption"), QStringLiteral("Text"));
        QCOMPARE(prompt.chkDontShowAgain->text(), QStringLiteral("Never show this message again"));
        answerModal([&](QWidget*) {
            for (int i = 0; i < boxClicks; ++i)
                QTest::mouseClick(prompt.chkDontShowAgain, Qt::LeftButton);
            if (leave == 0)
                QTest::mouseClick(prompt.cmdContinue, Qt::LeftButton);
            else if (leave == 1)
                QTest::mouseClick(prompt.cmdCancel, Qt::LeftButton);
            else
                QTest::keyClick(&prompt, Qt::Key_Escape);
        });
        prompt.exec();
        QCOMPARE(prompt.answer().bClickedContinue, clickedContinue);
        QCOMPARE(prompt.answer().bClickedCheckBox, clickedCheckBox);
    }

    // A type that does not fit the input asks the question; Continue with
    // the box ticked adds the task and asks no more.
    void mismatchQuestionInTheWindow()
    {
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            editPdfTask(editor, userPath(QStringLiteral("in/a.pdf")), userPath(QStringLiteral("out/a.png")));
            selectData(editor.cbFileTypeOriginal, 13);   // DOCX for a PDF
            QString caption;
            answerModal([&](QWidget* modal) {
                auto* prompt = qobject_cast<frmPromptWithDisableOption*>(modal);
                if (!prompt)
                    return;
                caption = prompt->windowTitle();
                QTest::mouseClick(prompt->chkDontShowAgain, Qt::LeftButton);
                QTest::mouseClick(prompt->cmdContinue, Qt::LeftButton);
            });
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QCOMPARE(caption, QStringLiteral("Input File Type Mismatch"));
            QCOMPARE(main.form().fgToDo.Rows(), 3);
            QVERIFY(main.form().bConv_DontShowFileMismatchAgain);
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }
};

QTEST_MAIN(TestTaskEditor)
#include "test_task_editor.moc"
