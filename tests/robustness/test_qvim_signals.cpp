// The real program stopped by a signal in the middle of a batch of twenty
// documents: it ends within five seconds with 128 + the signal, leaves no
// office running, no office profile and no pipe of its own, and every file
// in the output folder is a whole PDF; the log says the run was stopped. A
// second signal ends it at once.
#include "QvimUser.h"
#include "../office/OfficeTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kDocuments = 20;

using User = QvimUser;

// The pipe sockets named after process pid in the system's socket folder.
QStringList pipesOf(qint64 pid)
{
    return QDir(QStringLiteral("/tmp"))
        .entryList({QStringLiteral("OSL_PIPE_%1_tessaview_%2_*").arg(::geteuid()).arg(pid)}, QDir::System);
}

QString programs(const QList<qint64>& pids)
{
    QStringList names;
    for (const qint64 pid : pids)
        names << QString::number(pid) + u' ' + QString::fromUtf8(testutil::readFile(QStringLiteral("/proc/%1/cmdline").arg(pid))).replace(u'\0', u' ');
    return names.join(QStringLiteral("; "));
}

} // namespace

class TestQvimSignals : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { OFFICE_TEST_REQUIRE_OFFICE(); }

    void stopInTheMiddleOfABatch_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("officesHung");
        QTest::addColumn<QStringList>("method");
        QTest::newRow("SIGTERM") << SIGTERM << false << QStringList{};
        QTest::newRow("SIGINT") << SIGINT << false << QStringList{};
        QTest::newRow("SIGHUP") << SIGHUP << false << QStringList{};
        // The documents in flight cannot finish: they are cut off.
        QTest::newRow("SIGTERM, offices hung") << SIGTERM << true << QStringList{};
        // The Word-conversion control's office, which its own copy of the
        // code started.
        QTest::newRow("SIGTERM, Word route, office hung") << SIGTERM << true << QStringList{"/M", "1"};
    }

    void stopInTheMiddleOfABatch()
    {
        QFETCH(int, signal);
        QFETCH(bool, officesHung);
        QFETCH(QStringList, method);
        User user;
        for (int i = 1; i <= kDocuments; ++i)
            user.write(QStringLiteral("in/doc%1.rtf").arg(i, 2, 10, QLatin1Char('0')), officetest::numberedRtf(i, 1500));
        QDir().mkpath(user.path("out"));
        QProcess process;
        QVERIFY(user.start(process, QStringList{"/S", user.path("in/*.rtf"), "/T", user.path("out/*.pdf"), "/C", "12",
                                                "/L", user.path("qvim.log"), "/P"}
                                        + method));
        const qint64 pid = process.processId();

        // Stopped once the first documents are written.
        QDeadlineTimer deadline(120000);
        while (user.entries("out").filter(QStringLiteral(".pdf")).size() < 2 && !deadline.hasExpired()
               && !process.waitForFinished(20))
            user.watch().scan();
        QVERIFY2(process.state() == QProcess::Running, "the batch ended before it could be stopped");
        user.watch().scan();
        QVERIFY(user.watch().count() > 0);
        if (officesHung) {
            for (const qint64 office : testutil::runningChildren(pid, "soffice.bin"))
                ::kill(pid_t(office), SIGSTOP);
        }
        QElapsedTimer stopped;
        stopped.start();
        ::kill(pid_t(pid), signal);
        while (!process.waitForFinished(20) && stopped.elapsed() < 10000)
            user.watch().scan();
        const qint64 took = stopped.elapsed();
        QVERIFY2(took < 5000, qPrintable(QStringLiteral("ended after %1 ms").arg(took)));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 128 + signal);

        QVERIFY2(user.watch().stillRunning().isEmpty(), qPrintable(programs(user.watch().stillRunning())));
        QCOMPARE(user.entries("tmp"), QStringList{});
        QCOMPARE(pipesOf(pid), QStringList{});
        const QStringList outputs = user.entries("out");
        QVERIFY2(outputs.size() < kDocuments, qPrintable(outputs.join(u' ')));
        for (const QString& name : outputs) {
            QVERIFY2(name.endsWith(QLatin1String(".pdf")), qPrintable(name));
            const QString pdf = user.path("out/") + name;
            QVERIFY2(officetest::pdfInfo(pdf).exitCode == 0, qPrintable(name + " is not a whole PDF"));
        }
        const QString log = user.log("qvim.log");
        QVERIFY2(log.contains(QStringLiteral("The run was stopped by a signal before the job was complete:")),
                 qPrintable(log));
        QVERIFY2(!log.contains(QStringLiteral("Conversion Successful")), qPrintable(log));
    }

    // A second signal ends the program at once, without the grace that
    // hung offices would get from the first.
    void secondSignalEndsAtOnce()
    {
        User user;
        for (int i = 1; i <= 4; ++i)
            user.write(QStringLiteral("in/doc%1.rtf").arg(i), officetest::numberedRtf(i, 1500));
        QDir().mkpath(user.path("out"));
        QProcess process;
        QVERIFY(user.start(process, {"/S", user.path("in/*.rtf"), "/T", user.path("out/*.pdf"), "/C", "12", "/P"}));
        const qint64 pid = process.processId();
        QDeadlineTimer deadline(120000);
        while (testutil::runningChildren(pid, "soffice.bin").isEmpty() && !deadline.hasExpired()
               && !process.waitForFinished(20))
            user.watch().scan();
        QVERIFY(process.state() == QProcess::Running);
        for (const qint64 office : testutil::runningChildren(pid, "soffice.bin"))
            ::kill(pid_t(office), SIGSTOP);
        QElapsedTimer stopped;
        stopped.start();
        ::kill(pid_t(pid), SIGTERM);
        QTest::qWait(100); // taken, so the two do not merge or swap
        ::kill(pid_t(pid), SIGINT);
        QVERIFY(process.waitForFinished(5000));
        QVERIFY2(stopped.elapsed() < 1500, qPrintable(QString::number(stopped.elapsed())));
        QCOMPARE(process.exitCode(), 128 + SIGINT);
        // The offices notice their parent's end.
        QDeadlineTimer gone(10000);
        while (!user.watch().stillRunning().isEmpty() && !gone.hasExpired())
            QTest::qWait(50);
        QCOMPARE(user.watch().stillRunning(), QList<qint64>{});
        for (const QString& name : user.entries("out"))
            QVERIFY2(officetest::pdfInfo(user.path("out/") + name).exitCode == 0, qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestQvimSignals)
#include "test_qvim_signals.moc"
