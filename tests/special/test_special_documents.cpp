// The document routes of the special processes against the installed
// LibreOffice: append with its page break and path headers, remove empty
// lines, search and replace in a document. Outputs are read back with
// unrtf, an RTF reader of its own. One job engine, and so one office
// engine, serves every case.
#include "../engine/EngineHarness.h"
#include "../txroute/RouteTestSupport.h"
#include "SpecialTestSupport.h"

#include "core/FileTypes.h"
#include "core/clsConversionOptions.h"
#include "engine/SpecialProcess.h"
#include "engine/TextControlRoute.h"
#include "office/OfficeEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace officetest;
using namespace routetest;
using specialtest::specialItem;

namespace {

// The paragraphs of an RTF file as unrtf reads them.
QStringList rtfParagraphs(const QString& path)
{
    const ToolResult r = runTool(QStringLiteral("unrtf"), {QStringLiteral("--text"), path});
    if (r.exitCode != 0)
        return {QStringLiteral("unrtf failed: ") + QString::fromLocal8Bit(r.err)};
    QStringList lines = QString::fromUtf8(r.out).split(u'\n');
    // Its header: comment lines, then a rule.
    while (!lines.isEmpty() && !lines.first().startsWith(QLatin1String("-----")))
        lines.removeFirst();
    if (!lines.isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        line = line.trimmed();
    return lines;
}

// The RTF's text from `from` on: where a page break stands (\page, or a
// paragraph that starts a page, \pagebb) as "<page>".
QString rtfWithPageBreaks(const QString& path)
{
    QString rtf = QString::fromLatin1(testutil::readFile(path));
    static const QRegularExpression pageBreak(QStringLiteral("\\\\page(bb)?(?![a-z])"));
    return rtf.replace(pageBreak, QStringLiteral("<page>"));
}

} // namespace

class TestSpecialDocuments : public QObject
{
    Q_OBJECT

    std::unique_ptr<EngineHarness> m_h;
    ScratchFolder m_dir;

    QString path(const QString& name) const { return m_dir.path(name); }
    QString write(const QString& name, const QByteArray& bytes) const { return m_dir.write(name, bytes); }
    int run(clsConversionOptions& item) { return PerformSpecialProcessItem(m_h->engine, item); }

private slots:
    void initTestCase()
    {
        ROUTE_TEST_REQUIRE_OFFICE();
        QVERIFY(m_dir.isValid());
        m_h = std::make_unique<EngineHarness>();
    }

    void init()
    {
        m_h->startFromFirstRun();
        m_h->engine.TextControls().Engine().setLoadTimeout(120000);
        m_h->engine.TextControls().Engine().setSaveTimeout(120000);
    }

    void cleanupTestCase() { m_h.reset(); }

    void appendToAMissingOutputWithBothOptions()
    {
        m_h->form.cbAddPageBrake = true;
        m_h->form.cbPlacePathAtTopOfEachFile = true;
        const QString in = write("append1/in/first.rtf", rtfDocument("Alpha content\\par"));
        const QString out = path("append1/out/all.rtf");   // its folder is made too
        clsConversionOptions item = specialItem(50, in, out, filetype::Rtf);

        QCOMPARE(run(item), 0);
        QCOMPARE(item.sErr, QStringLiteral("Successfully Processed."));
        QCOMPARE(rtfParagraphs(out), (QStringList{out, in, "Alpha content"}));
        const QString rtf = rtfWithPageBreaks(out);
        const qsizetype outAt = rtf.indexOf(out);
        const qsizetype pageAt = rtf.indexOf(QStringLiteral("<page>"));
        const qsizetype inAt = rtf.indexOf(in);
        QVERIFY2(outAt >= 0 && outAt < pageAt && pageAt < inAt, qPrintable(rtf));
        QCOMPARE(rtf.count(QStringLiteral("<page>")), 1);
        // The input itself is never changed.
        QCOMPARE(testutil::readFile(in), rtfDocument("Alpha content\\par"));

        // A second item finds the output's path already there.
        const QString second = write("append1/in/second.rtf", rtfDocument("Beta content\\par"));
        clsConversionOptions next = specialItem(50, second, out, filetype::Rtf);
        QCOMPARE(run(next), 0);
        QCOMPARE(rtfParagraphs(out), (QStringList{out, in, "Alpha content", second, "Beta content"}));
        QCOMPARE(rtfWithPageBreaks(out).count(QStringLiteral("<page>")), 2);
    }

    void appendWithoutOptions_data()
    {
        QTest::addColumn<bool>("pageBreak");
        QTest::addColumn<int>("breaks");
        QTest::newRow("no options") << false << 0;
        // Nothing to break away from in an empty output.
        QTest::newRow("page break, empty output") << true << 0;
    }

    void appendWithoutOptions()
    {
        QFETCH(bool, pageBreak);
        QFETCH(int, breaks);
        m_h->form.cbAddPageBrake = pageBreak;
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_').remove(u',');
        const QString in = write(tag + "/a.rtf", rtfDocument("Only\\par"));
        const QString out = path(tag + "/all.rtf");
        clsConversionOptions item = specialItem(50, in, out, filetype::Rtf);
        QCOMPARE(run(item), 0);
        QCOMPARE(rtfParagraphs(out), QStringList{"Only"});
        QCOMPARE(rtfWithPageBreaks(out).count(QStringLiteral("<page>")), breaks);
    }

    void appendOfAnInputThatCannotBeLoaded()
    {
        const QString in = write("append3/broken.doc", "not a document at all");
        clsConversionOptions item = specialItem(50, in, path("append3/all.doc"), filetype::Doc);
        // The input is what failed, with the office's reason; no output is made.
        QCOMPARE(run(item), -3);
        const QString message =
            " Unable to open input file. Check file format. Could be a sharing violation: (" + in + ") - ";
        QVERIFY2(item.sErr.startsWith(message) && item.sErr.size() > message.size(), qPrintable(item.sErr));
        QVERIFY(!QFileInfo::exists(path("append3/all.doc")));
    }

    void appendOntoAnOutputThatCannotBeLoadedLeavesIt()
    {
        const QString in = write("append4/a.rtf", rtfDocument("Fine\\par"));
        const QByteArray broken("not a document at all");
        const QString out = write("append4/all.doc", broken);
        clsConversionOptions item = specialItem(50, in, out, filetype::Doc);
        item.lOriginalFileType = filetype::Rtf;
        QCOMPARE(run(item), -2);
        QCOMPARE(testutil::readFile(out), broken);
    }

    void removeEmptyLinesKeepsTheOthersApart()
    {
        const QString in = write("remove/in.rtf", rtfDocument("{\\b First line}\\par\\par\\qc Third line\\par"));
        const QString out = path("remove/out.rtf");
        clsConversionOptions item = specialItem(55, in, out, filetype::Rtf);
        QCOMPARE(run(item), 0);
        QCOMPARE(rtfParagraphs(out), (QStringList{"First line", "Third line"}));
        // The lines kept keep their formatting: bold, and a centred paragraph.
        const QString rtf = QString::fromLatin1(testutil::readFile(out));
        QVERIFY2(rtf.contains(QRegularExpression(QStringLiteral("\\\\b(?![a-z])"))), qPrintable(rtf));
        QVERIFY2(rtf.contains(QStringLiteral("\\qc")), qPrintable(rtf));

        // Blank paragraphs and one of tabs go too; an empty document stays empty.
        const QString blanks = write("remove/blanks.rtf", rtfDocument("A\\par   \\par\\tab\\par B\\par\\par"));
        clsConversionOptions blankItem = specialItem(55, blanks, blanks, filetype::Rtf);
        QCOMPARE(run(blankItem), 0);
        QCOMPARE(rtfParagraphs(blanks).join(u'|'), QStringLiteral("A|B"));

        const QString empty = write("remove/empty.rtf", rtfDocument(""));
        clsConversionOptions emptyItem = specialItem(55, empty, path("remove/empty-out.rtf"), filetype::Rtf);
        QCOMPARE(run(emptyItem), 0);
        QCOMPARE(rtfParagraphs(path("remove/empty-out.rtf")), QStringList());
    }

    // A Unicode text going into a document goes through the office: every
    // line end of its style ends a paragraph, and no character moves.
    void unicodeTextIntoADocument_data()
    {
        QTest::addColumn<QString>("lineEnd");
        QTest::newRow("LF") << "\n";
        QTest::newRow("CR LF") << "\r\n";
        QTest::newRow("CR") << "\r";
    }

    void unicodeTextIntoADocument()
    {
        QFETCH(QString, lineEnd);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).remove(u' ');
        const auto utf16 = [&](const QStringList& lines) {
            QByteArray bytes("\xFF\xFE", 2);
            for (const QChar c : QString(lines.join(lineEnd) + lineEnd))
                bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            return bytes;
        };
        const QString in = write("unicode-" + tag + "/in.txt",
                                 utf16({"Kangaroo", "", "Wombat crossing", "  ", "Numbat end"}));
        const QString removed = path("unicode-" + tag + "/removed.rtf");
        clsConversionOptions remove = specialItem(55, in, removed, filetype::Rtf);
        remove.lOriginalFileType = filetype::UnicodeText;
        QCOMPARE(run(remove), 0);
        QCOMPARE(rtfParagraphs(removed), (QStringList{"Kangaroo", "Wombat crossing", "Numbat end"}));

        const QString all = write("unicode-" + tag + "/all.rtf", rtfDocument("First line\\par"));
        const QString part = write("unicode-" + tag + "/part.txt", utf16({"Extra line", "More"}));
        clsConversionOptions append = specialItem(50, part, all, filetype::Rtf);
        append.lOriginalFileType = filetype::UnicodeText;
        QCOMPARE(run(append), 0);
        QCOMPARE(rtfParagraphs(all), (QStringList{"First line", "Extra line", "More"}));
    }

    // Fields show more text than the one place they take, and a table's
    // cells are texts of their own: neither may shift what is removed or
    // replaced. A blank paragraph that starts a page stays.
    void fieldsTablesAndPageBreaksStayWhole_data()
    {
        QTest::addColumn<QString>("input");   // a file name below the scratch folder or the corpus
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::newRow("fields") << "fields.rtf" << int(filetype::Rtf) << "Wombat" << "Koala";
        QTest::newRow("a table") << TESSAVIEW_CORPUS "/docx/tables.docx" << int(filetype::Docx) << "right" << "RIGHT";
    }

    void fieldsTablesAndPageBreaksStayWhole()
    {
        QFETCH(QString, input);
        QFETCH(int, type);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        const QString tag = QString::fromLatin1(QTest::currentDataTag()).remove(u' ');
        if (!input.startsWith(u'/'))
            input = write(tag + "/" + input,
                          rtfDocument("Date {\\field{\\*\\fldinst DATE \\\\@ \"dddd d MMMM yyyy\"}{\\fldrslt Monday 1 "
                                      "January 2001}} here\\par\\par Wombat crossing\\par   \\par Last "
                                      "page\\par\\pard\\pagebb\\par Numbat end\\par"));
        QVERIFY(QDir().mkpath(path(tag)));
        const auto runInto = [&](int process, const QString& out, const QString& what, const QString& with) {
            clsConversionOptions item = specialItem(process, input, path(tag + "/" + out), filetype::Rtf);
            item.lOriginalFileType = type;
            item.bCaseSensitive = true;
            item.sFindString = what;
            item.sReplaceString = with;
            return run(item);
        };
        // The document as it is, saved as RTF by a search that finds nothing.
        QCOMPARE(runInto(56, "as-is.rtf", "no such text", "x"), 0);
        QCOMPARE(runInto(55, "removed.rtf", QString(), QString()), 0);
        QCOMPARE(runInto(56, "replaced.rtf", find, replacement), 0);
        const QStringList asIs = rtfParagraphs(path(tag + "/as-is.rtf"));

        QStringList expectedRemoved;
        for (const QString& line : asIs)
            if (!line.isEmpty())
                expectedRemoved << line;
        const QStringList removed = rtfParagraphs(path(tag + "/removed.rtf"));
        QStringList removedText = removed;
        removedText.removeAll(QString());
        QCOMPARE(removedText, expectedRemoved);
        // The page still breaks before the last line.
        QCOMPARE(rtfWithPageBreaks(path(tag + "/removed.rtf")).count(QStringLiteral("<page>")),
                 rtfWithPageBreaks(path(tag + "/as-is.rtf")).count(QStringLiteral("<page>")));

        QStringList expectedReplaced = asIs;
        expectedReplaced.replaceInStrings(find, replacement);
        QCOMPARE(rtfParagraphs(path(tag + "/replaced.rtf")), expectedReplaced);
        QVERIFY2(expectedReplaced != asIs, qPrintable(asIs.join(u'|')));

        // Appended, the document comes whole after what the output held.
        const QString all = write(tag + "/all.rtf", rtfDocument("First line\\par"));
        clsConversionOptions append = specialItem(50, input, all, filetype::Rtf);
        append.lOriginalFileType = type;
        QCOMPARE(run(append), 0);
        QCOMPARE(rtfParagraphs(all), QStringList{"First line"} + asIs);
    }

    // A line that holds nothing but a picture is no empty line, and an
    // appended document brings its pictures.
    void aPictureIsKept_data()
    {
        QTest::addColumn<int>("process");
        QTest::newRow("append") << 50;
        QTest::newRow("remove empty lines") << 55;
    }

    void aPictureIsKept()
    {
        QFETCH(int, process);
        const QString out = path(QStringLiteral("picture/%1.rtf").arg(process));
        QVERIFY(QDir().mkpath(path("picture")));
        clsConversionOptions item =
            specialItem(process, QStringLiteral(TESSAVIEW_CORPUS "/docx/tiny-picture.docx"), out, filetype::Rtf);
        item.lOriginalFileType = filetype::Docx;
        QCOMPARE(run(item), 0);
        const QByteArray rtf = testutil::readFile(out);
        QVERIFY2(rtf.contains("\\pict"), rtf.constData());
    }

    void replaceInDocument_data()
    {
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("paragraphs");
        QTest::newRow("backward scan") << true << "aa" << "X" << QByteArray("aaa\\par") << QStringList{"aX"};
        QTest::newRow("a replacement is not searched again")
            << true << "a" << "aa" << QByteArray("aaa\\par") << QStringList{"aaaaaa"};
        QTest::newRow("without case") << false << "abc" << "x" << QByteArray("ABC abc\\par") << QStringList{"x x"};
        QTest::newRow("with case") << true << "abc" << "x" << QByteArray("ABC abc\\par") << QStringList{"ABC x"};
        QTest::newRow("a coded line end splits the paragraph")
            << true << ";" << QStringLiteral("\u00A913\u00A9\u00A910\u00A9") << QByteArray("one;two\\par")
            << QStringList{"one", "two"};
        QTest::newRow("no match") << true << "zzz" << "x" << QByteArray("abc\\par") << QStringList{"abc"};
    }

    void replaceInDocument()
    {
        QFETCH(bool, caseSensitive);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QByteArray, body);
        QFETCH(QStringList, paragraphs);
        const QString in = write("replace/in.rtf", rtfDocument(body));
        const QString out = path("replace/out.rtf");
        QFile::remove(out);
        clsConversionOptions item = specialItem(56, in, out, filetype::Rtf);
        item.bCaseSensitive = caseSensitive;
        item.sFindString = find;
        item.sReplaceString = replacement;
        QCOMPARE(run(item), 0);
        QCOMPARE(item.sErr, QStringLiteral("Successfully Processed."));
        QCOMPARE(rtfParagraphs(out), paragraphs);
    }

    void replaceInAnEmptyDocumentStillWritesTheOutput()
    {
        const QString in = write("replace-empty/in.rtf", rtfDocument(""));
        const QString out = path("replace-empty/out.rtf");
        clsConversionOptions item = specialItem(56, in, out, filetype::Rtf);
        item.sFindString = QStringLiteral("a");
        QCOMPARE(run(item), 0);
        QVERIFY(QFileInfo(out).size() > 0);
        QCOMPARE(rtfParagraphs(out), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSpecialDocuments)
#include "test_special_documents.moc"
