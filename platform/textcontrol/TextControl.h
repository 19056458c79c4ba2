#pragma once
// The text control: one document at a time, loaded and saved by format code,
// with page, paragraph and font settings, PDF security, plain-text editing
// and fields. It keeps the members, argument orders and format codes its
// callers use, and does the work in the office engine. The control is an
// interface: the office's module (libtessaview_office.so) implements it.
//
// Format codes: 1 and 2 text, 4 HTML, 5 RTF, 6 Unicode text, 9 DOC, 10 XML,
// 11 CSS (as text), 12 PDF, 13 DOCX, 14 PDF/A.
//
// Units: page sizes, margins, indents, frame widths and distances, exact
// line spacing and the baseline shift are twips; LineSpacing is a percentage
// (100 single); FontSize is points; colours are 0x00BBGGRR numbers.
//
// Failures come two ways, as with the original component:
// - raised: the call throws TextControlError (a bad value, a file that
//   cannot be read or written, an office that fails while saving);
// - reported: the error event fires (setErrorHandler) and the call returns
//   normally. A load reports 321 for a file that is not of the format or is
//   protected by a password, and kErrOfficeTimedOut, kErrOfficeStopped or
//   kErrOfficeUnavailable when the office hung, died or could not start, so
//   that callers do not retry a load that took the whole time limit.
// No message is ever shown by the control itself.
#include <QString>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>

class OfficeEngine;

struct TextControlError
{
    int number = 0;
    QString description;
};

// Error numbers of the control.
constexpr int kErrFileNotFound = 53;
constexpr int kErrFileAccess = 75;
constexpr int kErrInvalidValue = 380;
constexpr int kErrNotSupported = 438;
constexpr int kErrInvalidFileType = 321;  // not of the format, or protected by a password
constexpr int kErrOfficeTimedOut = 20101;  // the office hung and was stopped
constexpr int kErrOfficeStopped = 20102;   // the office died; the document is lost
constexpr int kErrOfficeUnavailable = 20103; // the office could not be started
constexpr int kErrRefused = 20104;         // e.g. PDF/A with a password
constexpr int kErrOfficeCall = 20105;      // the office turned a call down

// PdfMode values.
constexpr short kPdfModePdf = 0;
constexpr short kPdfModePdfA = 2;

// A piece of a document taken out with CopySelectionData or
// SelectedFormattedText, to be put into another document of the same engine.
class TextControlData
{
public:
    bool isEmpty() const { return !d; }

    struct Private;
    std::shared_ptr<Private> d;
};

class TextControl
{
public:
    // A new control on `engine`, an engine OfficeEngine::Create made; null
    // when the office's module cannot be had (then no office can start).
    static std::unique_ptr<TextControl> Create(OfficeEngine& engine);
    virtual ~TextControl();

    TextControl(const TextControl&) = delete;
    TextControl& operator=(const TextControl&) = delete;

    // Error event: number, description, and the flag that hides the
    // control's own message (there is none; the flag is there for callers
    // written against it).
    using ErrorHandler = std::function<void(short number, const QString& description, bool& cancelDisplay)>;
    virtual void setErrorHandler(ErrorHandler handler) = 0;

    // Files. The second argument of Load and Save, and the fourth of Save,
    // are accepted and have no effect.
    virtual void Load(const QString& file, int flags, int format) = 0;
    virtual void Save(const QString& file, int flags, int format, bool unused = false) = 0;
    virtual short PdfMode() const = 0;
    virtual void setPdfMode(short mode) = 0; // 0 PDF, 2 PDF/A: applies to PDF saves
    virtual void ClearDocument() = 0;

    // Plain text and the selection, in characters of DocumentText (a
    // paragraph end counts as one "\n"). Text written here makes each line
    // end a paragraph end and each character 12 a page break (the next
    // paragraph starts a new page).
    virtual QString DocumentText() const = 0;
    virtual void setDocumentText(const QString& text) = 0;
    virtual int SelectionStart() const = 0;
    virtual void setSelectionStart(int start) = 0; // -1: the end of the text
    virtual int SelectionLength() const = 0;
    virtual void setSelectionLength(int length) = 0;
    // Selects the whole text, as SelectionStart 0 and SelectionLength the
    // text's length would, without reading the text to learn its length.
    virtual void SelectAll() = 0;
    virtual QString SelectedText() const = 0;
    virtual void setSelectedText(const QString& text) = 0; // replaces the selection, or inserts at the caret
    virtual TextControlData SelectedFormattedText() const = 0;
    virtual void setSelectedFormattedText(const TextControlData& data) = 0; // inserts at the selection
    virtual TextControlData CopySelectionData(const QString& unused, int format, bool unused2) = 0;
    virtual void InsertData(const TextControlData& data, int format, bool unused) = 0;

    // Whole-document edits that find their places in the office's own
    // model rather than by position, so fields, tables and other objects
    // cannot shift them. `progress`, when given, is called now and then
    // with how many of how many places are done.
    using Progress = std::function<void(int done, int total)>;
    // Removes the paragraphs of the main text that hold nothing but white
    // space. A paragraph that holds anything else (a field, a picture or
    // frame, a footnote) or starts a page stays, as do tables and their
    // cells. Returns how many paragraphs went.
    virtual int RemoveBlankParagraphs(const Progress& progress = {}) = 0;
    // Replaces every occurrence of `find`, plain text within a paragraph
    // (no line end), in the document's text and tables; each line end of
    // `replacement` ends a paragraph, as with setSelectedText. A
    // replacement is never searched again. Returns how many were replaced.
    virtual int ReplaceText(const QString& find, const QString& replacement, bool caseSensitive,
                            const Progress& progress = {}) = 0;

    // Page, in twips. Setting applies to every page of the current document
    // (portrait or landscape as width and height say) and, with no document
    // open, to the next one that brings no page layout of its own.
    virtual int PageWidth() const = 0;
    virtual void setPageWidth(int twips) = 0;
    virtual int PageHeight() const = 0;
    virtual void setPageHeight(int twips) = 0;
    virtual int PageMarginLeft() const = 0;
    virtual void setPageMarginLeft(int twips) = 0;
    virtual int PageMarginTop() const = 0;
    virtual void setPageMarginTop(int twips) = 0;
    virtual int PageMarginRight() const = 0;
    virtual void setPageMarginRight(int twips) = 0;
    virtual int PageMarginBottom() const = 0;
    virtual void setPageMarginBottom(int twips) = 0;

    // Paragraph settings of the selection (the paragraph of the caret when
    // nothing is selected).
    virtual int Alignment() const = 0; // 0 left, 1 right, 2 centred, 3 justified
    virtual void setAlignment(int value) = 0;
    virtual int FrameDistance() const = 0; // border to text, twips
    virtual void setFrameDistance(int twips) = 0;
    virtual int FrameLineWidth() const = 0; // twips
    virtual void setFrameLineWidth(int twips) = 0;
    virtual int FrameStyle() const = 0; // 1 left, 2 right, 4 top, 8 bottom line, 16 box; 0 none
    virtual void setFrameStyle(int value) = 0;
    virtual int IndentL() const = 0;
    virtual void setIndentL(int twips) = 0;
    virtual int IndentR() const = 0;
    virtual void setIndentR(int twips) = 0;
    virtual int IndentFL() const = 0; // first line, relative to IndentL
    virtual void setIndentFL(int twips) = 0;
    virtual int IndentT() const = 0; // space above
    virtual void setIndentT(int twips) = 0;
    virtual int IndentB() const = 0; // space below
    virtual void setIndentB(int twips) = 0;
    virtual int LineSpacing() const = 0; // percent; 0 leaves it unchanged
    virtual void setLineSpacing(int percent) = 0;
    virtual int LineSpacingT() const = 0; // exact, twips; 0 leaves it unchanged
    virtual void setLineSpacingT(int twips) = 0;

    // Character settings of the selection.
    virtual int BaseLine() const = 0; // twips up (negative: down)
    virtual void setBaseLine(int twips) = 0;
    virtual int FontBold() const = 0;
    virtual void setFontBold(int on) = 0;
    virtual int FontItalic() const = 0;
    virtual void setFontItalic(int on) = 0;
    virtual QString FontName() const = 0;
    virtual void setFontName(const QString& name) = 0;
    virtual int FontSize() const = 0; // points
    virtual void setFontSize(int points) = 0;
    virtual int FontStrikethru() const = 0;
    virtual void setFontStrikethru(int on) = 0;
    virtual int FontUnderline() const = 0;
    virtual void setFontUnderline(int on) = 0;
    virtual int FontUnderlineStyle() const = 0; // 1 single, 2 double, 3 dotted, 4 dashed, 5 wave
    virtual void setFontUnderlineStyle(int style) = 0;
    virtual int ForeColor() const = 0;
    virtual void setForeColor(int bgr) = 0;
    virtual int TextBkColor() const = 0; // 0: no background
    virtual void setTextBkColor(int bgr) = 0;

    // Indexed settings: 0 page width, 1 page height, 2 to 5 margins left,
    // top, right, bottom (twips) for documents that bring no page layout;
    // 8 style-sheet file and 9 style-sheet option (kept; the HTML writer
    // styles inline); 10 PDF permissions (bits: 64 print high, 128 print
    // low, 8 pages, 2 form fields, 1 comments and form fields, 41 any change
    // but page extraction, 4 screen readers, 16 copying), 11 PDF permissions
    // password, 12 PDF open password, 13 JPEG quality and 14 maximum image
    // resolution of PDF saves (0: the office's default); 15, 16, 17 (field
    // type list), 37 and 38 are kept. Any other index raises 380.
    virtual QVariant IndexedSetting(int index) const = 0;
    virtual void setIndexedSetting(int index, const QVariant& value) = 0;

    // Fields. A scope picks where fields are listed: 0 form fields, 1 main
    // text, 2 headers, 4 footers, 8 text frames, 16 elsewhere (tables,
    // notes). Ids start at 1 and hold while the document is not changed.
    virtual int FieldScope() const = 0;
    virtual void setFieldScope(int scope) = 0;
    virtual int NextFieldId(int id, int flags) = 0; // the next field after `id`, 0 when none
    virtual int CurrentFieldId() const = 0;
    virtual void setCurrentFieldId(int id) = 0;
    virtual QString FieldData(int id) const = 0; // field type, then its data, separated by tabs
    virtual QString CurrentFieldText() const = 0;
    virtual void setCurrentFieldText(const QString& text) = 0; // the field becomes this plain text
    virtual int PageCount() const = 0;

    // Images: ObjectQuery(_, 4) counts the document's images; ImageEmbedMode
    // 1 puts the images of an HTML save into the file itself.
    virtual int ObjectQuery(int unused, int kind) const = 0;
    virtual int ImageEmbedMode() const = 0;
    virtual void setImageEmbedMode(int mode) = 0;

    // Settings of the on-screen control (2, 14, 37, 39, 56): kept, no
    // effect without a screen. Others raise 438.
    virtual QVariant ViewProperty(int id) const = 0;
    virtual void setViewProperty(int id, const QVariant& value) = 0;

    // Placement on the form, kept for callers that move the control.
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    bool Visible = false;

protected:
    TextControl() = default;
};
