#include "engine/JobEngine.h"

#include "engine/ConversionItem.h"
#include "engine/OfficePool.h"
#include "engine/OfficeWorkers.h"
#include "engine/SpecialProcess.h"
#include "engine/TaskRunners.h"
#include "engine/clsRexhound.h"
#include "engine/TextControlRoute.h"
#include "engine/WordRoute.h"
#include "dispatch/Dispatch.h"
#include "jobs/MainFormState.h"
#include "office/OfficeEngine.h"
#include "office/OfficeMemory.h"

#include <QLocale>

#include <algorithm>
#include <chrono>

namespace {

qint64 steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The program's item runner, as a type of its own so that a replaced one
// can be told from it.
struct ProgramItemRunner
{
    JobEngine* engine;
    int operator()(clsConversionOptions& item) const { return PerformConversionItem(*engine, item); }
};

} // namespace

JobEngine::JobEngine(MainFormState& mainForm)
    : form(mainForm)
    , performBlock([this](int row, clsConversionOptions& task) { return PerformBlock(*this, row, task); })
    , performConversionItem(ProgramItemRunner{this})
    , performSpecialProcessItem(
          [this](clsConversionOptions& item) { return PerformSpecialProcessItem(*this, item); })
    , routes(&DefaultConversionRoutes())
    , tickCount(steadyMilliseconds)
{
}

JobEngine::~JobEngine()
{
    m_pool.reset();
    ReleaseWordInstance(*this);
    m_quaystone1.reset();
}

bool JobEngine::bProgramItemRunner() const
{
    return performConversionItem.target_type() == typeid(ProgramItemRunner);
}

void JobEngine::SetOfficeWorkers(int count)
{
    m_officeWorkers = std::max(0, count);
}

int JobEngine::OfficeWorkers() const
{
    if (m_officeWorkers > 0)
        return m_officeWorkers;
    // One for each processor this process may run on (taskset narrows
    // them), as far as the memory goes; each office's memory budget is
    // shared out by the same count.
    return DefaultOfficeCount();
}

OfficePool& JobEngine::Pool()
{
    if (!m_pool) {
        m_workerLimits = std::make_unique<OfficeWorkerLimits>();
        m_pool = std::make_unique<OfficePool>(ProgramOfficeWorkers(form, *m_workerLimits));
    }
    // The workers' offices keep the limits of the form's own.
    const OfficeTimeLimit load = TextControls().Engine().loadTimeLimit();
    const OfficeTimeLimit save = TextControls().Engine().saveTimeLimit();
    m_workerLimits->loadMs = load.baseMs;
    m_workerLimits->loadPerMegabyteMs = load.perMegabyteMs;
    m_workerLimits->saveMs = save.baseMs;
    m_workerLimits->savePerMegabyteMs = save.perMegabyteMs;
    return *m_pool;
}

void JobEngine::ReleaseOfficePool()
{
    if (m_pool)
        m_pool->Shutdown();
}

std::vector<pid_t> JobEngine::OfficeProcessIds()
{
    std::vector<pid_t> pids;
    if (m_textControls)
        if (const pid_t pid = m_textControls->Engine().processId(); pid > 0)
            pids.push_back(pid);
    if (m_pool)
        for (const pid_t pid : m_pool->ProcessIds())
            pids.push_back(pid);
    return pids;
}

DispatchClient& JobEngine::Quaystone1()
{
    if (!m_quaystone1)
        m_quaystone1 = CreateQuaystone1();
    return *m_quaystone1;
}

void JobEngine::SetQuaystone1(std::unique_ptr<DispatchClient> control)
{
    m_quaystone1 = std::move(control);
}

bool JobEngine::bRunInProgress() const
{
    return form.bRunInProgress;
}

TextControlHost& JobEngine::TextControls()
{
    if (!m_textControls)
        m_textControls = std::make_unique<TextControlHost>();
    return *m_textControls;
}

clsRexhound& JobEngine::cRexhound()
{
    if (!m_rexhound)
        m_rexhound = std::make_unique<clsRexhound>();
    return *m_rexhound;
}

bool JobEngine::bStillRunning()
{
    form.DoEvents();
    return form.bRunning;
}

QString JobEngine::ElapsedText() const
{
    return FormatSeconds(double(tickCount() - form.lTotalTimeStart) / 1000.0);
}

void JobEngine::ShowElapsed()
{
    form.SetStatusPanelText(statuspanel::Elapsed, ElapsedText());
}

QString FormatSeconds(double seconds)
{
    // The user's decimal separator, but no thousands groups ("1234.5").
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(seconds, 'f', 1);
}

