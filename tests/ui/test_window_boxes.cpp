// What the window keeps exactly as the user gave it, on the offscreen
// platform: the text typed into the editor's boxes (never swapped for a
// recently used entry that differs in letter case), the name given to Save
// As, the special panel's output folder, the title, the message boxes'
// titles, the placement and column widths it read, and the scheduler's
// tab keys wherever the focus is.
#include "base/Profile.h"
#include "core/Globals.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/IniValues.h"
#include "jobs/MainFormState.h"
#include "scheduler/frmScheduler.h"
#include "ui/QtDialogs.h"
#include "ui/TaskEditor.h"
#include "ui/frmMain.h"
#include "ui/frmMainMDI.h"
#include "PersonAtWindow.h"
#include "MainWindowRun.h"
#include "TestUtil.h"
#include "WindowTestDoubles.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

// The title the window system shows, with Qt's placeholders resolved.
QString shownTitle(const QWidget& window)
{
    return window.windowHandle() ? window.windowHandle()->title() : QString();
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestWindowBoxes : public QObject
{
    Q_OBJECT

    WindowUser m_user;

    int withWindow(const std::function<void(frmMainMDI&)>& body, const QStringList& arguments = {})
    {
        return m_user.withWindow(arguments, body);
    }

    // The window made active, so that typing and clicking move the focus
    // as they do for a person.
    static bool activate(frmMainMDI& frame)
    {
        frame.activateWindow();
        return QTest::qWaitForWindowActive(&frame);
    }

private slots:
    void initTestCase()
    {
        m_user.setUp({QStringLiteral("out"), QStringLiteral("in")});
        QVERIFY(QDir().mkpath(QFileInfo(m_user.settingsFile()).path()));
        for (const char* name : {"in/a.txt", "in/A.txt", "in/a.TXT", "in/notes.txt"})
            QVERIFY(testutil::writeFile(m_user.path(QString::fromLatin1(name)), "text\r\n"));
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/minimal-document.pdf"));
        QVERIFY(QFile::copy(testutil::corpusFile(QStringLiteral("pdf/minimal-document.pdf")),
                            m_user.path(QStringLiteral("in/doc.pdf"))));
    }

    void init()
    {
        m_user.reset();
    }

    void cleanup() { m_user.reportIfFailed(); }

    void cleanupTestCase() { m_user.tearDown(); }

    // A one-task job the editor holds, added.
    void addConversionTask(TaskEditor& editor)
    {
        QTest::mouseClick(editor.rbActionToDo[0], Qt::LeftButton);
        selectData(editor.cbFileTypeTarget, 8);   // PNG
        typeInto(editor.cbOriginalFile, m_user.path(QStringLiteral("in/doc.pdf")));
        typeInto(editor.cbTargetFile, m_user.path(QStringLiteral("out/doc.png")));
        QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
    }

    // Save As in the file dialog: a name typed without an extension is
    // saved as a job file ("name.KRJ"); a name with one is kept. The title
    // shows the file's name and never ends in a dot.
    void saveAsAddsTheJobExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "myjob" << "myjob.KRJ";
        QTest::newRow("the job extension in small letters") << "second.krj" << "second.krj";
        QTest::newRow("an extension of its own") << "third.job" << "third.job";
    }
    void saveAsAddsTheJobExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        const QString folder = m_user.path(QStringLiteral("saved"));
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder));
        QtFileChooser dialogs;
        const int status = RunWithMainWindow({}, m_user.sink, dialogs, [&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QVERIFY(activate(frame));
            addConversionTask(*main.editor);
            QCOMPARE(m_user.sink.shown, QStringList());
            bool answered = false;
            answerModal([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (!dialog)
                    return;
                dialog->setDirectory(folder);
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (!name)
                    return dialog->reject();
                QTest::keyClicks(name, typed);
                answered = true;
                QTest::keyClick(name, Qt::Key_Return);
            });
            main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
            QVERIFY(answered);
            QCOMPARE(main.form().sConversionJobFileName, folder + u'/' + written);
            QCOMPARE(shownTitle(frame), QStringLiteral("'Tessaview' - [%1]").arg(written));
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{written});
        QVERIFY(fileText(folder + u'/' + written).contains(m_user.path(QStringLiteral("in/doc.pdf"))));
    }

    // The special panel's output folder button gives a path that Add
    // accepts: a pattern of the input's extension for an input pattern,
    // the input's name for a single input.
    void specialOutputFolderIsAccepted_data()
    {
        QTest::addColumn<int>("process");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        const QString in = m_user.path(QStringLiteral("in/"));
        const QString out = m_user.path(QStringLiteral("out"));
        QTest::newRow("remove empty lines, pattern") << 55 << in + "*.txt" << out + "/*.txt";
        QTest::newRow("search and replace, pattern") << 56 << in + "*.TXT" << out + "/*.TXT";
        QTest::newRow("a pattern without an extension") << 55 << in + "notes*" << out + "/*";
        QTest::newRow("a single input") << 56 << in + "notes.txt" << out + "/notes.txt";
    }
    void specialOutputFolderIsAccepted()
    {
        QFETCH(int, process);
        QFETCH(QString, input);
        QFETCH(QString, output);
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            QVERIFY(activate(frame));
            QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
            selectData(editor.cbSpecialProcesses, process);
            typeInto(editor.cbOriginalFileSpecialized, input);
            if (process == 56)
                typeInto(editor.cbFindString, QStringLiteral("text"));
            QVERIFY(editor.cmdSelectTargetFolderSpecialized->isVisibleTo(&editor));
            m_user.chooser.folders = {m_user.path(QStringLiteral("out"))};
            QTest::mouseClick(editor.cmdSelectTargetFolderSpecialized, Qt::LeftButton);
            QCOMPARE(editor.cbTargetFileSpecialized->currentText(), output);
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QCOMPARE(m_user.sink.shown, QStringList());
            FlexGrid& grid = main.form().fgToDo;
            QCOMPARE(grid.Rows(), 3);
            QCOMPARE(grid.TextMatrix(1, todocol::Output), output);
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // The frame's title is the program's name with the job's in brackets,
    // "*" for a job without a file: after New, an open and a change,
    // never a dangling " - " nor a dot the file name does not have.
    void titleNamesTheJob()
    {
        const QString job = m_user.path(QStringLiteral("out/titled.KRJ"));
        const QString plain = m_user.path(QStringLiteral("out/plain"));
        QFile::remove(job);
        QFile::remove(plain);
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QVERIFY(activate(frame));
            QStringList titles{shownTitle(frame)};
            addConversionTask(*main.editor);
            titles << shownTitle(frame);
            m_user.chooser.paths = {job};
            main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
            titles << shownTitle(frame);
            QVERIFY(QFile::copy(job, plain));

            main.menuItem(QStringLiteral("mnuNewConversionJob"))->trigger();
            titles << shownTitle(frame);
            m_user.chooser.paths = {job};
            main.menuItem(QStringLiteral("mnuOpenConversionJob"))->trigger();
            titles << shownTitle(frame);
            addConversionTask(*main.editor);   // a change
            titles << shownTitle(frame);
            m_user.sink.answers = {MessageAnswer::No};   // "Save Conversion Job?"
            m_user.chooser.paths = {plain};
            main.menuItem(QStringLiteral("mnuOpenConversionJob"))->trigger();
            titles << shownTitle(frame);
            QCOMPARE(titles, (QStringList{"'Tessaview' - [*]", "'Tessaview' - [*]", "'Tessaview' - [titled.KRJ]",
                                          "'Tessaview' - [*]", "'Tessaview' - [titled.KRJ]",
                                          "'Tessaview' - [titled.KRJ]", "'Tessaview' - [plain]"}));
            main.form().bAskToSaveKRJFileBeforeExit = false;
        });
        QCOMPARE(status, 0);
    }

    // A message box is titled with the caller's title, or else with the
    // program's name, never the executable's.
    void messageBoxTitles_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no title of the caller's") << QString() << "'Tessaview'";
        QTest::newRow("the caller's title") << "Save" << "Save";
    }
    void messageBoxTitles()
    {
        QFETCH(QString, title);
        QFETCH(QString, shown);
        QtMessageSink boxes;
        QString seen;
        answerModal([&](QWidget* modal) {
            seen = shownTitle(*modal);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        boxes.showMessage(QStringLiteral("Text"), title, MessageButtons::Ok, MessageIcon::Information);
        QCOMPARE(seen, shown);
    }

    // A window opened and closed without a change writes back the
    // placement and column widths it read, although twips are no whole
    // number of pixels (13000 twips are 866.7 pixels at 96 dpi).
    void placementAndWidthsComeBackAsRead_data()
    {
        QTest::addColumn<QList<int>>("placement");   // Left, Top, Width, Height
        QTest::addColumn<QList<int>>("toDoWidths");  // fgToDo.ColWidth(2, 3, 6, 9, 10)
        QTest::addColumn<QList<int>>("logWidths");   // fgLog.ColWidth(2, 3, 7, 9, 10)
        QTest::newRow("the defaults") << QList<int>{150, 150, 13000, 8325} << QList<int>{450, 585, 675, 690, 690}
                                      << QList<int>{450, 615, 3875, 555, 615};
        QTest::newRow("odd values") << QList<int>{1001, 777, 12347, 8011} << QList<int>{451, 587, 679, 691, 697}
                                    << QList<int>{449, 613, 3877, 551, 619};
    }
    void placementAndWidthsComeBackAsRead()
    {
        QFETCH(QList<int>, placement);
        QFETCH(QList<int>, toDoWidths);
        QFETCH(QList<int>, logWidths);
        const QStringList placementKeys{"Left", "Top", "Width", "Height"};
        const QList<int> columns[2] = {{2, 3, 6, 9, 10}, {2, 3, 7, 9, 10}};
        QByteArray settings = "[frmMainMDI]\r\nWindowState=0\r\n";
        for (int i = 0; i < 4; ++i)
            settings += placementKeys[i].toLatin1() + '=' + QByteArray::number(placement[i]) + "\r\n";
        settings += "[frmMain]\r\n";
        for (int i = 0; i < 5; ++i) {
            settings += "fgToDo.ColWidth(" + QByteArray::number(columns[0][i]) + ")=" + QByteArray::number(toDoWidths[i])
                        + "\r\n";
            settings += "fgLog.ColWidth(" + QByteArray::number(columns[1][i]) + ")=" + QByteArray::number(logWidths[i])
                        + "\r\n";
        }
        QFile::remove(m_user.settingsFile());
        QVERIFY(testutil::writeFile(m_user.settingsFile(), settings));

        const int status = withWindow([&](frmMainMDI& frame) {
            QVERIFY(!frame.isMaximized());
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);
        const auto number = [this](const char* section, const QString& key) {
            return ReadIniText(QString::fromLatin1(section), key, QString(), m_user.settingsFile()).toInt();
        };
        QCOMPARE(number("frmMainMDI", QStringLiteral("WindowState")), 0);
        QList<int> after;
        for (const QString& key : placementKeys)
            after << number("frmMainMDI", key);
        QCOMPARE(after, placement);
        after.clear();
        for (int column : columns[0])
            after << number("frmMain", QStringLiteral("fgToDo.ColWidth(%1)").arg(column));
        QCOMPARE(after, toDoWidths);
        after.clear();
        for (int column : columns[1])
            after << number("frmMain", QStringLiteral("fgLog.ColWidth(%1)").arg(column));
        QCOMPARE(after, logWidths);
    }

    // The scheduler's Ctrl+Tab selects the next tab and Ctrl+Shift+Tab the
    // previous one, wrapping at both ends, with the focus in the job-file
    // box outside the tabs.
    void schedulerTabKeysWhereverTheFocusIs()
    {
        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            QVERIFY(activate(frame));
            QList<int> tabs;
            QWidget* focused = nullptr;
            QWidget* focusedAfter = nullptr;
            answerModal([&](QWidget* modal) {
                auto* form = qobject_cast<frmScheduler*>(modal);
                if (!form)
                    return;
                form->activateWindow();
                if (!QTest::qWaitForWindowActive(form))
                    return form->hide();
                form->cbScheduledJobFile->lineEdit()->setFocus();
                focused = QApplication::focusWidget();
                tabs << form->TabStrip1->currentIndex();
                for (const Qt::KeyboardModifiers keys :
                     {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
                      Qt::ControlModifier | Qt::ShiftModifier, Qt::ControlModifier | Qt::ShiftModifier}) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, keys);
                    tabs << form->TabStrip1->currentIndex();
                }
                focusedAfter = QApplication::focusWidget();
                QTest::mouseClick(form->cmdDone, Qt::LeftButton);
            });
            main.menuItem(QStringLiteral("mnuScheduleConversionJob"))->trigger();
            // The job-file box has the focus throughout (the combo holds it
            // for its text box).
            QCOMPARE(focused, main.frmSched()->cbScheduledJobFile);
            QCOMPARE(focusedAfter, focused);
            QCOMPARE(tabs, (QList<int>{0, 1, 0, 1, 0}));
            QVERIFY(!main.frmSched()->isVisible());
        });
        QCOMPARE(status, 0);
    }

    // A box takes the text as typed, letter case and all, although its
    // recently used list holds the same text in other letters: Add and
    // Update store it in the task and the saved job, and the list then
    // holds both spellings as entries of their own.
    void typedTextIsStoredAsTyped_data()
    {
        QTest::addColumn<QString>("list");      // the box's recently used list
        QTest::addColumn<QString>("entry");     // already in that list
        QTest::addColumn<QString>("added");     // typed, then Add
        QTest::addColumn<QString>("updated");   // typed, then Update
        QTest::addColumn<int>("process");       // 0: a conversion
        QTest::addColumn<int>("column");        // where the task row keeps it

        const QString in = m_user.path(QStringLiteral("in/"));
        const QString out = m_user.path(QStringLiteral("out/"));
        QTest::newRow("conversion output") << "mruTarget" << out + "report.png" << out + "Report.PNG"
                                           << out + "REPORT.png" << 0 << todocol::Output;
        QTest::newRow("conversion input") << "mruSource" << in + "doc.pdf" << in + "Doc.pdf" << in + "DOC.pdf" << 0
                                          << todocol::Input;
        QTest::newRow("special input") << "mruSourceSpecialized" << in + "a.txt" << in + "A.txt" << in + "a.TXT"
                                       << 56 << todocol::Input;
        QTest::newRow("special output") << "mruTargetSpecialized" << out + "b.txt" << out + "B.txt"
                                        << out + "b.TXT" << 56 << todocol::Output;
        QTest::newRow("find text") << "mruFindString" << "needle" << "Needle" << "NEEDLE" << 56 << todocol::Flags;
        QTest::newRow("replacement") << "mruReplaceString" << "zzq" << "ZZQ" << "Zzq" << 56 << todocol::Flags;
    }
    void typedTextIsStoredAsTyped()
    {
        QFETCH(QString, list);
        QFETCH(QString, entry);
        QFETCH(QString, added);
        QFETCH(QString, updated);
        QFETCH(int, process);
        QFETCH(int, column);
        // "Doc.pdf" and "DOC.pdf" are other files than "doc.pdf".
        for (const QString& path : {added, updated})
            if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) && !QFile::exists(path))
                QVERIFY(QFile::copy(m_user.path(QStringLiteral("in/doc.pdf")), path));

        QFile::remove(m_user.settingsFile());
        QVERIFY(testutil::writeFile(m_user.settingsFile(), QStringLiteral("[%1]\r\n%1%2=%3\r\n%1%4=MRU_DONE\r\n")
                                                        .arg(list, QStringLiteral("1"), entry, QStringLiteral("2"))
                                                        .toUtf8()));
        const QString job = m_user.path(QStringLiteral("out/typed.KRJ"));
        QFile::remove(job);
        const QString in = m_user.path(QStringLiteral("in/"));
        const QString out = m_user.path(QStringLiteral("out/"));

        const int status = withWindow([&](frmMainMDI& frame) {
            frmMain& main = *frame.mainForm();
            TaskEditor& editor = *main.editor;
            FlexGrid& grid = main.form().fgToDo;
            QVERIFY(activate(frame));
            QComboBox* box = editor.comboOfList(list);
            QVERIFY(box);
            QCOMPARE(box->itemText(0), entry);

            // A task whose other boxes hold ordinary texts.
            if (process == 0) {
                QTest::mouseClick(editor.rbActionToDo[0], Qt::LeftButton);
                selectData(editor.cbFileTypeTarget, 8);   // PNG
                if (box != editor.cbOriginalFile)
                    typeInto(editor.cbOriginalFile, in + QStringLiteral("doc.pdf"));
                if (box != editor.cbTargetFile)
                    typeInto(editor.cbTargetFile, out + QStringLiteral("doc.png"));
            } else {
                QTest::mouseClick(editor.rbActionToDo[1], Qt::LeftButton);
                selectData(editor.cbSpecialProcesses, process);
                if (box != editor.cbOriginalFileSpecialized)
                    typeInto(editor.cbOriginalFileSpecialized, in + QStringLiteral("notes.txt"));
                if (box != editor.cbTargetFileSpecialized)
                    typeInto(editor.cbTargetFileSpecialized, out + QStringLiteral("notes.txt"));
                if (box != editor.cbFindString)
                    typeInto(editor.cbFindString, QStringLiteral("text"));
                if (box != editor.cbReplacementString)
                    typeInto(editor.cbReplacementString, QStringLiteral("word"));
            }

            typeInto(box, added);
            QTest::mouseClick(editor.cmdAdd, Qt::LeftButton);
            QCOMPARE(m_user.sink.shown, QStringList());
            QCOMPARE(grid.Rows(), 3);
            QVERIFY2(grid.TextMatrix(1, column).contains(added, Qt::CaseSensitive),
                     qPrintable(grid.TextMatrix(1, column)));
            QCOMPARE(box->currentText(), added);

            typeInto(box, updated);
            QTest::mouseClick(editor.cmdUpdate, Qt::LeftButton);
            QCOMPARE(m_user.sink.shown, QStringList());
            QVERIFY2(grid.TextMatrix(1, column).contains(updated, Qt::CaseSensitive),
                     qPrintable(grid.TextMatrix(1, column)));
            QVERIFY(!grid.TextMatrix(1, column).contains(entry, Qt::CaseSensitive));

            m_user.chooser.paths = {job};
            main.menuItem(QStringLiteral("mnuSaveConversionJobAs"))->trigger();
            QVERIFY(frame.close());
        });
        QCOMPARE(status, 0);

        const QString saved = fileText(job);
        QVERIFY2(saved.contains(updated, Qt::CaseSensitive), qPrintable(saved));
        QVERIFY(!saved.contains(entry, Qt::CaseSensitive));
        // Entries that differ in letter case are entries of their own.
        QStringList kept;
        for (int i = 1; i <= 4; ++i)
            kept << ReadIniText(list, list + QString::number(i), QString(), m_user.settingsFile());
        QCOMPARE(kept, (QStringList{entry, added, updated, QStringLiteral("MRU_DONE")}));
    }
};

QTEST_MAIN(TestWindowBoxes)
#include "test_window_boxes.moc"
