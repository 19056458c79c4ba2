// The text control against the installed LibreOffice: loading by format
// code, page, paragraph and font settings, PDF, PDF/A and security, plain
// text editing, pieces moved between controls, fields, and the failures a
// caller sees (raised errors and error events).
#include "office/OfficeEngine.h"
#include "textcontrol/TextControl.h"

#include "OfficeTestSupport.h"
#include "TestUtil.h"

#include <QTest>

#include <csignal>
#include <memory>
#include <optional>

using namespace officetest;

namespace {

struct ErrorEvent
{
    int number = 0;
    QString text;
};

QString PdfFonts(const QString& pdf)
{
    return QString::fromUtf8(runTool(QStringLiteral("pdffonts"), {pdf}).out);
}

} // namespace

class TestTextControl : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<OfficeEngine> m_engine;
    std::unique_ptr<TextControl> m_control;
    std::vector<ErrorEvent> m_events;
    ScratchFolder m_dir;

    QString path(const QString& name) const { return m_dir.path(name); }
    QString write(const QString& name, const QByteArray& bytes) { return m_dir.write(name, bytes); }

    // Runs a call that must raise; returns the error.
    template <typename Fn>
    std::optional<TextControlError> raised(Fn&& fn)
    {
        try {
            fn();
        } catch (const TextControlError& e) {
            return e;
        }
        return std::nullopt;
    }

    void selectAll()
    {
        m_control->setSelectionStart(0);
        m_control->setSelectionLength(static_cast<int>(m_control->DocumentText().size()));
    }

private slots:
    void initTestCase()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("docx/tables.docx"), QStringLiteral("docx/tiny-picture.docx"));
        QVERIFY(m_dir.isValid());
        m_engine = OfficeEngine::Create();
        m_control = TextControl::Create(*m_engine);
        m_control->setErrorHandler([this](short number, const QString& text, bool& cancel) {
            m_events.push_back({number, text});
            cancel = true;
        });
        // The start values the program gives its control.
        m_control->setPageWidth(12240);
        m_control->setPageHeight(15840);
    }

    void init()
    {
        m_events.clear();
        m_engine->setLoadTimeout(120000);
        m_engine->setSaveTimeout(120000);
        m_control->setPdfMode(kPdfModePdf);
        for (int index : {10, 11, 12, 13, 14})
            m_control->setIndexedSetting(index, index >= 13 || index == 10 ? QVariant(0) : QVariant(QString()));
    }

    void cleanupTestCase()
    {
        m_control.reset();
        m_engine.reset();
    }

    void loadByFormatCode_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("letterPage");

        QTest::newRow("1 text UTF-8") << 1 << QByteArray("Text body caf\xC3\xA9\n") << "Text body café" << true;
        QTest::newRow("1 text Windows-1252") << 1 << QByteArray("Text body caf\xE9\r\n") << "Text body café" << true;
        QTest::newRow("2 text") << 2 << QByteArray("Second text code\n") << "Second text code" << true;
        QTest::newRow("6 Unicode text") << 6 << QByteArray("\xFF\xFEU\0n\0i\0 \0\x16\x04", 12) << "Uni Ж" << true;
        QTest::newRow("11 CSS as text") << 11 << QByteArray("body { color: red; }\n") << "body { color: red; }" << true;
        QTest::newRow("10 XML as text") << 10 << QByteArray("<?xml version=\"1.0\"?><a>Element text</a>") << "<a>Element text</a>" << true;
        QTest::newRow("4 HTML") << 4 << QByteArray("<html><body><p>Html <i>para</i></p></body></html>") << "Html para" << true;
        // A4 from the document itself: its own layout wins.
        QTest::newRow("5 RTF") << 5 << rtfDocument("\\paperw11906\\paperh16838 Rich body\\par") << "Rich body" << false;
    }

    void loadByFormatCode()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QFETCH(bool, letterPage);

        const QString input = write(QStringLiteral("in-%1").arg(QTest::currentDataTag()), bytes);
        m_control->Load(input, 0, format);
        QVERIFY2(m_events.empty(), m_events.empty() ? "" : qPrintable(m_events.front().text));
        QVERIFY2(m_control->DocumentText().contains(expected), qPrintable(m_control->DocumentText()));

        const QString pdf = path(QStringLiteral("out-%1.pdf").arg(format));
        m_control->Save(pdf, 0, 12);
        QVERIFY2(pdfText(pdf).simplified().contains(expected), qPrintable(pdfText(pdf)));
        const QSizeF page = pdfPageSize(pdf);
        if (letterPage) {
            QCOMPARE(qRound(page.width()), 612);
            QCOMPARE(qRound(page.height()), 792);
        } else {
            QCOMPARE(qRound(page.width()), 595);
            QCOMPARE(qRound(page.height()), 842);
        }
    }

    // Every line end of a text file ends a paragraph, and positions in the
    // text are the document's: the piece selected at a position is the one
    // read there.
    void textLineEndsEndParagraphs_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("bytes");
        const auto utf16 = [](const QString& text) {
            QByteArray bytes("\xFF\xFE", 2);
            for (const QChar c : text)
                bytes.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            return bytes;
        };
        for (const auto& [name, end] : {std::pair{"LF", "\n"}, std::pair{"CR LF", "\r\n"}, std::pair{"CR", "\r"}}) {
            const QString text = QStringLiteral("Kangaroo%1%1Wombat crossing%1Numbat end%1").arg(QLatin1String(end));
            QTest::addRow("1 text, %s", name) << 1 << text.toUtf8();
            QTest::addRow("6 Unicode text, %s", name) << 6 << utf16(text);
            QTest::addRow("11 CSS as text, %s", name) << 11 << text.toUtf8();
        }
    }

    void textLineEndsEndParagraphs()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, bytes);
        m_control->Load(write(QStringLiteral("lines-%1.txt").arg(QTest::currentDataTag()), bytes), 0, format);
        QVERIFY2(m_events.empty(), m_events.empty() ? "" : qPrintable(m_events.front().text));
        const QString text = m_control->DocumentText();
        QCOMPARE(text, QStringLiteral("Kangaroo\n\nWombat crossing\nNumbat end"));
        m_control->setSelectionStart(int(text.indexOf(QLatin1String("Numbat"))));
        m_control->setSelectionLength(6);
        QCOMPARE(m_control->SelectedText(), QStringLiteral("Numbat"));
    }

    void documentFormatsRoundTrip_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("9 DOC") << 9;
        QTest::newRow("13 DOCX") << 13;
        QTest::newRow("5 RTF") << 5;
        QTest::newRow("4 HTML") << 4;
        QTest::newRow("10 XML") << 10;
        QTest::newRow("1 text") << 1;
        QTest::newRow("6 Unicode text") << 6;
    }

    void documentFormatsRoundTrip()
    {
        QFETCH(int, format);
        m_control->Load(write(QStringLiteral("round.rtf"), rtfDocument("Round trip words\\par")), 0, 5);
        const QString saved = path(QStringLiteral("round-%1").arg(format));
        m_control->Save(saved, 0, format);
        m_control->Load(saved, 0, format);
        QVERIFY2(m_events.empty(), m_events.empty() ? "" : qPrintable(m_events.front().text));
        QVERIFY2(m_control->DocumentText().contains(QLatin1String("Round trip words")), qPrintable(m_control->DocumentText()));
    }

    void pageSettingsAreApplied()
    {
        m_control->Load(write(QStringLiteral("page.rtf"), rtfDocument("Margin probe text\\par")), 0, 5);
        // The order the settings routine uses: margins, then height, width.
        m_control->setPageMarginLeft(2880);
        m_control->setPageMarginTop(1440);
        m_control->setPageMarginRight(720);
        m_control->setPageMarginBottom(720);
        m_control->setPageHeight(11906);
        m_control->setPageWidth(16838);
        QCOMPARE(m_control->PageWidth(), 16838);
        QCOMPARE(m_control->PageHeight(), 11906);
        QCOMPARE(m_control->PageMarginLeft(), 2880);

        const QString pdf = path(QStringLiteral("page.pdf"));
        m_control->Save(pdf, 0, 12);
        const QSizeF page = pdfPageSize(pdf);
        QCOMPARE(qRound(page.width()), 842); // A4 landscape
        QCOMPARE(qRound(page.height()), 595);
        QVERIFY2(qAbs(firstWordLeft(pdf) - 144.0) < 2.0, qPrintable(QString::number(firstWordLeft(pdf))));
    }

    // The whole text chosen by its length, or by SelectAll, which does not
    // read the text to learn it.
    void paragraphAndFontOverridesCoverTheWholeText_data()
    {
        QTest::addColumn<bool>("byLength");
        QTest::newRow("by length") << true;
        QTest::newRow("SelectAll") << false;
    }

    void paragraphAndFontOverridesCoverTheWholeText()
    {
        QFETCH(bool, byLength);
        m_control->Load(write(QStringLiteral("fmt.rtf"), rtfDocument("First paragraph\\par Second paragraph\\par")), 0, 5);
        if (byLength) {
            selectAll();
        } else {
            m_control->SelectAll();
            QCOMPARE(m_control->SelectionStart(), 0);
            QCOMPARE(m_control->SelectionLength(), int(m_control->DocumentText().size()));
            QCOMPARE(m_control->SelectedText(), m_control->DocumentText());
        }
        m_control->setAlignment(2);
        m_control->setIndentL(720);
        m_control->setLineSpacing(150);
        m_control->setFontBold(1);
        m_control->setFontItalic(1);
        m_control->setFontSize(20);
        m_control->setFontName(QStringLiteral("Liberation Mono"));
        m_control->setForeColor(0x0000FF);
        m_control->setFrameLineWidth(20);
        m_control->setFrameStyle(16);

        // Read back at the last paragraph: the whole text took them.
        m_control->setSelectionStart(static_cast<int>(m_control->DocumentText().indexOf(QLatin1String("Second"))));
        QCOMPARE(m_control->Alignment(), 2);
        QCOMPARE(m_control->IndentL(), 720);
        QCOMPARE(m_control->LineSpacing(), 150);
        m_control->setSelectionLength(6);
        QCOMPARE(m_control->FontBold(), 1);
        QCOMPARE(m_control->FontItalic(), 1);
        QCOMPARE(m_control->FontSize(), 20);
        QCOMPARE(m_control->FontName(), QStringLiteral("Liberation Mono"));
        QCOMPARE(m_control->ForeColor(), 0x0000FF);
        QCOMPARE(m_control->FrameStyle(), 16);

        const QString pdf = path(QStringLiteral("fmt.pdf"));
        m_control->Save(pdf, 0, 12);
        const QString fonts = PdfFonts(pdf);
        QVERIFY2(fonts.contains(QLatin1String("LiberationMono-BoldItalic")), qPrintable(fonts));
        QVERIFY2(!fonts.contains(QLatin1String("LiberationSerif")), qPrintable(fonts));
    }

    void formattingWithoutDocumentIsKept()
    {
        const std::unique_ptr<TextControl> output = TextControl::Create(*m_engine);
        output->setFontSize(14);
        output->setAlignment(3);
        output->setFontName(QStringLiteral("Liberation Sans"));
        QCOMPARE(output->FontSize(), 14);
        QCOMPARE(output->Alignment(), 3);
        QCOMPARE(output->FontName(), QStringLiteral("Liberation Sans"));
        const auto error = raised([&] { output->setAlignment(7); });
        QVERIFY(error);
        QCOMPARE(error->number, kErrInvalidValue);
    }

    void pdfModeAndFormat14WritePdfA()
    {
        m_control->Load(write(QStringLiteral("a.rtf"), rtfDocument("Archive me\\par")), 0, 5);
        const QString viaMode = path(QStringLiteral("mode.pdf"));
        m_control->setPdfMode(kPdfModePdfA);
        m_control->Save(viaMode, 0, 12);
        QCOMPARE(m_control->PdfMode(), kPdfModePdfA);
        m_control->setPdfMode(kPdfModePdf);
        const QString via14 = path(QStringLiteral("fourteen.pdf"));
        m_control->Save(via14, 0, 14);
        const QString plain = path(QStringLiteral("plain.pdf"));
        m_control->Save(plain, 0, 12);

        QVERIFY(pdfInfo(viaMode, {QStringLiteral("-meta")}).out.contains("pdfaid"));
        QVERIFY(pdfInfo(via14, {QStringLiteral("-meta")}).out.contains("pdfaid"));
        QVERIFY(!pdfInfo(plain, {QStringLiteral("-meta")}).out.contains("pdfaid"));
    }

    void pdfPasswordsAndPermissions()
    {
        m_control->Load(write(QStringLiteral("sec.rtf"), rtfDocument("Guarded text\\par")), 0, 5);
        m_control->setIndexedSetting(12, QStringLiteral("user-pw"));
        m_control->setIndexedSetting(11, QStringLiteral("master-pw"));
        m_control->setIndexedSetting(10, 128 + 4); // low-resolution printing, screen readers
        const QString pdf = path(QStringLiteral("sec.pdf"));
        m_control->Save(pdf, 0, 12);

        QVERIFY(pdfInfo(pdf).exitCode != 0);
        const ToolResult info = pdfInfo(pdf, {QStringLiteral("-upw"), QStringLiteral("user-pw")});
        const QString encrypted = pdfInfoField(info.out, QStringLiteral("Encrypted"));
        QVERIFY2(encrypted.startsWith(QLatin1String("yes")), qPrintable(encrypted));
        QVERIFY2(encrypted.contains(QLatin1String("print:yes")) && encrypted.contains(QLatin1String("copy:no")),
                 qPrintable(encrypted));
        QVERIFY(pdfText(pdf, QStringLiteral("user-pw")).contains(QStringLiteral("Guarded text")));

        // PDF/A cannot carry them: refused, with advice, and nothing written.
        const QString pdfa = path(QStringLiteral("sec-a.pdf"));
        const auto error = raised([&] { m_control->Save(pdfa, 0, 14); });
        QVERIFY(error);
        QCOMPARE(error->number, kErrRefused);
        QVERIFY2(error->description.contains(QLatin1String("plain PDF")), qPrintable(error->description));
        QVERIFY(!QFile::exists(pdfa));
    }

    void loadFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("raisedNumber");
        QTest::addColumn<int>("eventNumber");

        const QByteArray docx = testutil::readFile(QStringLiteral(TESSAVIEW_CORPUS "/docx/tables.docx"));
        QTest::newRow("missing file raises") << "" << QByteArray() << 13 << kErrFileNotFound << 0;
        QTest::newRow("damaged DOCX reports 321") << "cut.docx" << docx.left(docx.size() / 3) << 13 << 0 << kErrInvalidFileType;
        QTest::newRow("text given as DOC reports 321") << "text.doc" << QByteArray("only text\n") << 9 << 0 << kErrInvalidFileType;
        QTest::newRow("PDF code reports 321") << "x.pdf" << QByteArray("%PDF-1.4\n") << 12 << 0 << kErrInvalidFileType;
        QTest::newRow("unknown code raises") << "x.txt" << QByteArray("x") << 3 << kErrInvalidValue << 0;
    }

    void loadFailures()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QFETCH(int, raisedNumber);
        QFETCH(int, eventNumber);

        const QString input = file.isEmpty() ? path(QStringLiteral("absent.docx")) : write(file, bytes);
        const auto error = raised([&] { m_control->Load(input, 0, format); });
        QCOMPARE(error ? error->number : 0, raisedNumber);
        QCOMPARE(m_events.empty() ? 0 : m_events.front().number, eventNumber);
        if (eventNumber)
            QVERIFY(m_events.front().text.contains(input));
    }

    void officeThatCannotStartIsReported()
    {
        const std::unique_ptr<OfficeEngine> broken = OfficeEngine::Create();
        broken->setProgram(QStringLiteral("/bin/false"));
        const std::unique_ptr<TextControl> control = TextControl::Create(*broken);
        std::vector<ErrorEvent> events;
        control->setErrorHandler([&](short number, const QString& text, bool&) { events.push_back({number, text}); });
        control->Load(write(QStringLiteral("nowhere.rtf"), rtfDocument("x\\par")), 0, 5);
        QCOMPARE(events.size(), size_t(1));
        QCOMPARE(events.front().number, kErrOfficeUnavailable);
        const auto error = raised([&] { control->Save(path(QStringLiteral("nowhere.pdf")), 0, 12); });
        QVERIFY(error);
        QCOMPARE(error->number, kErrOfficeUnavailable);
    }

    void protectedInputReports321()
    {
        // A protected DOCX made by the engine itself.
        const QString source = write(QStringLiteral("p.rtf"), rtfDocument("Locked\\par"));
        OfficeSaveOptions save;
        save.format = OfficeOutputFormat::Docx;
        save.documentPassword = QStringLiteral("pw");
        const QString locked = path(QStringLiteral("locked.docx"));
        QVERIFY(m_engine->convert(source, OfficeLoadOptions{}, locked, save).ok());

        m_control->Load(locked, 0, 13);
        QCOMPARE(m_events.size(), size_t(1));
        QCOMPARE(m_events.front().number, kErrInvalidFileType);
        QVERIFY2(m_events.front().text.contains(QLatin1String("password")), qPrintable(m_events.front().text));
    }

    void saveRefusesCodesItDoesNotWrite()
    {
        m_control->Load(write(QStringLiteral("codes.rtf"), rtfDocument("x\\par")), 0, 5);
        for (int code : {2, 3, 7, 8, 99}) {
            const QString out = path(QStringLiteral("code%1").arg(code));
            const auto error = raised([&] { m_control->Save(out, 0, code); });
            QVERIFY(error);
            QCOMPARE(error->number, kErrInvalidValue);
            QVERIFY(!QFile::exists(out));
        }
    }

    void plainTextEditing()
    {
        m_control->ClearDocument();
        QCOMPARE(m_control->DocumentText(), QString());
        m_control->setSelectedText(QStringLiteral("alpha beta gamma"));
        QCOMPARE(m_control->DocumentText(), QStringLiteral("alpha beta gamma"));
        QCOMPARE(m_control->SelectionStart(), 16);

        // Replace a word, insert lines at the start.
        m_control->setSelectionStart(6);
        m_control->setSelectionLength(4);
        QCOMPARE(m_control->SelectedText(), QStringLiteral("beta"));
        m_control->setSelectedText(QStringLiteral("BETA"));
        m_control->setSelectionStart(0);
        m_control->setSelectedText(QStringLiteral("/path/file.txt\r\n"));
        QCOMPARE(m_control->DocumentText(), QStringLiteral("/path/file.txt\nalpha BETA gamma"));
        QCOMPARE(m_control->SelectionStart(), 15);

        // -1 puts the caret at the end.
        m_control->setSelectionStart(-1);
        m_control->setSelectedText(QStringLiteral(" end"));
        QVERIFY(m_control->DocumentText().endsWith(QLatin1String("gamma end")));

        const QString txt = path(QStringLiteral("edited.txt"));
        m_control->Save(txt, 0, 1);
        QCOMPARE(testutil::readFile(txt), QByteArray("/path/file.txt\nalpha BETA gamma end\n"));

        // All of it replaced at once.
        m_control->SelectAll();
        m_control->setSelectedText(QStringLiteral("omega"));
        QCOMPARE(m_control->DocumentText(), QStringLiteral("omega"));
        QCOMPARE(m_control->SelectionLength(), 0);

        m_control->setDocumentText(QString());
        QCOMPARE(m_control->DocumentText(), QString());
    }

    void formattedPiecesMoveBetweenControls()
    {
        m_control->Load(write(QStringLiteral("piece.rtf"), rtfDocument("{\\b Bold piece} and plain\\par")), 0, 5);
        const std::unique_ptr<TextControl> output = TextControl::Create(*m_engine);
        output->setSelectedText(QStringLiteral("Head line\n"));
        selectAll();
        output->setSelectionStart(-1);
        output->InsertData(m_control->CopySelectionData(QString(), 5, true), 5, true);
        QVERIFY2(output->DocumentText().contains(QLatin1String("Head line\nBold piece and plain")),
                 qPrintable(output->DocumentText()));
        output->setSelectionStart(static_cast<int>(output->DocumentText().indexOf(QLatin1String("Bold"))));
        output->setSelectionLength(4);
        QCOMPARE(output->FontBold(), 1);

        const QString pdf = path(QStringLiteral("joined.pdf"));
        output->Save(pdf, 0, 12);
        QVERIFY(pdfText(pdf).contains(QStringLiteral("Bold piece and plain")));
    }

    void pageCountFieldsBecomeText()
    {
        // Two pages, the second with a page-count field.
        m_control->Load(write(QStringLiteral("fields.rtf"),
                              rtfDocument("One\\page Total {\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 9}} pages\\par")), 0, 5);
        QCOMPARE(m_control->PageCount(), 2);
        m_control->setFieldScope(1);
        const int id = m_control->NextFieldId(0, -32768);
        QVERIFY(id > 0);
        QVERIFY(m_control->FieldData(id).startsWith(QLatin1String("NUMPAGES")));
        m_control->setCurrentFieldId(id);
        m_control->setCurrentFieldText(QString::number(m_control->PageCount()));
        QCOMPARE(m_control->NextFieldId(id, -32768), 0);
        QVERIFY2(m_control->DocumentText().contains(QLatin1String("Total 2 pages")), qPrintable(m_control->DocumentText()));

        m_control->setFieldScope(0);
        QCOMPARE(m_control->NextFieldId(0, -32768), 0);
    }

    void dropDownFieldsGiveTheirChoice()
    {
        // A Word drop-down form field with the second entry chosen.
        m_control->Load(write(QStringLiteral("drop.rtf"), rtfDocument(
            "Pick {\\field{\\*\\fldinst {FORMDROPDOWN {\\*\\formfield{\\fftype2\\ffres1\\ffdefres0"
            "{\\*\\ffname Choice}{\\*\\ffl Alpha}{\\*\\ffl Beta}}}}}{\\fldrslt Beta}} here\\par")), 0, 5);
        m_control->setFieldScope(0);
        const int id = m_control->NextFieldId(0, -32768);
        QVERIFY(id > 0);
        const QStringList parts = m_control->FieldData(id).split(QLatin1Char('\t'));
        QVERIFY2(parts.size() >= 5, qPrintable(parts.join(QLatin1Char('|'))));
        QCOMPARE(parts[0], QStringLiteral("FORMDROPDOWN"));
        QCOMPARE(parts[4], QStringLiteral("w:listEntry w:val=\"Beta\""));
        m_control->setCurrentFieldId(id);
        m_control->setCurrentFieldText(QStringLiteral("Beta"));
        QVERIFY2(m_control->DocumentText().contains(QLatin1String("Pick Beta here")), qPrintable(m_control->DocumentText()));
    }

    void htmlImagesEmbedOnRequest()
    {
        m_control->Load(QStringLiteral(TESSAVIEW_CORPUS "/docx/tiny-picture.docx"), 0, 13);
        QVERIFY(m_control->ObjectQuery(0, 4) > 0);
        m_control->setImageEmbedMode(1);
        const QString html = path(QStringLiteral("embedded.html"));
        m_control->Save(html, 0, 4);
        m_control->setImageEmbedMode(0);
        QVERIFY(testutil::readFile(html).contains("data:image/"));
    }

    void officeFailuresReachTheCaller()
    {
        // A load that takes longer than its limit is reported, not raised,
        // so that callers do not try it again.
        QByteArray big("<html><body>");
        for (int i = 0; i < 3000; ++i)
            big += "<p>Line " + QByteArray::number(i) + " of a slow document</p>";
        const QString slow = write(QStringLiteral("slow.html"), big + "</body></html>");
        m_engine->setLoadTimeout(50);
        m_control->Load(slow, 0, 4);
        QCOMPARE(m_events.size(), size_t(1));
        QCOMPARE(m_events.front().number, kErrOfficeTimedOut);
        QVERIFY(m_events.front().text.contains(QLatin1String("loading")));

        // A document lost with a killed office: saving raises, and says why.
        m_engine->setLoadTimeout(120000);
        m_control->Load(write(QStringLiteral("lost.rtf"), rtfDocument("Soon lost\\par")), 0, 5);
        QVERIFY(::kill(m_engine->processId(), SIGKILL) == 0);
        const auto error = raised([&] { m_control->Save(path(QStringLiteral("lost.pdf")), 0, 12); });
        QVERIFY(error);
        QCOMPARE(error->number, kErrOfficeStopped);
        QVERIFY(!QFile::exists(path(QStringLiteral("lost.pdf"))));

        // A save that hangs: the message names the time limit.
        m_control->Load(write(QStringLiteral("hang.html"), big), 0, 4);
        m_engine->setSaveTimeout(50);
        const auto timeout = raised([&] { m_control->Save(path(QStringLiteral("hang.pdf")), 0, 12); });
        QVERIFY(timeout);
        QCOMPARE(timeout->number, kErrOfficeTimedOut);
        QVERIFY(timeout->description.contains(QLatin1String("time limit")));
        const auto again = raised([&] { m_control->Save(path(QStringLiteral("hang.pdf")), 0, 12); });
        QVERIFY(again);
        QVERIFY2(again->description.contains(QLatin1String("time limit")), qPrintable(again->description));

        // The next document converts.
        m_engine->setSaveTimeout(120000);
        m_control->Load(write(QStringLiteral("after.rtf"), rtfDocument("After the failures\\par")), 0, 5);
        m_control->Save(path(QStringLiteral("after.pdf")), 0, 12);
        QVERIFY(pdfText(path(QStringLiteral("after.pdf"))).contains(QStringLiteral("After the failures")));
    }
};

QTEST_GUILESS_MAIN(TestTextControl)
#include "test_text_control.moc"
