// The text control's load and save routines where no office is needed:
// page unit texts, formats the control cannot save or load, the texts of
// those failures, and the output control's failures, which are recorded
// like the input control's.
#include "core/Globals.h"
#include "engine/TextControlRoute.h"
#include "engine/TextControlRouteFiles.h"
#include "office/OfficeEngine.h"
#include "textcontrol/TextControl.h"

#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestTextControlFiles : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void cleanup()
    {
        glnMeasurement = 1;
        G_bCommandLineMode = false;
        QLocale::setDefault(QLocale::c());
    }

    void unitTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("twips");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("typedTwips");

        QTest::newRow("A4 width in centimetres") << "C" << 2 << 11906.0f << "21.00" << "21" << 11907;
        QTest::newRow("letter width in inches") << "C" << 1 << 12240.0f << "8.50" << "8.5" << 12240;
        QTest::newRow("half a twip rounds to even, down") << "C" << 2 << 0.0f << "0.00" << "1.5" << 850;
        QTest::newRow("half a twip rounds to even, up") << "C" << 2 << 0.0f << "0.00" << "0.5" << 284;
        QTest::newRow("user's decimal sign") << "de_DE" << 2 << 1417.0f << "2,50" << "2,5" << 1418;
        QTest::newRow("empty text") << "C" << 1 << 1440.0f << "1.00" << "" << 0;
        QTest::newRow("not a number") << "C" << 1 << 720.0f << "0.50" << "wide" << 0;
        QTest::newRow("no such unit") << "C" << 3 << 1440.0f << "" << "2" << 0;
    }

    void unitTexts()
    {
        QFETCH(QString, locale);
        QFETCH(int, unit);
        QFETCH(float, twips);
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(int, typedTwips);
        QLocale::setDefault(QLocale(locale));
        glnMeasurement = unit;
        QCOMPARE(TwipsToUnitText(twips), text);
        QCOMPARE(UnitTextToTwips(typed), typedTwips);
    }

    void formatsTheControlDoesNotSave()
    {
        TextControlHost host;
        TextControl& control = host.TXTextControl1();
        control.setPdfMode(kPdfModePdfA);
        for (int format : {2, 3, 7, 8, 99}) {
            const QString file = m_dir.filePath(QStringLiteral("out-%1").arg(format));
            QString error;
            QCOMPARE(TextControlSaveFile(file, format, control, error), -1);
            QCOMPARE(error, QStringLiteral("ZizireR121.FileSave: Error: -1 - Unknown File Type"));
            QVERIFY(!QFileInfo::exists(file));
        }
        QCOMPARE(control.PdfMode(), kPdfModePdfA);
        QCOMPARE(host.Engine().processId(), pid_t(0));
    }

    void loadFailuresOfEitherControl_data()
    {
        QTest::addColumn<bool>("outputControl");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason"); // follows the file after " - "

        const QString loadStep = QStringLiteral("File Load Error. Could be sharing violation or Invalid File Type "
                                                "specified for the Original File:");
        const QString inputType = QStringLiteral("Invalid File Type or password specified for the Input File:");
        const QString notLoaded = QStringLiteral("3 is not a format the text control loads.");
        const QString pdf = QStringLiteral("A PDF file cannot be loaded as a document: {file}");
        QTest::newRow("format the control does not load, window") << false << 3 << false << -1234 << loadStep + "  "
                                                                  << notLoaded;
        QTest::newRow("format the control does not load, command line") << false << 3 << true << -1234
                                                                        << loadStep + "\n\n" << notLoaded;
        QTest::newRow("PDF given as a document") << false << 12 << false << 321 << inputType + "  " << pdf;
        QTest::newRow("output control: PDF given as a document") << true << 12 << true << 321 << inputType + "\n\n"
                                                                 << pdf;
        QTest::newRow("output control: format it does not load") << true << 3 << false << -1234 << loadStep + "  "
                                                                 << notLoaded;
    }

    void loadFailuresOfEitherControl()
    {
        QFETCH(bool, outputControl);
        QFETCH(int, format);
        QFETCH(bool, commandLine);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        G_bCommandLineMode = commandLine;
        TextControlHost host;
        TextControl& control = outputControl ? host.TXTextControlOutput() : host.TXTextControl1();
        const QString file = m_dir.filePath(QStringLiteral("input.pdf"));
        int used = format;
        QString error;
        QCOMPARE(TextControlLoadFile(file, used, control, error), code);
        QCOMPARE(error, text + file + QStringLiteral(" - ") + QString(reason).replace(QStringLiteral("{file}"), file));
        QCOMPARE(used, format);
        QCOMPARE(host.Engine().processId(), pid_t(0));
    }
};

QTEST_GUILESS_MAIN(TestTextControlFiles)
#include "test_text_control_files.moc"
