// The control's interface, life cycle and saved properties, and the
// members that pass through to the text-file routines.
#include "QuaystoneCtrl.h"

#include "QuaystoneIds.h"
#include "QuaystoneServices.h"

#include "base/MessageSink.h"
#include "linesmith/Linesmith.h"

QuaystoneCtrl::QuaystoneCtrl(std::shared_ptr<WordAutomation> automation)
    : m_automation(std::move(automation))
{
}

QuaystoneCtrl::~QuaystoneCtrl()
{
    if (m_useStateFile)
        StateFileSave();
    // No office of ours outlives the control, whoever forgot to turn
    // OptimizeForSpeed off.
    if (m_word) {
        try {
            m_word->Quit(false);
        } catch (const WordError&) {
        }
        m_word.reset();
    }
}

void QuaystoneCtrl::SetPropertyDefaults()
{
    m_stateFile = DefaultStateFilePath();
    m_verbose = false;
    m_useStateFile = true;
    m_optimizeForSpeed = false;
    m_inputPassword.clear();
    m_inputPasswordTW.clear();
    m_templatePassword.clear();
    m_templatePasswordTW.clear();
    m_outputPassword.clear();
    m_outputPasswordTW.clear();
    m_convertSpecificPages.clear();
    m_errorString = QStringLiteral(" ");
}

void QuaystoneCtrl::InitProperties()
{
    SetPropertyDefaults();
}

void QuaystoneCtrl::ReadProperties(const QVariantMap& bag)
{
    m_stateFile = bag.value(QString::fromLatin1(quaystone::kStateFileProperty)).toString();
    m_useStateFile = bag.value(QString::fromLatin1(quaystone::kUseStateFileProperty)).toBool();
    if (m_useStateFile)
        StateFileLoad();
    else
        SetPropertyDefaults();
}

QVariantMap QuaystoneCtrl::WriteProperties()
{
    QVariantMap bag;
    bag.insert(QString::fromLatin1(quaystone::kStateFileProperty), m_stateFile);
    bag.insert(QString::fromLatin1(quaystone::kUseStateFileProperty), m_useStateFile);
    if (m_useStateFile)
        StateFileSave();
    return bag;
}

QString QuaystoneCtrl::FilesJustCreated(int lIndex) const
{
    if (lIndex < 1 || lIndex > m_filesJustCreated.size())
        throw QuaystoneError{9, QStringLiteral("Subscript out of range")};
    return m_filesJustCreated.at(lIndex - 1);
}

void QuaystoneCtrl::Report(int code, const QString& text)
{
    m_errorString = text;
    if (OnError)
        OnError(code, m_errorString);
}

bool QuaystoneCtrl::IsFileUnicode(const QString& sFileToTest)
{
    return IsUnicodeFile(sFileToTest);
}

int QuaystoneCtrl::ConcatenateTwoTextFiles(const QString& sSourceFile, const QString& sTargetFile)
{
    return ::ConcatenateTwoTextFiles(sSourceFile, sTargetFile);
}

int QuaystoneCtrl::ConcatenateTwoTextFilesEx(const QString& sSourceFile, const QString& sTargetFile,
                                             int lAddPageBreak, int lPlaceFilePath)
{
    return ::ConcatenateTwoTextFilesEx(sSourceFile, sTargetFile, lAddPageBreak, lPlaceFilePath);
}

int QuaystoneCtrl::DeleteEmptyLinesFromTextFile(const QString& sSourceFile, const QString& sTargetFile)
{
    return ::DeleteEmptyLinesFromTextFile(sSourceFile, sTargetFile);
}

void QuaystoneCtrl::ShowAbout()
{
    // The office's own name and version, not the compatibility level that
    // WordVersion reports.
    QString office = QStringLiteral("none usable");
    try {
        std::unique_ptr<WordApplication> probe = m_automation->CreateApplication();
        office = QStringLiteral("LibreOffice ") + probe->Build();
        probe->Quit(false);
    } catch (const WordError& e) {
        office += QStringLiteral(" (") + e.description + u')';
    }
    const QString text = QStringLiteral("Quaystone %1.%2.%3: converts documents through the office.\nOffice: %4")
                             .arg(TESSAVIEW_VERSION_MAJOR)
                             .arg(TESSAVIEW_VERSION_MINOR)
                             .arg(TESSAVIEW_VERSION_PATCH)
                             .arg(office);
    CurrentMessageSink().showMessage(text, QStringLiteral("About Quaystone"), MessageButtons::Ok,
                                     MessageIcon::Information);
}
