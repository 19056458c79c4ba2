// The translator as the program starts it: the language from the settings
// file, the first-run question, the language file read and added to, its
// failures, and the language dialog's choice. Message boxes and the dialog
// are scripted.
#include "base/Profile.h"
#include "core/Globals.h"
#include "core/LanguageFile.h"
#include "core/StartupLock.h"
#include "core/Translator.h"
#include "core/UserLocale.h"
#include "RecordingMessageSink.h"
#include "TestUtil.h"

#include <QDir>
#include <QScopedPointer>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace {

class ScriptedChooser : public LanguageChooser
{
public:
    LanguageChoice answer;
    int shown = 0;
    bool lockHeldWhileShown = false;
    LanguageListing listing;
    LanguageChoice choose(const LanguageListing& offered) override
    {
        ++shown;
        listing = offered;
        lockHeldWhileShown = lockHeldWhileShown || G_hGlobalMutex.isLocked();
        return answer;
    }
};

QByteArray utf16(const QString& text)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encoder.encode(text));
}

const QByteArray kGermanFile = "\"! German\r\n\"Error\",\"Fehler\"\r\n";

} // namespace

class TestTranslator : public QObject
{
    Q_OBJECT
    QScopedPointer<QTemporaryDir> m_dir;
    testutil::RecordingMessageSink m_sink;
    ScriptedChooser m_chooser;

    QString languageFile(const QString& language) const
    {
        return m_dir->filePath(QStringLiteral("data/Languages/") + language + QStringLiteral("-'Tessaview'.txt"));
    }
    void writeLanguageFile(const QString& language, const QByteArray& bytes) const
    {
        QVERIFY(testutil::writeFile(languageFile(language), bytes));
    }
    static void setSetting(const char* key, const QString& value)
    {
        QVERIFY(WritePrivateProfileString(QStringLiteral("Language"), QString::fromLatin1(key), value, G_IniFilePath));
    }
    static QString setting(const char* key)
    {
        return GetPrivateProfileString(QStringLiteral("Language"), QString::fromLatin1(key), QStringLiteral("<none>"),
                                       G_IniFilePath);
    }

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("data/Languages"))));
        qputenv("XDG_RUNTIME_DIR", m_dir->path().toUtf8());
        G_UserDataFolder = m_dir->filePath(QStringLiteral("data/"));
        G_IniFilePath = m_dir->filePath(QStringLiteral("QVIM_SearchHistory.INI"));
        G_bCommandLineMode = false;
        G_bAutomationMode = false;
        ResetTranslator();
        m_sink.clear();
        m_chooser = ScriptedChooser();
        SetMessageSink(&m_sink);
        QLocale::setDefault(QLocale::c());
    }

    void cleanup()
    {
        SetMessageSink(nullptr);
        SetLanguageChooser(nullptr);
        QLocale::setDefault(QLocale::system());
        G_bCommandLineMode = false;
        ResetTranslator();
    }

    // A phrase the file lacks comes back as it is and goes into the file
    // once, as a quoted line in the file's own encoding.
    void missingPhraseAddedOnceInTheFilesEncoding_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("added");
        const QString phrase = QStringLiteral("Größe €");
        QTest::newRow("UTF-8") << kGermanFile << QByteArray("\"Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC\"\r\n");
        QTest::newRow("Windows-1252") << QByteArray("\"\xC4rger\",\"\xC4rger\"\r\n\"Error\",\"Fehler\"\r\n")
                                      << QByteArray("\"Gr\xF6\xDF" "e \x80\"\r\n");
        QTest::newRow("UTF-16") << utf16(QString::fromLatin1(kGermanFile)) << utf16(u'"' + phrase + QStringLiteral("\"\r\n")).mid(2);
    }

    void missingPhraseAddedOnceInTheFilesEncoding()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, added);
        writeLanguageFile(QStringLiteral("German"), before);
        setSetting("Language_Code", QStringLiteral("German"));
        InitializeTranslator();
        QCOMPARE(G_sLanguage, QStringLiteral("German"));

        QCOMPARE(Translate(QStringLiteral("Error")), QStringLiteral("Fehler"));
        const QString phrase = QStringLiteral("Größe €");
        QCOMPARE(Translate(phrase), phrase);
        QCOMPARE(Translate(phrase), phrase);
        QCOMPARE(Translate(QStringLiteral("   ")), QStringLiteral("   "));
        QCOMPARE(testutil::readFile(languageFile(QStringLiteral("German"))), before + added);
        QVERIFY(m_sink.boxes.isEmpty());

        // The next start reads it back.
        ResetTranslator();
        InitializeTranslator();
        QCOMPARE(Translate(phrase), phrase);
        QCOMPARE(testutil::readFile(languageFile(QStringLiteral("German"))), before + added);
    }

    // A file that cannot be used: one box naming it, English for the run
    // and for the next start, no font read, nothing written to the file.
    void failureMessages_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("no file") << false << QByteArray() << "Unable to locate Language file";
        QTest::newRow("empty file") << true << QByteArray() << "Unable to read Language file";
        QTest::newRow("first line without a quote") << true << QByteArray("Error,Fehler\r\n") << "Unable to read Language file";
        QTest::newRow("UTF-16 without its mark")
            << true << utf16(QString::fromLatin1(kGermanFile)).mid(2) << "Unable to process Language file";
        QTest::newRow("UTF-16 cut in a character") << true << utf16(QString::fromLatin1(kGermanFile)).chopped(1)
                                                   << "Unable to process Language file";
    }

    void failureMessages()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = languageFile(QStringLiteral("German"));
        if (exists)
            writeLanguageFile(QStringLiteral("German"), bytes);
        setSetting("Language_Code", QStringLiteral("German"));
        setSetting("Language_Font", QStringLiteral("DejaVu Serif"));

        InitializeTranslator();
        QCOMPARE(m_sink.boxes.size(), 1);
        QCOMPARE(m_sink.boxes[0].text, message + QStringLiteral(": \r\n") + path + QStringLiteral("\r\nDefaulting to English"));
        QCOMPARE(m_sink.boxes[0].title, QStringLiteral("Error"));
        QCOMPARE(m_sink.boxes[0].icon, MessageIcon::Warning);
        QCOMPARE(G_sLanguage, QStringLiteral("English"));
        QCOMPARE(setting("Language_Code"), QStringLiteral("English"));
        QCOMPARE(G_sLanguageFont, QString());

        QCOMPARE(Translate(QStringLiteral("Error")), QStringLiteral("Error"));
        QCOMPARE(Translate(QStringLiteral("New phrase")), QStringLiteral("New phrase"));
        QCOMPARE(QFile::exists(path), exists);
        if (exists)
            QCOMPARE(testutil::readFile(path), bytes);
        QCOMPARE(m_sink.boxes.size(), 1);
    }

    // The phrase is in the table before the write is tried, so the failure
    // box's own texts never start another failing write without end.
    void failingAppendIsReportedOncePerPhrase()
    {
        writeLanguageFile(QStringLiteral("German"), kGermanFile);
        setSetting("Language_Code", QStringLiteral("German"));
        InitializeTranslator();
        QVERIFY(QFile::remove(languageFile(QStringLiteral("German"))));

        QCOMPARE(Translate(QStringLiteral("First")), QStringLiteral("First"));
        // "First", then the box's text, which is missing as well.
        QCOMPARE(m_sink.boxes.size(), 2);
        for (const auto& box : m_sink.boxes) {
            QCOMPARE(box.text, QStringLiteral("Unable to add to Language file"));
            QCOMPARE(box.title, QStringLiteral("Fehler"));
            QCOMPARE(box.icon, MessageIcon::Warning);
        }
        QCOMPARE(Translate(QStringLiteral("First")), QStringLiteral("First"));
        QCOMPARE(m_sink.boxes.size(), 2);
        QCOMPARE(Translate(QStringLiteral("Second")), QStringLiteral("Second"));
        QCOMPARE(m_sink.boxes.size(), 3);
        QVERIFY(!QFile::exists(languageFile(QStringLiteral("German"))));
    }

    // Such a line would break the file for the next start.
    void phrasesNoLineCanHoldAreNotAdded_data()
    {
        QTest::addColumn<QString>("phrase");
        QTest::newRow("CR LF") << "Input File\r\n/in/a.doc";
        QTest::newRow("LF") << "a\nb";
        QTest::newRow("separator") << "a\",\"b";
        QTest::newRow("read as a comment") << "!note";
    }

    void phrasesNoLineCanHoldAreNotAdded()
    {
        QFETCH(QString, phrase);
        writeLanguageFile(QStringLiteral("German"), kGermanFile);
        setSetting("Language_Code", QStringLiteral("German"));
        InitializeTranslator();
        QCOMPARE(Translate(phrase), phrase);
        QCOMPARE(testutil::readFile(languageFile(QStringLiteral("German"))), kGermanFile);
        QVERIFY(m_sink.boxes.isEmpty());
    }

    void englishReadsAndWritesNoFile()
    {
        writeLanguageFile(QStringLiteral("German"), kGermanFile);
        setSetting("Language_Code", QStringLiteral("English"));
        InitializeTranslator();
        QCOMPARE(G_sLanguage, QStringLiteral("English"));
        QCOMPARE(G_sLanguageFilePath, QString());
        QCOMPARE(Translate(QStringLiteral("Error")), QStringLiteral("Error"));
        QCOMPARE(Translate(QStringLiteral("New phrase")), QStringLiteral("New phrase"));
        QCOMPARE(testutil::readFile(languageFile(QStringLiteral("German"))), kGermanFile);
        QVERIFY(m_sink.boxes.isEmpty());
    }

    // Lines that cannot be used are skipped and named; the others load.
    void skippedLinesAreNamed()
    {
        writeLanguageFile(QStringLiteral("German"), kGermanFile + "Datei\r\n\"" + QByteArray(kMaxLanguageFileLine, 'x')
                                                        + "\"\r\n\"File\",\"Datei\"\r\n");
        setSetting("Language_Code", QStringLiteral("German"));
        InitializeTranslator();
        QCOMPARE(G_sLanguage, QStringLiteral("German"));
        QCOMPARE(Translate(QStringLiteral("File")), QStringLiteral("Datei"));
        QCOMPARE(m_sink.boxes.size(), 1);
        QCOMPARE(m_sink.boxes[0].icon, MessageIcon::Warning);
        QCOMPARE(m_sink.boxes[0].text,
                 QStringLiteral("These lines of the language file were skipped:\r\n") + languageFile(QStringLiteral("German"))
                     + QStringLiteral("\r\nLine 3: The line does not begin and end with a double quote."
                                      "\r\nLine 4: The line is too long."));
    }

    // A first run asks on a locale that is not English, with the start-up
    // lock let go meanwhile; without a display it asks nothing, stays in
    // English and saves nothing, so that the first run with a window asks.
    void firstRun_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("display");
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("language");
        QTest::newRow("C locale") << "C" << true << false << "German" << 0 << "English" << "English";
        QTest::newRow("US English") << "en_US" << true << false << "German" << 0 << "English" << "English";
        QTest::newRow("British English") << "en_GB" << true << false << "German" << 0 << "English" << "English";
        QTest::newRow("German, chooses German") << "de_DE" << true << false << "German" << 1 << "German" << "German";
        QTest::newRow("German, cancels") << "de_DE" << true << false << "" << 1 << "English" << "English";
        QTest::newRow("Canadian English asks") << "en_CA" << true << false << "" << 1 << "English" << "English";
        QTest::newRow("German, no display") << "de_DE" << false << false << "German" << 0 << "<none>" << "English";
        QTest::newRow("German, command line") << "de_DE" << true << true << "German" << 0 << "English" << "English";
    }

    void firstRun()
    {
        QFETCH(QString, locale);
        QFETCH(bool, display);
        QFETCH(bool, commandLine);
        QFETCH(QString, answer);
        QFETCH(int, asked);
        QFETCH(QString, saved);
        QFETCH(QString, language);
        writeLanguageFile(QStringLiteral("German"), kGermanFile);
        QLocale::setDefault(QLocale(locale));
        G_bCommandLineMode = commandLine;
        m_chooser.answer.Language = answer;
        if (display)
            SetLanguageChooser(&m_chooser);

        AcquireGlobalMutex();
        InitializeTranslator();
        const bool lockedAfter = G_hGlobalMutex.isLocked();
        ReleaseGlobalMutex();

        QCOMPARE(m_chooser.shown, asked);
        QVERIFY(!m_chooser.lockHeldWhileShown);
        QVERIFY(lockedAfter);
        QCOMPARE(setting("Language_Code"), saved);
        QCOMPARE(G_sLanguage, language);
        QCOMPARE(Translate(QStringLiteral("Error")), language == QLatin1String("German") ? QStringLiteral("Fehler")
                                                                                          : QStringLiteral("Error"));
        QVERIFY(m_sink.boxes.isEmpty());
    }

    void localeIdentifiers_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("lcid");
        QTest::addColumn<bool>("eastAsian");
        QTest::newRow("C") << "C" << 1033 << false;
        QTest::newRow("POSIX") << "POSIX" << 1033 << false;
        QTest::newRow("en_US") << "en_US" << 1033 << false;
        QTest::newRow("en_GB") << "en_GB" << 2057 << false;
        QTest::newRow("de_DE") << "de_DE" << 1031 << false;
        QTest::newRow("de_AT") << "de_AT" << 3079 << false;
        QTest::newRow("fr_FR") << "fr_FR" << 1036 << false;
        QTest::newRow("fr_CA") << "fr_CA" << 3084 << false;
        QTest::newRow("ja_JP") << "ja_JP" << 1041 << true;
        QTest::newRow("ko_KR") << "ko_KR" << 1042 << true;
        QTest::newRow("zh_TW") << "zh_TW" << 1028 << true;
        QTest::newRow("zh_CN") << "zh_CN" << 2052 << true;
        QTest::newRow("zh_HK") << "zh_HK" << 3076 << true;
        QTest::newRow("zh_SG") << "zh_SG" << 4100 << true;
        QTest::newRow("zh_MO") << "zh_MO" << 5124 << true;
    }

    void localeIdentifiers()
    {
        QFETCH(QString, locale);
        QFETCH(int, lcid);
        QFETCH(bool, eastAsian);
        setSetting("Language_Code", QStringLiteral("English"));
        QLocale::setDefault(QLocale(locale));
        InitializeTranslator();
        QCOMPARE(G_iUserLCID, lcid);
        QCOMPARE(G_bEastAsianLocale, eastAsian);
    }

    // The choice from the main window's language command: a new language
    // waits for the next start, a new font alone takes effect at once.
    void languageDialogFromTheMenu_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<QString>("chosenLanguage");
        QTest::addColumn<QString>("chosenFont");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("savedCode");
        QTest::addColumn<QString>("savedFont");
        QTest::addColumn<bool>("announced");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("font");
        QTest::newRow("another language") << false << "French" << "" << true << "French" << "<none>" << true << "German"
                                          << "";
        QTest::newRow("another language and a font") << false << "French" << "DejaVu Serif" << true << "French"
                                                     << "DejaVu Serif" << true << "German" << "";
        QTest::newRow("the same language") << false << "German" << "" << false << "German" << "<none>" << false
                                           << "German" << "";
        QTest::newRow("a font alone") << false << "German" << "DejaVu Serif" << true << "German" << "DejaVu Serif"
                                      << false << "German" << "DejaVu Serif";
        QTest::newRow("cancel") << false << "" << "" << false << "German" << "<none>" << false << "German" << "";
        QTest::newRow("command line") << true << "French" << "DejaVu Serif" << false << "German" << "<none>" << false
                                      << "English" << "";
    }

    void languageDialogFromTheMenu()
    {
        QFETCH(bool, commandLine);
        QFETCH(QString, chosenLanguage);
        QFETCH(QString, chosenFont);
        QFETCH(bool, result);
        QFETCH(QString, savedCode);
        QFETCH(QString, savedFont);
        QFETCH(bool, announced);
        QFETCH(QString, language);
        QFETCH(QString, font);
        writeLanguageFile(QStringLiteral("German"), kGermanFile);
        writeLanguageFile(QStringLiteral("French"), "\"Error\",\"Erreur\"\r\n");
        setSetting("Language_Code", QStringLiteral("German"));
        InitializeTranslator();
        SetLanguageChooser(&m_chooser);
        m_chooser.answer = {chosenLanguage, chosenFont};
        G_bCommandLineMode = commandLine;

        bool announce = true;
        QCOMPARE(ShowLanguageDialog(announce), result);
        QCOMPARE(m_chooser.shown, commandLine ? 0 : 1);
        QCOMPARE(setting("Language_Code"), savedCode);
        QCOMPARE(setting("Language_Font"), savedFont);
        QCOMPARE(G_sLanguage, language);
        QCOMPARE(G_sLanguageFont, font);
        QCOMPARE(m_sink.boxes.size(), announced ? 1 : 0);
        if (announced) {
            QCOMPARE(m_sink.boxes[0].text, QStringLiteral("Your changes will take effect next time you run 'Tessaview'"));
            QCOMPARE(m_sink.boxes[0].title, QStringLiteral("'Tessaview'"));
        }
    }

    // The list names the files the translator loads, by the same name.
    void languageListMatchesTheFilesThatLoad()
    {
        for (const char* name : {"German-'Tessaview'.txt", "french-'Tessaview'.txt", "Spanish-'tessaview'.TXT",
                                 "Dutch-'Tessaview'.TXT", "English-'Tessaview'.txt", "-'Tessaview'.txt",
                                 " Greek-'Tessaview'.txt", "notes.txt"})
            QVERIFY(testutil::writeFile(G_UserDataFolder + QStringLiteral("Languages/") + QString::fromLatin1(name),
                                        "\"Error\",\"x\"\r\n"));
        QVERIFY(QDir().mkpath(G_UserDataFolder + QStringLiteral("Languages/Italian-'Tessaview'.txt")));

        G_sLanguage = QStringLiteral("french");
        LanguageListing listing = FillLanguageList();
        QCOMPARE(listing.languages, (QStringList{"English", "German", "french"}));
        QCOMPARE(listing.selected, 2);
        for (const QString& language : listing.languages.mid(1))
            QVERIFY2(QFile::exists(GetLanguageFilePath(language)), qPrintable(language));

        G_sLanguage = QStringLiteral("English");
        QCOMPARE(FillLanguageList().selected, 0);
    }
};

QTEST_GUILESS_MAIN(TestTranslator)
#include "test_translator.moc"
