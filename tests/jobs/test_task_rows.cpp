#include "core/Globals.h"
#include "core/clsConversionOptions.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"
#include "jobs/TaskRows.h"

#include <QTest>

namespace {

clsConversionOptions conversion(int method)
{
    clsConversionOptions o;
    o.sExtraParams = QStringLiteral("1-3^0^FALSE^75^300^0^0^1^");
    o.sOriginalFile = QStringLiteral("/data/in/*.docx");
    o.lOriginalFileType = 13;
    o.sTargetFile = QStringLiteral("/data/out/*.png");
    o.lTargetFileType = 8;
    o.lConversionMethod = method;
    o.bDoSubFolders = true;
    return o;
}

clsConversionOptions special(int process)
{
    clsConversionOptions o;
    o.lConversionMethod = 4;
    o.lSpecialProcess = process;
    o.sActionToDo = QStringLiteral("S") + QString::number(process);
    o.sOriginalFile = QStringLiteral("/data/in/*.txt");
    o.sTargetFile = QStringLiteral("/data/out/*.txt");
    o.lOriginalFileType = o.lTargetFileType = 1;
    if (process == 56) {
        o.sFindString = QStringLiteral("ZEBRA (\\d+)");
        o.sReplaceString = QStringLiteral("zebra {1}");
        o.bUseRegularExpression = o.bRXHDWholeWordOnly = o.bRXHDBeginningOfLine = true;
        o.bRXHDEndOfLine = o.bRXHDMultiLine = o.bRXHDGenerateReportWhenDone = true;
    }
    if (process == 60) {
        o.sOriginalFile = QStringLiteral("/usr/bin/tool");
        o.sTargetFile = QStringLiteral("--pattern '\\d+' \\\\share");
        o.lOriginalFileType = o.lTargetFileType = kUnsetNumber;
        o.lCommandLineThreadPriority = 128;
        o.lCommandLineWindowState = 6;
        o.lCommandLineWaitTime = 30;
        o.bCaseSensitive = false; // a launch row keeps no flags
    }
    return o;
}

// Every field a task row carries, as one text to compare.
QString rowFields(const clsConversionOptions& o)
{
    return QStringList{o.sExtraParams, o.sActionToDo, o.sOriginalFile,
                       QString::number(o.lOriginalFileType), o.sTargetFile,
                       QString::number(o.lTargetFileType), QString::number(o.lConversionMethod),
                       QString::number(o.lSpecialProcess), QString::number(o.bDoSubFolders),
                       QString::number(o.bSaveInOriginalFolder), QString::number(o.bCaseSensitive),
                       QString::number(o.bUseRegularExpression),
                       QString::number(o.bRXHDWholeWordOnly), QString::number(o.bRXHDBeginningOfLine),
                       QString::number(o.bRXHDEndOfLine), QString::number(o.bRXHDMultiLine),
                       QString::number(o.bRXHDGenerateReportWhenDone), o.sFindString,
                       o.sReplaceString, QString::number(o.lCommandLineThreadPriority),
                       QString::number(o.lCommandLineWindowState),
                       QString::number(o.lCommandLineWaitTime), QString::number(o.lErr), o.sErr}
        .join(u'|');
}

// A task grid holding the given row texts as tasks 1, 2, ...
void setRows(FlexGrid& grid, const QStringList& rows)
{
    SetUpToDoGrid(grid);
    for (const QString& row : rows)
        grid.AddItem(row, grid.Rows() - 1);
}

// A search-and-replace row with the given column 1, read into a new record.
clsConversionOptions readSearchRow(const QString& cell)
{
    MainFormState form;
    setRows(form.fgToDo, {QStringLiteral("\t") + cell + QStringLiteral("\t1\tS56\tin\t1\t\tout\t1")});
    clsConversionOptions o;
    GetConversionItemFromGridRow(o, 1, form.fgToDo);
    return o;
}

} // namespace

class TestTaskRows : public QObject
{
    Q_OBJECT
private slots:
    void newRecordHoldsTheDefaults()
    {
        const clsConversionOptions o;
        QCOMPARE(o.sExtraParams, QStringLiteral("1"));
        QCOMPARE(o.sActionToDo, QStringLiteral("C"));
        QCOMPARE(o.lOriginalFileType, -12345678);
        QCOMPARE(o.lTargetFileType, -12345678);
        QCOMPARE(o.lConversionMethod, 2);
        QVERIFY(o.bCaseSensitive);
        QCOMPARE(o.lCommandLineThreadPriority, 32);
        QCOMPARE(o.lCommandLineWindowState, 1);
        QCOMPARE(o.lCommandLineWaitTime, -1);
        QCOMPARE(o.lCommandLineExitCode, 0);
        QCOMPARE(o.lErr, 0);
        QVERIFY(o.sErr.isEmpty() && o.sRXHDReportFileName.isEmpty());
    }

    void conversionRowTextOnAGridNotYetSetUp()
    {
        FlexGrid grid(kToDoGridCols);   // no header, no new-task row yet
        clsConversionOptions o = conversion(1);
        o.sExtraParams = QStringLiteral("*^0^FALSE^75^100^0^0^0^");
        o.lTargetFileType = 1;
        QVERIFY(AddOptionsToGrid(o, grid));
        QCOMPARE(grid.Rows(), 3);
        QCOMPARE(grid.RowTexts(1).join(u'\t'),
                 QStringLiteral("*^0^FALSE^75^100^0^0^0^\tRMD\t1\tC\t/data/in/*.docx\t13\t\t"
                                "/data/out/*.png\t1\tjpg\t"));
        QCOMPARE(grid.TextMatrix(2, todocol::Number), QStringLiteral("*"));
        QCOMPARE(grid.Row(), 1);
        QCOMPARE(grid.ColSel(), kToDoGridCols - 1);
        QVERIFY(!G_bSuppressControlEvents);
    }

    void specialRowCells_data()
    {
        QTest::addColumn<int>("process");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("typeNames");

        QTest::newRow("append") << 50 << "RD" << "TXT TXT";
        QTest::newRow("search and replace")
            << 56 << "RXDWBLZJ          Find{{ZEBRA (\\d+)}}Replace{{zebra {1}}}" << "TXT TXT";
        QTest::newRow("launch") << 60 << "T128 S6 W30" << " ";
    }

    void specialRowCells()
    {
        QFETCH(int, process);
        QFETCH(QString, flags);
        QFETCH(QString, typeNames);
        MainFormState form;
        clsConversionOptions o = special(process);
        o.bDoSubFolders = process != 60;
        QVERIFY(AddOptionsToGrid(o, form.fgToDo));
        const QStringList cells = form.fgToDo.RowTexts(1);
        QCOMPARE(cells.at(todocol::Options), QString());
        QCOMPARE(cells.at(todocol::Flags), flags);
        QCOMPARE(cells.at(todocol::InputTypeName) + u' ' + cells.at(todocol::OutputTypeName), typeNames);
    }

    void launchDefaultsRoundTrip()
    {
        MainFormState form;
        clsConversionOptions o;
        o.sActionToDo = QStringLiteral("S60");
        o.lSpecialProcess = 60;
        o.lConversionMethod = 4;
        QVERIFY(AddOptionsToGrid(o, form.fgToDo));
        QCOMPARE(form.fgToDo.TextMatrix(1, todocol::Flags), QStringLiteral("T32 S1 W-1"));
        QCOMPARE(form.fgToDo.TextMatrix(1, todocol::InputType), QStringLiteral("-12345678"));
        QCOMPARE(form.fgToDo.TextMatrix(1, todocol::OutputType), QStringLiteral("-12345678"));
        clsConversionOptions back;
        back.lCommandLineThreadPriority = 256;
        GetConversionItemFromGridRow(back, 1, form.fgToDo);
        QCOMPARE(back.lCommandLineThreadPriority, 32);
        QCOMPARE(back.lCommandLineWindowState, 1);
        QCOMPARE(back.lCommandLineWaitTime, -1);
    }

    void rowRoundTrip_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("conversion, text control") << "C2";
        QTest::newRow("conversion, Word") << "C1";
        QTest::newRow("append") << "S50";
        QTest::newRow("remove empty lines") << "S55";
        QTest::newRow("search and replace") << "S56";
        QTest::newRow("launch a program") << "S60";
        QTest::newRow("replacement ending in a brace") << "S56 brace";
    }

    void rowRoundTrip()
    {
        QFETCH(QString, kind);
        clsConversionOptions o = kind.startsWith(u'C') ? conversion(kind.mid(1).toInt())
                                                       : special(kind.mid(1, 2).toInt());
        if (kind.endsWith(QStringLiteral("brace"))) {
            o.sFindString = QStringLiteral("{a}");
            o.sReplaceString = QStringLiteral("{b}");
        }
        MainFormState form;
        QVERIFY(AddOptionsToGrid(o, form.fgToDo));
        QVERIFY(AddOptionsToGrid(o, form.fgToDo));

        clsConversionOptions back;
        GetConversionItemFromGridRow(back, 2, form.fgToDo);
        if (o.lSpecialProcess != 0)
            o.sExtraParams.clear(); // a special row keeps no option string
        QCOMPARE(rowFields(back), rowFields(o));
        QCOMPARE(form.fgToDo.Row(), 2);
    }

    // A refilled record must not carry anything of the previous task.
    void readingResetsWhatThePreviousRowSet()
    {
        MainFormState form;
        const QString reloadRow = QStringLiteral("\t \t3\tS1\tReload conversion job start at task 9\t0\t0\t/jobs/big.krj\t9\t\t");
        setRows(form.fgToDo, {BuildTaskRowText(special(56), 1), BuildTaskRowText(special(60), 2),
                              reloadRow, QStringLiteral("opts\t\t4\tC\t/in/a.rtf\t\t\t/out/a.pdf\t\t\t")});
        clsConversionOptions o;
        GetConversionItemFromGridRow(o, 1, form.fgToDo);
        QCOMPARE(o.sFindString, QStringLiteral("ZEBRA (\\d+)"));
        o.lErr = -3; // the task failed
        o.sErr = QStringLiteral("failed");

        GetConversionItemFromGridRow(o, 2, form.fgToDo);
        QVERIFY(o.sFindString.isEmpty() && o.sReplaceString.isEmpty());
        QCOMPARE(o.lErr, 0);
        QVERIFY(o.sErr.isEmpty());
        QCOMPARE(o.lCommandLineWaitTime, 30);

        GetConversionItemFromGridRow(o, 3, form.fgToDo);
        QCOMPARE(o.lSpecialProcess, 1);
        QCOMPARE(o.lConversionMethod, 4);
        QCOMPARE(o.lTargetFileType, 9);
        QCOMPARE(o.sTargetFile, QStringLiteral("/jobs/big.krj"));
        QCOMPARE(o.lCommandLineWaitTime, -1);

        // Empty type cells give unset types, not the reload row's numbers.
        GetConversionItemFromGridRow(o, 4, form.fgToDo);
        QCOMPARE(o.lOriginalFileType, kUnsetNumber);
        QCOMPARE(o.lTargetFileType, kUnsetNumber);
        QCOMPARE(o.lSpecialProcess, 0);
        QCOMPARE(o.lConversionMethod, 2);
        QVERIFY(!o.bCaseSensitive);
    }

    void flagLettersCountOnlyInTheirWindow_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<bool>("multiLine");

        QTest::newRow("R at 9") << "        R" << true << false;
        QTest::newRow("R at 10") << "         R" << false << false;
        QTest::newRow("Z in the find text") << "D          Find{{ZEBRA}}Replace{{z}}" << false << false;
        QTest::newRow("order and blanks free") << " Z R" << true << true;
        QTest::newRow("lower case is no flag") << "rz" << false << false;
    }

    void flagLettersCountOnlyInTheirWindow()
    {
        QFETCH(QString, cell);
        QFETCH(bool, subFolders);
        QFETCH(bool, multiLine);
        const clsConversionOptions o = readSearchRow(cell);
        QCOMPARE(o.bDoSubFolders, subFolders);
        QCOMPARE(o.bRXHDMultiLine, multiLine);
    }

    void findReplaceCellsAsStored_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replace");

        QTest::newRow("plain") << "D          Find{{a}}Replace{{b}}" << "a" << "b";
        QTest::newRow("empty replacement") << "D          Find{{a}}Replace{{}}" << "a" << "";
        QTest::newRow("find ending in a brace") << "           Find{{a}}}Replace{{b}}" << "a}" << "b";
        QTest::newRow("marker too early") << "Find{{a}}Replace{{b}}" << "" << "";
        QTest::newRow("no closing marker") << "           Find{{a}}Replace{{b" << "a" << "b";
        QTest::newRow("no replace marker") << "           Find{{a}}" << "a" << "";
        QTest::newRow("nothing after the marker") << "           Find{{" << "" << "";
    }

    void findReplaceCellsAsStored()
    {
        QFETCH(QString, cell);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        const clsConversionOptions o = readSearchRow(cell);
        QCOMPARE(o.sFindString, find);
        QCOMPARE(o.sReplaceString, replace);
    }

    void unreadableCellsKeepTheNewRecordsValues()
    {
        MainFormState form;
        setRows(form.fgToDo, {QStringLiteral("\tT1x S W\t1\tS60\tprog\tabc\t\targs\t2.5"),
                              QStringLiteral("\t\t2\tSxx\tin\t\t\tout\t")});
        clsConversionOptions o;
        GetConversionItemFromGridRow(o, 1, form.fgToDo);
        QCOMPARE(o.lOriginalFileType, kUnsetNumber);
        QCOMPARE(o.lTargetFileType, 2); // 2.5 rounds half to even
        QCOMPARE(o.lCommandLineThreadPriority, 32);
        QCOMPARE(o.lCommandLineWindowState, 1);
        GetConversionItemFromGridRow(o, 2, form.fgToDo);
        QCOMPARE(o.lSpecialProcess, 0);
        QCOMPARE(o.lConversionMethod, 4);
    }

    void headerAndNewTaskRowAreNotRead()
    {
        MainFormState form;
        setRows(form.fgToDo, {BuildTaskRowText(conversion(2), 1)});
        form.fgToDo.setRow(1);
        clsConversionOptions o;
        o.lErr = -4;
        for (int row : {0, 2, 7, -1}) {
            GetConversionItemFromGridRow(o, row, form.fgToDo);
            QCOMPARE(rowFields(o), rowFields([] { clsConversionOptions f; f.lErr = -4; return f; }()));
            QCOMPARE(form.fgToDo.Row(), 1);
        }
    }

    void typedBackslashesBecomeSlashesInPaths()
    {
        MainFormState form;
        setRows(form.fgToDo,
                {QStringLiteral("o^\tR\t1\tC\tC:\\in\\*.doc\t9\t\tD:\\out\\*.pdf\t12\tpdf"),
                 QStringLiteral("\tT32 S1 W-1\t2\tS60\t\\opt\\tool\t\t\t-e \\d+ \\\\share\t\t"),
                 QStringLiteral("\tD          Find{{\\d}}Replace{{\\\\}}\t3\tS56\ta\\b.txt\t1\t\tc\\d.txt\t1\t")});
        clsConversionOptions o;
        GetConversionItemFromGridRow(o, 1, form.fgToDo);
        QCOMPARE(o.sOriginalFile, QStringLiteral("C:/in/*.doc"));
        QCOMPARE(o.sTargetFile, QStringLiteral("D:/out/*.pdf"));
        GetConversionItemFromGridRow(o, 2, form.fgToDo);
        QCOMPARE(o.sOriginalFile, QStringLiteral("/opt/tool"));
        QCOMPARE(o.sTargetFile, QStringLiteral("-e \\d+ \\\\share")); // arguments stay as typed
        GetConversionItemFromGridRow(o, 3, form.fgToDo);
        QCOMPARE(o.sTargetFile, QStringLiteral("c/d.txt"));
        QCOMPARE(o.sFindString, QStringLiteral("\\d"));
        QCOMPARE(o.sReplaceString, QStringLiteral("\\\\"));
    }

    void textsThatWouldBreakTheRowAreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");

        const QString lineBreak = QStringLiteral("cannot contain a TAB or a line break.");
        const QString marker = QStringLiteral("cannot contain '}}' or 'Replace{{'.");
        QTest::newRow("TAB in input") << "C" << "input" << "/in/a\tb.doc" << "Input File\n" + lineBreak;
        QTest::newRow("LF in output") << "C" << "output" << "/out/a\n.pdf" << "Output File\n" + lineBreak;
        QTest::newRow("CR in options") << "C" << "options" << "*^0\r" << "Conversion Options\n" + lineBreak;
        QTest::newRow("LF in arguments") << "S60" << "output" << "-a\n-b" << "Output File\n" + lineBreak;
        QTest::newRow("braces in find") << "S56" << "find" << "a}}b" << "String to find\n" + marker;
        QTest::newRow("marker in replace") << "S56" << "replace" << "xReplace{{" << "Replacement string\n" + marker;
        QTest::newRow("TAB in find") << "S56" << "find" << "a\tb" << "String to find\n" + lineBreak;
        QTest::newRow("one brace is fine") << "S56" << "replace" << "}" << "";
        QTest::newRow("find text of a conversion is not stored") << "C" << "find" << "a}}\t" << "";
        QTest::newRow("options of a special process are not stored") << "S55" << "options" << "\t" << "";
    }

    void textsThatWouldBreakTheRowAreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        clsConversionOptions o = kind == u'C' ? conversion(2) : special(kind.mid(1).toInt());
        QString* const target = field == u"input" ? &o.sOriginalFile
                                : field == u"output" ? &o.sTargetFile
                                : field == u"options" ? &o.sExtraParams
                                : field == u"find" ? &o.sFindString : &o.sReplaceString;
        *target = text;

        MainFormState form;
        const bool refused = !message.isEmpty();
        QCOMPARE(TaskRowTextsMessage(o, QStringLiteral("\n")), message);
        QCOMPARE(AddOptionsToGrid(o, form.fgToDo), !refused);
        QCOMPARE(o.lErr, refused ? kErrTaskTextNotStorable : 0);
        QCOMPARE(form.fgToDo.Rows(), refused ? 2 : 3);
    }

    void optionsComeFromTheEditorHook()
    {
        MainFormState form;
        clsConversionOptions o;
        GetOptionsFromGUI(form, o); // no editor: the record stays as it was
        QCOMPARE(rowFields(o), rowFields(clsConversionOptions()));
        form.hooks.GetOptionsFromGUI = [](clsConversionOptions& r) { r.sOriginalFile = QStringLiteral("/x"); };
        GetOptionsFromGUI(form, o);
        QCOMPARE(o.sOriginalFile, QStringLiteral("/x"));
    }
};

QTEST_GUILESS_MAIN(TestTaskRows)
#include "test_task_rows.moc"
