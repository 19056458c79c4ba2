// The office engine over UNO: the module's side of office/OfficeEngine.h.
#include "office/OfficeUno.h"

#include "base/StopSignals.h"
#include "office/OfficeFilters.h"
#include "office/OfficeImages.h"
#include "office/OfficeInteraction.h"
#include "office/OfficeLoader.h"
#include "office/OfficeMemory.h"
#include "office/OfficeOutput.h"
#include "office/OfficeProcess.h"
#include "office/OfficeWatchdog.h"
#include "office/PdfEncryption.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ref.hxx>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

constexpr int kConnectTimeoutMs = 60000;
constexpr int kQuitTimeoutMs = 10000;
constexpr int kProbeTimeoutMs = 15000;
constexpr int kQuitGraceMs = 3000;
// soffice.bin asks to be started again after setting up a new profile.
constexpr int kRestartExitCode = 81;

// The local UNO runtime, set up once per process. Kept for the life of the
// process on purpose: tearing it down during static destruction crashes.
Reference<css::uno::XComponentContext> LocalContext(QString& error)
{
    static Reference<css::uno::XComponentContext>* context = nullptr;
    static QString bootError;
    static std::once_flag once;
    std::call_once(once, [] {
        ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" TESSAVIEW_LO_PROGRAM_DIR "/fundamentalrc", 0);
        try {
            context = new Reference<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
        } catch (const css::uno::Exception& e) {
            bootError = QStringLiteral("The UNO runtime could not be started: %1").arg(toQString(e.Message));
        }
    });
    error = bootError;
    return context ? *context : Reference<css::uno::XComponentContext>();
}

QString Seconds(int ms)
{
    return QString::number((ms + 999) / 1000);
}

QString FileUrl(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

enum class Phase { Load, Save, Call, Probe, Quit };

} // namespace

struct UnoOfficeEngine::Private : std::enable_shared_from_this<UnoOfficeEngine::Private>
{
    OfficeProcess process;
    std::atomic<qint64> memoryBudget{OfficeMemoryBudget()};
    // Declared after what it watches, so it goes first.
    OfficeWatchdog watchdog{[this] { process.kill(); }, [this] {
        const qint64 budget = memoryBudget;
        return budget > 0 && process.residentBytes() > budget;
    }};
    QString program = QStringLiteral(TESSAVIEW_LO_PROGRAM_DIR "/soffice.bin");
    bool keepAlive = true;
    OfficeTimeLimit loadLimit;
    OfficeTimeLimit saveLimit;
    unsigned generation = 1;
    Reference<css::uno::XComponentContext> context; // the office's
    Reference<css::frame::XDesktop2> desktop;
    Reference<css::lang::XComponent> bridge; // the connection to the office
    Reference<css::document::XTypeDetection> detection; // made on the first load of each office
    std::set<UnoOfficeDocument::Private*> documents;
    std::function<void(const QString&)> saveHook;

    ~Private() { quit(); }

    int limitFor(Phase phase, qint64 bytes) const
    {
        switch (phase) {
        case Phase::Load: return loadLimit.forBytes(bytes);
        case Phase::Save:
        case Phase::Call: return saveLimit.forBytes(bytes);
        case Phase::Probe: return kProbeTimeoutMs;
        case Phase::Quit: return kQuitTimeoutMs;
        }
        return 0;
    }

    // The process is gone or must go: kill it, forget every remote
    // reference, and count its documents as lost.
    void dropOffice()
    {
        process.stop(0);
        desktop.clear();
        detection.clear();
        context.clear();
        endBridge();
        for (UnoOfficeDocument::Private* doc : documents) {
            doc->component.clear();
            doc->closed = true;
        }
        documents.clear();
        ++generation;
    }

    // Runs one blocking UNO call under the watchdog, whose limit follows
    // the size of the document in `bytes`. `what` completes messages such
    // as "The office hung while loading <file>"; `document`, the file the
    // document was loaded from, is named where `what` does not name it.
    template <typename Fn>
    OfficeStatus guarded(Phase phase, const QString& what, Fn&& fn, qint64 bytes = 0,
                         const QString& document = QString())
    {
        const int limit = limitFor(phase, bytes);
        OfficeStatus status;
        bool bridgeGone = false;
        watchdog.arm(limit);
        try {
            fn();
        } catch (const css::lang::DisposedException& e) {
            bridgeGone = true;
            status.message = toQString(e.Message);
        } catch (const css::uno::Exception& e) {
            status.failure = phase == Phase::Load ? OfficeFailure::LoadFailed
                           : phase == Phase::Save ? OfficeFailure::SaveFailed
                                                  : OfficeFailure::CallFailed;
            status.message = toQString(e.Message);
        } catch (...) {
            // The caller's own error: not the office's, so it passes on,
            // but the clock must not run on and kill the office later.
            watchdog.disarm();
            throw;
        }
        const OfficeWatchdog::Expiry expired = watchdog.disarm();
        if (phase == Phase::Quit && expired == OfficeWatchdog::Expiry::None)
            return status; // the office ends while it answers: the caller waits for it
        if (expired == OfficeWatchdog::Expiry::Memory) {
            dropOffice();
            const QString on = document.isEmpty() || what.contains(document)
                ? QString() : QStringLiteral(" on the document %1").arg(document);
            return {OfficeFailure::MemoryExceeded,
                    QStringLiteral("The office used more than %1 of memory%2 while %3 and was stopped.")
                        .arg(MemorySizeText(memoryBudget), on, what)};
        }
        if (expired == OfficeWatchdog::Expiry::Time) {
            dropOffice();
            const OfficeFailure failure = phase == Phase::Load ? OfficeFailure::LoadTimeout
                                        : phase == Phase::Save ? OfficeFailure::SaveTimeout
                                                               : OfficeFailure::CallTimeout;
            return {failure, QStringLiteral("The office hung while %1 and was stopped after the time limit "
                                            "of %2 seconds.").arg(what, Seconds(limit))};
        }
        if (bridgeGone || (!status.ok() && !process.isRunning())) {
            // An office whose pipe broke is on its way out; its exit status
            // says why.
            process.waitForExit(kQuitGraceMs);
            const int exitStatus = process.exitStatus();
            dropOffice();
            QString how;
            if (exitStatus >= 0 && WIFSIGNALED(exitStatus))
                how = QStringLiteral(" (ended by signal %1)").arg(WTERMSIG(exitStatus));
            else if (exitStatus >= 0 && WIFEXITED(exitStatus))
                how = QStringLiteral(" (exit code %1)").arg(WEXITSTATUS(exitStatus));
            if (const int signal = StopSignalNumber())
                return {OfficeFailure::OfficeDied,
                        QStringLiteral("The run was stopped (%1) while %2.").arg(QLatin1String(StopSignalName(signal)), what)};
            return {OfficeFailure::OfficeDied,
                    QStringLiteral("The office process ended while %1%2.").arg(what, how)};
        }
        return status;
    }

    OfficeStatus connect(const QString& pipeName)
    {
        QString error;
        const Reference<css::uno::XComponentContext> local = LocalContext(error);
        if (!local.is())
            return {OfficeFailure::StartFailed, error};
        const rtl::OUString url = toOUString(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipeName));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
        for (;;) {
            bool refused = false;
            QString failure;
            watchdog.arm(kConnectTimeoutMs);
            try {
                Reference<css::bridge::XUnoUrlResolver> resolver = css::bridge::UnoUrlResolver::create(local);
                context.set(resolver->resolve(url), UNO_QUERY_THROW);
                keepBridge(local, pipeName);
                desktop = css::frame::Desktop::create(context);
            } catch (const css::connection::NoConnectException&) {
                refused = true;
            } catch (const css::uno::Exception& e) {
                failure = toQString(e.Message);
            }
            const OfficeWatchdog::Expiry expiry = watchdog.disarm();
            if (expiry == OfficeWatchdog::Expiry::Memory)
                return {OfficeFailure::StartFailed, QStringLiteral("The office used more than %1 of memory while it started.").arg(MemorySizeText(memoryBudget))};
            if (expiry == OfficeWatchdog::Expiry::Time)
                return {OfficeFailure::StartFailed, QStringLiteral("The office did not answer within %1 seconds.").arg(Seconds(kConnectTimeoutMs))};
            if (desktop.is())
                return {};
            if (!refused)
                return {OfficeFailure::StartFailed, QStringLiteral("Cannot connect to the office: %1").arg(failure)};
            if (!process.isRunning())
                return {OfficeFailure::StartFailed, QString()}; // the caller looks at the exit status
            if (std::chrono::steady_clock::now() >= deadline)
                return {OfficeFailure::StartFailed, QStringLiteral("The office did not accept a connection within %1 seconds.").arg(Seconds(kConnectTimeoutMs))};
            // The office is ready the moment it listens; a short wait finds
            // that moment closely.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    OfficeStatus ensureRunning()
    {
        if (desktop.is()) {
            // A process killed a moment ago may not be reaped yet; a round
            // trip over the pipe tells for sure.
            if (process.isRunning()
                && guarded(Phase::Probe, QStringLiteral("answering"), [&] { context->getServiceManager(); }).ok())
                return {};
            dropOffice(); // died between calls
        }
        OfficeStatus status;
        for (int attempt = 0; attempt < 3; ++attempt) {
            QString error;
            if (!process.start(program, error))
                return {OfficeFailure::StartFailed, error};
            status = connect(process.pipeName());
            if (status.ok())
                return status;
            process.stop(0);
            const int exitStatus = process.exitStatus();
            if (exitStatus >= 0 && WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == kRestartExitCode)
                continue;
            if (status.message.isEmpty()) {
                status.message = exitStatus >= 0 && WIFEXITED(exitStatus)
                    ? QStringLiteral("The office ended at start with exit code %1.").arg(WEXITSTATUS(exitStatus))
                    : QStringLiteral("The office ended at start.");
            }
            break;
        }
        dropOffice();
        return status;
    }

    void closeDocument(UnoOfficeDocument::Private& doc)
    {
        if (doc.closed || doc.generation != generation)
            return;
        documents.erase(&doc);
        doc.closed = true;
        Reference<css::lang::XComponent> component = doc.component;
        doc.component.clear();
        guarded(
            Phase::Call, QStringLiteral("closing a document"),
            [&] {
                Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
                if (closeable.is())
                    closeable->close(true);
                else if (component.is())
                    component->dispose();
            },
            doc.sourceBytes, doc.source);
        if (documents.empty() && !keepAlive)
            quit();
    }

    void quit()
    {
        for (UnoOfficeDocument::Private* doc : documents) {
            doc->component.clear();
            doc->closed = true;
        }
        documents.clear();
        bool agreed = false;
        if (desktop.is() && process.isRunning()) {
            Reference<css::frame::XDesktop2> d = desktop;
            desktop.clear();
            // The office ends while it answers, so a broken bridge here is
            // the normal outcome.
            guarded(Phase::Quit, QStringLiteral("quitting"), [&] { agreed = d->terminate(); });
        }
        desktop.clear();
        detection.clear();
        context.clear();
        // Its documents are closed and their files in place: an office that
        // agreed to quit would spend some 50 ms more tidying a profile that
        // goes with it.
        process.stop(agreed && process.mayEndAtOnce() ? 0 : kQuitGraceMs);
        endBridge();
        ++generation;
    }

    // The bridge to an office winds down on threads of its own when the
    // office ends. Disposing of it joins them, so none is left running
    // while the engine goes or the program exits.
    void endBridge()
    {
        const Reference<css::lang::XComponent> ending = bridge;
        bridge.clear();
        if (!ending.is())
            return;
        try {
            ending->dispose();
        } catch (const css::uno::Exception&) {
            // Ended already.
        }
    }

    // The bridge of the connection just made, found by its pipe's name.
    void keepBridge(const Reference<css::uno::XComponentContext>& local, const QString& pipeName)
    {
        const QString name = QStringLiteral("pipe,name=%1,").arg(pipeName);
        try {
            const Reference<css::bridge::XBridgeFactory2> factory = css::bridge::BridgeFactory::create(local);
            for (const Reference<css::bridge::XBridge>& each : factory->getExistingBridges()) {
                if (each.is() && toQString(each->getDescription()).contains(name)) {
                    bridge.set(each, UNO_QUERY);
                    return;
                }
            }
        } catch (const css::uno::Exception&) {
            // Without it the bridge ends by itself, as it always can.
        }
    }

    std::unique_ptr<OfficeDocument> adopt(const Reference<css::lang::XComponent>& component, const QString& filterName,
                                          bool withFields = true, qint64 sourceBytes = 0,
                                          const QString& source = QString())
    {
        auto p = std::make_unique<UnoOfficeDocument::Private>();
        p->sourceBytes = sourceBytes;
        p->source = source;
        p->engine = weak_from_this();
        p->generation = generation;
        p->component = component;
        p->withFields = withFields;
        documents.insert(p.get());
        return std::unique_ptr<OfficeDocument>(new UnoOfficeDocument(std::move(p), filterName));
    }
};

namespace {

// Explains a failed load from what the office asked while loading.
OfficeStatus LoadFailure(const QString& path, const OfficeLoadOptions& options, const OfficeInteractionLog& log,
                         const OfficeStatus& callStatus, bool unknownType)
{
    if (log.passwordRequested) {
        if (options.password.isEmpty())
            return {OfficeFailure::PasswordRequired,
                    QStringLiteral("The document %1 is protected by a password.").arg(path)};
        return {OfficeFailure::WrongPassword, QStringLiteral("The password does not open the document %1.").arg(path)};
    }
    if (log.damagedFile)
        return {OfficeFailure::WrongFormat, QStringLiteral("The document %1 is damaged and cannot be read.").arg(path)};
    if (unknownType)
        return {OfficeFailure::WrongFormat,
                QStringLiteral("The file %1 is not %2.").arg(path, InputFormatName(options.format))};
    QString detail = !log.ioErrorMessage.isEmpty() ? log.ioErrorMessage : callStatus.message;
    if (!detail.isEmpty())
        detail = QStringLiteral(" (%1)").arg(detail);
    return {OfficeFailure::WrongFormat,
            QStringLiteral("The file %1 could not be read as %2: it is damaged or of another type%3.")
                .arg(path, InputFormatName(options.format), detail)};
}

} // namespace

UnoOfficeEngine::UnoOfficeEngine()
    : d(std::make_shared<Private>())
{
}

UnoOfficeEngine::~UnoOfficeEngine()
{
    d->quit();
}

void UnoOfficeEngine::setKeepAlive(bool keep)
{
    d->keepAlive = keep;
    if (!keep && d->documents.empty())
        d->quit();
}

bool UnoOfficeEngine::keepAlive() const { return d->keepAlive; }
void UnoOfficeEngine::setLoadTimeLimit(const OfficeTimeLimit& limit) { d->loadLimit = limit; }
void UnoOfficeEngine::setSaveTimeLimit(const OfficeTimeLimit& limit) { d->saveLimit = limit; }
OfficeTimeLimit UnoOfficeEngine::loadTimeLimit() const { return d->loadLimit; }
OfficeTimeLimit UnoOfficeEngine::saveTimeLimit() const { return d->saveLimit; }
void UnoOfficeEngine::setMemoryBudget(qint64 bytes) { d->memoryBudget = std::max<qint64>(0, bytes); }
qint64 UnoOfficeEngine::memoryBudget() const { return d->memoryBudget; }
void UnoOfficeEngine::setProgram(const QString& path) { d->program = path; }
QString UnoOfficeEngine::program() const { return d->program; }

void UnoOfficeEngine::setSaveHook(std::function<void(const QString& privateFolder)> hook)
{
    d->saveHook = std::move(hook);
}

pid_t UnoOfficeEngine::processId() const
{
    return d->process.isRunning() ? d->process.pid() : 0;
}

OfficeStatus UnoOfficeEngine::start()
{
    return d->ensureRunning();
}

void UnoOfficeEngine::shutdown()
{
    d->quit();
}

std::unique_ptr<OfficeDocument> UnoOfficeEngine::load(const QString& path, const OfficeLoadOptions& options,
                                                   OfficeStatus& status)
{
    OfficeLoadPlan plan;
    if (!PlanLoad(path, options, plan, status))
        return nullptr;
    status = d->ensureRunning();
    if (!status.ok())
        return nullptr;

    const QString url = FileUrl(path);
    const QString what = QStringLiteral("loading %1").arg(path);
    const qint64 bytes = QFileInfo(path).size();
    struct Attempt
    {
        OfficeStatus status;
        Reference<css::lang::XComponent> model;
        QString filterName;
        bool unknownType = false;
        bool withFields = true;
        OfficeInteractionLog log;
    };
    auto attempt = [&](const OfficeLoadOptions& attemptOptions) {
        Attempt a;
        rtl::Reference<OfficeInteractionHandler> handler(new OfficeInteractionHandler);
        std::vector<css::beans::PropertyValue> descriptor = LoadDescriptor(url, plan, attemptOptions, handler.get());
        a.filterName = plan.filterName;
        a.status = d->guarded(Phase::Load, what, [&] {
            if (a.filterName.isEmpty()) {
                if (!d->detection.is())
                    d->detection = NewTypeDetection(d->context);
                a.filterName = DetectFilter(d->detection, descriptor);
                // HTML given as a document is read by the word processor, as
                // HTML inputs are.
                if (a.filterName == QLatin1String("HTML"))
                    a.filterName = QStringLiteral("HTML (StarWriter)");
                if (a.filterName.isEmpty() || !FilterFitsFormat(options.format, a.filterName)) {
                    a.unknownType = true;
                    return;
                }
                SetDescriptorValue(descriptor, "FilterName", css::uno::Any(toOUString(a.filterName)));
            }
            a.model = LoadTextModel(d->context, descriptor);
            try {
                RemoveComments(a.model, &a.withFields);
                AttachHiddenView(d->desktop, a.model, handler.get());
            } catch (...) {
                try {
                    a.model->dispose();
                } catch (const css::uno::Exception&) {
                }
                a.model.clear();
                throw;
            }
        }, bytes);
        a.log = handler->log();
        return a;
    };
    auto loaded = [](const Attempt& a) { return a.status.ok() && !a.unknownType && a.model.is(); };

    // The password goes only to a file that asks for one: a document keeps
    // the password it was loaded with, and the office would protect DOC and
    // ODT outputs of an unprotected document with it.
    OfficeLoadOptions withoutPassword = options;
    withoutPassword.password.clear();
    Attempt first = attempt(withoutPassword);
    if (loaded(first))
        return d->adopt(first.model, first.filterName, first.withFields, bytes, path);
    if (first.status.officeStopped()) {
        status = first.status;
        return nullptr;
    }
    if (!options.password.isEmpty() && first.log.passwordRequested) {
        Attempt second = attempt(options);
        if (loaded(second))
            return d->adopt(second.model, second.filterName, second.withFields, bytes, path);
        if (second.status.officeStopped()) {
            status = second.status;
            return nullptr;
        }
        // The file wants a password, and this one does not open it (some
        // filters turn it down without asking for another).
        second.log.passwordRequested = true;
        status = LoadFailure(path, options, second.log, second.status, second.unknownType);
    } else {
        status = LoadFailure(path, options, first.log, first.status, first.unknownType);
    }
    // Without keep-alive the office lives only while documents are open.
    if (d->documents.empty() && !d->keepAlive)
        d->quit();
    return nullptr;
}

std::unique_ptr<OfficeDocument> UnoOfficeEngine::createDocument(OfficeStatus& status)
{
    status = d->ensureRunning();
    if (!status.ok())
        return nullptr;
    rtl::Reference<OfficeInteractionHandler> handler(new OfficeInteractionHandler);
    std::vector<css::beans::PropertyValue> props;
    props.push_back(makeProperty("Hidden", css::uno::Any(true)));
    props.push_back(makeProperty("InteractionHandler", css::uno::Any(Reference<css::task::XInteractionHandler>(handler.get()))));
    Reference<css::lang::XComponent> component;
    status = d->guarded(Phase::Load, QStringLiteral("creating a document"), [&] {
        Reference<css::frame::XComponentLoader> loader(d->desktop, UNO_QUERY_THROW);
        component = loader->loadComponentFromURL("private:factory/swriter", "_blank", 0, toSequence(props));
    });
    if (status.ok() && !component.is())
        status = {OfficeFailure::LoadFailed, QStringLiteral("The office could not create a document.")};
    if (!status.ok())
        return nullptr;
    return d->adopt(component, QString());
}

UnoOfficeDocument::UnoOfficeDocument(std::unique_ptr<Private> p, QString filterName)
    : OfficeDocument(std::move(filterName))
    , d(std::move(p))
{
}

UnoOfficeDocument::~UnoOfficeDocument()
{
    if (auto engine = d->engine.lock())
        engine->closeDocument(*d);
}

bool UnoOfficeDocument::loadedWithFields() const
{
    return d->withFields;
}

bool UnoOfficeDocument::isOpen() const
{
    auto engine = d->engine.lock();
    return engine && !d->closed && d->generation == engine->generation;
}

namespace {

bool MayBeEmpty(OfficeOutputFormat format)
{
    return format == OfficeOutputFormat::Text || format == OfficeOutputFormat::UnicodeText;
}

} // namespace

OfficeStatus UnoOfficeDocument::save(const QString& path, const OfficeSaveOptions& options)
{
    auto engine = d->engine.lock();
    if (!isOpen())
        return {OfficeFailure::DocumentLost, QStringLiteral("The document is no longer open in the office.")};
    std::vector<css::beans::PropertyValue> descriptor;
    OfficeStatus status;
    if (!SaveDescriptor(options, descriptor, status))
        return status;

    const QFileInfo target(path);
    if (!QFileInfo(target.absolutePath()).isDir())
        return {OfficeFailure::SaveFailed, QStringLiteral("The folder %1 does not exist.").arg(target.absolutePath())};

    // The office writes into a folder of our own; only the finished file
    // comes into the target's folder.
    QString error;
    OfficeSaveFolder folder;
    if (!folder.create(path, error))
        return {OfficeFailure::SaveFailed, error};
    const rtl::OUString url = toOUString(FileUrl(folder.file()));
    const auto seq = toSequence(descriptor);
    const QString what = QStringLiteral("saving %1 as %2").arg(path, OutputFormatName(options));
    const int maxDpi = options.format == OfficeOutputFormat::Pdf ? options.pdf.maxImageResolution : 0;
    status = engine->guarded(Phase::Save, what, [&] {
        // The pictures are made smaller for this export alone.
        OfficePictureReduction pictures;
        if (maxDpi > 0)
            pictures.reduce(engine->context, d->component, maxDpi, folder.folder());
        Reference<css::frame::XStorable> storable(d->component, UNO_QUERY_THROW);
        storable->storeToURL(url, seq);
    }, d->sourceBytes, d->source);
    if (status.ok()) {
        if (engine->saveHook)
            engine->saveHook(folder.folder());
        struct stat st {};
        if (::stat(QFile::encodeName(folder.file()).constData(), &st) != 0
            || (st.st_size == 0 && !MayBeEmpty(options.format)))
            status = {OfficeFailure::SaveFailed, QStringLiteral("The office wrote nothing while %1.").arg(what)};
    } else if (status.failure == OfficeFailure::SaveFailed) {
        status.message = QStringLiteral("The office could not write %1 as %2 (%3).")
                             .arg(path, OutputFormatName(options), status.message);
    }
    QString finished = folder.file();
    if (status.ok() && options.format == OfficeOutputFormat::Pdf && PdfNeedsEncryption(options.pdf)) {
        // Encrypted beside the plain file, inside the private folder: the
        // plain PDF never reaches the target's folder. Named after it, so
        // that no output name can be the same file.
        finished = folder.file() + QStringLiteral(".encrypted");
        if (!EncryptPdf(folder.file(), finished, options.pdf, error))
            status = {OfficeFailure::SaveFailed, error};
    }
    if (status.ok() && !MoveIntoPlace(finished, path, error))
        status = {OfficeFailure::SaveFailed, error};
    return status;
}

OfficeStatus RunOnDocument(OfficeDocument& doc, const QString& what,
                           const std::function<void(const Reference<css::lang::XComponent>&)>& fn)
{
    UnoOfficeDocument::Private* p = static_cast<UnoOfficeDocument&>(doc).impl();
    auto engine = p->engine.lock();
    if (!doc.isOpen())
        return {OfficeFailure::DocumentLost, QStringLiteral("The document is no longer open in the office.")};
    return engine->guarded(Phase::Call, what, [&] { fn(p->component); }, p->sourceBytes, p->source);
}

std::unique_ptr<OfficeEngine> MakeUnoOfficeEngine()
{
    return std::make_unique<UnoOfficeEngine>();
}
