#pragma once
// The engine's side of the main form: what one run needs beyond the shared
// state (the resume point, the run's latest failure, the replaceable steps,
// the window's hooks), the office it starts on the first document and the
// Word-conversion control. The task and item runners work on it; the job
// loop (engine/JobLoop.h) drives it.
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <sys/types.h>
#include <vector>

class clsConversionOptions;
class ConversionRoutes;
class DispatchClient;
class FlexGrid;
class MainFormState;
class OfficePool;
struct OfficeWorkerLimits;
class TextControlHost;
class clsRexhound;

// What the window adds to a run. Each may be left empty; a run without a
// window then does without it as noted.
struct JobWindowHooks
{
    // False: the user cancelled updating an edited task; the run does not
    // start. Empty: True.
    std::function<bool()> bCheckToUpdateDirtyConversionItem;
    // True: the job has no task and none could be added; the run does not
    // start. Empty: False.
    std::function<bool()> bCheckToZeroConversionItems;
    // True while a schedule is active. Empty: False. This and StopSchedule
    // are the scheduler's (ConnectScheduler, scheduler/SchedulerWindowHooks.h).
    std::function<bool()> bSchedularEnabled;
    // Ends an active schedule: the scheduler's timer off, its set-up
    // controls back, the frame's caption back to the product name.
    std::function<void()> StopSchedule;
    // True while the toolbar's Pause button is enabled. Empty: while a job
    // runs.
    std::function<bool()> bPauseEnabled;
    // Starts or stops the end-of-job blinker.
    std::function<void(bool enabled)> SetEndOfJobTimer;
    // The picture of the run-state panel: 0 none (and the blinker's state
    // on), 9 the end-of-run picture, 11 that of a run in which items failed
    // (the failed rows of the log).
    std::function<void(int image)> SetRunStatePicture;
    // Gives the task grid the focus after a Pause.
    std::function<void()> FocusTaskGrid;
    // Shows the text of an unexpected error that ended a run. Empty: a
    // message box.
    std::function<void(const QString& text)> ShowRunError;
};

// Status-bar panels the engine writes.
namespace statuspanel {
constexpr int TaskRow = 3;    // the task row being run; "-" after the run
constexpr int RunState = 6;   // "Working...", percent complete, "Pause"
constexpr int Status = 8;     // the current file, or the end-of-job error
constexpr int Elapsed = 11;   // seconds since the run began
} // namespace statuspanel

// The engine's side of the main form: the run state that is not a setting,
// the window's hooks and the replaceable steps. One lives as long as the
// form (the resume point must outlive a run).
class JobEngine
{
public:
    explicit JobEngine(MainFormState& form);
    // As the main form unloads: the Word-conversion control is told to let
    // go of the office it keeps (OptimizeForSpeed False), then goes, and
    // with it every office it started.
    ~JobEngine();
    JobEngine(const JobEngine&) = delete;
    JobEngine& operator=(const JobEngine&) = delete;

    MainFormState& form;
    JobWindowHooks hooks;

    // First file (1-based) of the next per-file loop; 0 means file 1. Not 0
    // only after a Pause cut a task short; the task's row then stays
    // unmarked, and the index applies to that row alone.
    int lResumeFileIndex = 0;
    // The input file the conversion block is converting now.
    QString sCurrentFile;

    // Replaceable steps; each starts as the program's own.
    std::function<int(int lJobNumber, clsConversionOptions& task)> performBlock;
    std::function<int(clsConversionOptions& item)> performConversionItem;
    std::function<int(clsConversionOptions& item)> performSpecialProcessItem;
    ConversionRoutes* routes = nullptr;
    // Milliseconds of a steady clock.
    std::function<qint64()> tickCount;

    // True while ConversionJobBegin runs its rows.
    bool bJobLoopActive = false;
    // A run is in progress on the engine's form, begun by this engine or by
    // another one on the same form (the window's, the automation object's).
    // Another run is refused meanwhile rather than run nested, since the run
    // yields to the event loop (a second automation call, a scheduler tick,
    // the window's Run).
    bool bRunInProgress() const;
    // Set by an item runner when a Pause cut the item short: its outputs
    // may be incomplete, so the item has not finished.
    bool bItemInterrupted = false;
    // Set by a reload task that replaced the task grid with the job's next
    // slice.
    bool bTaskGridReloaded = false;
    // Set by a task or an item that asks for the whole job to end: the walk
    // over the task's files and the job loop stop after it. It stands apart
    // from the result codes, so that no failure, whatever its code, ends
    // more than its own item (an item of -1, the search engine's
    // FILE_RENAME_ERROR, fails that file alone). Cleared as each task starts.
    bool bStopJob = false;

    // The latest failure of the run, for the end-of-job text.
    int lRunErr = 0;
    QString sRunErr;
    // The text of an unexpected error that ended the last run; empty when
    // it ended normally.
    QString sRunAbortError;

    // Yields, then tells whether the run goes on.
    bool bStillRunning();
    // Seconds since the run began, as panel 11 shows them.
    QString ElapsedText() const;
    void ShowElapsed();

    // Which row the resume index belongs to.
    int lResumeRow = 0;
    QString sResumeRowKey;
    // The result of the part of that row's task that ran before the Pause
    // (0 when nothing in it failed): a failure logged then still decides
    // the row's mark once the task completes.
    int lResumeResult = 0;
    // The item a Pause cut short after some of its page files, and how
    // many entries of its page list are in place: the item's next run goes
    // on after them while the resume index stands.
    QString sResumePagesKey;
    int lResumePagesInPlace = 0;

    // The main form's text controls and their office: made when the first
    // document needs them, so that runs without documents start no office,
    // and kept while the engine lives.
    TextControlHost& TextControls();

    // The main form's search-and-replace engine.
    clsRexhound& cRexhound();

    // What the last special process adds to its item's log row: why it
    // failed, or what the user should know of a launch that ran (a
    // priority that could not be raised). Cleared before each item.
    QString sProcessNote;

    // The main form's Word-conversion control, reached only by dispatch id:
    // loaded with its library when a document first needs it (throws
    // DispatchError when it cannot be), and kept while the engine lives.
    DispatchClient& Quaystone1();
    bool HasQuaystone1() const { return bool(m_quaystone1); }
    // Puts another control in its place (tests).
    void SetQuaystone1(std::unique_ptr<DispatchClient> control);

    // While the speed setting is on, the documents of a task are converted
    // on up to this many office processes at once (the office pool); 0, the
    // default, means DefaultOfficeCount(): one for each processor, as far
    // as the memory goes (office/OfficeMemory.h). One set here means the
    // form's own office alone (tests); the default renders on the pool even
    // where it has one worker.
    void SetOfficeWorkers(int count);
    int OfficeWorkers() const;
    bool RendersOnPool() const { return m_officeWorkers != 1; }
    // The pool, made when a task first needs it; its offices are quit at
    // the end of every run.
    OfficePool& Pool();
    void ReleaseOfficePool();
    // The office processes the engine started for documents: the form's
    // text controls' and the pool's (tests crash or hang one by its pid).
    std::vector<pid_t> OfficeProcessIds();
    // While a task block walks documents rendered ahead on the pool: the
    // place of the current item among them (from 0), else -1.
    int lRenderAheadIndex = -1;
    bool bRendersAhead = false;
    // Whether the item runner is the program's own (tests put fakes in).
    bool bProgramItemRunner() const;

private:
    std::unique_ptr<OfficeWorkerLimits> m_workerLimits;
    std::unique_ptr<OfficePool> m_pool;
    int m_officeWorkers = 0;
    std::unique_ptr<TextControlHost> m_textControls;
    std::unique_ptr<clsRexhound> m_rexhound;
    std::unique_ptr<DispatchClient> m_quaystone1;
};

// Seconds as the status bar shows them: "##0.0".
QString FormatSeconds(double seconds);
