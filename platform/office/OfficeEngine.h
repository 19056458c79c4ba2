#pragma once
// The office engine: documents are opened, changed and saved by a LibreOffice
// process of our own, driven over UNO.
//
// Each engine starts one headless soffice with a private profile and a
// unique pipe, so engines in parallel (and a user's own office) never meet.
// The process is kept between documents when asked (setKeepAlive), otherwise
// it is quit as soon as no document is open. Every blocking call into the
// office runs under a watchdog: a load or save that exceeds its time limit
// kills our process (by its pid), the call reports the timeout, and the next
// call starts a fresh process. A process that died (crash, killed) is
// noticed and replaced the same way.
//
// Use an engine and its documents from one thread. No UNO type appears in
// this header. An office that passes its memory budget while it works on a
// document is stopped the same way (setMemoryBudget).
// Starting an office makes this process ignore SIGPIPE, so that
// a call that meets an office which has just died fails instead of ending
// the process.
#include <QString>

#include <functional>
#include <memory>
#include <sys/types.h>

enum class OfficeFailure {
    None,
    StartFailed,      // the office could not be started or reached
    FileNotFound,     // the input is missing or cannot be read
    WrongFormat,      // the file is not of the asked format, or is damaged
    PasswordRequired, // the document is protected and no password was given
    WrongPassword,    // the password given does not open the document
    LoadFailed,       // the office could not open the file for another reason
    LoadTimeout,      // the office hung while loading and was stopped
    SaveFailed,       // the office could not write the output
    SaveTimeout,      // the office hung while saving and was stopped
    OfficeDied,       // the office process ended during the call
    DocumentLost,     // the document was closed, or lost with its process
    Refused,          // a request the engine does not carry out
    CallFailed,       // a call on an open document failed
    CallTimeout,      // a call on an open document hung and was stopped
    MemoryExceeded,   // the office passed its memory budget and was stopped
};

struct OfficeStatus
{
    OfficeFailure failure = OfficeFailure::None;
    QString message; // English, one or two sentences, ready for a log

    bool ok() const { return failure == OfficeFailure::None; }
    // True for the failures after which the office was stopped or lost.
    bool officeStopped() const
    {
        return failure == OfficeFailure::LoadTimeout || failure == OfficeFailure::SaveTimeout
            || failure == OfficeFailure::CallTimeout || failure == OfficeFailure::OfficeDied
            || failure == OfficeFailure::MemoryExceeded;
    }
};

// How a file is read.
enum class OfficeInputFormat {
    WordProcessing, // DOC, DOCX, RTF, ODT...: the office tells them apart by content
    Text,           // plain text in a character set (see OfficeLoadOptions::textEncoding)
    Html,           // HTML, read by the word processor (not the web view)
    Xml,            // Word 2003 XML or flat ODF text by content; any other XML as text
};

struct OfficeLoadOptions
{
    OfficeInputFormat format = OfficeInputFormat::WordProcessing;
    // The character set of a text input as the office names it ("UTF8",
    // "MS_1252", "UNICODE" for UTF-16 with a byte-order mark). Empty: a
    // byte-order mark decides, else UTF-8 when the bytes are valid UTF-8,
    // else Windows-1252.
    QString textEncoding;
    // The document's open password; empty for none. A wrong one fails at
    // once with WrongPassword.
    QString password;
};

enum class OfficeOutputFormat {
    Pdf,         // PDF, or PDF/A when OfficePdfOptions::pdfA
    Doc,         // Word 97-2003
    Docx,        // Word 2007 and later
    Docm,        // Word 2007 and later, macro-enabled (the document's macros are kept)
    Odt,         // OpenDocument text
    Rtf,
    Html,
    Text,        // UTF-8, LF line ends
    UnicodeText, // UTF-16LE with a byte-order mark
    Xml,         // Word 2003 XML
};

// The PDF/A level written for pdfA: PDF/A-2b (ISO 19005-2, level B). It keeps
// transparency and layers that PDF/A-1 would flatten, and every current
// validator accepts it.
constexpr int kOfficePdfAVersion = 2;

struct OfficePdfOptions
{
    bool pdfA = false;
    QString openPassword;       // needed to open the PDF; empty for none
    QString permissionPassword; // with it, the permissions below are enforced
    int printing = 2;           // 0 not allowed, 1 low resolution, 2 high resolution
    int changes = 4;            // 0 none, 1 pages, 2 form fields, 3 comments and form fields, 4 any but page extraction
    bool allowCopying = true;
    bool allowAccessibility = true;
    int imageQuality = 0;       // JPEG quality 1 to 100; 0 keeps the office's default
    // Pictures above this many dots per inch of their size on the page are
    // resampled to it, any value from 1 up (see OfficeImages.h); 0 keeps
    // every picture as it is.
    int maxImageResolution = 0;
};

struct OfficeSaveOptions
{
    OfficeOutputFormat format = OfficeOutputFormat::Pdf;
    OfficePdfOptions pdf;
    // Open password of a DOC, DOCX or DOCM output; other formats cannot
    // carry one and are refused with it.
    QString documentPassword;
    // HTML: images go into the file itself instead of files beside it.
    bool embedImages = false;
};

class OfficeDocument;

// A watchdog's limit: baseMs plus perMegabyteMs for each megabyte of the
// document (in proportion). A base of 0 means no limit.
struct OfficeTimeLimit
{
    int baseMs = 20000;
    int perMegabyteMs = 10000;

    // The limit for a document of `bytes` bytes, in milliseconds; 0 for none.
    int forBytes(qint64 bytes) const;
};

// The engine is an interface: its implementation, with the UNO runtime and
// everything that talks to the office, is the module libtessaview_office.so
// (platform/base/ProgramModule.h), loaded when the first engine is made.
class OfficeEngine
{
public:
    // A new engine. Making one starts no office. When the office's module
    // cannot be had, the engine keeps its settings and every start and load
    // fails with StartFailed and the reason.
    static std::unique_ptr<OfficeEngine> Create();
    virtual ~OfficeEngine(); // closes documents, quits the office, removes its profile

    OfficeEngine(const OfficeEngine&) = delete;
    OfficeEngine& operator=(const OfficeEngine&) = delete;

    // Keep the office running between documents (faster), or quit it when
    // the last document closes. Turning it off with no document open quits
    // the office now.
    virtual void setKeepAlive(bool keep) = 0;
    virtual bool keepAlive() const = 0;

    // Time limits of one load and one save (also of other calls on a
    // document). By default each is a base plus a time per megabyte of the
    // document (its input file's size), so that a small document that hangs
    // the office costs seconds and a large slow one is not cut off.
    // setLoadTimeout and setSaveTimeout set a fixed limit in milliseconds;
    // 0 means none.
    virtual void setLoadTimeLimit(const OfficeTimeLimit& limit) = 0;
    virtual void setSaveTimeLimit(const OfficeTimeLimit& limit) = 0;
    virtual OfficeTimeLimit loadTimeLimit() const = 0;
    virtual OfficeTimeLimit saveTimeLimit() const = 0;
    void setLoadTimeout(int ms) { setLoadTimeLimit({ms, 0}); }
    void setSaveTimeout(int ms) { setSaveTimeLimit({ms, 0}); }

    // The resident memory the office may use while it works on a document,
    // in bytes (default: OfficeMemoryBudget(), see OfficeMemory.h). An
    // office that passes it is killed by its pid and the call fails with
    // MemoryExceeded, naming the document; the next call starts a fresh
    // office. 0 means no limit.
    virtual void setMemoryBudget(qint64 bytes) = 0;
    virtual qint64 memoryBudget() const = 0;

    // The office program started (default: soffice.bin of the installed
    // LibreOffice).
    virtual void setProgram(const QString& path) = 0;
    virtual QString program() const = 0;

    // Process id of our office while it runs, 0 when none runs.
    virtual pid_t processId() const = 0;

    // For tests: called after the office has written a document into its
    // private folder (named by the argument) and before the file is moved
    // into place.
    virtual void setSaveHook(std::function<void(const QString& privateFolder)> hook) = 0;

    // Starts the office now when it does not run (loading starts it too).
    virtual OfficeStatus start() = 0;
    // Closes every open document and quits the office.
    virtual void shutdown() = 0;

    // Opens a file. On failure returns null and fills `status`. The file is
    // read only (no lock file beside it, never written back), its macros
    // never run and its links are not updated. Comments are dropped: the
    // headless office cannot lay them out (see OfficeLoader.h), and they
    // are no part of a PDF.
    virtual std::unique_ptr<OfficeDocument> load(const QString& path, const OfficeLoadOptions& options,
                                                 OfficeStatus& status) = 0;
    // A new empty text document.
    virtual std::unique_ptr<OfficeDocument> createDocument(OfficeStatus& status) = 0;

    // Load, save and close in one call.
    OfficeStatus convert(const QString& input, const OfficeLoadOptions& loadOptions,
                         const QString& output, const OfficeSaveOptions& saveOptions);

protected:
    OfficeEngine() = default;
};

// A document open in the engine. Destroying it closes it.
class OfficeDocument
{
public:
    virtual ~OfficeDocument();

    OfficeDocument(const OfficeDocument&) = delete;
    OfficeDocument& operator=(const OfficeDocument&) = delete;

    // Writes the document. The office writes into a private folder of the
    // engine's own, made for this save and removed with all it holds
    // however the save ends; the finished file is then moved over the
    // target (see OfficeOutput.h). So a failure never leaves a half-written
    // file under the target's name, and an office that dies while it saves
    // leaves nothing of its own in the target's folder.
    virtual OfficeStatus save(const QString& path, const OfficeSaveOptions& options) = 0;

    // False once the document was closed or lost with its office process.
    virtual bool isOpen() const = 0;

    // The office's name of the filter that read the file (empty for a new
    // document).
    QString filterName() const { return m_filterName; }
    // False when the file came without fields (comments aside); true when
    // it had some, and for a new document.
    virtual bool loadedWithFields() const = 0;

protected:
    explicit OfficeDocument(QString filterName)
        : m_filterName(std::move(filterName))
    {
    }

private:
    QString m_filterName;
};

// Picks the character set of a text file from its bytes: "UNICODE" for a
// UTF-16 byte-order mark, "UTF8" for a UTF-8 mark or valid UTF-8, else
// "MS_1252". With `wholeFile` false the bytes are the file's beginning, and a
// UTF-8 sequence cut by their end still counts as valid.
QString DetectTextEncoding(const QByteArray& bytes, bool wholeFile = true);
