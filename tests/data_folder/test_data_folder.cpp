#include "base/Profile.h"
#include "base/SpecialFolders.h"
#include "core/DataFolder.h"
#include "core/Globals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kFile = QStringLiteral("QVIM_SearchHistory.INI");
const QString kSub = QStringLiteral("/Kestrova, Inc/Tessaview");

QString partialKey(const QString& file)
{
    return GetPrivateProfileString(QStringLiteral("main"), QStringLiteral("PARTIAL"), QStringLiteral("none"), file);
}
} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString folder(const QString& name)
    {
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        QDir().mkpath(path);
        return path;
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        ResetDataFolderCache();
        G_sDataFolder.clear();
    }
    void cleanup()
    {
        ClearSpecialFolderOverrides();
        SetProgramFolderForTests(QString());
    }

    void settingsFileLivesInTheConfigHome()
    {
        const QString config = m_dir.path() + QStringLiteral("/config");
        OverrideSpecialFolder(csidl::AppData, config);

        const QString expected = config + kSub + QLatin1Char('/') + kFile;
        QCOMPARE(GetIniFilePath(kProductCode), expected);
        QVERIFY(QFile::exists(expected)); // the missing folders were created
        QCOMPARE(partialKey(expected), QStringLiteral("Level3"));
        QCOMPARE(G_sDataFolder, config + kSub);
        QCOMPARE(QFile(expected).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    }

    void secondCallIsCachedWithoutProbing()
    {
        OverrideSpecialFolder(csidl::AppData, folder(QStringLiteral("first")));
        const QString first = GetIniFilePath(kProductCode);
        QVERIFY(QFile::remove(first));

        OverrideSpecialFolder(csidl::AppData, folder(QStringLiteral("second")));
        QCOMPARE(GetIniFilePath(kProductCode), first);
        QVERIFY(!QFile::exists(first)); // no second probe
    }

    void missingSpecialFolderGivesNothing()
    {
        OverrideSpecialFolder(csidl::AppData, QStringLiteral("-"));
        QCOMPARE(FindWritableDataFolder(kFile, QStringLiteral("Kestrova, Inc"), QStringLiteral("Tessaview"), csidl::AppData),
                 QString());
        // The error text never turns into a folder below the current one.
        QVERIFY(!QDir(QStringLiteral("Special Folder Does Not Exist")).exists());
    }

    void searchListTakesTheFirstUsableCandidate_data()
    {
        QTest::addColumn<bool>("programFolderUsable");
        QTest::addColumn<QString>("expectedFolder");
        QTest::newRow("beside the program") << true << QStringLiteral("program");
        QTest::newRow("program folder unusable: local data next") << false << QStringLiteral("local") + kSub;
    }
    void searchListTakesTheFirstUsableCandidate()
    {
        QFETCH(bool, programFolderUsable);
        QFETCH(QString, expectedFolder);
        // /proc refuses new files even for root, so it stands for a folder
        // the user cannot write to.
        SetProgramFolderForTests(programFolderUsable ? folder(QStringLiteral("program")) : QStringLiteral("/proc/tessaview"));
        OverrideSpecialFolder(csidl::LocalAppData, m_dir.path() + QStringLiteral("/local"));
        OverrideSpecialFolder(csidl::AppData, m_dir.path() + QStringLiteral("/roaming"));

        const QString path = FindWritableDataFolder(kFile, QStringLiteral("Kestrova, Inc"), QStringLiteral("Tessaview"), 0);
        QCOMPARE(path, m_dir.path() + QLatin1Char('/') + expectedFolder + QLatin1Char('/') + kFile);
        QCOMPARE(G_sDataFolder, m_dir.path() + QLatin1Char('/') + expectedFolder);
        QCOMPARE(partialKey(path), QStringLiteral("Level3"));
        QVERIFY(!QFile::exists(m_dir.path() + QStringLiteral("/roaming") + kSub + QLatin1Char('/') + kFile));
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_data_folder.moc"
