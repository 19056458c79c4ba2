// An office that hangs under the control: the watchdog stops it, the
// conversion fails with -10 (never 0) and its document is given up, and the
// next conversion runs on a fresh office. Its own executable, since it
// shortens the office's time limits.
#include "ControlTestSupport.h"

#include "OfficeWordApplication.h"
#include "QuaystoneCtrl.h"

#include <QTest>

#include <csignal>
#include <thread>

using namespace officetest;
using namespace controltest;

namespace {
const QString kDemo = QStringLiteral(TESSAVIEW_DEMO_DATA);
constexpr int kLimitMs = 10000;
} // namespace

class TestQuaystoneWatchdog : public QObject
{
    Q_OBJECT

private slots:
    void aHungOfficeIsStoppedAndReplaced()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        ScratchFolder dir;
        // The control placed new looks for its settings folder: the test's own.
        qputenv("XDG_CONFIG_HOME", dir.path(QStringLiteral("config")).toUtf8());
        auto automation = std::make_shared<OfficeWordAutomation>();
        automation->SetTimeouts(kLimitMs, kLimitMs);
        QuaystoneCtrl ctrl(automation);
        ctrl.InitProperties();
        QStringList events;
        ctrl.OnError = [&](int code, const QString& text) { events << QStringLiteral("%1:%2").arg(code).arg(text); };
        ctrl.SetOptimizeForSpeed(true);

        QCOMPARE(ctrl.OpenWordSaveAs(kDemo + "/Sample Rich Text.rtf", dir.path("first.pdf"), 17), 0);
        const QList<qint64> office = officeProcesses();
        QCOMPARE(office.size(), 1);

        // Stopped while it works on a long document, the office answers
        // nothing more: the call hangs.
        const QString big = dir.write(QStringLiteral("big.html"), bigHtml(20000));
        const QString old = dir.write(QStringLiteral("hung.pdf"), "previous output");
        std::thread stopper([pid = pid_t(office.first())] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            ::kill(pid, SIGSTOP);
        });
        // Without the watchdog the call would not return at all.
        const int result = ctrl.OpenWordSaveAs(big, old, 17);
        stopper.join();
        QCOMPARE(result, -10);
        QCOMPARE(events.size(), 1);
        QVERIFY2(events.first().startsWith(QLatin1String("-10:")), qPrintable(events.first()));
        QCOMPARE(testutil::readFile(old), QByteArray("previous output"));
        QVERIFY(!officeProcesses().contains(office.first()));

        QCOMPARE(ctrl.OpenWordSaveAs(kDemo + "/Sample Word Document.docx", dir.path("after.pdf"), 17), 0);
        QVERIFY(pdfText(dir.path("after.pdf")).contains(QStringLiteral("An old clock ticks")));
        const QList<qint64> fresh = officeProcesses();
        QCOMPARE(fresh.size(), 1);
        QVERIFY(fresh.first() != office.first());
    }
};

QTEST_GUILESS_MAIN(TestQuaystoneWatchdog)
#include "test_quaystone_watchdog.moc"
