#pragma once
// The word processor the control drives, seen through the members it
// uses: an application object that opens and adds documents, and the
// documents, which are converted, saved and closed. Failures are raised as
// WordError with a number and a description; the control tells a few
// numbers apart (see wordautomation::).
//
// The program's own application is OfficeWordApplication, a LibreOffice
// process of its own over UNO; tests put fakes behind the same interface.
#include <QString>

#include <memory>

struct WordError
{
    int number = 0;
    QString description;
};

namespace wordautomation {
// The numbers the control interprets.
constexpr int BadPassword = 5408;    // the document's password was wrong or missing
constexpr int CommandFailed = 4198;  // the command failed (after an open: no PDF export)
// Numbers the office application raises as well.
constexpr int CannotCreate = 429;    // no application could be made (not installed, too old)
constexpr int BadArgument = 5;       // a format or argument the application does not offer
constexpr int FileNotFound = 5174;   // the document does not exist or cannot be read
constexpr int CannotOpen = 5792;     // the file is damaged or not a document
constexpr int SaveFailed = 5096;     // the document could not be written
constexpr int NoDocument = 4248;     // no document is open
constexpr int OfficeLost = -2147023174; // 0x800706BA: the office ended, hung and was stopped, or cannot be reached
constexpr int OutOfMemory = 7;       // the office passed its memory budget on the document and was stopped

// Save formats (SaveAs FileFormat) and the export format of PDF.
constexpr int FormatDocument = 0;
constexpr int FormatText = 2;
constexpr int FormatTextLineBreaks = 3;
constexpr int FormatRtf = 6;
constexpr int FormatUnicodeText = 7;
constexpr int FormatHtml = 8;
constexpr int FormatFilteredHtml = 10;
constexpr int FormatXmlDocument = 12;
constexpr int FormatXmlDocumentMacroEnabled = 13;
constexpr int FormatDocumentDefault = 16;
constexpr int FormatPdf = 17;
constexpr int FormatOpenDocumentText = 23;
} // namespace wordautomation

// A document open in the application.
class WordDocument
{
public:
    virtual ~WordDocument() = default;

    virtual void SetTrackRevisions(bool track) = 0;
    // Brings a document opened in an older format to the current one.
    virtual void Convert() = 0;
    virtual void SaveAs(const QString& fileName, int fileFormat, bool lockComments, const QString& password,
                        bool addToRecentFiles, const QString& writePassword, bool readOnlyRecommended) = 0;
    virtual void ExportAsFixedFormat(const QString& outputFileName, int exportFormat, bool openAfterExport) = 0;
    // Closes the document; the application forgets it, so the object must
    // not be used afterwards.
    virtual void Close(bool saveChanges) = 0;
};

// One application instance. Destroying it without Quit leaves the
// instance to end by itself (a real office is ended at once).
class WordApplication
{
public:
    virtual ~WordApplication() = default;

    virtual void Quit(bool saveChanges) = 0;
    // Version and build as texts ("16.0"; numbers separated by dots).
    virtual QString Version() = 0;
    virtual QString Build() = 0;
    virtual void SetDisplayAlerts(int level) = 0;
    virtual bool Visible() = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetNormalTemplateSaved(bool saved) = 0;

    // Documents.Open with its nine positional arguments; the document
    // becomes the active one. The application owns it until it is closed.
    virtual WordDocument& DocumentsOpen(const QString& fileName, bool confirmConversions, bool readOnly,
                                        bool addToRecentFiles, const QString& passwordDocument,
                                        const QString& passwordTemplate, bool revert,
                                        const QString& writePasswordDocument,
                                        const QString& writePasswordTemplate) = 0;
    // Documents.Add: a new blank document, which becomes the active one.
    virtual WordDocument& DocumentsAdd() = 0;
    // Raises NoDocument when none is open.
    virtual WordDocument& ActiveDocument() = 0;
};

// Creates application objects (the control's "Word.Application").
class WordAutomation
{
public:
    virtual ~WordAutomation() = default;
    // Raises CannotCreate when no application can be made.
    virtual std::unique_ptr<WordApplication> CreateApplication() = 0;
};
