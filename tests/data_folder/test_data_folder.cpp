#include "base/Profile.h"
#include "base/SpecialFolders.h"
#include "core/DataFolder.h"
#include "core/Globals.h"
#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
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

    // A settings file that is not text is renamed aside, byte for byte and
    // never over an earlier copy, and a fresh one takes its place.
    void damagedSettingsFileIsSetAside()
    {
        const QString config = m_dir.path() + QStringLiteral("/damaged");
        OverrideSpecialFolder(csidl::AppData, config);
        const QString file = config + kSub + QLatin1Char('/') + kFile;
        QVERIFY(QDir().mkpath(config + kSub));
        const QByteArray first = QByteArray("[frmMain]\r\nsInputFile_Password=secret\r\n") + QByteArray(600, '\0');
        const QByteArray second = QByteArray(64, '\x07') + "[Main]\r\nPartial=x\r\n";
        TakeSettingsFileReports();

        for (const QByteArray& damaged : {first, second}) {
            QVERIFY(testutil::writeFile(file, damaged));
            ResetDataFolderCache();
            QCOMPARE(GetIniFilePath(kProductCode), file);
            QCOMPARE(partialKey(file), QStringLiteral("Level3"));
            QVERIFY(!testutil::readFile(file).contains("secret"));
        }
        QCOMPARE(testutil::readFile(file + QStringLiteral(".damaged")), first);
        QCOMPARE(testutil::readFile(file + QStringLiteral(".damaged-2")), second);
        QCOMPARE(QFile(file + QStringLiteral(".damaged")).permissions() & (QFile::ReadOther | QFile::ReadGroup),
                 QFile::Permissions());

        const QList<SettingsFileReport> reports = TakeSettingsFileReports();
        QCOMPARE(reports.size(), 2);
        QCOMPARE(reports[1].file, file);
        QCOMPARE(reports[1].keptAs, file + QStringLiteral(".damaged-2"));
        const QString text = SettingsFileReportText(reports[1], QStringLiteral("\n"));
        QVERIFY2(text.contains(file) && text.contains(reports[1].keptAs), qPrintable(text));
        QVERIFY(TakeSettingsFileReports().isEmpty()); // each is shown once
    }

    // Settings files as users have them are used as they are.
    void settingsFileThatIsTextIsKept_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("odd lines") << QByteArray("; mine\r\nno equals here\r\n[frmMain]\r\nkeep=1\r\n");
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        QTest::newRow("UTF-16 with its mark") << QByteArray(utf16.encode(u"[frmMain]\r\nkeep=1\r\n"));
    }
    void settingsFileThatIsTextIsKept()
    {
        QFETCH(QByteArray, bytes);
        const QString config = m_dir.path() + QStringLiteral("/text-") + QString::fromLatin1(QTest::currentDataTag());
        OverrideSpecialFolder(csidl::AppData, config);
        const QString file = config + kSub + QLatin1Char('/') + kFile;
        QVERIFY(QDir().mkpath(config + kSub));
        QVERIFY(testutil::writeFile(file, bytes));
        TakeSettingsFileReports();

        QCOMPARE(GetIniFilePath(kProductCode), file);
        QCOMPARE(partialKey(file), QStringLiteral("Level3"));
        if (!bytes.isEmpty())
            QCOMPARE(GetPrivateProfileString(QStringLiteral("frmMain"), QStringLiteral("keep"), QString(), file),
                     QStringLiteral("1"));
        QVERIFY(!QFile::exists(file + QStringLiteral(".damaged")));
        QVERIFY(TakeSettingsFileReports().isEmpty());
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
