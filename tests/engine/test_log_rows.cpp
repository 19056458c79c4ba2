// Log rows of failed items and pass marks: what each column holds.
#include "EngineHarness.h"

#include "core/FileTypes.h"
#include "engine/LogRows.h"

#include <QTest>

class TestLogRows : public QObject
{
    Q_OBJECT

private slots:
    void failedItemRow_data()
    {
        QTest::addColumn<bool>("commandLine");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("inputTypeName");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("outputTypeName");
        QTest::newRow("window: one line") << false << 1 << "first second  third" << "" << "C" << "png";
        QTest::newRow("command line keeps the breaks") << true << 1 << "first\nsecond\r\nthird" << "" << "C" << "png";
        QTest::newRow("text engine names the input type") << false << 2 << "first second  third" << "RTF" << "C"
                                                          << "png";
        // A special process's row names its types as its task row does, so
        // that the log saved as a job gives that task row back.
        QTest::newRow("special process") << false << 4 << "first second  third" << "RTF" << "S55" << "RTF";
    }

    void failedItemRow()
    {
        QFETCH(bool, commandLine);
        QFETCH(int, method);
        QFETCH(QString, status);
        QFETCH(QString, inputTypeName);
        QFETCH(QString, action);
        QFETCH(QString, outputTypeName);
        EngineHarness h;
        G_bCommandLineMode = commandLine;
        h.addTask("/in/*.rtf", "/out/*.png", "C", QString(), "8", "RG");
        clsConversionOptions item;
        item.sExtraParams = QStringLiteral("*^0^FALSE^75^100^0^0^0^");
        item.sOriginalFile = QStringLiteral("/in/a\tb.rtf");
        item.lOriginalFileType = filetype::Rtf;
        item.sTargetFile = QStringLiteral("/out/a\tb.png");
        item.lTargetFileType = filetype::Png;
        item.lConversionMethod = method;
        item.sActionToDo = action;
        if (action != u"C")
            item.lTargetFileType = filetype::Rtf;
        item.sErr = QStringLiteral("first\nsecond\r\nthird");

        LogConversionError(h.form, 1, item);
        LogConversionError(h.form, 1, item);

        const FlexGrid& log = h.form.fgLog;
        QCOMPARE(log.Rows(), 4);
        QCOMPARE(log.RowTexts(1),
                 (QStringList{"*^0^FALSE^75^100^0^0^0^", "RG", "1", action, "/in/a\tb.rtf", "5", inputTypeName,
                              "/out/a\tb.png", QString::number(item.lTargetFileType), outputTypeName, "-", status}));
        QCOMPARE(item.sErr, status);
        QCOMPARE(log.Row(), 3);
        QVERIFY(log.RowTexts(3).join(QString()).isEmpty());
    }

    void sliceReloadRowReadsTheHeaderFlags()
    {
        EngineHarness h;
        h.form.fgToDo.setTextMatrix(0, todocol::Flags, QStringLiteral("hdr"));
        clsConversionOptions item;
        LogConversionError(h.form, 30000, item);
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Flags), QStringLiteral("hdr"));
    }

    void passMarks_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("mark");
        QTest::newRow("success") << 0 << "+";
        QTest::newRow("failure") << -13 << "-";
        QTest::newRow("stop") << -1 << "-";
    }

    void passMarks()
    {
        QFETCH(int, result);
        QFETCH(QString, mark);
        EngineHarness h;
        h.addTask("/in/a");
        h.addTask("/in/b");
        int yields = 0;
        h.onDoEvents = [&] { ++yields; };

        UpdatePassedCell(h.form, h.form.fgToDo, 2, result);

        QCOMPARE(h.passMarks(), (QStringList{"", mark}));
        QCOMPARE(h.form.fgToDo.Row(), 2);
        QCOMPARE(yields, 1);
    }
};

QTEST_GUILESS_MAIN(TestLogRows)
#include "test_log_rows.moc"
