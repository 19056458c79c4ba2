#pragma once
// The text control's state and its UNO helpers, shared by its sources.
#include "textcontrol/TextControl.h"

#include "office/OfficeUno.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/datatransfer/XTransferable.hpp>

#include <map>
#include <vector>

struct TextControlData::Private
{
    css::uno::Reference<css::datatransfer::XTransferable> transferable;
};

// One field of the current document as the field calls list it.
struct TextControlField
{
    int scope = 0;
    QString type; // "NUMPAGES", "PAGE", "FORMDROPDOWN", ...
    QString data; // the rest of FieldData
    css::uno::Reference<css::uno::XInterface> object;
};

struct TextControl::Private
{
    explicit Private(OfficeEngine& e) : engine(e) {}

    OfficeEngine& engine;
    ErrorHandler onError;
    std::unique_ptr<OfficeDocument> doc;
    mutable QString lostReason; // why the document was lost with its office

    short pdfMode = kPdfModePdf;
    int selStart = 0;
    int selLength = 0;
    bool selectionToEnd = false; // SelectAll: from selStart to the end, whatever its length
    // The selection's properties, kept while neither the selection nor
    // the text changes: settings in a row need no new cursor each.
    mutable css::uno::Reference<css::beans::XPropertySet> selectionProps;

    // Page layout for documents that bring none (twips).
    int defaultWidth = 12240;
    int defaultHeight = 15840;
    int defaultMargins[4] = {1440, 1440, 1440, 1440}; // left, top, right, bottom

    std::map<int, QVariant> indexed;   // indexed settings kept as given
    std::map<int, QVariant> view;      // on-screen settings
    std::map<int, QVariant> formatting; // paragraph and font values with no document open, by dispatch id
    int imageEmbedMode = 0;
    int frameLineWidth = 20; // twips, for lines that FrameStyle draws
    int frameDistance = 0;
    int underlineStyle = 1;

    int fieldScope = 0;
    int currentFieldId = 0;
    std::vector<TextControlField> fields; // all fields, ids are index + 1
    bool fieldsListed = false;
    // The document is as it was loaded: what the load found about its
    // fields still holds.
    bool asLoaded = false;

    [[noreturn]] void raise(int number, const QString& description) const;
    void fire(int number, const QString& description);

    // The open document, or null when none is open. Raises when the
    // document was lost with its office.
    OfficeDocument* openDocument() const;
    // The open document, a new empty one when none is open.
    OfficeDocument& document();

    // Runs UNO calls on the document; failures are raised.
    void run(OfficeDocument& d, const QString& what,
             const std::function<void(const css::uno::Reference<css::lang::XComponent>&)>& fn) const;
    void raiseFor(const OfficeStatus& status) const;

    // A text cursor over `length` characters from `start` in the main text
    // (with toEnd, everything from `start` on); a range reaching the end of
    // the text covers everything to the end.
    static css::uno::Reference<css::text::XTextCursor> rangeCursor(
        const css::uno::Reference<css::lang::XComponent>& model, int start, int length, bool toEnd = false);
    css::uno::Reference<css::text::XTextCursor> selectionCursor(
        const css::uno::Reference<css::lang::XComponent>& model) const;
    css::uno::Reference<css::beans::XPropertySet> selectionProperties(
        const css::uno::Reference<css::lang::XComponent>& model) const;

    // Page layout of every page style of the model.
    void applyPageLayout(const css::uno::Reference<css::lang::XComponent>& model, int width, int height,
                         const int margins[4]) const;
    void documentChanged()
    {
        fieldsListed = false;
        asLoaded = false;
        selectionToEnd = false;
        textChanged();
    }
    // The text or the selection moved: character positions mean other
    // places now.
    void textChanged() const { selectionProps.clear(); }
    void selectionChanged()
    {
        selectionToEnd = false;
        textChanged();
    }
};

// Paragraph and font settings of the selection by dispatch id (16 Alignment,
// 6 FontBold, ...); with no document open they are kept for the getters.
void WriteFormat(TextControl::Private& p, int dispId, const QVariant& value);
QVariant ReadFormat(const TextControl::Private& p, int dispId);

// Page layout values by dispatch id (12, 13, 22 to 25), in twips.
void WritePage(TextControl::Private& p, int dispId, int twips);
int ReadPage(const TextControl::Private& p, int dispId);
