#pragma once
// The UNO side of the office engine, for the engine's own sources and for
// stand-ins built on it (the text control), all in the office's module. Not
// for the rest of the program: it pulls in the UNO headers and their macros.
#include "office/OfficeEngine.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <QString>

#include <functional>
#include <memory>

namespace css = com::sun::star;

inline rtl::OUString toOUString(const QString& s)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}

inline QString toQString(const rtl::OUString& s)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s.getStr()), s.getLength());
}

inline css::beans::PropertyValue makeProperty(const char* name, const css::uno::Any& value)
{
    css::beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

inline css::beans::NamedValue makeNamedValue(const char* name, const css::uno::Any& value)
{
    css::beans::NamedValue v;
    v.Name = rtl::OUString::createFromAscii(name);
    v.Value = value;
    return v;
}

template <typename T>
css::uno::Sequence<T> toSequence(const std::vector<T>& values)
{
    css::uno::Sequence<T> seq(static_cast<sal_Int32>(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        seq[static_cast<sal_Int32>(i)] = values[i];
    return seq;
}

// The engine of office/OfficeEngine.h.
class UnoOfficeEngine final : public OfficeEngine
{
public:
    UnoOfficeEngine();
    ~UnoOfficeEngine() override;

    void setKeepAlive(bool keep) override;
    bool keepAlive() const override;
    void setLoadTimeLimit(const OfficeTimeLimit& limit) override;
    void setSaveTimeLimit(const OfficeTimeLimit& limit) override;
    OfficeTimeLimit loadTimeLimit() const override;
    OfficeTimeLimit saveTimeLimit() const override;
    void setMemoryBudget(qint64 bytes) override;
    qint64 memoryBudget() const override;
    void setProgram(const QString& path) override;
    QString program() const override;
    pid_t processId() const override;
    void setSaveHook(std::function<void(const QString& privateFolder)> hook) override;
    OfficeStatus start() override;
    void shutdown() override;
    std::unique_ptr<OfficeDocument> load(const QString& path, const OfficeLoadOptions& options,
                                         OfficeStatus& status) override;
    std::unique_ptr<OfficeDocument> createDocument(OfficeStatus& status) override;

    struct Private;

private:
    std::shared_ptr<Private> d;
};

// The documents an UnoOfficeEngine opens.
class UnoOfficeDocument final : public OfficeDocument
{
public:
    ~UnoOfficeDocument() override;

    OfficeStatus save(const QString& path, const OfficeSaveOptions& options) override;
    bool isOpen() const override;
    bool loadedWithFields() const override;

    struct Private;
    Private* impl() const { return d.get(); }

private:
    friend struct UnoOfficeEngine::Private;
    UnoOfficeDocument(std::unique_ptr<Private> p, QString filterName);

    std::unique_ptr<Private> d;
};

// A document's UNO side and its tie to the engine that opened it.
struct UnoOfficeDocument::Private
{
    std::weak_ptr<UnoOfficeEngine::Private> engine;
    unsigned generation = 0; // the office process it lives in
    css::uno::Reference<css::lang::XComponent> component;
    bool closed = false;
    bool withFields = true; // the load found fields besides comments (a new document: unknown)
    qint64 sourceBytes = 0; // the size of the file it was loaded from: its calls' time limits grow with it
    QString source;         // that file, named when the office fails on the document
};

// A new engine of the module.
std::unique_ptr<OfficeEngine> MakeUnoOfficeEngine();

// Runs `fn` with the model of `doc`, a document of the module's engine,
// under the engine's watchdog (the save time limit). UNO exceptions become a failed status with their message; an
// office that died or hung is noticed, stopped and reported, and the
// document counts as lost from then on. `what` names the call for messages
// ("setting the page size").
OfficeStatus RunOnDocument(OfficeDocument& doc, const QString& what,
                           const std::function<void(const css::uno::Reference<css::lang::XComponent>&)>& fn);
