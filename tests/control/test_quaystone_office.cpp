// The Word-conversion control through its library (libquaystone.so, loaded
// as the program loads it and called by dispatch id) against the installed
// LibreOffice: every input type to PDF and to the document formats,
// passwords on the way in and out, conversions onto the source and over an
// old output, one office kept while OptimizeForSpeed asks for it, a killed
// office replaced, and none left when the control goes.
#include "ControlTestSupport.h"

#include "control/QuaystoneIds.h"
#include "dispatch/Dispatch.h"

#include <QTest>

#include <csignal>
#include <thread>
#include <unistd.h>

using namespace officetest;
using namespace controltest;
namespace id = quaystone::dispid;

namespace {

const QString kDemo = QStringLiteral(TESSAVIEW_DEMO_DATA);

} // namespace

class TestQuaystoneOffice : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<DispatchLibrary> m_library;
    std::unique_ptr<DispatchClient> m_control;
    ScratchFolder m_dir;
    QStringList m_events;

    QString path(const QString& name) const { return m_dir.path(name); }

    int convert(const QString& source, const QString& target, int type)
    {
        m_events.clear();
        return m_control->Call(id::OpenWordSaveAs, {source, target, type}).toInt();
    }

    QString errorString() { return m_control->Get(id::ErrorString).toString(); }

    QStringList leftovers(const QStringList& expected) const
    {
        QStringList files = QDir(m_dir.folder()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& e : expected)
            files.removeAll(e);
        return files;
    }

private slots:
    void initTestCase()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        QVERIFY(m_dir.isValid());
        qputenv("TMPDIR", m_dir.folder().toUtf8());
        QString error;
        m_library = DispatchLibrary::Open(QStringLiteral(QUAYSTONE_LIBRARY_PATH), error);
        QVERIFY2(m_library, qPrintable(error));
        m_control = m_library->CreateObject(QStringLiteral(QUAYSTONE_PROGID));
        m_control->Load({{"msStateFile", "/usr/QSTX.INI"}, {"bUseStateFile", true}});
        m_control->Advise([this](int dispid, const QVariantList& args) {
            if (dispid == id::OnError)
                m_events << QStringLiteral("%1:%2").arg(args.value(0).toInt()).arg(args.value(1).toString());
        });
        QVERIFY(!m_library->CanUnloadNow());

        // One office for the whole executable.
        m_control->Put(id::OptimizeForSpeed, true);
        QVERIFY(m_control->Get(id::OptimizeForSpeed).toBool());
    }

    void cleanupTestCase()
    {
        if (!m_control)
            return;
        // The control's own end quits its office, with OptimizeForSpeed
        // still on.
        QCOMPARE(convert(kDemo + "/Sample Rich Text.rtf", path("last.pdf"), 17), 0);
        QCOMPARE(officeProcesses().size(), 1);
        m_control.reset();
        QCOMPARE(officeProcesses(), QList<qint64>());
        QVERIFY(m_library->CanUnloadNow());
    }

    void init() { m_events.clear(); }

    void versionAndBuild()
    {
        QVERIFY(m_control->Call(id::WordIsInstalled).toBool());
        QCOMPARE(m_control->Get(id::WordVersion).toDouble(), 16.0);
        // The build is the last number of LibreOffice's own version.
        const ToolResult version = runTool(QStringLiteral(TESSAVIEW_LO_PROGRAM_DIR "/soffice.bin"), {"--version"});
        const QRegularExpression number(QStringLiteral("LibreOffice [0-9.]*\\.([0-9]+) "));
        const auto match = number.match(QString::fromUtf8(version.out));
        QVERIFY2(match.hasMatch(), version.out.constData());
        QCOMPARE(m_control->Get(id::WordBuild).toInt(), match.captured(1).toInt());
    }

    void inputsAndOutputs_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("phrase");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("extension");
        const QList<QPair<QString, QString>> inputs = {
            {"Sample Word Document.docx", "An old clock ticks in the empty hallway."},
            {"Sample Word 97 Document.doc", "Seven swans glide across the mill pond."},
            {"Sample Rich Text.rtf", "A copper kettle sings on the stove."},
            {"Sample Web Page.html", "The first list item mentions a lighthouse."},
            {"Sample Text.txt", "The blue heron waits by the harbour wall."},
            {"Sample Unicode Text.txt", "UTF-16 little-endian with a byte-order mark."},
        };
        const QList<QPair<int, QString>> outputs = {{17, "pdf"}, {12, "docx"}, {0, "doc"}, {6, "rtf"}, {23, "odt"}};
        for (const auto& [input, phrase] : inputs)
            for (const auto& [type, extension] : outputs)
                QTest::addRow("%s to %s", qPrintable(input), qPrintable(extension)) << input << phrase << type << extension;
    }

    void inputsAndOutputs()
    {
        QFETCH(QString, input);
        QFETCH(QString, phrase);
        QFETCH(int, type);
        QFETCH(QString, extension);
        const QString out = path(QFileInfo(input).completeBaseName() + QStringLiteral("-%1.").arg(type) + extension);
        QCOMPARE(convert(kDemo + u'/' + input, out, type), 0);
        QVERIFY(m_events.isEmpty());
        const QString text = outputText(out);
        QVERIFY2(text.contains(phrase), qPrintable(text.left(400)));
    }

    void charactersOfTextInputs_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("Windows-1252") << "Sample Text.txt" << QStringLiteral("Café au lait costs 2,50 €");
        QTest::newRow("UTF-16 with its mark") << "Sample Unicode Text.txt" << QStringLiteral("Καλημέρα κόσμε");
        QTest::newRow("XML") << "Sample Data.xml" << QStringLiteral("The Orchard Keeper's Almanac");
    }

    void charactersOfTextInputs()
    {
        QFETCH(QString, input);
        QFETCH(QString, phrase);
        const QString pdf = path(QStringLiteral("chars-") + QTest::currentDataTag() + QStringLiteral(".pdf"));
        QCOMPARE(convert(kDemo + u'/' + input, pdf, 17), 0);
        QVERIFY2(pdfText(pdf).contains(phrase), qPrintable(pdfText(pdf)));
    }

    void moreDocumentFormats_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("entry");     // zip entry to look into, or ""
        QTest::addColumn<QByteArray>("marker"); // what that entry or the bytes hold
        QTest::newRow("13 DOCM") << 13 << "out.docm" << "[Content_Types].xml" << QByteArray("macroEnabled");
        QTest::newRow("23 ODT") << 23 << "out.odt" << "mimetype" << QByteArray("application/vnd.oasis.opendocument.text");
        QTest::newRow("2 text") << 2 << "out.txt" << "" << QByteArray("An old clock ticks");
        QTest::newRow("7 Unicode text") << 7 << "out16.txt" << "" << QByteArray("\xFF\xFE", 2);
        QTest::newRow("8 HTML") << 8 << "out.html" << "" << QByteArray("<html");
        QTest::newRow("16 DOCX") << 16 << "out16.docx" << "[Content_Types].xml" << QByteArray("wordprocessingml.document.main");
    }

    void moreDocumentFormats()
    {
        QFETCH(int, type);
        QFETCH(QString, file);
        QFETCH(QString, entry);
        QFETCH(QByteArray, marker);
        QCOMPARE(convert(kDemo + "/Sample Word Document.docx", path(file), type), 0);
        const QByteArray bytes = entry.isEmpty() ? testutil::readFile(path(file)) : zipEntry(path(file), entry);
        QVERIFY2(bytes.contains(marker), bytes.left(200).constData());
        QVERIFY(outputText(path(file)).contains(QLatin1String("An old clock ticks")));
    }

    void anUnsupportedFormatIsRefused()
    {
        const QString out = m_dir.write(QStringLiteral("kept.xps"), "previous output");
        QCOMPARE(convert(kDemo + "/Sample Word Document.docx", out, 18), -10);
        QVERIFY2(errorString().contains(QLatin1String("save format 18 is not offered")), qPrintable(errorString()));
        QCOMPARE(m_events, QStringList{"-10:" + errorString()});
        QCOMPARE(testutil::readFile(out), QByteArray("previous output"));
    }

    void passwords_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("file");
        QTest::newRow("DOCX") << 12 << "locked.docx";
        QTest::newRow("DOC") << 0 << "locked.doc";
    }

    void passwords()
    {
        QFETCH(int, type);
        QFETCH(QString, file);
        // Written with an open password...
        m_control->Put(id::OutputFile_PassWord, QStringLiteral("right-pw"));
        QCOMPARE(convert(kDemo + "/Sample Rich Text.rtf", path(file), type), 0);
        m_control->Put(id::OutputFile_PassWord, QString());
        const QByteArray locked = testutil::readFile(path(file));
        QVERIFY(locked.startsWith("\xD0\xCF\x11\xE0")); // encrypted: no zip, no plain text
        QVERIFY(!outputText(path(file)).contains(QLatin1String("A copper kettle")));
        QVERIFY(m_control->Call(id::WordDocIsPasswordProtected, {path(file)}).toBool());

        // ...opened with it, and with nothing else.
        const QString pdf = path(file + QStringLiteral(".pdf"));
        for (const QString& wrong : {QStringLiteral("wrong-pw"), QString()}) {
            m_control->Put(id::InputFile_PassWord, wrong);
            QCOMPARE(convert(path(file), pdf, 17), -10);
            QCOMPARE(errorString(), QStringLiteral("Unable to open file. Could be a password or network access issue"));
            QCOMPARE(m_events, QStringList{"-10:" + errorString()});
            QVERIFY(!QFile::exists(pdf));
        }
        m_control->Put(id::InputFile_PassWord, QStringLiteral("right-pw"));
        QCOMPARE(convert(path(file), pdf, 17), 0);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("A copper kettle sings on the stove.")));
        m_control->Put(id::InputFile_PassWord, QString());
        QVERIFY(!m_control->Call(id::WordDocIsPasswordProtected, {QString(kDemo + "/Sample Rich Text.rtf")}).toBool());
    }

    void conversionOntoTheSource()
    {
        const QString docx = path(QStringLiteral("inplace.docx"));
        QVERIFY(QFile::copy(kDemo + "/Sample Word Document.docx", docx));
        const QByteArray original = testutil::readFile(docx);

        // A failed store (no password fits RTF) leaves the source as it was
        // and nothing beside it.
        const QString rtf = path(QStringLiteral("inplace.rtf"));
        QVERIFY(QFile::copy(kDemo + "/Sample Rich Text.rtf", rtf));
        m_control->Put(id::OutputFile_PassWord, QStringLiteral("pw"));
        QCOMPARE(convert(rtf, rtf, 6), -10);
        m_control->Put(id::OutputFile_PassWord, QString());
        QVERIFY2(errorString().contains(QLatin1String("cannot be protected")), qPrintable(errorString()));
        QCOMPARE(testutil::readFile(rtf), testutil::readFile(kDemo + "/Sample Rich Text.rtf"));
        QCOMPARE(convert(docx, docx, 99), -10);
        QCOMPARE(testutil::readFile(docx), original);
        QCOMPARE(leftovers({}).filter(QStringLiteral("inplace")), (QStringList{"inplace.docx", "inplace.rtf"}));
        QCOMPARE(leftovers({}).filter(QStringLiteral(".krj")), QStringList());

        // A conversion that works replaces it: the DOCX becomes a PDF.
        QCOMPARE(convert(docx, docx, 17), 0);
        QVERIFY(testutil::readFile(docx).startsWith("%PDF"));
        QVERIFY(pdfText(docx).contains(QStringLiteral("An old clock ticks")));
        QCOMPARE(leftovers({}).filter(QStringLiteral(".krj")), QStringList());
    }

    void anOldOutputSurvivesAFailedConversion()
    {
        const QString out = m_dir.write(QStringLiteral("old.pdf"), "previous output");
        const QString damaged = m_dir.write(QStringLiteral("damaged.docx"), "PK\x03\x04 no zip at all");
        QCOMPARE(convert(damaged, out, 17), -10);
        QCOMPARE(testutil::readFile(out), QByteArray("previous output"));
        QCOMPARE(leftovers({}).filter(QStringLiteral(".part")), QStringList());
    }

    void testSaveAsPdf()
    {
        QCOMPARE(m_control->Call(id::TestSaveAsPDF).toInt(), 0);
        QVERIFY(m_events.isEmpty());
        QCOMPARE(QDir(m_dir.folder()).entryList({QStringLiteral("Del*.DOC")}, QDir::Files), QStringList());
    }

    void oneOfficeWhileOptimizeForSpeed()
    {
        QCOMPARE(convert(kDemo + "/Sample Rich Text.rtf", path("speed1.pdf"), 17), 0);
        const QList<qint64> first = officeProcesses();
        QCOMPARE(first.size(), 1);
        QCOMPARE(convert(kDemo + "/Sample Word Document.docx", path("speed2.pdf"), 17), 0);
        QCOMPARE(officeProcesses(), first);

        // Off: the office goes now, and each conversion has one of its own.
        m_control->Put(id::OptimizeForSpeed, false);
        QCOMPARE(officeProcesses(), QList<qint64>());
        QCOMPARE(convert(kDemo + "/Sample Rich Text.rtf", path("speed3.pdf"), 17), 0);
        QCOMPARE(officeProcesses(), QList<qint64>());
        QVERIFY(pdfText(path("speed3.pdf")).contains(QStringLiteral("A copper kettle")));
        m_control->Put(id::OptimizeForSpeed, true);
    }

    void aKilledOfficeIsReplaced()
    {
        QCOMPARE(convert(kDemo + "/Sample Rich Text.rtf", path("before-kill.pdf"), 17), 0);
        const QList<qint64> before = officeProcesses();
        QCOMPARE(before.size(), 1);
        QCOMPARE(::kill(pid_t(before.first()), SIGKILL), 0);

        QCOMPARE(convert(kDemo + "/Sample Word Document.docx", path("after-kill.pdf"), 17), 0);
        QVERIFY(pdfText(path("after-kill.pdf")).contains(QStringLiteral("An old clock ticks")));
        const QList<qint64> after = officeProcesses();
        QCOMPARE(after.size(), 1);
        QVERIFY(after.first() != before.first());
    }

    void anOfficeKilledDuringAConversionIsAFailure()
    {
        const QString big = m_dir.write(QStringLiteral("big.html"), bigHtml(20000));
        QCOMPARE(convert(kDemo + "/Sample Rich Text.rtf", path("warm.pdf"), 17), 0);
        const QList<qint64> office = officeProcesses();
        QCOMPARE(office.size(), 1);
        std::thread killer([pid = pid_t(office.first())] {
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            ::kill(pid, SIGKILL);
        });
        const int result = convert(big, path("big.pdf"), 17);
        killer.join();
        QCOMPARE(result, -10);
        QCOMPARE(m_events.size(), 1);
        QVERIFY(!QFile::exists(path("big.pdf")));

        QCOMPARE(convert(kDemo + "/Sample Rich Text.rtf", path("after.pdf"), 17), 0);
        QVERIFY(pdfText(path("after.pdf")).contains(QStringLiteral("A copper kettle")));
    }
};

QTEST_GUILESS_MAIN(TestQuaystoneOffice)
#include "test_quaystone_office.moc"
