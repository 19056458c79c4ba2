// The office's extension registry kept between profiles: an office that
// quit cleanly leaves it in the cache folder, a new profile starts with it
// and the office then starts once instead of asking to be started again;
// a kept registry is never replaced, and half of one is never kept.
#include "office/OfficeEngine.h"
#include "office/OfficeExtensionCache.h"
#include "office/OfficeProcess.h"

#include "OfficeTestSupport.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <chrono>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace officetest;

class TestOfficeExtensionCache : public QObject
{
    Q_OBJECT

private:
    ScratchFolder m_dir;
    QString m_program;

private slots:
    void initTestCase()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        QVERIFY(m_dir.isValid());
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.path(QStringLiteral("cache"))));
        m_program = OfficeEngine::Create()->program();
    }

    void aCleanQuitKeepsTheRegistryAndTheNextOfficeStartsOnce()
    {
        const QString kept = OfficeExtensionCacheFolder(m_program);
        QVERIFY(kept.startsWith(m_dir.folder()));
        QVERIFY(!QFileInfo::exists(kept));
        {
            const std::unique_ptr<OfficeEngine> engine = OfficeEngine::Create();
            const OfficeStatus status = engine->start();
            QVERIFY2(status.ok(), qPrintable(status.message));
            engine->shutdown();
        }
        QVERIFY2(QFileInfo(kept + QStringLiteral("/buildid")).isFile(), qPrintable(kept));
        QVERIFY(!QFileInfo::exists(kept + QStringLiteral("/tmp")));
        QCOMPARE(QDir(QFileInfo(kept).path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(kept).fileName()}); // no scratch copy left beside it

        // A fresh profile seeded from it: the office listens on its pipe
        // without ending first to be started again.
        OfficeProcess process;
        QString error;
        QVERIFY2(process.start(m_program, error), qPrintable(error));
        const QString socket = QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::geteuid()).arg(process.pipeName());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!QFileInfo::exists(socket) && process.isRunning() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const int status = process.exitStatus();
        QVERIFY2(process.isRunning(),
                 qPrintable(QStringLiteral("the office ended at start with %1")
                                .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1)));
        QVERIFY(QFileInfo::exists(socket));
        process.kill();
        process.stop(0);
    }

    void aKeptRegistryStaysAndHalfOfOneIsNeverKept()
    {
        const QString kept = OfficeExtensionCacheFolder(QStringLiteral("/nonexistent/office/soffice.bin"));
        const QString user = m_dir.path(QStringLiteral("profile/user"));
        // No registry kept: nothing is seeded.
        QVERIFY(!SeedOfficeExtensions(QStringLiteral("/nonexistent/office/soffice.bin"), user));
        QVERIFY(!QFileInfo::exists(user + QStringLiteral("/extensions")));
        // A profile whose registry was never finished (no build id) is not kept.
        m_dir.write(QStringLiteral("profile/user/extensions/shared/lastsynchronized"), "1");
        KeepOfficeExtensions(QStringLiteral("/nonexistent/office/soffice.bin"), user);
        QVERIFY(!QFileInfo::exists(kept));
        // A finished one is; a later one does not replace it.
        m_dir.write(QStringLiteral("profile/user/extensions/buildid"), "first");
        KeepOfficeExtensions(QStringLiteral("/nonexistent/office/soffice.bin"), user);
        QCOMPARE(testutil::readFile(kept + QStringLiteral("/buildid")), QByteArray("first"));
        m_dir.write(QStringLiteral("profile/user/extensions/buildid"), "second");
        KeepOfficeExtensions(QStringLiteral("/nonexistent/office/soffice.bin"), user);
        QCOMPARE(testutil::readFile(kept + QStringLiteral("/buildid")), QByteArray("first"));
        const QString other = m_dir.path(QStringLiteral("other/user"));
        QVERIFY(SeedOfficeExtensions(QStringLiteral("/nonexistent/office/soffice.bin"), other));
        QCOMPARE(testutil::readFile(other + QStringLiteral("/extensions/shared/lastsynchronized")), QByteArray("1"));
    }
};

QTEST_GUILESS_MAIN(TestOfficeExtensionCache)
#include "test_office_extension_cache.moc"
