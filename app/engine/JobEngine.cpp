#include "engine/JobEngine.h"

#include "engine/ConversionItem.h"
#include "engine/SpecialProcess.h"
#include "engine/TaskRunners.h"
#include "engine/clsRexhound.h"
#include "engine/TextControlRoute.h"
#include "engine/WordRoute.h"
#include "dispatch/Dispatch.h"
#include "jobs/MainFormState.h"

#include <QLocale>

#include <chrono>

namespace {

qint64 steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

JobEngine::JobEngine(MainFormState& mainForm)
    : form(mainForm)
    , performBlock([this](int row, clsConversionOptions& task) { return PerformBlock(*this, row, task); })
    , performConversionItem([this](clsConversionOptions& item) { return PerformConversionItem(*this, item); })
    , performSpecialProcessItem(
          [this](clsConversionOptions& item) { return PerformSpecialProcessItem(*this, item); })
    , routes(&DefaultConversionRoutes())
    , tickCount(steadyMilliseconds)
{
}

JobEngine::~JobEngine()
{
    ReleaseWordInstance(*this);
    m_quaystone1.reset();
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

