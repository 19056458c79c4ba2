#include "engine/OfficeWorkers.h"

#include "core/clsConversionOptions.h"
#include "dispatch/Dispatch.h"
#include "engine/TextControlRoute.h"
#include "engine/WordRoute.h"
#include "jobs/MainFormState.h"
#include "office/OfficeEngine.h"

#include <QCoreApplication>

namespace {

class TextControlWorker : public OfficeWorker
{
public:
    TextControlWorker(const MainFormState& form, const OfficeWorkerLimits& limits)
        : m_form(form)
        , m_limits(limits)
    {
    }

    int Render(const OfficeJob& job, const QString&, clsConversionOptions& item) override
    {
        applyLimits();
        return ConvertViaTextControl(m_host, m_form, item, job.bForRasteriser);
    }

    void Start() override
    {
        applyLimits();
        m_host.Engine().setKeepAlive(m_form.bOptimizeForSpeed);
        m_host.Engine().start();
    }

    pid_t ProcessId() const override { return const_cast<TextControlHost&>(m_host).Engine().processId(); }

private:
    void applyLimits()
    {
        m_host.Engine().setLoadTimeLimit({m_limits.loadMs, m_limits.loadPerMegabyteMs});
        m_host.Engine().setSaveTimeLimit({m_limits.saveMs, m_limits.savePerMegabyteMs});
    }

    const MainFormState& m_form;
    const OfficeWorkerLimits& m_limits;
    TextControlHost m_host;
};

class WordControlWorker : public OfficeWorker
{
public:
    explicit WordControlWorker(const MainFormState& form)
        : m_form(form)
    {
    }

    ~WordControlWorker() override
    {
        // As at the end of a run: the control lets go of the office it kept.
        if (m_control)
            ReleaseWordInstance(*m_control);
    }

    int Render(const OfficeJob&, const QString&, clsConversionOptions& item) override
    {
        if (!m_control) {
            try {
                m_control = CreateQuaystone1();
            } catch (const DispatchError& e) {
                return WordControlUnavailable(item, e);
            }
        }
        return ConvertViaWordControl(*m_control, m_form, item);
    }

    // The control keeps its office to itself.
    pid_t ProcessId() const override { return 0; }

private:
    const MainFormState& m_form;
    std::unique_ptr<DispatchClient> m_control;
};

} // namespace

OfficeWorkerFactory ProgramOfficeWorkers(const MainFormState& form, const OfficeWorkerLimits& limits)
{
    return [&form, &limits](int lConversionMethod) -> std::unique_ptr<OfficeWorker> {
        if (lConversionMethod == 1)
            return std::make_unique<WordControlWorker>(form);
        return std::make_unique<TextControlWorker>(form, limits);
    };
}
