// The program's side of the Word route, with a control of the test's own
// behind the dispatch interface: the version rule, the settings handed over
// before every conversion, the item's message for each code, the run and
// the engine letting the control's office go, and a rendered PDF turned
// into images by the item runner. One case loads the real library.
#include "EngineHarness.h"
#include "TestUtil.h"
#include "TranslatorFixture.h"

#include "control/QuaystoneIds.h"
#include "core/FileTypes.h"
#include "dispatch/Dispatch.h"
#include "engine/ConversionItem.h"
#include "engine/WordRoute.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

namespace id = quaystone::dispid;

namespace {

const QString kDemoPdf = QStringLiteral(TESSAVIEW_DEMO_DATA "/Sample PDF Document.pdf");

struct FakeControlState
{
    QStringList calls;
    double version = 16.0;
    int result = 0;
    QByteArray output = "%PDF-1.4 converted"; // written to the target on 0; empty writes nothing
    bool copyDemoPdf = false;                  // writes a real PDF instead
    QString errorString = QStringLiteral(" ");
    bool failCalls = false;
    bool released = false;
};

// The members the program calls, by dispatch id.
class FakeControl : public DispatchTarget
{
public:
    explicit FakeControl(std::shared_ptr<FakeControlState> state) : m_s(std::move(state)) {}
    ~FakeControl() override { m_s->released = true; }

    QVariant Invoke(int dispid, int kind, const QVariantList& args) override
    {
        if (m_s->failCalls)
            throw DispatchError(DISPATCH_E_EXCEPTION, QStringLiteral("the control\tfailed\non its own"));
        if (kind == DISPATCH_PROPERTYPUT) {
            m_s->calls << QStringLiteral("put %1=%2").arg(name(dispid), args.value(0).toString());
            return QVariant();
        }
        switch (dispid) {
        case id::WordVersion:
            m_s->calls << QStringLiteral("get WordVersion");
            return m_s->version;
        case id::ErrorString:
            return m_s->errorString;
        case id::TestSaveAsPDF:
            m_s->calls << QStringLiteral("TestSaveAsPDF");
            return m_s->result;
        case id::OpenWordSaveAs: {
            RequireArgumentCount(args, 3);
            const QString target = args.at(1).toString();
            m_s->calls << QStringLiteral("OpenWordSaveAs %1 -> %2 @%3")
                              .arg(QFileInfo(args.at(0).toString()).fileName(), QFileInfo(target).fileName(),
                                   args.at(2).toString());
            if (m_s->result == 0 && m_s->copyDemoPdf) {
                QFile::remove(target); // the runner's temporary PDF is made empty beforehand
                QFile::copy(kDemoPdf, target);
            }
            else if (m_s->result == 0 && !m_s->output.isNull())
                testutil::writeFile(target, m_s->output);
            return m_s->result;
        }
        default:
            throw DispatchError(DISPATCH_E_MEMBERNOTFOUND, QStringLiteral("not faked"));
        }
    }

private:
    static QString name(int dispid)
    {
        switch (dispid) {
        case id::OptimizeForSpeed: return QStringLiteral("OptimizeForSpeed");
        case id::InputFile_PassWord: return QStringLiteral("InputFile_PassWord");
        case id::InputFile_PassWord_TW: return QStringLiteral("InputFile_PassWord_TW");
        case id::InputFileTemplate_PassWord: return QStringLiteral("InputFileTemplate_PassWord");
        case id::InputFileTemplate_PassWord_TW: return QStringLiteral("InputFileTemplate_PassWord_TW");
        default: return QString::number(dispid, 16);
        }
    }

    std::shared_ptr<FakeControlState> m_s;
};

std::shared_ptr<FakeControlState> plantControl(JobEngine& engine)
{
    auto state = std::make_shared<FakeControlState>();
    engine.SetQuaystone1(std::make_unique<DispatchClient>(ExposeDispatchTarget(std::make_unique<FakeControl>(state))));
    return state;
}

clsConversionOptions wordItem(const QTemporaryDir& dir, const QString& output, int outputType)
{
    clsConversionOptions item;
    item.sOriginalFile = dir.filePath("in.docx");
    testutil::writeFile(item.sOriginalFile, "PK docx");
    item.lOriginalFileType = filetype::Docx;
    item.sTargetFile = dir.filePath(output);
    item.lTargetFileType = outputType;
    item.lConversionMethod = conversionmethod::Word;
    item.sExtraParams = QStringLiteral("*^0^FALSE^75^50^0^0^0^");
    return item;
}

} // namespace

class TestWordRoute : public QObject
{
    Q_OBJECT

private slots:
    void versionRule_data()
    {
        QTest::addColumn<double>("version");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("12") << 12.0 << 0 << "Successfully Converted";
        QTest::newRow("16.0") << 16.0 << 0 << "Successfully Converted";
        QTest::newRow("16.1") << 16.1 << 0 << "Successfully Converted";
        QTest::newRow("16.2") << 16.2 << -12 << "Error 20: Version of MS Word: Version (16.2)";
        QTest::newRow("17") << 17.0 << -12 << "Error 20: Version of MS Word: Version (17)";
        QTest::newRow("140 is 14") << 140.0 << 0 << "Successfully Converted";
        QTest::newRow("170 is 17, shown unscaled") << 170.0 << -12 << "Error 20: Version of MS Word: Version (170)";
    }

    void versionRule()
    {
        QFETCH(double, version);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        EngineHarness h;
        auto control = plantControl(h.engine);
        control->version = version;
        clsConversionOptions item = wordItem(dir, "out.pdf", filetype::WordPdfFormat);
        QCOMPARE(ConvertViaWordControl(h.engine, item), code);
        QCOMPARE(item.lErr, code);
        QCOMPARE(item.sErr, message);
        // A version too new puts nothing into the control and converts nothing.
        const QStringList intoTheControl = control->calls.filter(QRegularExpression(QStringLiteral("^(put|OpenWordSaveAs)")));
        QCOMPARE(intoTheControl.isEmpty(), code != 0);
    }

    void codesAndMessages_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("errorString");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QByteArray pdf("%PDF-1.4 converted");
        QTest::newRow("0 with its output") << 0 << pdf << "" << 0 << "Successfully Converted";
        QTest::newRow("0 without an output") << 0 << QByteArray() << "" << -7 << "Unable to create output File.";
        QTest::newRow("0 with an empty output") << 0 << QByteArray("") << "" << -7 << "Unable to create output File.";
        QTest::newRow("-2") << -2 << pdf << "" << -2
                            << "Unable to open source file for processing. Check for sharing violation.";
        QTest::newRow("-3") << -3 << pdf << "" << -3 << "Unable to create Word Application. Is it installed?";
        QTest::newRow("-4") << -4 << pdf << "" << -4 << "Unable to destroy Word Application.";
        QTest::newRow("-8") << -8 << pdf << "" << -8 << "Input or Output file path is empty";
        QTest::newRow("-9") << -9 << pdf << "" << -9 << "File is password protected";
        QTest::newRow("-10: one line, no TAB") << -10 << pdf << "The office said:\r\nno\tway" << -10
                                               << "Failed to Convert. The office said:  no way";
        QTest::newRow("-5 has no text") << -5 << pdf << "" << -5 << "";
    }

    void codesAndMessages()
    {
        QFETCH(int, result);
        QFETCH(QByteArray, output);
        QFETCH(QString, errorString);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        EngineHarness h;
        auto control = plantControl(h.engine);
        control->result = result;
        control->output = output;
        control->errorString = errorString;
        clsConversionOptions item = wordItem(dir, "out.pdf", filetype::WordPdfFormat);
        QCOMPARE(ConvertViaWordControl(h.engine, item), code);
        QCOMPARE(item.lErr, code);
        QCOMPARE(item.sErr, message);
    }

    // What the office said goes into the row untranslated and is never added
    // to the language file; the control's own fixed text is translated.
    void theOfficesReasonStaysOutOfTheLanguageFile()
    {
        QTemporaryDir dir;
        const QByteArray languageFile = "\"Failed to Convert. \",\"Konvertierung fehlgeschlagen. \"\r\n"
                                        "\"Unable to open file. Could be a password or network access issue\","
                                        "\"Datei kann nicht ge\xc3\xb6""ffnet werden.\"\r\n";
        const auto english = qScopeGuard([] { ResetTranslator(); });
        QVERIFY(testutil::startTranslator(dir.path(), QStringLiteral("German"), languageFile));
        const QString file = dir.filePath(QStringLiteral("Languages/German-'Tessaview'.txt"));
        EngineHarness h;
        auto control = plantControl(h.engine);
        control->result = -10;
        control->errorString = QStringLiteral("Document /home/u/secret plan.docx is corrupt (code 0x80)");
        clsConversionOptions item = wordItem(dir, "out.pdf", filetype::WordPdfFormat);
        QCOMPARE(ConvertViaWordControl(h.engine, item), -10);
        QCOMPARE(item.sErr, QStringLiteral("Konvertierung fehlgeschlagen. Document /home/u/secret plan.docx is corrupt (code 0x80)"));
        control->errorString = QStringLiteral("Unable to open file. Could be a password or network access issue");
        item = wordItem(dir, "out.pdf", filetype::WordPdfFormat);
        QCOMPARE(ConvertViaWordControl(h.engine, item), -10);
        QCOMPARE(item.sErr, QStringLiteral("Konvertierung fehlgeschlagen. Datei kann nicht ge\u00f6""ffnet werden."));
        const QByteArray after = testutil::readFile(file);
        QVERIFY2(!after.contains("secret plan"), after.constData());
        QCOMPARE(after.count("Unable to open file."), 1);
    }

    void theAddInMessageNamesWhereToGetIt()
    {
        EngineHarness h;
        plantControl(h.engine);
        const QString text = GetWordErrorText(h.engine, -11);
        QVERIFY2(text.startsWith(QLatin1String("Microsoft Office Add-in required: 'Microsoft Save as PDF or XPS'. See https://")),
                 qPrintable(text));
    }

    void settingsGoInBeforeEveryConversion_data()
    {
        QTest::addColumn<bool>("speed");
        QTest::addColumn<QString>("password");
        QTest::newRow("speed, no passwords") << true << "";
        QTest::newRow("memory, an open password") << false << "pw";
    }

    void settingsGoInBeforeEveryConversion()
    {
        QFETCH(bool, speed);
        QFETCH(QString, password);
        QTemporaryDir dir;
        EngineHarness h;
        h.form.bOptimizeForSpeed = speed;
        h.form.sInputFile_Password = password;
        auto control = plantControl(h.engine);
        const QStringList once = {
            "get WordVersion",
            QStringLiteral("put OptimizeForSpeed=%1").arg(speed ? "true" : "false"),
            "put InputFile_PassWord=" + password,
            "put InputFile_PassWord_TW=",
            "put InputFileTemplate_PassWord=",
            "put InputFileTemplate_PassWord_TW=",
            "OpenWordSaveAs in.docx -> out.pdf @17",
        };
        for (int i = 0; i < 2; ++i) {
            clsConversionOptions item = wordItem(dir, "out.pdf", filetype::WordPdfFormat);
            QCOMPARE(ConvertViaWordControl(h.engine, item), 0);
        }
        QCOMPARE(control->calls, once + once);
    }

    void aFailingControlFailsTheItem()
    {
        QTemporaryDir dir;
        EngineHarness h;
        auto control = plantControl(h.engine);
        control->failCalls = true;
        clsConversionOptions item = wordItem(dir, "out.pdf", filetype::WordPdfFormat);
        QCOMPARE(ConvertViaWordControl(h.engine, item), -10);
        QCOMPARE(item.sErr, QStringLiteral("Failed to Convert. the control failed on its own"));
    }

    void wordVersionQueries()
    {
        EngineHarness h;
        auto control = plantControl(h.engine);
        control->version = 11;
        QCOMPARE(dWordVersion(h.engine), 11.0);
        QVERIFY(!bWordVersionAtLeast2007(h.engine));
        control->version = 16;
        QVERIFY(bWordVersionAtLeast2007(h.engine));
        control->failCalls = true;
        QCOMPARE(dWordVersion(h.engine), 0.0);

        // The command line answers 12 without asking.
        G_bCommandLineMode = true;
        control->calls.clear();
        QCOMPARE(dWordVersion(h.engine), 12.0);
        QVERIFY(control->calls.isEmpty());
    }

    void testSaveAsPdfAsksTheControl()
    {
        EngineHarness h;
        auto control = plantControl(h.engine);
        QCOMPARE(TestSaveAsPDF(h.engine), 0);
        control->result = -11;
        QCOMPARE(TestSaveAsPDF(h.engine), -11);
        QCOMPARE(control->calls, (QStringList{"TestSaveAsPDF", "TestSaveAsPDF"}));
    }

    void aRunLetsTheControlsOfficeGo()
    {
        QTemporaryDir dir;
        EngineHarness h;
        auto control = plantControl(h.engine);
        QVERIFY(testutil::writeFile(dir.filePath("in.docx"), "PK docx"));
        FlexGrid& grid = h.form.fgToDo;
        grid.AddItem(QStringList{QStringLiteral("*^0^FALSE^75^100^0^0^0^"), QStringLiteral("M"), "1", "C",
                                 dir.filePath("in.docx"), "13", "docx", dir.filePath("out.pdf"), "12", "pdf", ""}
                         .join(u'\t'),
                     grid.Rows() - 1);
        ConversionJobBegin(h.engine);
        QCOMPARE(h.passMarks(), QStringList{"+"});
        QVERIFY(QFileInfo::exists(dir.filePath("out.pdf")));
        QCOMPARE(control->calls.first(), QStringLiteral("get WordVersion"));
        QVERIFY(control->calls.contains(QStringLiteral("OpenWordSaveAs in.docx -> out.pdf @17")));
        QCOMPARE(control->calls.last(), QStringLiteral("put OptimizeForSpeed=false"));
    }

    void aRunWithoutDocumentsLoadsNoControl()
    {
        EngineHarness h;
        ConversionJobBegin(h.engine);
        QVERIFY(!h.engine.HasQuaystone1());
    }

    void theEngineLetsTheControlGoAsTheFormUnloads()
    {
        std::shared_ptr<FakeControlState> control;
        {
            EngineHarness h;
            control = plantControl(h.engine);
        }
        QCOMPARE(control->calls, QStringList{"put OptimizeForSpeed=false"});
        QVERIFY(control->released);
    }

    void anImageOutputIsRenderedToATemporaryPdfAndRasterised()
    {
        QTemporaryDir dir;
        EngineHarness h;
        h.form.bRunning = true;
        auto control = plantControl(h.engine);
        control->copyDemoPdf = true;
        clsConversionOptions item = wordItem(dir, "page.png", filetype::Png);
        item.sExtraParams = QStringLiteral("1^0^FALSE^75^50^0^0^0^");
        QCOMPARE(PerformConversionItem(h.engine, item), 0);
        // The PDF goes to a temporary file of the program's own, named after the output.
        const QStringList opens = control->calls.filter(QStringLiteral("OpenWordSaveAs in.docx -> page.png."));
        QCOMPARE(opens.size(), 1);
        QVERIFY2(opens.first().endsWith(QLatin1String(".tmppp123 @17")), qPrintable(opens.first()));
        QCOMPARE(identifiedFormat(dir.filePath("page.png")), QStringLiteral("PNG"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"in.docx", "page.png"}));
    }

    void theProgramLoadsTheControlLibrary()
    {
        EngineHarness h;
        QVERIFY(!h.engine.HasQuaystone1());
        DispatchClient& control = h.engine.Quaystone1();
        QVERIFY(h.engine.HasQuaystone1());
        // The form's saved properties: the state file is kept and the
        // defaults are skipped, so ErrorString is empty.
        QCOMPARE(control.Get(id::StateFile).toString(), QStringLiteral("/usr/QSTX.INI"));
        QCOMPARE(control.Get(id::UseStateFile).toBool(), true);
        QCOMPARE(control.Get(id::ErrorString).toString(), QString());
        QCOMPARE(control.Call(id::OpenWordSaveAs, {"/no/such/file.docx", "/tmp/x.pdf", 17}).toInt(), -2);
        QCOMPARE(&h.engine.Quaystone1(), &control);
    }
};

QTEST_GUILESS_MAIN(TestWordRoute)
#include "test_word_route.moc"
