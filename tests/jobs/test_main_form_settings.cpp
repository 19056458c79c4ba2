// The main form's settings section: the defaults of a first run, every key
// reaching its member under its exact spelling, a round trip of every key
// the form writes, override groups that are off, values read the way the
// program always read them, the window's steps and command-line mode.
#include "base/Profile.h"
#include "core/Globals.h"
#include "jobs/MainFormSettings.h"
#include "jobs/MainFormState.h"
#include "TestUtil.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QString b(bool v)
{
    return v ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

// Every setting of the form as "name=value", members and controls alike, in
// one list a comparison shows line by line.
QStringList describe(const MainFormState& f)
{
    const MainFormControlSettings& c = f.controls;
    QStringList d = {
        "bRetainInputFileTimeStamp=" + b(f.bRetainInputFileTimeStamp),
        "bMoveOriginalFileAfterProcessing=" + b(f.bMoveOriginalFileAfterProcessing),
        "sMoveFileToFolder=" + f.sMoveFileToFolder,
        "bDeleteOriginalFileAfterProcessing=" + b(f.bDeleteOriginalFileAfterProcessing),
        "bContinueFileListingOnError=" + b(f.bContinueFileListingOnError),
        "bUserMSWordToConvert=" + b(f.bUserMSWordToConvert),
        "lConversionMethod=" + QString::number(f.lConversionMethod),
        "bOptimizeForSpeed=" + b(f.bOptimizeForSpeed),
        "sInputFile_Password=" + f.sInputFile_Password,
        "sInputFile_Password_TW=" + f.sInputFile_Password_TW,
        "sInputFileTemplate_Password=" + f.sInputFileTemplate_Password,
        "sInputFileTemplate_Password_TW=" + f.sInputFileTemplate_Password_TW,
        "glnMeasurement=" + QString::number(glnMeasurement),
        "cbAddPageBrake=" + b(f.cbAddPageBrake),
        "cbPlacePathAtTopOfEachFile=" + b(f.cbPlacePathAtTopOfEachFile),
        "bConv_DontShowFileMismatchAgain=" + b(f.bConv_DontShowFileMismatchAgain),
        "bSP_DontShowFileMismatchAgain=" + b(f.bSP_DontShowFileMismatchAgain),
        "bWPD_DontShowFileMismatchAgain=" + b(f.bWPD_DontShowFileMismatchAgain),
        "bOverrideFontSettings=" + b(f.bOverrideFontSettings),
        "lVyxBaseLine=" + QString::number(f.lVyxBaseLine),
        "lVyxFontBold=" + QString::number(f.lVyxFontBold),
        "lVyxFontItalic=" + QString::number(f.lVyxFontItalic),
        "lVyxFontSize=" + QString::number(f.lVyxFontSize),
        "lVyxFontStrikethru=" + QString::number(f.lVyxFontStrikethru),
        "lVyxFontUnderline=" + QString::number(f.lVyxFontUnderline),
        "lVyxFontUnderlineStyle=" + QString::number(f.lVyxFontUnderlineStyle),
        "lVyxForeColor=" + QString::number(f.lVyxForeColor),
        "lVyxTextBkColor=" + QString::number(f.lVyxTextBkColor),
        "sVyxFontName=" + f.sVyxFontName,
        "bOverridePageSettings=" + b(f.bOverridePageSettings),
        "lVyxPageMarginL=" + QString::number(f.lVyxPageMarginL),
        "lVyxPageMarginT=" + QString::number(f.lVyxPageMarginT),
        "lVyxPageMarginR=" + QString::number(f.lVyxPageMarginR),
        "lVyxPageMarginB=" + QString::number(f.lVyxPageMarginB),
        "lVyxPageWidth=" + QString::number(f.lVyxPageWidth),
        "lVyxPageHeight=" + QString::number(f.lVyxPageHeight),
        "lVyxStyleSheetOption=" + QString::number(f.lVyxStyleSheetOption),
        "sVyxStyleSheetFile=" + f.sVyxStyleSheetFile,
        "bVyxPortrait=" + b(f.bVyxPortrait),
        "bOverrideParagraphSettings=" + b(f.bOverrideParagraphSettings),
        "lVyxAlignment=" + QString::number(f.lVyxAlignment),
        "lVyxFrameDistance=" + QString::number(f.lVyxFrameDistance),
        "lVyxFrameLineWidth=" + QString::number(f.lVyxFrameLineWidth),
        "lVyxFrameStyle=" + QString::number(f.lVyxFrameStyle),
        "lVyxIndentB=" + QString::number(f.lVyxIndentB),
        "lVyxIndentFL=" + QString::number(f.lVyxIndentFL),
        "lVyxIndentL=" + QString::number(f.lVyxIndentL),
        "lVyxIndentR=" + QString::number(f.lVyxIndentR),
        "lVyxIndentT=" + QString::number(f.lVyxIndentT),
        "lVyxLineSpacing=" + QString::number(f.lVyxLineSpacing),
        "lVyxLineSpacingT=" + QString::number(f.lVyxLineSpacingT),
        "bOverridePDFSettings=" + b(f.bOverridePDFSettings),
        "sVyxPDFUserPassword=" + f.sVyxPDFUserPassword,
        "sVyxPDFMasterPassword=" + f.sVyxPDFMasterPassword,
        "lDocAccessPermissions=" + QString::number(f.lDocAccessPermissions),
        "bOverrideImageSettings=" + b(f.bOverrideImageSettings),
        "lImageComparessionQuality=" + QString::number(f.lImageComparessionQuality),
        "lImageMaxResolution=" + QString::number(f.lImageMaxResolution),
        "bEmbedImageIntoOutput=" + b(f.bEmbedImageIntoOutput),
        "bOverrideTopBottomParagraphDistance=" + b(f.bOverrideTopBottomParagraphDistance),
        "sActionToDo=" + f.sActionToDo,
        "cbSpecialProcesses.ListIndex=" + QString::number(c.cbSpecialProcessesListIndex),
        "cbCommandLineWindowState.ListIndex=" + QString::number(c.cbCommandLineWindowStateListIndex),
        "cbCommandLineThreadPriority.ListIndex=" + QString::number(c.cbCommandLineThreadPriorityListIndex),
        "txtCommandLineWaitTimeInSeconds=" + c.txtCommandLineWaitTimeInSeconds,
        "sImageConversionOptions=" + f.sImageConversionOptions,
        "cbFileTypeTarget.ListIndex=" + QString::number(c.cbFileTypeTargetListIndex),
        "cbFileTypeOriginal.ListIndex=" + QString::number(c.cbFileTypeOriginalListIndex),
        "cbDoSubfolders=" + QString::number(c.cbDoSubfolders),
        "cbDoSubfoldersSpecialized=" + QString::number(c.cbDoSubfoldersSpecialized),
        "cbFileTypeOriginalSpecialized.ListIndex=" + QString::number(c.cbFileTypeOriginalSpecializedListIndex),
        "bRXHDCaseSensitive=" + b(f.bRXHDCaseSensitive),
        "bRXHDUseRegularExpression=" + b(f.bRXHDUseRegularExpression),
        "bRXHDWholeWordOnly=" + b(f.bRXHDWholeWordOnly),
        "bRXHDBeginningOfLine=" + b(f.bRXHDBeginningOfLine),
        "bRXHDEndOfLine=" + b(f.bRXHDEndOfLine),
        "bRXHDMultiLine=" + b(f.bRXHDMultiLine),
        "bRXHDGenerateReportWhenDone=" + b(f.bRXHDGenerateReportWhenDone),
        "sRXHDReportFileName=" + f.sRXHDReportFileName,
        "bRestartSchedulerAtLoad=" + b(f.bRestartSchedulerAtLoad),
    };
    const int logColumns[] = {2, 3, 7, 9, 10};
    const int toDoColumns[] = {2, 3, 6, 9, 10};
    for (int i = 0; i < 5; ++i)
        d << QStringLiteral("fgLog.ColWidth(%1)=%2").arg(logColumns[i]).arg(c.fgLogColWidth[size_t(i)]);
    for (int i = 0; i < 5; ++i)
        d << QStringLiteral("fgToDo.ColWidth(%1)=%2").arg(toDoColumns[i]).arg(c.fgToDoColWidth[size_t(i)]);
    return d;
}

// A file that sets every key to something other than its default, the keys
// spelt as the program has always spelt them.
const QByteArray kEveryKey =
    "[frmMain]\r\n"
    "bRetainInputFileTimeStamp=TRUE\r\n"
    "bMoveOriginalFileAfterProcessing=TRUE\r\n"
    "sMoveFileToFolder=/srv/done/\r\n"
    "bDeleteOriginalFileAfterProcessing=TRUE\r\n"
    "bContinueFileListingOnError=FALSE\r\n"
    "bUserMSWordToConvert=TRUE\r\n"
    "bOptimizeForSpeed=FALSE\r\n"
    "sInputFile_Password=in-pw\r\n"
    "sInputFile_Password_TW=in-pw-tw\r\n"
    "sInputFileTemplate_Password=tpl-pw\r\n"
    "sInputFileTemplate_Password_TW=tpl-pw-tw\r\n"
    "glnMeasurement=2\r\n"
    "cbAddPageBrake=TRUE\r\n"
    "cbPlacePathAtTopOfEachFile=TRUE\r\n"
    "bConv_DontShowFileMismatchAgain=TRUE\r\n"
    "bSP_DontShowFileMismatchAgain=TRUE\r\n"
    "bWPD_DontShowFileMismatchAgain=TRUE\r\n"
    "bOverrideFontSettings=TRUE\r\n"
    "lVyxBaseLine=11\r\n"
    "lVyxFontBold=1\r\n"
    "lVyxFontItalic=1\r\n"
    "lVyxFontSize=14\r\n"
    "lVyxFontStrikethru=1\r\n"
    "lVyxFontUnderline=1\r\n"
    "lVyxFontUnderlineStyle=3\r\n"
    "lVyxForeColor=255\r\n"
    "lVyxTextBkColor=65280\r\n"
    "sVyxFontName=Liberation Serif\r\n"
    "bOverridePageSettings=TRUE\r\n"
    "lVyxPageMarginL=720\r\n"
    "lVyxPageMarginT=721\r\n"
    "lVyxPageMarginR=722\r\n"
    "lVyxPageMarginB=723\r\n"
    "lVyxPageWidth=11906\r\n"
    "lVyxPageHeight=16838\r\n"
    "lVyxStyleSheetOption=2\r\n"
    "sVyxStyleSheetFile=/srv/style.css\r\n"
    "bVyxPortrait=False\r\n"
    "bOverrideParagraphSettings=TRUE\r\n"
    "lVyxAlignment=1\r\n"
    "lVyxFrameDistance=2\r\n"
    "lVyxFrameLineWidth=3\r\n"
    "lVyxFrameStyle=4\r\n"
    "lVyxIndentB=5\r\n"
    "lVyxIndentFL=6\r\n"
    "lVyxIndentL=7\r\n"
    "lVyxIndentR=8\r\n"
    "lVyxIndentT=9\r\n"
    "lVyxLineSpacing=10\r\n"
    "lVyxLineSpacingT=11\r\n"
    "bOverridePDFSettings=TRUE\r\n"
    "sVyxPDFUserPassword=user-pw\r\n"
    "sVyxPDFMasterPassword=master-pw\r\n"
    "lDocAccessPermissions=12\r\n"
    "bOverrideImageSettings=TRUE\r\n"
    "lImageComparessionQuality=80\r\n"
    "lImageMaxResolution=300\r\n"
    "bEmbedImageIntoOutput=TRUE\r\n"
    "bOverrideTopBottomParagraphDistance=FALSE\r\n"
    "fgLog.ColWidth(2)=1\r\n"
    "fgLog.ColWidth(3)=2\r\n"
    "fgLog.ColWidth(7)=3\r\n"
    "fgLog.ColWidth(9)=4\r\n"
    "fgLog.ColWidth(10)=5\r\n"
    "fgToDo.ColWidth(2)=6\r\n"
    "fgToDo.ColWidth(3)=7\r\n"
    "fgToDo.ColWidth(6)=8\r\n"
    "fgToDo.ColWidth(9)=9\r\n"
    "fgToDo.ColWidth(10)=10\r\n"
    "sActionToDO=S\r\n"
    "cbSpecialProcesses.ListIndex=3\r\n"
    "cbCommandLineWindowState.ListIndex=2\r\n"
    "cbCommandLineThreadPriority.ListIndex=0\r\n"
    "txtCommandLineWaitTimeInSeconds=30\r\n"
    "sImageConversionOptions=1-3^4^TRUE^90^300^0^0^1^^\r\n"
    "cbFileTypeTarget.ListIndex=7\r\n"
    "cbFileTypeOriginal.ListIndex=2\r\n"
    "cbDoSubfolders=1\r\n"
    "cbDoSubfoldersSpecialized=2\r\n"
    "cbFileTypeOriginalSpecialized.ListIndex=4\r\n"
    "bRXHDCaseSensitive=TRUE\r\n"
    "bRXHDUseRegularExpression=TRUE\r\n"
    "bRXHDWholeWordOnly=TRUE\r\n"
    "bRXHDBeginningOfLine=TRUE\r\n"
    "bRXHDEndOfLine=TRUE\r\n"
    "bRXHDMultiLine=TRUE\r\n"
    "bRXHDGenerateReportWhenDone=TRUE\r\n"
    "sRXHDReportFileName=/srv/report.tsv\r\n"
    "[frmScheduler]\r\n"
    "chkPersistRunning=1\r\n";

const QStringList kEveryKeyRead = {
    "bRetainInputFileTimeStamp=TRUE", "bMoveOriginalFileAfterProcessing=TRUE", "sMoveFileToFolder=/srv/done/",
    "bDeleteOriginalFileAfterProcessing=TRUE", "bContinueFileListingOnError=FALSE", "bUserMSWordToConvert=TRUE",
    "lConversionMethod=1", "bOptimizeForSpeed=FALSE", "sInputFile_Password=in-pw",
    "sInputFile_Password_TW=in-pw-tw", "sInputFileTemplate_Password=tpl-pw",
    "sInputFileTemplate_Password_TW=tpl-pw-tw", "glnMeasurement=2", "cbAddPageBrake=TRUE",
    "cbPlacePathAtTopOfEachFile=TRUE", "bConv_DontShowFileMismatchAgain=TRUE",
    "bSP_DontShowFileMismatchAgain=TRUE", "bWPD_DontShowFileMismatchAgain=TRUE", "bOverrideFontSettings=TRUE",
    "lVyxBaseLine=11", "lVyxFontBold=1", "lVyxFontItalic=1", "lVyxFontSize=14", "lVyxFontStrikethru=1",
    "lVyxFontUnderline=1", "lVyxFontUnderlineStyle=3", "lVyxForeColor=255", "lVyxTextBkColor=65280",
    "sVyxFontName=Liberation Serif", "bOverridePageSettings=TRUE", "lVyxPageMarginL=720", "lVyxPageMarginT=721",
    "lVyxPageMarginR=722", "lVyxPageMarginB=723", "lVyxPageWidth=11906", "lVyxPageHeight=16838",
    "lVyxStyleSheetOption=2", "sVyxStyleSheetFile=/srv/style.css", "bVyxPortrait=FALSE",
    "bOverrideParagraphSettings=TRUE", "lVyxAlignment=1", "lVyxFrameDistance=2", "lVyxFrameLineWidth=3",
    "lVyxFrameStyle=4", "lVyxIndentB=5", "lVyxIndentFL=6", "lVyxIndentL=7", "lVyxIndentR=8", "lVyxIndentT=9",
    "lVyxLineSpacing=10", "lVyxLineSpacingT=11", "bOverridePDFSettings=TRUE", "sVyxPDFUserPassword=user-pw",
    "sVyxPDFMasterPassword=master-pw", "lDocAccessPermissions=12", "bOverrideImageSettings=TRUE",
    "lImageComparessionQuality=80", "lImageMaxResolution=300", "bEmbedImageIntoOutput=TRUE",
    "bOverrideTopBottomParagraphDistance=FALSE", "sActionToDo=S", "cbSpecialProcesses.ListIndex=3",
    "cbCommandLineWindowState.ListIndex=2", "cbCommandLineThreadPriority.ListIndex=0",
    "txtCommandLineWaitTimeInSeconds=30", "sImageConversionOptions=1-3^4^TRUE^90^300^0^0^1^^",
    "cbFileTypeTarget.ListIndex=7", "cbFileTypeOriginal.ListIndex=2", "cbDoSubfolders=1",
    "cbDoSubfoldersSpecialized=2", "cbFileTypeOriginalSpecialized.ListIndex=4", "bRXHDCaseSensitive=TRUE",
    "bRXHDUseRegularExpression=TRUE", "bRXHDWholeWordOnly=TRUE", "bRXHDBeginningOfLine=TRUE",
    "bRXHDEndOfLine=TRUE", "bRXHDMultiLine=TRUE", "bRXHDGenerateReportWhenDone=TRUE",
    "sRXHDReportFileName=/srv/report.tsv", "bRestartSchedulerAtLoad=TRUE", "fgLog.ColWidth(2)=1",
    "fgLog.ColWidth(3)=2", "fgLog.ColWidth(7)=3", "fgLog.ColWidth(9)=4", "fgLog.ColWidth(10)=5",
    "fgToDo.ColWidth(2)=6", "fgToDo.ColWidth(3)=7", "fgToDo.ColWidth(6)=8", "fgToDo.ColWidth(9)=9",
    "fgToDo.ColWidth(10)=10",
};

// Keys of section "frmMain" in the file, in file order.
QStringList keysOf(const QString& file)
{
    QStringList keys;
    bool inSection = false;
    for (const QByteArray& line : testutil::readFile(file).split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(u'['))
            inSection = text == QLatin1String("[frmMain]");
        else if (inSection && text.contains(u'='))
            keys << text.section(u'=', 0, 0);
    }
    return keys;
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

ino_t inodeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}

QString frmMain(const QString& key, const QString& file)
{
    return GetPrivateProfileString(QStringLiteral("frmMain"), key, QStringLiteral("<missing>"), file);
}

} // namespace

class TestMainFormSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

    void readFrom(MainFormState& form, const QString& file, const QByteArray& bytes)
    {
        QVERIFY(testutil::writeFile(file, bytes));
        G_IniFilePath = file;
        ReadIniFile(form);
    }

private slots:
    void init()
    {
        G_sDataFolder = QStringLiteral("/data");
        G_bCommandLineMode = false;
        G_bSuppressControlEvents = false;
        glnMeasurement = 1;
    }

    void everyKeyReachesItsTarget()
    {
        MainFormState form;
        readFrom(form, path("every.ini"), kEveryKey);
        QCOMPARE(describe(form), kEveryKeyRead);
    }

    void noFileGivesTheDefaults()
    {
        MainFormState form;
        readFrom(form, path("every.ini"), kEveryKey);
        G_IniFilePath = path("missing/QVIM_SearchHistory.INI");
        ReadIniFile(form);

        QCOMPARE(describe(form), describe(MainFormState()));
        QCOMPARE(form.lConversionMethod, 2);
        QCOMPARE(form.sRXHDReportFileName, QStringLiteral("/data/SearchAndReplace.TSV"));
        QCOMPARE(form.controls.txtCommandLineWaitTimeInSeconds, QStringLiteral("-1"));
        QVERIFY(form.mruSource && form.mruSource->Count() == 0);
        QVERIFY(form.mruTarget && form.mruTarget->Count() == 0);
        QVERIFY(!QFileInfo::exists(G_IniFilePath));
    }

    // A settings file the user made readable by others is its owner's
    // alone after a save: with a password written, with none, and with one
    // stored that this save leaves as it was (its group is off).
    void settingsFileIsPrivateAfterASave_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("override");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("stored");
        QTest::newRow("password") << QByteArray("[frmMain]\r\n") << true << "open-secret" << "open-secret";
        QTest::newRow("none") << QByteArray("[frmMain]\r\n") << true << "" << "";
        QTest::newRow("stored, group off") << QByteArray("[frmMain]\r\nsVyxPDFUserPassword=kept-secret\r\n") << false
                                           << "" << "kept-secret";
    }

    void settingsFileIsPrivateAfterASave()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, override);
        QFETCH(QString, password);
        QFETCH(QString, stored);
        G_IniFilePath = path("shared.ini");
        QVERIFY(testutil::writeFile(G_IniFilePath, before));
        QVERIFY(::chmod(QFile::encodeName(G_IniFilePath).constData(), 0644) == 0);
        MainFormState form;
        form.bOverridePDFSettings = override;
        form.sVyxPDFUserPassword = password;
        SaveIniFile(form);
        QCOMPARE(modeOf(G_IniFilePath), mode_t(0600));
        QCOMPARE(frmMain("sVyxPDFUserPassword", G_IniFilePath), stored);
    }

    void roundTripOfEveryWrittenKey()
    {
        MainFormState form;
        readFrom(form, path("every.ini"), kEveryKey);
        form.mruSource->AddUniqueItemToCollection(QStringLiteral("/in/a.doc"));

        G_IniFilePath = path("saved/QVIM_SearchHistory.INI");
        QDir().mkpath(path("saved"));
        QCOMPARE(SaveIniFile(form), QStringList());
        QVERIFY(!form.mruSource && !form.mruTarget && !form.mruFileOpen);

        // It can hold passwords.
        QCOMPARE(modeOf(G_IniFilePath), mode_t(0600));
        // Every key of the section but the one that is only read.
        QStringList written = keysOf(G_IniFilePath);
        QStringList expected = keysOf(path("every.ini"));
        expected.removeAll(QStringLiteral("bOverrideTopBottomParagraphDistance"));
        written.sort();
        expected.sort();
        QCOMPARE(written, expected);
        QCOMPARE(frmMain("bVyxPortrait", G_IniFilePath), QStringLiteral("False"));
        QCOMPARE(frmMain("bRetainInputFileTimeStamp", G_IniFilePath), QStringLiteral("TRUE"));
        // Only the list that changed is written, into the file it came from.
        const QString listFile = path("every.ini");
        QCOMPARE(GetPrivateProfileString("mruSource", "mruSource1", "", listFile), QStringLiteral("/in/a.doc"));
        QCOMPARE(GetPrivateProfileString("mruSource", "mruSource2", "", listFile), QStringLiteral("MRU_DONE"));
        QVERIFY(!testutil::readFile(listFile).contains("[mruTarget]"));

        MainFormState again;
        ReadIniFile(again);
        QStringList expectedRead = kEveryKeyRead;
        expectedRead.replaceInStrings(QStringLiteral("bOverrideTopBottomParagraphDistance=FALSE"),
                                      QStringLiteral("bOverrideTopBottomParagraphDistance=TRUE"));
        // chkPersistRunning belongs to the scheduler's section, which this
        // file does not have.
        expectedRead.replaceInStrings(QStringLiteral("bRestartSchedulerAtLoad=TRUE"),
                                      QStringLiteral("bRestartSchedulerAtLoad=FALSE"));
        QCOMPARE(describe(again), expectedRead);
    }

    void anUnchangedSectionIsNotRewritten()
    {
        MainFormState form;
        readFrom(form, path("same.ini"), kEveryKey);
        QCOMPARE(SaveIniFile(form), QStringList());
        const ino_t first = inodeOf(G_IniFilePath);
        const QByteArray bytes = testutil::readFile(G_IniFilePath);

        MainFormState again;
        ReadIniFile(again);
        QCOMPARE(SaveIniFile(again), QStringList());
        QCOMPARE(inodeOf(G_IniFilePath), first);
        QCOMPARE(testutil::readFile(G_IniFilePath), bytes);
    }

    void aGroupThatIsOffKeepsItsStoredMembers_data()
    {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("stored");
        QTest::newRow("font") << "bOverrideFontSettings" << "sVyxFontName" << "Liberation Serif";
        QTest::newRow("page") << "bOverridePageSettings" << "lVyxPageMarginL" << "720";
        QTest::newRow("paragraph") << "bOverrideParagraphSettings" << "lVyxIndentL" << "7";
        QTest::newRow("pdf") << "bOverridePDFSettings" << "sVyxPDFUserPassword" << "user-pw";
        QTest::newRow("image") << "bOverrideImageSettings" << "lImageMaxResolution" << "300";
    }

    void aGroupThatIsOffKeepsItsStoredMembers()
    {
        QFETCH(QString, flag);
        QFETCH(QString, member);
        QFETCH(QString, stored);

        MainFormState form;
        readFrom(form, path("group.ini"), kEveryKey);
        // The user switches the group off and edits a member meanwhile.
        form.bOverrideFontSettings = form.bOverridePageSettings = form.bOverrideParagraphSettings = false;
        form.bOverridePDFSettings = form.bOverrideImageSettings = false;
        form.sVyxFontName = QStringLiteral("Carlito");
        form.lVyxPageMarginL = 1;
        form.lVyxIndentL = 1;
        form.sVyxPDFUserPassword = QStringLiteral("changed");
        form.lImageMaxResolution = 1;
        form.bEmbedImageIntoOutput = false;
        QCOMPARE(SaveIniFile(form), QStringList());

        QCOMPARE(frmMain(flag, G_IniFilePath), QStringLiteral("FALSE"));
        QCOMPARE(frmMain(member, G_IniFilePath), stored);
        // Written whatever its group says.
        QCOMPARE(frmMain("bEmbedImageIntoOutput", G_IniFilePath), QStringLiteral("FALSE"));

        // The stored members still load, the flag off.
        MainFormState again;
        ReadIniFile(again);
        QVERIFY(describe(again).contains(member + u'=' + stored));
        QVERIFY(describe(again).contains(flag + QStringLiteral("=FALSE")));
    }

    void valuesReadAsTheProgramAlwaysRead_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");

        QTest::newRow("flag lower case") << QByteArray("bUserMSWordToConvert=true") << "lConversionMethod=1";
        QTest::newRow("flag as a digit") << QByteArray("bUserMSWordToConvert=1") << "lConversionMethod=2";
        QTest::newRow("flag as yes") << QByteArray("bContinueFileListingOnError=yes") << "bContinueFileListingOnError=FALSE";
        QTest::newRow("portrait any case") << QByteArray("bVyxPortrait=tRuE") << "bVyxPortrait=TRUE";
        QTest::newRow("number with blanks") << QByteArray("lVyxPageMarginL=  567 ") << "lVyxPageMarginL=567";
        QTest::newRow("number rounded") << QByteArray("lVyxFontSize=12.5") << "lVyxFontSize=12";
        QTest::newRow("number not a number") << QByteArray("lVyxPageMarginL=wide") << "lVyxPageMarginL=1440";
        QTest::newRow("number empty") << QByteArray("lVyxPageWidth=") << "lVyxPageWidth=12240";
        QTest::newRow("number past 32 bits") << QByteArray("lVyxPageHeight=99999999999") << "lVyxPageHeight=15840";
        QTest::newRow("unit past 16 bits") << QByteArray("glnMeasurement=70000") << "glnMeasurement=1";
        QTest::newRow("width not a number") << QByteArray("fgToDo.ColWidth(6)=x") << "fgToDo.ColWidth(6)=675";
        QTest::newRow("process index past the list") << QByteArray("cbSpecialProcesses.ListIndex=5") << "cbSpecialProcesses.ListIndex=0";
        QTest::newRow("process index none") << QByteArray("cbSpecialProcesses.ListIndex=-1") << "cbSpecialProcesses.ListIndex=-1";
        QTest::newRow("priority index bad") << QByteArray("cbCommandLineThreadPriority.ListIndex=x") << "cbCommandLineThreadPriority.ListIndex=1";
        QTest::newRow("wait time bad") << QByteArray("txtCommandLineWaitTimeInSeconds=soon") << "txtCommandLineWaitTimeInSeconds=-1";
        QTest::newRow("wait time as number") << QByteArray("txtCommandLineWaitTimeInSeconds= 045") << "txtCommandLineWaitTimeInSeconds=45";
        // The window's last steps leave a control as it was on a bad value.
        QTest::newRow("output type past the list") << QByteArray("cbFileTypeTarget.ListIndex=13") << "cbFileTypeTarget.ListIndex=4";
        QTest::newRow("output type last entry") << QByteArray("cbFileTypeTarget.ListIndex=12") << "cbFileTypeTarget.ListIndex=12";
        QTest::newRow("input type bad") << QByteArray("cbFileTypeOriginal.ListIndex=pdf") << "cbFileTypeOriginal.ListIndex=4";
        QTest::newRow("sub-folders bad") << QByteArray("cbDoSubfolders=3") << "cbDoSubfolders=1";
        QTest::newRow("sub-folders greyed") << QByteArray("cbDoSubfoldersSpecialized=2") << "cbDoSubfoldersSpecialized=2";
        QTest::newRow("special type at the count") << QByteArray("cbFileTypeOriginalSpecialized.ListIndex=6") << "cbFileTypeOriginalSpecialized.ListIndex=0";
        QTest::newRow("special type beyond") << QByteArray("cbFileTypeOriginalSpecialized.ListIndex=40") << "cbFileTypeOriginalSpecialized.ListIndex=0";
        QTest::newRow("special type bad") << QByteArray("cbFileTypeOriginalSpecialized.ListIndex=-2") << "cbFileTypeOriginalSpecialized.ListIndex=4";
        QTest::newRow("text keeps inner blanks") << QByteArray("sVyxFontName=  DejaVu Sans  ") << "sVyxFontName=DejaVu Sans";
        QTest::newRow("text cut at 499") << QByteArray("sMoveFileToFolder=/") + QByteArray(600, 'x') << "sMoveFileToFolder=/" + QString(498, u'x');
    }

    void valuesReadAsTheProgramAlwaysRead()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);

        MainFormState form;
        // What the window's controls held before the read.
        form.controls.cbFileTypeTargetListIndex = 4;
        form.controls.cbFileTypeOriginalListIndex = 4;
        form.controls.cbDoSubfolders = 1;
        form.controls.cbFileTypeOriginalSpecializedListIndex = 4;
        readFrom(form, path("value.ini"), "[frmMain]\r\n" + line + "\r\n");
        const QString name = expected.section(u'=', 0, 0);
        const QStringList found = describe(form).filter(QRegularExpression(u'^' + QRegularExpression::escape(name) + u'='));
        QCOMPARE(found, QStringList{expected});
    }

    void schedulerRestartIsReadFromItsOwnSection_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("restart");
        QTest::newRow("on") << QByteArray("[frmScheduler]\nchkPersistRunning=1\n") << true;
        QTest::newRow("any number but 0") << QByteArray("[frmScheduler]\nchkPersistRunning=-1\n") << true;
        QTest::newRow("not a number") << QByteArray("[frmScheduler]\nchkPersistRunning=TRUE\n") << false;
        QTest::newRow("in the wrong section") << QByteArray("[frmMain]\nchkPersistRunning=1\n") << false;
    }

    void schedulerRestartIsReadFromItsOwnSection()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, restart);
        MainFormState form;
        readFrom(form, path("scheduler.ini"), file);
        QCOMPARE(form.bRestartSchedulerAtLoad, restart);
    }

    void topBottomDistanceIsNeverWritten()
    {
        MainFormState form;
        readFrom(form, path("hand.ini"), "[frmMain]\r\nbOverrideTopBottomParagraphDistance=FALSE\r\n");
        QVERIFY(!form.bOverrideTopBottomParagraphDistance);
        form.bOverrideTopBottomParagraphDistance = true;
        QCOMPARE(SaveIniFile(form), QStringList());
        QCOMPARE(frmMain("bOverrideTopBottomParagraphDistance", G_IniFilePath), QStringLiteral("FALSE"));
    }

    void valuesTheFileCannotHoldAreRefused()
    {
        MainFormState form;
        readFrom(form, path("refuse.ini"), kEveryKey);
        form.sMoveFileToFolder = u'/' + QString(499, u'd');                  // one too long: a cut path
        form.sInputFile_Password = QStringLiteral("two\nlines");
        form.sVyxPDFUserPassword = QStringLiteral("  blanks around  ");
        form.sVyxPDFMasterPassword = QStringLiteral("\"quoted\"");
        form.sVyxFontName = QString(499, u'f');                            // just fits
        QCOMPARE(SaveIniFile(form), (QStringList{"sMoveFileToFolder", "sInputFile_Password"}));

        QCOMPARE(frmMain("sMoveFileToFolder", G_IniFilePath), QStringLiteral("/srv/done/"));
        QCOMPARE(frmMain("sInputFile_Password", G_IniFilePath), QStringLiteral("in-pw"));
        MainFormState again;
        ReadIniFile(again);
        QCOMPARE(again.sVyxPDFUserPassword, QStringLiteral("  blanks around  "));
        QCOMPARE(again.sVyxPDFMasterPassword, QStringLiteral("\"quoted\""));
        QCOMPARE(again.sVyxFontName, QString(499, u'f'));
    }

    void windowStepsRunInTheirOrder()
    {
        MainFormState form;
        QStringList steps;
        MainFormHooks& h = form.hooks;
        h.ReadControlSettings = [&](MainFormControlSettings& c) {
            steps << "controls";
            c.cbFileTypeOriginalListIndex = 5;   // what the user picked
        };
        h.ApplyGridColumnWidths = [&](const MainFormControlSettings& c) {
            steps << QStringLiteral("widths %1 %2").arg(c.fgLogColWidth[0]).arg(c.fgToDoColWidth[4]);
        };
        h.FillComboFromMRU = [&](const clsMRU& list) {
            steps << QStringLiteral("%1 %2 %3").arg(list.Name()).arg(list.Count()).arg(int(G_bSuppressControlEvents));
        };
        h.ApplyEditorChoices = [&](const MainFormControlSettings& c) {
            steps << QStringLiteral("editor %1 %2 suppressed %3")
                         .arg(c.cbSpecialProcessesListIndex)
                         .arg(c.txtCommandLineWaitTimeInSeconds)
                         .arg(int(G_bSuppressControlEvents));
        };
        h.RefreshConvertOptionsGUI = [&] { steps << "refresh " + form.sActionToDo; };
        h.ApplyTypeChoices = [&](const MainFormControlSettings& c) {
            steps << QStringLiteral("types %1 %2 suppressed %3")
                         .arg(c.cbFileTypeTargetListIndex)
                         .arg(c.cbFileTypeOriginalListIndex)
                         .arg(int(G_bSuppressControlEvents));
        };
        h.MaximiseMainForm = [&] { steps << QStringLiteral("maximise suppressed %1").arg(int(G_bSuppressControlEvents)); };

        readFrom(form, path("window.ini"),
                 "[frmMain]\r\nfgLog.ColWidth(2)=100\r\nfgToDo.ColWidth(10)=200\r\nsActionToDO=S\r\n"
                 "cbSpecialProcesses.ListIndex=2\r\ntxtCommandLineWaitTimeInSeconds=9\r\n"
                 "cbFileTypeTarget.ListIndex=8\r\ncbFileTypeOriginal.ListIndex=x\r\n"
                 "[mruTarget]\r\nmruTarget1=/out/a.pdf\r\nmruTarget2=MRU_DONE\r\n");
        QCOMPARE(steps, (QStringList{
                            "controls", "widths 100 200", "mruSourceSpecialized 0 0", "mruTargetSpecialized 0 0",
                            "mruSource 0 0", "mruCommandLine 0 0", "mruCommandLineArguments 0 0",
                            "mruFindString 0 0", "mruReplaceString 0 0", "editor 2 9 suppressed 0", "refresh S",
                            "types 8 5 suppressed 1", "mruTarget 1 1", "maximise suppressed 0"}));
        QVERIFY(!G_bSuppressControlEvents);
        QVERIFY(form.mruFileOpen == std::nullopt);   // the window's load makes that one
    }

    void commandLineModeReadsButLeavesTheWindowAndTheFileAlone()
    {
        MainFormState form;
        QStringList steps;
        form.hooks.ApplyGridColumnWidths = [&](const MainFormControlSettings&) { steps << "widths"; };
        form.hooks.FillComboFromMRU = [&](const clsMRU&) { steps << "list"; };
        form.hooks.MaximiseMainForm = [&] { steps << "maximise"; };
        form.hooks.ApplyEditorChoices = [&](const MainFormControlSettings&) { steps << "editor"; };
        form.hooks.ApplyTypeChoices = [&](const MainFormControlSettings&) { steps << "types"; };
        G_bCommandLineMode = true;
        readFrom(form, path("cmd.ini"), kEveryKey);

        QCOMPARE(steps, (QStringList{"editor", "types"}));
        QVERIFY(!form.mruSource && !form.mruTarget);
        QCOMPARE(form.controls.fgLogColWidth, MainFormControlSettings().fgLogColWidth);
        QStringList read = describe(form);
        QStringList expected = kEveryKeyRead;
        for (QStringList* list : {&read, &expected})
            list->erase(std::remove_if(list->begin(), list->end(),
                                       [](const QString& s) { return s.contains(QLatin1String(".ColWidth(")); }),
                        list->end());
        QCOMPARE(read, expected);

        const ino_t inode = inodeOf(G_IniFilePath);
        form.sMoveFileToFolder = QStringLiteral("/elsewhere/");
        QCOMPARE(SaveIniFile(form), QStringList());
        QCOMPARE(testutil::readFile(G_IniFilePath), kEveryKey);
        QCOMPARE(inodeOf(G_IniFilePath), inode);
    }
};

QTEST_GUILESS_MAIN(TestMainFormSettings)
#include "test_main_form_settings.moc"
