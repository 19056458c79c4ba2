#include "startup/CommandLineRun.h"

#include "base/MessageSink.h"
#include "base/StopSignals.h"
#include "core/FileTimes.h"
#include "core/Globals.h"
#include "core/LogFile.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobLoop.h"
#include "engine/LogRows.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"

#include <exception>

namespace {


// Marks the single task's run on the form, however it ends.
class TaskRunScope
{
public:
    explicit TaskRunScope(MainFormState& form) : m_form(form) { m_form.bRunInProgress = true; }
    ~TaskRunScope() { m_form.bRunInProgress = false; }
    TaskRunScope(const TaskRunScope&) = delete;
    TaskRunScope& operator=(const TaskRunScope&) = delete;

private:
    MainFormState& m_form;
};

class RunLog
{
public:
    explicit RunLog(const clsConversionOptions& options) : m_options(options) {}
    void write(const QString& line) const
    {
        WriteMessageToLogFile(line, m_options.sLogFile, m_options.bVerbose);
    }

private:
    const clsConversionOptions& m_options;
};

// The failed items go into the /B job. An item the file cannot hold gets a
// line of its own; the others are written all the same.
void saveFailedItems(const QString& path, const FlexGrid& log, const RunLog& runLog)
{
    QString reason;
    QList<int> leftOut;
    const bool written = SaveLogGridToFile(path, log, &reason, &leftOut);
    for (const int row : leftOut)
        runLog.write(LeftOutLogRowText(log, row));
    if (written && FileExists(path))
        return;
    if (reason.isEmpty())
        reason = Translate(QStringLiteral("The file is not there after it was written."));
    runLog.write(TextWithReason(Translate(QStringLiteral("Unable to create file. Try a different folder such as 'My Documents'")),
                                path + QStringLiteral(": ") + reason));
}

int run(JobEngine& engine, clsConversionOptions& options, const StartupHooks& hooks)
{
    MainFormState& form = engine.form;
    const RunLog log(options);
    if (engine.bRunInProgress()) {
        // The run in progress yielded to the event loop and something asked
        // for another: that one is not run nested.
        options.sErr = Translate(QStringLiteral("A conversion job is already running."));
        log.write(options.sErr);
        G_sLastRunError = options.sErr;
        return runcode::RunFailed;
    }
    // The window is not shown before a command line runs, so there is no
    // frame to hide here.
    form.bRunning = true;
    form.lTotalTimeStart = engine.tickCount();

    bool failed = false;
    bool stopped = false;
    if (!options.sCLBatchJobFile.isEmpty()) {
        if (options.bOpenButDoNotRun) {
            form.bRunning = false;
            // Read again for the window; the passwords of /Z and /W stay.
            const QString inputPassword = form.sInputFile_Password;
            const bool overridePdf = form.bOverridePDFSettings;
            const QString pdfPassword = form.sVyxPDFUserPassword;
            ReloadMainFormSettings(form, hooks);
            form.sInputFile_Password = inputPassword;
            form.bOverridePDFSettings = overridePdf;
            form.sVyxPDFUserPassword = pdfPassword;
            ConversionJobOpen(engine, options.sCLBatchJobFile);
            ShowMainWindow(form, hooks);
            return runcode::StayOpen;
        }
        QString reason;
        JobLoadResult loaded = JobLoadResult::NotFound;
        {
            // A refusal is told once, by the log line below (a box with /V).
            CapturedMessages told;
            loaded = ConversionJobOpen(engine, options.sCLBatchJobFile, &reason);
        }
        if (loaded == JobLoadResult::NotFound || loaded == JobLoadResult::Failed) {
            // A job that could not be read ran nothing: that is no success.
            if (reason.isEmpty())
                reason = Translate(QStringLiteral("Unable to read the conversion job file:")) + u' '
                         + options.sCLBatchJobFile;
            log.write(reason);
            options.sErr = reason;
            failed = true;
        } else {
            const bool completed = ConversionJobBegin(engine);
            if (!engine.sRunAbortError.isEmpty()) {
                log.write(Translate(QStringLiteral("Error")) + QStringLiteral(": ") + engine.sRunAbortError);
                options.sErr = engine.sRunAbortError;
                form.bRunning = false;
                G_sLastRunError = options.sErr;
                return runcode::RunFailed;
            }
            failed = CountFailedLogRows(form.fgLog) > 0;
            stopped = !completed && !failed;
        }
    } else {
        options.lErr = 0;
        options.sErr.clear();
        // Each run logs its own items and starts at its first file: an
        // engine that serves several runs (automation) keeps its form and
        // resume point between them.
        SetUpLogGrid(form.fgLog);
        engine.lResumeFileIndex = 0;
        int result = 0;
        {
            const TaskRunScope scope(form);
            result = engine.performBlock(1, options);
        }
        failed = result != 0;
        stopped = !failed && !form.bRunning;
    }
    if (stopped) {
        // Stopped before its end (the automation client let go): what was
        // not run is no success.
        options.sErr = Translate(QStringLiteral("Conversion Process paused."));
        failed = true;
    }
    form.bRunning = false;
    const double seconds = double(engine.tickCount() - form.lTotalTimeStart) / 1000.0;
    // A run a signal stopped did not do all it was asked.
    const int stopSignal = StopSignalNumber();
    failed = failed || stopSignal != 0;

    const FlexGrid& grid = form.fgLog;
    for (int r = 1; r <= grid.Rows() - 2; ++r)
        log.write(Translate(QStringLiteral("Job # ")) + grid.TextMatrix(r, todocol::Number) + QStringLiteral("  ")
                  + grid.TextMatrix(r, todocol::Status) + QStringLiteral(" - ")
                  + grid.TextMatrix(r, todocol::Input));
    if (stopSignal != 0)
        log.write(Translate(QStringLiteral("The run was stopped by a signal before the job was complete:")) + u' '
                  + QLatin1String(StopSignalName(stopSignal)));
    else if (stopped)
        log.write(options.sErr);
    else if (!failed)
        log.write(Translate(QStringLiteral("Conversion Successful")));
    log.write(Translate(QStringLiteral("Time to complete job: ")) + FormatSeconds(seconds));

    if (!failed)
        return runcode::Success;
    if (!options.sLogAsConversionJobFile.isEmpty())
        saveFailedItems(options.sLogAsConversionJobFile, grid, log);
    G_sLastRunError = options.sErr;
    return runcode::RunFailed;
}

} // namespace

int RunParsedCommandLine(JobEngine& engine, clsConversionOptions& options, const StartupHooks& hooks)
{
    try {
        return run(engine, options, hooks);
    } catch (const std::exception& e) {
        if (options.sErr.isEmpty())
            options.sErr = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    // Whether or not a failure was already seen, a run that broke off did
    // not do all it was asked.
    engine.form.bRunning = false;
    G_bSuppressControlEvents = false;
    G_sLastRunError = options.sErr;
    return runcode::RunFailed;
}
