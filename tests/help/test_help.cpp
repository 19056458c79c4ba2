#include "core/Help.h"
#include "core/InstalledData.h"
#include "help/HelpOpener.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kSourceData = QStringLiteral(TESSAVIEW_SOURCE_DIR "/data");

// Records every address instead of starting a browser; can refuse local
// pages to stand for a system without a browser for files.
class RecordingOpener : public HelpOpener
{
public:
    bool open(const QUrl& url) override
    {
        opened << url;
        return !(refuseLocalPages && url.isLocalFile());
    }
    QList<QUrl> opened;
    bool refuseLocalPages = false;
};

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private:
    RecordingOpener opener;

    void useDataFolder(const QString& folder, const QString& language = QStringLiteral("English"))
    {
        qputenv("TESSAVIEW_DATA_DIR", folder.toUtf8());
        InitHelpFile(language);
    }

private slots:
    void init()
    {
        opener = RecordingOpener();
        SetHelpOpener(&opener);
    }

    void cleanup()
    {
        SetHelpOpener(nullptr);
        qunsetenv("TESSAVIEW_DATA_DIR");
        qunsetenv("TESSAVIEW_HELP_SITE");
    }

    // Japanese has pages of its own, one for each topic.
    void opensTheLocalPageOfTheContext_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        for (const char* language : {"English", "Japanese"}) {
            const QString folder = QString::fromLatin1(language) == QLatin1String("Japanese") ? "/help-jp/" : "/help/";
            QTest::addRow("%s, program options", language) << language << helpcontext::ProgramOptions
                                                           << folder + "program-options.html";
            QTest::addRow("%s, /? switch", language) << language << helpcontext::CommandLine << folder + "command-line.html";
            QTest::addRow("%s, command-line button", language) << language << helpcontext::UsingTheCommandLine
                                                               << folder + "command-line.html";
            QTest::addRow("%s, search and replace", language) << language << helpcontext::SearchAndReplace
                                                              << folder + "search-and-replace.html";
            QTest::addRow("%s, help menu", language) << language << helpcontext::HelpFile << folder + "index.html";
        }
    }

    void opensTheLocalPageOfTheContext()
    {
        QFETCH(QString, language);
        QFETCH(int, context);
        QFETCH(QString, page);
        useDataFolder(kSourceData, language);
        ShowHelpTopic(context, QStringLiteral("https://help.example.org/topic.htm"));

        const QString expected = kSourceData + page;
        QVERIFY2(QFile::exists(expected), qPrintable(expected));
        QCOMPARE(opener.opened, QList<QUrl>{QUrl::fromLocalFile(expected)});
    }

    void fallsBackToTheOnlinePage_data()
    {
        QTest::addColumn<bool>("emptyHelpFolder");
        QTest::addColumn<bool>("refuseLocalPages");
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("topicPage");
        QTest::addColumn<bool>("expectStartPage");
        QTest::addColumn<int>("openCalls");

        const QString topic = QStringLiteral("https://help.example.org/QVIM/Topic.htm");
        QTest::newRow("local page missing") << true << false << helpcontext::CommandLine << topic << false << 1;
        QTest::newRow("local page missing, no topic page")
            << true << false << helpcontext::CommandLine << QString() << true << 1;
        QTest::newRow("unknown context") << false << false << 4711 << topic << false << 1;
        QTest::newRow("unknown context, no topic page") << false << false << 4711 << QString() << true << 1;
        QTest::newRow("browser refuses the local page")
            << false << true << helpcontext::ProgramOptions << topic << false << 2;
    }

    void fallsBackToTheOnlinePage()
    {
        QFETCH(bool, emptyHelpFolder);
        QFETCH(bool, refuseLocalPages);
        QFETCH(int, context);
        QFETCH(QString, topicPage);
        QFETCH(bool, expectStartPage);
        QFETCH(int, openCalls);

        QTemporaryDir data;
        QVERIFY(QDir(data.path()).mkdir(QStringLiteral("help")));
        useDataFolder(emptyHelpFolder ? data.path() : kSourceData);
        opener.refuseLocalPages = refuseLocalPages;

        ShowHelpTopic(context, topicPage);

        QCOMPARE(opener.opened.size(), openCalls);
        const QUrl expected(expectStartPage ? G_sOnlineHelpPage : topicPage);
        QCOMPARE(opener.opened.last(), expected);
        QVERIFY(!expected.isLocalFile());
    }

    void choosesTheHelpFolderByLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("folder");
        QTest::newRow("English") << "English" << "/help";
        QTest::newRow("Japanese") << "Japanese" << "/help-jp";
        QTest::newRow("japanese in other case") << "japanese" << "/help";
        QTest::newRow("no language yet") << "" << "/help";
    }

    void choosesTheHelpFolderByLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, folder);
        qputenv("TESSAVIEW_DATA_DIR", kSourceData.toUtf8());
        InitHelpFile(language);
        QCOMPARE(G_sHelpFilePath, kSourceData + folder);
    }

    void onlineAddressesFollowTheConfiguredSite()
    {
        InitHelpFile(QString());
        QCOMPARE(G_sOnlineHelpPage,
                 QString::fromLatin1(kDefaultOnlineHelpSite) + QStringLiteral("/KRJ/QVIM/English/WebHelpNew/qvim.htm"));

        qputenv("TESSAVIEW_HELP_SITE", "https://docs.example.org/");
        InitHelpFile(QString());
        QCOMPARE(G_sOnlineHelpPage, QStringLiteral("https://docs.example.org/KRJ/QVIM/English/WebHelpNew/qvim.htm"));
        QCOMPARE(OnlineHelpTopicPage(helpcontext::CommandLine),
                 QStringLiteral("https://docs.example.org/KRJ/QVIM/English/WebHelpNew/QVIM/"
                                "Helpful_Hints_For_Creating_a_Command_Line.htm"));
        QCOMPARE(OnlineHelpTopicPage(helpcontext::HelpFile), QString());
        QCOMPARE(OnlineHelpTopicPage(4711), QString());
    }

    void installedDataFolderTakesTheFirstExistingCandidate()
    {
        QTemporaryDir own;
        qputenv("TESSAVIEW_DATA_DIR", own.path().toUtf8());
        QCOMPARE(InstalledDataFolder(), QDir(own.path()).canonicalPath());

        qputenv("TESSAVIEW_DATA_DIR", (own.path() + QStringLiteral("/missing")).toUtf8());
        QCOMPARE(InstalledDataFolder(), QDir::cleanPath(kSourceData));
    }

    void helpPagesLinkOnlyToPagesThatExist_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("English") << "/help";
        QTest::newRow("Japanese") << "/help-jp";
    }

    void helpPagesLinkOnlyToPagesThatExist()
    {
        QFETCH(QString, folder);
        const QDir help(kSourceData + folder);
        const QStringList pages = help.entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(pages.size() >= 4);
        const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
        for (const QString& page : pages) {
            QFile file(help.filePath(page));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            for (auto it = link.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(1);
                if (target.contains(QLatin1String("://")))
                    continue;
                const QString fileName = target.section(QLatin1Char('#'), 0, 0);
                const QString anchor = target.section(QLatin1Char('#'), 1);
                const QString targetPath = help.filePath(fileName.isEmpty() ? page : fileName);
                QVERIFY2(QFile::exists(targetPath), qPrintable(page + QStringLiteral(" -> ") + target));
                if (!anchor.isEmpty()) {
                    QFile targetFile(targetPath);
                    QVERIFY(targetFile.open(QIODevice::ReadOnly));
                    QVERIFY2(targetFile.readAll().contains(("id=\"" + anchor + "\"").toUtf8()),
                             qPrintable(page + QStringLiteral(" -> ") + target));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "test_help.moc"
