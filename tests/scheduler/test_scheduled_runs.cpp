// Scheduled runs through the main form's side of the scheduler: a real PDF
// job file run by the job loop at its target on a fake clock, the missing
// or unreadable job file, the unsaved job on screen, Pause, a window run
// in the way, the restart at load and the caption.
#include "../engine/EngineHarness.h"
#include "SchedulerTestSupport.h"
#include "TestUtil.h"

#include "engine/JobLoop.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"
#include "scheduler/SchedulerWindowHooks.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// A job file of conversion tasks on the given inputs, written as the
// window writes one.
bool writeJobFile(const QString& path, const QStringList& inputs, const QString& output)
{
    EngineHarness maker;
    for (const QString& input : inputs)
        maker.addTask(input, output);
    return SaveConversionJobFile(maker.form, path, maker.form.fgToDo);
}

QStringList taskInputs(const FlexGrid& grid)
{
    QStringList inputs;
    for (int r = 1; r < grid.Rows() - 1; ++r)
        inputs << grid.TextMatrix(r, todocol::Input);
    return inputs;
}

// A scheduler on a fake clock joined to a main form and its real engine.
class ScheduledForm
{
public:
    ScheduledForm()
    {
        G_IniFilePath = dir.filePath(QStringLiteral("settings.ini"));
        G_UserDataFolder = dir.filePath(QStringLiteral("user")) + u'/';
        QDir().mkpath(G_UserDataFolder);
        window.SetFrameCaption = [this](const QString& caption) { captions << caption; };
        ConnectScheduler(scheduler.model, engine.engine, window);
        // The scheduler's own recording hooks give way to the window's.
        scheduler.model.hooks.FocusInputError = {};
    }

    // A daily schedule of the job file at 10:00, begun at 09:59.
    void beginDailyAtTen(const QString& jobFile)
    {
        scheduler.model.fields.cbScheduledJobFile = jobFile;
        scheduler.begin(wall(2024, 5, 6, 9, 59), {"optCalendarBased", "optDaily", "cbHours=10", "cbMinutes=00"});
        QVERIFY(scheduler.model.Timer1Enabled());
    }

    // Two tasks on screen with unsaved changes, and a scheduled job file
    // of its own; gives that file's path.
    QString editedJobAndScheduledFile()
    {
        engine.addTask(QStringLiteral("/in/edited-1.pdf"));
        engine.addTask(QStringLiteral("/in/edited-2.pdf"));
        engine.form.bAskToSaveKRJFileBeforeExit = true;
        const QString job = dir.filePath(QStringLiteral("job.KRJ"));
        writeJobFile(job, {"/in/scheduled.pdf"}, "/out/*.png");
        return job;
    }

    void tick(const WallTime& at)
    {
        scheduler.setNow(at);
        scheduler.model.Timer1_Timer();
    }

    QTemporaryDir dir;
    EngineHarness engine;
    SchedulerHarness scheduler;
    SchedulerWindow window;
    QStringList captions;
};

// Records the task blocks the job loop runs instead of converting.
struct BlockRecorder
{
    explicit BlockRecorder(JobEngine& engine)
    {
        engine.performBlock = [this](int, clsConversionOptions& task) {
            inputs << task.sOriginalFile;
            if (during)
                during();
            return 0;
        };
    }
    QStringList inputs;
    std::function<void()> during;
};

} // namespace

class TestScheduledRuns : public QObject
{
    Q_OBJECT

private slots:
    void aPdfJobFileRunsAtItsTarget()
    {
        TESSAVIEW_REQUIRE_CORPUS("pdf/minimal-document.pdf");
        ScheduledForm s;
        const QString input = s.dir.filePath(QStringLiteral("in/minimal.pdf"));
        QVERIFY(QDir().mkpath(s.dir.filePath(QStringLiteral("in"))));
        QVERIFY(QFile::copy(testutil::corpusFile("pdf/minimal-document.pdf"), input));
        const QString job = s.dir.filePath(QStringLiteral("pdf job.KRJ"));
        QVERIFY(writeJobFile(job, {input}, s.dir.filePath(QStringLiteral("out/*.png"))));
        const QString output = s.dir.filePath(QStringLiteral("out/minimal.png"));

        s.beginDailyAtTen(job);
        s.tick(wall(2024, 5, 6, 9, 59, 30));
        QVERIFY(!QFileInfo::exists(output));
        QCOMPARE(s.captions.last(), QStringLiteral("30 seconds before next run."));

        s.tick(wall(2024, 5, 6, 10, 0));
        QCOMPARE(s.captions.value(1), QStringLiteral("Job is Running"));
        QCOMPARE(identifiedFormat(output), QStringLiteral("PNG"));
        QCOMPARE(taskInputs(s.engine.form.fgToDo), QStringList{input});
        QCOMPARE(s.engine.passMarks(), QStringList{"+"});
        QCOMPARE(s.engine.logRows(), 0);
        QCOMPARE(s.engine.form.sConversionJobFileName, job);
        QVERIFY(!s.engine.form.bRunning);
        QVERIFY(s.scheduler.sink.texts.isEmpty());
        // On to tomorrow; the next tick counts down to it.
        QCOMPARE(s.scheduler.model.dtRunTarget, wall(2024, 5, 7, 10, 0));
        s.tick(wall(2024, 5, 6, 10, 0, 5));
        QCOMPARE(s.captions.last(), QStringLiteral("23 hours : 59 minutes : 55 seconds before next run."));
    }

    void aMissingJobFileRunsNothing()
    {
        ScheduledForm s;
        BlockRecorder blocks(s.engine.engine);
        s.engine.addTask(QStringLiteral("/in/on-screen.pdf"));
        const QString job = s.dir.filePath(QStringLiteral("gone.KRJ"));
        QVERIFY(writeJobFile(job, {"/in/scheduled.pdf"}, "/out/*.png"));
        s.beginDailyAtTen(job);
        QVERIFY(QFile::remove(job));

        s.tick(wall(2024, 5, 6, 10, 0));
        // Neither the scheduled job nor the one on screen ran.
        QVERIFY(blocks.inputs.isEmpty());
        QCOMPARE(s.engine.passMarks(), QStringList{QString()});
        QCOMPARE(taskInputs(s.engine.form.fgToDo), QStringList{"/in/on-screen.pdf"});
        // Logged, without a box.
        QVERIFY(s.scheduler.sink.texts.isEmpty());
        QCOMPARE(s.engine.logRows(), 1);
        QCOMPARE(s.engine.form.fgLog.TextMatrix(1, todocol::Status), QStringLiteral("Job file does not exist"));
        QCOMPARE(s.engine.form.fgLog.TextMatrix(1, todocol::Output), job);
        QCOMPARE(s.engine.form.fgLog.TextMatrix(1, todocol::Pass), QStringLiteral("-"));
        QVERIFY(s.engine.panels[statuspanel::Status].contains(job));
        // The schedule goes on.
        QVERIFY(s.scheduler.model.Timer1Enabled());
        QCOMPARE(s.scheduler.model.dtRunTarget, wall(2024, 5, 7, 10, 0));
    }

    void aJobFileThatFailsToLoadRunsNothingAndShowsNoBox()
    {
        ScheduledForm s;
        BlockRecorder blocks(s.engine.engine);
        s.engine.addTask(QStringLiteral("/in/on-screen.pdf"));
        s.engine.form.bAskToSaveKRJFileBeforeExit = false;
        s.engine.form.sConversionJobFileName = QStringLiteral("/jobs/on-screen.KRJ");
        const QString job = s.dir.filePath(QStringLiteral("job.KRJ"));
        QVERIFY(writeJobFile(job, {"/in/scheduled.pdf"}, "/out/*.png"));
        // The window's Open meets a file it cannot read.
        s.window.ConversionJobOpen = [&s](QString& path) {
            ShowMessage(QStringLiteral("Unable to read the conversion job file:\r\n\r\n") + path);
            s.engine.form.sConversionJobFileName = QStringLiteral("*");
            return JobLoadResult::Failed;
        };
        ConnectScheduler(s.scheduler.model, s.engine.engine, s.window);
        s.beginDailyAtTen(job);

        s.tick(wall(2024, 5, 6, 10, 0));
        QVERIFY(blocks.inputs.isEmpty());
        QVERIFY(s.scheduler.sink.texts.isEmpty());
        QCOMPARE(s.engine.logRows(), 1);
        QCOMPARE(s.engine.form.fgLog.TextMatrix(1, todocol::Status),
                 QStringLiteral("Unable to read the conversion job file: ") + job);
    }

    // A scheduled file that is no job (replaced by some other file) runs
    // nothing and says so in the log, without a box; the job on screen
    // keeps its name, its unsaved changes and its log.
    void aFileThatIsNoJobRunsNothingAndIsLogged()
    {
        ScheduledForm s;
        BlockRecorder blocks(s.engine.engine);
        s.engine.addTask(QStringLiteral("/in/on-screen.pdf"));
        s.engine.form.bAskToSaveKRJFileBeforeExit = false;
        s.engine.form.sConversionJobFileName = QStringLiteral("/jobs/on-screen.KRJ");
        const QString job = s.dir.filePath(QStringLiteral("job.KRJ"));
        QVERIFY(writeJobFile(job, {"/in/scheduled.pdf"}, "/out/*.png"));
        s.beginDailyAtTen(job);
        QVERIFY(testutil::writeFile(job, "Shopping list\nmilk\n"));

        s.tick(wall(2024, 5, 6, 10, 0));
        QVERIFY(blocks.inputs.isEmpty());
        QVERIFY(s.scheduler.sink.texts.isEmpty());
        QCOMPARE(s.engine.logRows(), 1);
        QCOMPARE(s.engine.form.fgLog.TextMatrix(1, todocol::Status),
                 QStringLiteral("The file is not a conversion job file: ") + job
                     + QStringLiteral(" none of its lines is a task or the job's new-task line."));
        QCOMPARE(taskInputs(s.engine.form.fgToDo), QStringList{"/in/on-screen.pdf"});
        QCOMPARE(s.engine.form.sConversionJobFileName, QStringLiteral("/jobs/on-screen.KRJ"));

        // The next day the failure of the day before is still in the log.
        s.tick(wall(2024, 5, 7, 10, 0));
        QCOMPARE(s.engine.logRows(), 2);
        QCOMPARE(s.engine.form.sConversionJobFileName, QStringLiteral("/jobs/on-screen.KRJ"));
    }

    void unsavedChangesGoToARecoveryJobFileFirst()
    {
        ScheduledForm s;
        BlockRecorder blocks(s.engine.engine);
        const QString job = s.editedJobAndScheduledFile();
        s.beginDailyAtTen(job);

        s.tick(wall(2024, 5, 6, 10, 0));
        QCOMPARE(blocks.inputs, QStringList{"/in/scheduled.pdf"});
        QVERIFY(s.scheduler.sink.texts.isEmpty());
        const QStringList recovered = QDir(G_UserDataFolder).entryList({"*.KRJ"}, QDir::Files);
        QCOMPARE(recovered.size(), 1);
        const QString recovery = QDir(G_UserDataFolder).filePath(recovered.first());
        QCOMPARE(s.engine.panels[statuspanel::Status],
                 QStringLiteral("Unsaved changes of the job were saved to ") + recovery);
        EngineHarness reader;
        QCOMPARE(LoadConversionJobFile(reader.form, recovery, 1, reader.form.fgToDo), JobLoadResult::Complete);
        QCOMPARE(taskInputs(reader.form.fgToDo), (QStringList{"/in/edited-1.pdf", "/in/edited-2.pdf"}));
        QVERIFY(!s.engine.form.bAskToSaveKRJFileBeforeExit);

        // A saved job on screen needs no recovery file.
        s.tick(wall(2024, 5, 7, 10, 0));
        QCOMPARE(blocks.inputs.size(), 2);
        QCOMPARE(QDir(G_UserDataFolder).entryList({"*.KRJ"}, QDir::Files).size(), 1);
    }

    void unsavedChangesThatCannotBeKeptStopTheRun()
    {
        ScheduledForm s;
        BlockRecorder blocks(s.engine.engine);
        const QString job = s.editedJobAndScheduledFile();
        // The user-data folder lies below a plain file: nothing can be written there.
        const QString blocker = s.dir.filePath(QStringLiteral("blocker"));
        QVERIFY(testutil::writeFile(blocker, "x"));
        G_UserDataFolder = blocker + QStringLiteral("/user/");
        s.beginDailyAtTen(job);

        s.tick(wall(2024, 5, 6, 10, 0));
        QVERIFY(blocks.inputs.isEmpty());
        QCOMPARE(taskInputs(s.engine.form.fgToDo), (QStringList{"/in/edited-1.pdf", "/in/edited-2.pdf"}));
        QVERIFY(s.engine.form.bAskToSaveKRJFileBeforeExit);
        QVERIFY(s.scheduler.sink.texts.isEmpty());
        QCOMPARE(s.engine.logRows(), 1);
        QVERIFY(s.engine.form.fgLog.TextMatrix(1, todocol::Status).contains(QStringLiteral("could not be saved")));
    }

    void pauseDuringAScheduledRunEndsTheSchedule()
    {
        ScheduledForm s;
        BlockRecorder blocks(s.engine.engine);
        const QString job = s.dir.filePath(QStringLiteral("job.KRJ"));
        QVERIFY(writeJobFile(job, {"/in/a.pdf", "/in/b.pdf"}, "/out/*.png"));
        s.beginDailyAtTen(job);
        blocks.during = [&s] { ConversionJobPause(s.engine.engine); };

        s.tick(wall(2024, 5, 6, 10, 0));
        QCOMPARE(blocks.inputs, QStringList{"/in/a.pdf"});
        QVERIFY(!s.scheduler.model.Timer1Enabled());
        QVERIFY(!s.scheduler.model.bControlsLocked);
        QCOMPARE(s.captions.last(), kProductName);
        QCOMPARE(s.scheduler.model.dtRunTarget, wall(2024, 5, 6, 10, 0));
    }

    void aRunOfTheWindowHoldsTheTicksBack()
    {
        ScheduledForm s;
        BlockRecorder blocks(s.engine.engine);
        const QString job = s.dir.filePath(QStringLiteral("job.KRJ"));
        QVERIFY(writeJobFile(job, {"/in/scheduled.pdf"}, "/out/*.png"));
        s.scheduler.model.fields.cbScheduledJobFile = job;
        s.scheduler.begin(wall(2024, 5, 6, 9, 59, 50), {"optTimeBased", "txtSeconds=10"});

        // The window's own run (or a job file loading) is under way.
        s.engine.form.bRunning = true;
        s.tick(wall(2024, 5, 6, 10, 0));
        s.tick(wall(2024, 5, 6, 10, 0, 3));
        QVERIFY(blocks.inputs.isEmpty());
        QCOMPARE(s.captions.size(), 2);
        s.engine.form.bRunning = false;
        s.tick(wall(2024, 5, 6, 10, 0, 4));
        QCOMPARE(blocks.inputs, QStringList{"/in/scheduled.pdf"});
    }

    void theScheduleRestartsAtLoadWhenSavedSo_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::newRow("restart at load") << true;
        QTest::newRow("no restart") << false;
    }

    void theScheduleRestartsAtLoadWhenSavedSo()
    {
        QFETCH(bool, restart);
        ScheduledForm s;
        const QString job = s.dir.filePath(QStringLiteral("job.KRJ"));
        QVERIFY(writeJobFile(job, {"/in/scheduled.pdf"}, "/out/*.png"));
        s.scheduler.model.fields.cbScheduledJobFile = job;
        s.scheduler.model.SetUpScheduler(G_IniFilePath);
        s.scheduler.model.fields.cbScheduledJobFile = job;
        s.scheduler.begin(wall(2024, 5, 6, 9, 0), {"optTimeBased", "txtMinutes=5", "chkPersistRunning"});
        s.scheduler.model.Form_Unload();

        // The next start of the program.
        SchedulerHarness next;
        MainFormState form;
        form.bRestartSchedulerAtLoad = restart;
        next.setNow(wall(2024, 5, 7, 8, 0));
        LoadScheduler(next.model, form);
        QCOMPARE(next.model.Timer1Enabled(), restart);
        QCOMPARE(next.model.fields.cbScheduledJobFile, job);
        if (restart) {
            QCOMPARE(next.model.strTimerFile, job);
            QCOMPARE(WallTimeOf(next.model.dtTimeTarget, testZone()), wall(2024, 5, 7, 8, 5));
        }
        QVERIFY(next.sink.texts.isEmpty());
    }

    void theCaptionCountsDown_data()
    {
        QTest::addColumn<QList<qint64>>("left");
        QTest::addColumn<QString>("caption");
        QTest::newRow("nothing left") << QList<qint64>{0, 0, 0, 0} << "Job is Running";
        QTest::newRow("seconds") << QList<qint64>{0, 0, 0, 5} << "5 seconds before next run.";
        QTest::newRow("days and minutes") << QList<qint64>{1, 0, 3, 0}
                                          << "1 days : 3 minutes : 0 seconds before next run.";
        QTest::newRow("hours") << QList<qint64>{0, 2, 0, 0} << "2 hours : 0 seconds before next run.";
    }

    void theCaptionCountsDown()
    {
        QFETCH(QList<qint64>, left);
        QFETCH(QString, caption);
        QCOMPARE(TimeRemainingCaption(left[0], left[1], left[2], left[3]), caption);
    }

    void closingTheFormWithoutAScheduleRestoresTheCaption()
    {
        ScheduledForm s;
        SchedulerFormClosed(s.scheduler.model, s.engine.form, s.window);
        QCOMPARE(s.captions, QStringList{kProductName});
        const int updates = s.engine.menuUpdates;
        s.beginDailyAtTen(s.scheduler.jobFile);
        SchedulerFormClosed(s.scheduler.model, s.engine.form, s.window);
        QCOMPARE(s.captions.size(), 1);
        QCOMPARE(s.engine.menuUpdates, updates + 1);
        QVERIFY(s.engine.engine.hooks.bSchedularEnabled());
    }
};

QTEST_GUILESS_MAIN(TestScheduledRuns)
#include "test_scheduled_runs.moc"
