// The job loop over a task grid, with the task blocks replaced by a fake
// that records each call and answers as each test tells it.
#include "EngineHarness.h"
#include "TestUtil.h"

#include "engine/LogRows.h"
#include "engine/TaskRunners.h"
#include "jobs/JobFiles.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

struct BlockCall
{
    int row = 0;
    QString input;
    int lErrOnEntry = 0;
    QString sErrOnEntry;
    int resumeIndex = 0;
};

// Stands in for PerformBlock. A behaviour keyed by the task's input
// decides the result; without one the task succeeds.
class FakeBlocks
{
public:
    explicit FakeBlocks(EngineHarness& h) : m_h(h)
    {
        h.engine.performBlock = [this](int row, clsConversionOptions& task) {
            calls << BlockCall{row, task.sOriginalFile, task.lErr, task.sErr, m_h.engine.lResumeFileIndex};
            const auto behaviour = behaviours.value(task.sOriginalFile);
            return behaviour ? behaviour(task) : 0;
        };
    }

    QStringList inputs() const
    {
        QStringList out;
        for (const BlockCall& c : calls)
            out << c.input;
        return out;
    }

    QList<BlockCall> calls;
    QMap<QString, std::function<int(clsConversionOptions&)>> behaviours;

private:
    EngineHarness& m_h;
};

int fail(clsConversionOptions& task, int code, const QString& message)
{
    task.lErr = code;
    task.sErr = message;
    return code;
}

// A job file of task lines t<first>..t<last>, each a conversion of /in/t<k>.
QByteArray jobLines(int first, int last)
{
    QByteArray bytes;
    for (int k = first; k <= last; ++k)
        bytes += QStringLiteral("*^0^FALSE^75^100^0^0^0^\t\t%1\tC\t/in/t%1\t12\t\t/out/*.png\t8\tpng\t\t\r\n")
                     .arg(k)
                     .toUtf8();
    return bytes;
}

void addReloadRow(EngineHarness& h, const QString& jobFile, int startTask)
{
    FlexGrid& grid = h.form.fgToDo;
    const int row = grid.Rows() - 1;
    grid.AddItem(QStringList{QString(), QStringLiteral(" "), QString::number(row), QStringLiteral("S1"),
                             QStringLiteral("Reload conversion job start at task %1").arg(startTask),
                             QStringLiteral("0"), QStringLiteral("0"), jobFile, QString::number(startTask)}
                     .join(u'\t'),
                 row);
}

} // namespace

class TestJobLoop : public QObject
{
    Q_OBJECT

private slots:
    void runsEveryRowMarksItAndKeepsTheLatestFailure()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        h.addTask("/in/c");
        blocks.behaviours["/in/b"] = [](clsConversionOptions& t) {
            return fail(t, -13, QStringLiteral("Unable to save output file."));
        };

        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.inputs(), (QStringList{"/in/a", "/in/b", "/in/c"}));
        QCOMPARE(h.passMarks(), (QStringList{"+", "-", "+"}));
        // The task after a failure starts clean, yet the run still reports
        // the failure at its end.
        QCOMPARE(blocks.calls[2].lErrOnEntry, 0);
        QVERIFY(blocks.calls[2].sErrOnEntry.isEmpty());
        QCOMPARE(h.panels[statuspanel::Status], QStringLiteral("!!! Error:  Unable to save output file."));
        QCOMPARE(h.panels[statuspanel::TaskRow], QStringLiteral("-"));
        QCOMPARE(h.panels[statuspanel::RunState], QStringLiteral(" 100 Percent Complete "));
        QVERIFY(h.timerEnabled);
        QCOMPARE(h.runStatePicture, 9);
        QVERIFY(!h.form.bRunning);
        QVERIFY(!G_bSuppressControlEvents);
        QVERIFY(h.menuUpdates >= 2);
    }

    void startRow_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QStringList>("expected");
        const QStringList all{"/in/a", "/in/b", "/in/c"};
        QTest::newRow("window resumes at the first unmarked row")
            << false << QStringList{"+", "", ""} << QStringList{"/in/b", "/in/c"};
        QTest::newRow("window rewinds a finished job") << false << QStringList{"+", "-", "+"} << all;
        QTest::newRow("command line starts at row 1") << true << QStringList{"+", "", ""} << all;
        QTest::newRow("command line runs a finished job again") << true << QStringList{"+", "-", "+"} << all;
    }

    void startRow()
    {
        QFETCH(bool, commandLine);
        QFETCH(QStringList, marks);
        QFETCH(QStringList, expected);
        EngineHarness h;
        FakeBlocks blocks(h);
        for (int i = 0; i < marks.size(); ++i)
            h.addTask(QStringLiteral("/in/") + QChar(u'a' + i), QStringLiteral("/out/*.png"), QStringLiteral("C"),
                      marks[i]);
        G_bCommandLineMode = commandLine;

        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.inputs(), expected);
        QCOMPARE(h.passMarks(), (QStringList{"+", "+", "+"}));
        // The attention signs of a finished run belong to the window.
        QCOMPARE(h.timerEnabled, !commandLine);
        QCOMPARE(h.panels[statuspanel::RunState].contains(QStringLiteral("100")), !commandLine);
    }

    // A task that asks for the job to end ends it; a failure, whatever its
    // code (-1 included), fails its own row and the job goes on.
    void onlyAStopRequestEndsTheJob_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("a failure of -1") << false;
        QTest::newRow("a stop request") << true;
    }

    void onlyAStopRequestEndsTheJob()
    {
        QFETCH(bool, stop);
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        h.addTask("/in/c");
        blocks.behaviours["/in/b"] = [&h, stop](clsConversionOptions& t) {
            h.engine.bStopJob = stop;
            return fail(t, -1, "FILE_RENAME_ERROR");
        };

        ConversionJobBegin(h.engine);

        if (stop) {
            QCOMPARE(blocks.inputs(), (QStringList{"/in/a", "/in/b"}));
            QCOMPARE(h.passMarks(), (QStringList{"+", "-", ""}));
        } else {
            QCOMPARE(blocks.inputs(), (QStringList{"/in/a", "/in/b", "/in/c"}));
            QCOMPARE(h.passMarks(), (QStringList{"+", "-", "+"}));
        }
        QCOMPARE(h.timerEnabled, !stop);
        QCOMPARE(h.panels[statuspanel::RunState].contains(QStringLiteral("Percent")), !stop);
        QVERIFY(!h.form.bRunning);
    }

    void reloadRowContinuesAtRowOneOfTheNextSlice()
    {
        QTemporaryDir dir;
        const QString job = dir.filePath("big.krj");
        // The next slice is longer than the first one.
        QVERIFY(testutil::writeFile(job, jobLines(1, 6)));
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        addReloadRow(h, job, 3);
        // The reload row runs for real; the conversions are faked.
        blocks.behaviours["Reload conversion job start at task 3"] = [&h](clsConversionOptions& t) {
            return PerformBlock(h.engine, 3, t);
        };

        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.inputs(), (QStringList{"/in/a", "/in/b", "Reload conversion job start at task 3",
                                               "/in/t3", "/in/t4", "/in/t5", "/in/t6"}));
        QCOMPARE(blocks.calls[3].row, 1);
        QCOMPARE(h.form.fgToDo.TextMatrix(1, todocol::Number), QStringLiteral("3"));
        QCOMPARE(h.passMarks(), (QStringList{"+", "+", "+", "+"}));
        QCOMPARE(h.logRows(), 0);
        QVERIFY(h.timerEnabled);
    }

    void reloadOfAMissingJobFileFailsItsRowOnce()
    {
        QTemporaryDir dir;
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        addReloadRow(h, dir.filePath("gone.krj"), 2);
        blocks.behaviours["Reload conversion job start at task 2"] = [&h](clsConversionOptions& t) {
            return PerformBlock(h.engine, 2, t);
        };

        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.calls.size(), 2);
        QCOMPARE(h.passMarks(), (QStringList{"+", "-"}));
        QCOMPARE(h.logRows(), 1);
        QVERIFY(h.form.fgLog.TextMatrix(1, todocol::Status).contains(dir.filePath("gone.krj")));
    }

    void pauseStopsAtOnceAndResumesTheInterruptedRow()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        h.addTask("/in/c");
        // Pause clicked while the task's third file converts.
        blocks.behaviours["/in/b"] = [&h](clsConversionOptions&) {
            if (h.engine.lResumeFileIndex == 0) {
                ConversionJobPause(h.engine);
                h.engine.lResumeFileIndex = 3;
            }
            return 0;
        };

        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.inputs(), (QStringList{"/in/a", "/in/b"}));
        QCOMPARE(h.passMarks(), (QStringList{"+", "", ""}));
        QCOMPARE(h.panels[statuspanel::RunState], QStringLiteral("Pause"));
        QVERIFY(!h.timerEnabled);
        QVERIFY(!h.form.bRunning);
        QCOMPARE(h.engine.lResumeFileIndex, 3);

        blocks.calls.clear();
        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.inputs(), (QStringList{"/in/b", "/in/c"}));
        QCOMPARE(blocks.calls[0].resumeIndex, 3);
        QCOMPARE(blocks.calls[1].resumeIndex, 0);
        QCOMPARE(h.passMarks(), (QStringList{"+", "+", "+"}));
        QCOMPARE(h.engine.lResumeFileIndex, 0);
    }

    // A file that failed before the Pause stays in the log across the
    // resumed run and marks its task "-" when the task completes; the run
    // still ends with the error and the percent of a finished job.
    void aFailureBeforeAPauseDecidesTheResumedTasksMark()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        h.addTask("/in/c");
        blocks.behaviours["/in/a"] = [&h](clsConversionOptions& t) {
            clsConversionOptions item = t;
            item.sOriginalFile = QStringLiteral("/in/a/1.pdf");
            fail(item, -10, QStringLiteral("Unable to open the input file."));
            LogConversionError(h.form, 1, item);
            t.lErr = item.lErr;
            t.sErr = item.sErr;
            ConversionJobPause(h.engine);
            h.engine.lResumeFileIndex = 2;
            return item.lErr;
        };
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), (QStringList{"", "", ""}));
        QCOMPARE(h.logRows(), 1);

        // The rest of the first task's files pass.
        blocks.behaviours["/in/a"] = [](clsConversionOptions&) { return 0; };
        blocks.behaviours["/in/c"] = [&h](clsConversionOptions& t) {
            fail(t, -13, QStringLiteral("Unable to save output file."));
            LogConversionError(h.form, 3, t);
            return t.lErr;
        };
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), (QStringList{"-", "+", "-"}));
        QCOMPARE(h.logRows(), 2);
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Input), QStringLiteral("/in/a/1.pdf"));
        QCOMPARE(h.form.fgLog.TextMatrix(2, todocol::Input), QStringLiteral("/in/c"));
        QCOMPARE(h.panels[statuspanel::RunState], QStringLiteral(" 100 Percent Complete "));

        // Paused again, once the first task is done: its mark stays, the
        // log too; only a run from the top starts a new log.
        ConversionJobRewind(h.engine);
        QCOMPARE(h.logRows(), 0);
        blocks.behaviours["/in/b"] = [&h](clsConversionOptions& t) {
            ConversionJobPause(h.engine);
            fail(t, -10, QStringLiteral("Unable to open the input file."));
            LogConversionError(h.form, 2, t);
            return t.lErr;
        };
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), (QStringList{"+", "-", ""}));
        blocks.behaviours.clear();
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), (QStringList{"+", "-", "+"}));
        QCOMPARE(h.logRows(), 1);
        QCOMPARE(h.panels[statuspanel::Status], QStringLiteral("!!! Error:  Unable to open the input file."));
    }

    void pauseAfterATaskFinishedMarksItAndStops()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        h.addTask("/in/c");
        // A failed task with a Pause pending still stops the job at once.
        blocks.behaviours["/in/b"] = [&h](clsConversionOptions& t) {
            ConversionJobPause(h.engine);
            return fail(t, -10, "Unable to open the input file.");
        };

        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), (QStringList{"+", "-", ""}));
        QCOMPARE(h.engine.lResumeFileIndex, 0);

        blocks.calls.clear();
        blocks.behaviours.clear();
        ConversionJobBegin(h.engine);
        QCOMPARE(blocks.inputs(), (QStringList{"/in/c"}));
    }

    void resumeIndexAppliesToItsOwnRowOnly()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        blocks.behaviours["/in/a"] = [&h](clsConversionOptions&) {
            if (h.engine.lResumeFileIndex == 0) {
                ConversionJobPause(h.engine);
                h.engine.lResumeFileIndex = 7;
            }
            return 0;
        };
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), (QStringList{"", ""}));

        // The paused row was edited into another task meanwhile.
        h.form.fgToDo.setTextMatrix(1, todocol::Input, QStringLiteral("/in/z"));
        blocks.calls.clear();
        ConversionJobBegin(h.engine);
        QCOMPARE(blocks.inputs(), (QStringList{"/in/z", "/in/b"}));
        QCOMPARE(blocks.calls[0].resumeIndex, 0);
    }

    void pauseIsIgnoredWhileItsCommandIsDisabled()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        h.engine.hooks.bPauseEnabled = [] { return false; };
        blocks.behaviours["/in/a"] = [&h](clsConversionOptions&) {
            ConversionJobPause(h.engine);
            return 0;
        };

        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.inputs(), (QStringList{"/in/a", "/in/b"}));
        QCOMPARE(h.passMarks(), (QStringList{"+", "+"}));
    }

    void pauseEndsAnActiveSchedule()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        bool scheduleStopped = false;
        h.engine.hooks.bSchedularEnabled = [] { return true; };
        h.engine.hooks.StopSchedule = [&] { scheduleStopped = true; };
        blocks.behaviours["/in/a"] = [&h](clsConversionOptions&) {
            ConversionJobPause(h.engine);
            return 0;
        };

        ConversionJobBegin(h.engine);

        QVERIFY(scheduleStopped);
        QVERIFY(!h.timerEnabled);
    }

    void errorRaisedInABlockEndsTheRunCleanly()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.addTask("/in/b");
        h.addTask("/in/c");
        blocks.behaviours["/in/b"] = [](clsConversionOptions&) -> int { throw std::runtime_error("grid broke"); };

        ConversionJobBegin(h.engine);

        QCOMPARE(blocks.inputs(), (QStringList{"/in/a", "/in/b"}));
        QCOMPARE(h.passMarks(), (QStringList{"+", "", ""}));
        QCOMPARE(h.shownErrors, (QStringList{"grid broke"}));
        QVERIFY(h.panels[statuspanel::Status].endsWith(QStringLiteral("grid broke")));
        QCOMPARE(h.engine.sRunAbortError, QStringLiteral("grid broke"));
        QVERIFY(!h.form.bRunning);
        QVERIFY(!G_bSuppressControlEvents);
        QVERIFY(!h.timerEnabled);
    }

    void startChecksCanRefuseTheRun()
    {
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        h.engine.hooks.bCheckToUpdateDirtyConversionItem = [] { return false; };
        ConversionJobBegin(h.engine);
        h.engine.hooks.bCheckToUpdateDirtyConversionItem = {};
        h.engine.hooks.bCheckToZeroConversionItems = [] { return true; };
        ConversionJobBegin(h.engine);

        QVERIFY(blocks.calls.isEmpty());
        QVERIFY(!h.form.bRunning);
    }

    void elapsedSecondsUseTheUsersDecimalsWithoutGroups_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("English") << "en_US" << "1234.6";
        QTest::newRow("German") << "de_DE" << "1234,6";
    }

    void elapsedSecondsUseTheUsersDecimalsWithoutGroups()
    {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        const QLocale was;
        QLocale::setDefault(QLocale(locale));
        EngineHarness h;
        FakeBlocks blocks(h);
        h.addTask("/in/a");
        blocks.behaviours["/in/a"] = [&h](clsConversionOptions&) {
            h.clock += 1234567;
            h.engine.ShowElapsed();
            return 0;
        };
        ConversionJobBegin(h.engine);
        QLocale::setDefault(was);
        QCOMPARE(h.panels[statuspanel::Elapsed], expected);
    }

    void rewindClearsMarksResumePointAndLog()
    {
        EngineHarness h;
        h.addTask("/in/a", "/out/*.png", "C", "+");
        h.addTask("/in/b", "/out/*.png", "C", "-");
        clsConversionOptions failed;
        failed.sErr = QStringLiteral("bad");
        LogConversionError(h.form, 2, failed);
        h.engine.lResumeFileIndex = 4;
        h.timerEnabled = true;

        ConversionJobRewind(h.engine);

        QCOMPARE(h.passMarks(), (QStringList{"", ""}));
        QCOMPARE(h.engine.lResumeFileIndex, 0);
        QCOMPARE(h.logRows(), 0);
        QCOMPARE(h.form.fgToDo.Row(), 1);
        QVERIFY(!h.timerEnabled);
        QVERIFY(!G_bSuppressControlEvents);
    }

    // Open of a file that is not there or is no job keeps the job that was
    // there whole: its tasks and marks, its file name, its unsaved changes,
    // its log and where a Pause left it. A job, or a damaged one whose rows
    // before the damage are loaded, takes its place.
    void openKeepsTheJobUnlessAnotherTakesItsPlace_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "missing": no file at all
        QTest::addColumn<QString>("name");     // the job's file name afterwards; "{path}" for the file opened
        QTest::addColumn<QStringList>("inputs");
        const QStringList kept = {"/in/a", "/in/b"};
        QTest::newRow("missing") << QByteArray("missing") << "/jobs/kept.KRJ" << kept;
        QTest::newRow("empty") << QByteArray() << "/jobs/kept.KRJ" << kept;
        QTest::newRow("plain text") << QByteArray("Things to do:\n- call Ann\n") << "/jobs/kept.KRJ" << kept;
        QTest::newRow("NUL bytes") << QByteArray(64, '\0') << "/jobs/kept.KRJ" << kept;
        QTest::newRow("a job") << jobLines(1, 1) << "{path}" << QStringList{"/in/t1"};
        const char nul[] = "\t\t1\tC\t/in/t1\t12\r\n\t\t2\tC\t/in/t\0002\t12\r\n";
        QTest::newRow("damaged job") << QByteArray(nul, sizeof nul - 1) << "*" << QStringList{"/in/t1"};
    }

    void openKeepsTheJobUnlessAnotherTakesItsPlace()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QFETCH(QStringList, inputs);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("opened.KRJ"));
        if (bytes != "missing")
            QVERIFY(testutil::writeFile(path, bytes));
        EngineHarness h;
        h.addTask("/in/a", "/out/*.png", "C", "+");
        h.addTask("/in/b");
        clsConversionOptions failed;
        failed.sErr = QStringLiteral("bad");
        LogConversionError(h.form, 1, failed);
        h.engine.lResumeRow = 2;
        h.engine.lResumeFileIndex = 3;
        h.form.sConversionJobFileName = QStringLiteral("/jobs/kept.KRJ");
        h.form.bAskToSaveKRJFileBeforeExit = true;

        const JobLoadResult loaded = ConversionJobOpen(h.engine, path);

        QStringList loadedInputs;
        for (int r = 1; r < h.form.fgToDo.Rows() - 1; ++r)
            loadedInputs << h.form.fgToDo.TextMatrix(r, todocol::Input);
        QCOMPARE(loadedInputs, inputs);
        QCOMPARE(h.form.sConversionJobFileName, name.replace(QStringLiteral("{path}"), path));
        const bool keptWhole = name == QLatin1String("/jobs/kept.KRJ");
        QCOMPARE(loaded == JobLoadResult::Complete, bytes.startsWith("*^"));
        QCOMPARE(h.form.bAskToSaveKRJFileBeforeExit, keptWhole);
        QCOMPARE(h.logRows(), keptWhole ? 1 : 0);
        QCOMPARE(h.engine.lResumeRow, keptWhole ? 2 : 0);
        QCOMPARE(h.engine.lResumeFileIndex, keptWhole ? 3 : 0);
        if (keptWhole)
            QCOMPARE(h.passMarks(), (QStringList{"+", ""}));
    }
};

QTEST_GUILESS_MAIN(TestJobLoop)
#include "test_job_loop.moc"
