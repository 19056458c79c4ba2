#pragma once
// Documents rendered ahead on several office processes at once. A task
// block hands the pool the documents of its file list; each worker (a
// thread with an office of its own, as many as OfficesForDocuments gives)
// starts its office at once, then takes the next document in list order
// and renders it into a PDF of the program's own, so the first documents go
// to the offices that are ready first. The item runner then takes
// each render in list order and puts it in place, so every effect (outputs,
// post-steps, log rows) comes in the list's order, as on one office. A
// worker whose office crashes or hangs fails that document alone; its next
// document starts a fresh office.
#include "core/TemporaryFile.h"

#include <QHash>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <sys/types.h>
#include <thread>
#include <vector>

class clsConversionOptions;

// One document to render: an item as the task block made it, with the
// output type its route is asked for (12 or 14 for the text control, the
// Word format for the Word route).
struct OfficeJob
{
    int lConversionMethod = 0;
    QString sOriginalFile;
    int lOriginalFileType = 0;
    int lTargetFileType = 0;
    QString sTargetFile;     // where the output is going; named for the PDF's own name
    bool bForRasteriser = false; // the PDF is on its way to images
};

// What the pool made of a document: the route's code and text, and the
// PDF when it succeeded.
struct OfficeRender
{
    int lErr = 0;
    QString sErr;
    TemporaryFile pdf;
};

// A worker's office: renders a document as the item's route would.
class OfficeWorker
{
public:
    virtual ~OfficeWorker() = default;
    // Renders job.sOriginalFile into `pdf`; sets the item's lErr and sErr
    // as the route does and returns lErr.
    virtual int Render(const OfficeJob& job, const QString& pdf, clsConversionOptions& item) = 0;
    // Starts the office before the first document, where the worker can;
    // a failure is left to Render to report.
    virtual void Start() {}
    // The office process of the worker, 0 when none runs or it cannot tell.
    // Safe to ask from another thread.
    virtual pid_t ProcessId() const = 0;
};

// Makes a worker for a conversion method, on the worker's own thread.
using OfficeWorkerFactory = std::function<std::unique_ptr<OfficeWorker>(int lConversionMethod)>;

// How many offices render `documents` on a pool of `workers`: all of them,
// but no more than each has more documents than there are offices
// (offices × (offices + 1) ≤ documents), and at least one: 2 for 6
// documents, 4 for 20, 8 for 72. Offices that start at once slow each
// other, and an office's first document costs as much as three later ones:
// eight one-page documents took half as long again on eight offices as on
// two.
int OfficesForDocuments(int workers, int documents);

class OfficePool
{
public:
    explicit OfficePool(OfficeWorkerFactory factory);
    ~OfficePool(); // ends the workers after their documents, and their offices
    OfficePool(const OfficePool&) = delete;
    OfficePool& operator=(const OfficePool&) = delete;

    // Starts rendering `jobs` in list order on up to `workers` threads
    // (OfficesForDocuments of the jobs it renders); workers that have an
    // office already take part whatever their number.
    // Documents whose output comes in place before them (an earlier job's
    // output is their input) are left out: they are rendered when their
    // turn comes, after that output. A pool ends what it rendered before.
    void Begin(std::vector<OfficeJob> jobs, int workers);
    // Whether job `index` was given to a worker (it is rendered or being
    // rendered); false for jobs left out and after End.
    bool Started(int index) const;
    // The render of job `index`, once finished; `waiting` is called every
    // 100 ms meanwhile. Renders of earlier jobs not taken are dropped. False
    // when the job is not the pool's, or feeding stopped before it began.
    bool Take(int index, OfficeRender& render, const std::function<void()>& waiting);
    // No further job is given to a worker; the ones begun are finished.
    void StopFeeding();
    // Stops feeding, waits for the documents being rendered, and drops
    // every render not taken.
    void End();
    // Quits the workers' offices (the next Begin makes new ones).
    void Shutdown();

    // The workers' office processes (for tests that crash or hang one).
    std::vector<pid_t> ProcessIds() const;
    // How many renders each input had, since the pool was made (tests).
    int RenderCount(const QString& input) const;

private:
    struct Slot
    {
        bool pooled = false;  // given to the pool at Begin
        bool started = false;
        bool done = false;
        OfficeRender render;
    };
    struct Worker
    {
        std::thread thread;
        std::unique_ptr<OfficeWorker> office[2]; // text control, Word
        bool holds[2] = {false, false};          // has, or is making, that office
    };

    void work(Worker& worker);
    // The worker's office for a conversion method, made when first asked
    // for; `lock` holds m_mutex, and is let go while the office is made.
    OfficeWorker* officeFor(Worker& worker, int lConversionMethod, std::unique_lock<std::mutex>& lock);
    bool nextJob(Worker& worker, int& index);
    // Whether the worker may render with an office of the method's kind:
    // it has one, or the batch has fewer than it wants (it then counts).
    bool mayHaveOffice(Worker& worker, int lConversionMethod);

    OfficeWorkerFactory m_factory;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<Worker>> m_workers;
    std::vector<OfficeJob> m_jobs;
    std::vector<Slot> m_slots;
    size_t m_next = 0;    // next job to give out
    size_t m_taken = 0;   // jobs before this were taken or dropped
    int m_window = 1;     // how far past m_taken jobs are started
    int m_wanted = 1;     // offices the batch wants
    int m_offices[2] = {0, 0}; // workers with an office of each kind
    int m_busy = 0;
    bool m_feeding = false;
    bool m_quit = false;
    bool m_shutdown = false;
    QHash<QString, int> m_renders;
    std::vector<int> m_processors;   // where the process may run
    std::set<int> m_heldProcessors;  // those the workers keep to
};
