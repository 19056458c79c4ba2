// The real program: exit statuses as the shell sees them, the log file of
// an invalid run, what a terminal user types first (--help, --version, a
// line without switches, a wildcard the shell expanded), help with and
// without a program to open it, an automation start without a session bus,
// and the first-run demo install when two processes start together. Every
// run gets a home, config and runtime folder of its own.
#include "core/ProgramVersion.h"
#include "core/StartupLock.h"
#include "QvimUser.h"
#include "TestUtil.h"

#include <sys/inotify.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kQvim = QStringLiteral(QVIM_BINARY);
const QString kSourceData = QStringLiteral(TESSAVIEW_SOURCE_DIR "/data");
const char* const kDemoFolders[] = {"Demo Data", "Demo Conversion Jobs", "Demo Batch Files", "Languages"};

struct Run
{
    int status = -1000;
    QByteArray err;
    QByteArray out;
};

// A user of their own: home, config and runtime folders below one temp folder.
class User
{
public:
    User()
    {
        for (const char* sub : {"home", "config", "runtime", "work"})
            QDir().mkpath(m_dir.filePath(QString::fromLatin1(sub)));
    }

    QString path(const QString& sub) const { return m_dir.filePath(sub); }
    QString userData() const { return path("config/Kestrova, Inc/Tessaview"); }
    QString settingsFile() const { return userData() + "/QVIM_SearchHistory.INI"; }

    // Settings written before the first run, as a user who chose them.
    bool writeSettings(const QByteArray& lines) const
    {
        return QDir().mkpath(userData()) && testutil::writeFile(settingsFile(), lines);
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_RUNTIME_DIR", path("runtime"));
        env.insert("TESSAVIEW_HELP_SITE", "http://127.0.0.1:9");
        if (!m_dataFolder.isEmpty())
            env.insert("TESSAVIEW_DATA_DIR", m_dataFolder);
        for (auto it = m_extra.cbegin(); it != m_extra.cend(); ++it)
            env.insert(it.key(), it.value());
        return env;
    }

    // Every file below the config folder with its bytes: what a run made or
    // changed there.
    QMap<QString, QByteArray> configFiles() const
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(path("config"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            files.insert(file, testutil::readFile(file));
        }
        return files;
    }

    // An xdg-open of our own before the system's on PATH: it writes the
    // address it was given to `record` and ends with `status`.
    void useOpener(int status, const QString& record = QString())
    {
        const QString bin = path("bin");
        QDir().mkpath(bin);
        const QString script = bin + "/xdg-open";
        testutil::writeFile(script, "#!/bin/sh\n" + (record.isEmpty() ? QByteArray() : "printf '%s' \"$1\" > '" + record.toUtf8() + "'\n")
                                        + "exit " + QByteArray::number(status) + "\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
        setEnvironment("PATH", bin + u':' + qEnvironmentVariable("PATH"));
    }

    void useDataFolder(const QString& folder) { m_dataFolder = folder; }
    void setEnvironment(const QString& name, const QString& value) { m_extra.insert(name, value); }

    // `beforeStart` runs in the program's process just before it starts.
    void start(QProcess& process, const QStringList& arguments, const std::function<void()>& beforeStart = {}) const
    {
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(path("work"));
        if (beforeStart)
            process.setChildProcessModifier(beforeStart);
        process.start(kQvim, arguments);
    }

    Run run(const QStringList& arguments, const std::function<void()>& beforeStart = {}) const
    {
        QProcess process;
        start(process, arguments, beforeStart);
        return finish(process);
    }

    static Run finish(QProcess& process)
    {
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), process.readAllStandardError(), process.readAllStandardOutput()};
    }

private:
    QTemporaryDir m_dir;
    QString m_dataFolder;
    QHash<QString, QString> m_extra;
};

bool copyTree(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    if (!QDir().mkpath(to))
        return false;
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir() ? !QDir().mkpath(target) : !QFile::copy(source, target))
            return false;
    }
    return true;
}

// Counts the files opened inside the watched folders (each copy of a file
// opens its source once).
class OpenCounter
{
public:
    OpenCounter() : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~OpenCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool watch(const QString& folder)
    {
        return m_fd >= 0 && inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_OPEN) >= 0;
    }
    int fileOpens()
    {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return m_count;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (!(event->mask & IN_ISDIR) && event->len > 0)
                    ++m_count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd;
    int m_count = 0;
};

} // namespace

class TestQvimBinary : public QObject
{
    Q_OBJECT
private slots:
    void missingArgumentsEndAsInvalid()
    {
        User user;
        const Run run = user.run({"/L", "run.log", "/P"});
        QCOMPARE(run.status, 253);
        const QStringList lines = QString::fromUtf8(testutil::readFile(user.path("work/run.log"))).split(u'\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(0), QStringLiteral("-----------------------------qvim-------"));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("Date: ")), qPrintable(lines.at(1)));
        QCOMPARE(lines.mid(2), (QStringList{"Input File  does not exist.",
                                            "Missing required or invalid command line argument(s)", ""}));
        QVERIFY2(!testutil::readFile(user.path("work/run.log")).contains('\r'), "the log file holds a CR");
        // With /L the file has the lines; standard error stays quiet.
        QVERIFY2(run.err.isEmpty(), run.err.constData());

        // Without /P the shell sees success; the log still says why nothing ran.
        const Run quiet = user.run({"/L", "quiet.log"});
        QCOMPARE(quiet.status, 0);
        QVERIFY(testutil::readFile(user.path("work/quiet.log")).endsWith("Missing required or invalid command line argument(s)\n"));
    }

    // Without /L each line goes to standard error, once; with /L and /V the
    // file has the lines and standard error has each message once. So for
    // an invalid task, and for a job file of /J that is refused (whose
    // refusal is no box of its own besides its line).
    void messagesReachTheTerminal_data()
    {
        QTest::addColumn<bool>("job");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("logged");
        QTest::addColumn<bool>("onStderr");
        for (const bool job : {false, true}) {
            const char* run = job ? "refused job" : "invalid task";
            QTest::addRow("%s, no log file", run) << job << QStringList{} << false << true;
            QTest::addRow("%s, no log file, verbose", run) << job << QStringList{"/V"} << false << true;
            QTest::addRow("%s, log file", run) << job << QStringList{"/L", "run.log"} << true << false;
            QTest::addRow("%s, log file, verbose", run) << job << QStringList{"/L", "run.log", "/V"} << true << true;
        }
    }

    void messagesReachTheTerminal()
    {
        QFETCH(bool, job);
        QFETCH(QStringList, extra);
        QFETCH(bool, logged);
        QFETCH(bool, onStderr);
        User user;
        // Each line the run says, and a part of it that the run says once.
        QStringList lines;
        QString named;
        QStringList arguments;
        if (job) {
            named = user.path("work/notes.KRJ");
            QVERIFY(testutil::writeFile(named, "Dear Ann,\nthe notes of the meeting.\n"));
            arguments = QStringList{"/J", named, "/P"};
            lines << QStringLiteral("The file is not a conversion job file: ") + named
                         + QStringLiteral(" - none of its lines is a task or the job's new-task line.");
        } else {
            named = user.path("work/missing.pdf");
            arguments = QStringList{"/S", "missing.pdf", "/T", user.path("out/x.png"), "/P"};
            lines << QStringLiteral("Input File ") + named + QStringLiteral(" does not exist.")
                  << QStringLiteral("Missing required or invalid command line argument(s)");
        }
        const Run run = user.run(arguments + extra);
        QCOMPARE(run.status, job ? 252 : 253);
        const QString err = QString::fromUtf8(run.err);
        if (onStderr) {
            for (const QString& line : lines)
                QVERIFY2(err.count(line) == 1, run.err.constData());
            QCOMPARE(err.count(named), 1);
        } else {
            QVERIFY2(run.err.isEmpty(), run.err.constData());
        }
        const QByteArray log = testutil::readFile(user.path("work/run.log"));
        for (const QString& line : lines)
            QCOMPARE(log.count(line.toUtf8()), logged ? 1 : 0);
        QVERIFY(!log.contains('\r'));
    }

    // A wildcard input into a bare folder with no type to name the outputs:
    // the path is completed first, so the type check refuses it.
    void wildcardIntoAFolderWithoutATypeIsAnInvalidType()
    {
        User user;
        QDir().mkpath(user.path("work/in"));
        QDir().mkpath(user.path("work/out"));
        const Run run = user.run({"/S", "in/*.pdf", "/T", "out/", "/P"});
        QCOMPARE(run.status, 253);
        QVERIFY2(run.err.contains("Invalid Output File type specified (/C# switch)"), run.err.constData());
    }

    // A log file of /L that cannot be written: one line on standard error
    // names it with the system's reason, the lines it would have held
    // follow there, and the run ends as it does with a log it can write.
    // A FIFO is no log file: the run neither waits for a reader nor holds
    // up another run of the same user meanwhile.
    void unwritableLogFileGoesToStandardError_data()
    {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("a folder, converted") << "folder" << "converted";
        QTest::newRow("a folder, failed") << "folder" << "failed";
        QTest::newRow("read-only folder, failed") << "read-only" << "failed";
        QTest::newRow("read-only folder, converted") << "read-only" << "converted";
        QTest::newRow("missing folder, refused") << "missing" << "refused";
        QTest::newRow("a FIFO, converted") << "fifo" << "converted";
        QTest::newRow("a FIFO, failed") << "fifo" << "failed";
    }

    void unwritableLogFileGoesToStandardError()
    {
        QFETCH(QString, obstacle);
        QFETCH(QString, outcome);
        TESSAVIEW_REQUIRE_CORPUS("pdf/minimal-document.pdf");
        if (obstacle == QLatin1String("read-only") && !canDropFileOverride())
            QSKIP("root cannot give up writing into read-only folders here");
        User user;
        QDir().mkpath(user.path("work/out"));
        QString log;
        QString reason;
        if (obstacle == QLatin1String("folder")) {
            log = user.path("work/logs");
            QDir().mkpath(log);
            reason = QString::fromLocal8Bit(std::strerror(EISDIR));
        } else if (obstacle == QLatin1String("read-only")) {
            QDir().mkpath(user.path("work/ro"));
            QVERIFY(::chmod(QFile::encodeName(user.path("work/ro")).constData(), 0555) == 0);
            log = user.path("work/ro/run.log");
            reason = QString::fromLocal8Bit(std::strerror(EACCES));
        } else if (obstacle == QLatin1String("fifo")) {
            log = user.path("work/run.log");
            QVERIFY(::mkfifo(QFile::encodeName(log).constData(), 0600) == 0);
            reason = QStringLiteral("not a regular file");
        } else {
            log = user.path("work/nowhere/run.log");
            reason = QString::fromLocal8Bit(std::strerror(ENOENT));
        }
        const QString input = outcome == QLatin1String("refused") ? user.path("work/missing.pdf")
                                                                  : testutil::corpusFile("pdf/minimal-document.pdf");
        const QString pages = outcome == QLatin1String("failed") ? "5" : "1";
        const auto arguments = [&](const QString& output, const QString& logFile) {
            return QStringList{"/S", input, "/T", user.path("work/out/" + output), "/1", pages, "/L", logFile, "/P"};
        };

        const Run written = user.run(arguments("a.png", user.path("work/ok.log")));
        // Another run of the same user, started alongside, ends as well.
        QProcess alongside;
        user.start(alongside, {"/S", input, "/T", user.path("work/out/c.png"), "/1", pages, "/P"});
        const Run lost = user.run(arguments("b.png", log), dropFileOverride);
        QCOMPARE(User::finish(alongside).status, written.status);
        QCOMPARE(written.status, outcome == QLatin1String("converted") ? 0 : outcome == QLatin1String("failed") ? 252 : 253);
        QCOMPARE(lost.status, written.status);
        QVERIFY(!QFileInfo(log).isFile());
        struct stat st {};
        if (obstacle == QLatin1String("fifo"))
            QVERIFY(::stat(QFile::encodeName(log).constData(), &st) == 0 && S_ISFIFO(st.st_mode));

        const QString err = QString::fromUtf8(lost.err);
        const QString said = QStringLiteral("qvim: the log file could not be written: ") + log + QStringLiteral(" (")
                             + reason + u')';
        QVERIFY2(err.startsWith(said), qPrintable(err));
        QCOMPARE(err.count(QStringLiteral("the log file could not be written")), 1);
        // Every line of the written log, in order; the date and the time
        // taken are of their own run.
        qsizetype at = 0;
        const QStringList lines = QString::fromUtf8(testutil::readFile(user.path("work/ok.log"))).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 4);
        for (QString line : lines) {
            for (const QString& prefix : {QStringLiteral("Date: "), QStringLiteral("Time to complete job: ")})
                if (line.startsWith(prefix))
                    line = prefix;
            at = err.indexOf(line, at);
            QVERIFY2(at >= 0, qPrintable(line + QStringLiteral(" is missing from: ") + err));
        }
        QVERIFY(written.err.isEmpty());
    }

    // A FIFO where an output goes (the image, the /B job of failed items)
    // is left a FIFO: its item fails, or the /B line says why.
    void outputsThatAreNotFilesAreLeftAlone_data()
    {
        QTest::addColumn<QString>("fifo");
        QTest::addColumn<QString>("said");
        QTest::newRow("image output") << "page.png" << "not a regular file";
        QTest::newRow("job of failed items") << "failed.KRJ"
                                             << "Unable to create file. Try a different folder such as 'My Documents' - "
                                                "{fifo}: not a regular file";
    }

    void outputsThatAreNotFilesAreLeftAlone()
    {
        QFETCH(QString, fifo);
        QFETCH(QString, said);
        TESSAVIEW_REQUIRE_CORPUS("pdf/minimal-document.pdf");
        User user;
        const QString path = user.path("work/" + fifo);
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        const bool image = fifo.endsWith(QLatin1String(".png"));
        // The /B run asks for a page the document lacks, so it has a failed item.
        const Run run = user.run({"/S", testutil::corpusFile("pdf/minimal-document.pdf"), "/T",
                                  image ? path : user.path("work/other.png"), "/1", image ? "1" : "5", "/B",
                                  user.path("work/" + (image ? QStringLiteral("failed.KRJ") : fifo)), "/L", "run.log",
                                  "/P"});
        QCOMPARE(run.status, 252);
        const QString log = QString::fromUtf8(testutil::readFile(user.path("work/run.log")));
        QVERIFY2(log.contains(said.replace(QStringLiteral("{fifo}"), path)), qPrintable(log));
        struct stat st {};
        QVERIFY(::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
        QStringList left = QDir(user.path("work")).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        left.removeOne(QStringLiteral("run.log"));
        if (image)
            left.removeOne(QStringLiteral("failed.KRJ"));
        QCOMPARE(left, QStringList{fifo});
    }

    // With no program to open the help page, its path is printed instead;
    // Japanese has help pages of its own.
    void helpWithoutAnOpenerNamesThePage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("said");
        QTest::newRow("no language chosen") << "" << "The help page could not be opened. It is here: ";
        QTest::newRow("German") << "German" << "Die Hilfeseite konnte nicht geöffnet werden. Sie liegt hier: ";
        QTest::newRow("Japanese") << "Japanese" << "ヘルプページを開けませんでした。ページの場所: ";
    }

    void helpWithoutAnOpenerNamesThePage()
    {
        QFETCH(QString, language);
        QFETCH(QString, said);
        User user;
        if (!language.isEmpty())
            QVERIFY(user.writeSettings("[Language]\r\nLanguage_Code=" + language.toUtf8() + "\r\n"));
        QTemporaryDir emptyPath;
        QProcess process;
        QProcessEnvironment env = user.environment();
        env.insert("PATH", emptyPath.path());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(user.path("work"));
        process.start(kQvim, {"/?"});
        const Run run = User::finish(process);
        const QString page = language == QLatin1String("Japanese") ? "/help-jp/command-line.html" : "/help/command-line.html";
        QVERIFY2(QString::fromUtf8(run.err).contains(said + kSourceData + page), run.err.constData());
    }

    // -h, --help and -? print the summary of the switches on standard
    // output and open the help page as /? does; they end with 0 and leave
    // the settings file and the user's folder as they were. A line after
    // them is not run.
    void helpPrintsTheSummaryAndTouchesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("-h") << QStringList{"-h"};
        QTest::newRow("--help") << QStringList{"--help"};
        QTest::newRow("-?") << QStringList{"-?"};
        QTest::newRow("--help before a line") << QStringList{"--help", "/S", "in.pdf", "/T", "out.png", "/P"};
    }

    void helpPrintsTheSummaryAndTouchesNothing()
    {
        QFETCH(QStringList, arguments);
        User user;
        QVERIFY(user.writeSettings("[frmMain]\r\nbRetainInputFileTimeStamp=TRUE\r\n"));
        const QMap<QString, QByteArray> before = user.configFiles();
        const QString opened = user.path("opened.txt");
        user.useOpener(0, opened);
        const Run run = user.run(arguments);
        QCOMPARE(run.status, 0);
        const QString out = QString::fromUtf8(run.out);
        QVERIFY2(out.startsWith("Usage: qvim /S input /T output"), run.out.constData());
        // Every switch the parser reads, with the exit statuses and where the
        // whole page is.
        for (const QString& letter : QStringList{"S", "F", "T", "C", "V", "R", "G", "M", "P", "L", "I", "B", "J", "O", "\\?", "Z", "W",
                                                 "1", "2", "3", "4", "5", "6", "7", "8", "9"})
            QVERIFY2(out.contains(QRegularExpression("\n  /" + letter + "[ \n]")), qPrintable("/" + letter + " is not listed"));
        QVERIFY(out.contains(QRegularExpression("\n  253 +Missing or invalid arguments")));
        QVERIFY(out.contains(QRegularExpression("\n  252 +At least one item failed")));
        const QString page = kSourceData + "/help/command-line.html";
        QVERIFY2(out.contains(page), run.out.constData());
        QCOMPARE(QString::fromUtf8(testutil::readFile(opened)), page);
        QCOMPARE(user.configFiles(), before);
        QVERIFY(!QFile::exists(user.path("work/out.png")));
    }

    // --version prints the name and version of the About box and touches
    // nothing.
    void versionPrintsTheAboutBoxVersion()
    {
        User user;
        const Run run = user.run({"--version"});
        QCOMPARE(run.status, 0);
        QCOMPARE(QString::fromUtf8(run.out),
                 "Tessaview " + AboutVersionText(TESSAVIEW_VERSION_MAJOR, TESSAVIEW_VERSION_MINOR, TESSAVIEW_VERSION_PATCH)
                     + "\n");
        QVERIFY(user.configFiles().isEmpty());
    }

    // When the opener cannot show the page (it ends with a status other than
    // 0), the program names the page itself, for /? and for --help.
    void failingOpenerNamesThePage_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("/?") << "/?";
        QTest::newRow("--help") << "--help";
    }

    void failingOpenerNamesThePage()
    {
        QFETCH(QString, argument);
        User user;
        user.useOpener(3);
        const Run run = user.run({argument});
        const QString said = "The help page could not be opened. It is here: " + kSourceData + "/help/command-line.html";
        QVERIFY2(QString::fromUtf8(run.err).contains(said), run.err.constData());
    }

    // A line without a switch names no task, and says so instead of naming
    // an input that was never given; arguments before the first switch are
    // noted, and the line after them runs.
    void argumentsWithoutASwitch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("a file") << QStringList{"scan.pdf"} << 0 << "Not read: scan.pdf";
        QTest::newRow("help") << QStringList{"help"} << 0 << "Not read: help";
        QTest::newRow("-v") << QStringList{"-v"} << 0 << "Not read: -v";
        QTest::newRow("-v before a line") << QStringList{"-v", "/S", "missing.pdf", "/T", "out.png", "/P"} << 253
                                          << "Not read, as they stand before the first switch: -v";
    }

    void argumentsWithoutASwitch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        User user;
        const Run run = user.run(arguments);
        QCOMPARE(run.status, status);
        const QString err = QString::fromUtf8(run.err);
        QVERIFY2(err.contains(said), run.err.constData());
        QVERIFY2(err.endsWith("Missing required or invalid command line argument(s)\n"), run.err.constData());
        const bool task = arguments.contains("/S");
        QCOMPARE(err.contains("The command line holds no switch, so it names no task."), !task);
        QCOMPARE(err.contains("Input File " + user.path("work/missing.pdf") + " does not exist."), task);
    }

    // An unquoted wildcard, expanded by a real shell: the line is refused
    // with the user's own line, its wildcards quoted; run as shown, it
    // converts.
    void shellExpandedWildcardGetsTheQuotedLine()
    {
        TESSAVIEW_REQUIRE_CORPUS("pdf/minimal-document.pdf");
        User user;
        QVERIFY(QDir().mkpath(user.path("work/in")) && QDir().mkpath(user.path("work/out")));
        for (const char* name : {"a.pdf", "b.pdf"})
            QVERIFY(QFile::copy(testutil::corpusFile("pdf/minimal-document.pdf"), user.path("work/in/") + name));
        QVERIFY(testutil::writeFile(user.path("work/in/notes.txt"), "x"));
        QProcess shell;
        shell.setProcessEnvironment(user.environment());
        shell.setWorkingDirectory(user.path("work"));
        shell.start("/bin/sh", {"-c", "exec \"$0\" /S in/*.pdf /T out/*.png /P", kQvim});
        const Run run = User::finish(shell);
        QCOMPARE(run.status, 253);
        const QByteArray line = kQvim.toUtf8() + " /S 'in/*.pdf' /T 'out/*.png' /P";
        QVERIFY2(run.err.contains(QByteArray(QByteArray("Quote the wildcard so that the program receives it: ") + line)), run.err.constData());
        QVERIFY2(!run.err.contains("does not exist"), run.err.constData());

        shell.start("/bin/sh", {"-c", QString::fromUtf8(line)});
        QCOMPARE(User::finish(shell).status, 0);
        QProcess identify;
        identify.start("identify", {"-format", "%m\n", user.path("work/out/a.png"), user.path("work/out/b.png")});
        QVERIFY(identify.waitForFinished(30000));
        QCOMPARE(identify.readAllStandardOutput(), QByteArray("PNG\nPNG\n"));
    }

    // The language chosen in the settings file: the log speaks it, and the
    // language file the first run installed holds every text the run
    // showed, so nothing was added to it.
    void refusedLineInTheChosenLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("missingInput");
        QTest::addColumn<QString>("refused");
        QTest::newRow("German") << "German" << "Datum: " << "Eingabedatei  existiert nicht."
                                << "Erforderliche Befehlszeilenargumente fehlen oder sind ungültig";
        QTest::newRow("French") << "French" << "Date: " << "Fichier d'entrée  n'existe pas."
                                << "Argument(s) de ligne de commande manquant(s) ou non valide(s)";
        QTest::newRow("Japanese") << "Japanese" << "日付: " << "入力ファイル  は存在しません。"
                                  << "必須のコマンドライン引数がないか、無効です";
    }

    void refusedLineInTheChosenLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, date);
        QFETCH(QString, missingInput);
        QFETCH(QString, refused);
        User user;
        QVERIFY(user.writeSettings("[Language]\r\nLanguage_Code=" + language.toUtf8() + "\r\n"));
        const Run run = user.run({"/L", "run.log", "/P"});
        QCOMPARE(run.status, 253);
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        const QStringList lines = QString::fromUtf8(testutil::readFile(user.path("work/run.log"))).split(u'\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY2(lines.at(1).startsWith(date), qPrintable(lines.at(1)));
        QCOMPARE(lines.mid(2), (QStringList{missingInput, refused, ""}));

        const QString file = u'/' + language + QStringLiteral("-'Tessaview'.txt");
        const QByteArray installed = testutil::readFile(user.userData() + "/Languages" + file);
        QVERIFY(!installed.isEmpty());
        QCOMPARE(installed, testutil::readFile(kSourceData + "/Languages" + file));
    }

    // A run that converts: its log lines are in the language too.
    void conversionLogInGerman()
    {
        TESSAVIEW_REQUIRE_CORPUS("pdf/minimal-document.pdf");
        User user;
        QVERIFY(user.writeSettings("[Language]\r\nLanguage_Code=German\r\n"));
        const Run run = user.run({"/S", testutil::corpusFile("pdf/minimal-document.pdf"), "/T", user.path("out/page.png"),
                                  "/L", "run.log", "/P"});
        QCOMPARE(run.status, 0);
        const QString log = QString::fromUtf8(testutil::readFile(user.path("work/run.log")));
        QVERIFY2(log.contains("\nKonvertierung erfolgreich\nDauer des Auftrags: "), qPrintable(log));
        QCOMPARE(testutil::readFile(user.userData() + "/Languages/German-'Tessaview'.txt"),
                 testutil::readFile(kSourceData + "/Languages/German-'Tessaview'.txt"));
    }

    // With no language chosen yet on a locale that is not English, a run
    // that cannot ask (no display, or a program without windows) speaks
    // English and saves no choice, so the first run with a window asks.
    void firstRunWithoutADisplayStaysInEnglish()
    {
        User user;
        user.setEnvironment("LC_ALL", "de_DE.UTF-8");
        user.setEnvironment("QT_QPA_PLATFORM", "offscreen");
        const Run run = user.run({"/L", "run.log", "/P"});
        QCOMPARE(run.status, 253);
        QVERIFY(testutil::readFile(user.path("work/run.log")).endsWith("Missing required or invalid command line argument(s)\n"));
        QVERIFY(!testutil::readFile(user.settingsFile()).contains("Language_Code"));

        // An English locale needs no question: English is saved.
        user.setEnvironment("LC_ALL", "C.UTF-8");
        QCOMPARE(user.run({"/P"}).status, 253);
        QVERIFY(testutil::readFile(user.settingsFile()).contains("Language_Code=English"));
    }

#ifdef TESSAVIEW_HAS_UI
    // A start without arguments opens the window and stays until it is
    // closed (closing it from the menu is tested on a real display, in
    // tests/ui); here the test ends it.
    void windowedStartStaysOpen()
    {
        User user;
        QProcess process;
        QProcessEnvironment env = user.environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(user.path("work"));
        process.start(kQvim, {});
        QVERIFY(process.waitForStarted());
        QVERIFY(!process.waitForFinished(3000));
        QCOMPARE(process.state(), QProcess::Running);
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
        QVERIFY2(!process.readAllStandardError().contains("not available"), "the window did not open");
    }

    // A command-line run on a display it cannot reach never goes near it;
    // a verbose one, which would show boxes there, falls back to standard
    // error instead of waiting on a box nobody sees.
    void commandLineRunNeedsNoDisplay()
    {
        User user;
        user.setEnvironment("DISPLAY", ":59999");
        QProcessEnvironment env = user.environment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("WAYLAND_DISPLAY");
        for (const bool verbose : {false, true}) {
            QProcess process;
            process.setProcessEnvironment(env);
            process.setWorkingDirectory(user.path("work"));
            process.start(kQvim, QStringList{"/S", "missing.pdf", "/T", "out.png", "/P"} + (verbose ? QStringList{"/V"} : QStringList{}));
            const Run run = User::finish(process);
            QCOMPARE(run.status, 253);
            QVERIFY2(run.err.contains("missing.pdf does not exist."), run.err.constData());
            QCOMPARE(run.err.contains(":59999"), verbose);
        }
    }

    // Without a display, a windowed start says so and ends.
    void windowedStartWithoutADisplay()
    {
        User user;
        QProcess process;
        QProcessEnvironment env = user.environment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        process.setProcessEnvironment(env);
        process.start(kQvim, {});
        const Run run = User::finish(process);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("no display"), run.err.constData());
    }
#else
    void windowedStartSaysThereIsNoWindow()
    {
        User user;
        const Run run = user.run({});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("main window is not available"), run.err.constData());
    }
#endif

    void automationStartWithoutASessionBusEnds()
    {
        User user;
        user.setEnvironment("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + user.path("runtime/no-bus"));
        // Holding the start-up lock here would block any start that asks for it.
        qputenv("XDG_RUNTIME_DIR", user.path("runtime").toUtf8());
        AcquireGlobalMutex();
        QVERIFY(G_hGlobalMutex.isLocked());
        const Run run = user.run({"-EMBEDDING"});
        ReleaseGlobalMutex();
        QCOMPARE(run.status, 69);
        QVERIFY2(run.err.contains("session bus"), run.err.constData());
        QVERIFY(!QDir(user.path("config/Kestrova, Inc")).exists()); // nothing prepared for a user
    }

    void firstRunInstallsTheDemoDataOnce()
    {
        // How many source files the installs open, with this many processes
        // starting together; a negative number says what went wrong.
        auto installs = [](int processes) {
            User user;
            QTemporaryDir data;
            for (const char* folder : kDemoFolders)
                if (!copyTree(kSourceData + u'/' + QString::fromLatin1(folder), data.filePath(QString::fromLatin1(folder))))
                    return -1;
            user.useDataFolder(data.path());
            OpenCounter counter;
            for (const char* folder : kDemoFolders)
                if (!counter.watch(data.filePath(QString::fromLatin1(folder))))
                    return -1;

            // Both processes wait at the start-up lock, then race for it.
            qputenv("XDG_RUNTIME_DIR", user.path("runtime").toUtf8());
            AcquireGlobalMutex();
            QList<QProcess*> running;
            for (int i = 0; i < processes; ++i) {
                running << new QProcess;
                user.start(*running.last(), {"/P"});
                running.last()->waitForStarted();
            }
            QTest::qWait(300);
            ReleaseGlobalMutex();
            bool ended = true;
            for (QProcess* process : running) {
                ended = User::finish(*process).status == 253 && ended;
                delete process;
            }
            if (!ended)
                return -2;
            const int result = counter.fileOpens();

            const QString registry = QString::fromUtf8(testutil::readFile(user.userData() + "/Registry.INI"));
            if (registry.count(QStringLiteral("bDInstalled=TRUE")) != 1)
                return -3;
            for (const char* folder : kDemoFolders)
                if (!QDir(user.userData() + u'/' + QString::fromLatin1(folder)).exists())
                    return -4;
            if (!QFile::exists(user.userData() + "/Demo Conversion Jobs/1 PDF pages to PNG.KRJ"))
                return -5;
            return result;
        };

        const int one = installs(1);
        QVERIFY2(one > 0, qPrintable(QString::number(one)));
        QCOMPARE(installs(2), one);
    }
};

QTEST_GUILESS_MAIN(TestQvimBinary)
#include "test_qvim_binary.moc"
