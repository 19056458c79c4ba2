#pragma once
// The UNO side of the office engine, for the engine's own sources and for
// stand-ins built on it (the text control). Not for the rest of the program:
// it pulls in the UNO headers and their macros.
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

// A document's UNO side and its tie to the engine that opened it.
struct OfficeDocument::Private
{
    std::weak_ptr<OfficeEngine::Private> engine;
    unsigned generation = 0; // the office process it lives in
    css::uno::Reference<css::lang::XComponent> component;
    bool closed = false;
    bool withFields = true; // the load found fields besides comments (a new document: unknown)
    qint64 sourceBytes = 0; // the size of the file it was loaded from: its calls' time limits grow with it
    QString source;         // that file, named when the office fails on the document
};

// Runs `fn` with the document's model under the engine's watchdog (the save
// time limit). UNO exceptions become a failed status with their message; an
// office that died or hung is noticed, stopped and reported, and the
// document counts as lost from then on. `what` names the call for messages
// ("setting the page size").
OfficeStatus RunOnDocument(OfficeDocument& doc, const QString& what,
                           const std::function<void(const css::uno::Reference<css::lang::XComponent>&)>& fn);
