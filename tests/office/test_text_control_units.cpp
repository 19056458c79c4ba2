// The text control's number conversions: lengths (halves to even), colours,
// PDF permission bits and format codes. No office needed.
#include "textcontrol/TextControlUnits.h"

#include <QTest>

class TestTextControlUnits : public QObject
{
    Q_OBJECT

private slots:
    void roundHalfToEven_data()
    {
        QTest::addColumn<qlonglong>("n");
        QTest::addColumn<qlonglong>("d");
        QTest::addColumn<qlonglong>("expected");
        QTest::newRow("half down to even") << 5LL << 2LL << 2LL;
        QTest::newRow("half up to even") << 7LL << 2LL << 4LL;
        QTest::newRow("negative half") << -5LL << 2LL << -2LL;
        QTest::newRow("negative half up") << -7LL << 2LL << -4LL;
        QTest::newRow("below half") << 1LL << 3LL << 0LL;
        QTest::newRow("above half") << 2LL << 3LL << 1LL;
        QTest::newRow("negative above half") << -2LL << 3LL << -1LL;
        QTest::newRow("exact") << 12LL << 4LL << 3LL;
    }

    void roundHalfToEven()
    {
        QFETCH(qlonglong, n);
        QFETCH(qlonglong, d);
        QFETCH(qlonglong, expected);
        QCOMPARE(RoundDivHalfEven(n, d), expected);
    }

    void twipsAndHundredthMm_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("hundredthMm");
        QTest::addColumn<int>("backToTwips");
        QTest::newRow("one inch") << 1440 << 2540 << 1440;
        QTest::newRow("letter width") << 12240 << 21590 << 12240;
        QTest::newRow("A4 width") << 11906 << 21001 << 11906;
        // 36 twips are 63.5 hundredths: the half goes to the even 64;
        // 108 twips are 190.5: to the even 190.
        QTest::newRow("half to even upwards") << 36 << 64 << 36;
        QTest::newRow("half to even downwards") << 108 << 190 << 108;
        QTest::newRow("negative half") << -36 << -64 << -36;
        QTest::newRow("zero") << 0 << 0 << 0;
    }

    void twipsAndHundredthMm()
    {
        QFETCH(int, twips);
        QFETCH(int, hundredthMm);
        QFETCH(int, backToTwips);
        QCOMPARE(TwipsToHundredthMm(twips), hundredthMm);
        QCOMPARE(HundredthMmToTwips(hundredthMm), backToTwips);
    }

    void colours()
    {
        QCOMPARE(BgrToRgb(0x0000FF), 0xFF0000); // red
        QCOMPARE(BgrToRgb(0x123456), 0x563412);
        QCOMPARE(RgbToBgr(BgrToRgb(0xABCDEF)), 0xABCDEF);
    }

    void pdfPermissions_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("printing");
        QTest::addColumn<int>("changes");
        QTest::addColumn<bool>("accessibility");
        QTest::addColumn<bool>("copying");
        QTest::newRow("nothing") << 0 << 0 << 0 << false << false;
        QTest::newRow("high print, comments, both boxes") << 64 + 1 + 4 + 16 << 2 << 3 << true << true;
        QTest::newRow("any change but extraction") << 41 << 0 << 4 << false << false;
        QTest::newRow("low print, pages") << 128 + 8 << 1 << 1 << false << false;
        QTest::newRow("form fields") << 2 << 0 << 2 << false << false;
    }

    void pdfPermissions()
    {
        QFETCH(int, bits);
        QFETCH(int, printing);
        QFETCH(int, changes);
        QFETCH(bool, accessibility);
        QFETCH(bool, copying);
        OfficePdfOptions pdf;
        ApplyPdfSettings(QStringLiteral("open"), QStringLiteral("perm"), bits, 0, 0, pdf);
        QCOMPARE(pdf.printing, printing);
        QCOMPARE(pdf.changes, changes);
        QCOMPARE(pdf.allowAccessibility, accessibility);
        QCOMPARE(pdf.allowCopying, copying);
        QCOMPARE(pdf.openPassword, QStringLiteral("open"));
        QCOMPARE(pdf.permissionPassword, QStringLiteral("perm"));
    }

    void formatCodes()
    {
        OfficeSaveOptions save;
        for (int code : {2, 3, 7, 8, 0, 15, -1})
            QVERIFY2(!SaveFormatForCode(code, 0, save), qPrintable(QString::number(code)));
        QVERIFY(SaveFormatForCode(12, 0, save));
        QVERIFY(save.format == OfficeOutputFormat::Pdf && !save.pdf.pdfA);
        QVERIFY(SaveFormatForCode(12, 2, save) && save.pdf.pdfA);
        save = {};
        QVERIFY(SaveFormatForCode(14, 0, save) && save.pdf.pdfA);
        QVERIFY(SaveFormatForCode(6, 0, save) && save.format == OfficeOutputFormat::UnicodeText);

        OfficeLoadOptions load;
        for (int code : {3, 7, 8, 12, 14, 0})
            QVERIFY2(!LoadOptionsForFormat(code, load), qPrintable(QString::number(code)));
        QVERIFY(LoadOptionsForFormat(11, load) && load.format == OfficeInputFormat::Text);
        QVERIFY(LoadOptionsForFormat(9, load) && load.format == OfficeInputFormat::WordProcessing);

        QVERIFY(!FilterHasPageLayout(QStringLiteral("Text (encoded)")));
        QVERIFY(!FilterHasPageLayout(QStringLiteral("HTML (StarWriter)")));
        QVERIFY(FilterHasPageLayout(QStringLiteral("MS Word 2007 XML")));
    }

    void textEncodingDetection_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("wholeFile");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ASCII") << QByteArray("plain") << true << "UTF8";
        QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9") << true << "UTF8";
        QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBFx") << true << "UTF8";
        QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFEx\0", 4) << true << "UNICODE";
        QTest::newRow("UTF-16BE mark") << QByteArray("\xFE\xFF\0x", 4) << true << "UNICODE";
        QTest::newRow("Windows-1252") << QByteArray("na\xEFve text") << true << "MS_1252";
        QTest::newRow("Windows-1252 accent at the end") << QByteArray("caf\xE9") << true << "MS_1252";
        QTest::newRow("overlong form") << QByteArray("\xC0\xAF") << true << "MS_1252";
        QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << true << "MS_1252";
        QTest::newRow("sequence cut by the end of a sample") << QByteArray("ok \xE2\x82") << false << "UTF8";
    }

    void textEncodingDetection()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, wholeFile);
        QFETCH(QString, expected);
        QCOMPARE(DetectTextEncoding(bytes, wholeFile), expected);
    }
};

QTEST_GUILESS_MAIN(TestTextControlUnits)
#include "test_text_control_units.moc"
