// Recently-used lists in the settings file: additions (duplicates, texts
// that differ only in letter case kept apart, eviction at capacity, texts that could not come back), the
// stored form with its terminator, reading (a gap or the terminator ends
// the list, duplicates collapse), and a list left unchanged is not written.
#include "base/Profile.h"
#include "jobs/clsMRU.h"
#include "TestUtil.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

} // namespace

class TestMru : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

    clsMRU listFrom(const QByteArray& bytes, int capacity = 5, const QString& name = QStringLiteral("mruFindString"))
    {
        if (!bytes.isNull())
            testutil::writeFile(m_file, bytes);
        clsMRU list;
        list.Setup(capacity, m_file, name, QStringLiteral("-1"));
        return list;
    }

    QString stored(const QString& key) const
    {
        return GetPrivateProfileString(QStringLiteral("mruFindString"), key, QStringLiteral("<missing>"), m_file);
    }

private slots:
    void init()
    {
        m_file = m_dir.filePath(QStringLiteral("QVIM_SearchHistory.INI"));
        QFile::remove(m_file);
    }

    void additions_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("changed");

        const QStringList full = {"one", "two", "three", "four", "five"};
        QTest::newRow("new text is the newest") << QStringList{"a", "b"} << "c" << QStringList{"a", "b", "c"} << true;
        QTest::newRow("empty text changes nothing") << QStringList{"a"} << "" << QStringList{"a"} << false;
        QTest::newRow("a present text moves to the end")
            << QStringList{"/in/a.doc", "/in/b.doc"} << "/in/a.doc" << QStringList{"/in/b.doc", "/in/a.doc"} << true;
        QTest::newRow("same but for case is an entry of its own")
            << QStringList{"/In/A.doc", "/in/b.doc"} << "/in/a.DOC" << QStringList{"/In/A.doc", "/in/b.doc", "/in/a.DOC"}
            << true;
        QTest::newRow("a sixth text drops the oldest")
            << full << "six" << QStringList{"two", "three", "four", "five", "six"} << true;
        QTest::newRow("a present text in a full list evicts nothing")
            << full << "two" << QStringList{"one", "three", "four", "five", "two"} << true;
        QTest::newRow("a text in other letters in a full list drops the oldest")
            << full << "TWO" << QStringList{"two", "three", "four", "five", "TWO"} << true;
        // Stored, these would end the list or come back cut on the next read.
        QTest::newRow("terminator refused") << QStringList{"a"} << "MRU_DONE" << QStringList{"a"} << false;
        QTest::newRow("missing-key marker refused") << QStringList{"a"} << "+-!#" << QStringList{"a"} << false;
        QTest::newRow("line break refused") << QStringList{"a"} << "x\ny" << QStringList{"a"} << false;
        QTest::newRow("500 characters refused") << QStringList{"a"} << QString(500, u'p') << QStringList{"a"} << false;
        QTest::newRow("terminator in other letters is a text")
            << QStringList{"a"} << "mru_done" << QStringList{"a", "mru_done"} << true;
    }

    void additions()
    {
        QFETCH(QStringList, start);
        QFETCH(QString, added);
        QFETCH(QStringList, entries);
        QFETCH(bool, changed);

        QByteArray bytes = "[mruFindString]\n";
        for (int i = 0; i < start.size(); ++i)
            bytes += "mruFindString" + QByteArray::number(i + 1) + '=' + start[i].toUtf8() + '\n';
        clsMRU list = listFrom(bytes);
        QCOMPARE(list.clnMRU, start);
        QVERIFY(!list.Changed());
        list.AddUniqueItemToCollection(added);
        QCOMPARE(list.clnMRU, entries);
        QCOMPARE(list.Count(), int(entries.size()));
        QCOMPARE(list.Changed(), changed);
    }

    void writtenWithItsTerminatorAndReadBack()
    {
        clsMRU list = listFrom(QByteArray());
        for (const char* text : {"first", "  padded find  ", "third"})
            list.AddUniqueItemToCollection(QString::fromUtf8(text));
        QVERIFY(list.ShutDown());
        QCOMPARE(list.Count(), 0);

        QCOMPARE(stored("mruFindString1"), QStringLiteral("first"));
        QCOMPARE(stored("mruFindString2"), QStringLiteral("  padded find  "));
        QCOMPARE(stored("mruFindString3"), QStringLiteral("third"));
        QCOMPARE(stored("mruFindString4"), QStringLiteral("MRU_DONE"));
        QCOMPARE(stored("mruFindString5"), QStringLiteral("<missing>"));
        QCOMPARE(listFrom(QByteArray()).clnMRU, (QStringList{"first", "  padded find  ", "third"}));
    }

    void aShorterListLeavesTheKeysBeyondItsTerminator()
    {
        clsMRU list = listFrom("[mruFindString]\nmruFindString1=a\nmruFindString2=b\nmruFindString3=c\n"
                               "mruFindString4=MRU_DONE\n");
        list.ClearAllItemsInList();
        list.AddUniqueItemToCollection(QStringLiteral("z"));
        QVERIFY(list.WriteCollectionToIniFile());
        QCOMPARE(stored("mruFindString1"), QStringLiteral("z"));
        QCOMPARE(stored("mruFindString2"), QStringLiteral("MRU_DONE"));
        QCOMPARE(stored("mruFindString3"), QStringLiteral("c"));
        QCOMPARE(listFrom(QByteArray()).clnMRU, QStringList{"z"});
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");

        QTest::newRow("no file") << QByteArray() << QStringList{};
        QTest::newRow("other section only") << QByteArray("[mruSource]\nmruSource1=a\n") << QStringList{};
        QTest::newRow("a missing key ends the list")
            << QByteArray("[mruFindString]\nmruFindString1=a\nmruFindString2=b\nmruFindString4=d\n")
            << QStringList{"a", "b"};
        QTest::newRow("the terminator ends it")
            << QByteArray("[mruFindString]\nmruFindString1=a\nmruFindString2=MRU_DONE\nmruFindString3=c\n")
            << QStringList{"a"};
        QTest::newRow("the missing-key marker ends it")
            << QByteArray("[mruFindString]\nmruFindString1=a\nmruFindString2=+-!#\nmruFindString3=c\n")
            << QStringList{"a"};
        QTest::newRow("one path twice collapses at the later place")
            << QByteArray("[mruFindString]\nmruFindString1=/in/a.doc\nmruFindString2=b\nmruFindString3=/in/a.doc\n")
            << QStringList{"b", "/in/a.doc"};
        QTest::newRow("paths that differ in case are both kept")
            << QByteArray("[mruFindString]\nmruFindString1=/IN/A.DOC\nmruFindString2=b\nmruFindString3=/in/a.doc\n")
            << QStringList{"/IN/A.DOC", "b", "/in/a.doc"};
        QTest::newRow("empty values are dropped")
            << QByteArray("[mruFindString]\nmruFindString1=\nmruFindString2=b\n") << QStringList{"b"};
        QTest::newRow("no more than the capacity is read")
            << QByteArray("[mruFindString]\nmruFindString1=1\nmruFindString2=2\nmruFindString3=3\nmruFindString4=4\n"
                          "mruFindString5=5\nmruFindString6=6\n")
            << QStringList{"1", "2", "3", "4", "5"};
        QTest::newRow("a long value comes back cut")
            << QByteArray("[mruFindString]\nmruFindString1=") + QByteArray(520, 'x') + "\n"
            << QStringList{QString(499, u'x')};
    }

    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, entries);
        const clsMRU list = listFrom(file);
        QCOMPARE(list.clnMRU, entries);
        QVERIFY(!list.Changed());
    }

    void aListOnlyReadIsNotWritten()
    {
        const QByteArray bytes = "[mruFindString]\nmruFindString1=a\n";   // no terminator, LF lines
        clsMRU list = listFrom(bytes);
        const ino_t inode = inodeOf(m_file);
        QVERIFY(list.ShutDown());
        QCOMPARE(testutil::readFile(m_file), bytes);
        QCOMPARE(inodeOf(m_file), inode);

        // Nor is an addition of nothing.
        clsMRU again = listFrom(QByteArray());
        again.AddUniqueItemToCollection(QString());
        QVERIFY(again.ShutDown());
        QCOMPARE(testutil::readFile(m_file), bytes);
    }

    void seedsFillOnlyAnEmptyList()
    {
        clsMRU seeded;
        seeded.Setup(5, m_file, QStringLiteral("mruFindString"), QStringLiteral("x,y,x,X"));
        QCOMPARE(seeded.clnMRU, (QStringList{"y", "x", "X"}));
        QVERIFY(!seeded.Changed());

        testutil::writeFile(m_file, "[mruFindString]\nmruFindString1=kept\n");
        clsMRU stored;
        stored.Setup(5, m_file, QStringLiteral("mruFindString"), QStringLiteral("x,y"));
        QCOMPARE(stored.clnMRU, QStringList{"kept"});
    }

    void existenceTestFollowsTheCaseFlag()
    {
        clsMRU list = listFrom("[mruFindString]\nmruFindString1=/In/A.doc\n");
        QVERIFY(list.bItemExistsInMRU(QStringLiteral("/In/A.doc"), true));
        QVERIFY(!list.bItemExistsInMRU(QStringLiteral("/in/a.doc"), true));
        QVERIFY(list.bItemExistsInMRU(QStringLiteral("/in/a.doc"), false));
    }

    void listsSharingAFileKeepToTheirSections()
    {
        clsMRU find = listFrom(QByteArray(), 5, QStringLiteral("mruFindString"));
        clsMRU replace = listFrom(QByteArray(), 5, QStringLiteral("mruReplaceString"));
        find.AddUniqueItemToCollection(QStringLiteral("needle"));
        replace.AddUniqueItemToCollection(QStringLiteral("thread"));
        QVERIFY(find.ShutDown());
        QVERIFY(replace.ShutDown());
        QCOMPARE(listFrom(QByteArray(), 5, QStringLiteral("mruFindString")).clnMRU, QStringList{"needle"});
        QCOMPARE(listFrom(QByteArray(), 5, QStringLiteral("mruReplaceString")).clnMRU, QStringList{"thread"});
    }

    void aFailedWriteIsReported()
    {
        clsMRU list;
        list.Setup(5, m_dir.filePath(QStringLiteral("no/such/folder/x.ini")), QStringLiteral("mruSource"),
                   QStringLiteral("-1"));
        list.AddUniqueItemToCollection(QStringLiteral("/in/a.doc"));
        QVERIFY(!list.ShutDown());
    }
};

QTEST_GUILESS_MAIN(TestMru)
#include "test_mru.moc"
