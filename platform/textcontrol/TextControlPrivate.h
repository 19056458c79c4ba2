#pragma once
// The text control over the office's UNO interface, in the office's module:
// its class, its state and its UNO helpers, shared by its sources.
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

class UnoTextControl final : public TextControl
{
public:
    explicit UnoTextControl(OfficeEngine& engine);
    ~UnoTextControl() override;

    void setErrorHandler(ErrorHandler handler) override;
    void Load(const QString& file, int flags, int format) override;
    void Save(const QString& file, int flags, int format, bool unused) override;
    short PdfMode() const override;
    void setPdfMode(short mode) override;
    void ClearDocument() override;
    QString DocumentText() const override;
    void setDocumentText(const QString& text) override;
    int SelectionStart() const override;
    void setSelectionStart(int start) override;
    int SelectionLength() const override;
    void setSelectionLength(int length) override;
    void SelectAll() override;
    QString SelectedText() const override;
    void setSelectedText(const QString& text) override;
    TextControlData SelectedFormattedText() const override;
    void setSelectedFormattedText(const TextControlData& data) override;
    TextControlData CopySelectionData(const QString& unused, int format, bool unused2) override;
    void InsertData(const TextControlData& data, int format, bool unused) override;
    int RemoveBlankParagraphs(const Progress& progress) override;
    int ReplaceText(const QString& find, const QString& replacement, bool caseSensitive,
                    const Progress& progress) override;
    int PageWidth() const override;
    void setPageWidth(int twips) override;
    int PageHeight() const override;
    void setPageHeight(int twips) override;
    int PageMarginLeft() const override;
    void setPageMarginLeft(int twips) override;
    int PageMarginTop() const override;
    void setPageMarginTop(int twips) override;
    int PageMarginRight() const override;
    void setPageMarginRight(int twips) override;
    int PageMarginBottom() const override;
    void setPageMarginBottom(int twips) override;
    int Alignment() const override;
    void setAlignment(int value) override;
    int FrameDistance() const override;
    void setFrameDistance(int twips) override;
    int FrameLineWidth() const override;
    void setFrameLineWidth(int twips) override;
    int FrameStyle() const override;
    void setFrameStyle(int value) override;
    int IndentL() const override;
    void setIndentL(int twips) override;
    int IndentR() const override;
    void setIndentR(int twips) override;
    int IndentFL() const override;
    void setIndentFL(int twips) override;
    int IndentT() const override;
    void setIndentT(int twips) override;
    int IndentB() const override;
    void setIndentB(int twips) override;
    int LineSpacing() const override;
    void setLineSpacing(int percent) override;
    int LineSpacingT() const override;
    void setLineSpacingT(int twips) override;
    int BaseLine() const override;
    void setBaseLine(int twips) override;
    int FontBold() const override;
    void setFontBold(int on) override;
    int FontItalic() const override;
    void setFontItalic(int on) override;
    QString FontName() const override;
    void setFontName(const QString& name) override;
    int FontSize() const override;
    void setFontSize(int points) override;
    int FontStrikethru() const override;
    void setFontStrikethru(int on) override;
    int FontUnderline() const override;
    void setFontUnderline(int on) override;
    int FontUnderlineStyle() const override;
    void setFontUnderlineStyle(int style) override;
    int ForeColor() const override;
    void setForeColor(int bgr) override;
    int TextBkColor() const override;
    void setTextBkColor(int bgr) override;
    QVariant IndexedSetting(int index) const override;
    void setIndexedSetting(int index, const QVariant& value) override;
    int FieldScope() const override;
    void setFieldScope(int scope) override;
    int NextFieldId(int id, int flags) override;
    int CurrentFieldId() const override;
    void setCurrentFieldId(int id) override;
    QString FieldData(int id) const override;
    QString CurrentFieldText() const override;
    void setCurrentFieldText(const QString& text) override;
    int PageCount() const override;
    int ObjectQuery(int unused, int kind) const override;
    int ImageEmbedMode() const override;
    void setImageEmbedMode(int mode) override;
    QVariant ViewProperty(int id) const override;
    void setViewProperty(int id, const QVariant& value) override;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

struct UnoTextControl::Private
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
void WriteFormat(UnoTextControl::Private& p, int dispId, const QVariant& value);
QVariant ReadFormat(const UnoTextControl::Private& p, int dispId);

// Page layout values by dispatch id (12, 13, 22 to 25), in twips.
void WritePage(UnoTextControl::Private& p, int dispId, int twips);
int ReadPage(const UnoTextControl::Private& p, int dispId);
