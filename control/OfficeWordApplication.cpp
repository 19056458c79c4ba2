#include "OfficeWordApplication.h"

#include "office/OfficeEngine.h"
#include "office/OfficeUno.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>

#include <com/sun/star/beans/XPropertySet.hpp>

#include <list>
#include <mutex>

namespace {

constexpr int kVersionQueryMs = 20000;

int NumberFor(OfficeFailure failure)
{
    switch (failure) {
    case OfficeFailure::None: return 0;
    case OfficeFailure::FileNotFound: return wordautomation::FileNotFound;
    case OfficeFailure::PasswordRequired:
    case OfficeFailure::WrongPassword: return wordautomation::BadPassword;
    case OfficeFailure::WrongFormat:
    case OfficeFailure::LoadFailed: return wordautomation::CannotOpen;
    case OfficeFailure::SaveFailed:
    case OfficeFailure::CallFailed: return wordautomation::SaveFailed;
    case OfficeFailure::Refused: return wordautomation::BadArgument;
    case OfficeFailure::StartFailed:
    case OfficeFailure::LoadTimeout:
    case OfficeFailure::SaveTimeout:
    case OfficeFailure::CallTimeout:
    case OfficeFailure::OfficeDied:
    case OfficeFailure::DocumentLost: return wordautomation::OfficeLost;
    case OfficeFailure::MemoryExceeded: return wordautomation::OutOfMemory;
    }
    return wordautomation::OfficeLost;
}

[[noreturn]] void Raise(const OfficeStatus& status)
{
    throw WordError{NumberFor(status.failure), status.message};
}

class OfficeWordApplication;

class OfficeWordDocument : public WordDocument
{
public:
    OfficeWordDocument(OfficeWordApplication& application, std::unique_ptr<OfficeDocument> document)
        : m_application(application)
        , m_document(std::move(document))
    {
    }

    void SetTrackRevisions(bool track) override
    {
        const OfficeStatus status = RunOnDocument(*m_document, QStringLiteral("setting change tracking"),
                                                  [track](const css::uno::Reference<css::lang::XComponent>& model) {
            css::uno::Reference<css::beans::XPropertySet> properties(model, css::uno::UNO_QUERY_THROW);
            properties->setPropertyValue("RecordChanges", css::uno::Any(track));
        });
        if (!status.ok())
            Raise(status);
    }

    void Convert() override
    {
        // The office reads older formats into its current model as it
        // loads them: there is nothing left to bring up to date.
        if (!m_document->isOpen())
            Raise({OfficeFailure::DocumentLost, QStringLiteral("The document is no longer open in the office.")});
    }

    void SaveAs(const QString& fileName, int fileFormat, bool, const QString& password, bool,
                const QString& writePassword, bool) override
    {
        save(fileName, WordSaveOptions(fileFormat, password, writePassword));
    }

    void ExportAsFixedFormat(const QString& outputFileName, int exportFormat, bool) override
    {
        if (exportFormat != wordautomation::FormatPdf)
            throw WordError{wordautomation::BadArgument,
                            QStringLiteral("The export format %1 is not offered; 17 is PDF.").arg(exportFormat)};
        save(outputFileName, OfficeSaveOptions{});
    }

    void Close(bool) override;

private:
    void save(const QString& fileName, const OfficeSaveOptions& options)
    {
        if (fileName.trimmed().isEmpty())
            throw WordError{wordautomation::SaveFailed, QStringLiteral("No file name was given to save to.")};
        const OfficeStatus status = m_document->save(fileName, options);
        if (!status.ok())
            Raise(status);
    }

    OfficeWordApplication& m_application;
    std::unique_ptr<OfficeDocument> m_document;
};

class OfficeWordApplication : public WordApplication
{
public:
    OfficeWordApplication(const QString& program, const QString& officeVersion, int loadMs, int saveMs)
        : m_officeVersion(officeVersion)
    {
        m_engine->setProgram(program);
        m_engine->setKeepAlive(true); // the control decides when the instance goes
        if (loadMs >= 0)
            m_engine->setLoadTimeout(loadMs);
        if (saveMs >= 0)
            m_engine->setSaveTimeout(saveMs);
    }

    ~OfficeWordApplication() override
    {
        // The documents go before the office that holds them.
        m_documents.clear();
    }

    void Quit(bool) override
    {
        m_documents.clear();
        m_engine->shutdown();
        m_quit = true;
    }

    QString Version() override
    {
        answer();
        return WordLevelForOfficeVersion(m_officeVersion);
    }

    QString Build() override
    {
        answer();
        return m_officeVersion;
    }

    void SetDisplayAlerts(int level) override
    {
        answer();
        m_displayAlerts = level;
    }

    bool Visible() override
    {
        answer();
        return false; // the office runs without a window
    }

    void SetVisible(bool) override { answer(); }
    void SetNormalTemplateSaved(bool) override { answer(); }

    WordDocument& DocumentsOpen(const QString& fileName, bool, bool, bool, const QString& passwordDocument,
                                const QString&, bool, const QString&, const QString&) override
    {
        // Always read-only, and the write passwords are only needed to
        // write the source back, which never happens.
        notQuit();
        OfficeLoadOptions options = WordSourceLoadOptions(fileName);
        options.password = passwordDocument;
        OfficeStatus status;
        m_started = true;
        std::unique_ptr<OfficeDocument> document = m_engine->load(fileName, options, status);
        if (!document)
            Raise(status);
        return adopt(std::move(document));
    }

    WordDocument& DocumentsAdd() override
    {
        notQuit();
        OfficeStatus status;
        m_started = true;
        std::unique_ptr<OfficeDocument> document = m_engine->createDocument(status);
        if (!document)
            Raise(status);
        return adopt(std::move(document));
    }

    WordDocument& ActiveDocument() override
    {
        notQuit();
        if (m_documents.empty())
            throw WordError{wordautomation::NoDocument, QStringLiteral("No document is open.")};
        return *m_documents.back();
    }

    void forget(OfficeWordDocument* document)
    {
        m_documents.remove_if([document](const std::unique_ptr<OfficeWordDocument>& d) { return d.get() == document; });
    }

private:
    void notQuit() const
    {
        if (m_quit)
            throw WordError{wordautomation::OfficeLost, QStringLiteral("The office application has quit.")};
    }

    // An application whose office ended (crashed, killed, stopped by the
    // watchdog) no longer answers.
    void answer()
    {
        notQuit();
        if (m_started && m_engine->processId() == 0)
            throw WordError{wordautomation::OfficeLost, QStringLiteral("The office process of this application has ended.")};
    }

    WordDocument& adopt(std::unique_ptr<OfficeDocument> document)
    {
        m_documents.push_back(std::make_unique<OfficeWordDocument>(*this, std::move(document)));
        return *m_documents.back();
    }

    const std::unique_ptr<OfficeEngine> m_engine = OfficeEngine::Create();
    QString m_officeVersion;
    std::list<std::unique_ptr<OfficeWordDocument>> m_documents;
    int m_displayAlerts = 0;
    bool m_started = false;
    bool m_quit = false;
};

void OfficeWordDocument::Close(bool)
{
    // Closing never saves: the source was opened read-only. This object
    // goes with the call.
    m_application.forget(this);
}

} // namespace

OfficeLoadOptions WordSourceLoadOptions(const QString& path)
{
    OfficeLoadOptions options;
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("htm") || extension == QLatin1String("html")) {
        options.format = OfficeInputFormat::Html;
        return options;
    }
    if (extension == QLatin1String("txt") || extension == QLatin1String("text") || extension == QLatin1String("asc")) {
        options.format = OfficeInputFormat::Text;
        return options;
    }
    if (extension == QLatin1String("xml")) {
        options.format = OfficeInputFormat::Xml;
        return options;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return options; // the load says what is wrong with it
    const QByteArray head = file.read(4096);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        options.format = OfficeInputFormat::Text;
        return options;
    }
    if (head.startsWith("{\\rtf") || head.startsWith("PK\x03\x04") || head.startsWith("\xD0\xCF\x11\xE0"))
        return options;
    const QByteArray start = head.trimmed().left(512).toLower();
    if (start.startsWith("<!doctype html") || start.startsWith("<html") || start.contains("<html")) {
        options.format = OfficeInputFormat::Html;
        return options;
    }
    if (start.startsWith("<?xml")) {
        options.format = OfficeInputFormat::Xml;
        return options;
    }
    if (!head.isEmpty() && !head.contains('\0'))
        options.format = OfficeInputFormat::Text;
    return options;
}

OfficeSaveOptions WordSaveOptions(int fileFormat, const QString& password, const QString& writePassword)
{
    using namespace wordautomation;
    OfficeSaveOptions options;
    switch (fileFormat) {
    case FormatDocument: options.format = OfficeOutputFormat::Doc; break;
    case FormatText:
    case FormatTextLineBreaks: options.format = OfficeOutputFormat::Text; break;
    case FormatRtf: options.format = OfficeOutputFormat::Rtf; break;
    case FormatUnicodeText: options.format = OfficeOutputFormat::UnicodeText; break;
    case FormatHtml:
    case FormatFilteredHtml: options.format = OfficeOutputFormat::Html; break;
    case FormatXmlDocument:
    case FormatDocumentDefault: options.format = OfficeOutputFormat::Docx; break;
    case FormatXmlDocumentMacroEnabled: options.format = OfficeOutputFormat::Docm; break;
    case FormatPdf: options.format = OfficeOutputFormat::Pdf; break;
    case FormatOpenDocumentText: options.format = OfficeOutputFormat::Odt; break;
    default:
        throw WordError{BadArgument,
                        QStringLiteral("The save format %1 is not offered; the formats are 0 DOC, 2 and 3 text, "
                                       "6 RTF, 7 Unicode text, 8 and 10 HTML, 12 and 16 DOCX, 13 DOCM, 17 PDF "
                                       "and 23 ODT.").arg(fileFormat)};
    }
    if (!writePassword.isEmpty())
        throw WordError{BadArgument, QStringLiteral("An output cannot be given a password to modify; nothing was written.")};
    if (options.format == OfficeOutputFormat::Pdf)
        options.pdf.openPassword = password;
    else
        options.documentPassword = password;
    return options;
}

QString OfficeProgramVersion(const QString& program)
{
    static std::mutex mutex;
    static QHash<QString, QString> versions;
    std::lock_guard<std::mutex> lock(mutex);
    const auto known = versions.constFind(program);
    if (known != versions.cend())
        return known.value();

    QString version;
    if (QFileInfo(program).isExecutable()) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, {QStringLiteral("--version")});
        if (process.waitForFinished(kVersionQueryMs)) {
            static const QRegularExpression pattern(QStringLiteral("LibreOffice ([0-9]+(?:\\.[0-9]+)*)"));
            const auto match = pattern.match(QString::fromLocal8Bit(process.readAll()));
            if (match.hasMatch())
                version = match.captured(1);
        } else {
            process.kill();
            process.waitForFinished();
        }
    }
    versions.insert(program, version);
    return version;
}

QString WordLevelForOfficeVersion(const QString& officeVersion)
{
    bool numeric = false;
    const int major = officeVersion.section(u'.', 0, 0).toInt(&numeric);
    return numeric && major >= 7 ? QStringLiteral("16.0") : QString();
}

OfficeWordAutomation::OfficeWordAutomation()
    : m_program(QStringLiteral(TESSAVIEW_LO_PROGRAM_DIR "/soffice.bin"))
{
}

void OfficeWordAutomation::SetTimeouts(int loadMs, int saveMs)
{
    m_loadTimeoutMs = loadMs;
    m_saveTimeoutMs = saveMs;
}

std::unique_ptr<WordApplication> OfficeWordAutomation::CreateApplication()
{
    const QString version = OfficeProgramVersion(m_program);
    if (WordLevelForOfficeVersion(version).isEmpty()) {
        const QString why = version.isEmpty()
            ? QStringLiteral("%1 does not run or does not report a LibreOffice version").arg(m_program)
            : QStringLiteral("LibreOffice %1 is older than 7.0").arg(version);
        throw WordError{wordautomation::CannotCreate, QStringLiteral("No office application can be made: %1.").arg(why)};
    }
    return std::make_unique<OfficeWordApplication>(m_program, version, m_loadTimeoutMs, m_saveTimeoutMs);
}
