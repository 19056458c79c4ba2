// Where the office writes and how its file comes into place, without an
// office: the private folder goes with all it holds, and a move across
// file systems replaces the target whole, leaving nothing beside it.
#include "office/OfficeOutput.h"

#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

dev_t deviceOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : 0;
}

} // namespace

class TestOfficeOutput : public QObject
{
    Q_OBJECT

private slots:
    void privateFolderGoesWithAllItHolds()
    {
        QTemporaryDir temp;
        const bool hadTemp = qEnvironmentVariableIsSet("TMPDIR");
        const QByteArray saved = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        QString folder;
        {
            OfficeSaveFolder save;
            QString error;
            QVERIFY2(save.create(QStringLiteral("/somewhere/report.pdf"), error), qPrintable(error));
            folder = save.folder();
            QCOMPARE(QFileInfo(folder).path(), temp.path());
            QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
            QCOMPARE(save.file(), folder + QStringLiteral("/report.pdf"));
            QCOMPARE(QFileInfo(save.file()).size(), 0);
            // What a dying office leaves.
            QVERIFY(testutil::writeFile(folder + QStringLiteral("/.~lock.report.pdf#"), "lock"));
            QVERIFY(QDir().mkpath(folder + QStringLiteral("/lu1.tmp.d")));
        }
        if (hadTemp)
            qputenv("TMPDIR", saved);
        else
            qunsetenv("TMPDIR");
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(entries(temp.path()), QStringList{});
    }

    void moveAcrossFileSystemsReplacesTheTargetWhole()
    {
        QTemporaryDir target;
        QTemporaryDir other(QStringLiteral("/dev/shm/tessaview-test-XXXXXX"));
        if (!other.isValid() || deviceOf(other.path()) == deviceOf(target.path()))
            QSKIP("no second file system for temporary files here");
        const QString from = other.filePath(QStringLiteral("report.pdf"));
        const QString to = target.filePath(QStringLiteral("report.pdf"));
        QVERIFY(testutil::writeFile(from, QByteArray(3 << 20, 'n')));
        QVERIFY(testutil::writeFile(to, "old output"));
        QString error;
        QVERIFY2(MoveIntoPlace(from, to, error), qPrintable(error));
        QCOMPARE(testutil::readFile(to), QByteArray(3 << 20, 'n'));
        QVERIFY(!QFileInfo::exists(from));
        QCOMPARE(entries(target.path()), QStringList{QStringLiteral("report.pdf")});
    }

    void refusedMovesKeepBothFiles_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing folder") << "missing/report.pdf" << "The folder {dir}/missing does not exist.";
        QTest::newRow("a folder at the target") << "folder" << "{dir}/folder is a folder.";
    }

    void refusedMovesKeepBothFiles()
    {
        QFETCH(QString, target);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("folder"))));
        const QString from = dir.filePath(QStringLiteral("new.pdf"));
        QVERIFY(testutil::writeFile(from, "new"));
        QString error;
        QVERIFY(!MoveIntoPlace(from, dir.filePath(target), error));
        QCOMPARE(error, QString(message).replace(QStringLiteral("{dir}"), dir.path()));
        QCOMPARE(testutil::readFile(from), QByteArray("new"));
        QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("folder"), QStringLiteral("new.pdf")}));
    }
};

QTEST_GUILESS_MAIN(TestOfficeOutput)
#include "test_office_output.moc"
