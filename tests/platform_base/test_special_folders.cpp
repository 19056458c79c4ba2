#include "core/SpecialFolderPath.h"
#include "base/SpecialFolders.h"

#include <QDir>
#include <QTest>

class TestSpecialFolders : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { ClearSpecialFolderOverrides(); }

    void mapsToXdgFolders()
    {
        qputenv("XDG_CONFIG_HOME", "/tmp/tv-config-home");
        qputenv("XDG_DATA_HOME", "/tmp/tv-data-home/");
        QCOMPARE(GetSpecialFolderPath(csidl::AppData), QStringLiteral("/tmp/tv-config-home"));
        QCOMPARE(GetSpecialFolderPath(csidl::LocalAppData), QStringLiteral("/tmp/tv-data-home"));
        QCOMPARE(GetSpecialFolderPath(csidl::Profile), QDir::homePath());
        // A relative XDG value is ignored, as the XDG rules say.
        qputenv("XDG_CONFIG_HOME", "relative/place");
        QCOMPARE(GetSpecialFolderPath(csidl::AppData), QDir::homePath() + QStringLiteral("/.config"));
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }

    void failuresGiveTheTexts()
    {
        QCOMPARE(GetSpecialFolderPath(csidl::CommonDocuments), QStringLiteral("Special Folder Does Not Exist"));
        QCOMPARE(GetSpecialFolderPath(9999), QStringLiteral("Folder Not Valid On this OS"));
        QCOMPARE(GetSpecialFolderPathOrError(csidl::CommonDocuments), QStringLiteral("(error)"));
        QCOMPARE(GetSpecialFolderPathOrError(9999), QStringLiteral("(error)"));
        OverrideSpecialFolder(csidl::AppData, QStringLiteral("-"));
        QCOMPARE(GetSpecialFolderPathOrError(csidl::AppData), QStringLiteral("(error)"));
    }

    void overridesLoseTheirTrailingSlash()
    {
        OverrideSpecialFolder(csidl::Personal, QStringLiteral("/srv/docs/"));
        QCOMPARE(GetSpecialFolderPath(csidl::Personal), QStringLiteral("/srv/docs"));
        OverrideSpecialFolder(csidl::Personal, QStringLiteral("/"));
        QCOMPARE(GetSpecialFolderPath(csidl::Personal), QStringLiteral("/"));
    }
};

QTEST_GUILESS_MAIN(TestSpecialFolders)
#include "test_special_folders.moc"
