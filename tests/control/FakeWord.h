#pragma once
// A word processor that records what the control asks of it and fails
// where a test says, behind the control's automation interface.
#include "WordAutomation.h"
#include "TestUtil.h"

#include <QStringList>

#include <list>
#include <memory>
#include <optional>

struct FakeWordScript
{
    // What happened, in order: "create", "quit", "open <path> pw=<password>",
    // "add", "convert", "track", "saveas <path> @<format> pw=<password>",
    // "export <path> @<format>", "close".
    QStringList calls;
    bool installed = true;
    int createFailures = 0; // the next creations that fail (after the installed test)
    QString version = QStringLiteral("16.0");
    QString build = QStringLiteral("16.0.4266.1001");
    bool visible = false;
    std::optional<WordError> openError;
    std::optional<WordError> saveError;
    std::optional<WordError> closeError;
    std::optional<WordError> quitError;
    int quitsBeforeFailing = 0; // quits that succeed before quitError applies
    QByteArray written = "%PDF-1.4 fake output";
    int openDocuments = 0;
    int liveApplications = 0;
    // Applications made so far; the test may make one stop answering.
    std::list<class FakeWordApplication*> applications;

    int count(const QString& prefix) const
    {
        int n = 0;
        for (const QString& c : calls)
            n += c.startsWith(prefix) ? 1 : 0;
        return n;
    }
};

class FakeWordApplication;

class FakeWordDocument : public WordDocument
{
public:
    FakeWordDocument(FakeWordApplication& app, std::shared_ptr<FakeWordScript> script)
        : m_app(app), m_script(std::move(script))
    {
        ++m_script->openDocuments;
    }
    ~FakeWordDocument() override { --m_script->openDocuments; }

    void SetTrackRevisions(bool) override { m_script->calls << QStringLiteral("track"); }
    void Convert() override { m_script->calls << QStringLiteral("convert"); }
    void SaveAs(const QString& fileName, int fileFormat, bool, const QString& password, bool, const QString&,
                bool) override
    {
        m_script->calls << QStringLiteral("saveas %1 @%2 pw=%3").arg(fileName).arg(fileFormat).arg(password);
        write(fileName);
    }
    void ExportAsFixedFormat(const QString& outputFileName, int exportFormat, bool) override
    {
        m_script->calls << QStringLiteral("export %1 @%2").arg(outputFileName).arg(exportFormat);
        write(outputFileName);
    }
    void Close(bool) override;

private:
    void write(const QString& fileName)
    {
        if (m_script->saveError)
            throw *m_script->saveError;
        if (!testutil::writeFile(fileName, m_script->written))
            throw WordError{wordautomation::SaveFailed, QStringLiteral("cannot write ") + fileName};
    }

    FakeWordApplication& m_app;
    std::shared_ptr<FakeWordScript> m_script;
};

class FakeWordApplication : public WordApplication
{
public:
    explicit FakeWordApplication(std::shared_ptr<FakeWordScript> script) : m_script(std::move(script))
    {
        ++m_script->liveApplications;
        m_script->applications.push_back(this);
    }
    ~FakeWordApplication() override
    {
        m_documents.clear();
        --m_script->liveApplications;
        m_script->applications.remove(this);
    }

    // Stops answering, as an office that crashed.
    void die() { m_dead = true; }

    void Quit(bool) override
    {
        m_script->calls << QStringLiteral("quit");
        if (m_script->quitError && m_script->quitsBeforeFailing-- <= 0)
            throw *m_script->quitError;
        m_documents.clear();
        m_dead = true;
    }
    QString Version() override
    {
        answer();
        return m_script->version;
    }
    QString Build() override
    {
        answer();
        return m_script->build;
    }
    void SetDisplayAlerts(int level) override { m_script->calls << QStringLiteral("alerts %1").arg(level); }
    bool Visible() override { return m_script->visible; }
    void SetVisible(bool visible) override { m_script->visible = visible; }
    void SetNormalTemplateSaved(bool) override {}
    WordDocument& DocumentsOpen(const QString& fileName, bool, bool readOnly, bool, const QString& passwordDocument,
                                const QString&, bool, const QString&, const QString&) override
    {
        answer();
        m_script->calls << QStringLiteral("open %1 pw=%2%3").arg(fileName, passwordDocument,
                                                                 readOnly ? QString() : QStringLiteral(" WRITABLE"));
        if (m_script->openError)
            throw *m_script->openError;
        m_documents.push_back(std::make_unique<FakeWordDocument>(*this, m_script));
        return *m_documents.back();
    }
    WordDocument& DocumentsAdd() override
    {
        answer();
        m_script->calls << QStringLiteral("add");
        m_documents.push_back(std::make_unique<FakeWordDocument>(*this, m_script));
        return *m_documents.back();
    }
    WordDocument& ActiveDocument() override
    {
        if (m_documents.empty())
            throw WordError{wordautomation::NoDocument, QStringLiteral("no document")};
        return *m_documents.back();
    }

    void forget(FakeWordDocument* document)
    {
        m_documents.remove_if([document](const std::unique_ptr<FakeWordDocument>& d) { return d.get() == document; });
    }

private:
    void answer() const
    {
        if (m_dead)
            throw WordError{wordautomation::OfficeLost, QStringLiteral("the application does not answer")};
    }

    std::shared_ptr<FakeWordScript> m_script;
    std::list<std::unique_ptr<FakeWordDocument>> m_documents;
    bool m_dead = false;
};

inline void FakeWordDocument::Close(bool)
{
    m_script->calls << QStringLiteral("close");
    if (m_script->closeError)
        throw *m_script->closeError;
    m_app.forget(this);
}

class FakeWordAutomation : public WordAutomation
{
public:
    explicit FakeWordAutomation(std::shared_ptr<FakeWordScript> script) : m_script(std::move(script)) {}

    std::unique_ptr<WordApplication> CreateApplication() override
    {
        m_script->calls << QStringLiteral("create");
        if (!m_script->installed)
            throw WordError{wordautomation::CannotCreate, QStringLiteral("not installed")};
        if (m_script->createFailures > 0 && m_created > 0) {
            --m_script->createFailures;
            throw WordError{wordautomation::CannotCreate, QStringLiteral("creation failed")};
        }
        ++m_created;
        return std::make_unique<FakeWordApplication>(m_script);
    }

private:
    std::shared_ptr<FakeWordScript> m_script;
    int m_created = 0;
};
