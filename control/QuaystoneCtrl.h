#pragma once
// The Word-conversion control: converts a document by opening it in the
// word processor (WordAutomation.h) and saving it in another format, PDF
// included; passes three text-file operations and a Unicode test through
// to the text-file routines; reports every failure by its result, by
// ErrorString and by the OnError event, never by a message box.
//
// Hosts reach it by dispatch id (QuaystoneDispatch.h); this class is its
// C++ side, also used directly by the tests.
#include "QuaystoneIds.h"
#include "WordAutomation.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <memory>

// A call the control fails (as opposed to a result code it returns).
struct QuaystoneError
{
    int number = 0;
    QString description;
};

class QuaystoneCtrl
{
public:
    // Initialize: the instance and its empty FilesJustCreated list. Every
    // Boolean is False and every text empty until InitProperties or
    // ReadProperties runs.
    explicit QuaystoneCtrl(std::shared_ptr<WordAutomation> automation);
    // Terminate: StateFileSave when UseStateFile is set; the office the
    // control started is quit, whatever OptimizeForSpeed says.
    ~QuaystoneCtrl();
    QuaystoneCtrl(const QuaystoneCtrl&) = delete;
    QuaystoneCtrl& operator=(const QuaystoneCtrl&) = delete;

    // A new instance without saved properties.
    void InitProperties();
    // An instance with saved properties ("msStateFile", "bUseStateFile").
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties();

    // OnError(lErr, sErr). The control does not wait for or read anything
    // the handler does.
    std::function<void(int lErr, const QString& sErr)> OnError;

    // Properties.
    int FilesJustCreatedCount() const { return int(m_filesJustCreated.size()); }
    // Raises QuaystoneError for an index outside 1..FilesJustCreatedCount.
    QString FilesJustCreated(int lIndex) const;
    bool Verbose() const { return m_verbose; }
    void SetVerbose(bool v) { m_verbose = v; }
    QString StateFile() const { return m_stateFile; }
    void SetStateFile(const QString& v) { m_stateFile = v; }
    bool UseStateFile() const { return m_useStateFile; }
    void SetUseStateFile(bool v) { m_useStateFile = v; }
    QString ErrorString() const { return m_errorString; }
    void SetErrorString(const QString& v) { m_errorString = v; }
    bool OptimizeForSpeed() const { return m_optimizeForSpeed; }
    void SetOptimizeForSpeed(bool v);
    double WordVersion();
    int WordBuild();
    QString OutputFile_PassWord() const { return m_outputPassword; }
    void SetOutputFile_PassWord(const QString& v) { m_outputPassword = v; }
    QString OutputFile_PassWord_TW() const { return m_outputPasswordTW; }
    void SetOutputFile_PassWord_TW(const QString& v) { m_outputPasswordTW = v; }
    QString InputFile_PassWord() const { return m_inputPassword; }
    void SetInputFile_PassWord(const QString& v) { m_inputPassword = v; }
    QString InputFile_PassWord_TW() const { return m_inputPasswordTW; }
    void SetInputFile_PassWord_TW(const QString& v) { m_inputPasswordTW = v; }
    QString InputFileTemplate_PassWord() const { return m_templatePassword; }
    void SetInputFileTemplate_PassWord(const QString& v) { m_templatePassword = v; }
    QString InputFileTemplate_PassWord_TW() const { return m_templatePasswordTW; }
    void SetInputFileTemplate_PassWord_TW(const QString& v) { m_templatePasswordTW = v; }
    QString ConvertSpecificPages() const { return m_convertSpecificPages; }
    void SetConvertSpecificPages(const QString& v) { m_convertSpecificPages = v; }

    // Methods.
    bool IsFileUnicode(const QString& sFileToTest);
    void ShowAbout();
    QVariant StateFileSave() { return QVariant(); }
    QVariant StateFileLoad() { return QVariant(); }
    bool bLoadingFromSkyDrive(const QString& sInputFile);
    int OpenWordSaveAs(const QString& sSourceFile, const QString& sTargetFile, int lTargetType);
    bool WordDocIsPasswordProtected(const QString& sSourceFile);
    int ConcatenateTwoTextFiles(const QString& sSourceFile, const QString& sTargetFile);
    int ConcatenateTwoTextFilesEx(const QString& sSourceFile, const QString& sTargetFile, int lAddPageBreak,
                                  int lPlaceFilePath);
    int DeleteEmptyLinesFromTextFile(const QString& sSourceFile, const QString& sTargetFile);
    bool WordIsInstalled();
    int TestSaveAsPDF();
    bool HideWordIfVisible();

    // The application the control holds now, if any (tests look at it).
    WordApplication* HeldApplication() const { return m_word.get(); }

private:
    void ClearFilesJustCreated() { m_filesJustCreated.clear(); }
    void SetPropertyDefaults();
    void ConvertActiveDocument(WordDocument& document, const QString& sSourceFile);
    bool AcquireWordApplication();
    bool ReleaseWordApplication();
    bool IsWordApplicationAlive();
    // The version of the instance held now, remembered as WordVersion
    // remembers it, without giving the instance back: an operation that
    // holds it asks this.
    double HeldWordVersion();
    // The frame of WordVersion and WordBuild: acquire (-3 and False when
    // that fails), `read`, give back (-4 when that fails).
    bool AskHeldWord(const std::function<void()>& read);

    // ErrorString := text, then OnError(code, ErrorString).
    void Report(int code, const QString& text);
    // The conversion's failure: -10 (and its event), then -9 or -11 where
    // the error number says so.
    int ClassifyFailure(const WordError& error, bool opened, double version);
    int RunConversion(const QString& sSourceFile, const QString& sTargetFile, int lTargetType, bool& opened);

    std::shared_ptr<WordAutomation> m_automation;
    std::unique_ptr<WordApplication> m_word;

    QString m_stateFile;
    bool m_verbose = false;
    bool m_useStateFile = false;
    bool m_optimizeForSpeed = false;
    QString m_inputPassword;
    QString m_inputPasswordTW;
    QString m_templatePassword;
    QString m_templatePasswordTW;
    QString m_outputPassword;
    QString m_outputPasswordTW;
    QString m_convertSpecificPages;
    QString m_errorString;
    QStringList m_filesJustCreated;

    struct WordInfoCache
    {
        bool versionKnown = false;
        double version = 0;
        bool buildKnown = false;
        int build = 0;
        bool installedKnown = false;
        bool installed = false;
    } m_wordInfoCache;
};

// The open password given when none is set, and when testing for one.
inline const QString kDummyPassword = QStringLiteral("!%blotched&~");
