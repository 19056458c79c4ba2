#include "TestUtil.h"

#include "base/MessageSink.h"
#include "core/clsConversionOptions.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/JobFileText.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRows.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

class RecordingSink : public MessageSink
{
public:
    MessageAnswer showMessage(const QString& text, const QString&, MessageButtons, MessageIcon) override
    {
        messages << text;
        return MessageAnswer::Ok;
    }
    QStringList messages;
};

// A job file line for task k: its cells say which line it came from.
QByteArray taskLine(int k)
{
    return QStringLiteral("*^0^FALSE^75^100^0^0^0^\tD\t%1\tC\t/in/%1.docx\t13\tDOCX\t/out/%1.pdf\t12\tpdf\t\t\r\n")
        .arg(k)
        .toUtf8();
}

QByteArray taskLines(int first, int last)
{
    QByteArray bytes;
    for (int k = first; k <= last; ++k)
        bytes += taskLine(k);
    return bytes;
}

const QByteArray kNewTaskLine = "\t\t*\t\t\t\t\t\t\t\t\t\r\n";

// Number cell and input cell of every task row.
QStringList tasks(const FlexGrid& grid)
{
    QStringList out;
    for (int r = 1; r < grid.Rows() - 1; ++r)
        out << grid.TextMatrix(r, todocol::Number) + u'=' + grid.TextMatrix(r, todocol::Input);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(JobLoadResult)

class TestJobFiles : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    RecordingSink m_sink;

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void init()
    {
        m_sink.messages.clear();
        SetMessageSink(&m_sink);
    }
    void cleanup() { SetMessageSink(nullptr); }

    void savedBytesAreExact()
    {
        MainFormState form;
        clsConversionOptions c;
        c.sExtraParams = QStringLiteral("*^0^FALSE^75^100^0^0^0^");
        c.sOriginalFile = QStringLiteral("/in/Café *.docx");
        c.lOriginalFileType = 13;
        c.sTargetFile = QStringLiteral("/out/*.jpg");
        c.lTargetFileType = 1;
        QVERIFY(AddOptionsToGrid(c, form.fgToDo));
        clsConversionOptions s;
        s.sActionToDo = QStringLiteral("S60");
        s.lSpecialProcess = 60;
        s.lConversionMethod = 4;
        s.sOriginalFile = QStringLiteral("/usr/bin/true");
        QVERIFY(AddOptionsToGrid(s, form.fgToDo));
        form.fgToDo.setTextMatrix(1, todocol::Pass, QStringLiteral("+"));

        QString sErr = QStringLiteral("stale");
        QVERIFY(SaveConversionJobFile(form, path("exact.krj"), form.fgToDo, &sErr));
        QVERIFY(sErr.isEmpty());
        QCOMPARE(testutil::readFile(path("exact.krj")),
                 QByteArray("*^0^FALSE^75^100^0^0^0^\tD\t1\tC\t/in/Caf\xC3\xA9 *.docx\t13\tDOCX\t/out/*.jpg\t1\tjpg\t+\t\r\n"
                            "\tT32 S1 W-1\t2\tS60\t/usr/bin/true\t-12345678\t\t\t-12345678\t\t\t\r\n")
                     + kNewTaskLine);
    }

    void savedJobLoadsBack()
    {
        MainFormState form;
        QVERIFY(testutil::writeFile(path("back.krj"), taskLines(1, 3) + kNewTaskLine));
        QCOMPARE(LoadConversionJobFile(form, path("back.krj"), 1, form.fgToDo), JobLoadResult::Complete);
        form.fgToDo.setTextMatrix(2, todocol::Pass, QStringLiteral("-"));
        QVERIFY(SaveConversionJobFile(form, path("back2.krj"), form.fgToDo));

        MainFormState other;
        other.sConversionJobFileName = path("back2.krj");
        QCOMPARE(LoadConversionJobFile(other, path("back2.krj"), 1, other.fgToDo), JobLoadResult::Complete);
        QCOMPARE(other.sConversionJobFileName, path("back2.krj"));
        QCOMPARE(other.fgToDo.Rows(), 5);
        for (int r = 0; r < 5; ++r)
            QCOMPARE(other.fgToDo.RowTexts(r), form.fgToDo.RowTexts(r));
        QCOMPARE(other.fgToDo.Row(), 4); // the new-task row is current
    }

    // The job file changes while it loads (at the loader's first yield):
    // replaced by another file, the load goes on with the file it opened;
    // cut short where it is, the load fails with the reason, since the line
    // cut last would pass for a task.
    void jobFileChangedWhileItLoads_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("replaced by a rename") << true;
        QTest::newRow("truncated in place") << false;
    }

    void jobFileChangedWhileItLoads()
    {
        QFETCH(bool, replaced);
        const QString job = path("changing.krj");
        QVERIFY(testutil::writeFile(job, taskLines(1, 2500) + kNewTaskLine));
        MainFormState form;
        int yields = 0;
        form.hooks.DoEvents = [&] {
            if (yields++ != 0)
                return;
            if (replaced) {
                QVERIFY(testutil::writeFile(path("other.krj"), taskLines(7001, 7003) + kNewTaskLine));
                QVERIFY(::rename(QFile::encodeName(path("other.krj")).constData(), QFile::encodeName(job).constData()) == 0);
            } else {
                QVERIFY(::truncate(QFile::encodeName(job).constData(), 1500 * taskLine(1).size() + 7) == 0);
            }
        };
        const JobLoadResult result = LoadConversionJobFile(form, job, 1, form.fgToDo);
        QVERIFY(yields > 0);
        if (!replaced) {
            QCOMPARE(result, JobLoadResult::Failed);
            QCOMPARE(m_sink.messages.size(), 1);
            QVERIFY2(m_sink.messages.first().endsWith(job + QStringLiteral("\n\nThe file was changed while it was loading.")),
                     qPrintable(m_sink.messages.first()));
            return;
        }
        QCOMPARE(result, JobLoadResult::Complete);
        const QStringList loaded = tasks(form.fgToDo);
        QCOMPARE(loaded.size(), 2500);
        for (int i = 0; i < loaded.size(); ++i)
            QCOMPARE(loaded.at(i), QStringLiteral("%1=/in/%1.docx").arg(i + 1));
    }

    // Found by fuzzing: a first task whose first text begins with U+FEFF
    // lost that character to the loader, which took it for a byte-order
    // mark.
    void firstTextBeginningWithAMarkLoadsBack()
    {
        MainFormState form;
        const QByteArray mark("\xEF\xBB\xBF");
        QVERIFY(testutil::writeFile(path("mark.krj"), mark + mark + "x\t\t1\tC\t/in/a\r\n" + kNewTaskLine));
        QCOMPARE(LoadConversionJobFile(form, path("mark.krj"), 1, form.fgToDo), JobLoadResult::Complete);
        QCOMPARE(form.fgToDo.TextMatrix(1, 0), QString(QChar(0xFEFF)) + u'x');
        QVERIFY(SaveConversionJobFile(form, path("mark2.krj"), form.fgToDo));
        MainFormState other;
        QCOMPARE(LoadConversionJobFile(other, path("mark2.krj"), 1, other.fgToDo), JobLoadResult::Complete);
        QCOMPARE(other.fgToDo.RowTexts(1), form.fgToDo.RowTexts(1));
    }

    void loadedTasks_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("option string with * third is a task")
            << QByteArray("1-*^0\tD\t7\tC\t/in/a\t1\t\t/o\t1\t\t\t\r\n" + kNewTaskLine)
            << QStringList{"1=/in/a"};
        QTest::newRow("short and empty lines skipped")
            << QByteArray("\r\nab\r\n\t\t1\tC\t/in/b\r\n\r\n") << QStringList{"1=/in/b"};
        QTest::newRow("new-task line anywhere")
            << QByteArray("\t\t1\tC\t/in/a\r\n\t\t*\t\r\n\t\t3\tC\t/in/c\r\n") << QStringList{"1=/in/a", "2=/in/c"};
        QTest::newRow("LF and lone CR end lines too")
            << QByteArray("\t\t1\tC\t/in/a\n\t\t1\tC\t/in/b\r\t\t1\tC\t/in/c") << QStringList{"1=/in/a", "2=/in/b", "3=/in/c"};

        const QString line = QStringLiteral("\t\t1\tC\t/in/café €.doc\t9\r\n");
        const QStringList one = {QStringLiteral("1=/in/café €.doc")};
        QTest::newRow("UTF-8") << line.toUtf8() << one;
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF" + line.toUtf8()) << one;
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (QChar ch : line) {
            const char lo = char(ch.unicode() & 0xFF), hi = char(ch.unicode() >> 8);
            le.append(lo).append(hi);
            be.append(hi).append(lo);
        }
        QTest::newRow("UTF-16LE") << le << one;
        QTest::newRow("UTF-16BE") << be << one;
        QTest::newRow("Windows-1252") << QByteArray("\t\t1\tC\t/in/caf\xE9 \x80.doc\t9\r\n") << one;
        // The encoding shows on a later line: what the first pass loaded goes.
        QTest::newRow("Windows-1252 after a plain line")
            << QByteArray("\t\t1\tC\t/in/plain.doc\r\n\t\t2\tC\t/in/caf\xE9 \x80.doc\t9\r\n")
            << QStringList{QStringLiteral("1=/in/plain.doc"), QStringLiteral("2=/in/café €.doc")};
    }

    void loadedTasks()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        MainFormState form;
        QVERIFY(testutil::writeFile(path("lines.krj"), bytes));
        QCOMPARE(LoadConversionJobFile(form, path("lines.krj"), 1, form.fgToDo), JobLoadResult::Complete);
        QCOMPARE(tasks(form.fgToDo), expected);
    }

    void lineEndsAcrossTheReadBuffer_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("lengths");
        constexpr int chunk = 64 * 1024;
        QTest::newRow("CR LF split by the buffer")
            << QByteArray(QByteArray(chunk - 1, 'a') + "\r\nb") << QList<int>{chunk - 1, 1};
        QTest::newRow("lone CR at the buffer's end")
            << QByteArray(QByteArray(chunk - 1, 'a') + "\rb\n") << QList<int>{chunk - 1, 1};
        QTest::newRow("line over three buffers")
            << QByteArray("x\n" + QByteArray(3 * chunk, 'a') + "\n\ny") << QList<int>{1, 3 * chunk, 0, 1};
        QTest::newRow("empty text") << QByteArray() << QList<int>{};
        QTest::newRow("only a line end") << QByteArray("\r\n") << QList<int>{0};
    }

    void lineEndsAcrossTheReadBuffer()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, lengths);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        JobFileLineReader reader(buffer);
        QList<int> seen;
        QByteArrayView line;
        while (reader.next(line))
            seen << int(line.size());
        QVERIFY(!reader.failed());
        QCOMPARE(seen, lengths);
    }

    void loadFromTaskFive()
    {
        MainFormState form;
        form.sConversionJobFileName = path("nine.krj");
        QVERIFY(testutil::writeFile(path("nine.krj"), taskLines(1, 9) + kNewTaskLine));
        QCOMPARE(LoadConversionJobFile(form, path("nine.krj"), 5, form.fgToDo), JobLoadResult::Partial);
        QCOMPARE(tasks(form.fgToDo), QStringList({"5=/in/5.docx", "6=/in/6.docx", "7=/in/7.docx",
                                                  "8=/in/8.docx", "9=/in/9.docx"}));
        QCOMPARE(form.sConversionJobFileName, QStringLiteral("*"));
    }

    void largeJobsLoadInSlices()
    {
        MainFormState form;
        const QString big = path("big.krj");
        form.sConversionJobFileName = big;
        QVERIFY(testutil::writeFile(big, taskLines(1, 40000) + kNewTaskLine));

        QCOMPARE(LoadConversionJobFile(form, big, 1, form.fgToDo), JobLoadResult::Partial);
        FlexGrid& grid = form.fgToDo;
        QCOMPARE(grid.Rows(), 30002);
        QCOMPARE(grid.TextMatrix(29999, todocol::Number), QStringLiteral("29999"));
        QCOMPARE(grid.TextMatrix(29999, todocol::Input), QStringLiteral("/in/29999.docx"));
        QCOMPARE(grid.RowTexts(30000),
                 QStringList({"", " ", "30000", "S1", "Reload conversion job start at task 30000",
                              "0", "0", big, "30000", "", ""}));
        QCOMPARE(grid.TextMatrix(30001, todocol::Number), QStringLiteral("*"));
        QCOMPARE(form.sConversionJobFileName, QStringLiteral("*"));

        // Running the reload task loads the rest, numbered on.
        clsConversionOptions reload;
        GetConversionItemFromGridRow(reload, 30000, grid);
        QCOMPARE(reload.lSpecialProcess, 1);
        QCOMPARE(LoadConversionJobFile(form, reload.sTargetFile, reload.lTargetFileType, grid),
                 JobLoadResult::Partial);
        QCOMPARE(grid.Rows(), 10003);
        QCOMPARE(grid.TextMatrix(1, todocol::Number), QStringLiteral("30000"));
        QCOMPARE(grid.TextMatrix(1, todocol::Input), QStringLiteral("/in/30000.docx"));
        QCOMPARE(grid.TextMatrix(10001, todocol::Number), QStringLiteral("40000"));
        QCOMPARE(grid.TextMatrix(10001, todocol::Input), QStringLiteral("/in/40000.docx"));
    }

    void reloadOnlyWhenMoreRemains_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<JobLoadResult>("result");
        QTest::addColumn<int>("rows");
        QTest::newRow("one full slice") << kJobSliceTasks << JobLoadResult::Complete << kJobSliceTasks + 2;
        QTest::newRow("one task more") << kJobSliceTasks + 1 << JobLoadResult::Partial << kJobSliceTasks + 3;
    }

    void reloadOnlyWhenMoreRemains()
    {
        QFETCH(int, lineCount);
        QFETCH(JobLoadResult, result);
        QFETCH(int, rows);
        MainFormState form;
        QVERIFY(testutil::writeFile(path("full.krj"), taskLines(1, lineCount) + kNewTaskLine));
        QCOMPARE(LoadConversionJobFile(form, path("full.krj"), 1, form.fgToDo), result);
        QCOMPARE(form.fgToDo.Rows(), rows);
        QCOMPARE(form.fgToDo.TextMatrix(kJobSliceTasks + 1, todocol::Do),
                 result == JobLoadResult::Partial ? QStringLiteral("S1") : QString());
    }

    void pauseStopsTheLoadAndStays()
    {
        MainFormState form;
        form.bRunning = true; // a running job's reload task
        form.sConversionJobFileName = path("pause.krj");
        QStringList status;
        int toolbarUpdates = 0;
        form.hooks.SetStatusPanelText = [&](int panel, const QString& text) {
            QCOMPARE(panel, kJobLoadStatusPanel);
            status << text;
        };
        form.hooks.UpdateMenuToolbar = [&] { ++toolbarUpdates; };
        form.hooks.DoEvents = [&] { form.bRunning = false; }; // the user presses Pause
        QVERIFY(testutil::writeFile(path("pause.krj"), taskLines(1, 2500) + kNewTaskLine));

        QCOMPARE(LoadConversionJobFile(form, path("pause.krj"), 1, form.fgToDo), JobLoadResult::Partial);
        QCOMPARE(form.fgToDo.Rows(), 1003);
        QCOMPARE(form.fgToDo.TextMatrix(1000, todocol::Number), QStringLiteral("1000"));
        // The tasks not read yet are not dropped: a reload row reaches them.
        QCOMPARE(form.fgToDo.TextMatrix(1001, todocol::Do), QStringLiteral("S1"));
        QCOMPARE(form.fgToDo.TextMatrix(1001, todocol::Input),
                 QStringLiteral("Reload conversion job start at task 1001"));
        QVERIFY(!form.bRunning);
        QCOMPARE(form.sConversionJobFileName, QStringLiteral("*"));
        QCOMPARE(toolbarUpdates, 2);
        QCOMPARE(status, QStringList({"Loading Conversion Job: " + path("pause.krj"),
                                      "Loading Conversion Task: 1000",
                                      "Completed loading conversion job: " + path("pause.krj")}));
    }

    void missingFileChangesNothing()
    {
        MainFormState form;
        QVERIFY(testutil::writeFile(path("one.krj"), taskLines(1, 1)));
        LoadConversionJobFile(form, path("one.krj"), 1, form.fgToDo);
        form.sConversionJobFileName = path("gone.krj");
        QCOMPARE(LoadConversionJobFile(form, path("gone.krj"), 1, form.fgToDo), JobLoadResult::NotFound);
        QCOMPARE(LoadConversionJobFile(form, m_dir.path(), 1, form.fgToDo), JobLoadResult::NotFound);
        QCOMPARE(tasks(form.fgToDo), QStringList{"1=/in/1.docx"});
        QCOMPARE(form.sConversionJobFileName, path("gone.krj"));
        QVERIFY(m_sink.messages.isEmpty());
    }

    void unreadableFileKeepsTheJobAndItsFileIsNotOverwritten()
    {
        // A regular file whose read fails even for the superuser.
        const QString unreadable = QStringLiteral("/proc/self/mem");
        QFile probe(unreadable);
        if (!probe.open(QIODevice::ReadOnly) || (probe.readAll(), probe.error() == QFileDevice::NoError))
            QSKIP("no unreadable regular file on this system");
        MainFormState form;
        QVERIFY(testutil::writeFile(path("one.krj"), taskLines(1, 1)));
        LoadConversionJobFile(form, path("one.krj"), 1, form.fgToDo);
        form.sConversionJobFileName = path("one.krj");
        QCOMPARE(LoadConversionJobFile(form, unreadable, 1, form.fgToDo), JobLoadResult::Failed);
        QCOMPARE(tasks(form.fgToDo), QStringList{"1=/in/1.docx"});
        QCOMPARE(form.sConversionJobFileName, path("one.krj"));
        QCOMPARE(m_sink.messages.size(), 1);
        QVERIFY(m_sink.messages.first().contains(unreadable));
    }

    void aJobWithoutTaskTakesTheEditorsTask()
    {
        MainFormState form;
        QVERIFY(!SaveConversionJobFile(form, path("none.krj"), form.fgToDo));
        QVERIFY(!QFile::exists(path("none.krj")));

        form.hooks.AddFileToConvertGUI = [&] {
            clsConversionOptions o;
            o.sOriginalFile = QStringLiteral("/in/editor.rtf");
            return AddOptionsToGrid(o, form.fgToDo);
        };
        QVERIFY(SaveConversionJobFile(form, path("editor.krj"), form.fgToDo));
        QVERIFY(testutil::readFile(path("editor.krj")).contains("\t1\tC\t/in/editor.rtf\t"));
    }

    void failedSavesKeepTheOldFile()
    {
        MainFormState form;
        QVERIFY(testutil::writeFile(path("keep.krj"), "old contents"));
        clsConversionOptions o;
        QVERIFY(AddOptionsToGrid(o, form.fgToDo));
        form.fgToDo.setTextMatrix(1, todocol::Input, QStringLiteral("/in/new\nline.doc"));

        QString sErr;
        QVERIFY(!SaveConversionJobFile(form, path("keep.krj"), form.fgToDo, &sErr));
        QCOMPARE(sErr, QStringLiteral("Conversion job row 1\n\nholds a TAB or a line break and cannot be saved."));
        QCOMPARE(testutil::readFile(path("keep.krj")), QByteArray("old contents"));

        form.fgToDo.setTextMatrix(1, todocol::Input, QStringLiteral("/in/tab\there.doc"));
        QVERIFY(!SaveConversionJobFile(form, path("keep.krj"), form.fgToDo, &sErr));
        QCOMPARE(testutil::readFile(path("keep.krj")), QByteArray("old contents"));

        form.fgToDo.setTextMatrix(1, todocol::Input, QStringLiteral("/in/fine.doc"));
        QVERIFY(!SaveConversionJobFile(form, path("no-such-folder/x.krj"), form.fgToDo, &sErr));
        QVERIFY(sErr.startsWith(path("no-such-folder/x.krj")));
        // No temporary file is left behind.
        QCOMPARE(QDir(m_dir.path()).entryList({"keep.krj*"}, QDir::Files | QDir::Hidden),
                 QStringList({"keep.krj"}));
    }

    // The log saved as a job holds every cell of each failed item's task
    // row, so that the job runs those items again as they were; an item
    // whose file name a line cannot hold stays out alone.
    void logSavedAsJob()
    {
        MainFormState form;
        FlexGrid& log = form.fgLog;
        // Log rows go above the empty last row: an empty one, two failures,
        // a launched program that ran, a failure whose file name holds a
        // TAB, and a failure with a line break in its name.
        const QStringList docx = {"*^0^FALSE^75^100^0^0^0^", "RD", "7", "C", "/in/a.docx", "13", "DOCX",
                                  "/out/a.png", "8", "png", "-", "bad\nmessage"};
        const QStringList special = {"", " ", "30000", "S56", "/in/b.txt", "1", "TXT", "/out/b.txt", "1", "TXT", "-",
                                     "failed"};
        const QStringList launched = {"", "T32 S1 W-1", "9", "S60", "/usr/bin/true", "0", "", "", "0", "", "+",
                                      "Exit Code: 0"};
        const QStringList tabbed = {"*^0^FALSE^75^100^0^0^0^", "", "7", "C", "/in/t\tab.pdf", "12", "",
                                    "/out/t\tab.png", "8", "png", "-", "failed"};
        const QStringList broken = {"*^0^FALSE^75^100^0^0^0^", "", "7", "C", "/in/line\nbreak.pdf", "12", "",
                                    "/out/x.png", "8", "png", "-", "failed"};
        log.AddItem(u"", log.Rows() - 1);
        for (const QStringList& cells : {docx, special, launched, tabbed, broken}) {
            const int row = log.Rows() - 1;
            log.AddItem(u"", row);
            for (int c = 0; c < cells.size(); ++c)
                log.setTextMatrix(row, c, cells.at(c));
        }

        QString sErr = QStringLiteral("stale");
        QList<int> leftOut;
        QVERIFY(SaveLogGridToFile(path("log.krj"), log, &sErr, &leftOut));
        QVERIFY(sErr.isEmpty());
        QCOMPARE(leftOut, (QList<int>{5, 6}));
        // Each row's cells 0 to 9 (its number the log row's), an empty pass
        // cell, then the new-task line.
        QCOMPARE(testutil::readFile(path("log.krj")),
                 QByteArray("*^0^FALSE^75^100^0^0^0^\tRD\t2\tC\t/in/a.docx\t13\tDOCX\t/out/a.png\t8\tpng\t\t\r\n"
                            "\t \t3\tS56\t/in/b.txt\t1\tTXT\t/out/b.txt\t1\tTXT\t\t\r\n")
                     + kNewTaskLine);
        QCOMPARE(LeftOutLogRowText(log, 5),
                 QStringLiteral("Job # 7  Not saved in the conversion job file: a job file line cannot hold the TAB "
                                "or line break in its file name - /in/t\\tab.pdf"));
        QVERIFY(LeftOutLogRowText(log, 6).endsWith(QStringLiteral(" - /in/line\\nbreak.pdf")));

        // Loaded, every cell of the task rows is back; the pass cells are
        // empty, so a run starts with them.
        MainFormState rerun;
        QCOMPARE(LoadConversionJobFile(rerun, path("log.krj"), 1, rerun.fgToDo), JobLoadResult::Complete);
        QCOMPARE(rerun.fgToDo.Rows(), 4);
        QStringList docxBack = docx.mid(0, 10) << QString();
        docxBack[todocol::Number] = QStringLiteral("1");
        QCOMPARE(rerun.fgToDo.RowTexts(1), docxBack);
        QStringList specialBack = special.mid(0, 10) << QString();
        specialBack[todocol::Number] = QStringLiteral("2");
        QCOMPARE(rerun.fgToDo.RowTexts(2), specialBack);
        clsConversionOptions first;
        GetConversionItemFromGridRow(first, 1, rerun.fgToDo);
        QCOMPARE(first.lTargetFileType, 8);
        QCOMPARE(first.lOriginalFileType, 13);
        QVERIFY(first.bDoSubFolders && first.bCaseSensitive);
    }

    // A log with only items a line cannot hold still gives a job file
    // that loads, as a job without tasks.
    void logOfItemsLeftOutIsAnEmptyJob()
    {
        MainFormState form;
        FlexGrid& log = form.fgLog;
        log.AddItem(u"", log.Rows() - 1);
        log.setTextMatrix(1, todocol::Do, QStringLiteral("C"));
        log.setTextMatrix(1, todocol::Input, QStringLiteral("/in/a\tb.pdf"));
        QList<int> leftOut;
        QVERIFY(SaveLogGridToFile(path("none.krj"), log, nullptr, &leftOut));
        QCOMPARE(leftOut, QList<int>{1});
        QCOMPARE(testutil::readFile(path("none.krj")), kNewTaskLine);
        MainFormState rerun;
        QCOMPARE(LoadConversionJobFile(rerun, path("none.krj"), 1, rerun.fgToDo), JobLoadResult::Complete);
        QCOMPARE(rerun.fgToDo.Rows(), 2);
    }

    void logThatCannotBeWrittenGivesTheSystemsReason()
    {
        MainFormState form;
        FlexGrid& log = form.fgLog;
        log.AddItem(u"", log.Rows() - 1);
        log.setTextMatrix(1, todocol::Do, QStringLiteral("C"));
        QString sErr;
        QVERIFY(!SaveLogGridToFile(path("no-such-folder/log.krj"), log, &sErr));
        QCOMPARE(sErr, QString::fromLocal8Bit(std::strerror(ENOENT)));
    }

    // A FIFO where the job or the log goes is not replaced by a file: the
    // save fails with that reason.
    void savesLeaveWhatIsNotAFileAlone()
    {
        const QString fifo = path("fifo.krj");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        MainFormState form;
        clsConversionOptions o;
        QVERIFY(AddOptionsToGrid(o, form.fgToDo));
        QString sErr;
        QVERIFY(!SaveConversionJobFile(form, fifo, form.fgToDo, &sErr));
        QCOMPARE(sErr, fifo + QStringLiteral("\n\nnot a regular file"));

        FlexGrid& log = form.fgLog;
        log.AddItem(u"", log.Rows() - 1);
        log.setTextMatrix(1, todocol::Do, QStringLiteral("C"));
        QVERIFY(!SaveLogGridToFile(fifo, log, &sErr));
        QCOMPARE(sErr, QStringLiteral("not a regular file"));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
        QCOMPARE(QDir(m_dir.path()).entryList({"fifo.krj*", ".fifo.krj*"}, QDir::AllEntries | QDir::Hidden | QDir::System),
                 QStringList{"fifo.krj"});
    }

    // What is not a job file is refused with the reason, and leaves the
    // job that was there, its file name included; a job file without tasks
    // is a job all the same. A NUL byte
    // in a job's line is a damaged job: the rows before it stay, nothing of
    // that line is taken with a blank or a cut in the NUL's place.
    void filesThatAreNoJob_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");   // empty: loads
        QTest::addColumn<QStringList>("rows");
        const QString notAJob = QStringLiteral("The file is not a conversion job file: %1 - none of its lines is a "
                                               "task or the job's new-task line.");
        const QStringList kept = {"1=/in/kept.pdf"};
        QTest::newRow("empty") << QByteArray() << notAJob << kept;
        QTest::newRow("plain text") << QByteArray("Dear Ann,\r\nthe report is attached.\r\n") << notAJob << kept;
        QTest::newRow("NUL bytes") << QByteArray(100, '\0') << notAJob << kept;
        const char png[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\t\t\t\x01\xff";
        QTest::newRow("other bytes") << QByteArray(png, sizeof png - 1) << notAJob << kept;
        QTest::newRow("tabs but no action") << QByteArray("a\tb\tc\td\te\r\n") << notAJob << kept;
        const char nul[] = "\t\t1\tC\t/in/a.pdf\r\n\t\t2\tC\t/in/b\0c.pdf\t12\r\n";
        QTest::newRow("NUL inside a cell")
            << QByteArray(QByteArray(nul, sizeof nul - 1) + kNewTaskLine)
            << QStringLiteral("The conversion job file is damaged: %1 - A NUL byte stands in line 2.")
            << QStringList{"1=/in/a.pdf"};
        QTest::newRow("new-task line alone") << kNewTaskLine << QString() << QStringList();
        QTest::newRow("special process task") << QByteArray("\t\t1\tS55\t/in/*.txt\r\n") << QString()
                                              << QStringList{"1=/in/*.txt"};
    }

    void filesThatAreNoJob()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QFETCH(QStringList, rows);
        MainFormState form;
        form.fgToDo.AddItem(u"\t\t1\tC\t/in/kept.pdf", 1);
        form.sConversionJobFileName = path("kept.krj");
        QVERIFY(testutil::writeFile(path("x.krj"), bytes));
        QString why = QStringLiteral("stale");
        const JobLoadResult loaded = LoadConversionJobFile(form, path("x.krj"), 1, form.fgToDo, &why);
        QCOMPARE(tasks(form.fgToDo), rows);
        if (reason.isEmpty()) {
            QCOMPARE(loaded, JobLoadResult::Complete);
            QVERIFY(why.isEmpty());
            QVERIFY(m_sink.messages.isEmpty());
            return;
        }
        QCOMPARE(loaded, JobLoadResult::Failed);
        QCOMPARE(why, reason.arg(path("x.krj")));
        QCOMPARE(m_sink.messages.size(), 1);
        QVERIFY(m_sink.messages.constFirst().contains(path("x.krj")));
        // A damaged job's rows before the damage have no file of their own.
        QCOMPARE(form.sConversionJobFileName, rows == QStringList{"1=/in/kept.pdf"} ? path("kept.krj") : QStringLiteral("*"));
    }
};

QTEST_GUILESS_MAIN(TestJobFiles)
#include "test_job_files.moc"
