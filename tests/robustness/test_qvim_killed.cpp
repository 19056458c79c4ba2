// The real program killed (SIGKILL) in the middle of a batch of documents
// to images leaves its temporary folders, its offices' profiles and their
// pipes behind. The next start of any kind (the command line, the window,
// automation) removes all of it, and leaves alone what belongs to a process
// that runs and everything in the temporary folder that is not ours. The
// test runs under a session bus of its own, for the automation start.
#include "QvimUser.h"
#include "../office/OfficeTestSupport.h"
#include "base/OwnedTempFolder.h"
#include "office/OfficeProfiles.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kDocuments = 12;
const QString kService = QStringLiteral("com.kestrova.Tessaview");

// The pipe sockets we named after the process `pid`.
QStringList pipesOf(qint64 pid)
{
    return QDir(QStringLiteral("/tmp"))
        .entryList({QStringLiteral("OSL_PIPE_%1_tessaview_%2_*").arg(::geteuid()).arg(pid)}, QDir::System);
}

QStringList existing(const QStringList& paths)
{
    QStringList found;
    for (const QString& path : paths)
        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
            found << path;
    return found;
}

bool makeSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::strncpy(address.sun_path, bytes.constData(), sizeof address.sun_path - 1);
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool served()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value();
}

// Waits until `done` holds, at most `ms`.
template <typename Condition>
bool waitFor(Condition done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(50);
    return done();
}

} // namespace

class TestQvimKilled : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run the test under dbus-run-session");
        // The window start opens its window on the offscreen platform.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    void aStartRemovesWhatAKilledRunLeft_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("method");
        QTest::newRow("command line") << QStringLiteral("command line") << QStringList{};
#ifdef TESSAVIEW_HAS_UI
        QTest::newRow("window") << QStringLiteral("window") << QStringList{};
#endif
        QTest::newRow("automation") << QStringLiteral("automation") << QStringList{};
        // The Word-conversion control's offices and folders, which its own
        // copy of the code made.
        QTest::newRow("command line, after the Word route") << QStringLiteral("command line") << QStringList{"/M", "1"};
    }

    void aStartRemovesWhatAKilledRunLeft()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, method);
        QvimUser user;
        for (int i = 1; i <= kDocuments; ++i)
            user.write(QStringLiteral("in/doc%1.rtf").arg(i, 2, 10, QLatin1Char('0')), officetest::numberedRtf(i, 600));
        QDir().mkpath(user.path("out"));

        // Killed once pages are written and renders wait in its folders.
        QProcess killed;
        QVERIFY(user.start(killed, QStringList{"/S", user.path("in/*.rtf"), "/T", user.path("out/*.png"), "/C", "8", "/P"}
                                       + method));
        const qint64 pid = killed.processId();
        const QString ownPrefix = QStringLiteral("tessaview-%1-%2-");
        auto hasFolder = [&](const char* kind) {
            return !user.entries("tmp").filter(ownPrefix.arg(QLatin1String(kind)).arg(pid)).isEmpty();
        };
        QDeadlineTimer deadline(180000);
        while (!(user.entries("out").size() >= 2 && hasFolder("temp") && hasFolder("office")) && !deadline.hasExpired()
               && !killed.waitForFinished(20))
            user.watch().scan();
        QVERIFY2(killed.state() == QProcess::Running, "the batch ended before it could be killed");
        user.watch().scan();
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(killed.waitForFinished(10000));
        // Its offices die with it.
        QVERIFY(waitFor([&] { return user.watch().stillRunning().isEmpty(); }, 20000));

        const QStringList left = user.entries("tmp");
        QVERIFY2(!left.filter(ownPrefix.arg(QStringLiteral("temp")).arg(pid)).isEmpty(), qPrintable(left.join(u' ')));
        QVERIFY2(!left.filter(ownPrefix.arg(QStringLiteral("office")).arg(pid)).isEmpty(), qPrintable(left.join(u' ')));
        // Its offices' pipes (any start of the program removes them, also one
        // of another test running meanwhile).
        QStringList sockets;
        for (const QString& name : left.filter(ownPrefix.arg(QStringLiteral("office")).arg(pid)))
            sockets << OfficePipeSockets(QString(), QUrl::fromLocalFile(user.path("tmp/") + name).toString(QUrl::FullyEncoded));

        // What is not the killed run's: a folder of this test, which runs,
        // with a file in it; a folder named like ours with no marker; a file
        // of the user's; a pipe named after this test.
        qputenv("TMPDIR", user.path("tmp").toUtf8());
        const QString live = MakeOwnedTempFolder(QStringLiteral("temp"));
        qunsetenv("TMPDIR");
        QVERIFY(!live.isEmpty());
        user.write(QStringLiteral("tmp/%1/render.pdf").arg(QFileInfo(live).fileName()), "%PDF-1.4\n");
        const QString unmarked = QStringLiteral("tessaview-temp-%1-1-a1B2c3").arg(pid);
        user.write(QStringLiteral("tmp/%1/notes.txt").arg(unmarked), "the user's");
        user.write(QStringLiteral("tmp/tessaview-notes.txt"), "the user's");
        const QString livePipe =
            QStringLiteral("/tmp/OSL_PIPE_%1_tessaview_%2_1_0123abcd").arg(::geteuid()).arg(::getpid());
        ::unlink(QFile::encodeName(livePipe).constData()); // an earlier case's
        QVERIFY(makeSocket(livePipe));

        QProcess next;
        if (start == QLatin1String("command line")) {
            // Any start sweeps, one that is refused too.
            QVERIFY(user.start(next, {"/S", user.path("missing.pdf"), "/T", user.path("out/x.png"), "/P"}));
            QVERIFY(next.waitForFinished(60000));
            QCOMPARE(next.exitCode(), 253);
        } else {
            QVERIFY(user.start(next, start == QLatin1String("window") ? QStringList{} : QStringList{"-Embedding"}));
            // It stays: the sweep is over once the killed run's folders are gone.
            waitFor(
                [&] {
                    QStringList killedLeft = user.entries("tmp").filter(QStringLiteral("-%1-").arg(pid));
                    killedLeft.removeAll(unmarked);
                    return killedLeft.isEmpty();
                },
                60000);
            if (start == QLatin1String("automation")) {
                QVERIFY(waitFor(served, 30000));
                const QDBusMessage release = QDBusConnection::sessionBus().call(
                    QDBusMessage::createMethodCall(kService, QStringLiteral("/clsTessaview"),
                                                   QStringLiteral("com.kestrova.Tessaview.clsTessaview"),
                                                   QStringLiteral("Release")),
                    QDBus::Block, 30000);
                QCOMPARE(release.type(), QDBusMessage::ReplyMessage);
                QVERIFY(next.waitForFinished(30000));
                QCOMPARE(next.exitCode(), 0);
            } else {
                QVERIFY(next.state() == QProcess::Running);
                ::kill(pid_t(next.processId()), SIGTERM);
                QVERIFY(next.waitForFinished(30000));
                QCOMPARE(next.exitCode(), 128 + SIGTERM);
            }
        }
        const bool livePipeStayed = QFileInfo::exists(livePipe);
        ::unlink(QFile::encodeName(livePipe).constData());

        QStringList expected{QFileInfo(live).fileName(), unmarked, QStringLiteral("tessaview-notes.txt")};
        expected.sort();
        QCOMPARE(user.entries("tmp").join(u' '), expected.join(u' '));
        QCOMPARE(testutil::readFile(live + QStringLiteral("/render.pdf")), QByteArray("%PDF-1.4\n"));
        QVERIFY(QFileInfo(live + u'/' + kOwnerMarkerName).isFile());
        QCOMPARE(testutil::readFile(user.path("tmp/") + unmarked + "/notes.txt"), QByteArray("the user's"));
        QCOMPARE(existing(sockets), QStringList{});
        QCOMPARE(pipesOf(pid), QStringList{});
        QVERIFY(livePipeStayed);
        // The runtime folder holds the user's start-up lock, and the store
        // that GLib programs of the user share (the office's toolkit makes
        // it), nothing of any one process.
        QStringList runtime = user.entries("runtime");
        runtime.removeAll(QStringLiteral("dconf"));
        QCOMPARE(runtime, QStringList{"Folioshift_Global_Mutex.lock"});
        QDir(live).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestQvimKilled)
#include "test_qvim_killed.moc"
