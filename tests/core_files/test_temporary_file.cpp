// Temporary files of the program's own: new names only, made exclusively,
// removed by their owner alone, moved over a target in one step; and the
// program's private temporary folder.
#include "FileFixture.h"

#include "core/TemporaryFile.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestTemporaryFile : public QObject
{
    Q_OBJECT

private slots:
    void newFilesBesideTheUsersAreRemovedByTheirOwner()
    {
        FileFixture f;
        // Files of the user's under names like the ones handed out.
        const QStringList users = {"a.pdf.tmppp123", "a.pdf.00000000.tmppp123", "a.pdf.", ".tmppp123"};
        for (const QString& name : users)
            f.makeFile("@/" + name, "the user's");
        {
            QSet<QString> paths;
            std::vector<TemporaryFile> files(20);
            for (TemporaryFile& file : files) {
                QString error;
                QVERIFY2(file.create(f.root(), "a.pdf", ".tmppp123", &error), qPrintable(error));
                QVERIFY(QRegularExpression(QStringLiteral("^a\\.pdf\\.[0-9a-f]{8}\\.tmppp123$"))
                            .match(QFileInfo(file.path()).fileName())
                            .hasMatch());
                QCOMPARE(QFileInfo(file.path()).size(), 0);
                paths.insert(file.path());
            }
            QCOMPARE(paths.size(), 20);
            QCOMPARE(filesIn(f.root()).size(), users.size() + 20);
        }
        QStringList sorted = users;
        sorted.sort();
        QCOMPARE(filesIn(f.root()), sorted);
        for (const QString& name : users)
            QCOMPARE(testutil::readFile(f.at("@/" + name)), QByteArray("the user's"));
    }

    void failuresNameTheSystemsReason_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "@/missing" << "No such file or directory";
        QTest::newRow("a file for a folder") << "@/file" << "Not a directory";
    }

    void failuresNameTheSystemsReason()
    {
        QFETCH(QString, folder);
        QFETCH(QString, reason);
        FileFixture f;
        f.makeFile("@/file");
        TemporaryFile made;
        QVERIFY(made.create(f.root(), "earlier", ".tmp"));
        const QString earlier = made.path();
        QString error;
        QVERIFY(!made.create(f.at(folder), "x", ".tmp", &error));
        QVERIFY2(error.startsWith(QStringLiteral("Cannot create a file in ") + f.at(folder)) && error.endsWith(reason),
                 qPrintable(error));
        QVERIFY(!made.isCreated());
        // The file it made before went; nothing else did.
        QVERIFY(!QFileInfo::exists(earlier));
        QCOMPARE(filesIn(f.root()), QStringList{"file"});
    }

    void moveOverReplacesTheTargetInOneStep()
    {
        FileFixture f;
        f.makeFile("@/out.pdf", "old output");
        {
            TemporaryFile file;
            QVERIFY(file.create(f.root(), "out.pdf", ".part"));
            QVERIFY(testutil::writeFile(file.path(), "new output"));
            QString error;
            QVERIFY2(file.moveOver(f.at("@/out.pdf"), &error), qPrintable(error));
            QVERIFY(!file.isCreated());
        }
        // Once moved, the file is the target's, not the temporary's to remove.
        QCOMPARE(testutil::readFile(f.at("@/out.pdf")), QByteArray("new output"));
        QCOMPARE(filesIn(f.root()), QStringList{"out.pdf"});

        // A failed move leaves the target and keeps the file the owner's.
        f.makeFolder("@/folder");
        TemporaryFile file;
        QVERIFY(file.create(f.root(), "x", ".part"));
        QString error;
        QVERIFY(!file.moveOver(f.at("@/folder"), &error));
        QVERIFY2(error.startsWith(QStringLiteral("Cannot replace ") + f.at("@/folder") + QStringLiteral(": ")),
                 qPrintable(error));
        QVERIFY(file.isCreated());
        file.remove();
        QCOMPARE(filesIn(f.root()), QStringList{"out.pdf"});
    }

    void releasedOrVanishedFiles()
    {
        FileFixture f;
        QString kept;
        {
            TemporaryFile file;
            QVERIFY(file.create(f.root(), "kept", ".tmp"));
            kept = file.path();
            file.release();
        }
        QVERIFY(QFileInfo::exists(kept));
        TemporaryFile gone;
        QVERIFY(gone.create(f.root(), "gone", ".tmp"));
        QVERIFY(QFile::remove(gone.path()));
        gone.remove(); // no error, and nothing else is touched
        QCOMPARE(filesIn(f.root()), QStringList{QFileInfo(kept).fileName()});
    }

    void programFolderIsPrivate()
    {
        const QString folder = ProgramTempFolder();
        QVERIFY(!folder.isEmpty());
        QCOMPARE(QFileInfo(folder).path(), QDir::tempPath());
        QCOMPARE(FileFixture::modeOf(folder), mode_t(0700));
        QCOMPARE(ProgramTempFolder(), folder);
        TemporaryFile file;
        QVERIFY(file.create(QString(), "doc.png", ".tmppp123"));
        QCOMPARE(QFileInfo(file.path()).path(), folder);
    }
};

QTEST_GUILESS_MAIN(TestTemporaryFile)
#include "test_temporary_file.moc"
