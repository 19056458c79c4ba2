// The control against a word processor of the test's own: the result codes
// of a conversion with their texts and events, conversions onto the source
// and over an old output, the instance it holds, the PDF and password
// tests, its saved properties, and the same members by dispatch id.
#include "FakeWord.h"
#include "OfficeWordApplication.h"
#include "QuaystoneCtrl.h"
#include "QuaystoneDispatch.h"
#include "QuaystoneIds.h"
#include "TestUtil.h"

#include "dispatch/Dispatch.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A control on a fake word processor, with its events recorded.
struct Harness
{
    std::shared_ptr<FakeWordScript> word = std::make_shared<FakeWordScript>();
    QuaystoneCtrl ctrl{std::make_shared<FakeWordAutomation>(word)};
    QStringList events;

    Harness()
    {
        ctrl.InitProperties();
        ctrl.OnError = [this](int code, const QString& text) { events << QStringLiteral("%1:%2").arg(code).arg(text); };
    }
};

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

Q_DECLARE_METATYPE(std::optional<WordError>)

class TestQuaystoneCtrl : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        // The default state file and the PDF test's temporary file land in
        // folders of the test's own.
        qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toUtf8());
        QDir().mkpath(m_home.filePath("tmp"));
        qputenv("TMPDIR", m_home.filePath("tmp").toUtf8());
    }

    void resultCodes_data()
    {
        QTest::addColumn<QString>("source");   // "" for the existing one; "-" empty; "missing"
        QTest::addColumn<QString>("target");   // "" for out.pdf; "-" blank
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("version");
        QTest::addColumn<std::optional<WordError>>("openError");
        QTest::addColumn<std::optional<WordError>>("saveError");
        QTest::addColumn<bool>("quitFails");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("errorString"); // "{src}" is the source path
        QTest::addColumn<QStringList>("events");

        using E = std::optional<WordError>;
        const QString v16 = QStringLiteral("16.0");
        const QString missing = kSourceMissingText();
        const QString notOpened = quaystonetext::kNotOpened;
        const QString noWord = quaystonetext::kWordNotStarted;
        const QString noRelease = quaystonetext::kWordNotReleased;
        const E none;
        const E badPassword = WordError{wordautomation::BadPassword, QStringLiteral("The password is incorrect.")};
        const E damaged = WordError{wordautomation::CannotOpen, QStringLiteral("The file is damaged.")};
        const E diskFull = WordError{wordautomation::SaveFailed, QStringLiteral("No space left on the device.")};
        const E noExport = WordError{wordautomation::CommandFailed, QStringLiteral("The command failed.")};
        const E serverFault = WordError{int(0x80010105), QStringLiteral("The server threw an exception.")};
        const E lost = WordError{wordautomation::OfficeLost, QStringLiteral("The office process ended.")};
        const E memory = WordError{wordautomation::OutOfMemory,
                                   QStringLiteral("The office used more than 3 GB of memory while loading it.")};

        QTest::newRow("success") << "" << "" << true << v16 << none << none << false << 0 << " " << QStringList();
        QTest::newRow("missing source") << "missing" << "" << true << v16 << none << none << false << -2
                                        << missing << QStringList{"-2:" + missing};
        QTest::newRow("empty source: the existence test comes first")
            << "-" << "" << true << v16 << none << none << false << -2 << kSourceMissingText(QString())
            << QStringList{"-2:" + kSourceMissingText(QString())};
        QTest::newRow("blank target") << "" << "-" << true << v16 << none << none << false << -8
                                      << quaystonetext::kPathEmpty << QStringList{"-8:" + quaystonetext::kPathEmpty};
        QTest::newRow("no word processor: one event") << "" << "" << false << v16 << none << none << false << -3
                                                      << noWord << QStringList{"-3:" + noWord};
        QTest::newRow("wrong password") << "" << "" << true << v16 << badPassword << none << false << -10 << notOpened
                                        << QStringList{"-10:" + notOpened};
        QTest::newRow("damaged source") << "" << "" << true << v16 << damaged << none << false << -10 << notOpened
                                        << QStringList{"-10:" + notOpened};
        QTest::newRow("office past its memory on the open: the reason is named")
            << "" << "" << true << v16 << memory << none << false << -10 << memory->description
            << QStringList{"-10:" + memory->description};
        QTest::newRow("store fails") << "" << "" << true << v16 << none << diskFull << false << -10
                                     << diskFull->description << QStringList{"-10:" + diskFull->description};
        QTest::newRow("no PDF export after the open") << "" << "" << true << v16 << none << noExport << false << -11
                                                      << quaystonetext::kPdfAddInMissing
                                                      << QStringList{"-10:" + noExport->description};
        QTest::newRow("a server fault is no success") << "" << "" << true << v16 << none << serverFault << false << -10
                                                      << serverFault->description
                                                      << QStringList{"-10:" + serverFault->description};
        QTest::newRow("office lost while saving") << "" << "" << true << v16 << none << lost << false << -10
                                                  << lost->description << QStringList{"-10:" + lost->description};
        QTest::newRow("older word, wrong password") << "" << "" << true << "11.0" << badPassword << none << false << -9
                                                    << quaystonetext::kPasswordProtection
                                                    << QStringList{"-10:" + notOpened};
        QTest::newRow("older word, store fails: the conversion ends")
            << "" << "" << true << "11.0" << none << diskFull << false << -10 << diskFull->description
            << QStringList{"-10:" + diskFull->description};
        QTest::newRow("release fails") << "" << "" << true << v16 << none << none << true << -4 << noRelease
                                       << QStringList{"-4:" + noRelease};
        QTest::newRow("store and release fail") << "" << "" << true << v16 << none << diskFull << true << -4 << noRelease
                                                << QStringList{"-10:" + diskFull->description, "-4:" + noRelease};
    }

    void resultCodes()
    {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(bool, installed);
        QFETCH(QString, version);
        QFETCH(std::optional<WordError>, openError);
        QFETCH(std::optional<WordError>, saveError);
        QFETCH(bool, quitFails);
        QFETCH(int, result);
        QFETCH(QString, errorString);
        QFETCH(QStringList, events);

        QTemporaryDir dir;
        const QString existing = dir.filePath("in.docx");
        QVERIFY(testutil::writeFile(existing, "PK source"));
        QString src = source.isEmpty() ? existing : source == "-" ? QString() : dir.filePath("missing.docx");
        const QString out = target == "-" ? QStringLiteral("   ") : dir.filePath("out.pdf");
        errorString.replace(QStringLiteral("{src}"), src);
        for (QString& e : events)
            e.replace(QStringLiteral("{src}"), src);

        Harness h;
        h.word->installed = installed;
        h.word->version = version;
        h.word->openError = openError;
        h.word->saveError = saveError;
        if (quitFails) {
            // The installed test and the first of two instances quit; the
            // held one does not.
            h.word->quitError = WordError{-1, QStringLiteral("quit failed")};
            h.word->quitsBeforeFailing = 2;
        }

        QCOMPARE(h.ctrl.OpenWordSaveAs(src, out, quaystone::kWordFormatPdf), result);
        QCOMPARE(h.ctrl.ErrorString(), errorString);
        QCOMPARE(h.events, events);
        // Whatever happened, no document stays open and the source is
        // untouched.
        QCOMPARE(h.word->openDocuments, 0);
        QCOMPARE(testutil::readFile(existing), QByteArray("PK source"));
        // The output is there when the save worked (a failed release
        // comes after it).
        QCOMPARE(QFileInfo::exists(out), result == 0 || (result == -4 && !saveError));
        QCOMPARE(h.ctrl.FilesJustCreatedCount(), 0);
    }

    void conversionCalls_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("calls"); // after the open
        QTest::newRow("PDF through the fixed-format export")
            << "a.docx" << 17 << QStringList{"track", "convert", "export {d}/out @17", "close"};
        QTest::newRow("another format through the save")
            << "a.docx" << 12 << QStringList{"track", "convert", "saveas {d}/out @12 pw=", "close"};
        QTest::newRow("an RTF source is never converted")
            << "a.rtf" << 17 << QStringList{"track", "export {d}/out @17", "close"};
    }

    void conversionCalls()
    {
        QFETCH(QString, source);
        QFETCH(int, type);
        QFETCH(QStringList, calls);
        QTemporaryDir dir;
        const QString input = dir.filePath(source);
        QVERIFY(testutil::writeFile(input, "source"));
        Harness h;
        QCOMPARE(h.ctrl.OpenWordSaveAs(input, dir.filePath("out"), type), 0);
        const qsizetype open = h.word->calls.indexOf(QStringLiteral("open %1 pw=%2").arg(input, kDummyPassword));
        QVERIFY2(open >= 0, qPrintable(h.word->calls.join(u'|')));
        for (QString& c : calls)
            c.replace(QStringLiteral("{d}"), dir.path());
        QCOMPARE(h.word->calls.mid(open + 1, calls.size()), calls);
        // The dummy password stays in the property.
        QCOMPARE(h.ctrl.InputFile_PassWord(), kDummyPassword);
    }

    void anOldOutputSurvivesAFailedConversion()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath("in.docx");
        const QString out = dir.filePath("out.pdf");
        QVERIFY(testutil::writeFile(input, "source"));
        QVERIFY(testutil::writeFile(out, "old output"));
        Harness h;
        h.word->saveError = WordError{wordautomation::SaveFailed, QStringLiteral("cannot write")};
        QCOMPARE(h.ctrl.OpenWordSaveAs(input, out, 17), -10);
        QCOMPARE(testutil::readFile(out), QByteArray("old output"));
    }

    void conversionOntoTheSource_data()
    {
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("through"); // the path text naming the source as target
        QTest::addColumn<int>("result");
        QTest::newRow("replaced once complete") << false << QByteArray("converted") << "same" << 0;
        QTest::newRow("same file under another name") << false << QByteArray("converted") << "dotted" << 0;
        QTest::newRow("save fails: the source stays") << true << QByteArray("converted") << "same" << -10;
        QTest::newRow("nothing written: the source stays") << false << QByteArray() << "same" << -10;
    }

    void conversionOntoTheSource()
    {
        QFETCH(bool, saveFails);
        QFETCH(QByteArray, written);
        QFETCH(QString, through);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString source = dir.filePath("report.doc");
        QVERIFY(testutil::writeFile(source, "original"));
        QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        // A file of the user's with the name a fixed temporary name would take.
        QVERIFY(testutil::writeFile(source + ".krj", "the user's own file"));
        const QString target = through == "dotted" ? dir.path() + QStringLiteral("/./report.doc") : source;

        Harness h;
        h.word->written = written;
        if (saveFails)
            h.word->saveError = WordError{wordautomation::SaveFailed, QStringLiteral("cannot write")};
        QCOMPARE(h.ctrl.OpenWordSaveAs(source, target, 12), result);

        QCOMPARE(testutil::readFile(source), result == 0 ? written : QByteArray("original"));
        QCOMPARE(testutil::readFile(source + ".krj"), QByteArray("the user's own file"));
        QCOMPARE(filesIn(dir.path()), (QStringList{"report.doc", "report.doc.krj"}));
        QCOMPARE(QFile::permissions(source) & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        // It went through the save, PDF export or not.
        QCOMPARE(h.word->count(QStringLiteral("saveas ")), 1);
        QCOMPARE(h.word->openDocuments, 0);
    }

    void aWebAddressSkipsTheExistenceTest_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("web");
        QTest::newRow("https") << "https://example.org/a.docx" << true;
        QTest::newRow("http in capitals") << "HTTP://example.org/a.docx" << true;
        QTest::newRow("a path holding http") << "/data/http-docs/a.docx" << false;
        QTest::newRow("a relative name") << "http.docx" << false;
    }

    void aWebAddressSkipsTheExistenceTest()
    {
        QFETCH(QString, source);
        QFETCH(bool, web);
        Harness h;
        QCOMPARE(h.ctrl.bLoadingFromSkyDrive(source), web);
        // Testing a path never starts the word processor.
        QCOMPARE(h.word->count(QStringLiteral("create")), web ? 3 : 0);
        QTemporaryDir dir;
        const int result = h.ctrl.OpenWordSaveAs(source, dir.filePath("out.pdf"), 17);
        QCOMPARE(result, web ? 0 : -2);
        QCOMPARE(h.word->count(QStringLiteral("open ") + source), web ? 1 : 0);
    }

    void instanceHandling()
    {
        QTemporaryDir dir;
        const QString input = dir.filePath("in.docx");
        QVERIFY(testutil::writeFile(input, "source"));
        Harness h;
        // The first acquisition: the installed test, then two instances, the
        // second one held.
        h.ctrl.SetOptimizeForSpeed(true);
        QVERIFY(h.ctrl.OptimizeForSpeed());
        QCOMPARE(h.word->calls.mid(0, 5), (QStringList{"create", "quit", "create", "create", "quit"}));
        QCOMPARE(h.word->liveApplications, 1);
        WordApplication* held = h.ctrl.HeldApplication();

        // Kept across conversions.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(h.ctrl.OpenWordSaveAs(input, dir.filePath(QStringLiteral("out%1.pdf").arg(i)), 17), 0);
        QCOMPARE(h.ctrl.HeldApplication(), held);
        QCOMPARE(h.word->count("create"), 3);

        // One that stopped answering is replaced at the next conversion.
        static_cast<FakeWordApplication*>(held)->die();
        QCOMPARE(h.ctrl.OpenWordSaveAs(input, dir.filePath("after.pdf"), 17), 0);
        QVERIFY(h.ctrl.HeldApplication() != held);
        QCOMPARE(h.word->count("create"), 5);

        // Speed off quits it.
        h.ctrl.SetOptimizeForSpeed(false);
        QVERIFY(!h.ctrl.HeldApplication());
        QCOMPARE(h.word->liveApplications, 0);

        // Without speed, every conversion quits its instance.
        QCOMPARE(h.ctrl.OpenWordSaveAs(input, dir.filePath("alone.pdf"), 17), 0);
        QCOMPARE(h.word->liveApplications, 0);
        QVERIFY(h.word->calls.endsWith(QStringLiteral("quit")));
    }

    void theControlQuitsWhatItHoldsWhenItGoes()
    {
        auto word = std::make_shared<FakeWordScript>();
        {
            QuaystoneCtrl ctrl(std::make_shared<FakeWordAutomation>(word));
            ctrl.InitProperties();
            ctrl.SetOptimizeForSpeed(true);
            QCOMPARE(word->liveApplications, 1);
        }
        QCOMPARE(word->liveApplications, 0);
        QVERIFY(word->calls.endsWith(QStringLiteral("quit")));
    }

    void withoutAWordProcessor()
    {
        Harness h;
        h.word->installed = false;
        h.ctrl.SetOptimizeForSpeed(true);
        QVERIFY(!h.ctrl.OptimizeForSpeed());
        QVERIFY(!h.ctrl.WordIsInstalled());
        QCOMPARE(h.ctrl.WordVersion(), 0.0);
        QCOMPARE(h.events, QStringList{"-3:" + quaystonetext::kWordNotStarted});
        // Asked once: installing one later changes nothing for this control.
        h.word->installed = true;
        QVERIFY(!h.ctrl.WordIsInstalled());
        QCOMPARE(h.word->count("create"), 1);
        QCOMPARE(h.ctrl.TestSaveAsPDF(), -3);
    }

    void versionAndBuild_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("build");
        QTest::addColumn<double>("wordVersion");
        QTest::addColumn<int>("wordBuild");
        QTest::newRow("dotted") << "16.0" << "16.0.4266.1001" << 16.0 << 1001;
        QTest::newRow("read with the wrong separator") << "160" << "7,4,7,2" << 16.0 << 2;
        QTest::newRow("no dot in the build") << "12.0" << "12" << 12.0 << 0;
        QTest::newRow("a build that is no number") << "15.0" << "15.0.beta" << 15.0 << 0;
    }

    void versionAndBuild()
    {
        QFETCH(QString, version);
        QFETCH(QString, build);
        QFETCH(double, wordVersion);
        QFETCH(int, wordBuild);
        Harness h;
        h.word->version = version;
        h.word->build = build;
        QCOMPARE(h.ctrl.WordVersion(), wordVersion);
        QCOMPARE(h.ctrl.WordBuild(), wordBuild);
        const int created = h.word->count("create");
        // Asked of the word processor once per control.
        QCOMPARE(h.ctrl.WordVersion(), wordVersion);
        QCOMPARE(h.ctrl.WordBuild(), wordBuild);
        QCOMPARE(h.word->count("create"), created);
        QVERIFY(h.events.isEmpty());
    }

    void aFailedVersionReadIsTriedAgain()
    {
        Harness h;
        QVERIFY(h.ctrl.WordIsInstalled());
        h.word->createFailures = 1;
        QCOMPARE(h.ctrl.WordVersion(), 0.0);
        QCOMPARE(h.events, QStringList{"-3:" + quaystonetext::kWordNotStarted});
        QCOMPARE(h.ctrl.WordVersion(), 16.0);
    }

    void hideWordIfVisible()
    {
        Harness h;
        h.ctrl.SetOptimizeForSpeed(true);
        h.word->visible = true;
        QCOMPARE(h.ctrl.HideWordIfVisible(), false);
        QVERIFY(!h.word->visible);
        QCOMPARE(h.ctrl.HideWordIfVisible(), false);
    }

    void testSaveAsPdf_data()
    {
        QTest::addColumn<std::optional<WordError>>("saveError");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("quitFails");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("errorString");
        using E = std::optional<WordError>;
        QTest::newRow("saves PDF") << E() << QByteArray("%PDF") << false << 0 << " ";
        QTest::newRow("saves without error but writes nothing") << E() << QByteArray() << false << -1 << " ";
        QTest::newRow("save fails") << E(WordError{wordautomation::SaveFailed, "cannot save"}) << QByteArray("%PDF")
                                    << false << -1 << "cannot save";
        QTest::newRow("no PDF export") << E(WordError{wordautomation::CommandFailed, "command failed"})
                                       << QByteArray("%PDF") << false << -11 << "command failed";
        QTest::newRow("release fails") << E() << QByteArray("%PDF") << true << -4 << quaystonetext::kWordNotReleased;
    }

    void testSaveAsPdf()
    {
        QFETCH(std::optional<WordError>, saveError);
        QFETCH(QByteArray, written);
        QFETCH(bool, quitFails);
        QFETCH(int, result);
        QFETCH(QString, errorString);
        Harness h;
        h.word->saveError = saveError;
        h.word->written = written;
        if (quitFails) {
            h.word->quitError = WordError{-1, QStringLiteral("quit failed")};
            h.word->quitsBeforeFailing = 2;
        }
        QCOMPARE(h.ctrl.TestSaveAsPDF(), result);
        QCOMPARE(h.ctrl.ErrorString(), errorString);
        // No event, and nothing left in the temporary folder.
        QVERIFY(h.events.isEmpty());
        QCOMPARE(filesIn(m_home.filePath("tmp")), QStringList());
        const QString save = h.word->calls.filter(QStringLiteral("saveas ")).value(0);
        QVERIFY2(QFileInfo(save.section(u' ', 1, 1)).fileName().startsWith(QLatin1String("Del")), qPrintable(save));
        QVERIFY2(save.contains(QLatin1String(".DOC @17")), qPrintable(save));
        QCOMPARE(h.word->openDocuments, 0);
    }

    void wordDocIsPasswordProtected_data()
    {
        QTest::addColumn<std::optional<WordError>>("openError");
        QTest::addColumn<bool>("isProtected");
        QTest::addColumn<QString>("errorString");
        using E = std::optional<WordError>;
        QTest::newRow("opens") << E() << false << " ";
        QTest::newRow("wants a password") << E(WordError{wordautomation::BadPassword, "password"}) << true << " ";
        QTest::newRow("missing file") << E(WordError{wordautomation::FileNotFound, "not found"}) << true << "5174:not found";
    }

    void wordDocIsPasswordProtected()
    {
        QFETCH(std::optional<WordError>, openError);
        QFETCH(bool, isProtected);
        QFETCH(QString, errorString);
        Harness h;
        h.word->openError = openError;
        QCOMPARE(h.ctrl.WordDocIsPasswordProtected(QStringLiteral("/in/a.docx")), isProtected);
        QCOMPARE(h.ctrl.ErrorString(), errorString);
        QVERIFY(h.word->calls.contains(QStringLiteral("open /in/a.docx pw=") + kDummyPassword));
        QCOMPARE(h.word->openDocuments, 0);
        QVERIFY(h.events.isEmpty());
    }

    void savedProperties_data()
    {
        QTest::addColumn<QVariantMap>("bag"); // empty: placed new on a form
        QTest::addColumn<QString>("stateFile"); // "default" for the default path
        QTest::addColumn<QString>("errorString");
        QVariantMap program{{"msStateFile", "/usr/QSTX.INI"}, {"bUseStateFile", true}};
        QVariantMap off{{"msStateFile", "/usr/QSTX.INI"}, {"bUseStateFile", false}};
        QTest::newRow("new on a form") << QVariantMap() << "default" << " ";
        QTest::newRow("the program's form") << program << "/usr/QSTX.INI" << "";
        QTest::newRow("saved without the state file") << off << "default" << " ";
        QTest::newRow("saved with nothing") << QVariantMap{{"other", 1}} << "default" << " ";
    }

    void savedProperties()
    {
        QFETCH(QVariantMap, bag);
        QFETCH(QString, stateFile);
        QFETCH(QString, errorString);
        QuaystoneCtrl ctrl(std::make_shared<FakeWordAutomation>(std::make_shared<FakeWordScript>()));
        if (bag.isEmpty())
            ctrl.InitProperties();
        else
            ctrl.ReadProperties(bag);
        const QString expected = stateFile == "default"
            ? m_home.filePath(QStringLiteral("config/Kestrova, Inc/Quaystone/Quaystone.INI")) : stateFile;
        QCOMPARE(ctrl.StateFile(), expected);
        QVERIFY(ctrl.UseStateFile());
        QCOMPARE(ctrl.ErrorString(), errorString);
        QCOMPARE(ctrl.WriteProperties(), (QVariantMap{{"msStateFile", expected}, {"bUseStateFile", true}}));
        QVERIFY(!ctrl.OptimizeForSpeed());
        QVERIFY(!ctrl.Verbose());
    }

    void membersByDispatchId()
    {
        auto word = std::make_shared<FakeWordScript>();
        DispatchClient control(ExposeDispatchTarget(MakeQuaystoneDispatchTarget(std::make_shared<FakeWordAutomation>(word))));
        QStringList events;
        control.Advise([&](int dispid, const QVariantList& args) {
            QCOMPARE(dispid, quaystone::dispid::OnError);
            events << QStringLiteral("%1:%2").arg(args.value(0).toInt()).arg(args.value(1).toString());
        });
        control.InitNew();
        namespace id = quaystone::dispid;

        // Every read-write property keeps what was put, and only that.
        const QList<QPair<int, QVariant>> properties = {
            {id::Verbose, true}, {id::StateFile, "/x/state.ini"}, {id::UseStateFile, false},
            {id::ErrorString, "text"}, {id::OutputFile_PassWord, "out"}, {id::OutputFile_PassWord_TW, "out-tw"},
            {id::InputFile_PassWord, "in"}, {id::InputFile_PassWord_TW, "in-tw"},
            {id::InputFileTemplate_PassWord, "tpl"}, {id::InputFileTemplate_PassWord_TW, "tpl-tw"},
            {id::ConvertSpecificPages, "1-3"}};
        for (const auto& [dispid, value] : properties)
            control.Put(dispid, value);
        for (const auto& [dispid, value] : properties)
            QCOMPARE(control.Get(dispid), value);
        QVERIFY(word->calls.isEmpty());

        QCOMPARE(control.Get(id::WordVersion).toDouble(), 16.0);
        QCOMPARE(control.Get(id::WordBuild).toInt(), 1001);
        QCOMPARE(control.Call(id::WordIsInstalled).toBool(), true);
        QCOMPARE(control.Call(id::HideWordIfVisible).toBool(), false);
        QCOMPARE(control.Call(id::StateFileSave), QVariant());
        QCOMPARE(control.Call(id::StateFileLoad), QVariant());
        QCOMPARE(control.Get(id::FilesJustCreatedCount).toInt(), 0);
        QCOMPARE(control.Call(id::OpenWordSaveAs, {"/no/such.docx", "/out/x.pdf", 17}).toInt(), -2);
        QCOMPARE(events, QStringList{"-2:" + kSourceMissingText(QStringLiteral("/no/such.docx"))});
        control.Put(id::OptimizeForSpeed, true);
        QCOMPARE(control.Get(id::OptimizeForSpeed).toBool(), true);
        QCOMPARE(control.Call(id::TestSaveAsPDF).toInt(), 0);

        // Failures of the call itself.
        auto code = [&](auto&& call) {
            try {
                call();
            } catch (const DispatchError& e) {
                return e.code();
            }
            return int32_t(0);
        };
        QCOMPARE(code([&] { control.Call(id::FilesJustCreated, {1}); }), DISPATCH_E_EXCEPTION);
        QCOMPARE(code([&] { control.Put(id::WordVersion, 12.0); }), DISPATCH_E_MEMBERNOTFOUND);
        QCOMPARE(code([&] { control.Call(0x60030099); }), DISPATCH_E_MEMBERNOTFOUND);
        QCOMPARE(code([&] { control.Call(id::OpenWordSaveAs, {"a", "b"}); }), DISPATCH_E_BADPARAMCOUNT);
        QCOMPARE(code([&] { control.Call(id::OpenWordSaveAs, {"a", "b", "pdf"}); }), DISPATCH_E_TYPEMISMATCH);

        QCOMPARE(control.Save(), (QVariantMap{{"msStateFile", "/x/state.ini"}, {"bUseStateFile", false}}));
    }

    void textFileMembersPassThrough()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath("a.txt");
        const QString b = dir.filePath("b.txt");
        QVERIFY(testutil::writeFile(a, "one\n\n  \ntwo\n"));
        QVERIFY(testutil::writeFile(b, "start\n"));
        QVERIFY(testutil::writeFile(dir.filePath("u.txt"), QByteArray("\xFF\xFEh\0i\0", 6)));
        Harness h;
        QCOMPARE(h.ctrl.ConcatenateTwoTextFiles(a, b), 0);
        QCOMPARE(testutil::readFile(b), QByteArray("start\none\n\n  \ntwo\n"));
        QCOMPARE(h.ctrl.ConcatenateTwoTextFilesEx(a, b, 1, 0), 0);
        QVERIFY(testutil::readFile(b).contains("\ntwo\n\x0Cone\n"));
        QCOMPARE(h.ctrl.DeleteEmptyLinesFromTextFile(a, dir.filePath("c.txt")), 0);
        QCOMPARE(testutil::readFile(dir.filePath("c.txt")), QByteArray("one\ntwo\n"));
        QVERIFY(h.ctrl.IsFileUnicode(dir.filePath("u.txt")));
        QVERIFY(!h.ctrl.IsFileUnicode(a));
        QVERIFY(!h.ctrl.IsFileUnicode(dir.filePath("missing.txt")));
        // A failure of the routines is their own code; the control adds
        // nothing and never asks the word processor.
        QVERIFY(h.ctrl.ConcatenateTwoTextFiles(dir.filePath("missing.txt"), b) != 0);
        QCOMPARE(h.ctrl.ErrorString(), QStringLiteral(" "));
        QVERIFY(h.events.isEmpty());
        QVERIFY(h.word->calls.isEmpty());
    }

    void saveFormats_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("office"); // OfficeOutputFormat, -1 refused
        QTest::newRow("0 DOC") << 0 << int(OfficeOutputFormat::Doc);
        QTest::newRow("2 text") << 2 << int(OfficeOutputFormat::Text);
        QTest::newRow("3 text with line breaks") << 3 << int(OfficeOutputFormat::Text);
        QTest::newRow("6 RTF") << 6 << int(OfficeOutputFormat::Rtf);
        QTest::newRow("7 Unicode text") << 7 << int(OfficeOutputFormat::UnicodeText);
        QTest::newRow("8 HTML") << 8 << int(OfficeOutputFormat::Html);
        QTest::newRow("10 filtered HTML") << 10 << int(OfficeOutputFormat::Html);
        QTest::newRow("12 DOCX") << 12 << int(OfficeOutputFormat::Docx);
        QTest::newRow("13 DOCM") << 13 << int(OfficeOutputFormat::Docm);
        QTest::newRow("16 default DOCX") << 16 << int(OfficeOutputFormat::Docx);
        QTest::newRow("17 PDF") << 17 << int(OfficeOutputFormat::Pdf);
        QTest::newRow("23 ODT") << 23 << int(OfficeOutputFormat::Odt);
        for (int refused : {-1, 1, 4, 9, 11, 14, 18, 19, 24, 99})
            QTest::addRow("%d refused", refused) << refused << -1;
    }

    void saveFormats()
    {
        QFETCH(int, format);
        QFETCH(int, office);
        try {
            const OfficeSaveOptions options = WordSaveOptions(format, QStringLiteral("pw"), QString());
            QCOMPARE(int(options.format), office);
            // The open password goes where the format keeps one.
            QCOMPARE(format == 17 ? options.pdf.openPassword : options.documentPassword, QStringLiteral("pw"));
        } catch (const WordError& e) {
            QCOMPARE(office, -1);
            QCOMPARE(e.number, wordautomation::BadArgument);
            QVERIFY2(e.description.contains(QStringLiteral("save format %1 is not offered").arg(format))
                         && e.description.contains(QLatin1String("23 ODT")),
                     qPrintable(e.description));
        }
    }

    void aPasswordToModifyIsRefused()
    {
        try {
            WordSaveOptions(12, QString(), QStringLiteral("modify"));
            QFAIL("accepted");
        } catch (const WordError& e) {
            QCOMPARE(e.number, wordautomation::BadArgument);
        }
    }

    void loadFilters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("format"); // OfficeInputFormat
        const int wp = int(OfficeInputFormat::WordProcessing);
        const int text = int(OfficeInputFormat::Text);
        const int html = int(OfficeInputFormat::Html);
        const int xml = int(OfficeInputFormat::Xml);
        QTest::newRow("DOCX") << "a.docx" << QByteArray("PK\x03\x04rest") << wp;
        QTest::newRow("DOC") << "a.doc" << QByteArray("\xD0\xCF\x11\xE0rest") << wp;
        QTest::newRow("RTF") << "a.rtf" << QByteArray("{\\rtf1 x}") << wp;
        QTest::newRow("HTML by its extension") << "a.htm" << QByteArray("<p>x</p>") << html;
        QTest::newRow("HTML by its bytes") << "a.doc" << QByteArray("  <!DOCTYPE html><html><body>x") << html;
        QTest::newRow("8-bit text") << "a.txt" << QByteArray("caf\xE9\n") << text;
        QTest::newRow("UTF-16 text by its mark") << "a.dat" << QByteArray("\xFF\xFEh\0", 4) << text;
        QTest::newRow("text without an extension") << "readme" << QByteArray("plain words\n") << text;
        QTest::newRow("XML") << "a.xml" << QByteArray("<?xml version=\"1.0\"?><a/>") << xml;
        QTest::newRow("binary of another kind") << "a.wpd" << QByteArray("\xFFWPC\0\0\0", 7) << wp;
    }

    void loadFilters()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, format);
        QTemporaryDir dir;
        QVERIFY(testutil::writeFile(dir.filePath(name), bytes));
        const OfficeLoadOptions options = WordSourceLoadOptions(dir.filePath(name));
        QCOMPARE(int(options.format), format);
        // The character set is the office's to find from the bytes.
        QVERIFY(options.textEncoding.isEmpty());
    }

    void compatibilityLevel_data()
    {
        QTest::addColumn<QString>("office");
        QTest::addColumn<QString>("level");
        QTest::newRow("7.4") << "7.4.7.2" << "16.0";
        QTest::newRow("24.2") << "24.2.0.3" << "16.0";
        QTest::newRow("6.4 is too old") << "6.4.7.2" << "";
        QTest::newRow("none") << "" << "";
    }

    void compatibilityLevel()
    {
        QFETCH(QString, office);
        QFETCH(QString, level);
        QCOMPARE(WordLevelForOfficeVersion(office), level);
    }

    void noOfficeProgramMeansNoApplication()
    {
        OfficeWordAutomation automation;
        automation.SetProgram(QStringLiteral("/nonexistent/soffice.bin"));
        try {
            automation.CreateApplication();
            QFAIL("made an application");
        } catch (const WordError& e) {
            QCOMPARE(e.number, wordautomation::CannotCreate);
            QVERIFY2(e.description.contains(QLatin1String("/nonexistent/soffice.bin")), qPrintable(e.description));
        }
        QuaystoneCtrl ctrl(std::make_shared<OfficeWordAutomation>(automation));
        ctrl.InitProperties();
        QVERIFY(!ctrl.WordIsInstalled());
    }

private:
    static QString kSourceMissingText(const QString& source = QStringLiteral("{src}"))
    {
        return quaystonetext::kSourceMissing + QStringLiteral("\r\r") + source;
    }
};

QTEST_GUILESS_MAIN(TestQuaystoneCtrl)
#include "test_quaystone_ctrl.moc"
