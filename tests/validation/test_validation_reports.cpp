// The two reporters of a refused task: the command line's text in sErr and
// the log file, and the window's boxes, prompts and fixes answered by a
// script.
#include "ValidationFixture.h"

#include "base/MessageSink.h"
#include "core/LogFile.h"
#include "base/Prompter.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"
#include "jobs/Validation.h"

#include <QFileInfo>

namespace {

struct Asked
{
    QString text;
    QString title;
    MessageButtons buttons;
    MessageIcon icon;
};

// Answers from a script, in order; records every question.
class ScriptedPrompter : public Prompter
{
public:
    QList<MessageAnswer> answers;
    NeverShowAgainAnswer neverShowAgain;
    QList<Asked> asked;
    QStringList neverShowAgainCaptions;

    MessageAnswer ask(const QString& text, const QString& title, MessageButtons buttons, MessageIcon icon) override
    {
        asked.append({text, title, buttons, icon});
        return answers.isEmpty() ? MessageAnswer::Ok : answers.takeFirst();
    }
    NeverShowAgainAnswer askWithNeverShowAgain(const QString& caption, const QString&) override
    {
        neverShowAgainCaptions << caption;
        return neverShowAgain;
    }
};

class FakeEditor : public TaskEditorFields
{
public:
    QMap<EditorField, QString> texts;
    QList<EditorField> focused;
    bool visible = true;

    QString text(EditorField field) const override { return texts.value(field); }
    void setText(EditorField field, const QString& text) override { texts[field] = text; }
    bool isVisible(EditorField) const override { return visible; }
    void focus(EditorField field) override { focused << field; }
};

class RecordingSink : public MessageSink
{
public:
    QStringList texts;
    MessageAnswer showMessage(const QString& text, const QString&, MessageButtons, MessageIcon) override
    {
        texts << text;
        return MessageAnswer::Ok;
    }
};

} // namespace

class TestValidationReports : public QObject
{
    Q_OBJECT
    ValidationFixture* m_tree = nullptr;

private slots:
    void init()
    {
        m_tree = new ValidationFixture;
        QVERIFY(m_tree->setUp());
    }
    void cleanup()
    {
        SetMessageSink(nullptr);
        m_tree->tearDown();
        delete m_tree;
    }

    void commandLineText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("text");

        QTest::newRow("-1") << -1 << "C" << "/in/x/*.doc" << "/out/*.jpg" << "Input Folder\r\n/in/x\r\ndoes not exist.";
        QTest::newRow("-1 special") << -1 << "S55" << "/in/report*.txt" << "/out/*.txt" << "Input Folder\r\n/in\r\ndoes not exist.";
        QTest::newRow("-2") << -2 << "C" << "/in/*.doc" << "/out/a.jpg"
                            << "'Output File' must have wild card (*) since Input file has a wildcard.\r\nFor example: 'C:\\MyFiles\\*.PDF'";
        QTest::newRow("-3") << -3 << "C" << "/in/*.doc" << "/out/new/*.jpg" << "Output Folder\r\n/out/new\r\ndoes not exist.";
        QTest::newRow("-3 special") << -3 << "S55" << "/in/*.txt" << "/out/new/r*.txt" << "Output Folder\r\n/out/new\r\ndoes not exist.";
        QTest::newRow("-4") << -4 << "C" << "/in/a.doc" << "/out/a.jpg" << "Input File\r\n/in/a.doc\r\ndoes not exist.";
        QTest::newRow("-5") << -5 << "C" << "/in/a.doc" << "/out/*.jpg"
                            << "Output File\r\n/out/*.jpg\r\ncannot have a wildcard (*) in it unless the Input file does.";
        QTest::newRow("-6") << -6 << "C" << "/in/a.doc" << "/out/new/a.jpg" << "Output Folder\r\n/out/new\r\ndoes not exist.";
        QTest::newRow("-7") << -7 << "C" << "/in/a.doc" << "/out/a"
                            << "Invalid Output File type specified (/C# switch).\n\nIf you are not using the built in 'Tessaview' conversion, use the correct Output type lookup table";
        QTest::newRow("-14") << -14 << "C" << "/in/notes.odt" << "/out/notes.pdf"
                             << "Invalid Input File type specified.\r\n/in/notes.odt: the file's type is not one the "
                                "task's input type covers.\r\nExpected one of the input file types: TXT, HTM, RTF, DOC, "
                                "XML, CSS, DOCX, PDF";
        QTest::newRow("-8") << -8 << "C" << "" << ""
                            << "Conversion Job File (*.KRJ) specified in the command line (/J) does not exist.";
        QTest::newRow("-11") << -11 << "C" << "/in/a.doc" << "" << "Output File\r\n\r\ndoes not exist.";
        QTest::newRow("-12") << -12 << "C" << "" << "" << "Conversion Options empty.";
        QTest::newRow("-13") << -13 << "C" << "" << "" << "Input and Output file types are identical.";
        QTest::newRow("-101") << -101 << "S9" << "" << "" << "Invalid Special Process Identifier specified";
        QTest::newRow("-102") << -102 << "S55" << "" << "" << "Invalid Input file type for the Special Process specified.";
        QTest::newRow("-103") << -103 << "S50" << "/in/*.txt" << "/out/*.txt"
                              << "Output File\r\n/out/*.txt\r\ncannot have a wildcard (*) for this special process";
        QTest::newRow("-104") << -104 << "S50" << "" << "" << "Cannot concatenate a file with itself.";
        QTest::newRow("-105") << -105 << "S50" << "" << "" << "Output must be a specific file. Not a folder.";
        QTest::newRow("-106") << -106 << "S60" << "" << "" << "Wait time cannot be negative";
        QTest::newRow("-110") << -110 << "S56" << "" << "" << "String to find and replace is empty.";
        QTest::newRow("-112") << -112 << "C" << "/in/a\tb.doc" << "" << "Input File\r\ncannot contain a TAB or a line break.";
        QTest::newRow("window-only code") << -9 << "C" << "/in/a.doc" << "/out/a.jpg" << "";
    }

    void commandLineText()
    {
        QFETCH(int, code);
        QFETCH(QString, action);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, text);

        const QString log = m_tree->path("{d}/run.log");
        clsConversionOptions o;
        o.sActionToDo = action;
        o.sOriginalFile = input;
        o.sTargetFile = output;
        o.sLogFile = log;
        o.lErr = code;
        ReportConversionItemErrorCommandLine(o);
        QCOMPARE(o.sErr, text);
        QCOMPARE(testutil::readFile(log), LogFileLine(text).toUtf8() + "\n");
    }

    // The editor offers DOCX for the text processes, which cannot read it;
    // both reporters keep the refusal's text and say why.
    void docxInputOfATextProcessIsExplained_data()
    {
        QTest::addColumn<int>("process");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<bool>("explained");
        QTest::newRow("append DOCX") << 50 << 13 << true;
        QTest::newRow("search DOCX") << 56 << 13 << true;
        QTest::newRow("remove lines PDF") << 55 << 12 << false;
        QTest::newRow("launch with a wildcard") << 60 << 13 << false;
    }

    void docxInputOfATextProcessIsExplained()
    {
        QFETCH(int, process);
        QFETCH(int, inputType);
        QFETCH(bool, explained);
        const QString refusal = QStringLiteral("Invalid Input file type for the Special Process specified.");
        const QString why = QStringLiteral(" Word (DOCX) files cannot be used by this special process; save them as "
                                           "Word 97-2003 (DOC) or Rich Text Format (RTF) first.");
        const QString expected = explained ? refusal + why : refusal;

        clsConversionOptions o;
        o.sActionToDo = QStringLiteral("S") + QString::number(process);
        o.lSpecialProcess = process;
        o.lOriginalFileType = inputType;
        o.sLogFile = m_tree->path("{d}/run.log");
        o.lErr = -102;
        ReportConversionItemErrorCommandLine(o);
        QCOMPARE(o.sErr, expected);

        MainFormState form;
        ScriptedPrompter prompter;
        o.lErr = -102;
        QVERIFY(!bConfirmConversionItemGUI(form, o, prompter, nullptr));
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.asked.first().text, expected);
    }

    void unwritableFolderReportNamesTheFolderTested_data()
    {
        QTest::addColumn<bool>("besideInput");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("folder");
        QTest::newRow("output folder") << false << "{d}/in/a.doc" << "/proc/a.jpg" << "/proc";
        QTest::newRow("beside the input") << true << "/proc/*.txt" << "{d}/out/*.jpg" << "/proc";
    }

    void unwritableFolderReportNamesTheFolderTested()
    {
        QFETCH(bool, besideInput);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, folder);
        G_bCommandLineMode = true;
        MainFormState form;
        clsConversionOptions o;
        o.sExtraParams = kDefaultOptions;
        o.sOriginalFile = m_tree->path(input);
        o.lOriginalFileType = 9;
        o.sTargetFile = m_tree->path(output);
        o.lTargetFileType = 1;
        o.bSaveInOriginalFolder = besideInput;
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, taskerror::OutputFolderNotWritable);
        ReportConversionItemErrorCommandLine(o);
        QCOMPARE(o.sErr, QStringLiteral("Output Folder: Output folder is not writeable.\r\n") + folder);
    }

    void verboseReportIsShownAsWell()
    {
        RecordingSink sink;
        SetMessageSink(&sink);
        clsConversionOptions o;
        o.lErr = taskerror::ConversionOptionsEmpty;
        o.bVerbose = true;
        ReportConversionItemErrorCommandLine(o);
        QCOMPARE(sink.texts, QStringList{QStringLiteral("Conversion Options empty.")});
    }

    // The window: each code's questions, what the answers change, and where
    // the focus goes.
    void windowReport_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<MessageAnswer>>("answers");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("codeAfter");
        QTest::addColumn<QStringList>("texts");   // every box, in order
        QTest::addColumn<QList<EditorField>>("focus");

        using A = QList<MessageAnswer>;
        using F = QList<EditorField>;
        const QString unable = QStringLiteral("Unable to add/update: \n\n");

        QTest::newRow("-4 add anyway") << -4 << "C" << "{d}/in/gone.doc" << "{d}/out/a.jpg" << A{MessageAnswer::Yes} << true << -4
            << QStringList{unable + "Input File\n\n{d}/in/gone.doc\n\ndoes not exist.\n\nAdd anyway?"} << F{EditorField::OriginalFile};
        QTest::newRow("-4 no") << -4 << "C" << "{d}/in/gone.doc" << "{d}/out/a.jpg" << A{MessageAnswer::No} << false << -4
            << QStringList{unable + "Input File\n\n{d}/in/gone.doc\n\ndoes not exist.\n\nAdd anyway?"} << F{EditorField::OriginalFile};
        QTest::newRow("-4 empty input") << -4 << "C" << "" << "{d}/out/a.jpg" << A{} << false << -4
            << QStringList{unable + "Input File has not been specified."} << F{EditorField::OriginalFile};
        QTest::newRow("-5 two boxes") << -5 << "C" << "{d}/in/a.doc" << "{d}/out/*.jpg" << A{} << false << -5
            << QStringList{"Output File\n\n{d}/out/*.jpg\n\ncannot have a wildcard (*) in it unless the Input file does.",
                           unable + "Output File\n\n{d}/out/*.jpg\n\ncannot have a wildcard (*) in it unless the Input file does."}
            << F{EditorField::TargetFile};
        QTest::newRow("-6 create") << -6 << "C" << "{d}/in/a.doc" << "{d}/out/made/a.jpg" << A{MessageAnswer::Yes} << true << -6
            << QStringList{"Output Folder\n\n{d}/out/made\n\ndoes not exist.  Create it?\n\nCreate it?"} << F{};
        QTest::newRow("-6 no") << -6 << "C" << "{d}/in/a.doc" << "{d}/out/made/a.jpg" << A{MessageAnswer::No} << false << -6
            << QStringList{"Output Folder\n\n{d}/out/made\n\ndoes not exist.  Create it?\n\nCreate it?"} << F{EditorField::TargetFile};
        QTest::newRow("-6 no folder") << -6 << "C" << "{d}/in/a.doc" << "a.jpg" << A{} << false << -6
            << QStringList{"Output file not specified. Use a wildcard to specify whole folder."} << F{EditorField::TargetFile};
        QTest::newRow("-3 create") << -3 << "C" << "{d}/in/*.doc" << "{d}/out/made/x*.jpg" << A{MessageAnswer::Yes} << true << -3
            << QStringList{"Output Folder\n\n{d}/out/made\n\ndoes not exist. Create it?"} << F{};
        QTest::newRow("-2 two boxes") << -2 << "C" << "{d}/in/*.doc" << "{d}/out/a.jpg" << A{} << false << -2
            << QStringList{"'Output File' must have wild card (*) since Input file has a wildcard.\n\nFor example: 'C:\\MyFiles\\*.PDF'",
                           unable + "'Output File' must have wild card (*) since Input file has a wildcard.\n\nFor example: 'C:\\MyFiles\\*.PDF'"}
            << F{EditorField::TargetFile};
        QTest::newRow("-1") << -1 << "C" << "{d}/none/*.doc" << "{d}/out/*.jpg" << A{} << false << -1
            << QStringList{"Input Folder\n\n{d}/none\n\ndoes not exist.", unable + "Input Folder\n\n{d}/none\n\ndoes not exist."}
            << F{EditorField::OriginalFile};
        QTest::newRow("-11") << -11 << "C" << "{d}/in/a.doc" << "" << A{} << false << -11
            << QStringList{unable + "Output File has not been specified."} << F{EditorField::TargetFile};
        QTest::newRow("-7") << -7 << "C" << "" << "" << A{} << false << -7 << QStringList{"Invalid Output File type specified"} << F{};
        QTest::newRow("-12") << -12 << "C" << "" << "" << A{} << false << -12 << QStringList{"Conversion Options empty."} << F{};
        QTest::newRow("-13") << -13 << "C" << "" << "" << A{} << false << -13 << QStringList{"Input and Output file types are identical."} << F{};
        QTest::newRow("-101") << -101 << "S9" << "" << "" << A{} << false << -101 << QStringList{"Invalid Special Process Identifier specified"} << F{};
        QTest::newRow("-102") << -102 << "S55" << "" << "" << A{} << false << -102 << QStringList{"Invalid Input file type for the Special Process specified."} << F{};
        QTest::newRow("-103") << -103 << "S50" << "" << "{d}/out/*.txt" << A{} << false << -103
            << QStringList{"Output File\n\n{d}/out/*.txt\n\ncannot have a wildcard (*) for this special process"} << F{EditorField::TargetFileSpecialized};
        QTest::newRow("-104") << -104 << "S50" << "" << "" << A{} << false << -104
            << QStringList{"Input and Output File are the same. Cannot concatenate a file onto itself"} << F{EditorField::TargetFileSpecialized};
        QTest::newRow("-105") << -105 << "S50" << "" << "" << A{} << false << -105
            << QStringList{"Output must be a specific file. Not a folder."} << F{EditorField::TargetFileSpecialized};
        QTest::newRow("-106") << -106 << "S60" << "" << "" << A{} << false << -106
            << QStringList{"Wait time cannot be negative"} << F{EditorField::CommandLineWaitTime};
        QTest::newRow("-110") << -110 << "S56" << "" << "" << A{} << false << -110
            << QStringList{"String to find and replace is empty."} << F{EditorField::FindString};
        QTest::newRow("-112") << -112 << "C" << "" << "{d}/out/a\nb.jpg" << A{} << false << -112
            << QStringList{unable + "Output File\n\ncannot contain a TAB or a line break."} << F{};
        QTest::newRow("unwritable, no offer") << -1000000 << "C" << "{d}/in/a.doc" << "/proc/a.jpg" << A{} << false << -1000000
            << QStringList{"Output folder is not writeable.\n\n/proc\n\n"} << F{EditorField::TargetFile};
        QTest::newRow("unknown code") << -42 << "C" << "" << "" << A{} << false << -42 << QStringList{unable} << F{};
    }

    void windowReport()
    {
        QFETCH(int, code);
        QFETCH(QString, action);
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QList<MessageAnswer>, answers);
        QFETCH(bool, result);
        QFETCH(int, codeAfter);
        QFETCH(QStringList, texts);
        QFETCH(QList<EditorField>, focus);

        MainFormState form;
        ScriptedPrompter prompter;
        prompter.answers = answers;
        FakeEditor editor;
        clsConversionOptions o;
        o.sActionToDo = action;
        o.sOriginalFile = m_tree->path(input);
        o.sTargetFile = m_tree->path(output);
        o.lErr = code;
        QCOMPARE(bConfirmConversionItemGUI(form, o, prompter, &editor), result);
        QCOMPARE(o.lErr, codeAfter);
        QStringList shown;
        for (const Asked& a : std::as_const(prompter.asked)) {
            shown << a.text;
            QCOMPARE(a.title, QStringLiteral("Error"));
        }
        for (QString& t : texts)
            t = m_tree->path(t);
        QCOMPARE(shown, texts);
        QCOMPARE(editor.focused, focus);
        if (code == -6 && result)
            QVERIFY(QFileInfo(m_tree->path("{d}/out/made")).isDir());
    }

    void mismatchPrompt_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("clickedContinue");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("codeAfter");
        QTest::addColumn<QList<EditorField>>("focus");

        using F = QList<EditorField>;
        QTest::newRow("-8 continue, ticked") << -8 << true << true << "Output File Type Mismatch" << 0 << F{};
        QTest::newRow("-8 cancel") << -8 << false << false << "Output File Type Mismatch" << -8 << F{EditorField::TargetFile};
        QTest::newRow("-10 as -8") << -10 << true << false << "Output File Type Mismatch" << 0 << F{};
        QTest::newRow("-9 cancel, ticked") << -9 << false << true << "Input File Type Mismatch" << -9 << F{EditorField::OriginalFile};
        QTest::newRow("-111 continue") << -111 << true << false << "File Type Mismatch" << 0 << F{};
        QTest::newRow("-111 cancel") << -111 << false << true << "File Type Mismatch" << -111 << F{EditorField::OriginalFileSpecialized};
    }

    void mismatchPrompt()
    {
        QFETCH(int, code);
        QFETCH(bool, clickedContinue);
        QFETCH(bool, ticked);
        QFETCH(QString, caption);
        QFETCH(int, codeAfter);
        QFETCH(QList<EditorField>, focus);

        MainFormState form;
        ScriptedPrompter prompter;
        prompter.neverShowAgain = {clickedContinue, ticked};
        FakeEditor editor;
        clsConversionOptions o;
        o.lErr = code;
        // The procedure answers False even on Continue: the caller goes on
        // because lErr is 0.
        QVERIFY(!bConfirmConversionItemGUI(form, o, prompter, &editor));
        QCOMPARE(prompter.neverShowAgainCaptions, QStringList{caption});
        QCOMPARE(o.lErr, codeAfter);
        QCOMPARE(editor.focused, focus);
        const bool flag = code == -111 ? form.bSP_DontShowFileMismatchAgain : form.bConv_DontShowFileMismatchAgain;
        QCOMPARE(flag, ticked);

        // A field that is not shown does not take the focus.
        editor.focused.clear();
        editor.visible = false;
        o.lErr = code;
        form.bConv_DontShowFileMismatchAgain = form.bSP_DontShowFileMismatchAgain = false;
        bConfirmConversionItemGUI(form, o, prompter, &editor);
        QVERIFY(editor.focused.isEmpty());
    }

    void specialMismatchNotAskedAgain()
    {
        MainFormState form;
        form.bSP_DontShowFileMismatchAgain = true;
        ScriptedPrompter prompter;
        clsConversionOptions o;
        o.lErr = taskerror::SpecialInputTypeMismatch;
        QVERIFY(!bConfirmConversionItemGUI(form, o, prompter));
        QVERIFY(prompter.neverShowAgainCaptions.isEmpty());
        QCOMPARE(o.lErr, taskerror::SpecialInputTypeMismatch);
    }

    // A system folder: the window offers the same path below the documents
    // folder; taking it validates the task again.
    void recommendedFolderIsValidatedAgain()
    {
        const QString system = m_tree->path("{d}/sys");
        const QString documents = m_tree->path("{d}/docs");
        QVERIFY(QDir().mkpath(system + "/share") && QDir().mkpath(documents));
        OverrideSpecialFolder(csidl::Windows, system);
        OverrideSpecialFolder(csidl::Personal, documents);

        MainFormState form;
        ScriptedPrompter prompter;
        prompter.answers = {MessageAnswer::Ok};
        FakeEditor editor;
        clsConversionOptions o;
        o.sExtraParams = kDefaultOptions;
        o.sOriginalFile = m_tree->path("{d}/in/*.doc");
        o.lOriginalFileType = 9;
        o.sTargetFile = system + "/share/out/*.jpg";
        o.lTargetFileType = 1;
        o.lErr = taskerror::OutputFolderNotWritable;

        QVERIFY(bConfirmConversionItemGUI(form, o, prompter, &editor));
        QCOMPARE(o.lErr, 0);
        QCOMPARE(prompter.asked.size(), 1);
        QCOMPARE(prompter.asked.first().buttons, MessageButtons::OkCancel);
        QCOMPARE(prompter.asked.first().text,
                 "Output folder is a system folder and should not be used.\n\n" + system
                     + "/share\n\nDo you want to use the recommended output folder path below instead:\n\n" + documents
                     + "/share/out/*.jpg");
        QCOMPARE(o.sTargetFile, documents + "/share/out/*.jpg");
        QCOMPARE(editor.texts.value(EditorField::TargetFile), documents + "/share/out/*.jpg");
        QVERIFY(QFileInfo(documents + "/share/out").isDir()); // made by the second validation
    }

    void recommendedFolderThatFailsIsReportedInItsTurn()
    {
        const QString system = m_tree->path("{d}/sys");
        QVERIFY(QDir().mkpath(system));
        OverrideSpecialFolder(csidl::Windows, system);
        OverrideSpecialFolder(csidl::Personal, m_tree->path("{d}/file.txt")); // no folder can go there

        MainFormState form;
        ScriptedPrompter prompter;
        prompter.answers = {MessageAnswer::Ok, MessageAnswer::No};
        clsConversionOptions o;
        o.sExtraParams = kDefaultOptions;
        o.sOriginalFile = m_tree->path("{d}/in/a.doc");
        o.lOriginalFileType = 9;
        o.sTargetFile = system + "/out/a.jpg";
        o.lTargetFileType = 1;
        o.lErr = taskerror::OutputFolderNotWritable;

        QVERIFY(!bConfirmConversionItemGUI(form, o, prompter));
        QCOMPARE(o.lErr, taskerror::OutputFolderMissing);
        QCOMPARE(prompter.asked.size(), 2);
        QVERIFY(prompter.asked.at(1).text.startsWith("Output Folder\n\n" + m_tree->path("{d}/file.txt/out")));
    }

    void cancelKeepsTheOutput()
    {
        const QString system = m_tree->path("{d}/sys");
        QVERIFY(QDir().mkpath(system));
        OverrideSpecialFolder(csidl::Windows, system);
        MainFormState form;
        ScriptedPrompter prompter;
        prompter.answers = {MessageAnswer::Cancel};
        FakeEditor editor;
        clsConversionOptions o;
        o.sTargetFile = system + "/a.jpg";
        o.lErr = taskerror::OutputFolderNotWritable;
        QVERIFY(!bConfirmConversionItemGUI(form, o, prompter, &editor));
        QCOMPARE(o.sTargetFile, system + "/a.jpg");
        QCOMPARE(editor.focused, QList<EditorField>{EditorField::TargetFile});
    }
};

QTEST_GUILESS_MAIN(TestValidationReports)
#include "test_validation_reports.moc"
