#include "engine/OfficePool.h"

#include "base/Processors.h"
#include "core/FileSystem.h"
#include "core/clsConversionOptions.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <chrono>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace {

constexpr int kWordMethod = 1;

// Which of a worker's offices renders for a conversion method.
int officeKind(int lConversionMethod)
{
    return lConversionMethod == kWordMethod ? 1 : 0;
}

// A file name well below the 255 bytes a name may have once the unique part
// and the suffix are added.
QString pdfStem(const QString& output)
{
    QString stem = GetFileName(output);
    while (QFile::encodeName(stem).size() > 100)
        stem.chop(1);
    return stem;
}

QString absolute(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

// The device and inode of an existing file, so that two names of one file
// are known as one.
std::optional<std::pair<dev_t, ino_t>> fileIdentity(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return std::make_pair(st.st_dev, st.st_ino);
}

} // namespace

int OfficesForDocuments(int workers, int documents)
{
    int offices = 1;
    while (offices < workers && (offices + 1) * (offices + 2) <= documents)
        ++offices;
    return offices;
}

OfficePool::OfficePool(OfficeWorkerFactory factory)
    : m_factory(std::move(factory))
{
}

OfficePool::~OfficePool()
{
    End();
    Shutdown();
}

void OfficePool::Begin(std::vector<OfficeJob> jobs, int workers)
{
    End();
    // The private temporary folder is made here, before any worker needs it.
    ProgramTempFolder();
    std::vector<Slot> fresh(jobs.size());
    // A document whose input is the output of an earlier one (by name, or
    // as the same file under another name) waits for its turn. Each name is
    // looked at once, so a list of thousands costs no more than its length.
    QSet<QString> outputNames;
    std::set<std::pair<dev_t, ino_t>> outputFiles;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const QString input = absolute(jobs[i].sOriginalFile);
        bool afterAnOutput = outputNames.contains(input);
        if (!afterAnOutput && !outputFiles.empty()) {
            const auto id = fileIdentity(input);
            afterAnOutput = id && outputFiles.count(*id) > 0;
        }
        fresh[i].pooled = !afterAnOutput;
        const QString output = absolute(jobs[i].sTargetFile);
        outputNames.insert(output);
        if (const auto id = fileIdentity(output))
            outputFiles.insert(*id);
    }
    const int pooled = int(std::count_if(fresh.begin(), fresh.end(), [](const Slot& slot) { return slot.pooled; }));
    const int wanted = OfficesForDocuments(workers, pooled);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs = std::move(jobs);
        m_slots = std::move(fresh);
        m_next = 0;
        m_taken = 0;
        // Enough ahead that no worker waits while the runner puts the last
        // render in place.
        m_window = 2 * wanted;
        m_wanted = wanted;
        m_feeding = true;
        m_quit = false;
        m_processors = UsableProcessors();
        while (int(m_workers.size()) < wanted) {
            m_workers.push_back(std::make_unique<Worker>());
            Worker* worker = m_workers.back().get();
            worker->thread = std::thread([this, worker] { work(*worker); });
        }
    }
    m_changed.notify_all();
}

bool OfficePool::mayHaveOffice(Worker& worker, int lConversionMethod)
{
    const int kind = officeKind(lConversionMethod);
    if (worker.holds[kind])
        return true;
    // Workers that have an office of the kind already take any document;
    // others start one only while the batch's count is not reached.
    if (m_offices[kind] >= m_wanted)
        return false;
    worker.holds[kind] = true;
    ++m_offices[kind];
    return true;
}

bool OfficePool::nextJob(Worker& worker, int& index)
{
    while (m_next < m_slots.size() && !m_slots[m_next].pooled)
        ++m_next;
    if (!m_feeding || m_next >= m_slots.size() || m_next >= m_taken + size_t(m_window)
        || !mayHaveOffice(worker, m_jobs[m_next].lConversionMethod))
        return false;
    index = int(m_next++);
    m_slots[index].started = true;
    ++m_busy;
    return true;
}

void OfficePool::work(Worker& worker)
{
    // The worker stays on a processor of its own, and so does the office
    // it starts: a call into the office passes between a handful of threads
    // on either side, and on one processor each hand-over is a switch
    // rather than the waking of another processor, which costs several
    // times the office's own work for a small document. The processor is
    // the one the system started the thread on, where it found room, unless
    // another worker holds it.
    std::unique_lock<std::mutex> lock(m_mutex);
    const int processor = ChooseFreeProcessor(m_processors, m_heldProcessors, CurrentProcessor());
    if (processor >= 0) {
        m_heldProcessors.insert(processor);
        KeepThreadOnProcessor(processor);
    }
    // The office starts before the worker asks for a document, all of them
    // at once: the documents go to the offices as they are ready, and none
    // waits for one that is slow to start.
    if (!m_quit && m_feeding && m_next < m_jobs.size() && mayHaveOffice(worker, m_jobs[m_next].lConversionMethod)) {
        if (OfficeWorker* office = officeFor(worker, m_jobs[m_next].lConversionMethod, lock)) {
            lock.unlock();
            office->Start();
            lock.lock();
        }
    }
    for (;;) {
        int index = -1;
        m_changed.wait(lock, [&] { return m_quit || nextJob(worker, index); });
        if (index < 0)
            break;
        const OfficeJob job = m_jobs[index];
        OfficeWorker* office = officeFor(worker, job.lConversionMethod, lock);
        lock.unlock();

        OfficeRender render;
        clsConversionOptions item;
        QString error;
        if (!render.pdf.create(QString(), pdfStem(job.sTargetFile), QStringLiteral(".pdf"), &error)) {
            // As the route fails when it cannot write its output.
            render.lErr = job.lConversionMethod == kWordMethod ? -7 : -3;
            render.sErr = error;
        } else if (office) {
            item.sOriginalFile = job.sOriginalFile;
            item.lOriginalFileType = job.lOriginalFileType;
            item.sTargetFile = render.pdf.path();
            item.lTargetFileType = job.lTargetFileType;
            item.lConversionMethod = job.lConversionMethod;
            render.lErr = office->Render(job, render.pdf.path(), item);
            render.sErr = item.sErr;
        }
        if (render.lErr != 0)
            render.pdf.remove();

        lock.lock();
        --m_busy;
        ++m_renders[job.sOriginalFile];
        if (size_t(index) < m_slots.size() && size_t(index) >= m_taken) {
            m_slots[index].render = std::move(render);
            m_slots[index].done = true;
        }
        m_changed.notify_all();
    }
    lock.unlock();
    // The offices go on the thread that made them.
    for (auto& office : worker.office)
        office.reset();
}

OfficeWorker* OfficePool::officeFor(Worker& worker, int lConversionMethod, std::unique_lock<std::mutex>& lock)
{
    std::unique_ptr<OfficeWorker>& office = worker.office[officeKind(lConversionMethod)];
    if (!office) {
        // Made on the worker's thread, without the lock: a Word-conversion
        // control loads its library.
        lock.unlock();
        std::unique_ptr<OfficeWorker> made = m_factory(lConversionMethod);
        lock.lock();
        office = std::move(made);
    }
    return office.get();
}

bool OfficePool::Started(int index) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return index >= 0 && size_t(index) < m_slots.size() && m_slots[index].started && size_t(index) >= m_taken;
}

bool OfficePool::Take(int index, OfficeRender& render, const std::function<void()>& waiting)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (index < 0 || size_t(index) >= m_slots.size() || size_t(index) < m_taken)
        return false;
    for (size_t i = m_taken; i < size_t(index); ++i)
        m_slots[i].render = OfficeRender();
    m_taken = size_t(index);
    m_changed.notify_all();
    Slot& slot = m_slots[index];
    while (!slot.done && (slot.started || (slot.pooled && m_feeding))) {
        if (m_changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return slot.done; }))
            break;
        if (waiting) {
            lock.unlock();
            waiting();
            lock.lock();
        }
    }
    m_taken = size_t(index) + 1;
    m_changed.notify_all();
    if (!slot.done)
        return false;
    render = std::move(slot.render);
    return true;
}

void OfficePool::StopFeeding()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_feeding = false;
    }
    m_changed.notify_all();
}

void OfficePool::End()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_feeding = false;
    m_changed.wait(lock, [&] { return m_busy == 0; });
    m_slots.clear();
    m_jobs.clear();
    m_next = 0;
    m_taken = 0;
}

void OfficePool::Shutdown()
{
    std::vector<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        workers.swap(m_workers);
    }
    m_changed.notify_all();
    for (auto& worker : workers)
        worker->thread.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_quit = false;
    m_heldProcessors.clear();
    m_offices[0] = m_offices[1] = 0;
}

std::vector<pid_t> OfficePool::ProcessIds() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<pid_t> pids;
    for (const auto& worker : m_workers)
        for (const auto& office : worker->office)
            if (office)
                if (const pid_t pid = office->ProcessId(); pid > 0)
                    pids.push_back(pid);
    return pids;
}

int OfficePool::RenderCount(const QString& input) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_renders.value(input, 0);
}
