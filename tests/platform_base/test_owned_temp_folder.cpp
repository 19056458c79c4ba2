// Temporary folders that name their process: a later process lists those
// of processes that no longer run, and none of a process that runs, of
// another user, or that is not ours; removing one never follows a link out
// of it.
#include "base/OwnedTempFolder.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList pathsOf(const QList<StaleTempFolder>& folders)
{
    QStringList paths;
    for (const StaleTempFolder& folder : folders)
        paths << folder.path;
    paths.sort();
    return paths;
}

// Runs `work` in a child process that then ends, and waits for it to be
// reaped: what it made belongs to a process that no longer runs.
template <typename Work>
void inAChildThatEnds(Work work)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        work();
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
}

QString markerOf(const QString& folder)
{
    return QDir(folder).filePath(kOwnerMarkerName);
}

// Sets `key` of the marker of `folder` to `value`.
void editMarker(const QString& folder, const QByteArray& key, const QByteArray& value)
{
    QList<QByteArray> lines = testutil::readFile(markerOf(folder)).split('\n');
    for (QByteArray& line : lines)
        if (line.startsWith(QByteArray(key + '=')))
            line = QByteArray(key + '=' + value);
    if (!testutil::writeFile(markerOf(folder), lines.join('\n')))
        qFatal("cannot write the marker of %s", qPrintable(folder));
}

// A copy of `folder` whose marker has `key` set to `value`, and whose name
// (tessaview-<kind>-<pid>-<start>-XXXXXX) follows for the pid and the
// start: a folder of some other process.
QString copyWith(const QString& folder, const QByteArray& key, const QByteArray& value)
{
    QStringList parts = QFileInfo(folder).fileName().split(u'-');
    if (key == "pid")
        parts[2] = QString::fromLatin1(value);
    if (key == "start")
        parts[3] = QString::fromLatin1(value);
    parts[4] = QStringLiteral("Copy01");
    const QString copy = QDir(QFileInfo(folder).path()).filePath(parts.join(u'-'));
    if (!QDir().mkdir(copy) || !QFile::copy(markerOf(folder), markerOf(copy)))
        qFatal("cannot copy %s", qPrintable(folder));
    editMarker(copy, key, value);
    return copy;
}

} // namespace

class TestOwnedTempFolder : public QObject
{
    Q_OBJECT

    QString m_systemTemp;
    std::unique_ptr<QTemporaryDir> m_temp;

    QString temp(const QString& name) const { return m_temp->filePath(name); }

private slots:
    void initTestCase() { m_systemTemp = QDir::tempPath(); }

    // Each case has a temporary folder of its own.
    void init()
    {
        m_temp.reset();
        m_temp = std::make_unique<QTemporaryDir>(m_systemTemp + QStringLiteral("/owned-XXXXXX"));
        qputenv("TMPDIR", m_temp->path().toUtf8());
    }

    void aFolderNamesItsProcess()
    {
        const QString folder = MakeOwnedTempFolder(QStringLiteral("temp"));
        QVERIFY(!folder.isEmpty());
        QCOMPARE(QFileInfo(folder).path(), m_temp->path());
        QVERIFY2(QFileInfo(folder).fileName().startsWith(QStringLiteral("tessaview-temp-%1-").arg(::getpid())),
                 qPrintable(folder));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0700));
        QVERIFY(QFileInfo(markerOf(folder)).isFile());
        QCOMPARE(OwnedTempFoldersOfThisProcess(QStringLiteral("temp")), QStringList{folder});
        // Its process runs: it is nobody else's to remove.
        QCOMPARE(pathsOf(StaleOwnedTempFolders()), QStringList{});
    }

    void foldersOfEndedProcessesAreListed()
    {
        inAChildThatEnds([] {
            const QString made = MakeOwnedTempFolder(QStringLiteral("save"));
            testutil::writeFile(QDir(made).filePath(QStringLiteral(".~lock.out.pdf#")), "office lock");
        });
        const QStringList made = QDir(m_temp->path()).entryList({QStringLiteral("tessaview-save-*")}, QDir::Dirs);
        QCOMPARE(made.size(), 1);
        const QString live = MakeOwnedTempFolder(QStringLiteral("save"));

        const QList<StaleTempFolder> stale = StaleOwnedTempFolders();
        QCOMPARE(pathsOf(stale), QStringList{temp(made.first())});
        QCOMPARE(stale.first().kind, QStringLiteral("save"));
        QVERIFY(RemoveStaleTempFolder(stale.first()));
        QVERIFY(!QFileInfo::exists(temp(made.first())));
        QVERIFY(QFileInfo(markerOf(live)).isFile());
    }

    // Whether a folder goes when its marker differs from one this process
    // wrote in one value.
    void theMarkerDecides_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("listed");
        // The pid runs, but it is another process that started later.
        QTest::newRow("a reused pid") << QByteArray("start") << QByteArray("1") << true;
        QTest::newRow("an earlier boot") << QByteArray("boot") << QByteArray("00000000-0000-0000-0000-000000000000")
                                         << true;
        // Its pids cannot be looked up here.
        QTest::newRow("another pid namespace") << QByteArray("ns") << QByteArray("pid:[1]") << false;
    }

    void theMarkerDecides()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(bool, listed);
        const QString own = MakeOwnedTempFolder(QStringLiteral("office"));
        const QString other = copyWith(own, key, value);
        QCOMPARE(pathsOf(StaleOwnedTempFolders()), listed ? QStringList{other} : QStringList{});
    }

    // Folders that look like ours by name but are not, or cannot be
    // shown to be, stay.
    void foldersThatAreNotOursStay_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("no marker") << QStringLiteral("no marker");
        QTest::newRow("a marker naming another process") << QStringLiteral("other pid");
        QTest::newRow("a marker that is a link") << QStringLiteral("marker link");
        QTest::newRow("a link to a stale folder") << QStringLiteral("folder link");
        QTest::newRow("another user's") << QStringLiteral("other user");
    }

    void foldersThatAreNotOursStay()
    {
        QFETCH(QString, how);
        QString stale;
        inAChildThatEnds([&] { MakeOwnedTempFolder(QStringLiteral("temp")); });
        stale = temp(QDir(m_temp->path()).entryList({QStringLiteral("tessaview-temp-*")}, QDir::Dirs).value(0));
        QVERIFY(QFileInfo(markerOf(stale)).isFile());
        // The folder the case is about, moved out of the way first.
        const QString aside = m_temp->path() + QStringLiteral("-aside");
        QString kept = stale;
        if (how == QLatin1String("no marker")) {
            QVERIFY(QFile::remove(markerOf(stale)));
            testutil::writeFile(QDir(stale).filePath(QStringLiteral("user.txt")), "the user's");
        } else if (how == QLatin1String("other pid")) {
            editMarker(stale, "pid", "1");
        } else if (how == QLatin1String("marker link")) {
            QVERIFY(QDir().rename(markerOf(stale), aside));
            QVERIFY(QFile::link(aside, markerOf(stale)));
        } else if (how == QLatin1String("folder link")) {
            QVERIFY(QDir().rename(stale, aside));
            QVERIFY(QFile::link(aside, stale));
        } else if (how == QLatin1String("other user")) {
            if (::geteuid() != 0)
                QSKIP("only root can give a folder to another user");
            QCOMPARE(::chown(QFile::encodeName(stale).constData(), 4321, 4321), 0);
        }

        QCOMPARE(pathsOf(StaleOwnedTempFolders()), QStringList{});
        QVERIFY(QFileInfo::exists(kept));
        if (how == QLatin1String("folder link"))
            QVERIFY(QFileInfo(markerOf(aside)).isFile());
        QDir(aside).removeRecursively();
        QFile::remove(aside);
    }

    // A process killed while it made a folder left it without its marker,
    // or with an empty one: such a folder goes when it holds nothing else
    // and the process its name names has ended.
    void unfinishedFoldersGoOnlyWhenEmpty()
    {
        QStringList ended;
        for (int i = 0; i < 3; ++i)
            inAChildThatEnds([] { MakeOwnedTempFolder(QStringLiteral("save")); });
        ended = QDir(m_temp->path()).entryList({QStringLiteral("tessaview-save-*")}, QDir::Dirs);
        QCOMPARE(ended.size(), 3);
        const QString noMarker = temp(ended[0]);
        const QString emptyMarker = temp(ended[1]);
        const QString withAFile = temp(ended[2]);
        QVERIFY(QFile::remove(markerOf(noMarker)));
        QVERIFY(testutil::writeFile(markerOf(emptyMarker), QByteArray()));
        QVERIFY(QFile::remove(markerOf(withAFile)));
        QVERIFY(testutil::writeFile(QDir(withAFile).filePath(QStringLiteral("out.pdf")), "%PDF"));
        const QString live = MakeOwnedTempFolder(QStringLiteral("save"));
        QVERIFY(QFile::remove(markerOf(live)));

        QCOMPARE(pathsOf(StaleOwnedTempFolders()), QStringList{});
        RemoveUnfinishedTempFolders();
        QVERIFY(!QFileInfo::exists(noMarker));
        QVERIFY(!QFileInfo::exists(emptyMarker));
        QCOMPARE(testutil::readFile(QDir(withAFile).filePath(QStringLiteral("out.pdf"))), QByteArray("%PDF"));
        QVERIFY(QFileInfo(live).isDir());
    }

    void removingNeverFollowsALink()
    {
        QTemporaryDir outside;
        const QString precious = testutil::writeFile(outside.filePath(QStringLiteral("precious.txt")), "keep")
                                     ? outside.filePath(QStringLiteral("precious.txt"))
                                     : QString();
        inAChildThatEnds([&] {
            const QString made = MakeOwnedTempFolder(QStringLiteral("temp"));
            QFile::link(outside.path(), QDir(made).filePath(QStringLiteral("folder")));
            QFile::link(precious, QDir(made).filePath(QStringLiteral("file")));
        });
        const QList<StaleTempFolder> stale = StaleOwnedTempFolders();
        QCOMPARE(stale.size(), 1);
        QVERIFY(RemoveStaleTempFolder(stale.first()));
        QVERIFY(!QFileInfo::exists(stale.first().path));
        QCOMPARE(testutil::readFile(precious), QByteArray("keep"));
    }

    // A process's own folder goes at its end when nothing but the marker
    // is left; one that still holds files stays for a later start.
    void aProcessFolderGoesWhenEmpty()
    {
        QString emptied;
        {
            ProcessTempFolder folder(QStringLiteral("temp"));
            emptied = folder.path();
            QVERIFY(!emptied.isEmpty());
            QCOMPARE(folder.path(), emptied);
            const QString file = QDir(emptied).filePath(QStringLiteral("render.pdf"));
            QVERIFY(testutil::writeFile(file, "%PDF"));
            QVERIFY(QFile::remove(file));
        }
        QVERIFY(!QFileInfo::exists(emptied));

        inAChildThatEnds([] {
            ProcessTempFolder folder(QStringLiteral("temp"));
            testutil::writeFile(QDir(folder.path()).filePath(QStringLiteral("render.pdf")), "%PDF");
        });
        const QList<StaleTempFolder> stale = StaleOwnedTempFolders();
        QCOMPARE(stale.size(), 1);
        QVERIFY(QFileInfo::exists(QDir(stale.first().path).filePath(QStringLiteral("render.pdf"))));
    }

    void aFolderRemovedMeanwhileIsMadeAgain()
    {
        ProcessTempFolder folder(QStringLiteral("control"));
        const QString first = folder.path();
        QVERIFY(QDir(first).removeRecursively());
        const QString second = folder.path();
        QVERIFY(QFileInfo(markerOf(second)).isFile());
    }
};

QTEST_GUILESS_MAIN(TestOwnedTempFolder)
#include "test_owned_temp_folder.moc"
