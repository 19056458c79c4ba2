// Fields of the text control: listed by scope, read as tab-separated data,
// and turned into plain text. The office lists the form fields of Word
// documents (field marks) among its text fields.
#include "textcontrol/TextControlPrivate.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XFormField.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextField.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextFramesSupplier.hpp>

#include <QStringList>

#include <algorithm>

using css::beans::XPropertySet;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using css::uno::XInterface;

namespace {

constexpr int kScopeFormFields = 0;
constexpr int kScopeMainText = 1;
constexpr int kScopeHeaders = 2;
constexpr int kScopeFooters = 4;
constexpr int kScopeFrames = 8;
constexpr int kScopeElsewhere = 16;

using TextSet = std::vector<Reference<XInterface>>;

bool Contains(const TextSet& set, const Reference<XInterface>& text)
{
    return std::find(set.begin(), set.end(), text) != set.end();
}

struct DocumentTexts
{
    Reference<XInterface> main;
    TextSet headers;
    TextSet footers;
    TextSet frames;

    int scopeOf(const Reference<css::text::XText>& text) const
    {
        const Reference<XInterface> t(text, UNO_QUERY);
        if (t == main)
            return kScopeMainText;
        if (Contains(headers, t))
            return kScopeHeaders;
        if (Contains(footers, t))
            return kScopeFooters;
        if (Contains(frames, t))
            return kScopeFrames;
        return kScopeElsewhere;
    }
};

DocumentTexts CollectTexts(const Reference<css::lang::XComponent>& model)
{
    DocumentTexts texts;
    texts.main.set(Reference<css::text::XTextDocument>(model, UNO_QUERY_THROW)->getText(), UNO_QUERY);
    Reference<css::style::XStyleFamiliesSupplier> families(model, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pageStyles(families->getStyleFamilies()->getByName("PageStyles"),
                                                      UNO_QUERY_THROW);
    // The six texts of a page style in one call; sorted, as the call
    // wants its names.
    const rtl::OUString sorted[] = {"FooterText", "FooterTextFirst", "FooterTextLeft",
                                    "HeaderText", "HeaderTextFirst", "HeaderTextLeft"};
    const Sequence<rtl::OUString> names(sorted, 6);
    const auto styles = pageStyles->getElementNames();
    for (const rtl::OUString& name : styles) {
        Reference<css::beans::XMultiPropertySet> style(pageStyles->getByName(name), UNO_QUERY_THROW);
        const Sequence<Any> values = style->getPropertyValues(names);
        for (sal_Int32 i = 0; i < values.getLength() && i < names.getLength(); ++i) {
            Reference<XInterface> t(values[i], UNO_QUERY);
            if (t.is())
                (i < 3 ? texts.footers : texts.headers).push_back(t);
        }
    }
    Reference<css::text::XTextFramesSupplier> frames(model, UNO_QUERY);
    if (frames.is()) {
        Reference<css::container::XIndexAccess> all(frames->getTextFrames(), UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < all->getCount(); ++i)
            texts.frames.push_back(Reference<XInterface>(all->getByIndex(i), UNO_QUERY));
    }
    return texts;
}

QString Property(const Reference<XPropertySet>& props, const char* name)
{
    rtl::OUString value;
    props->getPropertyValue(rtl::OUString::createFromAscii(name)) >>= value;
    return toQString(value);
}

QString JoinItems(const Sequence<rtl::OUString>& items)
{
    QStringList list;
    for (const rtl::OUString& item : items)
        list << toQString(item);
    return list.join(QLatin1Char(';'));
}

// Data of a drop-down list: name, help, the items, and the chosen one as
// Word writes it (w:listEntry w:val="...").
QString DropDownData(const QString& name, const QString& help, const QString& items, const QString& selected)
{
    return QStringList{name, help, items, QStringLiteral("w:listEntry w:val=\"%1\"").arg(selected)}.join(QLatin1Char('\t'));
}

void AddFormFieldMark(const Reference<css::text::XFormField>& mark, TextControlField& entry)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const QString type = toQString(mark->getFieldType()).section(QLatin1Char('.'), -1);
    Reference<css::container::XNameContainer> params = mark->getParameters();
#pragma GCC diagnostic pop
    entry.scope = kScopeFormFields;
    entry.type = type == QLatin1String("FORMTEXT") ? QStringLiteral("FORMTEXTBOX") : type;
    if (type != QLatin1String("FORMDROPDOWN"))
        return;
    Sequence<rtl::OUString> items;
    sal_Int32 chosen = 0;
    if (params->hasByName("Dropdown_ListEntry"))
        params->getByName("Dropdown_ListEntry") >>= items;
    if (params->hasByName("Dropdown_Selected"))
        params->getByName("Dropdown_Selected") >>= chosen;
    const QString selected = chosen >= 0 && chosen < items.getLength() ? toQString(items[chosen]) : QString();
    entry.data = DropDownData(QString(), QString(), JoinItems(items), selected);
}

void ListTextFields(const Reference<css::lang::XComponent>& model, std::vector<TextControlField>& fields)
{
    Reference<css::text::XTextFieldsSupplier> supplier(model, UNO_QUERY_THROW);
    Reference<css::container::XEnumeration> all = supplier->getTextFields()->createEnumeration();
    std::vector<Reference<css::text::XTextField>> found;
    while (all->hasMoreElements()) {
        Reference<css::text::XTextField> field(all->nextElement(), UNO_QUERY);
        if (field.is())
            found.push_back(field);
    }
    // Where the fields are is asked only of a document that has some: it
    // takes a call per page style.
    if (found.empty())
        return;
    const DocumentTexts texts = CollectTexts(model);
    for (const Reference<css::text::XTextField>& field : found) {
        Reference<css::lang::XServiceInfo> info(field, UNO_QUERY);
        if (!info.is())
            continue;
        TextControlField entry;
        entry.object = field;
        entry.scope = texts.scopeOf(field->getAnchor()->getText());
        Reference<XPropertySet> props(field, UNO_QUERY);
        if (Reference<css::text::XFormField> mark{field, UNO_QUERY}; mark.is()) {
            // Check boxes, drop-downs and text boxes of Word documents.
            AddFormFieldMark(mark, entry);
        } else if (info->supportsService("com.sun.star.text.textfield.PageCount")) {
            entry.type = QStringLiteral("NUMPAGES");
        } else if (info->supportsService("com.sun.star.text.textfield.PageNumber")) {
            entry.type = QStringLiteral("PAGE");
        } else if (info->supportsService("com.sun.star.text.textfield.DropDown")) {
            Sequence<rtl::OUString> items;
            props->getPropertyValue("Items") >>= items;
            entry.scope = kScopeFormFields;
            entry.type = QStringLiteral("FORMDROPDOWN");
            entry.data = DropDownData(Property(props, "Name"), Property(props, "Help"), JoinItems(items),
                                      Property(props, "SelectedItem"));
        } else if (info->supportsService("com.sun.star.text.textfield.Input")) {
            entry.scope = kScopeFormFields;
            entry.type = QStringLiteral("FORMTEXTBOX");
            entry.data = Property(props, "Content");
        } else if (info->supportsService("com.sun.star.text.textfield.DateTime")) {
            entry.type = QStringLiteral("DATE");
        } else if (info->supportsService("com.sun.star.text.textfield.Database")) {
            entry.type = QStringLiteral("MERGEFIELD");
        } else {
            const auto services = info->getSupportedServiceNames();
            const QString service = services.getLength() ? toQString(services[0]) : QString();
            entry.type = service.section(QLatin1Char('.'), -1).toUpper();
        }
        fields.push_back(entry);
    }
}

} // namespace

namespace {

const TextControlField& FieldAt(UnoTextControl::Private& p, int id)
{
    if (id < 1 || id > static_cast<int>(p.fields.size()))
        p.raise(kErrInvalidValue, QStringLiteral("There is no field %1.").arg(id));
    return p.fields[static_cast<size_t>(id - 1)];
}

void EnsureFieldsListed(UnoTextControl::Private& p)
{
    if (p.fieldsListed)
        return;
    p.fields.clear();
    OfficeDocument* doc = p.openDocument();
    // A document that came without fields and was not changed since has
    // none: the load counted them already.
    if (doc && !(p.asLoaded && !doc->loadedWithFields())) {
        p.run(*doc, QStringLiteral("listing fields"), [&](const Reference<css::lang::XComponent>& model) {
            ListTextFields(model, p.fields);
        });
    }
    p.fieldsListed = true;
}

} // namespace

int UnoTextControl::FieldScope() const
{
    return d->fieldScope;
}

void UnoTextControl::setFieldScope(int scope)
{
    d->fieldScope = scope;
    EnsureFieldsListed(*d);
}

int UnoTextControl::NextFieldId(int id, int /*flags*/)
{
    EnsureFieldsListed(*d);
    for (size_t i = static_cast<size_t>(std::max(id, 0)); i < d->fields.size(); ++i) {
        if (d->fields[i].scope == d->fieldScope && d->fields[i].object.is())
            return static_cast<int>(i + 1);
    }
    return 0;
}

int UnoTextControl::CurrentFieldId() const
{
    return d->currentFieldId;
}

void UnoTextControl::setCurrentFieldId(int id)
{
    EnsureFieldsListed(*d);
    FieldAt(*d, id);
    d->currentFieldId = id;
}

QString UnoTextControl::FieldData(int id) const
{
    EnsureFieldsListed(*d);
    const TextControlField& field = FieldAt(*d, id);
    return field.data.isEmpty() ? field.type : field.type + QLatin1Char('\t') + field.data;
}

QString UnoTextControl::CurrentFieldText() const
{
    EnsureFieldsListed(*d);
    const TextControlField& field = FieldAt(*d, d->currentFieldId);
    QString text;
    if (!field.object.is())
        return text;
    d->run(*d->openDocument(), QStringLiteral("reading a field"), [&](const Reference<css::lang::XComponent>&) {
        Reference<css::text::XTextField> textField(field.object, UNO_QUERY);
        if (textField.is())
            text = toQString(textField->getPresentation(false));
        else
            text = toQString(Reference<css::text::XTextContent>(field.object, UNO_QUERY_THROW)->getAnchor()->getString());
    });
    return text;
}

void UnoTextControl::setCurrentFieldText(const QString& value)
{
    EnsureFieldsListed(*d);
    FieldAt(*d, d->currentFieldId);
    TextControlField& field = d->fields[static_cast<size_t>(d->currentFieldId - 1)];
    if (!field.object.is())
        return;
    d->run(*d->openDocument(), QStringLiteral("replacing a field"), [&](const Reference<css::lang::XComponent>&) {
        Reference<css::text::XTextContent> content(field.object, UNO_QUERY_THROW);
        Reference<css::text::XTextRange> anchor = content->getAnchor();
        Reference<css::text::XText> text = anchor->getText();
        Reference<css::text::XTextRange> cursor(text->createTextCursorByRange(anchor->getStart()), UNO_QUERY_THROW);
        text->removeTextContent(content);
        text->insertString(cursor, toOUString(value), false);
    });
    // The field is plain text now; the other fields keep their ids.
    d->textChanged();
    field.object.clear();
    field.type.clear();
    field.data.clear();
}
