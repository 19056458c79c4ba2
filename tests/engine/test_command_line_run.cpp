// The command-line run after parsing: job files and single tasks, the log
// file's lines, the run code and the /B job of failed items. The records
// are filled as the parser fills them.
#include "EngineHarness.h"
#include "TestUtil.h"

#include "startup/CommandLineRun.h"
#include "core/FileTypes.h"
#include "engine/LogRows.h"
#include "jobs/JobFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <stdexcept>

namespace {

const QString kDemoPdf = QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample PDF Document.pdf");
const QString kFourPages = QStringLiteral(TESSAVIEW_CORPUS "/pdf/pdflatex-4-pages.pdf");

QStringList logLines(const QString& path)
{
    const QString text = QString::fromUtf8(testutil::readFile(path));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// What the parser makes of /S <in>/*.pdf /R /T <out>/*.png /1 1-2 /L <log> /P.
clsConversionOptions pdfToPngLine(const QString& in, const QString& out, const QString& log)
{
    clsConversionOptions o;
    o.sOriginalFile = in + QStringLiteral("/*.pdf");
    o.lOriginalFileType = filetype::Pdf;
    o.sTargetFile = out + QStringLiteral("/*.png");
    o.lTargetFileType = filetype::Png;
    o.bDoSubFolders = true;
    o.sLogFile = log;
    o.bPostErrorLevel = true;
    o.sExtraParams = QStringLiteral("1-2^0^FALSE^75^100^0^0^0^") + QString(12, u'^');
    return o;
}

// What the parser makes of /S <input> /T <output> /L <log>.
clsConversionOptions singleTaskLine(const QString& input, const QString& output, const QString& log)
{
    clsConversionOptions o;
    o.sOriginalFile = input;
    o.sTargetFile = output;
    o.sLogFile = log;
    return o;
}

clsConversionOptions jobLine(const QString& job, const QString& log)
{
    clsConversionOptions o;
    o.sCLBatchJobFile = job;
    o.sLogFile = log;
    return o;
}

// A job of task lines whose inputs are /in/<name>.
void writeJob(const QString& path, const QStringList& inputs)
{
    QByteArray bytes;
    for (int k = 0; k < inputs.size(); ++k)
        bytes += QStringLiteral("*^0^FALSE^75^100^0^0^0^\t\t%1\tC\t%2\t12\t\t/out/*.png\t8\tpng\t+\t\r\n")
                     .arg(k + 1)
                     .arg(inputs[k])
                     .toUtf8();
    QVERIFY(testutil::writeFile(path, bytes));
}

void copyFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    QFile::remove(to);
    QVERIFY2(QFile::copy(from, to), qPrintable(from));
}

} // namespace

class TestCommandLineRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/pdflatex-4-pages.pdf")); }

    void init()
    {
        G_sLastRunError.clear();
    }

    void everyPdfConvertsWithSubFoldersMirrored()
    {
        QTemporaryDir dir;
        copyFile(kDemoPdf, dir.filePath("in/Sample.pdf"));
        copyFile(kFourPages, dir.filePath("in/sub/Four.pdf"));
        EngineHarness h;
        G_bCommandLineMode = true;
        clsConversionOptions o = pdfToPngLine(dir.filePath("in"), dir.filePath("out"), dir.filePath("run.log"));

        QCOMPARE(RunParsedCommandLine(h.engine, o), runcode::Success);

        for (const char* page : {"out/Sample-00001.png", "out/Sample-00002.png", "out/sub/Four-00001.png",
                                 "out/sub/Four-00002.png"})
            QCOMPARE(identifiedFormat(dir.filePath(QString::fromLatin1(page))), QStringLiteral("PNG"));
        QVERIFY(!QFileInfo::exists(dir.filePath("out/sub/Four-00003.png")));
        const QStringList lines = logLines(dir.filePath("run.log"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("Conversion Successful"));
        QVERIFY(lines[1].startsWith(QStringLiteral("Time to complete job: ")));
        QVERIFY(!h.form.bRunning);
    }

    void corruptPdfFailsAloneAndItsJobRunsAgain()
    {
        QTemporaryDir dir;
        copyFile(kDemoPdf, dir.filePath("in/Sample.pdf"));
        const QString bad = dir.filePath("in/sub/bäd.pdf");
        QDir().mkpath(dir.filePath("in/sub"));
        QVERIFY(testutil::writeFile(bad, "%PDF-1.4\nnot really\n"));
        const QString failedJob = dir.filePath("failed.krj");
        EngineHarness h;
        G_bCommandLineMode = true;
        clsConversionOptions o = pdfToPngLine(dir.filePath("in"), dir.filePath("out"), dir.filePath("run.log"));
        o.sLogAsConversionJobFile = failedJob;

        QCOMPARE(RunParsedCommandLine(h.engine, o), runcode::RunFailed);

        QCOMPARE(identifiedFormat(dir.filePath("out/Sample-00002.png")), QStringLiteral("PNG"));
        const QStringList lines = logLines(dir.filePath("run.log"));
        QCOMPARE(lines.size(), 2);
        // The message, the rasteriser's reason, the input.
        const QString prefix = QStringLiteral("Job # 1  Unable to open the input file. - ");
        QVERIFY2(lines[0].startsWith(prefix) && lines[0].endsWith(QStringLiteral(" - ") + bad)
                     && lines[0].size() > prefix.size() + 3 + bad.size(),
                 qPrintable(lines[0]));
        QVERIFY2(G_sLastRunError.startsWith(QStringLiteral("Unable to open the input file. - ")), qPrintable(G_sLastRunError));

        // The /B job holds the failed item; once its input is mended it runs.
        EngineHarness again;
        QCOMPARE(LoadConversionJobFile(again.form, failedJob, 1, again.form.fgToDo), JobLoadResult::Complete);
        QCOMPARE(again.form.fgToDo.Rows(), 3);
        QCOMPARE(again.form.fgToDo.TextMatrix(1, todocol::Input), bad);
        copyFile(kFourPages, bad);
        clsConversionOptions rerun = jobLine(failedJob, dir.filePath("rerun.log"));
        QCOMPARE(RunParsedCommandLine(again.engine, rerun), runcode::Success);
        QCOMPARE(identifiedFormat(dir.filePath("out/sub/bäd-00001.png")), QStringLiteral("PNG"));
        QCOMPARE(identifiedFormat(dir.filePath("out/sub/bäd-00002.png")), QStringLiteral("PNG"));
        QCOMPARE(logLines(dir.filePath("rerun.log")).first(), QStringLiteral("Conversion Successful"));
    }

    void jobOutcomes_data()
    {
        QTest::addColumn<QStringList>("failures");      // input -> "-": item failure, "0"/"3": launch exit code
        QTest::addColumn<QStringList>("expectedLines");  // without the time line
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("failedJobInputs");

        QTest::newRow("two of three fail")
            << QStringList{"/in/a=-", "/in/c=-"}
            << QStringList{"Job # 1  bad /in/a - /in/a", "Job # 3  bad /in/c - /in/c"} << runcode::RunFailed
            << QStringList{"/in/a", "/in/c"};
        QTest::newRow("nothing fails") << QStringList{} << QStringList{"Conversion Successful"}
                                       << runcode::Success << QStringList{};
        QTest::newRow("a launch that exits with 0 is no failure")
            << QStringList{"/in/b=0"} << QStringList{"Job # 2  Exit Code: 0 - /in/b", "Conversion Successful"}
            << runcode::Success << QStringList{};
        QTest::newRow("a launch that exits with 3 fails")
            << QStringList{"/in/b=3"} << QStringList{"Job # 2  Exit Code: 3 - /in/b"} << runcode::RunFailed
            << QStringList{"/in/b"};
        QTest::newRow("only failed items go into the /B job")
            << QStringList{"/in/a=0", "/in/b=-"}
            << QStringList{"Job # 1  Exit Code: 0 - /in/a", "Job # 2  bad /in/b - /in/b"} << runcode::RunFailed
            << QStringList{"/in/b"};
    }

    void jobOutcomes()
    {
        QFETCH(QStringList, failures);
        QFETCH(QStringList, expectedLines);
        QFETCH(int, code);
        QFETCH(QStringList, failedJobInputs);
        QTemporaryDir dir;
        const QString job = dir.filePath("job.krj");
        writeJob(job, {"/in/a", "/in/b", "/in/c"});
        EngineHarness h;
        G_bCommandLineMode = true;
        QMap<QString, QString> outcome;
        for (const QString& f : failures)
            outcome[f.section(u'=', 0, 0)] = f.section(u'=', 1);
        h.engine.performBlock = [&](int row, clsConversionOptions& task) {
            const QString what = outcome.value(task.sOriginalFile);
            if (what == "-") {
                task.lErr = -13;
                task.sErr = "bad " + task.sOriginalFile;
                LogConversionError(h.form, row, task);
                return task.lErr;
            }
            if (!what.isEmpty()) {
                task.lCommandLineExitCode = what.toInt();
                LogExitCode(h.form, row, task);
            }
            return 0;
        };
        clsConversionOptions o = jobLine(job, dir.filePath("run.log"));
        o.sLogAsConversionJobFile = dir.filePath("failed.krj");

        QCOMPARE(RunParsedCommandLine(h.engine, o), code);

        QStringList lines = logLines(dir.filePath("run.log"));
        QVERIFY(lines.last().startsWith(QStringLiteral("Time to complete job: ")));
        lines.removeLast();
        QCOMPARE(lines, expectedLines);
        QCOMPARE(QFileInfo::exists(dir.filePath("failed.krj")), !failedJobInputs.isEmpty());
        if (!failedJobInputs.isEmpty()) {
            EngineHarness reread;
            LoadConversionJobFile(reread.form, dir.filePath("failed.krj"), 1, reread.form.fgToDo);
            QStringList inputs;
            for (int r = 1; r < reread.form.fgToDo.Rows() - 1; ++r)
                inputs << reread.form.fgToDo.TextMatrix(r, todocol::Input);
            QCOMPARE(inputs, failedJobInputs);
        }
    }

    void failedJobThatCannotBeWrittenIsLogged()
    {
        QTemporaryDir dir;
        EngineHarness h;
        G_bCommandLineMode = true;
        h.engine.performBlock = [&](int row, clsConversionOptions& task) {
            task.lErr = -10;
            task.sErr = QStringLiteral("open failed");
            LogConversionError(h.form, row, task);
            return task.lErr;
        };
        clsConversionOptions o = singleTaskLine("/in/a.pdf", "/out/a.png", dir.filePath("run.log"));
        o.sLogAsConversionJobFile = dir.filePath("no/such/folder/failed.krj");

        QCOMPARE(RunParsedCommandLine(h.engine, o), runcode::RunFailed);
        QCOMPARE(G_sLastRunError, QStringLiteral("open failed"));
        // The line says which file and what the system answered.
        QCOMPARE(logLines(dir.filePath("run.log")).last(),
                 QStringLiteral("Unable to create file. Try a different folder such as 'My Documents' - ")
                     + o.sLogAsConversionJobFile + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(ENOENT)));
    }

    void jobFileThatCannotBeReadIsNoSuccess()
    {
        QTemporaryDir dir;
        EngineHarness h;
        G_bCommandLineMode = true;
        clsConversionOptions o = jobLine(dir.filePath("gone.krj"), dir.filePath("run.log"));

        QCOMPARE(RunParsedCommandLine(h.engine, o), runcode::RunFailed);
        QCOMPARE(logLines(dir.filePath("run.log")).first(),
                 QStringLiteral("Unable to read the conversion job file: ") + dir.filePath("gone.krj"));
    }

    void unexpectedErrorFailsTheRun()
    {
        QTemporaryDir dir;
        EngineHarness h;
        G_bCommandLineMode = true;
        h.engine.performBlock = [](int, clsConversionOptions&) -> int { throw std::runtime_error("lost"); };
        clsConversionOptions o = singleTaskLine("/in/a.pdf", "/out/a.png", dir.filePath("run.log"));

        QCOMPARE(RunParsedCommandLine(h.engine, o), runcode::RunFailed);
        QCOMPARE(G_sLastRunError, QStringLiteral("lost"));
        QVERIFY(!h.form.bRunning);
    }

    void aRunInProgressRefusesAnother_data()
    {
        QTest::addColumn<bool>("jobFile"); // the run in progress runs a job file, else a single task
        QTest::addColumn<QString>("asker"); // who asks for a second run meanwhile
        for (bool jobFile : {true, false}) {
            const char* run = jobFile ? "a job" : "a single task";
            for (const char* asker : {"the job loop", "a command line", "another engine's job loop"})
                QTest::addRow("%s; %s asked", run, asker) << jobFile << QString::fromLatin1(asker);
        }
    }

    void aRunInProgressRefusesAnother()
    {
        QFETCH(bool, jobFile);
        QFETCH(QString, asker);
        QTemporaryDir dir;
        const QString job = dir.filePath("job.krj");
        writeJob(job, {"/in/a", "/in/b"});
        EngineHarness h;
        // The window's engine works on the same form.
        JobEngine windowEngine(h.form);
        windowEngine.performBlock = [](int, clsConversionOptions&) { return 0; };
        G_bCommandLineMode = true;
        QStringList ran;
        bool loopRefused = false;
        int secondCode = 0;
        h.engine.performBlock = [&](int, clsConversionOptions& task) {
            ran << task.sOriginalFile;
            if (ran.size() == 1) {
                // As when the run yields and something asks for another run.
                if (asker == "the job loop") {
                    loopRefused = !ConversionJobBegin(h.engine);
                } else if (asker == "another engine's job loop") {
                    loopRefused = !ConversionJobBegin(windowEngine);
                } else {
                    clsConversionOptions second = jobLine(job, dir.filePath("second.log"));
                    secondCode = RunParsedCommandLine(h.engine, second);
                }
            }
            return 0;
        };
        clsConversionOptions first = jobFile ? jobLine(job, dir.filePath("run.log"))
                                             : singleTaskLine("/in/single.pdf", "/out/single.png", dir.filePath("run.log"));

        QCOMPARE(RunParsedCommandLine(h.engine, first), runcode::Success);

        // Nothing ran nested, and the run in progress went on to its end.
        QCOMPARE(ran, (jobFile ? QStringList{"/in/a", "/in/b"} : QStringList{"/in/single.pdf"}));
        QCOMPARE(logLines(dir.filePath("run.log")).first(), QStringLiteral("Conversion Successful"));
        if (jobFile)
            QCOMPARE(h.passMarks(), (QStringList{"+", "+"}));
        if (asker != "a command line") {
            QVERIFY(loopRefused);
        } else {
            QCOMPARE(secondCode, runcode::RunFailed);
            QCOMPARE(logLines(dir.filePath("second.log")), QStringList{"A conversion job is already running."});
        }
        QVERIFY(!h.engine.bRunInProgress());
    }

    void aRunStoppedBeforeItsEndIsNoSuccess_data()
    {
        QTest::addColumn<bool>("jobFile");
        QTest::newRow("a job") << true;
        QTest::newRow("a single task") << false;
    }

    void aRunStoppedBeforeItsEndIsNoSuccess()
    {
        QFETCH(bool, jobFile);
        QTemporaryDir dir;
        const QString job = dir.filePath("job.krj");
        writeJob(job, {"/in/a", "/in/b"});
        EngineHarness h;
        G_bCommandLineMode = true;
        int blocks = 0;
        h.engine.performBlock = [&](int, clsConversionOptions&) {
            ++blocks;
            h.form.bRunning = false; // as the automation object's release stops a run
            return 0;
        };
        clsConversionOptions o = jobFile ? jobLine(job, dir.filePath("run.log"))
                                         : singleTaskLine("/in/*.pdf", "/out/*.png", dir.filePath("run.log"));

        QCOMPARE(RunParsedCommandLine(h.engine, o), runcode::RunFailed);

        QCOMPARE(blocks, 1);
        const QStringList lines = logLines(dir.filePath("run.log"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first(), QStringLiteral("Conversion Process paused."));
        QVERIFY(lines.last().startsWith(QStringLiteral("Time to complete job: ")));
        QCOMPARE(G_sLastRunError, QStringLiteral("Conversion Process paused."));
    }

    void aSecondSingleTaskOnTheSameEngineStartsAfresh()
    {
        QTemporaryDir dir;
        EngineHarness h;
        G_bCommandLineMode = true;
        int calls = 0;
        int resumeIndexSeen = -1;
        h.engine.performBlock = [&](int row, clsConversionOptions& task) {
            resumeIndexSeen = h.engine.lResumeFileIndex;
            if (++calls > 1)
                return 0;
            task.lErr = -10;
            task.sErr = QStringLiteral("open failed");
            LogConversionError(h.form, row, task);
            h.engine.lResumeFileIndex = 3; // as a Pause would leave it
            return task.lErr;
        };
        clsConversionOptions first = singleTaskLine("/in/*.pdf", "/out/*.png", dir.filePath("first.log"));
        QCOMPARE(RunParsedCommandLine(h.engine, first), runcode::RunFailed);
        QCOMPARE(logLines(dir.filePath("first.log")).first(), QStringLiteral("Job # 1  open failed - /in/*.pdf"));

        clsConversionOptions second = singleTaskLine("/in/*.pdf", "/out/*.png", dir.filePath("second.log"));
        QCOMPARE(RunParsedCommandLine(h.engine, second), runcode::Success);
        // Its own items only, from its first file.
        QCOMPARE(logLines(dir.filePath("second.log")).first(), QStringLiteral("Conversion Successful"));
        QCOMPARE(resumeIndexSeen, 0);
    }

    void openWithoutRunningShowsTheWindow()
    {
        QTemporaryDir dir;
        const QString job = dir.filePath("job.krj");
        writeJob(job, {"/in/a", "/in/b"});
        EngineHarness h;
        QStringList steps;
        StartupHooks hooks;
        // The window's read of the settings file keeps the line's /Z and /W.
        hooks.ReadIniFile = [&](MainFormState& form) {
            steps << "settings";
            form.sInputFile_Password = form.sVyxPDFUserPassword = QStringLiteral("from the file");
            form.bOverridePDFSettings = false;
            form.bRetainInputFileTimeStamp = true;
        };
        h.form.sInputFile_Password = QStringLiteral("/Z");
        h.form.sVyxPDFUserPassword = QStringLiteral("/W");
        h.form.bOverridePDFSettings = true;
        hooks.ShowMainWindow = [&](MainFormState&) { steps << "show"; };
        h.engine.performBlock = [&](int, clsConversionOptions&) {
            steps << "ran";
            return 0;
        };
        clsConversionOptions o = jobLine(job, dir.filePath("run.log"));
        o.bOpenButDoNotRun = true;

        QCOMPARE(RunParsedCommandLine(h.engine, o, hooks), runcode::StayOpen);
        QCOMPARE(steps, (QStringList{"settings", "show"}));
        QVERIFY(h.form.bRetainInputFileTimeStamp);
        QCOMPARE(h.form.sInputFile_Password, QStringLiteral("/Z"));
        QCOMPARE(h.form.sVyxPDFUserPassword, QStringLiteral("/W"));
        QVERIFY(h.form.bOverridePDFSettings);
        QCOMPARE(h.form.fgToDo.Rows(), 4);
        QVERIFY(!h.form.bRunning);
        QVERIFY(!QFileInfo::exists(dir.filePath("run.log")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLineRun)
#include "test_command_line_run.moc"
