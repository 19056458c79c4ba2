// The option dialogs' values without a window: loading them from the main
// form, applying them back, and the conversions between what the boxes
// show and what the form keeps (lengths in twips, permission bits, the
// option string).
#include "core/Globals.h"
#include "jobs/MainFormState.h"
#include "ui/OptionValues.h"

#include <QLocale>
#include <QTest>

class TestOptionValues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() { glnMeasurement = 1; }
    void cleanupTestCase() { glnMeasurement = 1; }

    // ---- Program options ----

    void programOptionsLoadAndApply()
    {
        MainFormState form;
        form.lConversionMethod = 1;
        form.bUserMSWordToConvert = true;
        form.bOptimizeForSpeed = false;
        form.sInputFile_Password = QStringLiteral("open");
        ProgramOptionsValues v = LoadProgramOptions(form);
        QVERIFY(v.bUseMSWord);
        QVERIFY(!v.bOptimizeForSpeed);
        QCOMPARE(v.sInputFile_Password, QStringLiteral("open"));

        // Applying what was loaded changes nothing, the edited task included.
        MainFormState same = form;
        ApplyProgramOptions(v, same);
        QVERIFY(!same.bCurrentActionItemDirty);
        QCOMPARE(same.lConversionMethod, 1);

        // Only a change of the engine marks the task.
        v.bUseMSWord = false;
        ApplyProgramOptions(v, form);
        QCOMPARE(form.lConversionMethod, 2);
        QVERIFY(!form.bUserMSWordToConvert);
        QVERIFY(form.bCurrentActionItemDirty);

        // Word is used only when both members say so.
        MainFormState half;
        half.lConversionMethod = 1;
        half.bUserMSWordToConvert = false;
        QVERIFY(!LoadProgramOptions(half).bUseMSWord);
    }

    void programOptionsChecks_data()
    {
        QTest::addColumn<bool>("move");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("moveAfter");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blanks only: move unticked, no message") << true << "   " << false << true << false << "";
        QTest::newRow("missing folder while moving") << true << "/no/such" << false << false << true << "/no/such";
        QTest::newRow("missing folder, not moving: kept as typed") << false << " /no/such " << false << true << false
                                                                   << "/no/such";
        QTest::newRow("existing folder") << true << " /tmp " << true << true << true << "/tmp";
    }

    void programOptionsChecks()
    {
        QFETCH(bool, move);
        QFETCH(QString, folder);
        QFETCH(bool, exists);
        QFETCH(bool, ok);
        QFETCH(bool, moveAfter);
        QFETCH(QString, stored);
        ProgramOptionsValues v;
        v.bMoveOriginalFileAfterProcessing = move;
        v.sMoveFileToFolder = folder;
        const ProgramOptionsCheck check = CheckProgramOptions(v, [&](const QString&) { return exists; });
        QCOMPARE(check == ProgramOptionsCheck::Ok, ok);
        QCOMPARE(v.bMoveOriginalFileAfterProcessing, moveAfter);
        if (ok) {
            MainFormState form;
            ApplyProgramOptions(v, form);
            QCOMPARE(form.sMoveFileToFolder, stored);
            QCOMPARE(form.bMoveOriginalFileAfterProcessing, moveAfter);
        }
    }

    // ---- Document formatting ----

    void formattingGroupsOff()
    {
        // Clearing a group's box writes only its flag; the members stay.
        MainFormState form;
        form.bOverrideFontSettings = true;
        form.bOverrideParagraphSettings = true;
        form.lVyxFontSize = 14;
        form.lVyxIndentL = 720;
        FormattingValues v = LoadFormatting(form);
        v.bOverrideFontSettings = false;
        v.bOverrideParagraphSettings = false;
        v.font.lVyxFontSize = 30;
        v.paragraph.lVyxIndentL = 99;
        ApplyFormatting(v, form);
        QVERIFY(!form.bOverrideFontSettings && !form.bOverrideParagraphSettings);
        QCOMPARE(form.lVyxFontSize, 14);
        QCOMPARE(form.lVyxIndentL, 720);

        // Ticked, the working values are written.
        v.bOverrideFontSettings = true;
        v.bOverrideParagraphSettings = true;
        ApplyFormatting(v, form);
        QCOMPARE(form.lVyxFontSize, 30);
        QCOMPARE(form.lVyxIndentL, 99);
    }

    void formattingImageGroup_data()
    {
        QTest::addColumn<bool>("enforce");
        QTest::addColumn<int>("qualityIndex");
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("maxResolution");
        QTest::addColumn<bool>("embed");
        // Old values: quality 50, resolution 300.
        QTest::newRow("applied") << true << 80 << "150" << 80 << 150 << true;
        QTest::newRow("resolution not a number") << true << 80 << "abc" << 80 << 300 << false;
        QTest::newRow("negative resolution") << true << 80 << "-5" << 80 << 300 << false;
        QTest::newRow("beyond 32 bits") << true << 80 << "99999999999" << 80 << 300 << true;
        QTest::newRow("no quality selected") << true << -1 << "200" << 50 << 200 << false;
        QTest::newRow("not enforced: embed still follows its box") << false << 80 << "150" << 50 << 300 << true;
    }

    void formattingImageGroup()
    {
        QFETCH(bool, enforce);
        QFETCH(int, qualityIndex);
        QFETCH(QString, resolution);
        QFETCH(int, quality);
        QFETCH(int, maxResolution);
        QFETCH(bool, embed);
        MainFormState form;
        form.lImageComparessionQuality = 50;
        form.lImageMaxResolution = 300;
        FormattingValues v = LoadFormatting(form);
        v.bOverrideImageSettings = enforce;
        v.qualityIndex = qualityIndex;
        v.resolutionText = resolution;
        v.bEmbedImageIntoOutput = embed;
        ApplyFormatting(v, form);
        QCOMPARE(form.bOverrideImageSettings, enforce);
        QCOMPARE(form.lImageComparessionQuality, quality);
        QCOMPARE(form.lImageMaxResolution, maxResolution);
        QCOMPARE(form.bEmbedImageIntoOutput, embed);
    }

    void formattingStoredQualityOutsideList()
    {
        MainFormState form;
        form.lImageComparessionQuality = 150;
        QCOMPARE(LoadFormatting(form).qualityIndex, -1);
        form.lImageComparessionQuality = 100;
        QCOMPARE(LoadFormatting(form).qualityIndex, 100);
    }

    // ---- Page setup ----

    void unitTexts_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("twips");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("back");   // the text read back, in twips
        QTest::newRow("letter width in inches") << 1 << 12240 << "8.50" << 12240;
        QTest::newRow("A4 width in centimetres") << 2 << 11906 << "21.00" << 11907;
        QTest::newRow("an inch margin") << 1 << 1440 << "1.00" << 1440;
        QTest::newRow("a centimetre") << 2 << 567 << "1.00" << 567;
        QTest::newRow("a third of an inch") << 1 << 480 << "0.33" << 475;
        QTest::newRow("zero") << 1 << 0 << "0.00" << 0;
    }

    void unitTexts()
    {
        QFETCH(int, unit);
        QFETCH(int, twips);
        QFETCH(QString, text);
        QFETCH(int, back);
        glnMeasurement = unit;
        MainFormState form;
        form.lVyxPageWidth = twips;
        const PageSetupValues v = LoadPageSetup(form);
        QCOMPARE(v.width, text);
        QCOMPARE(PageLengthTwips(text), std::optional<int>(back));
    }

    void pageLengths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("twips");
        QTest::newRow("empty is 0") << "" << true << 0;
        QTest::newRow("rounded") << "0.5004" << true << 721;
        QTest::newRow("not a number") << "abc" << false << 0;
        QTest::newRow("negative") << "-1" << false << 0;
        QTest::newRow("beyond 32 bits") << "2000000" << false << 0;
    }

    void pageLengths()
    {
        QFETCH(QString, text);
        QFETCH(bool, readable);
        QFETCH(int, twips);
        const std::optional<int> length = PageLengthTwips(text);
        QCOMPARE(length.has_value(), readable);
        if (readable)
            QCOMPARE(*length, twips);
    }

    void paperDetection_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<int>("paper");
        QTest::newRow("A4 in centimetres") << 2 << "21.00" << "29.70" << 0;
        QTest::newRow("A4 landscape") << 2 << "29.70" << "21.00" << 0;
        QTest::newRow("A4 within 9 twips") << 1 << "8.27" << "11.69" << 0;
        QTest::newRow("A5") << 2 << "14.85" << "21.00" << 1;
        QTest::newRow("B5") << 2 << "17.60" << "25.00" << 2;
        QTest::newRow("Letter") << 1 << "8.50" << "11.00" << 3;
        QTest::newRow("Letter landscape") << 1 << "11.00" << "8.50" << 3;
        QTest::newRow("Legal") << 1 << "8.50" << "14.00" << 4;
        QTest::newRow("10 twips off Letter") << 1 << "8.507" << "11.00" << kUserDefinedPaper;
        QTest::newRow("user defined") << 1 << "5.00" << "7.00" << kUserDefinedPaper;
        QTest::newRow("not a number") << 1 << "abc" << "11.00" << kUserDefinedPaper;
    }

    void paperDetection()
    {
        QFETCH(int, unit);
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(int, paper);
        glnMeasurement = unit;
        QCOMPARE(DetectPaperSize(width, height), paper);
    }

    void orientation_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QString>("newWidth");
        QTest::addColumn<QString>("newHeight");
        QTest::newRow("portrait to landscape") << "8.50" << "11.00" << true << "11.00" << "8.50";
        QTest::newRow("already landscape") << "11.00" << "8.50" << true << "11.00" << "8.50";
        QTest::newRow("landscape to portrait") << "11.00" << "8.50" << false << "8.50" << "11.00";
        QTest::newRow("already portrait") << "8.50" << "11.00" << false << "8.50" << "11.00";
        QTest::newRow("height not a number: swapped") << "8.50" << "abc" << false << "abc" << "8.50";
    }

    void orientation()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(bool, landscape);
        UpdateForPortraitLandscape(width, height, landscape);
        QTEST(width, "newWidth");
        QTEST(height, "newHeight");
    }

    void pageValidity_data()
    {
        QTest::addColumn<QStringList>("lengths");   // left, top, right, bottom, width, height
        QTest::addColumn<bool>("valid");
        QTest::newRow("letter with inch margins") << QStringList{"1", "1", "1", "1", "8.5", "11"} << true;
        QTest::newRow("empty margins are 0") << QStringList{"", "", "", "", "8.5", "11"} << true;
        QTest::newRow("left plus right reach the width") << QStringList{"4", "1", "4.5", "1", "8.5", "11"} << false;
        QTest::newRow("top plus bottom reach the height") << QStringList{"1", "6", "1", "5", "8.5", "11"} << false;
        QTest::newRow("zero width") << QStringList{"0", "0", "0", "0", "0", "11"} << false;
        QTest::newRow("empty height") << QStringList{"0", "0", "0", "0", "8.5", ""} << false;
        QTest::newRow("negative margin") << QStringList{"-1", "1", "1", "1", "8.5", "11"} << false;
        QTest::newRow("not a number") << QStringList{"1", "x", "1", "1", "8.5", "11"} << false;
    }

    void pageValidity()
    {
        QFETCH(QStringList, lengths);
        QFETCH(bool, valid);
        PageSetupValues v;
        v.left = lengths[0];
        v.top = lengths[1];
        v.right = lengths[2];
        v.bottom = lengths[3];
        v.width = lengths[4];
        v.height = lengths[5];
        QCOMPARE(PageSetupIsValid(v), valid);
    }

    void pageApply()
    {
        glnMeasurement = 2;
        MainFormState form;
        form.lVyxPageMarginT = 777;
        form.lVyxStyleSheetOption = 2;
        PageSetupValues v = LoadPageSetup(form);
        v.width = QStringLiteral("21.00");
        v.height = QStringLiteral("29.70");
        v.left = QString();                    // empty: 0
        v.top = QStringLiteral("abc");         // unreadable: old value
        v.right = QStringLiteral("-2");        // negative: old value
        v.lVyxStyleSheetOption = -1;           // none selected: old option
        v.sVyxStyleSheetFile = QStringLiteral("/tmp/a.css");
        v.bVyxPortrait = false;
        ApplyPageSetup(v, form);
        QCOMPARE(form.lVyxPageWidth, 11907);
        QCOMPARE(form.lVyxPageHeight, 16840);
        QCOMPARE(form.lVyxPageMarginL, 0);
        QCOMPARE(form.lVyxPageMarginT, 777);
        QCOMPARE(form.lVyxPageMarginR, 1440);
        QCOMPARE(form.lVyxStyleSheetOption, 2);
        QCOMPARE(form.sVyxStyleSheetFile, QStringLiteral("/tmp/a.css"));
        QVERIFY(!form.bVyxPortrait);
    }

    // ---- PDF security ----

    void permissionBits_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("printing");
        QTest::addColumn<int>("changes");
        QTest::addColumn<bool>("accessibility");
        QTest::addColumn<bool>("copying");
        QTest::newRow("85: high resolution, comments, both boxes") << 85 << 2 << 3 << true << true;
        QTest::newRow("41: any change but extraction") << 41 << 0 << 4 << false << false;
        QTest::newRow("8: pages") << 8 << 0 << 1 << false << false;
        QTest::newRow("2: form fields") << 2 << 0 << 2 << false << false;
        QTest::newRow("0: nothing") << 0 << 0 << 0 << false << false;
        QTest::newRow("128: low resolution") << 128 << 1 << 0 << false << false;
        QTest::newRow("212: high, copying, screen readers") << 212 << 2 << 0 << true << true;
    }

    void permissionBits()
    {
        QFETCH(int, bits);
        PdfSecurityValues v;
        PermissionsToChoices(bits, v);
        QTEST(v.printing, "printing");
        QTEST(v.changes, "changes");
        QTEST(v.bAllowContentAccessibility, "accessibility");
        QTEST(v.bAllowExtractContents, "copying");
        // Back to bits; a stored 212 carries both printing bits, and only
        // the high-resolution one comes back.
        QCOMPARE(PermissionBits(v), bits == 212 ? 84 : bits);
    }

    void pdfChecks_data()
    {
        QTest::addColumn<bool>("userOn");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("masterOn");
        QTest::addColumn<QString>("master");
        QTest::addColumn<int>("check");
        QTest::newRow("nothing ticked") << false << "" << false << "" << int(PdfSecurityCheck::Ok);
        QTest::newRow("permissions password empty")
            << true << "" << true << "" << int(PdfSecurityCheck::NoPermissionsPassword);
        QTest::newRow("open password empty") << true << "" << true << "m" << int(PdfSecurityCheck::NoOpenPassword);
        QTest::newRow("same passwords") << true << "pw" << true << "pw" << int(PdfSecurityCheck::SamePasswords);
        QTest::newRow("letter case differs") << true << "pw" << true << "PW" << int(PdfSecurityCheck::Ok);
        QTest::newRow("open only") << true << "pw" << false << "" << int(PdfSecurityCheck::Ok);
    }

    void pdfChecks()
    {
        QFETCH(bool, userOn);
        QFETCH(QString, user);
        QFETCH(bool, masterOn);
        QFETCH(QString, master);
        QFETCH(int, check);
        PdfSecurityValues v;
        v.bUserPassword = userOn;
        v.sUserPassword = user;
        v.bMasterPassword = masterOn;
        v.sMasterPassword = master;
        QCOMPARE(int(CheckPdfSecurity(v)), check);
    }

    void pdfLoadAndApply()
    {
        MainFormState form;
        form.sVyxPDFMasterPassword = QStringLiteral("owner");
        form.lDocAccessPermissions = 85;
        PdfSecurityValues v = LoadPdfSecurity(form);
        QVERIFY(!v.bUserPassword && v.bMasterPassword);
        v.bMasterPassword = false;   // an unticked box holds no password
        v.changes = 4;
        v.printing = 0;
        v.bAllowContentAccessibility = v.bAllowExtractContents = false;
        ApplyPdfSecurity(v, form);
        QCOMPARE(form.sVyxPDFMasterPassword, QString());
        QCOMPARE(form.lDocAccessPermissions, 41);
    }

    // ---- PDF to image ----

    void imageOptions_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<int>("compression");
        QTest::addColumn<bool>("append");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<int>("layout");
        QTest::addColumn<QString>("out");
        QTest::newRow("the editor's defaults") << "*^0^FALSE^75^100^0^0^0^^" << "*" << 0 << false << 75 << "100" << 0
                                               << "*^0^FALSE^75^100^0^0^0^";
        QTest::newRow("every field") << "1-3^4^TRUE^90^300^800^600^1^" << "1-3" << 4 << true << 90 << "300" << 1
                                     << "1-3^4^TRUE^90^300^800^600^1^";
        QTest::newRow("no options: defaults") << "1" << "*" << 0 << false << 75 << "100" << 0
                                              << "*^0^FALSE^75^100^0^0^0^";
        QTest::newRow("quality 0: defaults") << "5^1^FALSE^0^200^0^0^0^" << "*" << 0 << false << 75 << "100" << 0
                                             << "*^0^FALSE^75^100^0^0^0^";
        QTest::newRow("unknown compression: defaults") << "5^7^FALSE^80^200^0^0^0^" << "*" << 0 << false << 75 << "100"
                                                       << 0 << "*^0^FALSE^75^100^0^0^0^";
    }

    void imageOptions()
    {
        QFETCH(QString, in);
        const ImageOptionsValues v = LoadImageOptions(in);
        QTEST(v.pages, "pages");
        QTEST(v.compression, "compression");
        QTEST(v.append, "append");
        QTEST(v.quality, "quality");
        QTEST(v.resolution, "resolution");
        QTEST(v.layout, "layout");
        QTEST(BuildImageOptions(v), "out");
    }

    void imageOptionsTyped_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<QString>("resolution");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("out");
        // Loaded from "*^0^FALSE^75^150^640^0^0^".
        QTest::newRow("\"^\" removed from the pages") << "1^3" << "150" << "640" << "13^0^FALSE^75^150^640^0^0^";
        QTest::newRow("resolution not a number keeps the old") << "*" << "high" << "640" << "*^0^FALSE^75^150^640^0^0^";
        QTest::newRow("empty width keeps the old") << "*" << "150" << "" << "*^0^FALSE^75^150^640^0^0^";
        QTest::newRow("beyond 32 bits keeps the old") << "*" << "99999999999" << "-3" << "*^0^FALSE^75^150^640^0^0^";
        QTest::newRow("typed values") << "2" << "72" << "100" << "2^0^FALSE^75^72^100^0^0^";
    }

    void imageOptionsTyped()
    {
        QFETCH(QString, pages);
        QFETCH(QString, resolution);
        QFETCH(QString, width);
        ImageOptionsValues v = LoadImageOptions(QStringLiteral("*^0^FALSE^75^150^640^0^0^"));
        v.pages = pages;
        v.resolution = resolution;
        v.width = width;
        QTEST(BuildImageOptions(v), "out");
    }

    void sameImageOptions()
    {
        QVERIFY(SameImageOptions(QStringLiteral("*^0^FALSE^75^100^0^0^0^^"), QStringLiteral("*^0^FALSE^75^100^0^0^0^")));
        QVERIFY(SameImageOptions(QStringLiteral("1"), QStringLiteral("*^0^FALSE^75^100^0^0^0^")));
        QVERIFY(!SameImageOptions(QStringLiteral("*^0^FALSE^75^100^0^0^0^^"), QStringLiteral("*^1^FALSE^75^100^0^0^0^")));
        QVERIFY(!SameImageOptions(QStringLiteral("*^0^FALSE^75^100^0^0^0^^"), QStringLiteral("*^0^FALSE^76^100^0^0^0^")));
    }

    // ---- Search and replace ----

    void searchOptions()
    {
        MainFormState form;
        SearchOptionsValues v = LoadSearchOptions(form);
        v.bRXHDMultiLine = true;
        v.sRXHDReportFileName = QStringLiteral("/tmp/r.tsv");
        ApplySearchOptions(v, form);
        QVERIFY(form.bRXHDMultiLine);
        QCOMPARE(form.sRXHDReportFileName, QStringLiteral("/tmp/r.tsv"));
        QCOMPARE(LoadSearchOptions(form), v);
        for (int type : {1, 2, 6})
            QVERIFY(SearchTypeHasAllOptions(type));
        for (int type : {4, 5, 9, 13})
            QVERIFY(!SearchTypeHasAllOptions(type));
    }
};

QTEST_GUILESS_MAIN(TestOptionValues)
#include "test_option_values.moc"
