#include "FileFixture.h"

#include "core/FileTimes.h"

#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <functional>
#include <memory>

namespace {

class CountingSleeper final : public Sleeper
{
public:
    void sleepMs(int ms) override
    {
        ++calls;
        totalMs += ms;
        if (onSleep)
            onSleep(calls);
    }
    int calls = 0;
    int totalMs = 0;
    std::function<void(int)> onSleep;
};

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

void setTimeZone(const QByteArray& zone)
{
    qputenv("TZ", zone);
    ::tzset();
}

QDateTime utc(const char* iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODateWithMs);
}

} // namespace

class TestFileTimes : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<FileFixture> fx;
    QByteArray savedZone;
    QString at(const QString& path) const { return fx->at(path); }

private slots:
    void initTestCase() { savedZone = qgetenv("TZ"); }
    void init() { fx = std::make_unique<FileFixture>(); }
    void cleanup()
    {
        fx.reset();
        if (savedZone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", savedZone);
        ::tzset();
    }

    // Times are read in one zone and written in another; both the
    // repeated hour of autumn and the skipped hour of spring must come out
    // as the same instant, in whole seconds.
    void timesCarryOver_data()
    {
        QTest::addColumn<QByteArray>("readZone");
        QTest::addColumn<QByteArray>("writeZone");
        QTest::addColumn<QDateTime>("write");
        QTest::addColumn<QDateTime>("access");
        const QDateTime firstRepeated = utc("2023-10-29T00:30:00.750Z");  // 02:30 CEST
        const QDateTime secondRepeated = utc("2023-10-29T01:30:00.250Z"); // 02:30 CET
        const QDateTime spring = utc("2023-03-26T01:15:42.999Z");         // just after the skipped hour
        const QDateTime december = utc("2023-12-03T10:20:30.500Z");
        QTest::newRow("repeated hour, same zone") << QByteArray("Europe/Berlin") << QByteArray("Europe/Berlin") << firstRepeated << secondRepeated;
        QTest::newRow("second repeated hour") << QByteArray("Europe/Berlin") << QByteArray("Europe/Berlin") << secondRepeated << firstRepeated;
        QTest::newRow("zone changes between read and write") << QByteArray("Europe/Berlin") << QByteArray("America/New_York") << spring << december;
        QTest::newRow("utc to daylight-saving zone") << QByteArray("UTC") << QByteArray("Europe/Berlin") << december << spring;
        QTest::newRow("before 1970") << QByteArray("Europe/Berlin") << QByteArray("Europe/Berlin") << utc("1969-07-20T20:17:40.400Z") << december;
    }
    void timesCarryOver()
    {
        QFETCH(QByteArray, readZone);
        QFETCH(QByteArray, writeZone);
        QFETCH(QDateTime, write);
        QFETCH(QDateTime, access);
        QVERIFY(write.isValid() && access.isValid());
        fx->makeFile(QStringLiteral("@/in.doc"));
        fx->makeFile(QStringLiteral("@/out.pdf"));
        const QString in = at(QStringLiteral("@/in.doc"));
        const QString out = at(QStringLiteral("@/out.pdf"));
        const auto toTimespec = [](const QDateTime& d) {
            const qint64 ms = d.toMSecsSinceEpoch();
            const qint64 sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
            return timespec{static_cast<time_t>(sec), static_cast<long>((ms - sec * 1000) * 1000000)};
        };
        const timespec fixture[2] = {toTimespec(access), toTimespec(write)};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(in).constData(), fixture, 0), 0);

        setTimeZone(readZone);
        QDateTime creation, lastAccess, lastWrite;
        QCOMPARE(GetFileTimes(in, creation, lastAccess, lastWrite, true), false);
        QCOMPARE(lastWrite.toMSecsSinceEpoch(), fixture[1].tv_sec * 1000LL);
        QCOMPARE(lastAccess.toMSecsSinceEpoch(), fixture[0].tv_sec * 1000LL);
        QVERIFY(creation.isValid());

        setTimeZone(writeZone);
        QCOMPARE(SetFileTimes(out, creation, lastAccess, lastWrite, true), false);
        const struct stat st = statOf(out);
        QCOMPARE(st.st_mtim.tv_sec, fixture[1].tv_sec);
        QCOMPARE(st.st_mtim.tv_nsec, 0L);
        QCOMPARE(st.st_atim.tv_sec, fixture[0].tv_sec);
        QCOMPARE(st.st_atim.tv_nsec, 0L);
    }

    void timeFailuresKeepValues()
    {
        const QDateTime marker = utc("2001-02-03T04:05:06Z");
        QDateTime c = marker, a = marker, w = marker;
        QCOMPARE(GetFileTimes(at(QStringLiteral("@/missing")), c, a, w, true), true);
        QCOMPARE(w, marker);
        QCOMPARE(SetFileTimes(at(QStringLiteral("@/missing")), c, a, w, true), true);
    }

    void fileExists_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("file") << QStringLiteral("@/a.txt") << true;
        QTest::newRow("padded with blanks") << QStringLiteral("  @/a.txt ") << true;
        QTest::newRow("hidden file") << QStringLiteral("@/.hidden") << true;
        QTest::newRow("read-only file") << QStringLiteral("@/ro.txt") << true;
        QTest::newRow("link to a file") << QStringLiteral("@/link.txt") << true;
        QTest::newRow("folder") << QStringLiteral("@/dir") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("wildcard") << QStringLiteral("@/*.txt") << false;
        QTest::newRow("other letter case") << QStringLiteral("@/A.TXT") << false;
        QTest::newRow("dangling link") << QStringLiteral("@/dangling") << false;
        QTest::newRow("device") << QStringLiteral("/dev/null") << false;
    }
    void fileExists()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        fx->makeFile(QStringLiteral("@/a.txt"));
        fx->makeFile(QStringLiteral("@/.hidden"));
        fx->makeFile(QStringLiteral("@/ro.txt"));
        ::chmod(QFile::encodeName(at(QStringLiteral("@/ro.txt"))).constData(), 0444);
        fx->makeFolder(QStringLiteral("@/dir"));
        QVERIFY(QFile::link(at(QStringLiteral("@/a.txt")), at(QStringLiteral("@/link.txt"))));
        QVERIFY(QFile::link(at(QStringLiteral("@/gone")), at(QStringLiteral("@/dangling"))));
        QCOMPARE(FileExists(at(path)), expected);
    }

    void copyOverReadOnlyTarget()
    {
        fx->makeFile(QStringLiteral("@/src.txt"), "new contents");
        fx->makeFile(QStringLiteral("@/out/target.txt"), "old");
        const QString source = at(QStringLiteral("@/src.txt"));
        const QString target = at(QStringLiteral("@/out/target.txt"));
        ::chmod(QFile::encodeName(target).constData(), 0444);
        const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(source).constData(), past, 0);

        int error = 12345;
        QVERIFY(CopyFileSafe(source, target, error));
        QCOMPARE(error, 12345); // left alone on success
        QCOMPARE(testutil::readFile(target), QByteArray("new contents"));
        QCOMPARE(FileFixture::modeOf(target), mode_t(0444));
        QCOMPARE(statOf(target).st_mtim.tv_sec, time_t(1000000000));
        // No temporary file stays behind.
        QCOMPARE(QDir(at(QStringLiteral("@/out"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("target.txt")});
    }

    void copyThroughLinkAndOntoItself()
    {
        fx->makeFile(QStringLiteral("@/src.txt"), "fresh");
        fx->makeFile(QStringLiteral("@/real.txt"), "old");
        const QString source = at(QStringLiteral("@/src.txt"));
        const QString link = at(QStringLiteral("@/link.txt"));
        QVERIFY(QFile::link(at(QStringLiteral("@/real.txt")), link));
        int error = 0;
        QVERIFY(CopyFileSafe(source, link, error));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/real.txt"))), QByteArray("fresh"));

        QVERIFY(CopyFileSafe(source, at(QStringLiteral("@/./src.txt")), error));
        QCOMPARE(testutil::readFile(source), QByteArray("fresh"));
    }

    void copyErrors_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("error");
        QTest::newRow("source missing") << QStringLiteral("@/nothing.txt") << QStringLiteral("@/out/t.txt") << 53;
        QTest::newRow("target folder missing") << QStringLiteral("@/src.txt") << QStringLiteral("@/none/t.txt") << 76;
        QTest::newRow("target is a folder") << QStringLiteral("@/src.txt") << QStringLiteral("@/out") << 75;
        QTest::newRow("source is a folder") << QStringLiteral("@/out") << QStringLiteral("@/out/t.txt") << 75;
        QTest::newRow("target folder read-only") << QStringLiteral("@/src.txt") << QStringLiteral("@/ro/t.txt") << 70;
        QTest::newRow("source unreadable") << QStringLiteral("@/secret.txt") << QStringLiteral("@/out/t.txt") << 70;
    }
    void copyErrors()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(int, error);
        if (error == 70 && FileFixture::runningAsRoot())
            QSKIP("root is never denied permission");
        fx->makeFile(QStringLiteral("@/src.txt"));
        fx->makeFile(QStringLiteral("@/secret.txt"));
        fx->makeFile(QStringLiteral("@/ro/t.txt"), "old");
        fx->makeFolder(QStringLiteral("@/out"));
        ::chmod(QFile::encodeName(at(QStringLiteral("@/secret.txt"))).constData(), 0);
        ::chmod(QFile::encodeName(at(QStringLiteral("@/ro"))).constData(), 0555);

        int got = 0;
        QVERIFY(!CopyFileSafe(at(source), at(target), got));
        QCOMPARE(got, error);
        QCOMPARE(testutil::readFile(at(QStringLiteral("@/ro/t.txt"))), QByteArray("old"));
        QVERIFY(QDir(at(QStringLiteral("@/out"))).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    void deleteWithRetry_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("sleeps");
        QTest::newRow("missing file: at once") << QStringLiteral("@/missing.txt") << true << 0;
        QTest::newRow("read-only file") << QStringLiteral("@/ro.txt") << true << 0;
        QTest::newRow("folder is no file") << QStringLiteral("@/dir") << true << 0;
        QTest::newRow("cannot be removed: 21 attempts") << QStringLiteral("/proc/version") << false << 21;
        QTest::newRow("file in read-only folder") << QStringLiteral("@/locked/f.txt") << false << 21;
    }
    void deleteWithRetry()
    {
        QFETCH(QString, path);
        QFETCH(bool, result);
        QFETCH(int, sleeps);
        if (path.startsWith(QLatin1String("@/locked")) && FileFixture::runningAsRoot())
            QSKIP("root deletes from read-only folders; the /proc row covers giving up");
        fx->makeFile(QStringLiteral("@/ro.txt"));
        ::chmod(QFile::encodeName(at(QStringLiteral("@/ro.txt"))).constData(), 0444);
        fx->makeFolder(QStringLiteral("@/dir"));
        fx->makeFile(QStringLiteral("@/locked/f.txt"));
        ::chmod(QFile::encodeName(at(QStringLiteral("@/locked"))).constData(), 0555);

        CountingSleeper sleeper;
        QCOMPARE(DeleteFileWithRetry(at(path), sleeper), result);
        QCOMPARE(sleeper.calls, sleeps);
        QCOMPARE(sleeper.totalMs, sleeps * 1000);
        if (result && !path.endsWith(QLatin1String("dir")))
            QVERIFY(!QFileInfo::exists(at(path)));
    }

    void deleteSucceedsOnceReleased()
    {
        if (FileFixture::runningAsRoot())
            QSKIP("root deletes from read-only folders, so nothing holds the file");
        fx->makeFile(QStringLiteral("@/locked/f.txt"));
        const QString folder = at(QStringLiteral("@/locked"));
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        CountingSleeper sleeper;
        sleeper.onSleep = [&](int calls) {
            if (calls == 3)
                ::chmod(QFile::encodeName(folder).constData(), 0755);
        };
        QVERIFY(DeleteFileWithRetry(folder + QStringLiteral("/f.txt"), sleeper));
        QCOMPARE(sleeper.calls, 3);
    }

    void attributesAndParts()
    {
        fx->makeFile(QStringLiteral("@/ro.txt"));
        const QString ro = at(QStringLiteral("@/ro.txt"));
        ::chmod(QFile::encodeName(ro).constData(), 0444);
        QVERIFY(MaskFileAttributes(ro, 0xFFFFFFFFu)); // keeps every bit
        QCOMPARE(FileFixture::modeOf(ro), mode_t(0444));
        QVERIFY(MaskFileAttributes(ro, ~1u)); // clears read-only
        QCOMPARE(FileFixture::modeOf(ro), mode_t(0644));
        QVERIFY(!MaskFileAttributes(at(QStringLiteral("@/missing")), ~1u));
        QVERIFY(DeleteFileNow(ro));
        QVERIFY(!DeleteFileNow(ro));
    }

    void folderPartAndExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("extension");
        QTest::newRow("bare name") << QStringLiteral("name.TXT") << QString() << QStringLiteral("TXT");
        QTest::newRow("last dot counts") << QStringLiteral("/a/b/file.tar.gz") << QStringLiteral("/a/b/") << QStringLiteral("gz");
        QTest::newRow("blanks trimmed") << QStringLiteral("/a/file. pdf ") << QStringLiteral("/a/") << QStringLiteral("pdf");
        QTest::newRow("dot only in a folder") << QStringLiteral("/home/u/.config/x") << QStringLiteral("/home/u/.config/") << QString();
        QTest::newRow("hidden name") << QStringLiteral("/a/.profile") << QStringLiteral("/a/") << QStringLiteral("profile");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/") << QString();
        QTest::newRow("empty") << QString() << QString() << QString();
    }
    void folderPartAndExtension()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, extension);
        QCOMPARE(GetFolderPart(path), folder);
        QCOMPARE(GetFileExtension(path), extension);
    }
};

QTEST_GUILESS_MAIN(TestFileTimes)
#include "test_file_times.moc"
