#include "core/SystemVersion.h"

#include <QSysInfo>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(WindowsVersionInfo)

namespace {

WindowsVersionInfo nt(quint32 major, quint32 minor, quint8 productType = 1)
{
    WindowsVersionInfo info;
    info.platformId = 2;
    info.majorVersion = major;
    info.minorVersion = minor;
    info.productType = productType;
    info.processorArchitecture = 0;
    return info;
}

} // namespace

class TestSystemVersion : public QObject
{
    Q_OBJECT
private slots:
    void namesWindowsVersions_data()
    {
        QTest::addColumn<WindowsVersionInfo>("info");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("vistaOrLater");

        WindowsVersionInfo i = nt(6, 1);
        i.productInfo = 1;
        i.processorArchitecture = 9;
        i.servicePack = u"Service Pack 1\0garbage"_s;
        QTest::newRow("7 Ultimate x64 SP1") << i << u"Windows 7 Ultimate Edition, 64-bit (Service Pack 1)"_s << true;

        i = nt(6, 2);
        i.productInfo = 0x30;
        i.processorArchitecture = 9;
        QTest::newRow("8, edition not in table") << i << u"Windows 8 , 64-bit"_s << true;

        i = nt(10, 0);
        i.productInfo = 1;
        i.processorArchitecture = 9;
        QTest::newRow("10: no edition, no width") << i << u"Windows 10 "_s << true;
        i.servicePack = u"SP9"_s;
        QTest::newRow("10 with service pack") << i << u"Windows 10  (SP9)"_s << true;
        i.productType = 3;
        i.servicePack.clear();
        QTest::newRow("Server 2016") << i << u"Windows Server 2016 "_s << true;

        i = nt(6, 0);
        i.productInfo = 3;
        QTest::newRow("Vista Home Premium x86") << i << u"Windows Vista Home Premium Edition, 32-bit"_s << true;
        i = nt(6, 3, 3);
        i.productInfo = 13;
        i.processorArchitecture = 6;
        QTest::newRow("2012 R2 core, Itanium has no width")
            << i << u"Windows Server 2012 R2Standard Edition (core installation)"_s << true;
        i = nt(6, 7);
        i.processorArchitecture = 9;
        QTest::newRow("unknown 6.x") << i << u"Windows Version??? Major Version = 6 Minor Version = 7 , 64-bit"_s
                                     << true;
        i.productType = 2;
        i.productInfo = 25;
        QTest::newRow("unknown 6.x server")
            << i << u"Windows Server Version??? Major Version = 6 Minor Version = 7 Small Business Server Premium Edition, 64-bit"_s
            << true;

        i = nt(5, 2, 3);
        i.suiteMask = 0x2;
        QTest::newRow("Server 2003 Enterprise x86") << i << u"Windows Server 2003, Enterprise Edition"_s << false;
        i.suiteMask = 0x4000 | 0x80;
        QTest::newRow("Server 2003 suites in order") << i << u"Windows Server 2003, Compute Cluster Edition"_s
                                                     << false;
        i.suiteMask = 0;
        i.processorArchitecture = 9;
        QTest::newRow("Server 2003 x64 Standard") << i << u"Windows Server 2003, Standard x64 Edition"_s << false;
        i.processorArchitecture = 6;
        QTest::newRow("Server 2003 Itanium plain") << i << u"Windows Server 2003, "_s << false;
        i.processorArchitecture = 0;
        i.suiteMask = 0x2000;
        QTest::newRow("Storage Server 2003") << i << u"Windows Storage Server 2003Standard Edition"_s << false;
        i.serverR2 = true;
        i.processorArchitecture = 0;
        i.suiteMask = 0x80;
        QTest::newRow("Server 2003 R2 Datacenter") << i << u"Windows Server 2003 R2, Datacenter Edition"_s << false;
        i = nt(5, 2, 1);
        i.processorArchitecture = 9;
        i.servicePack = u"Service Pack 2"_s;
        QTest::newRow("XP Professional x64") << i << u"Windows XP Professional x64 Edition (Service Pack 2)"_s
                                             << false;

        i = nt(5, 1);
        i.mediaCenter = true;
        i.suiteMask = 0x200;
        QTest::newRow("XP Media Center first") << i << u"Windows XP Media Center Edition"_s << false;
        i.mediaCenter = false;
        QTest::newRow("XP Home") << i << u"Windows XP Home Edition"_s << false;
        i.suiteMask = 0;
        QTest::newRow("XP Professional") << i << u"Windows XP Professional"_s << false;

        i = nt(5, 0, 3);
        i.suiteMask = 0x80 | 0x2;
        QTest::newRow("2000 Datacenter") << i << u"Windows 2000 Datacenter Server"_s << false;
        QTest::newRow("NT 4") << nt(4, 0) << u"Windows NT 4.x"_s << false;
        QTest::newRow("unknown major") << nt(7, 0) << QString() << true;
        QTest::newRow("5.3") << nt(5, 3) << QString() << false;

        const auto nine = [](quint32 minor, quint32 build) {
            WindowsVersionInfo w;
            w.platformId = 1;
            w.majorVersion = 4;
            w.minorVersion = minor;
            w.buildNumber = build;
            return w;
        };
        QTest::newRow("95") << nine(0, 950) << u"Windows 95"_s << false;
        QTest::newRow("95 SP1") << nine(0, 1080) << u"Windows 95 SP1"_s << false;
        QTest::newRow("95 OSR2") << nine(0, 1081) << u"Windows 95 OSR2"_s << false;
        QTest::newRow("95 below") << nine(0, 949) << QString() << false;
        QTest::newRow("98") << nine(10, 1998) << u"Windows 98"_s << false;
        QTest::newRow("98 SP1") << nine(10, 2182) << u"Windows 98 SP1"_s << false;
        QTest::newRow("98 SE") << nine(10, 2222) << u"Windows 98 SE"_s << false;
        QTest::newRow("ME") << nine(90, 3000) << u"Windows ME"_s << false;
        i = nine(0, 0);
        i.platformId = 3;
        i.majorVersion = 6;
        QTest::newRow("CE") << i << u"Windows CE"_s << false;
    }

    void namesWindowsVersions()
    {
        QFETCH(WindowsVersionInfo, info);
        QFETCH(QString, name);
        QFETCH(bool, vistaOrLater);
        const OSVersion version = BuildWindowsVersionName(info);
        QCOMPARE(version.name, name);
        QCOMPARE(version.vistaOrLater, vistaOrLater);
    }

    void namesLinuxSystems_data()
    {
        QTest::addColumn<QByteArray>("osRelease");
        QTest::addColumn<QString>("machine");
        QTest::addColumn<QString>("name");
        QTest::newRow("quoted")
            << QByteArray("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n")
            << u"x86_64"_s << u"Debian GNU/Linux 12 (bookworm) x86_64, 64-bit"_s;
        QTest::newRow("escaped") << QByteArray("PRETTY_NAME=\"Say \\\"hi\\\"\"\n") << u"i686"_s
                                              << u"Say \"hi\" i686, 32-bit"_s;
        QTest::newRow("unquoted") << QByteArray("ID=arch\nPRETTY_NAME=Arch Linux\n") << u"x86_64"_s
                                  << u"Arch Linux x86_64, 64-bit"_s;
        QTest::newRow("single quotes") << QByteArray("  PRETTY_NAME='Alpine 3.19'\n") << u"aarch64"_s
                                       << u"Alpine 3.19 aarch64, 64-bit"_s;
        QTest::newRow("not a prefix match") << QByteArray("XPRETTY_NAME=Nope\n") << u"armv7l"_s
                                            << u"Linux 6.1.0 armv7l, 32-bit"_s;
        QTest::newRow("no os-release") << QByteArray() << u"s390x"_s << u"Linux 6.1.0 s390x, 64-bit"_s;
    }

    void namesLinuxSystems()
    {
        QFETCH(QByteArray, osRelease);
        QFETCH(QString, machine);
        QFETCH(QString, name);
        const auto version = BuildLinuxVersionName({osRelease, u"Linux"_s, u"6.1.0"_s, machine});
        QVERIFY(version);
        QCOMPARE(version->name, name);
        QVERIFY(version->vistaOrLater);
    }

    void failsWhenNothingNamesTheSystem()
    {
        QVERIFY(!BuildLinuxVersionName({QByteArray("ID=x\n"), {}, {}, u"x86_64"_s}));
    }

    void runningSystemIsNamedAndVistaOrLater()
    {
        QVERIFY(IsVistaOrLater());
        const QString name = GetOSVersionNameCached();
        // QSysInfo reads the same PRETTY_NAME on its own.
        QVERIFY2(name.startsWith(QSysInfo::prettyProductName() + u' '), qPrintable(name));
        QVERIFY(name.endsWith(u", 64-bit"_s) || name.endsWith(u", 32-bit"_s));
        QCOMPARE(GetOSVersionNameCached(), name);
    }

    void cacheAsksOncePerAccessor()
    {
        int calls = 0;
        OSVersionCache cache([&calls]() -> std::optional<OSVersion> {
            ++calls;
            return OSVersion{u"Some System"_s, true};
        });
        QCOMPARE(cache.GetOSVersionNameCached(), u"Some System"_s);
        QCOMPARE(cache.GetOSVersionNameCached(), u"Some System"_s);
        QCOMPARE(calls, 1);
        QVERIFY(cache.IsVistaOrLater());
        QVERIFY(cache.IsVistaOrLater());
        QCOMPARE(calls, 2);
    }

    void cacheKeepsAFailure()
    {
        int calls = 0;
        OSVersionCache cache([&calls]() -> std::optional<OSVersion> {
            ++calls;
            return std::nullopt;
        });
        QCOMPARE(cache.GetOSVersionNameCached(), u"GetWinVerInfo Error 2"_s);
        QCOMPARE(cache.GetOSVersionNameCached(), QString());
        QVERIFY(!cache.IsVistaOrLater());
        QVERIFY(!cache.IsVistaOrLater());
        QCOMPARE(calls, 2);
    }
};

QTEST_GUILESS_MAIN(TestSystemVersion)
#include "test_system_version.moc"
