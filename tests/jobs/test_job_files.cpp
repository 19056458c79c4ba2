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
        form.sConversionJobFileName = unreadable;
        QCOMPARE(LoadConversionJobFile(form, unreadable, 1, form.fgToDo), JobLoadResult::Failed);
        QCOMPARE(tasks(form.fgToDo), QStringList{"1=/in/1.docx"});
        QCOMPARE(form.sConversionJobFileName, QStringLiteral("*"));
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

    void logSavedAsJob()
    {
        MainFormState form;
        FlexGrid& log = form.fgLog;
        // Log rows go above the empty last row: an empty one, then two failures.
        log.AddItem(u"", log.Rows() - 1);
        log.AddItem(u"*^0^FALSE^75^100^0^0^0^\tRD\t7\tC\t/in/a.docx\t13\tDOCX\t/out/a.jpg\t1\tjpg\t-\tbad\nmessage",
                    log.Rows() - 1);
        log.AddItem(u"\t \t30000\tS56\t/in/b.txt\t1\tTXT\t/out/b.txt\t1\tTXT\t-\tfailed", log.Rows() - 1);

        QString sErr;
        QVERIFY(SaveLogGridToFile(path("log.krj"), log, &sErr));
        QCOMPARE(testutil::readFile(path("log.krj")),
                 QByteArray("*^0^FALSE^75^100^0^0^0^\tRD\t2\tC\t/in/a.docx\t13\tDOCX\t/out/a.jpg\t1\t\r\n"
                            "\t \t3\tS56\t/in/b.txt\t1\tTXT\t/out/b.txt\t1\t\r\n"));

        MainFormState rerun;
        QCOMPARE(LoadConversionJobFile(rerun, path("log.krj"), 1, rerun.fgToDo), JobLoadResult::Complete);
        QCOMPARE(tasks(rerun.fgToDo), QStringList({"1=/in/a.docx", "2=/in/b.txt"}));

        log.setTextMatrix(3, todocol::Output, QStringLiteral("/out/tab\there.txt"));
        QVERIFY(!SaveLogGridToFile(path("log.krj"), log, &sErr));
        QVERIFY(sErr.startsWith(QStringLiteral("Log row 3\n\n")));
        QVERIFY(testutil::readFile(path("log.krj")).startsWith("*^0^FALSE"));
    }
};

QTEST_GUILESS_MAIN(TestJobFiles)
#include "test_job_files.moc"
