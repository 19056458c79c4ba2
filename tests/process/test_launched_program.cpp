#include "process/LaunchedProgram.h"
#include "process/ShellWords.h"

#include "TestUtil.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kShell = QStringLiteral("/bin/sh");

// True while the process exists, zombie or not.
bool processExists(pid_t pid)
{
    return QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

// Running, not ended and waiting to be collected.
bool processRunning(pid_t pid)
{
    const QByteArray stat = testutil::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype end = stat.lastIndexOf(')');
    return end > 0 && stat.size() > end + 2 && stat[end + 2] != 'Z' && stat[end + 2] != 'X';
}

} // namespace

class TestLaunchedProgram : public QObject
{
    Q_OBJECT
private slots:
    void shellWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("ok");
        QTest::newRow("blank") << "   " << QStringList() << true;
        QTest::newRow("words") << " a  b\tc " << QStringList{"a", "b", "c"} << true;
        QTest::newRow("double quotes") << "\"/home/ann/my file.txt\" x" << QStringList{"/home/ann/my file.txt", "x"} << true;
        QTest::newRow("single quotes keep everything") << "'a \"b\" \\c $d'" << QStringList{"a \"b\" \\c $d"} << true;
        QTest::newRow("escapes in double quotes") << "\"a\\\"b\\\\c\\d\\$\"" << QStringList{"a\"b\\c\\d$"} << true;
        QTest::newRow("backslash outside quotes") << "a\\ b c\\\\d" << QStringList{"a b", "c\\d"} << true;
        QTest::newRow("quotes join a word") << "ab\"c d\"'e'" << QStringList{"abc de"} << true;
        QTest::newRow("empty quotes are a word") << "a \"\" b" << QStringList{"a", "", "b"} << true;
        QTest::newRow("nothing expanded") << "$HOME * ~" << QStringList{"$HOME", "*", "~"} << true;
        QTest::newRow("last backslash") << "a\\" << QStringList{"a\\"} << true;
        QTest::newRow("open double quote") << "a \"b" << QStringList() << false;
        QTest::newRow("open single quote") << "a 'b" << QStringList() << false;
    }

    void shellWords()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QFETCH(bool, ok);
        QStringList got{QStringLiteral("left over")};
        QCOMPARE(SplitShellWords(text, got), ok);
        QCOMPARE(got, words);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("code");
        QTest::newRow("0") << "exit 0" << 0;
        QTest::newRow("3") << "exit 3" << 3;
        QTest::newRow("255") << "exit 255" << 255;
        QTest::newRow("killed by a signal") << "kill -9 $$" << 128 + 9;
    }

    void exitCodes()
    {
        QFETCH(QString, script);
        QFETCH(int, code);
        LaunchedProgram program;
        QString error;
        QVERIFY2(program.Start(kShell, {QStringLiteral("-c"), script}, std::nullopt, error), qPrintable(error));
        QVERIFY(program.WaitForEnd(30000));
        QVERIFY(program.HasEnded());
        QCOMPARE(program.ExitCode(), code);
        QVERIFY(!processExists(program.Pid()));
    }

    void argumentsReachTheProgramAsGiven()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("args.txt"));
        LaunchedProgram program;
        QString error;
        // No shell between us and the program: "$HOME" and "*" arrive as they are.
        QVERIFY(program.Start(kShell, {QStringLiteral("-c"), QStringLiteral("printf '%s|' \"$@\" > \"$0\""), out,
                                       QStringLiteral("a b"), QStringLiteral("$HOME"), QStringLiteral("*")},
                              std::nullopt, error));
        QVERIFY(program.WaitForEnd(30000));
        QCOMPARE(testutil::readFile(out), QByteArray("a b|$HOME|*|"));
    }

    void programsThatCannotStart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing") << "missing-program";
        QTest::newRow("not executable") << "plain.txt";
        QTest::newRow("a folder") << ".";
        QTest::newRow("empty") << "";
    }

    void programsThatCannotStart()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(testutil::writeFile(dir.filePath(QStringLiteral("plain.txt")), "echo hi\n"));
        LaunchedProgram program;
        QString error;
        const QString path = name.isEmpty() ? QString() : dir.filePath(name);
        QVERIFY(!program.Start(path, {}, std::nullopt, error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!program.WaitForEnd(0));
        QCOMPARE(program.Pid(), pid_t(0));
    }

    void niceValue()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("nice.txt"));
        const auto niceOf = [&](int value, QString& note) {
            LaunchedProgram program;
            QString error;
            if (!program.Start(kShell, {QStringLiteral("-c"), QStringLiteral("nice > \"$0\""), out}, value, error)
                || !program.WaitForEnd(30000))
                return QByteArray("did not run");
            note = program.PriorityNote();
            return testutil::readFile(out).trimmed();
        };
        QString note;
        QCOMPARE(niceOf(19, note), QByteArray("19"));
        QVERIFY(note.isEmpty());
        const int ours = ::nice(0);
        const QByteArray raised = niceOf(ours - 1, note);
        if (::geteuid() == 0) {
            QCOMPARE(raised, QByteArray::number(ours - 1));
            QVERIFY(note.isEmpty());
        } else {
            QCOMPARE(raised, QByteArray::number(ours));
            QVERIFY(note.contains(QStringLiteral("not %1").arg(ours - 1)));
        }
    }

    void ourDescriptorsStayWithUs()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("fds.txt"));
        const int fd = ::open("/dev/null", O_RDONLY);   // without close-on-exec
        QVERIFY(fd > 2);
        LaunchedProgram program;
        QString error;
        QVERIFY(program.Start(kShell, {QStringLiteral("-c"), QStringLiteral("ls /proc/$$/fd > \"$0\""), out},
                              std::nullopt, error));
        QVERIFY(program.WaitForEnd(30000));
        ::close(fd);
        const QList<QByteArray> open = testutil::readFile(out).split('\n');
        QVERIFY(open.contains("0"));
        QVERIFY2(!open.contains(QByteArray::number(fd)), testutil::readFile(out).constData());
    }

    void aProgramThatOutlivesItsWaitIsCollectedLater()
    {
        pid_t pid = 0;
        QElapsedTimer timer;
        timer.start();
        {
            LaunchedProgram program;
            QString error;
            QVERIFY(program.Start(QStringLiteral("/bin/sleep"), {QStringLiteral("600")}, std::nullopt, error));
            pid = program.Pid();
            QVERIFY(!program.WaitForEnd(0));
            QVERIFY(!program.WaitForEnd(100));
            QVERIFY(timer.elapsed() >= 100); // the wait took its time
        }
        // Left running, not killed.
        QVERIFY(processRunning(pid));
        // Once it ends it is collected: no zombie stays.
        QCOMPARE(::kill(pid, SIGTERM), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!processExists(pid), 10000);
    }
};

QTEST_GUILESS_MAIN(TestLaunchedProgram)
#include "test_launched_program.moc"
