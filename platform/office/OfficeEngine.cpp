// The program's side of the office engine: what needs no office. The
// engine itself is made by the office's module (office/OfficeModule.h).
#include "office/OfficeEngine.h"

#include "base/ProgramModule.h"
#include "office/OfficeMemory.h"
#include "office/OfficeModule.h"

#include <algorithm>
#include <limits>

extern "C" const void* tessaview_office_module(const char* version) __attribute__((weak));

namespace {

// The engine of a program whose office module cannot be had: it keeps its
// settings, and every start fails with the reason, as an office that cannot
// be started does.
class UnavailableOfficeEngine final : public OfficeEngine
{
public:
    explicit UnavailableOfficeEngine(QString reason)
        : m_reason(std::move(reason))
    {
    }

    void setKeepAlive(bool keep) override { m_keepAlive = keep; }
    bool keepAlive() const override { return m_keepAlive; }
    void setLoadTimeLimit(const OfficeTimeLimit& limit) override { m_loadLimit = limit; }
    void setSaveTimeLimit(const OfficeTimeLimit& limit) override { m_saveLimit = limit; }
    OfficeTimeLimit loadTimeLimit() const override { return m_loadLimit; }
    OfficeTimeLimit saveTimeLimit() const override { return m_saveLimit; }
    void setMemoryBudget(qint64 bytes) override { m_memoryBudget = std::max<qint64>(0, bytes); }
    qint64 memoryBudget() const override { return m_memoryBudget; }
    void setProgram(const QString& path) override { m_program = path; }
    QString program() const override { return m_program; }
    pid_t processId() const override { return 0; }
    void setSaveHook(std::function<void(const QString&)>) override {}
    OfficeStatus start() override { return {OfficeFailure::StartFailed, m_reason}; }
    void shutdown() override {}
    std::unique_ptr<OfficeDocument> load(const QString&, const OfficeLoadOptions&, OfficeStatus& status) override
    {
        status = start();
        return nullptr;
    }
    std::unique_ptr<OfficeDocument> createDocument(OfficeStatus& status) override
    {
        status = start();
        return nullptr;
    }

private:
    QString m_reason;
    bool m_keepAlive = true;
    OfficeTimeLimit m_loadLimit;
    OfficeTimeLimit m_saveLimit;
    qint64 m_memoryBudget = OfficeMemoryBudget();
    QString m_program;
};

} // namespace

const OfficeModuleTable* OfficeModule(QString& error)
{
    return ProgramModuleTable<OfficeModuleTable>(tessaview_office_module, "libtessaview_office.so",
                                                 "tessaview_office_module", error);
}

int OfficeTimeLimit::forBytes(qint64 bytes) const
{
    if (baseMs <= 0)
        return 0;
    const qint64 grown = qint64(baseMs) + qint64(perMegabyteMs) * std::max<qint64>(0, bytes) / (1024 * 1024);
    return int(std::min<qint64>(grown, std::numeric_limits<int>::max()));
}

std::unique_ptr<OfficeEngine> OfficeEngine::Create()
{
    QString error;
    if (const OfficeModuleTable* module = OfficeModule(error))
        return module->makeEngine();
    return std::make_unique<UnavailableOfficeEngine>(error);
}

OfficeEngine::~OfficeEngine() = default;

OfficeStatus OfficeEngine::convert(const QString& input, const OfficeLoadOptions& loadOptions, const QString& output,
                                   const OfficeSaveOptions& saveOptions)
{
    OfficeStatus status;
    std::unique_ptr<OfficeDocument> doc = load(input, loadOptions, status);
    if (!doc)
        return status;
    return doc->save(output, saveOptions);
}

OfficeDocument::~OfficeDocument() = default;
