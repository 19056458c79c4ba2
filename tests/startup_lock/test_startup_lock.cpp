#include "core/StartupLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

namespace {

constexpr int kShortWait = 300;  // ms: long enough to see a process wait
constexpr int kLongWait = 10000; // ms: bound for what should happen at once

// One line of the holder's output, or nothing after `ms`.
QByteArray readLineFrom(QProcess& process, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!process.canReadLine()) {
        if (!process.waitForReadyRead(int(deadline.remainingTime())))
            return {};
    }
    return process.readLine().trimmed();
}

void startHolder(QProcess& holder)
{
    holder.setProgram(QStringLiteral(LOCK_HOLDER));
    holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder.start();
}

// Kills the holder's own children (by the pids it reported) on the way out,
// before anything waits for the lock they might keep.
struct StrayKiller
{
    std::vector<pid_t> pids;
    ~StrayKiller()
    {
        for (const pid_t pid : pids)
            ::kill(pid, SIGKILL);
    }
};

} // namespace

class TestStartupLock : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;

private slots:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void cleanup()
    {
        while (G_hGlobalMutex.isOpen())
            ReleaseGlobalMutex();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void waitsUntilTheHolderLetsGo_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("holder releases") << "release";
        QTest::newRow("holder exits") << "exit";
        QTest::newRow("holder killed") << "kill";
        QTest::newRow("holder killed, its child lives on") << "kill-with-child";
    }

    void waitsUntilTheHolderLetsGo()
    {
        QFETCH(QString, how);
        // Declared in this order so that an early return ends the holder and
        // its child before the waiting thread is joined.
        std::atomic<bool> acquired{false};
        std::jthread waiter;
        StrayKiller strays;
        QProcess holder;

        startHolder(holder);
        QCOMPARE(readLineFrom(holder, kLongWait), QByteArray("locked"));
        if (how == QLatin1String("kill-with-child")) {
            holder.write("spawn\n");
            const QByteArray line = readLineFrom(holder, kLongWait);
            QVERIFY2(line.startsWith("child "), line.constData());
            const pid_t child = pid_t(line.mid(6).toInt());
            QVERIFY(child > 0);
            strays.pids.push_back(child);
        }

        waiter = std::jthread([&acquired] {
            AcquireGlobalMutex();
            acquired = true;
            ReleaseGlobalMutex();
        });
        QTest::qWait(kShortWait);
        QVERIFY2(!acquired, "took the lock while another process held it");

        if (how == QLatin1String("release")) {
            holder.write("release\n");
            QCOMPARE(readLineFrom(holder, kLongWait), QByteArray("released"));
        } else if (how == QLatin1String("exit")) {
            holder.write("exit\n");
        } else {
            QVERIFY(::kill(pid_t(holder.processId()), SIGKILL) == 0);
        }
        QTRY_VERIFY_WITH_TIMEOUT(acquired, kLongWait);

        holder.closeWriteChannel();
        QVERIFY(holder.state() == QProcess::NotRunning || holder.waitForFinished(kLongWait));
    }

    void releasesOnTheLastRelease()
    {
        ReleaseGlobalMutex(); // not held: harmless
        AcquireGlobalMutex();
        QVERIFY(G_hGlobalMutex.isLocked());
        QCOMPARE(G_hGlobalMutex.filePath(), m_runtime.filePath("Folioshift_Global_Mutex.lock"));
        AcquireGlobalMutex(); // this thread holds it: at once
        std::thread([] { ReleaseGlobalMutex(); }).join(); // not the holder: gives nothing back

        QProcess holder;
        startHolder(holder);
        QVERIFY(holder.waitForStarted(kLongWait));
        QVERIFY2(!holder.waitForReadyRead(kShortWait), "lock taken from a holder");
        ReleaseGlobalMutex();
        QVERIFY2(!holder.waitForReadyRead(kShortWait), "lock gone with one of two ownerships left");
        ReleaseGlobalMutex();
        QVERIFY(!G_hGlobalMutex.isOpen());
        QCOMPARE(readLineFrom(holder, kLongWait), QByteArray("locked"));
        ReleaseGlobalMutex(); // one release too many: harmless

        holder.closeWriteChannel();
        QVERIFY(holder.state() == QProcess::NotRunning || holder.waitForFinished(kLongWait));
    }

    void failureToLockIsIgnored()
    {
        // A folder where the lock file should be: it cannot be opened.
        QTemporaryDir blocked;
        QVERIFY(QDir(blocked.path()).mkdir("Folioshift_Global_Mutex.lock"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(blocked.path()));
        AcquireGlobalMutex(); // returns: start-up goes on without the lock
        QVERIFY(!G_hGlobalMutex.isOpen());
        ReleaseGlobalMutex();

        // The failed round leaves nothing behind that spoils the next.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        AcquireGlobalMutex();
        QVERIFY(G_hGlobalMutex.isLocked());
        ReleaseGlobalMutex();
        QVERIFY(!G_hGlobalMutex.isOpen());
    }

    void lockFileIsPerUser_data()
    {
        QTest::addColumn<QByteArray>("runtimeDir");
        QTest::newRow("unset") << QByteArray();
        QTest::newRow("relative") << QByteArray("run/user");
        QTest::newRow("missing folder") << QByteArray("/nonexistent/run");
    }

    void lockFileIsPerUser()
    {
        QFETCH(QByteArray, runtimeDir);
        if (runtimeDir.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtimeDir);
        QCOMPARE(NamedLockFilePath("Folioshift_Global_Mutex"),
                 QDir(QDir::tempPath()).filePath(QStringLiteral("Folioshift_Global_Mutex-%1.lock").arg(::getuid())));
    }
};

QTEST_GUILESS_MAIN(TestStartupLock)
#include "test_startup_lock.moc"
