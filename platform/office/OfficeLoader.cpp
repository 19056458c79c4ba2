#include "office/OfficeLoader.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextRange.hpp>

using css::beans::PropertyValue;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

QString DescriptorText(const std::vector<PropertyValue>& descriptor, const char* name)
{
    for (const PropertyValue& p : descriptor) {
        rtl::OUString value;
        if (p.Name.equalsAscii(name) && (p.Value >>= value))
            return toQString(value);
    }
    return {};
}

void SetDescriptorValue(std::vector<PropertyValue>& descriptor, const char* name, const Any& value)
{
    for (PropertyValue& p : descriptor) {
        if (p.Name.equalsAscii(name)) {
            p.Value = value;
            return;
        }
    }
    descriptor.push_back(makeProperty(name, value));
}

Reference<css::document::XTypeDetection> NewTypeDetection(const Reference<css::uno::XComponentContext>& context)
{
    return Reference<css::document::XTypeDetection>(
        context->getServiceManager()->createInstanceWithContext("com.sun.star.document.TypeDetection", context),
        UNO_QUERY_THROW);
}

QString DetectFilter(const Reference<css::document::XTypeDetection>& detection, std::vector<PropertyValue>& descriptor)
{
    Sequence<PropertyValue> seq = toSequence(descriptor);
    const rtl::OUString type = detection->queryTypeByDescriptor(seq, true);
    descriptor.assign(seq.begin(), seq.end());
    if (type.isEmpty())
        return {};
    const QString filter = DescriptorText(descriptor, "FilterName");
    if (!filter.isEmpty())
        return filter;
    Reference<css::container::XNameAccess> types(detection, UNO_QUERY_THROW);
    Sequence<PropertyValue> typeProps;
    types->getByName(type) >>= typeProps;
    for (const PropertyValue& p : typeProps) {
        rtl::OUString preferred;
        if (p.Name == "PreferredFilter" && (p.Value >>= preferred))
            return toQString(preferred);
    }
    return {};
}

Reference<css::lang::XComponent> LoadTextModel(const Reference<css::uno::XComponentContext>& context,
                                               const std::vector<PropertyValue>& descriptor)
{
    Reference<css::frame::XLoadable> loadable(
        context->getServiceManager()->createInstanceWithContext("com.sun.star.text.TextDocument", context),
        UNO_QUERY_THROW);
    Reference<css::lang::XComponent> model(loadable, UNO_QUERY_THROW);
    try {
        loadable->load(toSequence(descriptor));
    } catch (...) {
        // A model that failed to load still holds the file open.
        try {
            model->dispose();
        } catch (const css::uno::Exception&) {
        }
        throw;
    }
    return model;
}

int RemoveComments(const Reference<css::lang::XComponent>& model, bool* otherFields)
{
    if (otherFields)
        *otherFields = false;
    Reference<css::text::XTextFieldsSupplier> supplier(model, UNO_QUERY);
    if (!supplier.is())
        return 0;
    std::vector<Reference<css::text::XTextContent>> comments;
    Reference<css::container::XEnumeration> fields = supplier->getTextFields()->createEnumeration();
    while (fields->hasMoreElements()) {
        Reference<css::lang::XServiceInfo> info(fields->nextElement(), UNO_QUERY);
        if (info.is() && info->supportsService("com.sun.star.text.textfield.Annotation"))
            comments.emplace_back(info, UNO_QUERY);
        else if (otherFields)
            *otherFields = true;
    }
    for (const auto& comment : comments) {
        if (comment.is())
            comment->getAnchor()->getText()->removeTextContent(comment);
    }
    return static_cast<int>(comments.size());
}

void AttachHiddenView(const Reference<css::frame::XDesktop2>& desktop, const Reference<css::lang::XComponent>& model,
                      const Reference<css::task::XInteractionHandler>& handler)
{
    std::vector<PropertyValue> props;
    props.push_back(makeProperty("Model", Any(Reference<css::frame::XModel>(model, UNO_QUERY_THROW))));
    props.push_back(makeProperty("Hidden", Any(true)));
    props.push_back(makeProperty("InteractionHandler", Any(handler)));
    Reference<css::frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
    loader->loadComponentFromURL("private:object", "_blank", 0, toSequence(props));
}
