// The office engine against the installed LibreOffice: every input type to
// PDF, PDF/A, PDF security, document outputs, protected inputs, damaged
// inputs, an office that hangs or is killed, and clean shutdown.
#include "base/OwnedTempFolder.h"
#include "office/OfficeEngine.h"
#include "office/OfficeProfiles.h"

#include "OfficeTestSupport.h"
#include "TestUtil.h"
#include "ZipFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <csignal>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace officetest;

Q_DECLARE_METATYPE(OfficeInputFormat)
Q_DECLARE_METATYPE(OfficeOutputFormat)
Q_DECLARE_METATYPE(OfficeFailure)

namespace {

// One paragraph of RTF.
QByteArray Rtf(const QByteArray& text)
{
    return rtfDocument(text + "\\par");
}

QByteArray Utf16WithBom(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}


bool ProcessExists(pid_t pid)
{
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

} // namespace

class TestOfficeEngine : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<OfficeEngine> m_engine;
    ScratchFolder m_dir;

    QString path(const QString& name) const { return m_dir.path(name); }
    QString write(const QString& name, const QByteArray& bytes) { return m_dir.write(name, bytes); }

    // A document of the given format holding `text`, made by the engine
    // from an RTF file.
    QString makeDocument(const QString& name, OfficeOutputFormat format, const QByteArray& text,
                         const QString& password = QString())
    {
        const QString rtf = write(name + QStringLiteral(".src.rtf"), Rtf(text));
        OfficeSaveOptions save;
        save.format = format;
        save.documentPassword = password;
        const OfficeStatus status = m_engine->convert(rtf, OfficeLoadOptions{}, path(name), save);
        if (!status.ok())
            qFatal("cannot make %s: %s", qPrintable(name), qPrintable(status.message));
        return path(name);
    }

    QStringList leftoverTempFiles() const
    {
        return QDir(m_dir.folder()).entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
    }

    void restoreTimeouts()
    {
        m_engine->setLoadTimeout(120000);
        m_engine->setSaveTimeout(120000);
    }

private slots:
    void initTestCase()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("docx/single-paragraph.docx"), QStringLiteral("docx/tables.docx"));
        QVERIFY(m_dir.isValid());
        m_engine = OfficeEngine::Create();
        m_engine->setKeepAlive(true);
        const OfficeStatus status = m_engine->start();
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(m_engine->processId() > 0);
    }

    void cleanupTestCase()
    {
        if (!m_engine)
            return;
        // Destroying the engine leaves no office of ours running.
        QVERIFY(m_engine->start().ok());
        const pid_t pid = m_engine->processId();
        QVERIFY(ProcessExists(pid));
        m_engine.reset();
        QVERIFY2(!ProcessExists(pid), "the office outlived its engine");
        // An office that agreed to quit is ended without its tidying; its
        // profile goes all the same.
        const QStringList profiles = OwnedTempFoldersOfThisProcess(kOfficeProfileKind);
        QVERIFY2(profiles.isEmpty(), qPrintable(profiles.join(QLatin1Char(' '))));

        // Offices killed on the way left no pipe sockets behind.
        const QStringList sockets = QDir(QStringLiteral("/tmp")).entryList(
            {QStringLiteral("OSL_PIPE_%1_tessaview_%2_*").arg(::geteuid()).arg(QCoreApplication::applicationPid())},
            QDir::System | QDir::Hidden | QDir::AllEntries);
        QVERIFY2(sockets.isEmpty(), qPrintable(sockets.join(QLatin1Char(' '))));
    }

    void init() { restoreTimeouts(); }

    void inputToPdf_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<OfficeInputFormat>("format");
        QTest::addColumn<QString>("expected");

        QTest::newRow("text UTF-8") << "utf8.txt" << QByteArray("Plain caf\xC3\xA9 text\nsecond line\n")
                                    << OfficeInputFormat::Text << QStringLiteral("Plain café text");
        QTest::newRow("text Windows-1252") << "ansi.txt" << QByteArray("Price 5 \x80, na\xEFve\r\n")
                                           << OfficeInputFormat::Text << QStringLiteral("Price 5 €, naïve");
        QTest::newRow("text UTF-16 with BOM") << "wide.txt" << Utf16WithBom(QStringLiteral("Wide \u0416\u00E9 text\r\n"))
                                              << OfficeInputFormat::Text << QStringLiteral("Wide Жé text");
        QTest::newRow("HTML") << "page.html"
                              << QByteArray("<html><head><title>t</title></head><body><h1>Heading one</h1>"
                                            "<p>Body of the <b>page</b></p></body></html>")
                              << OfficeInputFormat::Html << QStringLiteral("Body of the page");
        QTest::newRow("RTF") << "doc.rtf" << Rtf("Rich text body") << OfficeInputFormat::WordProcessing
                             << QStringLiteral("Rich text body");
        QTest::newRow("HTML saved as a document") << "web.doc" << QByteArray("<html><body><p>Web page as doc</p></body></html>")
                                                  << OfficeInputFormat::WordProcessing << QStringLiteral("Web page as doc");
        QTest::newRow("XML as text") << "data.xml" << QByteArray("<?xml version=\"1.0\"?><items><item>Alpha</item></items>")
                                     << OfficeInputFormat::Xml << QStringLiteral("<item>Alpha</item>");
        // Made by the engine in the test body: empty bytes name the format.
        QTest::newRow("DOCX") << "made.docx" << QByteArray() << OfficeInputFormat::WordProcessing
                              << QStringLiteral("Made as DOCX");
        QTest::newRow("DOC") << "made.doc" << QByteArray() << OfficeInputFormat::WordProcessing
                             << QStringLiteral("Made as DOC");
        QTest::newRow("Word 2003 XML") << "made.xml" << QByteArray() << OfficeInputFormat::Xml
                                       << QStringLiteral("Made as XML");
    }

    void inputToPdf()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(OfficeInputFormat, format);
        QFETCH(QString, expected);

        QString input;
        if (!bytes.isEmpty()) {
            input = write(file, bytes);
        } else {
            const OfficeOutputFormat out = file.endsWith(QLatin1String(".docx")) ? OfficeOutputFormat::Docx
                                         : file.endsWith(QLatin1String(".doc"))  ? OfficeOutputFormat::Doc
                                                                                 : OfficeOutputFormat::Xml;
            input = makeDocument(file, out, expected.toUtf8());
        }
        OfficeLoadOptions load;
        load.format = format;
        const QString pdf = path(file + QStringLiteral(".pdf"));
        const OfficeStatus status = m_engine->convert(input, load, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        const QString text = pdfText(pdf);
        QVERIFY2(text.simplified().contains(expected), qPrintable(text));
        QVERIFY(leftoverTempFiles().isEmpty());
    }

    void documentOutputs_data()
    {
        QTest::addColumn<OfficeOutputFormat>("format");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<OfficeInputFormat>("readBackAs");

        QTest::newRow("DOC") << OfficeOutputFormat::Doc << "out.doc" << QByteArray("\xD0\xCF\x11\xE0", 4) << OfficeInputFormat::WordProcessing;
        QTest::newRow("DOCX") << OfficeOutputFormat::Docx << "out.docx" << QByteArray("PK\x03\x04") << OfficeInputFormat::WordProcessing;
        QTest::newRow("DOCM") << OfficeOutputFormat::Docm << "out.docm" << QByteArray("PK\x03\x04") << OfficeInputFormat::WordProcessing;
        QTest::newRow("ODT") << OfficeOutputFormat::Odt << "out.odt" << QByteArray("PK\x03\x04") << OfficeInputFormat::WordProcessing;
        QTest::newRow("RTF") << OfficeOutputFormat::Rtf << "out.rtf" << QByteArray("{\\rtf") << OfficeInputFormat::WordProcessing;
        QTest::newRow("HTML") << OfficeOutputFormat::Html << "out.html" << QByteArray("<!DOCTYPE") << OfficeInputFormat::Html;
        QTest::newRow("text") << OfficeOutputFormat::Text << "out.txt" << QByteArray("Output caf\xC3\xA9") << OfficeInputFormat::Text;
        QTest::newRow("Unicode text") << OfficeOutputFormat::UnicodeText << "out16.txt" << QByteArray("\xFF\xFEO\0u\0", 6) << OfficeInputFormat::Text;
        QTest::newRow("XML") << OfficeOutputFormat::Xml << "out.xml" << QByteArray("<?xml") << OfficeInputFormat::Xml;
    }

    void documentOutputs()
    {
        QFETCH(OfficeOutputFormat, format);
        QFETCH(QString, file);
        QFETCH(QByteArray, signature);
        QFETCH(OfficeInputFormat, readBackAs);

        const QString out = makeDocument(file, format, "Output caf\\'e9 words");
        const QByteArray bytes = testutil::readFile(out);
        QVERIFY2(bytes.startsWith(signature), bytes.left(40).toHex().constData());

        // Read back by the engine: the text survived the round trip.
        OfficeLoadOptions load;
        load.format = readBackAs;
        const QString pdf = out + QStringLiteral(".pdf");
        const OfficeStatus status = m_engine->convert(out, load, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY2(pdfText(pdf).contains(QStringLiteral("Output café words")), qPrintable(pdfText(pdf)));
    }

    void pdfA()
    {
        const QString input = write(QStringLiteral("pdfa.rtf"), Rtf("Archived text"));
        OfficeSaveOptions save;
        save.pdf.pdfA = true;
        const QString pdf = path(QStringLiteral("pdfa.pdf"));
        const OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, save);
        QVERIFY2(status.ok(), qPrintable(status.message));
        const ToolResult meta = pdfInfo(pdf, {QStringLiteral("-meta")});
        QCOMPARE(meta.exitCode, 0);
        QVERIFY2(meta.out.contains("pdfaid:part>2<") || meta.out.contains("pdfaid:part=\"2\""), meta.out.constData());
        QVERIFY2(meta.out.contains("pdfaid:conformance>B<") || meta.out.contains("pdfaid:conformance=\"B\""), meta.out.constData());
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Archived text")));

        // A plain PDF carries no PDF/A identification.
        const QString plain = path(QStringLiteral("plain.pdf"));
        QVERIFY(m_engine->convert(input, OfficeLoadOptions{}, plain, OfficeSaveOptions{}).ok());
        QVERIFY(!pdfInfo(plain, {QStringLiteral("-meta")}).out.contains("pdfaid"));
    }

    void pdfSecurity_data()
    {
        QTest::addColumn<QString>("openPassword");
        QTest::addColumn<QString>("permissionPassword");
        QTest::addColumn<int>("printing");
        QTest::addColumn<bool>("copying");
        QTest::addColumn<int>("changes");
        QTest::addColumn<QString>("expectedPermissions");
        QTest::addColumn<QString>("output");

        QTest::newRow("open password only") << "open-me" << "" << 2 << true << 0 << "print:yes copy:yes change:yes addNotes:yes" << "secret.pdf";
        QTest::newRow("restricted, no print, no copy") << "open-me" << "owner-pw" << 0 << false << 4 << "print:no copy:no change:yes" << "secret.pdf";
        QTest::newRow("restricted without open password") << "" << "owner-pw" << 2 << false << 4 << "print:yes copy:no" << "secret.pdf";
        QTest::newRow("no changes") << "open-me" << "owner-pw" << 1 << true << 0 << "print:yes copy:yes change:no addNotes:no" << "secret.pdf";
        QTest::newRow("comments and form fields") << "open-me" << "owner-pw" << 2 << true << 3 << "print:yes copy:yes change:no addNotes:yes" << "secret.pdf";
        // Any name is the user's to choose, whatever the engine calls its
        // own files.
        QTest::newRow("an output named encrypted.pdf") << "open-me" << "" << 2 << true << 0 << "print:yes copy:yes" << "encrypted.pdf";
    }

    void pdfSecurity()
    {
        QFETCH(QString, openPassword);
        QFETCH(QString, permissionPassword);
        QFETCH(int, printing);
        QFETCH(bool, copying);
        QFETCH(int, changes);
        QFETCH(QString, expectedPermissions);
        QFETCH(QString, output);

        const QString input = write(QStringLiteral("secret.rtf"), Rtf("Secret body"));
        OfficeSaveOptions save;
        save.pdf.changes = changes;
        save.pdf.openPassword = openPassword;
        save.pdf.permissionPassword = permissionPassword;
        save.pdf.printing = printing;
        save.pdf.allowCopying = copying;
        const QString pdf = path(output);
        const OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, save);
        QVERIFY2(status.ok(), qPrintable(status.message));

        if (!openPassword.isEmpty())
            QVERIFY(pdfInfo(pdf).exitCode != 0); // no way in without the password
        QStringList args;
        if (!openPassword.isEmpty())
            args << QStringLiteral("-upw") << openPassword;
        const ToolResult info = pdfInfo(pdf, args);
        QCOMPARE(info.exitCode, 0);
        const QString encrypted = pdfInfoField(info.out, QStringLiteral("Encrypted"));
        QVERIFY2(encrypted.startsWith(QLatin1String("yes")), qPrintable(encrypted));
        QVERIFY2(encrypted.contains(QLatin1String("algorithm:AES-256")), qPrintable(encrypted));
        const QString expectedChange = expectedPermissions.section(QLatin1Char(' '), 2);
        QVERIFY2(encrypted.contains(expectedPermissions.section(QLatin1Char(' '), 0, 0)), qPrintable(encrypted));
        QVERIFY2(encrypted.contains(expectedPermissions.section(QLatin1Char(' '), 1, 1)), qPrintable(encrypted));
        if (!expectedChange.isEmpty())
            QVERIFY2(encrypted.contains(expectedChange), qPrintable(encrypted));
        QVERIFY(pdfText(pdf, openPassword).contains(QStringLiteral("Secret body")));
    }

    // Every maximum resolution takes effect: the export's own reduction
    // (above 50 dpi) and the pictures made smaller before it (below), read
    // back by pdfimages. 0 keeps each picture as it is.
    void maximumImageResolution_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<bool>("cropped");
        QTest::addColumn<int>("ppi");
        // A 1600 x 1200 picture shown at 4 x 3 inches: 400 ppi.
        QTest::newRow("0 keeps the picture") << 0 << false << 400;
        QTest::newRow("above the picture's") << 600 << false << 400;
        QTest::newRow("300") << 300 << false << 300;
        QTest::newRow("90") << 90 << false << 90;
        QTest::newRow("51") << 51 << false << 51;
        QTest::newRow("50") << 50 << false << 50;
        QTest::newRow("30") << 30 << false << 30;
        QTest::newRow("1") << 1 << false << 1;
        QTest::newRow("cropped, 0") << 0 << true << 400;
        QTest::newRow("cropped, 30") << 30 << true << 30;
        QTest::newRow("cropped, 90") << 90 << true << 90;
    }

    void maximumImageResolution()
    {
        QFETCH(int, maximum);
        QFETCH(bool, cropped);
        QFETCH(int, ppi);
        // Cropped: the middle half, 800 x 1200 pixels shown at 2 x 3 inches.
        const QString input = write(QStringLiteral("picture%1.docx").arg(cropped),
                                    cropped ? pictureDocx(1600, 1200, 2, 3, 0.25) : pictureDocx(1600, 1200, 4, 3));
        OfficeSaveOptions save;
        save.pdf.maxImageResolution = maximum;
        const QString pdf = path(QStringLiteral("picture-%1-%2.pdf").arg(maximum).arg(cropped));
        const OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, save);
        QVERIFY2(status.ok(), qPrintable(status.message));
        QCOMPARE(pdfImageResolutions(pdf), (std::vector<std::pair<int, int>>{{ppi, ppi}}));
        QVERIFY(pdfText(pdf).contains(QStringLiteral("After the picture")));
    }

    // Pictures are made smaller for one export alone: the next save of the
    // same document has them as they were.
    void reducedPicturesComeBackForTheNextSave()
    {
        const QString input = write(QStringLiteral("picture-again.docx"), pictureDocx(1600, 1200, 4, 3));
        OfficeStatus status;
        std::unique_ptr<OfficeDocument> doc = m_engine->load(input, OfficeLoadOptions{}, status);
        QVERIFY2(doc, qPrintable(status.message));
        OfficeSaveOptions save;
        for (const int maximum : {10, 0, 20}) {
            save.pdf.maxImageResolution = maximum;
            const QString pdf = path(QStringLiteral("picture-again-%1.pdf").arg(maximum));
            status = doc->save(pdf, save);
            QVERIFY2(status.ok(), qPrintable(status.message));
            const int ppi = maximum ? maximum : 400;
            QCOMPARE(pdfImageResolutions(pdf), (std::vector<std::pair<int, int>>{{ppi, ppi}}));
        }
    }

    void pdfAWithPasswordIsRefused()
    {
        const QString input = write(QStringLiteral("refused.rtf"), Rtf("Refused"));
        const QString pdf = write(QStringLiteral("refused.pdf"), "old content");
        OfficeSaveOptions save;
        save.pdf.pdfA = true;
        save.pdf.openPassword = QStringLiteral("pw");
        const OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, save);
        QCOMPARE(status.failure, OfficeFailure::Refused);
        QVERIFY2(status.message.contains(QLatin1String("plain PDF")), qPrintable(status.message));
        QCOMPARE(testutil::readFile(pdf), QByteArray("old content"));
        QVERIFY(leftoverTempFiles().isEmpty());
    }

    void protectedInput_data()
    {
        QTest::addColumn<OfficeOutputFormat>("format");
        QTest::addColumn<QString>("file");
        QTest::newRow("DOCX") << OfficeOutputFormat::Docx << "locked.docx";
        QTest::newRow("DOC") << OfficeOutputFormat::Doc << "locked.doc";
    }

    void protectedInput()
    {
        QFETCH(OfficeOutputFormat, format);
        QFETCH(QString, file);

        const QString input = makeDocument(file, format, "Protected words", QStringLiteral("right-pw"));
        QVERIFY(!testutil::readFile(input).contains("Protected words"));
        const QString pdf = path(file + QStringLiteral(".pdf"));

        OfficeLoadOptions load;
        OfficeStatus status = m_engine->convert(input, load, pdf, OfficeSaveOptions{});
        QCOMPARE(status.failure, OfficeFailure::PasswordRequired);
        QVERIFY(!QFile::exists(pdf));

        // At once: an office that asked again would hang until its time
        // limit and fail as hung.
        load.password = QStringLiteral("wrong-pw");
        status = m_engine->convert(input, load, pdf, OfficeSaveOptions{});
        QCOMPARE(status.failure, OfficeFailure::WrongPassword);
        QVERIFY(!QFile::exists(pdf));

        load.password = QStringLiteral("right-pw");
        status = m_engine->convert(input, load, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Protected words")));
    }

    void passwordForAnUnprotectedDocumentIsIgnored_data() { protectedInput_data(); }

    void passwordForAnUnprotectedDocumentIsIgnored()
    {
        QFETCH(OfficeOutputFormat, format);
        QFETCH(QString, file);
        // Callers may always pass a password, protected document or not,
        // and no output of an unprotected one is protected by it.
        const QString input = makeDocument(QStringLiteral("open-") + file, format, "Open words");
        OfficeLoadOptions load;
        load.password = QStringLiteral("!%blotched&~");
        OfficeStatus status;
        std::unique_ptr<OfficeDocument> doc = m_engine->load(input, load, status);
        QVERIFY2(doc, qPrintable(status.message));
        const QString pdf = path(QStringLiteral("open-") + file + QStringLiteral(".pdf"));
        status = doc->save(pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Open words")));
        for (OfficeOutputFormat output : {OfficeOutputFormat::Doc, OfficeOutputFormat::Odt}) {
            OfficeSaveOptions save;
            save.format = output;
            const QString out = path(QStringLiteral("open-again-") + file);
            QVERIFY(doc->save(out, save).ok());
            QVERIFY(m_engine->convert(out, OfficeLoadOptions{}, pdf, OfficeSaveOptions{}).ok());
            QVERIFY(pdfText(pdf).contains(QStringLiteral("Open words")));
        }
    }

    void aProtectedDocumentsDocOutputIsNotProtectedUnlessAsked()
    {
        const QString input = makeDocument(QStringLiteral("secret.doc"), OfficeOutputFormat::Doc, "Secret words",
                                           QStringLiteral("pw"));
        OfficeLoadOptions load;
        load.password = QStringLiteral("pw");
        OfficeStatus status;
        std::unique_ptr<OfficeDocument> doc = m_engine->load(input, load, status);
        QVERIFY2(doc, qPrintable(status.message));
        OfficeSaveOptions save;
        save.format = OfficeOutputFormat::Doc;
        const QString out = path(QStringLiteral("secret-copy.doc"));
        QVERIFY(doc->save(out, save).ok());
        doc.reset();
        const QString pdf = path(QStringLiteral("secret-copy.pdf"));
        status = m_engine->convert(out, OfficeLoadOptions{}, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Secret words")));
    }

    void unreadableInputs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<OfficeFailure>("failure");

        QByteArray docx = testutil::readFile(QStringLiteral(TESSAVIEW_CORPUS "/docx/single-paragraph.docx"));
        QTest::newRow("truncated DOCX") << "cut.docx" << docx.left(docx.size() / 2) << OfficeFailure::WrongFormat;
        QTest::newRow("garbage DOCX") << "garbage.docx" << QByteArray("PK\x03\x04 this is no zip at all") << OfficeFailure::WrongFormat;
        QTest::newRow("plain text given as a document") << "text.doc" << QByteArray("just some text\n") << OfficeFailure::WrongFormat;
        QTest::newRow("missing file") << "" << QByteArray() << OfficeFailure::FileNotFound;
    }

    void unreadableInputs()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(OfficeFailure, failure);

        const QString input = file.isEmpty() ? path(QStringLiteral("no-such-file.docx")) : write(file, bytes);
        const QString pdf = path(QTest::currentDataTag() + QStringLiteral(".pdf"));
        OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, OfficeSaveOptions{});
        QCOMPARE(status.failure, failure);
        QVERIFY2(status.message.contains(input), qPrintable(status.message));
        QVERIFY(!QFile::exists(pdf));

        // The batch goes on: the next document converts.
        const QString next = write(QStringLiteral("next.rtf"), Rtf("Next document"));
        status = m_engine->convert(next, OfficeLoadOptions{}, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Next document")));
    }

    void startFailures_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing program") << "/nonexistent/soffice.bin" << "cannot be run";
        QTest::newRow("program that ends at once") << "/bin/false" << "exit code 1";
    }

    void startFailures()
    {
        QFETCH(QString, program);
        QFETCH(QString, message);
        // An engine of its own that never reaches an office.
        const std::unique_ptr<OfficeEngine> broken = OfficeEngine::Create();
        broken->setProgram(program);
        const OfficeStatus status = broken->convert(write(QStringLiteral("never.rtf"), Rtf("never")), OfficeLoadOptions{},
                                                   path(QStringLiteral("never.pdf")), OfficeSaveOptions{});
        QCOMPARE(status.failure, OfficeFailure::StartFailed);
        QVERIFY2(status.message.contains(message), qPrintable(status.message));
        QCOMPARE(broken->processId(), pid_t(0));
        QVERIFY(!QFile::exists(path(QStringLiteral("never.pdf"))));
    }

    void officeKilledBetweenItems()
    {
        const QString a = write(QStringLiteral("batch-a.rtf"), Rtf("Batch item A"));
        const QString b = write(QStringLiteral("batch-b.rtf"), Rtf("Batch item B"));
        QVERIFY(m_engine->convert(a, OfficeLoadOptions{}, path(QStringLiteral("batch-a.pdf")), OfficeSaveOptions{}).ok());

        const pid_t pid = m_engine->processId();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid, SIGKILL), 0);

        const OfficeStatus status = m_engine->convert(b, OfficeLoadOptions{}, path(QStringLiteral("batch-b.pdf")), OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(pdfText(path(QStringLiteral("batch-b.pdf"))).contains(QStringLiteral("Batch item B")));
        QVERIFY(m_engine->processId() != pid);
        QVERIFY(!ProcessExists(pid));
    }

    void memoryBudgetStopsTheOfficeOnOneDocument_data()
    {
        QTest::addColumn<bool>("whileSaving");
        QTest::newRow("loading") << false;
        QTest::newRow("saving") << true;
    }

    // An office that passes its memory budget on a document is ended by
    // its pid; that document fails alone with a reason that names it, and
    // the documents before and after it convert.
    void memoryBudgetStopsTheOfficeOnOneDocument()
    {
        QFETCH(bool, whileSaving);
        const qint64 budget = m_engine->memoryBudget();
        QVERIFY(budget > 0);
        const auto restore = qScopeGuard([&] { m_engine->setMemoryBudget(budget); });
        const QString before = write(QStringLiteral("memory-a.rtf"), Rtf("Before the hungry document"));
        const QString after = write(QStringLiteral("memory-c.rtf"), Rtf("After the hungry document"));
        QVERIFY(m_engine->convert(before, OfficeLoadOptions{}, path(QStringLiteral("memory-a.pdf")), OfficeSaveOptions{}).ok());
        const pid_t pid = m_engine->processId();

        const qint64 small = qint64(400) << 20;
        QString hungry;
        OfficeStatus status;
        if (whileSaving) {
            // Loaded within the budget; the save, long enough to be
            // watched, finds the office past a budget lowered under what
            // it holds.
            hungry = write(QStringLiteral("memory-b.rtf"), numberedRtf(2, 20000));
            std::unique_ptr<OfficeDocument> doc = m_engine->load(hungry, OfficeLoadOptions{}, status);
            QVERIFY2(doc, qPrintable(status.message));
            m_engine->setMemoryBudget(qint64(1) << 20);
            status = doc->save(path(QStringLiteral("memory-b.pdf")), OfficeSaveOptions{});
            QVERIFY(!doc->isOpen());
            QVERIFY2(status.message.contains(QStringLiteral("1 MB of memory on the document ") + hungry),
                     qPrintable(status.message));
            m_engine->setMemoryBudget(budget);
        } else {
            hungry = write(QStringLiteral("memory-b.docx"), testutil::memoryHungryDocx());
            QVERIFY(QFileInfo(hungry).size() < 1024 * 1024);
            m_engine->setMemoryBudget(small);
            status = m_engine->convert(hungry, OfficeLoadOptions{}, path(QStringLiteral("memory-b.pdf")), OfficeSaveOptions{});
            QVERIFY2(status.message.contains(QStringLiteral("used more than 400 MB of memory while loading ") + hungry),
                     qPrintable(status.message));
        }
        QCOMPARE(status.failure, OfficeFailure::MemoryExceeded);
        QVERIFY(status.officeStopped());
        QVERIFY(!ProcessExists(pid));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("memory-b.pdf"))));

        // The next document converts on a fresh office, within the budget.
        status = m_engine->convert(after, OfficeLoadOptions{}, path(QStringLiteral("memory-c.pdf")), OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(pdfText(path(QStringLiteral("memory-c.pdf"))).contains(QStringLiteral("After the hungry document")));
        QVERIFY(m_engine->processId() != pid);
    }

    // A call that writes to the pipe of an office killed a moment ago must
    // fail as the office's death, not end this process by SIGPIPE (seen
    // once in a kill test: a race that no test can force).
    void brokenPipeEndsOnlyTheCall()
    {
        QVERIFY(m_engine->start().ok());
        struct sigaction action {};
        QCOMPARE(::sigaction(SIGPIPE, nullptr, &action), 0);
        QVERIFY(action.sa_handler == SIG_IGN);
    }

    void officeKilledDuringLoad()
    {
        const QString big = write(QStringLiteral("big.html"), bigHtml(20000));
        QVERIFY(m_engine->start().ok());
        const pid_t pid = m_engine->processId();
        std::thread killer([pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            ::kill(pid, SIGKILL);
        });
        OfficeLoadOptions load;
        load.format = OfficeInputFormat::Html;
        const QString pdf = path(QStringLiteral("big.pdf"));
        OfficeStatus status = m_engine->convert(big, load, pdf, OfficeSaveOptions{});
        killer.join();
        QCOMPARE(status.failure, OfficeFailure::OfficeDied);
        QVERIFY2(status.message.contains(QLatin1String("signal 9")), qPrintable(status.message));
        QVERIFY(!QFile::exists(pdf));
        QVERIFY(leftoverTempFiles().isEmpty());

        const QString next = write(QStringLiteral("after-kill.rtf"), Rtf("After the kill"));
        status = m_engine->convert(next, OfficeLoadOptions{}, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(pdfText(pdf).contains(QStringLiteral("After the kill")));
    }

    // An office killed at any moment of a save leaves nothing in the output
    // folder: it writes into a private folder that goes with everything in
    // it. The kills come from the watchdog at points spread over the time
    // a save of this document takes; a save that ends before its kill (the
    // machine was busier for the first) is tried again with half the time,
    // so every point ends in a kill.
    void officeKilledDuringSaveLeavesNothingInTheOutputFolder()
    {
        const QString big = write(QStringLiteral("kill-save.html"), bigHtml(3000));
        OfficeLoadOptions load;
        load.format = OfficeInputFormat::Html;
        ScratchFolder output;
        const QString pdf = output.write(QStringLiteral("out.pdf"), "previous output");
        output.write(QStringLiteral("keep.txt"), "the user's");
        const QStringList before = QDir(output.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        // The private folders are made here. The office keeps the
        // temporary folder it was started with.
        ScratchFolder temp;
        const bool hadTemp = qEnvironmentVariableIsSet("TMPDIR");
        const QByteArray savedTemp = qgetenv("TMPDIR");

        OfficeStatus status;
        std::unique_ptr<OfficeDocument> doc = m_engine->load(big, load, status);
        QVERIFY2(doc, qPrintable(status.message));
        QElapsedTimer clock;
        clock.start();
        status = doc->save(output.path(QStringLiteral("timed.pdf")), OfficeSaveOptions{});
        const qint64 saveMs = clock.elapsed();
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(QFile::remove(output.path(QStringLiteral("timed.pdf"))));
        doc.reset();

        int kills = 0;
        for (const double at : {0.05, 0.2, 0.35, 0.5, 0.65, 0.8}) {
            bool killed = false;
            for (int timeout = std::max<int>(1, int(saveMs * at)), tries = 0; !killed && tries < 10;
                 timeout = std::max(1, timeout / 2), ++tries) {
                doc = m_engine->load(big, load, status);
                QVERIFY2(doc, qPrintable(status.message));
                const pid_t pid = m_engine->processId();
                m_engine->setSaveTimeout(timeout);
                qputenv("TMPDIR", QFile::encodeName(temp.folder()));
                status = doc->save(pdf, OfficeSaveOptions{});
                if (hadTemp)
                    qputenv("TMPDIR", savedTemp);
                else
                    qunsetenv("TMPDIR");
                restoreTimeouts();
                if (status.ok()) {
                    // Faster than the first save: it ended before the kill.
                    QCOMPARE(pdfInfo(pdf).exitCode, 0);
                    output.write(QStringLiteral("out.pdf"), "previous output");
                } else {
                    QVERIFY2(status.failure == OfficeFailure::SaveTimeout, qPrintable(status.message));
                    QVERIFY(!ProcessExists(pid));
                    QCOMPARE(testutil::readFile(pdf), QByteArray("previous output"));
                    killed = true;
                }
                QCOMPARE(QDir(output.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
                QCOMPARE(QDir(temp.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                         QStringList{});
            }
            kills += killed ? 1 : 0;
        }
        QCOMPARE(kills, 6);
    }

    // While the office writes, the output folder holds only what was there;
    // an office that dies after writing leaves its files in its own folder,
    // which goes, and the finished file is moved into place.
    void officeWritesIntoAPrivateFolder()
    {
        const QString input = write(QStringLiteral("private.rtf"), Rtf("Written in private"));
        ScratchFolder output;
        const QString pdf = output.write(QStringLiteral("out.pdf"), "previous output");
        QStringList seen;
        QString privateFolder;
        pid_t killed = 0;
        m_engine->setSaveHook([&](const QString& folder) {
            privateFolder = folder;
            seen = QDir(output.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            // What an office killed in the middle of its store leaves.
            testutil::writeFile(folder + QStringLiteral("/.~lock.out.pdf#"), "lock");
            testutil::writeFile(folder + QStringLiteral("/lu12345abcd.tmp"), "partial");
            killed = m_engine->processId();
            ::kill(killed, SIGKILL);
        });
        OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, OfficeSaveOptions{});
        m_engine->setSaveHook({});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QCOMPARE(seen, QStringList{QStringLiteral("out.pdf")});
        QVERIFY(!privateFolder.startsWith(output.folder()));
        QVERIFY(!QFileInfo::exists(privateFolder));
        QCOMPARE(QDir(output.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("out.pdf")});
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Written in private")));

        // The next save runs on a fresh office.
        status = m_engine->convert(input, OfficeLoadOptions{}, output.path(QStringLiteral("again.pdf")), OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(m_engine->processId() != killed);
    }

    void watchdogStopsHungOffice_data()
    {
        QTest::addColumn<bool>("whileSaving");
        QTest::newRow("loading") << false;
        QTest::newRow("saving") << true;
    }

    // The watchdog's limit is a base plus a time per megabyte of the
    // document it was loaded from: an office that hangs on a small document
    // is stopped soon, on a large one only after the larger limit.
    void watchdogLimitGrowsWithTheDocument_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("limitMs");
        QTest::newRow("small") << 10 * 1024 << 419;
        QTest::newRow("two megabytes") << 2 * 1024 * 1024 << 4400;
    }

    void watchdogLimitGrowsWithTheDocument()
    {
        QFETCH(int, bytes);
        QFETCH(int, limitMs);
        QCOMPARE((OfficeTimeLimit{400, 2000}.forBytes(bytes)), limitMs);
        QByteArray text = "{\\rtf1\\ansi ";
        while (text.size() < bytes)
            text += "Words to pad the document with\\par ";
        text += "}";
        const QString input = write(QStringLiteral("sized.rtf"), text);
        m_engine->setSaveTimeLimit({400, 2000});
        OfficeStatus status;
        const std::unique_ptr<OfficeDocument> doc = m_engine->load(input, OfficeLoadOptions{}, status);
        QVERIFY2(doc, qPrintable(status.message));
        const pid_t pid = m_engine->processId();
        ::kill(pid, SIGSTOP); // hangs it
        QElapsedTimer timer;
        timer.start();
        status = doc->save(path(QStringLiteral("sized.pdf")), OfficeSaveOptions{});
        const qint64 took = timer.elapsed();
        QCOMPARE(status.failure, OfficeFailure::SaveTimeout);
        // Not stopped before its limit, and stopped at this document's.
        QVERIFY2(took >= limitMs, qPrintable(QString::number(took)));
        const QString limit = QStringLiteral("the time limit of %1 seconds.").arg((limitMs + 999) / 1000);
        QVERIFY2(status.message.endsWith(limit), qPrintable(status.message));
        QVERIFY(!ProcessExists(pid));
    }

    void watchdogStopsHungOffice()
    {
        QFETCH(bool, whileSaving);
        // A document large enough that the office cannot finish within the
        // tiny limit stands in for one that hangs it.
        const QString big = write(QStringLiteral("slow.html"), bigHtml(3000));
        const QString pdf = write(QStringLiteral("slow.pdf"), "previous output");
        QVERIFY(m_engine->start().ok());
        const pid_t pid = m_engine->processId();

        OfficeLoadOptions load;
        load.format = OfficeInputFormat::Html;
        OfficeStatus status;
        if (whileSaving) {
            std::unique_ptr<OfficeDocument> doc = m_engine->load(big, load, status);
            QVERIFY2(doc, qPrintable(status.message));
            m_engine->setSaveTimeout(50);
            status = doc->save(pdf, OfficeSaveOptions{});
            QCOMPARE(status.failure, OfficeFailure::SaveTimeout);
            QVERIFY(!doc->isOpen());
            QCOMPARE(doc->save(pdf, OfficeSaveOptions{}).failure, OfficeFailure::DocumentLost);
        } else {
            m_engine->setLoadTimeout(50);
            status = m_engine->convert(big, load, pdf, OfficeSaveOptions{});
            QCOMPARE(status.failure, OfficeFailure::LoadTimeout);
        }
        QVERIFY2(status.message.contains(whileSaving ? QLatin1String("saving") : QLatin1String("loading")),
                 qPrintable(status.message));
        QVERIFY(!ProcessExists(pid));
        QCOMPARE(testutil::readFile(pdf), QByteArray("previous output"));
        QVERIFY(leftoverTempFiles().isEmpty());

        // The next conversion runs on a fresh office.
        restoreTimeouts();
        status = m_engine->convert(big, load, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        QVERIFY(m_engine->processId() != pid);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Paragraph 2999")));
    }

    void withoutKeepAliveTheOfficeQuitsAfterEachConversion()
    {
        const QString input = write(QStringLiteral("once.rtf"), Rtf("Started once"));
        m_engine->setKeepAlive(false);
        QCOMPARE(m_engine->processId(), pid_t(0));
        for (int i = 0; i < 2; ++i) {
            const QString pdf = path(QStringLiteral("once%1.pdf").arg(i));
            const OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, OfficeSaveOptions{});
            QVERIFY2(status.ok(), qPrintable(status.message));
            QCOMPARE(m_engine->processId(), pid_t(0));
            QVERIFY(pdfText(pdf).contains(QStringLiteral("Started once")));
        }
        // A failed load quits it as well.
        OfficeStatus status = m_engine->convert(write(QStringLiteral("bad.docx"), "PK\x03\x04 broken"), OfficeLoadOptions{},
                                                path(QStringLiteral("bad.pdf")), OfficeSaveOptions{});
        QCOMPARE(status.failure, OfficeFailure::WrongFormat);
        QCOMPARE(m_engine->processId(), pid_t(0));
        m_engine->setKeepAlive(true);
    }

    void saveRefusesWhatTheFormatCannotCarry()
    {
        const QString input = write(QStringLiteral("plain.rtf"), Rtf("No password here"));
        OfficeSaveOptions save;
        save.format = OfficeOutputFormat::Rtf;
        save.documentPassword = QStringLiteral("pw");
        const OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, path(QStringLiteral("pw.rtf")), save);
        QCOMPARE(status.failure, OfficeFailure::Refused);
        QVERIFY(!QFile::exists(path(QStringLiteral("pw.rtf"))));

        const OfficeStatus noFolder = m_engine->convert(input, OfficeLoadOptions{}, path(QStringLiteral("missing/out.pdf")),
                                                        OfficeSaveOptions{});
        QCOMPARE(noFolder.failure, OfficeFailure::SaveFailed);
        QVERIFY2(noFolder.message.contains(QLatin1String("does not exist")), qPrintable(noFolder.message));
    }

    void corpusDocxToPdf_data()
    {
        QTest::addColumn<QString>("input");
        const QDir corpus(QStringLiteral(TESSAVIEW_CORPUS "/docx"));
        const QStringList files = corpus.entryList({QStringLiteral("*.docx")}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString& f : files)
            QTest::newRow(qPrintable(f)) << corpus.filePath(f);
    }

    void corpusDocxToPdf()
    {
        QFETCH(QString, input);
        const QString pdf = path(QFileInfo(input).completeBaseName() + QStringLiteral(".corpus.pdf"));
        const OfficeStatus status = m_engine->convert(input, OfficeLoadOptions{}, pdf, OfficeSaveOptions{});
        QVERIFY2(status.ok(), qPrintable(status.message));
        const ToolResult info = pdfInfo(pdf);
        QVERIFY2(info.exitCode == 0, info.err.constData());
        QVERIFY(pdfInfoField(info.out, QStringLiteral("Pages")).toInt() >= 1);
    }
};

QTEST_GUILESS_MAIN(TestOfficeEngine)
#include "test_office_engine.moc"
