#pragma once
// The text control: one document at a time, loaded and saved by format code,
// with page, paragraph and font settings, PDF security, plain-text editing
// and fields. It keeps the members, argument orders and format codes its
// callers use, and does the work in the office engine.
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
    TextControlData();
    ~TextControlData();
    TextControlData(const TextControlData&);
    TextControlData& operator=(const TextControlData&);
    bool isEmpty() const;

    struct Private;
    std::shared_ptr<Private> d;
};

class TextControl
{
public:
    explicit TextControl(OfficeEngine& engine);
    ~TextControl();

    TextControl(const TextControl&) = delete;
    TextControl& operator=(const TextControl&) = delete;

    // Error event: number, description, and the flag that hides the
    // control's own message (there is none; the flag is there for callers
    // written against it).
    using ErrorHandler = std::function<void(short number, const QString& description, bool& cancelDisplay)>;
    void setErrorHandler(ErrorHandler handler);

    // Files. The second argument of Load and Save, and the fourth of Save,
    // are accepted and have no effect.
    void Load(const QString& file, int flags, int format);
    void Save(const QString& file, int flags, int format, bool unused = false);
    short PdfMode() const;
    void setPdfMode(short mode); // 0 PDF, 2 PDF/A: applies to PDF saves
    void ClearDocument();

    // Plain text and the selection, in characters of DocumentText (a
    // paragraph end counts as one "\n"). Text written here makes each line
    // end a paragraph end and each character 12 a page break (the next
    // paragraph starts a new page).
    QString DocumentText() const;
    void setDocumentText(const QString& text);
    int SelectionStart() const;
    void setSelectionStart(int start); // -1: the end of the text
    int SelectionLength() const;
    void setSelectionLength(int length);
    // Selects the whole text, as SelectionStart 0 and SelectionLength the
    // text's length would, without reading the text to learn its length.
    void SelectAll();
    QString SelectedText() const;
    void setSelectedText(const QString& text); // replaces the selection, or inserts at the caret
    TextControlData SelectedFormattedText() const;
    void setSelectedFormattedText(const TextControlData& data); // inserts at the selection
    TextControlData CopySelectionData(const QString& unused, int format, bool unused2);
    void InsertData(const TextControlData& data, int format, bool unused);

    // Whole-document edits that find their places in the office's own
    // model rather than by position, so fields, tables and other objects
    // cannot shift them. `progress`, when given, is called now and then
    // with how many of how many places are done.
    using Progress = std::function<void(int done, int total)>;
    // Removes the paragraphs of the main text that hold nothing but white
    // space. A paragraph that holds anything else (a field, a picture or
    // frame, a footnote) or starts a page stays, as do tables and their
    // cells. Returns how many paragraphs went.
    int RemoveBlankParagraphs(const Progress& progress = {});
    // Replaces every occurrence of `find`, plain text within a paragraph
    // (no line end), in the document's text and tables; each line end of
    // `replacement` ends a paragraph, as with setSelectedText. A
    // replacement is never searched again. Returns how many were replaced.
    int ReplaceText(const QString& find, const QString& replacement, bool caseSensitive,
                    const Progress& progress = {});

    // Page, in twips. Setting applies to every page of the current document
    // (portrait or landscape as width and height say) and, with no document
    // open, to the next one that brings no page layout of its own.
    int PageWidth() const;
    void setPageWidth(int twips);
    int PageHeight() const;
    void setPageHeight(int twips);
    int PageMarginLeft() const;
    void setPageMarginLeft(int twips);
    int PageMarginTop() const;
    void setPageMarginTop(int twips);
    int PageMarginRight() const;
    void setPageMarginRight(int twips);
    int PageMarginBottom() const;
    void setPageMarginBottom(int twips);

    // Paragraph settings of the selection (the paragraph of the caret when
    // nothing is selected).
    int Alignment() const; // 0 left, 1 right, 2 centred, 3 justified
    void setAlignment(int value);
    int FrameDistance() const; // border to text, twips
    void setFrameDistance(int twips);
    int FrameLineWidth() const; // twips
    void setFrameLineWidth(int twips);
    int FrameStyle() const; // 1 left, 2 right, 4 top, 8 bottom line, 16 box; 0 none
    void setFrameStyle(int value);
    int IndentL() const;
    void setIndentL(int twips);
    int IndentR() const;
    void setIndentR(int twips);
    int IndentFL() const; // first line, relative to IndentL
    void setIndentFL(int twips);
    int IndentT() const; // space above
    void setIndentT(int twips);
    int IndentB() const; // space below
    void setIndentB(int twips);
    int LineSpacing() const; // percent; 0 leaves it unchanged
    void setLineSpacing(int percent);
    int LineSpacingT() const; // exact, twips; 0 leaves it unchanged
    void setLineSpacingT(int twips);

    // Character settings of the selection.
    int BaseLine() const; // twips up (negative: down)
    void setBaseLine(int twips);
    int FontBold() const;
    void setFontBold(int on);
    int FontItalic() const;
    void setFontItalic(int on);
    QString FontName() const;
    void setFontName(const QString& name);
    int FontSize() const; // points
    void setFontSize(int points);
    int FontStrikethru() const;
    void setFontStrikethru(int on);
    int FontUnderline() const;
    void setFontUnderline(int on);
    int FontUnderlineStyle() const; // 1 single, 2 double, 3 dotted, 4 dashed, 5 wave
    void setFontUnderlineStyle(int style);
    int ForeColor() const;
    void setForeColor(int bgr);
    int TextBkColor() const; // 0: no background
    void setTextBkColor(int bgr);

    // Indexed settings: 0 page width, 1 page height, 2 to 5 margins left,
    // top, right, bottom (twips) for documents that bring no page layout;
    // 8 style-sheet file and 9 style-sheet option (kept; the HTML writer
    // styles inline); 10 PDF permissions (bits: 64 print high, 128 print
    // low, 8 pages, 2 form fields, 1 comments and form fields, 41 any change
    // but page extraction, 4 screen readers, 16 copying), 11 PDF permissions
    // password, 12 PDF open password, 13 JPEG quality and 14 maximum image
    // resolution of PDF saves (0: the office's default); 15, 16, 17 (field
    // type list), 37 and 38 are kept. Any other index raises 380.
    QVariant IndexedSetting(int index) const;
    void setIndexedSetting(int index, const QVariant& value);

    // Fields. A scope picks where fields are listed: 0 form fields, 1 main
    // text, 2 headers, 4 footers, 8 text frames, 16 elsewhere (tables,
    // notes). Ids start at 1 and hold while the document is not changed.
    int FieldScope() const;
    void setFieldScope(int scope);
    int NextFieldId(int id, int flags); // the next field after `id`, 0 when none
    int CurrentFieldId() const;
    void setCurrentFieldId(int id);
    QString FieldData(int id) const; // field type, then its data, separated by tabs
    QString CurrentFieldText() const;
    void setCurrentFieldText(const QString& text); // the field becomes this plain text
    int PageCount() const;

    // Images: ObjectQuery(_, 4) counts the document's images; ImageEmbedMode
    // 1 puts the images of an HTML save into the file itself.
    int ObjectQuery(int unused, int kind) const;
    int ImageEmbedMode() const;
    void setImageEmbedMode(int mode);

    // Settings of the on-screen control (2, 14, 37, 39, 56): kept, no
    // effect without a screen. Others raise 438.
    QVariant ViewProperty(int id) const;
    void setViewProperty(int id, const QVariant& value);

    // Placement on the form, kept for callers that move the control.
    double Left = 0;
    double Top = 0;
    double Width = 0;
    double Height = 0;
    bool Visible = false;

    struct Private;

private:
    std::unique_ptr<Private> d;
};
