// Data safety through the real routes and one office: files of the user's
// at the names of the program's temporaries survive every route, whether
// the item converts or fails, and nothing of the program's is left beside
// the outputs; an input deleted during a run fails with the system's
// reason.
#include "../engine/EngineHarness.h"
#include "../office/OfficeTestSupport.h"

#include "base/OwnedTempFolder.h"
#include "core/FileTypes.h"
#include "core/TemporaryFile.h"
#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "engine/TaskRunners.h"
#include "engine/TextControlRoute.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "office/OfficeEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace officetest;

namespace {

const QString kDemo = QStringLiteral(TESSAVIEW_DEMO_DATA);
const QString kPdf = kDemo + QStringLiteral("/Sample PDF Document.pdf");
const QString kDocx = kDemo + QStringLiteral("/Sample Word Document.docx");

// Pages, compression, append, quality, resolution, width, height, single file.
QString options(const QString& pages, bool singleFile = false)
{
    return pages + QStringLiteral("^0^FALSE^75^50^0^0^%1^").arg(singleFile ? 1 : 0);
}

// Names the program used, or still uses with a unique part, for its own
// files beside an output, and the office's names for its files.
QStringList temporaryNames(const QString& output)
{
    return {output + QStringLiteral(".tmppp123"),
            QLatin1Char('.') + output + QStringLiteral(".part"),
            QLatin1Char('.') + output + QStringLiteral(".00000000.part"),
            QStringLiteral(".~lock.") + output + QLatin1Char('#'),
            QStringLiteral(".~lock.") + output + QStringLiteral(".tmppp123#"),
            QStringLiteral("lu12345abcde.tmp"),
            QStringLiteral(".tessaview-0000000000000000.tmp")};
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestDataSafety : public QObject
{
    Q_OBJECT

    std::unique_ptr<EngineHarness> m_h;

private slots:
    void initTestCase()
    {
        OFFICE_TEST_REQUIRE_OFFICE();
        m_h = std::make_unique<EngineHarness>();
        m_h->engine.TextControls().Engine().setKeepAlive(true);
    }

    void init()
    {
        m_h->form.bRunning = true;
        m_h->form.bOptimizeForSpeed = true;
        m_h->onDoEvents = nullptr;
    }

    void userFilesAtTemporaryNamesSurvive_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("outputs"); // what a converted item writes
        QTest::addColumn<bool>("fails");         // then the last of them is a folder in the way

        const struct {
            const char* name;
            QString input;
            int inputType;
            int outputType;
            const char* output;
            QString options;
            QStringList outputs;
        } routes[] = {
            {"PDF to PNG pages", kPdf, filetype::Pdf, filetype::Png, "out.png", options("1-2"),
             {"out-00001.png", "out-00002.png"}},
            {"PDF to a JPEG page", kPdf, filetype::Pdf, filetype::Jpeg, "out.jpg", options("1"), {"out.jpg"}},
            {"PDF to one TIFF", kPdf, filetype::Pdf, filetype::Tiff, "out.tif", options("*", true), {"out.tif"}},
            {"document to PDF", kDocx, filetype::Docx, filetype::Pdf, "out.pdf", options("*"), {"out.pdf"}},
            {"document to PDF/A", kDocx, filetype::Docx, filetype::PdfA, "out.pdf", options("*"), {"out.pdf"}},
            {"document to PNG pages", kDocx, filetype::Docx, filetype::Png, "out.png", options("1-2"),
             {"out-00001.png", "out-00002.png"}},
        };
        for (const auto& r : routes)
            for (const bool fails : {false, true})
                QTest::addRow("%s, %s", r.name, fails ? "failed" : "converted")
                    << r.input << r.inputType << r.outputType << QString::fromLatin1(r.output) << r.options
                    << r.outputs << fails;
    }

    void userFilesAtTemporaryNamesSurvive()
    {
        QFETCH(QString, input);
        QFETCH(int, inputType);
        QFETCH(int, outputType);
        QFETCH(QString, output);
        QFETCH(QString, options);
        QFETCH(QStringList, outputs);
        QFETCH(bool, fails);
        ScratchFolder dir;
        const QStringList users = temporaryNames(output);
        for (const QString& name : users)
            dir.write(name, "precious");
        if (fails)
            QVERIFY(QDir().mkpath(dir.path(outputs.last())));
        clsConversionOptions item;
        item.sOriginalFile = input;
        item.lOriginalFileType = inputType;
        item.sTargetFile = dir.path(output);
        item.lTargetFileType = outputType;
        item.lConversionMethod = conversionmethod::TextControl;
        item.sExtraParams = options;

        const int result = PerformConversionItem(m_h->engine, item);

        if (fails) {
            QVERIFY(result != 0);
            // The route's text with the reason: the folder in the way.
            QVERIFY2(item.sErr.contains(dir.path(outputs.last()))
                         && (item.sErr.contains(QLatin1String("folder")) || item.sErr.contains(QLatin1String("directory"))),
                     qPrintable(item.sErr));
        } else {
            QVERIFY2(result == 0, qPrintable(item.sErr));
        }
        for (const QString& name : users)
            QCOMPARE(testutil::readFile(dir.path(name)), QByteArray("precious"));
        // Only the user's files and the outputs (up to the failed one) are there.
        QStringList expected = users + outputs;
        if (fails && outputs.size() > 1)
            expected.removeAll(outputs.at(outputs.size() - 2)); // written before the failure: kept below
        expected.sort();
        QStringList found = entries(dir.folder());
        if (fails && outputs.size() > 1)
            QVERIFY(found.removeAll(outputs.at(outputs.size() - 2)) == 1);
        QCOMPARE(found, expected);
        if (!fails) {
            for (const QString& name : outputs) {
                if (name.endsWith(QLatin1String(".pdf")))
                    QCOMPARE(pdfInfo(dir.path(name)).exitCode, 0);
                else // one format name per page
                    QVERIFY2(identifiedFormat(dir.path(name))
                                 .startsWith(name.endsWith(QLatin1String(".png"))   ? QStringLiteral("PNG")
                                             : name.endsWith(QLatin1String(".jpg")) ? QStringLiteral("JPEG")
                                                                                    : QStringLiteral("TIFF")),
                             qPrintable(name));
            }
        }
        // Nothing but the folder's owner marker.
        QCOMPARE(entries(ProgramTempFolder()), QStringList{kOwnerMarkerName});
    }

    // An input that goes between the listing and its turn fails with the
    // system's reason after the route's own text; the others convert.
    void inputDeletedDuringTheRun_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("firstOutput");
        QTest::addColumn<QString>("text");
        QTest::newRow("document") << kDocx << int(filetype::Docx) << int(filetype::Pdf) << "docx" << "a.pdf"
                                  << "File Load Error. Could be sharing violation or Invalid File Type specified for "
                                     "the Original File:  {file} - The file {file} cannot be read: ";
        QTest::newRow("PDF") << kPdf << int(filetype::Pdf) << int(filetype::Png) << "pdf" << "a-00001.png"
                             << "Unable to open the input file. - cannot open {file}: ";
    }

    void inputDeletedDuringTheRun()
    {
        QFETCH(QString, source);
        QFETCH(int, inputType);
        QFETCH(int, outputType);
        QFETCH(QString, extension);
        QFETCH(QString, firstOutput);
        QFETCH(QString, text);
        ScratchFolder dir;
        QVERIFY(QDir().mkpath(dir.path(QStringLiteral("in"))));
        for (const char* name : {"a", "b"})
            QVERIFY(QFile::copy(source, dir.path(QStringLiteral("in/%1.").arg(QLatin1String(name)) + extension)));
        const QString gone = dir.path(QStringLiteral("in/b.") + extension);
        m_h->onDoEvents = [&] {
            if (QFileInfo::exists(dir.path(QStringLiteral("out/") + firstOutput)))
                QFile::remove(gone);
        };
        clsConversionOptions task;
        task.sActionToDo = QStringLiteral("C");
        task.sOriginalFile = dir.path(QStringLiteral("in/*.") + extension);
        task.lOriginalFileType = inputType;
        task.sTargetFile = dir.path(QStringLiteral("out/*.") + GetFileTypeExtension(outputType, false, extensiontable::PDFtoImage).toLower());
        task.lTargetFileType = outputType;
        task.lConversionMethod = conversionmethod::TextControl;
        task.sExtraParams = options("1-2");
        const int rowsBefore = m_h->form.fgLog.Rows();

        QVERIFY(PerformBlock(m_h->engine, 1, task) != 0);

        QCOMPARE(m_h->form.fgLog.Rows(), rowsBefore + 1);
        const QString status = m_h->form.fgLog.TextMatrix(rowsBefore - 1, todocol::Status);
        const QString prefix = QString(text).replace(QStringLiteral("{file}"), gone);
        QVERIFY2(status.startsWith(prefix) && status.endsWith(QStringLiteral("No such file or directory")),
                 qPrintable(status));
        QVERIFY(QFileInfo(dir.path(QStringLiteral("out/") + firstOutput)).size() > 0);
    }
};

QTEST_GUILESS_MAIN(TestDataSafety)
#include "test_data_safety.moc"
