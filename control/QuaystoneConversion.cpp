// The conversion: open the source read-only in the word processor, bring it
// to the current format, save it as the target type, and report the
// outcome. Also the web-address test, the password test and the PDF test.
#include "QuaystoneCtrl.h"

#include "QuaystoneIds.h"
#include "QuaystoneServices.h"

#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/StringRoutines.h"

#include <QFileInfo>

namespace {

// Closes the document it watches when the conversion ends without having
// closed it, so that no failure leaves a document open in a kept instance.
class OpenDocument
{
public:
    explicit OpenDocument(WordDocument& document) : m_document(&document) {}
    ~OpenDocument()
    {
        if (!m_document)
            return;
        try {
            m_document->Close(false);
        } catch (const WordError&) {
        }
    }
    OpenDocument(const OpenDocument&) = delete;
    OpenDocument& operator=(const OpenDocument&) = delete;

    void Close()
    {
        WordDocument* document = m_document;
        m_document = nullptr;
        document->Close(false);
    }

private:
    WordDocument* m_document;
};

// Removes a temporary file of ours unless it was moved into place.
class TemporaryFile
{
public:
    explicit TemporaryFile(QString path) : m_path(std::move(path)) {}
    ~TemporaryFile()
    {
        if (!m_path.isEmpty())
            DeleteFileNow(m_path);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const QString& path() const { return m_path; }
    void Keep() { m_path.clear(); }

private:
    QString m_path;
};

bool NonEmptyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

} // namespace

bool QuaystoneCtrl::bLoadingFromSkyDrive(const QString& sInputFile)
{
    // Only a web address is worth asking the word processor about, so a
    // path never starts an office.
    if (!StartsWithText(sInputFile, QStringLiteral("http://")) && !StartsWithText(sInputFile, QStringLiteral("https://")))
        return false;
    return WordVersion() >= 15;
}

void QuaystoneCtrl::ConvertActiveDocument(WordDocument& document, const QString& sSourceFile)
{
    if (GetFileExtension(sSourceFile).toUpper() == QLatin1String("RTF"))
        return;
    try {
        document.Convert();
    } catch (const WordError&) {
    }
}

int QuaystoneCtrl::OpenWordSaveAs(const QString& sSourceFile, const QString& sTargetFile, int lTargetType)
{
    using namespace quaystone::result;
    ClearFilesJustCreated();
    if (!bLoadingFromSkyDrive(sSourceFile) && !FileExists(sSourceFile)) {
        Report(SourceMissing, quaystonetext::kSourceMissing + QStringLiteral("\r\r") + sSourceFile);
        return SourceMissing;
    }
    if (TrimBlanks(sSourceFile).isEmpty() || TrimBlanks(sTargetFile).isEmpty()) {
        Report(PathEmpty, quaystonetext::kPathEmpty);
        return PathEmpty;
    }
    if (!AcquireWordApplication()) {
        Report(WordNotStarted, quaystonetext::kWordNotStarted);
        return WordNotStarted;
    }
    if (m_inputPassword.isEmpty())
        m_inputPassword = kDummyPassword;
    const double version = HeldWordVersion();

    int result = Success;
    bool opened = false;
    try {
        result = RunConversion(sSourceFile, sTargetFile, lTargetType, opened);
    } catch (const WordError& error) {
        result = ClassifyFailure(error, opened, version);
    }
    if (!ReleaseWordApplication()) {
        Report(WordNotReleased, quaystonetext::kWordNotReleased);
        return WordNotReleased;
    }
    return result;
}

int QuaystoneCtrl::RunConversion(const QString& sSourceFile, const QString& sTargetFile, int lTargetType,
                                 bool& opened)
{
    m_word->DocumentsOpen(sSourceFile, false, true, false, m_inputPassword, m_templatePassword, false,
                          m_inputPasswordTW, m_templatePasswordTW);
    opened = true;
    WordDocument& document = m_word->ActiveDocument();
    OpenDocument open(document);
    try {
        document.SetTrackRevisions(false);
    } catch (const WordError&) {
    }
    m_word->SetNormalTemplateSaved(true);

    if (IsSameFile(sSourceFile, sTargetFile)) {
        // The source is replaced only by a complete conversion: it is
        // saved to a file of our own beside it, which is then moved over
        // it in one step.
        TemporaryFile temporary(GetUniqueTempFileName(QFileInfo(sTargetFile).absolutePath(), QStringLiteral("~qs"),
                                                      QStringLiteral("krj")));
        if (temporary.path().isEmpty())
            throw WordError{wordautomation::SaveFailed,
                            QStringLiteral("Cannot create a temporary file in the folder of %1.").arg(sTargetFile)};
        ConvertActiveDocument(document, sSourceFile);
        document.SaveAs(temporary.path(), lTargetType, false, m_outputPassword, false, m_outputPasswordTW, false);
        open.Close();
        // An empty file never takes the source's place.
        if (!NonEmptyFile(temporary.path()))
            throw WordError{wordautomation::SaveFailed, QStringLiteral("Nothing was written for %1.").arg(sTargetFile)};
        if (!MoveFileFso(temporary.path(), sTargetFile))
            throw WordError{wordautomation::SaveFailed,
                            QStringLiteral("Cannot replace %1 with its conversion.").arg(sTargetFile)};
        temporary.Keep();
        return quaystone::result::Success;
    }

    // An existing target is replaced only once the new one is complete (the
    // office writes beside it and renames).
    ConvertActiveDocument(document, sSourceFile);
    if (lTargetType == quaystone::kWordFormatPdf)
        document.ExportAsFixedFormat(sTargetFile, quaystone::kWordFormatPdf, false);
    else
        document.SaveAs(sTargetFile, lTargetType, false, m_outputPassword, false, m_outputPasswordTW, false);
    open.Close();
    return quaystone::result::Success;
}

int QuaystoneCtrl::ClassifyFailure(const WordError& error, bool opened, double version)
{
    using namespace quaystone::result;
    // A failure is a failure whatever the word processor's error number: a
    // lost or crashed office included. Every error ends the conversion.
    // A document that took the office past its memory budget is named with
    // that reason, also when it never opened: no password or network
    // would help it.
    const bool known = opened || error.number == wordautomation::OutOfMemory;
    Report(Failed, known ? error.description : quaystonetext::kNotOpened);
    if (version >= 12) {
        if (opened && error.number == wordautomation::CommandFailed) {
            m_errorString = quaystonetext::kPdfAddInMissing;
            return PdfAddInMissing;
        }
        return Failed;
    }
    if (error.number == wordautomation::BadPassword || error.number == wordautomation::CommandFailed) {
        m_errorString = quaystonetext::kPasswordProtection;
        return PasswordProtection;
    }
    return Failed;
}

bool QuaystoneCtrl::WordDocIsPasswordProtected(const QString& sSourceFile)
{
    if (!AcquireWordApplication()) {
        Report(quaystone::result::WordNotStarted, quaystonetext::kWordNotStarted);
        return false;
    }
    int number = 0;
    WordDocument* document = nullptr;
    try {
        document = &m_word->DocumentsOpen(sSourceFile, false, true, false, kDummyPassword, QString(), false,
                                          QString(), QString());
    } catch (const WordError& error) {
        number = error.number;
        if (number != wordautomation::BadPassword)
            m_errorString = QString::number(number) + u':' + error.description;
    }
    try {
        if (document)
            document->Close(false);
    } catch (const WordError&) {
    }
    if (!ReleaseWordApplication() && OnError)
        OnError(quaystone::result::WordNotReleased, m_errorString);
    return number != 0;
}

int QuaystoneCtrl::TestSaveAsPDF()
{
    using namespace quaystone::result;
    if (!AcquireWordApplication()) {
        Report(WordNotStarted, quaystonetext::kWordNotStarted);
        return WordNotStarted;
    }
    const double version = HeldWordVersion();
    int result = Success;
    bool stop = false;
    // The error handler: -10 with the description (no event); the command
    // failure ends the test (-11, or -9 before version 12), any other lets
    // it go on with the next step.
    auto failed = [&](const WordError& error) {
        result = Failed;
        m_errorString = error.description;
        stop = error.number == wordautomation::CommandFailed;
    };

    WordDocument* document = nullptr;
    try {
        document = &m_word->DocumentsAdd();
        m_word->SetNormalTemplateSaved(true);
    } catch (const WordError& error) {
        failed(error);
    }
    TemporaryFile temporary(GetTempDocFileName(QStringLiteral("Delme")));
    if (!stop) {
        try {
            m_word->ActiveDocument().SaveAs(temporary.path(), quaystone::kWordFormatPdf, false, QString(), false,
                                            QString(), false);
        } catch (const WordError& error) {
            failed(error);
        }
    }
    if (document) {
        try {
            document->Close(false);
        } catch (const WordError& error) {
            if (!stop)
                failed(error);
        }
    }
    if (stop)
        result = version >= 12 ? PdfAddInMissing : PasswordProtection;
    // The name was made as an empty file: only a file with content is the
    // PDF.
    if (!stop && !NonEmptyFile(temporary.path()))
        result = -1;
    if (!ReleaseWordApplication()) {
        result = WordNotReleased;
        m_errorString = quaystonetext::kWordNotReleased;
    }
    return result;
}
