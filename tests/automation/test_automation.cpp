// The automation object over a real session bus: the test runs under a bus
// of its own (dbus-run-session), starts the real `qvim -Embedding` for a
// user of its own, and calls it as a client would, with its own reply
// time-out. Outputs are checked with independent readers, the office by the
// server's child processes.
#include "core/StartupLock.h"
#include "startup/AutomationCommand.h"
#include "startup/clsTessaview.h"
#include "TestUtil.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>
#include <sys/types.h>

namespace {

const QString kQvim = QStringLiteral(QVIM_BINARY);
const QString kSourceData = QStringLiteral(TESSAVIEW_SOURCE_DIR "/data");
const QString kFourPages = QStringLiteral("pdf/pdflatex-4-pages.pdf");
const QString kDocx = QStringLiteral("docx/tables.docx");
// Long enough for any run of these tests; the client sets it on every call.
constexpr int kReplyTimeoutMs = 180000;

QString quoted(const QString& path)
{
    return u'\'' + path + u'\'';
}

// The output of a tool, empty when it failed.
QString toolOutput(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString imageFormat(const QString& path)
{
    return toolOutput(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m"), path});
}

int pdfPages(const QString& path)
{
    const QString info = toolOutput(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : info.split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return 0;
}

QStringList logLines(const QString& path)
{
    return QString::fromUtf8(testutil::readFile(path)).split(u'\n', Qt::SkipEmptyParts);
}

// The parent process id of `pid` from /proc, 0 when it is gone.
pid_t parentOf(pid_t pid)
{
    const QByteArray stat = testutil::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const int close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    return fields.size() > 1 ? pid_t(fields[1].toInt()) : 0;
}

// Every process below `root`, children and theirs.
QList<pid_t> descendantsOf(pid_t root)
{
    QList<pid_t> found{root};
    bool grew = true;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    while (grew) {
        grew = false;
        for (const QString& entry : entries) {
            bool number = false;
            const pid_t pid = pid_t(entry.toInt(&number));
            if (number && !found.contains(pid) && found.contains(parentOf(pid))) {
                found << pid;
                grew = true;
            }
        }
    }
    found.removeFirst();
    return found;
}

// True when the process has ended (gone, or a zombie left to be reaped).
bool processEnded(pid_t pid)
{
    const QByteArray stat = testutil::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const int close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) == "Z";
}

// A call of the automation object's `member`.
QDBusMessage objectCall(const QString& member, const QVariantList& arguments = {})
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kAutomationService, kAutomationObjectPath, kAutomationInterface, member);
    call.setArguments(arguments);
    return call;
}

// Releases the object and waits for the reply.
QDBusMessage release(int timeoutMs = 30000)
{
    return QDBusConnection::sessionBus().call(objectCall(QStringLiteral("Release")), QDBus::Block, timeoutMs);
}

bool serviceServed(const QDBusConnection& bus)
{
    return bus.interface()->isServiceRegistered(kAutomationService).value();
}

// What a call gave: the run code or the error, and the order in which the
// OnError signals and the reply came.
struct CallResult
{
    bool finished = false;
    int code = 9999;
    QString errorName;
    QStringList events; // "OnError <code> <text>" and "reply"
};

// Receives OnError on a client connection and writes it into the events of
// the call in progress.
class OnErrorListener : public QObject
{
    Q_OBJECT

public:
    explicit OnErrorListener(QDBusConnection bus) : m_bus(bus)
    {
        m_bus.connect(kAutomationService, kAutomationObjectPath, kAutomationInterface, QStringLiteral("OnError"), this,
                      SLOT(onError(int, QString)));
    }
    QStringList* events = nullptr;

public Q_SLOTS:
    void onError(int lErr, const QString& sErr)
    {
        if (events)
            *events << QStringLiteral("OnError %1 %2").arg(lErr).arg(sErr);
    }

private:
    QDBusConnection m_bus;
};

// One call in flight on `bus`.
class PendingCall
{
public:
    PendingCall(QDBusConnection bus, OnErrorListener& listener, const QString& command)
        : m_listener(listener)
    {
        m_watcher = std::make_unique<QDBusPendingCallWatcher>(
            bus.asyncCall(objectCall(QStringLiteral("DoCommandLine"), {command}), kReplyTimeoutMs));
        m_listener.events = &m_result.events;
        QObject::connect(m_watcher.get(), &QDBusPendingCallWatcher::finished, m_watcher.get(), [this] {
            m_result.events << QStringLiteral("reply");
            m_result.finished = true;
            const QDBusPendingReply<int> reply = *m_watcher;
            if (reply.isError())
                m_result.errorName = reply.error().name();
            else
                m_result.code = reply.value();
        });
    }
    ~PendingCall() { m_listener.events = nullptr; }

    bool finished() const { return m_result.finished; }
    // Serves the events until the reply came (the client's time-out ends it).
    CallResult wait()
    {
        QDeadlineTimer deadline(kReplyTimeoutMs + 10000);
        while (!m_result.finished && !deadline.hasExpired())
            QTest::qWait(10);
        // A signal sent after the reply would show here.
        QTest::qWait(50);
        return m_result;
    }

private:
    OnErrorListener& m_listener;
    CallResult m_result;
    std::unique_ptr<QDBusPendingCallWatcher> m_watcher;
};

// The real server for a user of its own: home, config, runtime and
// temporary folders below one temporary folder.
class Server
{
public:
    Server()
    {
        for (const char* sub : {"home", "config", "runtime", "tmp", "in", "out"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
    }
    ~Server()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        // Ended as a client ends it when it serves; else, or when that
        // fails, by its pid, its children first.
        if (servesTheName())
            release(5000);
        if (!m_process.waitForFinished(30000)) {
            for (pid_t child : descendantsOf(pid_t(m_process.processId())))
                ::kill(child, SIGKILL);
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    QString path(const QString& sub) const { return m_dir.filePath(sub); }
    QString userData() const { return path("config/Kestrova, Inc/Tessaview"); }

    // Starts `qvim -Embedding` and waits until it serves the name.
    bool start()
    {
        if (!launch())
            return false;
        QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
            if (servesTheName())
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    bool servesTheName() const
    {
        const QDBusReply<uint> owner = QDBusConnection::sessionBus().interface()->servicePid(kAutomationService);
        return owner.isValid() && qint64(owner.value()) == m_process.processId();
    }

    // Starts `qvim -Embedding` alone.
    bool launch()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("TMPDIR", path("tmp"));
        env.insert("TESSAVIEW_DATA_DIR", kSourceData);
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(path("home"));
        m_process.start(kQvim, {QStringLiteral("-Embedding")});
        return m_process.waitForStarted(10000);
    }

    pid_t pid() const { return pid_t(m_process.processId()); }
    QProcess& process() { return m_process; }

    // Waits for the server to end; its exit status, -1 when it did not end
    // normally within the time.
    int waitForEnd(int ms = 60000)
    {
        // waitForFinished says false for a process already seen to end.
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(ms))
            return -1;
        if (m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }
    QString standardError() { return QString::fromUtf8(m_process.readAllStandardError()); }

    // `count` copies of a real PDF in in/many, for a run that takes a while.
    QString manyPdfs(int count) const
    {
        const QString folder = path("in/many");
        QDir().mkpath(folder);
        for (int i = 1; i <= count; ++i)
            QFile::copy(testutil::corpusFile(kFourPages), folder + QStringLiteral("/doc%1.pdf").arg(i, 3, 10, QChar(u'0')));
        return folder;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

// Calls DoCommandLine on the default session connection and waits.
CallResult callServer(OnErrorListener& listener, const QString& command)
{
    PendingCall call(QDBusConnection::sessionBus(), listener, command);
    return call.wait();
}

int outputsIn(const QString& folder)
{
    return int(QDir(folder).entryList(QDir::Files).size());
}

// A client with a connection of its own, which it can leave.
class Caller
{
public:
    explicit Caller(const QString& name)
        : m_name(name)
        , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name))
        , m_uniqueName(m_bus->baseService())
        , m_listener(std::make_unique<OnErrorListener>(*m_bus))
    {
    }
    ~Caller() { leave(); }
    Caller(const Caller&) = delete;
    Caller& operator=(const Caller&) = delete;

    QDBusConnection& bus() { return *m_bus; }
    OnErrorListener& listener() { return *m_listener; }

    CallResult call(const QString& command)
    {
        PendingCall pending(*m_bus, *m_listener, command);
        return pending.wait();
    }
    // A call whose answer comes at once: an error, say.
    QDBusMessage callNow(const QString& command)
    {
        return m_bus->call(objectCall(QStringLiteral("DoCommandLine"), {command}), QDBus::Block, 30000);
    }
    QDBusMessage release() { return m_bus->call(objectCall(QStringLiteral("Release")), QDBus::Block, 30000); }

    // Leaves the bus, and waits until the bus has seen it go, so that what
    // anyone calls from then on reaches the server after the news.
    void leave()
    {
        if (!m_bus)
            return;
        m_listener.reset();
        m_bus.reset();
        QDBusConnection::disconnectFromBus(m_name);
        QDeadlineTimer deadline(10000);
        while (QDBusConnection::sessionBus().interface()->isServiceRegistered(m_uniqueName).value()
               && !deadline.hasExpired())
            QTest::qWait(10);
    }

private:
    QString m_name;
    std::optional<QDBusConnection> m_bus;
    QString m_uniqueName;
    std::unique_ptr<OnErrorListener> m_listener;
};

} // namespace

class TestAutomation : public QObject
{
    Q_OBJECT

    std::unique_ptr<OnErrorListener> m_listener;
    // One server for the tests that need nothing of their own; it keeps
    // serving from test to test.
    std::unique_ptr<Server> m_shared;

    Server& shared()
    {
        if (m_shared && m_shared->process().state() != QProcess::Running)
            m_shared.reset();
        if (!m_shared) {
            m_shared = std::make_unique<Server>();
            if (!m_shared->start())
                qFatal("the automation server did not start: %s", qPrintable(m_shared->standardError()));
        }
        return *m_shared;
    }

    // A server of the test's own; the shared one ends first, since only
    // one process can serve the name.
    bool startOwn(Server& server)
    {
        m_shared.reset();
        return server.start();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus: run the test under dbus-run-session");
        QVERIFY2(!serviceServed(QDBusConnection::sessionBus()), "the bus serves the automation object already");
        TESSAVIEW_REQUIRE_CORPUS(kFourPages, kDocx);
        m_listener = std::make_unique<OnErrorListener>(QDBusConnection::sessionBus());
    }

    void cleanupTestCase() { m_shared.reset(); }

    void commandSplitsAsAShellSplitsWords_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("arguments");
        const QStringList own{"-Embedding"};
        QTest::newRow("quotes group") << "/S \"/in/my file.pdf\" /T '/out/a b.png' /P" << true
                                      << QStringList{"/S", "/in/my file.pdf", "/T", "/out/a b.png", "/P"};
        QTest::newRow("nothing is expanded") << "/S $HOME/*.pdf /T ~/out" << true
                                             << QStringList{"/S", "$HOME/*.pdf", "/T", "~/out"};
        QTest::newRow("a backslash keeps a blank") << "/S /in/a\\ b.pdf" << true << QStringList{"/S", "/in/a b.pdf"};
        QTest::newRow("empty: the process's own arguments") << "" << true << own;
        QTest::newRow("blanks only: the same") << " \t " << true << own;
        QTest::newRow("an open quote") << "/S \"/in/a.pdf /T x.png" << false << QStringList{};
    }

    void commandSplitsAsAShellSplitsWords()
    {
        QFETCH(QString, command);
        QFETCH(bool, ok);
        QFETCH(QStringList, arguments);
        QStringList got;
        QCOMPARE(AutomationArguments(command, {"-Embedding"}, got), ok);
        QCOMPARE(got, arguments);
    }

    void pdfTaskWritesItsPages()
    {
        Server& server = shared();
        const QString out = server.path("out/pages");
        const QString log = server.path("out/pages.log");

        const CallResult r = callServer(*m_listener,
                                        QStringLiteral("/S %1 /T %2 /1 1-3 /5 60 /L %3 /P")
                                            .arg(quoted(testutil::corpusFile(kFourPages)), quoted(out + "/page.png"),
                                                 quoted(log)));

        QVERIFY(r.finished);
        QCOMPARE(r.errorName, QString());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.events, QStringList{"reply"}); // no OnError
        for (const char* page : {"page-00001.png", "page-00002.png", "page-00003.png"})
            QCOMPARE(imageFormat(out + u'/' + QString::fromLatin1(page)), QStringLiteral("PNG"));
        QVERIFY(!QFileInfo::exists(out + "/page-00004.png"));
        const QStringList lines = logLines(log);
        QVERIFY2(lines.contains("Conversion Successful"), qPrintable(lines.join(u'\n')));
    }

    void invalidCommandsAreRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("logged"); // /L is given: the log says why
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blanks only") << QStringLiteral("   ") << false;
        QTest::newRow("no task") << QStringLiteral("/L {log} /P") << true;
        QTest::newRow("a missing input") << QStringLiteral("/S {in}/missing.pdf /T {out}/x.png /L {log}") << true;
        QTest::newRow("an open quote") << QStringLiteral("/S '{in}/a.pdf /T {out}/x.png") << false;
        QTest::newRow("the automation start") << QStringLiteral("-Embedding") << false;
    }

    void invalidCommandsAreRefused()
    {
        QFETCH(QString, command);
        QFETCH(bool, logged);
        Server& server = shared();
        const QString log = server.path("out/invalid.log");
        QFile::remove(log);
        command.replace("{log}", quoted(log)).replace("{in}", server.path("in")).replace("{out}", server.path("out"));

        const CallResult r = callServer(*m_listener, command);

        QCOMPARE(r.errorName, QString());
        QCOMPARE(r.code, -3);
        QCOMPARE(r.events, (QStringList{"OnError -3 Invalid or missing required command line argument(s)", "reply"}));
        if (logged)
            QCOMPARE(logLines(log).last(), QStringLiteral("Missing required or invalid command line argument(s)"));
    }

    void failingConversionSendsItsError()
    {
        Server& server = shared();
        const QString bad = server.path("in/broken.pdf");
        QVERIFY(testutil::writeFile(bad, "%PDF-1.4\nthis is no PDF\n"));
        const QString log = server.path("out/broken.log");

        const CallResult r = callServer(*m_listener, QStringLiteral("/S %1 /T %2 /L %3")
                                                         .arg(quoted(bad), quoted(server.path("out/broken.png")),
                                                              quoted(log)));

        QCOMPARE(r.code, -4);
        QCOMPARE(r.events.size(), 2);
        QCOMPARE(r.events.last(), QStringLiteral("reply"));
        const QString prefix = QStringLiteral("OnError -4 ");
        QVERIFY2(r.events.first().startsWith(prefix), qPrintable(r.events.first()));
        const QString text = r.events.first().mid(prefix.size());
        QVERIFY2(text.startsWith("Unable to open the input file."), qPrintable(text));
        // The run's last error is what the log file says of the item.
        QVERIFY(logLines(log).contains(QStringLiteral("Job # 1  ") + text + QStringLiteral(" - ") + bad));
    }

    void settingsOfOneCallDoNotCarryOver()
    {
        Server& server = shared();
        const QString other = server.path("other.ini");
        QVERIFY(testutil::writeFile(other, "[frmMain]\r\nbDeleteOriginalFileAfterProcessing=TRUE\r\n"));
        const QString first = server.path("in/first.pdf");
        const QString second = server.path("in/second.pdf");
        QVERIFY(QFile::copy(testutil::corpusFile(kFourPages), first));
        QVERIFY(QFile::copy(testutil::corpusFile(kFourPages), second));

        QCOMPARE(callServer(*m_listener, QStringLiteral("/I %1 /S %2 /T %3 /1 1 /5 30")
                                             .arg(quoted(other), quoted(first), quoted(server.path("out/first.png"))))
                     .code,
                 0);
        QVERIFY(!QFileInfo::exists(first)); // that call's settings delete the input
        QCOMPARE(callServer(*m_listener, QStringLiteral("/S %1 /T %2 /1 1 /5 30")
                                             .arg(quoted(second), quoted(server.path("out/second.png"))))
                     .code,
                 0);
        QCOMPARE(imageFormat(server.path("out/second.png")), QStringLiteral("PNG"));
        QVERIFY(QFileInfo::exists(second)); // the user's settings keep it
    }

    void openingTheWindowOpensNothing_data()
    {
        QTest::addColumn<QString>("jobName");
        QTest::addColumn<QString>("switches");
        QTest::newRow("/O") << QStringLiteral("job.krj") << QStringLiteral("/O");
        QTest::newRow("#OPEN.KRJ") << QStringLiteral("job#OPEN.KRJ") << QString();
    }

    void openingTheWindowOpensNothing()
    {
        QFETCH(QString, jobName);
        QFETCH(QString, switches);
        Server& server = shared();
        const QString job = server.path("in/") + jobName;
        const QString output = server.path("out/open");
        QVERIFY(testutil::writeFile(job, QStringLiteral("*^0^FALSE^75^100^0^0^0^\t\t1\tC\t%1\t12\t\t%2/*.png\t8\tpng\t\t\r\n")
                                             .arg(testutil::corpusFile(kFourPages), output)
                                             .toUtf8()));

        const CallResult r = callServer(*m_listener, QStringLiteral("/J %1 %2").arg(quoted(job), switches));

        QCOMPARE(r.errorName, QString());
        QCOMPARE(r.code, 1);
        QCOMPARE(r.events, QStringList{"reply"});
        QVERIFY(!QFileInfo::exists(output)); // the job was not run
        QVERIFY(serviceServed(QDBusConnection::sessionBus()));
    }

    void secondCallDuringARunIsRefused()
    {
        Server server;
        QVERIFY(startOwn(server));
        const QString in = server.manyPdfs(40);
        const QString out = server.path("out/many");

        PendingCall first(QDBusConnection::sessionBus(), *m_listener,
                          QStringLiteral("/S %1 /T %2 /1 1-4 /5 100").arg(quoted(in + "/*.pdf"), quoted(out + "/*.png")));
        QTRY_VERIFY_WITH_TIMEOUT(outputsIn(out) > 0, 60000);

        // Answered while the first still runs: the bus stays served.
        const QDBusMessage second = QDBusConnection::sessionBus().call(
            objectCall(QStringLiteral("DoCommandLine"),
                       {QStringLiteral("/S %1 /T %2").arg(quoted(in + "/doc001.pdf"), quoted(server.path("out/nested.png")))}),
            QDBus::Block, 30000);
        QCOMPARE(second.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(second.errorName(), kAutomationBusyError);
        QVERIFY2(!first.finished(), "the first run ended before the second call was answered");

        const CallResult r = first.wait();
        QCOMPARE(r.code, 0);
        QCOMPARE(outputsIn(out), 40 * 4);
        QVERIFY(!QFileInfo::exists(server.path("out/nested.png")));
    }

    // A caller refused as busy, and then gone, leaves the run in progress
    // alone: that run ends with every output, and the server serves on
    // until its last caller has gone.
    void aRefusedCallerLeavesTheRunningCallAlone_data()
    {
        QTest::addColumn<bool>("releases");
        QTest::newRow("it leaves the bus") << false;
        QTest::newRow("it releases the object") << true;
    }

    void aRefusedCallerLeavesTheRunningCallAlone()
    {
        QFETCH(bool, releases);
        Server server;
        QVERIFY(startOwn(server));
        const QString in = server.manyPdfs(20);
        const QString out = server.path("out/many");
        const QString log = server.path("out/turns.log");
        Caller running(QStringLiteral("running caller"));
        Caller refused(QStringLiteral("refused caller"));
        Caller later(QStringLiteral("later caller"));

        const QString nested =
            QStringLiteral("/S %1 /T %2").arg(quoted(in + "/doc001.pdf"), quoted(server.path("out/nested.png")));
        CallResult r;
        {
            PendingCall run(running.bus(), running.listener(),
                            QStringLiteral("/S %1 /T %2 /1 1-4 /5 100 /L %3")
                                .arg(quoted(in + "/*.pdf"), quoted(out + "/*.png"), quoted(log)));
            QTRY_VERIFY_WITH_TIMEOUT(outputsIn(out) > 0, 60000);
            QCOMPARE(refused.callNow(nested).errorName(), kAutomationBusyError);
            if (releases)
                QCOMPARE(refused.release().type(), QDBusMessage::ReplyMessage);
            else
                refused.leave();
            // Answered after the server heard of it: the run goes on.
            QCOMPARE(later.callNow(nested).errorName(), kAutomationBusyError);
            r = run.wait();
        }
        QCOMPARE(r.code, 0);
        QCOMPARE(r.events, QStringList{"reply"});
        QCOMPARE(outputsIn(out), 20 * 4);
        for (const QString& name : QDir(out).entryList(QDir::Files))
            QCOMPARE(imageFormat(out + u'/' + name), QStringLiteral("PNG"));
        QVERIFY(logLines(log).contains("Conversion Successful"));
        QVERIFY(!QFileInfo::exists(server.path("out/nested.png")));

        running.leave();
        QVERIFY(server.servesTheName()); // the later caller holds it still
        later.leave();
        QCOMPARE(server.waitForEnd(), 0);
    }

    // Two callers taking turns on one server both get their runs; when the
    // first goes, by leaving or by releasing, the server stays for the
    // other, and ends when that one goes too.
    void theServerStaysWhileACallerHoldsIt_data()
    {
        QTest::addColumn<bool>("firstReleases");
        QTest::addColumn<bool>("lastReleases");
        QTest::newRow("the first leaves, the last leaves") << false << false;
        QTest::newRow("the first leaves, the last releases") << false << true;
        QTest::newRow("the first releases, the last leaves") << true << false;
        QTest::newRow("the first releases, the last releases") << true << true;
    }

    void theServerStaysWhileACallerHoldsIt()
    {
        QFETCH(bool, firstReleases);
        QFETCH(bool, lastReleases);
        Server server;
        QVERIFY(startOwn(server));
        const QString pdf = quoted(testutil::corpusFile(kFourPages));
        auto task = [&](const QString& name) {
            return QStringLiteral("/S %1 /T %2 /1 1 /5 50").arg(pdf, quoted(server.path("out/") + name));
        };
        Caller first(QStringLiteral("first caller"));
        Caller last(QStringLiteral("last caller"));

        QCOMPARE(first.call(task("first.png")).code, 0);
        QCOMPARE(last.call(task("last.png")).code, 0);
        QCOMPARE(first.call(task("first-again.png")).code, 0);
        if (firstReleases)
            QCOMPARE(first.release().type(), QDBusMessage::ReplyMessage);
        else
            first.leave();
        const CallResult again = last.call(task("last-again.png"));
        QCOMPARE(again.errorName, QString());
        QCOMPARE(again.code, 0);
        QVERIFY(server.servesTheName());
        for (const char* name : {"first.png", "last.png", "first-again.png", "last-again.png"})
            QCOMPARE(imageFormat(server.path("out/") + QString::fromLatin1(name)), QStringLiteral("PNG"));

        if (lastReleases)
            QCOMPARE(last.release().type(), QDBusMessage::ReplyMessage);
        else
            last.leave();
        QCOMPARE(server.waitForEnd(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!serviceServed(QDBusConnection::sessionBus()), 10000);
    }

    void releaseDuringARunStopsIt()
    {
        Server server;
        QVERIFY(startOwn(server));
        const QString in = server.manyPdfs(40);
        const QString out = server.path("out/many");
        const QString log = server.path("out/stopped.log");

        PendingCall run(QDBusConnection::sessionBus(), *m_listener,
                        QStringLiteral("/S %1 /T %2 /1 1-4 /5 100 /L %3")
                            .arg(quoted(in + "/*.pdf"), quoted(out + "/*.png"), quoted(log)));
        QTRY_VERIFY_WITH_TIMEOUT(outputsIn(out) > 0, 60000);
        QCOMPARE(release().type(), QDBusMessage::ReplyMessage);

        // The run stops before its next file and says so; it is no success.
        const CallResult r = run.wait();
        QCOMPARE(r.code, -4);
        QCOMPARE(r.events, (QStringList{"OnError -4 Conversion Process paused.", "reply"}));
        QVERIFY(outputsIn(out) < 40 * 4);
        QVERIFY(!logLines(log).contains("Conversion Successful"));
        QCOMPARE(server.waitForEnd(), 0);
    }

    void releaseEndsTheServerAndItsOffice()
    {
        Server server;
        QVERIFY(startOwn(server));
        const QString pdf = server.path("out/tables.pdf");

        const CallResult r = callServer(*m_listener, QStringLiteral("/S %1 /T %2 /C 12")
                                                         .arg(quoted(testutil::corpusFile(kDocx)), quoted(pdf)));
        QCOMPARE(r.code, 0);
        QVERIFY(pdfPages(pdf) > 0);
        // The office stays between calls while the speed setting asks for it.
        const QList<pid_t> office = descendantsOf(server.pid());
        QVERIFY2(!office.isEmpty(), "no office process below the server");

        QCOMPARE(release().type(), QDBusMessage::ReplyMessage);
        QCOMPARE(server.waitForEnd(), 0);
        for (pid_t pid : office)
            QTRY_VERIFY2_WITH_TIMEOUT(processEnded(pid), qPrintable(QStringLiteral("office %1 left running").arg(pid)),
                                      10000);
        QTRY_VERIFY_WITH_TIMEOUT(!serviceServed(QDBusConnection::sessionBus()), 10000);
    }

    void clientLeavingTheBusEndsTheServer()
    {
        Server server;
        QVERIFY(startOwn(server));
        const QString name = QStringLiteral("leaving client");
        {
            QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
            OnErrorListener listener(client);
            PendingCall call(client, listener, QStringLiteral("/L"));
            QCOMPARE(call.wait().code, -3);
            QVERIFY(server.process().state() == QProcess::Running);
        }
        QDBusConnection::disconnectFromBus(name);
        QCOMPARE(server.waitForEnd(), 0);
    }

    void startTakesNoLockAndCopiesNoDemoData()
    {
        Server server;
        // Holding the user's start-up lock would block any start that asks for it.
        qputenv("XDG_RUNTIME_DIR", server.path("runtime").toUtf8());
        m_shared.reset();
        AcquireGlobalMutex();
        const bool started = server.start();
        ReleaseGlobalMutex();
        QVERIFY(started);
        QVERIFY(QFileInfo::exists(server.userData() + "/QVIM_SearchHistory.INI"));
        QVERIFY(!QFileInfo::exists(server.userData() + "/Demo Data"));
        QVERIFY(!QFileInfo::exists(server.userData() + "/Languages"));
    }

    void aGermanUserGetsGermanLogLines()
    {
        Server server;
        QDir().mkpath(server.userData() + "/Languages");
        const QString file = QStringLiteral("/Languages/German-'Tessaview'.txt");
        QVERIFY(QFile::copy(kSourceData + file, server.userData() + file));
        QVERIFY(testutil::writeFile(server.userData() + "/QVIM_SearchHistory.INI",
                                    "[Language]\r\nLanguage_Code=German\r\n"));
        QVERIFY(startOwn(server));
        const QString log = server.path("out/german.log");

        const CallResult r = callServer(*m_listener, QStringLiteral("/L ") + quoted(log));

        QCOMPARE(r.code, -3);
        // The event's text stays English for the client; the log speaks German.
        QCOMPARE(r.events.first(), QStringLiteral("OnError -3 Invalid or missing required command line argument(s)"));
        const QString pair = QStringLiteral("\"Missing required or invalid command line argument(s)\",\"");
        QString german;
        for (const QString& line : QString::fromUtf8(testutil::readFile(kSourceData + file)).split(QStringLiteral("\r\n")))
            if (line.startsWith(pair))
                german = line.mid(pair.size()).chopped(1);
        QVERIFY(!german.isEmpty());
        QCOMPARE(logLines(log).last(), german);
    }

    void aSecondServerLeavesTheFirstServing()
    {
        Server& first = shared();
        Server second;
        QVERIFY(second.launch());
        QCOMPARE(second.waitForEnd(), 69);
        QVERIFY2(second.standardError().contains("served by another process"), "no reason given");
        QCOMPARE(first.process().state(), QProcess::Running);
        QVERIFY(serviceServed(QDBusConnection::sessionBus()));
    }
};

QTEST_GUILESS_MAIN(TestAutomation)
#include "test_automation.moc"
