#include "Translator.h"

#include "base/MessageSink.h"
#include "base/Profile.h"
#include "core/FileTimes.h"
#include "core/Globals.h"
#include "core/LanguageFile.h"
#include "core/StartupLock.h"
#include "core/StringRoutines.h"
#include "core/UserLocale.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

QString G_sLanguage;
QString G_sLanguageFont;
QString G_sLanguageFilePath;
int G_iLanguageFileFormat = languagefileformat::Unreadable;
QString G_sProductName = kProductName;
int G_iUserLCID = 0;

namespace {

const QString kEnglish = QStringLiteral("English");
const QString kSection = QStringLiteral("Language");
const QString kCrLf = QStringLiteral("\r\n");
// Both keys are read into a buffer of this size: at most 127 characters.
constexpr int kSettingBuffer = 128;
// The skipped lines a warning names; a longer list ends in "...".
constexpr int kNotesShown = 20;

// Phrase to translation. Page threads of a conversion may report through
// Translate, so every use of the table holds the lock (never while a box is
// shown, which translates its own texts).
QMutex g_lock;
QHash<QString, QString> g_translations;
TextFileEncoding g_encoding = TextFileEncoding::Ascii;

// The English locales ask no question on a first run.
bool isEnglishLocale(int lcid)
{
    return lcid == 1033 || lcid == 2057;
}

void forgetTranslations()
{
    QMutexLocker lock(&g_lock);
    g_translations.clear();
}

void fallBackToEnglish()
{
    G_sLanguage = kEnglish;
    G_sLanguageFilePath.clear();
    forgetTranslations();
    SaveLanguageCode(G_sLanguage);
}

QString readSetting(const QString& key, const QString& file = G_IniFilePath)
{
    if (file.isEmpty())
        return QString();
    return GetPrivateProfileString(kSection, key, QString(), file, kSettingBuffer);
}

void saveSetting(const QString& key, const QString& value)
{
    if (!G_IniFilePath.isEmpty())
        WritePrivateProfileString(kSection, key, value, G_IniFilePath);
}

// A language the settings file can store and give back unchanged, so the
// name chosen is the name read at the next start.
bool isStorableLanguage(const QString& name)
{
    if (name.isEmpty() || name.size() >= kSettingBuffer || name != TrimBlanks(name) || name == kEnglish)
        return false;
    for (const QChar c : name)
        if (c == u'\r' || c == u'\n' || c == QChar(u'\0'))
            return false;
    return !(name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"'));
}

void reportSkippedLines(const QList<LanguageFileNote>& notes)
{
    QString text = Translate(QStringLiteral("These lines of the language file were skipped:")) + kCrLf
                   + G_sLanguageFilePath;
    for (int i = 0; i < notes.size() && i < kNotesShown; ++i)
        text += kCrLf + Translate(QStringLiteral("Line")) + u' ' + QString::number(notes[i].line) + QStringLiteral(": ")
                + Translate(QString::fromLatin1(notes[i].problem));
    if (notes.size() > kNotesShown)
        text += kCrLf + QStringLiteral("...");
    ShowMessage(text, G_sProductName, MessageButtons::Ok, MessageIcon::Warning);
}

// The first-run question. False when it could not be put (no display): the
// run then stays in English and saves nothing, so that the first run with a
// window asks.
bool askFirstRunLanguage()
{
    bool announce = false;
    if (G_bCommandLineMode || G_bAutomationMode) {
        ShowLanguageDialog(announce);
        return true;
    }
    if (!CurrentLanguageChooser())
        return false;
    // The dialog waits for the user; the user's other runs must not wait
    // on the start-up lock meanwhile (their log lines need it).
    const bool held = G_hGlobalMutex.isLocked();
    if (held)
        ReleaseGlobalMutex();
    ShowLanguageDialog(announce);
    if (held)
        AcquireGlobalMutex();
    return true;
}

// Reads the language file of G_sLanguage; the failure's description, or ""
// when the file was read.
QString loadLanguageFile()
{
    G_sLanguageFilePath = GetLanguageFilePath(G_sLanguage);
    const QString where = QStringLiteral(": ") + kCrLf + G_sLanguageFilePath;
    if (!FileExists(G_sLanguageFilePath))
        return QStringLiteral("Unable to locate Language file") + where;
    G_iLanguageFileFormat = DetectLanguageFileEncoding(G_sLanguageFilePath);
    if (G_iLanguageFileFormat == languagefileformat::Unreadable)
        return QStringLiteral("Unable to read Language file") + where;
    if (!ParseLanguageFile())
        return QStringLiteral("Unable to process Language file") + where;
    return QString();
}

} // namespace

void InitializeTranslator()
{
    G_sProductName = kProductName;
    G_iUserLCID = GetUserDefaultLCID();
    G_bEastAsianLocale = IsEastAsianLocale(G_iUserLCID);
    G_sLanguage = ReadLanguageCode();
    if (G_sLanguage.isEmpty()) {
        G_sLanguage = kEnglish;
        if (isEnglishLocale(G_iUserLCID) || askFirstRunLanguage())
            SaveLanguageCode(G_sLanguage);
    }
    if (G_sLanguage != kEnglish) {
        const QString failure = loadLanguageFile();
        if (!failure.isEmpty()) {
            ShowMessage(failure + kCrLf + QStringLiteral("Defaulting to English"), QStringLiteral("Error"),
                        MessageButtons::Ok, MessageIcon::Warning);
            fallBackToEnglish();
            return;
        }
    }
    G_sLanguageFont = ReadLanguageFont();
}

QString Translate(const QString& phrase)
{
    if (TrimBlanks(phrase).isEmpty())
        return phrase;
    {
        QMutexLocker lock(&g_lock);
        const auto found = g_translations.constFind(phrase);
        if (found != g_translations.constEnd())
            return *found;
        // In the table before the append: a failing append's box looks its
        // own texts up, and must find them rather than append them again.
        g_translations.insert(phrase, phrase);
    }
    if (G_sLanguage != kEnglish)
        AppendToLanguageFile(phrase);
    return phrase;
}

bool AppendToLanguageFile(const QString& phrase)
{
    if (TrimBlanks(phrase).isEmpty() || G_sLanguageFilePath.isEmpty())
        return true;
    // A line break or the separator would break the file for the next
    // start, and such a phrase would be added again at every run.
    if (!CanAddToLanguageFile(phrase))
        return true;
    if (AddLineToLanguageFile(G_sLanguageFilePath, phrase, g_encoding))
        return true;
    ShowMessage(Translate(QStringLiteral("Unable to add to Language file")), Translate(QStringLiteral("Error")),
                MessageButtons::Ok, MessageIcon::Warning);
    return false;
}

QString ReadLanguageCode()
{
    return readSetting(QStringLiteral("Language_Code"));
}

QString LanguageCodeOfSettingsFile(const QString& settingsFile)
{
    return readSetting(QStringLiteral("Language_Code"), settingsFile);
}

bool FirstRunLanguageQuestionDue(const QString& settingsFile)
{
    return LanguageCodeOfSettingsFile(settingsFile).isEmpty() && !isEnglishLocale(GetUserDefaultLCID());
}

void SaveLanguageCode(const QString& sLanguage)
{
    saveSetting(QStringLiteral("Language_Code"), sLanguage);
}

QString ReadLanguageFont()
{
    return readSetting(QStringLiteral("Language_Font"));
}

void SaveLanguageFont(const QString& sFontName)
{
    saveSetting(QStringLiteral("Language_Font"), sFontName);
}

QString GetLanguageFilePath(const QString& sLanguage)
{
    return G_UserDataFolder + QStringLiteral("Languages/") + sLanguage + u'-' + G_sProductName
           + QStringLiteral(".txt");
}

int DetectLanguageFileEncoding(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return languagefileformat::Unreadable;
    return LanguageFileFormatOfHead(file.read(4));
}

bool ParseLanguageFile()
{
    forgetTranslations();
    QFile file(G_sLanguageFilePath);
    LanguageFileContents contents;
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxLanguageFileSize) {
        const QByteArray bytes = file.read(kMaxLanguageFileSize + 1);
        if (file.error() == QFileDevice::NoError && bytes.size() <= kMaxLanguageFileSize)
            contents = ReadLanguageFileText(bytes, G_iLanguageFileFormat);
    }
    if (!contents.ok) {
        G_sLanguage = kEnglish;
        SaveLanguageCode(G_sLanguage);
        return false;
    }
    {
        QMutexLocker lock(&g_lock);
        g_translations = std::move(contents.translations);
    }
    g_encoding = contents.encoding;
    if (!contents.notes.isEmpty())
        reportSkippedLines(contents.notes);
    return true;
}

LanguageListing FillLanguageList()
{
    LanguageListing listing;
    listing.languages.append(kEnglish);
    const QString suffix = u'-' + G_sProductName + QStringLiteral(".txt");
    const QDir folder(G_UserDataFolder + QStringLiteral("Languages"));
    const QStringList names = folder.entryList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : names) {
        // The name GetLanguageFilePath gives, letter case included: a file
        // listed is the file that loads.
        if (!name.endsWith(suffix))
            continue;
        const QString language = name.chopped(suffix.size());
        if (!isStorableLanguage(language))
            continue;
        listing.languages.append(language);
        if (language == G_sLanguage)
            listing.selected = int(listing.languages.size()) - 1;
    }
    return listing;
}

bool ShowLanguageDialog(bool& bAnnounce)
{
    if (G_bCommandLineMode || G_bAutomationMode) {
        G_sLanguage = kEnglish;
        return false;
    }
    LanguageChooser* chooser = CurrentLanguageChooser();
    if (!chooser)
        return false;
    const LanguageChoice choice = chooser->choose(FillLanguageList());

    bool saved = false;
    if (!choice.Language.isEmpty() && choice.Language != G_sLanguage) {
        SaveLanguageCode(choice.Language);
        saved = true;
    } else {
        bAnnounce = false;
    }
    if (!choice.sFontName.isEmpty() && choice.sFontName != G_sLanguageFont) {
        SaveLanguageFont(choice.sFontName);
        saved = true;
    }

    if (bAnnounce) {
        ShowMessage(Translate(QStringLiteral("Your changes will take effect next time you run ")) + G_sProductName,
                    G_sProductName, MessageButtons::Ok, MessageIcon::Information);
    } else {
        if (!choice.Language.isEmpty())
            G_sLanguage = choice.Language;
        if (!choice.sFontName.isEmpty())
            G_sLanguageFont = choice.sFontName;
    }
    return saved;
}

void ResetTranslator()
{
    G_sLanguage.clear();
    G_sLanguageFont.clear();
    G_sLanguageFilePath.clear();
    G_iLanguageFileFormat = languagefileformat::Unreadable;
    G_sProductName = kProductName;
    G_iUserLCID = 0;
    g_encoding = TextFileEncoding::Ascii;
    forgetTranslations();
}
