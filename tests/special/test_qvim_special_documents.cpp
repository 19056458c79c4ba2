// The real program running append, remove empty lines and search and
// replace over documents (HTML, RTF, DOC, DOCX) from a job file. The DOC
// and DOCX inputs are made from an RTF by the office's own converter, and
// every output is read back by that converter's text export: an office
// process of the test's own, with a profile of its own, that shares nothing
// with the program's.
#include "../office/OfficeTestSupport.h"
#include "QvimUser.h"
#include "SpecialTestSupport.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace officetest;
using specialtest::jobEndLine;
using specialtest::specialTaskLine;

namespace {

// The office's command-line converter with a profile of its own.
class OfficeConverter
{
public:
    // Converts `files` into `folder` as `format` ("doc", or a filter such as
    // "txt:Text (encoded):UTF8,LF,,,false"); "" or what failed.
    QString convert(const QStringList& files, const QString& format, const QString& folder) const
    {
        QStringList args{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(m_profile.path()).toString(),
                         QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                         format, QStringLiteral("--outdir"), folder};
        const ToolResult r = runTool(QStringLiteral("soffice"), args + files, 300000);
        if (r.exitCode != 0)
            return QStringLiteral("soffice failed: ") + QString::fromLocal8Bit(r.err);
        for (const QString& file : files) {
            const QString made = QDir(folder).filePath(QFileInfo(file).completeBaseName() + u'.'
                                                       + format.section(u':', 0, 0));
            if (!QFileInfo(made).isFile())
                return QStringLiteral("soffice made no ") + made + QStringLiteral(": ") + QString::fromLocal8Bit(r.err);
        }
        return QString();
    }

    // The paragraphs of each document as the office's text export gives
    // them, each without the blanks around it, the empty ones at the end
    // left out.
    QList<QStringList> paragraphs(const QStringList& files, QString& error) const
    {
        QTemporaryDir folder;
        error = convert(files, QStringLiteral("txt:Text (encoded):UTF8,LF,,,false"), folder.path());
        QList<QStringList> all;
        for (const QString& file : files) {
            const QString text = QString::fromUtf8(
                testutil::readFile(QDir(folder.path()).filePath(QFileInfo(file).completeBaseName() + ".txt")));
            QStringList lines = text.split(u'\n');
            for (QString& line : lines)
                line = line.trimmed();
            while (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            all << lines;
        }
        return all;
    }

private:
    QTemporaryDir m_profile;
};

} // namespace

class TestQvimSpecialDocuments : public QObject
{
    Q_OBJECT

    OfficeConverter m_office;
    QTemporaryDir m_fixtures;

    QString fixture(const QString& name) const { return m_fixtures.filePath(name); }

private slots:
    void initTestCase()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        QVERIFY(m_fixtures.isValid());
        // Bold and centred lines, an empty and a blank paragraph between.
        const QByteArray gaps = rtfDocument("{\\b Kangaroo}\\par\\par\\qc Wombat crossing\\par\\pard    \\par Numbat end\\par");
        const QByteArray part = rtfDocument("Extra line\\par More\\par");
        const QByteArray first = rtfDocument("First line\\par");
        QVERIFY(testutil::writeFile(fixture("gaps.rtf"), gaps));
        QVERIFY(testutil::writeFile(fixture("part.rtf"), part));
        QVERIFY(testutil::writeFile(fixture("first.rtf"), first));
        QVERIFY(testutil::writeFile(fixture("gaps.htm"),
                                    "<html><body><p><b>Kangaroo</b></p><p><br></p><p align=\"center\">Wombat crossing</p>"
                                    "<p>&nbsp; &nbsp;</p><p>Numbat end</p></body></html>"));
        QVERIFY(testutil::writeFile(fixture("part.htm"), "<html><body><p>Extra line</p><p>More</p></body></html>"));
        QVERIFY(testutil::writeFile(fixture("first.htm"), "<html><body><p>First line</p></body></html>"));
        const QStringList rtfs{fixture("gaps.rtf"), fixture("part.rtf"), fixture("first.rtf")};
        for (const char* format : {"doc", "docx"}) {
            const QString made = m_office.convert(rtfs, QString::fromLatin1(format), m_fixtures.path());
            QVERIFY2(made.isEmpty(), qPrintable(made));
        }
    }

    void documentsKeepTheirLines_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("extension");
        QTest::newRow("4 HTML") << 4 << "htm";
        QTest::newRow("5 RTF") << 5 << "rtf";
        QTest::newRow("9 DOC") << 9 << "doc";
        QTest::newRow("13 DOCX") << 13 << "docx";
    }

    void documentsKeepTheirLines()
    {
        QFETCH(int, type);
        QFETCH(QString, extension);
        QvimUser user;
        const QString name = extension.toUpper();
        const QString gaps = user.path("in/gaps." + extension);
        const QString part = user.path("in/part." + extension);
        const QString all = user.path("out/all." + extension);
        const QString removed = user.path("out/removed." + extension);
        const QString replaced = user.path("out/replaced." + extension);
        user.copy(fixture("gaps." + extension), "in/gaps." + extension);
        user.copy(fixture("part." + extension), "in/part." + extension);
        user.copy(fixture("first." + extension), "out/all." + extension);
        const QByteArray input = testutil::readFile(gaps);

        QByteArray job;
        job += specialTaskLine(1, 50, QString(), part, all, type, name);
        job += specialTaskLine(2, 55, QString(), gaps, removed, type, name);
        job += specialTaskLine(3, 56, QStringLiteral("D          Find{{Wombat}}Replace{{Koala}}"), gaps, replaced, type,
                               name);
        job += jobEndLine();
        user.write("job.krj", job);

        QCOMPARE(user.qvim({"/J", user.path("job.krj"), "/L", user.path("run.log"), "/P"}), 0);
        QVERIFY2(user.logLines("run.log").contains(QStringLiteral("Conversion Successful")), qPrintable(user.log("run.log")));

        QString error;
        const QList<QStringList> read = m_office.paragraphs({gaps, all, removed, replaced}, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // The input as the reader sees it: an empty and a blank line between.
        QCOMPARE(read[0].join(u'|'), (QStringList{"Kangaroo", "", "Wombat crossing", "", "Numbat end"}).join(u'|'));
        QCOMPARE(read[1].join(u'|'), (QStringList{"First line", "Extra line", "More"}).join(u'|'));
        QCOMPARE(read[2].join(u'|'), (QStringList{"Kangaroo", "Wombat crossing", "Numbat end"}).join(u'|'));
        QCOMPARE(read[3].join(u'|'), (QStringList{"Kangaroo", "", "Koala crossing", "", "Numbat end"}).join(u'|'));
        QCOMPARE(testutil::readFile(gaps), input);
        QCOMPARE(user.entries("out"), (QStringList{"all." + extension, "removed." + extension, "replaced." + extension}));
    }
};

QTEST_GUILESS_MAIN(TestQvimSpecialDocuments)
#include "test_qvim_special_documents.moc"
