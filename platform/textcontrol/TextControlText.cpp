// Plain text, the selection, and formatted pieces of the text control.
#include "textcontrol/TextControlPrivate.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XContentEnumerationAccess.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XReplaceable.hpp>
#include <com/sun/star/datatransfer/XTransferableSupplier.hpp>
#include <com/sun/star/style/BreakType.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <QRegularExpression>

#include <algorithm>

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// The office's text: one "\n" per paragraph end or line break, and every
// other character as it stands, a CR in a paragraph included. Each counts
// as one position of the document, so positions taken from this text are
// the document's own; folding a CR before a paragraph end into it would
// shift every later position by one.
QString Normalised(const rtl::OUString& text)
{
    return toQString(text);
}

// Moves by any number of characters (the office moves at most 32767 at a
// time); false when the end of the text came first.
bool MoveRight(const Reference<css::text::XTextCursor>& cursor, int count, bool expand)
{
    while (count > 0) {
        const int step = std::min(count, 32767);
        if (!cursor->goRight(static_cast<sal_Int16>(step), expand))
            return false;
        count -= step;
    }
    return true;
}

Reference<css::text::XText> MainText(const Reference<css::lang::XComponent>& model)
{
    return Reference<css::text::XTextDocument>(model, UNO_QUERY_THROW)->getText();
}

// A page break at the cursor: the paragraph the cursor starts begins a new
// page. A cursor inside a paragraph first ends it there. Returns how many
// characters of DocumentText that adds.
int InsertPageBreak(const Reference<css::text::XText>& text, const Reference<css::text::XTextCursor>& cursor)
{
    int added = 0;
    Reference<css::text::XParagraphCursor> paragraph(cursor, UNO_QUERY_THROW);
    if (!paragraph->isStartOfParagraph()) {
        text->insertControlCharacter(Reference<css::text::XTextRange>(cursor.get()),
                                     css::text::ControlCharacter::PARAGRAPH_BREAK, false);
        added = 1;
    }
    Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)
        ->setPropertyValue(rtl::OUString::createFromAscii("BreakType"), Any(css::style::BreakType_PAGE_BEFORE));
    return added;
}

// Puts `text` at the cursor, each line end a paragraph end and each
// character 12 a page break; returns how many characters of DocumentText
// that adds.
int InsertLines(const Reference<css::text::XText>& text, const Reference<css::text::XTextCursor>& cursor,
                const QString& value)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const Reference<css::text::XTextRange> at(cursor.get());
    const QStringList lines = value.split(lineEnd);
    int added = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text->insertControlCharacter(at, css::text::ControlCharacter::PARAGRAPH_BREAK, false);
            ++added;
        }
        const QStringList pages = lines[i].split(QChar(12));
        for (int p = 0; p < pages.size(); ++p) {
            if (p > 0)
                added += InsertPageBreak(text, cursor);
            if (!pages[p].isEmpty()) {
                text->insertString(at, toOUString(pages[p]), false);
                added += pages[p].size();
            }
        }
    }
    return added;
}

Reference<css::frame::XController> ControllerOf(const Reference<css::lang::XComponent>& model)
{
    return Reference<css::frame::XModel>(model, UNO_QUERY_THROW)->getCurrentController();
}

bool IsWhiteSpace(const QString& text)
{
    for (const QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

// A paragraph that holds only white space and nothing else that would go
// with it: no field, picture, frame or footnote among its portions, none
// anchored to it, and no page break or page style of its own.
bool IsBlankParagraph(const Reference<css::uno::XInterface>& element)
{
    Reference<css::lang::XServiceInfo> info(element, UNO_QUERY);
    if (!info.is() || !info->supportsService(rtl::OUString("com.sun.star.text.Paragraph")))
        return false;   // a table
    if (!IsWhiteSpace(toQString(Reference<css::text::XTextRange>(element, UNO_QUERY_THROW)->getString())))
        return false;
    Reference<css::container::XContentEnumerationAccess> anchored(element, UNO_QUERY);
    if (anchored.is()
        && anchored->createContentEnumeration(rtl::OUString("com.sun.star.text.TextContent"))->hasMoreElements())
        return false;
    Reference<css::beans::XPropertySet> properties(element, UNO_QUERY_THROW);
    css::style::BreakType breakType = css::style::BreakType_NONE;
    properties->getPropertyValue(rtl::OUString("BreakType")) >>= breakType;
    rtl::OUString pageStyle;
    properties->getPropertyValue(rtl::OUString("PageDescName")) >>= pageStyle;
    if (breakType != css::style::BreakType_NONE || !pageStyle.isEmpty())
        return false;
    const Reference<css::container::XEnumeration> portions =
        Reference<css::container::XEnumerationAccess>(element, UNO_QUERY_THROW)->createEnumeration();
    while (portions->hasMoreElements()) {
        rtl::OUString type;
        Reference<css::beans::XPropertySet>(portions->nextElement(), UNO_QUERY_THROW)
            ->getPropertyValue(rtl::OUString("TextPortionType")) >>= type;
        if (type != "Text" && type != "SoftPageBreak" && type != "Bookmark")
            return false;
    }
    return true;
}

} // namespace

Reference<css::text::XTextCursor> UnoTextControl::Private::rangeCursor(const Reference<css::lang::XComponent>& model,
                                                                    int start, int length, bool toEnd)
{
    Reference<css::text::XTextCursor> cursor = MainText(model)->createTextCursor();
    cursor->gotoStart(false);
    if (start < 0) {
        cursor->gotoEnd(false);
        return cursor;
    }
    if (!MoveRight(cursor, start, false))
        return cursor; // past the end: the caret stands at the end
    if (toEnd)
        cursor->gotoEnd(true);
    else if (length > 0 && !MoveRight(cursor, length, true))
        cursor->gotoEnd(true);
    return cursor;
}

Reference<css::text::XTextCursor> UnoTextControl::Private::selectionCursor(const Reference<css::lang::XComponent>& model) const
{
    return rangeCursor(model, selStart, selLength, selectionToEnd);
}

Reference<css::beans::XPropertySet> UnoTextControl::Private::selectionProperties(
    const Reference<css::lang::XComponent>& model) const
{
    if (!selectionProps.is())
        selectionProps.set(selectionCursor(model), UNO_QUERY_THROW);
    return selectionProps;
}

QString UnoTextControl::DocumentText() const
{
    OfficeDocument* doc = d->openDocument();
    if (!doc)
        return {};
    QString text;
    d->run(*doc, QStringLiteral("reading the text"), [&](const Reference<css::lang::XComponent>& model) {
        text = Normalised(MainText(model)->getString());
    });
    return text;
}

void UnoTextControl::setDocumentText(const QString& value)
{
    OfficeDocument& doc = d->document();
    d->run(doc, QStringLiteral("replacing the text"), [&](const Reference<css::lang::XComponent>& model) {
        Reference<css::text::XText> text = MainText(model);
        Reference<css::text::XTextCursor> cursor = text->createTextCursor();
        cursor->gotoStart(false);
        cursor->gotoEnd(true);
        cursor->setString(rtl::OUString());
        InsertLines(text, cursor, value);
    });
    d->selStart = 0;
    d->selLength = 0;
    d->documentChanged();
}

int UnoTextControl::SelectionStart() const
{
    if (d->selStart >= 0)
        return d->selStart;
    return static_cast<int>(DocumentText().size());
}

void UnoTextControl::setSelectionStart(int start)
{
    if (start < -1)
        d->raise(kErrInvalidValue, QStringLiteral("%1 is not a text position.").arg(start));
    d->selStart = start;
    d->selLength = 0; // a new caret position drops the old selection
    d->selectionChanged();
}

int UnoTextControl::SelectionLength() const
{
    if (d->selectionToEnd)
        return std::max(0, static_cast<int>(DocumentText().size()) - d->selStart);
    return d->selLength;
}

void UnoTextControl::setSelectionLength(int length)
{
    if (length < 0)
        d->raise(kErrInvalidValue, QStringLiteral("%1 is not a selection length.").arg(length));
    if (d->selStart < 0)
        d->selStart = SelectionStart();
    d->selLength = length;
    d->selectionChanged();
}

void UnoTextControl::SelectAll()
{
    d->selStart = 0;
    d->selLength = 0;
    d->selectionChanged();
    d->selectionToEnd = true;
}

QString UnoTextControl::SelectedText() const
{
    OfficeDocument* doc = d->openDocument();
    if (!doc || (d->selLength == 0 && !d->selectionToEnd))
        return {};
    QString text;
    d->run(*doc, QStringLiteral("reading the selection"), [&](const Reference<css::lang::XComponent>& model) {
        text = Normalised(d->selectionCursor(model)->getString());
    });
    return text;
}

void UnoTextControl::setSelectedText(const QString& value)
{
    OfficeDocument& doc = d->document();
    if (d->selStart < 0)
        d->selStart = SelectionStart();
    int added = 0;
    d->run(doc, QStringLiteral("changing the selection"), [&](const Reference<css::lang::XComponent>& model) {
        Reference<css::text::XTextCursor> cursor = d->selectionCursor(model);
        cursor->setString(rtl::OUString());
        cursor->collapseToEnd();
        added = InsertLines(cursor->getText(), cursor, value);
    });
    // The caret follows what was put in, as after typing.
    d->selStart += added;
    d->selLength = 0;
    d->documentChanged();
}

TextControlData UnoTextControl::CopySelectionData(const QString& /*unused*/, int /*format*/, bool /*unused2*/)
{
    return SelectedFormattedText();
}

void UnoTextControl::InsertData(const TextControlData& data, int /*format*/, bool /*unused*/)
{
    setSelectedFormattedText(data);
}

TextControlData UnoTextControl::SelectedFormattedText() const
{
    TextControlData data;
    OfficeDocument* doc = d->openDocument();
    if (!doc)
        return data;
    auto piece = std::make_shared<TextControlData::Private>();
    d->run(*doc, QStringLiteral("copying the selection"), [&](const Reference<css::lang::XComponent>& model) {
        Reference<css::frame::XController> controller = ControllerOf(model);
        Reference<css::view::XSelectionSupplier>(controller, UNO_QUERY_THROW)
            ->select(Any(Reference<css::text::XTextRange>(d->selectionCursor(model).get())));
        piece->transferable = Reference<css::datatransfer::XTransferableSupplier>(controller, UNO_QUERY_THROW)
                                  ->getTransferable();
    });
    // Data holds a piece only when there is one.
    if (piece->transferable.is())
        data.d = piece;
    return data;
}

void UnoTextControl::setSelectedFormattedText(const TextControlData& data)
{
    if (data.isEmpty())
        return;
    OfficeDocument& doc = d->document();
    if (d->selStart < 0)
        d->selStart = SelectionStart();
    int caret = d->selStart;
    d->run(doc, QStringLiteral("inserting formatted text"), [&](const Reference<css::lang::XComponent>& model) {
        Reference<css::frame::XController> controller = ControllerOf(model);
        Reference<css::view::XSelectionSupplier>(controller, UNO_QUERY_THROW)
            ->select(Any(Reference<css::text::XTextRange>(d->selectionCursor(model).get())));
        Reference<css::datatransfer::XTransferableSupplier>(controller, UNO_QUERY_THROW)
            ->insertTransferable(data.d->transferable);
        // The caret stands after the inserted piece; count the text before it.
        Reference<css::text::XTextRange> viewCursor(
            Reference<css::text::XTextViewCursorSupplier>(controller, UNO_QUERY_THROW)->getViewCursor(), UNO_QUERY_THROW);
        Reference<css::text::XText> text = MainText(model);
        Reference<css::text::XTextCursor> before = text->createTextCursor();
        before->gotoStart(false);
        before->gotoRange(viewCursor->getStart(), true);
        caret = static_cast<int>(Normalised(before->getString()).size());
    });
    d->selStart = caret;
    d->selLength = 0;
    d->documentChanged();
}

int UnoTextControl::RemoveBlankParagraphs(const Progress& progress)
{
    OfficeDocument* doc = d->openDocument();
    if (!doc)
        return 0;
    std::vector<Reference<css::lang::XComponent>> blank;
    d->run(*doc, QStringLiteral("finding the blank paragraphs"), [&](const Reference<css::lang::XComponent>& model) {
        const Reference<css::container::XEnumeration> elements =
            Reference<css::container::XEnumerationAccess>(MainText(model), UNO_QUERY_THROW)->createEnumeration();
        while (elements->hasMoreElements()) {
            Reference<css::uno::XInterface> element(elements->nextElement(), UNO_QUERY);
            if (IsBlankParagraph(element))
                blank.emplace_back(element, UNO_QUERY_THROW);
        }
    });
    int removed = 0;
    for (std::size_t i = 0; i < blank.size(); ++i) {
        d->run(*doc, QStringLiteral("removing a blank paragraph"), [&](const Reference<css::lang::XComponent>&) {
            try {
                blank[i]->dispose();
                ++removed;
            } catch (const css::uno::RuntimeException&) {
                // The one paragraph a text must keep stays.
            }
        });
        if (progress && (i + 1) % 20 == 0)
            progress(int(i + 1), int(blank.size()));
    }
    if (!blank.empty()) {
        d->selStart = 0;
        d->selLength = 0;
        d->documentChanged();
    }
    return removed;
}

int UnoTextControl::ReplaceText(const QString& find, const QString& replacement, bool caseSensitive,
                             const Progress& progress)
{
    OfficeDocument* doc = d->openDocument();
    if (!doc || find.isEmpty())
        return 0;
    Reference<css::container::XIndexAccess> found;
    d->run(*doc, QStringLiteral("searching the text"), [&](const Reference<css::lang::XComponent>& model) {
        Reference<css::util::XReplaceable> replaceable(model, UNO_QUERY_THROW);
        Reference<css::util::XSearchDescriptor> search = replaceable->createSearchDescriptor();
        search->setSearchString(toOUString(find));
        Reference<css::beans::XPropertySet> options(search, UNO_QUERY_THROW);
        options->setPropertyValue(rtl::OUString("SearchCaseSensitive"), Any(caseSensitive));
        options->setPropertyValue(rtl::OUString("SearchRegularExpression"), Any(false));
        options->setPropertyValue(rtl::OUString("SearchWords"), Any(false));
        options->setPropertyValue(rtl::OUString("SearchSimilarity"), Any(false));
        // From the end, as a scan that replaces the last place first:
        // of two overlapping places, the later one is taken.
        options->setPropertyValue(rtl::OUString("SearchBackwards"), Any(true));
        found = replaceable->findAll(search);
    });
    const int total = found.is() ? int(found->getCount()) : 0;
    // Every place was found before the first replacement, so no
    // replacement is searched again; from the last on, each leaves the
    // places before it where they were.
    for (int i = total - 1; i >= 0; --i) {
        d->run(*doc, QStringLiteral("replacing a piece of text"), [&](const Reference<css::lang::XComponent>&) {
            Reference<css::text::XTextRange> range(found->getByIndex(i), UNO_QUERY_THROW);
            Reference<css::text::XText> text = range->getText();
            Reference<css::text::XTextCursor> cursor = text->createTextCursorByRange(range);
            cursor->setString(rtl::OUString());
            cursor->collapseToEnd();
            InsertLines(text, cursor, replacement);
        });
        if (progress && (total - i) % 20 == 0)
            progress(total - i, total);
    }
    if (total > 0) {
        d->selStart = 0;
        d->selLength = 0;
        d->documentChanged();
    }
    return total;
}
