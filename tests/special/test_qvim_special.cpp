// The real program running a hand-made job of one task of each special
// process from its command line, as a user with folders of its own.
#include "QvimUser.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {

// One job-file line: every cell followed by a TAB, the line by CR LF.
QByteArray jobLine(const QStringList& cells)
{
    QString line;
    for (const QString& cell : cells)
        line += cell + u'\t';
    return (line + QStringLiteral("\r\n")).toUtf8();
}

} // namespace

class TestQvimSpecial : public QObject
{
    Q_OBJECT

    QvimUser m_user;

    QString path(const QString& sub) const { return m_user.path(sub); }
    void write(const QString& sub, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(sub)).path());
        QVERIFY2(testutil::writeFile(path(sub), bytes), qPrintable(sub));
    }
    QByteArray read(const QString& sub) const { return testutil::readFile(path(sub)); }

private slots:
    void aJobOfEverySpecialProcess()
    {
        write("in/parts/1.txt", "first\n");
        write("in/parts/2.txt", "second\n");
        write("in/parts/3.txt", "third\n");
        write("in/gaps.txt", "one\r\n\r\n   \r\ntwo\r\n\t\r\nthree\r\n");
        write("in/pets.txt", "cat and Cat and cat\n");
        QDir().mkpath(path("out"));

        const QString empty;
        QByteArray job;
        job += jobLine({empty, empty, "1", "S50", path("in/parts/*.txt"), "1", "TXT", path("out/all.txt"), "1", "TXT", empty});
        job += jobLine({empty, empty, "2", "S55", path("in/gaps.txt"), "1", "TXT", path("out/gaps.txt"), "1", "TXT", empty});
        job += jobLine({empty, "DJ          Find{{cat}}Replace{{dog}}", "3", "S56", path("in/pets.txt"), "1", "TXT",
                        path("out/pets.txt"), "1", "TXT", empty});
        job += jobLine({empty, "T32 S1 W60", "4", "S60", "/bin/sh", "0", empty,
                        "-c 'echo launched > \"" + path("out/launched.txt") + "\"'", "0", empty, empty});
        job += jobLine({empty, empty, "*", empty, empty, empty, empty, empty, empty, empty, empty});
        write("special.krj", job);

        QCOMPARE(m_user.qvim({"/J", path("special.krj"), "/L", path("run.log"), "/P"}), 0);

        QCOMPARE(read("out/all.txt"), QByteArray("first\nsecond\nthird\n"));
        QCOMPARE(read("out/gaps.txt"), QByteArray("one\r\ntwo\r\nthree\r\n"));
        QCOMPARE(read("out/pets.txt"), QByteArray("dog and Cat and dog\n"));
        QCOMPARE(read("out/launched.txt"), QByteArray("launched\n"));
        // The report of the replacements, in the settings folder.
        const QString report = QFileInfo(m_user.settingsFile()).dir().filePath(QStringLiteral("SearchAndReplace.TSV"));
        QCOMPARE(QString::fromUtf8(testutil::readFile(report)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts),
                 (QStringList{"Record\tLine\tColumn\tText Found\tFile", "0\t1\t1\tcat\t" + path("out/pets.txt"),
                              "1\t1\t17\tcat\t" + path("out/pets.txt")}));
        // The inputs are as they were.
        QCOMPARE(read("in/pets.txt"), QByteArray("cat and Cat and cat\n"));

        const QStringList log = m_user.logLines("run.log");
        QVERIFY2(log.contains(QStringLiteral("Job # 4  Exit Code: 0 - /bin/sh")), qPrintable(log.join(u'\n')));
        QVERIFY2(log.contains(QStringLiteral("Conversion Successful")), qPrintable(log.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestQvimSpecial)
#include "test_qvim_special.moc"
