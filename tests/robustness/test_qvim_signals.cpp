// The real program stopped by a signal in the middle of a batch of twenty
// documents: it ends with 128 + the signal before the batch is done, leaves
// no office running, no office profile and no pipe of its own, and every
// file in the output folder is a whole PDF; the log says the run was
// stopped, and a document a hung office held was cut off by the stop, not
// by the office's time limit. A second signal ends it at once, with its own
// number.
#include "QvimUser.h"
#include "base/StopSignals.h"
#include "../office/OfficeTestSupport.h"

#include <QDir>
#include <QDeadlineTimer>
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

// True once `signal`, sent to process `pid`, is pending no more: it was
// delivered to the program's handler.
bool signalTaken(qint64 pid, int signal)
{
    const quint64 bit = quint64(1) << (signal - 1);
    QStringList files{QStringLiteral("/proc/%1/status").arg(pid)};
    for (const QString& task : QDir(QStringLiteral("/proc/%1/task").arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        files << QStringLiteral("/proc/%1/task/%2/status").arg(pid).arg(task);
    for (const QString& file : files) {
        for (const QByteArray& line : testutil::readFile(file).split('\n')) {
            if (!line.startsWith("ShdPnd:") && !line.startsWith("SigPnd:"))
                continue;
            bool ok = false;
            const quint64 pending = line.mid(7).trimmed().toULongLong(&ok, 16);
            if (!ok || (pending & bit))
                return false;
        }
    }
    return true;
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
        ::kill(pid_t(pid), signal);
        // Only so that a program that ignores the signal does not hang the
        // test.
        QDeadlineTimer stopped(120000);
        while (!process.waitForFinished(20) && !stopped.hasExpired())
            user.watch().scan();
        QCOMPARE(process.state(), QProcess::NotRunning);
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
        // The documents the hung offices held were cut off by the stop.
        QVERIFY2(!log.contains(QStringLiteral("time limit")), qPrintable(log));
        if (officesHung && method.isEmpty())
            QVERIFY2(log.contains(QStringLiteral("The run was stopped (%1) while ")
                                      .arg(QLatin1String(StopSignalName(signal)))),
                     qPrintable(log));
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
        ::kill(pid_t(pid), SIGTERM);
        // Taken before the second is sent, so the two neither merge nor
        // swap.
        QTRY_VERIFY_WITH_TIMEOUT(signalTaken(pid, SIGTERM), 60000);
        ::kill(pid_t(pid), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        // The second signal's number: it ended the program, not the first
        // one's stop after the offices' grace.
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
