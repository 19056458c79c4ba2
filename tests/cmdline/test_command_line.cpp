// The command-line parser and runner in one process: switches as whole
// arguments, every switch's field, types from extensions, the /G rule, the
// option-string slots, the job-opening marker, help, the log file and the
// run codes.
#include "base/MessageSink.h"
#include "base/SpecialFolders.h"
#include "startup/CommandLine.h"
#include "startup/CommandLineHelp.h"
#include "startup/CommandLineRunner.h"
#include "core/Globals.h"
#include "core/Help.h"
#include "core/clsConversionOptions.h"
#include "help/HelpOpener.h"
#include "jobs/MainFormState.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

class RecordingOpener : public HelpOpener
{
public:
    QList<QUrl> opened;
    bool refuse = false;
    bool open(const QUrl& url) override
    {
        opened << url;
        return !refuse;
    }
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

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

// The fields the command line sets, by switch letter.
QMap<QString, QString> fieldsOf(const clsConversionOptions& o, const MainFormState& form)
{
    return {
        {"S", o.sOriginalFile}, {"F", QString::number(o.lOriginalFileType)},
        {"T", o.sTargetFile}, {"C", QString::number(o.lTargetFileType)},
        {"V", flag(o.bVerbose)}, {"R", flag(o.bDoSubFolders)}, {"G", flag(o.bSaveInOriginalFolder)},
        {"M", QString::number(o.lConversionMethod)}, {"P", flag(o.bPostErrorLevel)},
        {"L", o.sLogFile}, {"I", o.sIniFileOverride}, {"B", o.sLogAsConversionJobFile},
        {"J", o.sCLBatchJobFile}, {"O", flag(o.bOpenButDoNotRun)},
        {"Z", form.sInputFile_Password}, {"W", form.sVyxPDFUserPassword},
        {"PDF override", flag(form.bOverridePDFSettings)}, {"options", o.sExtraParams},
        {"command-line mode", flag(G_bCommandLineMode)}, {"action", o.sActionToDo},
    };
}

QString optionSlots(const QStringList& first)
{
    QString text;
    for (int i = 0; i < 20; ++i)
        text += (i < first.size() ? first.at(i) : QString()) + u'^';
    return text;
}

const QString kDefaultSlots = optionSlots({"*", "0", "FALSE", "75", "100", "0", "0", "0"});

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    RecordingOpener m_opener;
    QString m_startFolder;

    QString d(QString text) const { return text.replace(QStringLiteral("{d}"), m_dir->path()); }
    QStringList d(QStringList list) const
    {
        for (QString& s : list)
            s = d(s);
        return list;
    }
    QString log() const { return QString::fromUtf8(testutil::readFile(d("{d}/run.log"))); }

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }

    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        qputenv("XDG_RUNTIME_DIR", m_dir->path().toUtf8());
        OverrideSpecialFolder(csidl::AppData, d("{d}/config"));
        QVERIFY(QDir().mkpath(d("{d}/in")) && QDir().mkpath(d("{d}/out")) && QDir().mkpath(d("{d}/config")));
        for (const char* name : {"a.doc", "b.pdf", "my file.doc", "-embedding.doc", "Job#OPEN.KRJ", "job#open.krj", "job.krj"})
            QVERIFY(testutil::writeFile(d("{d}/in/") + QString::fromLatin1(name), "x"));
        QVERIFY(testutil::writeFile(d("{d}/config/x.doc"), "x"));
        QVERIFY(QDir::setCurrent(m_dir->path()));
        m_opener = RecordingOpener();
        SetHelpOpener(&m_opener);
        G_bCommandLineMode = false;
        G_bPostErrorLevel = false;
        G_sLastRunError.clear();
    }

    void cleanup()
    {
        QDir::setCurrent(m_startFolder);
        SetHelpOpener(nullptr);
        SetMessageSink(nullptr);
        ClearSpecialFolderOverrides();
        delete m_dir;
    }

    void switchesAreWholeArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("read"); // letter=value pairs joined by "|"

        QTest::newRow("values joined by one blank") << QStringList{"/S", "my", "file.doc", "/t", "x"} << "S=my file.doc|T=x";
        QTest::newRow("text before the first switch is ignored") << QStringList{"junk", "/P"} << "P=";
        QTest::newRow("glued letter is a value") << QStringList{"/Sfile.doc"} << "";
        QTest::newRow("/10 is a value") << QStringList{"/1", "/10"} << "1=/10";
        QTest::newRow("paths beginning with a slash") << QStringList{"/S", "/home/ann/a.doc"} << "S=/home/ann/a.doc";
        QTest::newRow("blank between slash and letter") << QStringList{"/", "S", "x.doc"} << "";
        QTest::newRow("help and digits") << QStringList{"/?", "/9", "v"} << "?=|9=v";
        QTest::newRow("lone slash at the end") << QStringList{"/P", "/"} << "P=/";
        QTest::newRow("not a switch character") << QStringList{"/0", "/!", "/é"} << "";
    }

    void switchesAreWholeArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, read);
        QStringList pairs;
        for (const CommandLineSwitch& s : ReadCommandLineSwitches(arguments))
            pairs << QString(s.letter) + u'=' + s.value;
        QCOMPARE(pairs.join(u'|'), read);
    }

    void typeFromExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");

        const int unset = kUnsetNumber;
        const QByteArray utf16("\xFF\xFE" "a\0b\0", 6);
        QTest::newRow("doc") << "a.DOC" << QByteArray() << 9 << unset;
        QTest::newRow("htm") << "a.htm" << QByteArray() << 4 << unset;
        QTest::newRow("html") << "a.Html" << QByteArray() << 4 << unset;
        QTest::newRow("rtf") << "a.rtf" << QByteArray() << 5 << unset;
        QTest::newRow("pdf is PDF/A as output") << "a.pdf" << QByteArray() << 12 << 14;
        QTest::newRow("docx") << "a.docx" << QByteArray() << 13 << unset;
        QTest::newRow("xml") << "a.xml" << QByteArray() << 10 << unset;
        QTest::newRow("css") << "a.css" << QByteArray() << 11 << unset;
        QTest::newRow("8-bit text") << "t.txt" << QByteArray("plain") << 1 << unset;
        QTest::newRow("UTF-16 text") << "u.txt" << utf16 << 6 << unset;
        QTest::newRow("UTF-16 log") << "u.LOG" << utf16 << 6 << unset;
        QTest::newRow("UTF-16 dat") << "u.dat" << utf16 << 6 << unset;
        QTest::newRow("missing text file") << "none.txt" << QByteArray() << 1 << unset;
        QTest::newRow("jpg") << "a.jpg" << QByteArray() << unset << 1;
        QTest::newRow("jpeg") << "a.JPEG" << QByteArray() << unset << 1;
        QTest::newRow("bmp") << "a.bmp" << QByteArray() << unset << 2;
        QTest::newRow("tiff") << "a.tiff" << QByteArray() << unset << 3;
        QTest::newRow("tif") << "a.tif" << QByteArray() << unset << 3;
        QTest::newRow("gif") << "a.gif" << QByteArray() << unset << 4;
        QTest::newRow("emf") << "a.emf" << QByteArray() << unset << 5;
        QTest::newRow("j2k") << "a.j2k" << QByteArray() << unset << 6;
        QTest::newRow("pcx") << "a.pcx" << QByteArray() << unset << 7;
        QTest::newRow("png") << "a.png" << QByteArray() << unset << 8;
        QTest::newRow("ras") << "a.ras" << QByteArray() << unset << 9;
        QTest::newRow("tga") << "a.tga" << QByteArray() << unset << 10;
        QTest::newRow("wmf") << "a.wmf" << QByteArray() << unset << 11;
        QTest::newRow("unknown") << "a.odt" << QByteArray() << unset << unset;
        QTest::newRow("dot in a folder name") << "x.doc/readme" << QByteArray() << unset << unset;
    }

    void typeFromExtension()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, source);
        QFETCH(int, target);
        const QString path = d("{d}/") + name;
        if (!content.isEmpty())
            QVERIFY(testutil::writeFile(path, content));
        QCOMPARE(SourceTypeFromExtension(path), source);
        QCOMPARE(TargetTypeFromExtension(path), target);
    }

    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected"); // field=value
        QTest::addColumn<bool>("valid");

        using L = QStringList;
        QTest::newRow("input and output") << L{"/S", "{d}/in/a.doc", "/T", "{d}/out/a.jpg"}
            << L{"S={d}/in/a.doc", "F=9", "T={d}/out/a.jpg", "C=1", "M=2", "options=" + kDefaultSlots,
                 "command-line mode=1", "action=C", "P=0", "V=0"} << true;
        QTest::newRow("relative names from the current folder") << L{"/S", "in/a.doc", "/T", "out/new.png", "/L", "run.log"}
            << L{"S={d}/in/a.doc", "T={d}/out/new.png", "C=8", "L={d}/run.log"} << true;
        QTest::newRow("relative wildcard") << L{"/S", "in/*.doc", "/T", "./out/../out/*.png"}
            << L{"S={d}/in/*.doc", "T={d}/out/*.png"} << true;
        QTest::newRow("value of several arguments") << L{"/S", "{d}/in/my", "file.doc", "/T", "{d}/out/x.jpg"}
            << L{"S={d}/in/my file.doc", "F=9"} << true;
        QTest::newRow("quotes removed from paths") << L{"/S", "\"{d}/in/a.doc\"", "/T", "{d}/out/\"x\".jpg"}
            << L{"S={d}/in/a.doc", "T={d}/out/x.jpg"} << true;
        QTest::newRow("path macros") << L{"/S", "%APPDATA%/x.doc", "/T", "%appdata%/x.pdf"}
            << L{"S={d}/config/x.doc", "F=9", "T={d}/config/x.pdf", "C=14"} << true;
        QTest::newRow("/F before /S wins") << L{"/F", "5", "/S", "{d}/in/a.doc"} << L{"F=5"} << false;
        QTest::newRow("/F after /S wins") << L{"/S", "{d}/in/a.doc", "/F", "5"} << L{"F=5"} << false;
        QTest::newRow("/C before /T wins") << L{"/C", "14", "/T", "{d}/out/a.jpg"} << L{"C=14"} << false;
        QTest::newRow("/C after /T wins") << L{"/T", "{d}/out/a.jpg", "/C", "2"} << L{"C=2"} << false;
        QTest::newRow("type only while unset") << L{"/T", "{d}/out/a.jpg", "/T", "{d}/out/b.png"} << L{"T={d}/out/b.png", "C=1"} << false;
        QTest::newRow("not a number") << L{"/C", "2", "/C", "two", "/M", "x"} << L{"C=2", "M=2"} << false;
        QTest::newRow("method") << L{"/M", "1"} << L{"M=1"} << false;
        QTest::newRow("flags ignore values") << L{"/S", "{d}/in/*.doc", "/V", "yes", "/R", "/G", "/P", "no"} << L{"V=1", "R=1", "G=1", "P=1"} << false;
        QTest::newRow("lower-case switches") << L{"/s", "{d}/in/a.doc", "/t", "{d}/out/a.jpg", "/p"}
            << L{"S={d}/in/a.doc", "T={d}/out/a.jpg", "P=1"} << true;
        QTest::newRow("file switches") << L{"/L", "{d}/l.log", "/I", "{d}/s.ini", "/B", "{d}/failed.krj"}
            << L{"L={d}/l.log", "I={d}/s.ini", "B={d}/failed.krj"} << false;
        QTest::newRow("later switch overwrites") << L{"/L", "{d}/1.log", "/L", "{d}/2.log"} << L{"L={d}/2.log"} << false;
        QTest::newRow("unknown switch and its value ignored") << L{"/X", "{d}/in/zzz", "/S", "{d}/in/a.doc", "/T", "{d}/out/a.jpg"}
            << L{"S={d}/in/a.doc"} << true;
        QTest::newRow("glued letter is no switch") << L{"/S{d}/in/a.doc"} << L{"S="} << false;
        QTest::newRow("slot 3") << L{"/3", "TRUE"} << L{"options=" + optionSlots({"*", "0", "TRUE", "75", "100", "0", "0", "0"})} << false;
        QTest::newRow("slots 1, 5, 8 and 9") << L{"/1", "1-3", "/5", "150", "/8", "1", "/9", "nine"}
            << L{"options=" + optionSlots({"1-3", "0", "FALSE", "75", "150", "0", "0", "1", "nine"})} << false;
        QTest::newRow("/10 is the value of the slot before") << L{"/2", "4", "/10"}
            << L{"options=" + optionSlots({"*", "4 /10", "FALSE", "75", "100", "0", "0", "0"})} << false;
        QTest::newRow("/G: input folder and output type") << L{"/S", "{d}/in/*.doc", "/G", "/C", "1", "/T", "{d}/out/x.png"}
            << L{"T={d}/in/*.jpg", "C=1", "G=1"} << true;
        QTest::newRow("/G with a single input") << L{"/S", "{d}/in/a.doc", "/G", "/C", "8"} << L{"T={d}/in/*.png", "G=0"} << false;
        QTest::newRow("job opened by its name") << L{"/J", "{d}/in/Job#OPEN.KRJ"}
            << L{"J={d}/in/Job#OPEN.KRJ", "O=1", "command-line mode=0"} << true;
        QTest::newRow("marker in lower case runs the job") << L{"/J", "{d}/in/job#open.krj"}
            << L{"O=0", "command-line mode=1"} << true;
        QTest::newRow("/O opens the job") << L{"/J", "{d}/in/job.krj", "/O"} << L{"O=1", "command-line mode=0"} << true;
        QTest::newRow("/O without a job") << L{"/O", "/S", "{d}/in/a.doc", "/T", "{d}/out/a.jpg"}
            << L{"O=1", "command-line mode=1"} << true;
        QTest::newRow("missing job") << L{"/J", "{d}/in/none.krj"} << L{"J={d}/in/none.krj"} << false;
        QTest::newRow("passwords") << L{"/Z", "\"open", "sesame\"", "/W", "se\"cr\"et"}
            << L{"Z=open sesame", "W=secret", "PDF override=1"} << false;
        QTest::newRow("PDF/A output with a PDF password") << L{"/S", "{d}/in/a.doc", "/T", "{d}/out/a.pdf", "/W", "pw"}
            << L{"C=14", "W=pw", "PDF override=1"} << false;
        QTest::newRow("plain PDF output with a PDF password") << L{"/S", "{d}/in/a.doc", "/T", "{d}/out/a.pdf", "/C", "12", "/W", "pw"}
            << L{"C=12", "W=pw", "PDF override=1"} << true;
        QTest::newRow("-embed inside a path runs normally") << L{"/S", "{d}/in/-embedding.doc", "/T", "{d}/out/e.jpg"}
            << L{"S={d}/in/-embedding.doc", "command-line mode=1"} << true;
        QTest::newRow("-Embedding among switches is no automation start") << L{"-Embedding", "/S", "{d}/in/a.doc", "/T", "{d}/out/e.jpg"}
            << L{"command-line mode=1"} << true;
        QTest::newRow("automation start") << L{"-embeDDing"} << L{"command-line mode=0", "S="} << false;
        QTest::newRow("no arguments") << L{} << L{"command-line mode=0"} << false;
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QFETCH(bool, valid);
        G_bCommandLineMode = true;
        MainFormState form;
        clsConversionOptions o;
        QCOMPARE(ParseCommandLine(d(arguments), o, form), valid);
        const QMap<QString, QString> fields = fieldsOf(o, form);
        for (const QString& pair : expected) {
            const qsizetype eq = pair.indexOf(u'=');
            const QString key = pair.left(eq);
            QVERIFY2(fields.contains(key), qPrintable(key));
            QCOMPARE(fields.value(key), d(pair.mid(eq + 1)));
        }
        // A parsed line is valid exactly when validation passed; a refused
        // one carries its message.
        if (!arguments.isEmpty() && !IsAutomationStart(arguments)) {
            QCOMPARE(o.lErr == 0, valid);
            QCOMPARE(o.sErr.isEmpty(), valid);
        }
    }

    void pdfAWithAPasswordIsRefusedWithAdvice()
    {
        G_bCommandLineMode = true;
        MainFormState form;
        form.bOverridePDFSettings = true;
        form.sVyxPDFMasterPassword = QStringLiteral("from the settings");
        clsConversionOptions o;
        QVERIFY(!ParseCommandLine(d(QStringList{"/S", "{d}/in/a.doc", "/T", "{d}/out/a.pdf", "/L", "{d}/run.log"}), o, form));
        QCOMPARE(o.lErr, kErrPdfAWithPassword);
        QVERIFY2(o.sErr.contains(QLatin1String("PDF/A")) && o.sErr.contains(QLatin1String("/C 12")), qPrintable(o.sErr));
        QVERIFY(log().contains(o.sErr));

        // Switched off, the settings' password does not count.
        form.bOverridePDFSettings = false;
        clsConversionOptions plain;
        QVERIFY(ParseCommandLine(d(QStringList{"/S", "{d}/in/a.doc", "/T", "{d}/out/a.pdf"}), plain, form));
    }

    void noArgumentsAndAutomationWriteNothing()
    {
        for (const QStringList& arguments : {QStringList{}, QStringList{"-EMBEDDING"}}) {
            MainFormState form;
            clsConversionOptions o;
            o.sLogFile = d("{d}/run.log");
            QVERIFY(!ParseCommandLine(arguments, o, form));
            QVERIFY(!QFile::exists(d("{d}/run.log")));
        }
        QVERIFY(IsAutomationStart({"-embedding"}));
        QVERIFY(!IsAutomationStart({"-embedding", "/P"}));
        QVERIFY(!IsAutomationStart({"-Embed"}));
    }

    void logFileGetsHeaderThenTheValidationMessage()
    {
        MainFormState form;
        const QStringList arguments = d(QStringList{"/L", "run.log", "/S", "in/gone.doc", "/T", "out/a.jpg", "/P"});
        QCOMPARE(RunCommandLine(form, arguments), -3);
        QVERIFY(G_bPostErrorLevel);
        const QStringList lines = log().split(u'\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(0), QStringLiteral("-----------------------------test_command_line-------"));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("Date: ")) && lines.at(1).size() > 12, qPrintable(lines.at(1)));
        QCOMPARE(lines.mid(2), d(QStringList{"Input File {d}/in/gone.doc does not exist.",
                                             "Missing required or invalid command line argument(s)", ""}));
    }

    void switchesWithoutATaskAreShownWhenVerbose()
    {
        RecordingSink sink;
        SetMessageSink(&sink);
        MainFormState form;
        QCOMPARE(RunCommandLine(form, {"/V"}), -3);
        QVERIFY(!G_bPostErrorLevel);
        QCOMPARE(sink.texts, (QStringList{"Input File  does not exist.",
                                          "Missing required or invalid command line argument(s)"}));
    }

    // A verbose run's messages go to the boxes the program gives it, for
    // that run only; a sink the run put in place itself (the window it
    // opened) stays after it.
    void verboseRunsShowTheirMessagesInTheirBoxes()
    {
        RecordingSink before;
        SetMessageSink(&before);
        RecordingSink boxes;
        StartupHooks hooks;
        hooks.VerboseMessages = &boxes;
        MainFormState form;
        QCOMPARE(RunCommandLine(form, d(QStringList{"/S", "in/gone.doc", "/T", "out/a.jpg", "/V"}), hooks), -3);
        QCOMPARE(boxes.texts, d(QStringList{"Input File {d}/in/gone.doc does not exist.",
                                            "Missing required or invalid command line argument(s)"}));
        QVERIFY(before.texts.isEmpty());
        QCOMPARE(&CurrentMessageSink(), &before);

        // Not verbose: nothing is shown.
        QCOMPARE(RunCommandLine(form, d(QStringList{"/S", "in/gone.doc", "/T", "out/a.jpg"}), hooks), -3);
        QCOMPARE(boxes.texts.size(), 2);

        RecordingSink window;
        hooks.ShowMainWindow = [&](MainFormState&) { SetMessageSink(&window); };
        QCOMPARE(RunCommandLine(form, d(QStringList{"/J", "in/job.krj", "/O", "/V"}), hooks), 1);
        QCOMPARE(&CurrentMessageSink(), &window);
    }

    // Arguments before the first switch are not read: the run says so and
    // goes on; a line of nothing else holds no task.
    void argumentsBeforeTheFirstSwitch()
    {
        MainFormState form;
        clsConversionOptions o;
        QVERIFY(ParseCommandLine(d(QStringList{"scan.pdf", "-v", "/S", "{d}/in/a.doc", "/T", "{d}/out/a.jpg", "/L", "{d}/run.log"}), o, form));
        QVERIFY2(log().endsWith("\nNot read, as they stand before the first switch: scan.pdf -v\n"), qPrintable(log()));

        clsConversionOptions none;
        QVERIFY(!ParseCommandLine({"my scan.pdf"}, none, form));
        QCOMPARE(none.lErr, kErrNoTask);
        QVERIFY2(none.sErr.startsWith("The command line holds no switch, so it names no task.")
                     && none.sErr.endsWith("Not read: 'my scan.pdf'"),
                 qPrintable(none.sErr));
    }

    // A /S or /T made of several existing paths is what a shell makes of an
    // unquoted wildcard. The refusal gives the line with the one wildcard
    // that matches exactly those paths in their folder, as typed; paths a
    // wildcard would not give back exactly, or from several folders, get
    // the advice without a line; a value whose words only together name a
    // file is a path with blanks.
    void severalPathsForOneSwitch_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("refusal"); // "" for a valid line
        const QString quote = "Quote the wildcard so that the program receives it: qvim ";
        const QString noLine = "A path names several files, and a switch takes one path.";
        QTest::newRow("every PDF of a folder") << QStringList{"w/a.pdf", "w/b.pdf", "w/c.txt"}
                                               << QStringList{"/S", "w/a.pdf", "w/b.pdf", "/T", "out/*.png", "/P"}
                                               << quote + "/S 'w/*.pdf' /T 'out/*.png' /P";
        QTest::newRow("a wildcard with a prefix") << QStringList{"w/scan1.pdf", "w/scan2.pdf", "w/other.pdf"}
                                                  << QStringList{"/S", "{d}/w/scan1.pdf", "{d}/w/scan2.pdf", "/T", "{d}/out/"}
                                                  << quote + "/S '{d}/w/scan*.pdf' /T {d}/out/";
        QTest::newRow("every file, in a folder with a blank") << QStringList{"my w/a.pdf", "my w/b.rtf"}
                                                              << QStringList{"/S", "my w/a.pdf", "my w/b.rtf", "/T", "x"}
                                                              << quote + "/S 'my w/*' /T x";
        QTest::newRow("an output the shell expanded too") << QStringList{"w/a.pdf", "w/b.pdf", "o/a.png", "o/b.png"}
                                                          << QStringList{"/S", "w/a.pdf", "w/b.pdf", "/T", "o/a.png", "o/b.png"}
                                                          << quote + "/S 'w/*.pdf' /T 'o/*.png'";
        QTest::newRow("two files named") << QStringList{"w/a.pdf", "w/b.pdf", "w/c.pdf"}
                                         << QStringList{"/S", "w/a.pdf", "w/c.pdf", "/T", "x.png"} << noLine;
        QTest::newRow("files of two folders") << QStringList{"w/a/x.pdf", "w/b/x.pdf"}
                                              << QStringList{"/S", "w/a/x.pdf", "w/b/x.pdf", "/T", "x.png"} << noLine;
        QTest::newRow("a path with a blank") << QStringList{"w/my", "w/my file.doc", "file.doc"}
                                             << QStringList{"/S", "w/my", "file.doc", "/T", "{d}/out/a.pdf"} << "";
        QTest::newRow("one file") << QStringList{"w/a.pdf"} << QStringList{"/S", "w/a.pdf", "/T", "{d}/out/a.png"} << "";
    }

    void severalPathsForOneSwitch()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, arguments);
        QFETCH(QString, refusal);
        for (const QString& file : files) {
            QVERIFY(QDir().mkpath(QFileInfo(d("{d}/") + file).path()));
            QVERIFY(testutil::writeFile(d("{d}/") + file, "x"));
        }
        const QString text = SeveralPathsText(d(arguments), "qvim");
        if (refusal.isEmpty())
            QVERIFY2(text.isEmpty(), qPrintable(text));
        else
            QVERIFY2(text.contains(d(refusal)) && (refusal.startsWith("A path") || text.endsWith(d(refusal))), qPrintable(text));
        MainFormState form;
        clsConversionOptions o;
        QCOMPARE(ParseCommandLine(d(arguments), o, form), refusal.isEmpty());
        if (!refusal.isEmpty())
            QCOMPARE(o.lErr, kErrNoTask);

        // Nothing expands the words of an automation call: no such advice.
        G_bAutomationMode = true;
        clsConversionOptions automation;
        ParseCommandLine(d(arguments), automation, form);
        G_bAutomationMode = false;
        QVERIFY(automation.lErr != kErrNoTask);
    }

    // A word as the refusal writes it is read back by a shell as it was.
    void shellQuotedWordsReadBack_data()
    {
        QTest::addColumn<QString>("word");
        for (const char* word : {"plain/path-1.pdf", "*.pdf", "my file", "it's", "'", "$HOME", "a\"b", "back\\slash", "/?", "~", ""})
            QTest::newRow(word) << QString::fromUtf8(word);
        QTest::newRow("a line end at the end") << QStringLiteral("name.pdf\n");
    }

    void shellQuotedWordsReadBack()
    {
        QFETCH(QString, word);
        QProcess shell;
        shell.start("/bin/sh", {"-c", "printf '%s|' " + ShellQuoted(word)});
        QVERIFY(shell.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()), word + u'|');
    }

    void helpOpensTheCommandLinePage()
    {
        InitHelpFile(QStringLiteral("English"));
        MainFormState form;
        QCOMPARE(RunCommandLine(form, {"/?"}), -3);
        QCOMPARE(m_opener.opened.size(), 1);
        QVERIFY(m_opener.opened.first().isLocalFile());
        QVERIFY(m_opener.opened.first().toLocalFile().endsWith(QStringLiteral("/help/command-line.html")));
    }

    void helpFallsBackToTheOnlinePage()
    {
        InitHelpFile(QStringLiteral("English"));
        m_opener.refuse = true;
        MainFormState form;
        clsConversionOptions o;
        QVERIFY(ParseCommandLine(d(QStringList{"/S", "{d}/in/a.doc", "/?", "/T", "{d}/out/a.jpg"}), o, form));
        QCOMPARE(m_opener.opened.size(), 2);
        QCOMPARE(m_opener.opened.last().toString(),
                 OnlineHelpSite() + QStringLiteral("/KRJ/QVIM/English/WebHelpNew/QVIM/Helpful_Hints_For_Creating_a_Command_Line.htm"));
    }

    void windowedStartShowsTheWindow()
    {
        int shown = 0;
        StartupHooks hooks;
        hooks.ShowMainWindow = [&](MainFormState&) { ++shown; };
        hooks.RunParsedCommandLine = [](MainFormState&, clsConversionOptions&, const StartupHooks&) { return 99; };
        MainFormState form;
        QCOMPARE(RunCommandLine(form, {}, hooks), 1);
        QCOMPARE(shown, 1);
    }

    void validLineGoesOnWithTheParsedTask()
    {
        QStringList calls;
        StartupHooks hooks;
        hooks.ReadIniFile = [&](MainFormState&) { calls << "settings from " + G_IniFilePath; };
        hooks.RunParsedCommandLine = [&](MainFormState&, clsConversionOptions& o, const StartupHooks&) {
            calls << "run " + o.sOriginalFile + " -> " + o.sTargetFile;
            return -4;
        };
        G_IniFilePath = QStringLiteral("/default.ini");
        MainFormState form;
        const QStringList arguments = d(QStringList{"/S", "in/a.doc", "/T", "out/a.jpg", "/I", "other.ini", "/P"});
        QCOMPARE(RunCommandLine(form, arguments, hooks), -4);
        QCOMPARE(G_IniFilePath, d("{d}/other.ini"));
        QCOMPARE(calls, d(QStringList{"settings from {d}/other.ini", "run {d}/in/a.doc -> {d}/out/a.jpg"}));
        QVERIFY(G_bPostErrorLevel);
    }

    // The /I file is read before the switches: /Z and /W win over its
    // passwords, and the task is checked against its settings.
    void switchesOverrideTheSettingsFileOfI()
    {
        QVERIFY(testutil::writeFile(d("{d}/other.ini"),
                                    "[frmMain]\r\nsInputFile_Password=file-open\r\nbOverridePDFSettings=TRUE\r\n"
                                    "sVyxPDFUserPassword=file-user\r\nsVyxPDFMasterPassword=file-master\r\n"
                                    "bRetainInputFileTimeStamp=TRUE\r\n"));
        const QByteArray before = testutil::readFile(d("{d}/other.ini"));
        clsConversionOptions* ran = nullptr;
        MainFormState* seen = nullptr;
        StartupHooks hooks;
        hooks.RunParsedCommandLine = [&](MainFormState& form, clsConversionOptions& o, const StartupHooks&) {
            ran = &o;
            seen = &form;
            return 0;
        };
        MainFormState form;
        QCOMPARE(RunCommandLine(form, d(QStringList{"/S", "in/b.pdf", "/T", "out/b.png", "/Z", "line-open", "/I",
                                                    "other.ini", "/W", "line-user"}),
                                hooks),
                 0);
        QVERIFY(ran && seen == &form);
        QVERIFY(form.bRetainInputFileTimeStamp);
        QCOMPARE(form.sInputFile_Password, QStringLiteral("line-open"));
        QCOMPARE(form.sVyxPDFUserPassword, QStringLiteral("line-user"));
        QCOMPARE(form.sVyxPDFMasterPassword, QStringLiteral("file-master"));
        QCOMPARE(testutil::readFile(d("{d}/other.ini")), before);

        // A PDF/A output is refused for the file's PDF password too.
        MainFormState second;
        QCOMPARE(RunCommandLine(second, d(QStringList{"/S", "in/a.doc", "/T", "out/a.pdf", "/I", "other.ini", "/L",
                                                      "run.log"}),
                                hooks),
                 -3);
        QVERIFY2(log().contains(QStringLiteral("PDF/A does not allow encryption")), qPrintable(log()));
    }

    void openingAJobShowsTheWindow()
    {
        int shown = 0;
        StartupHooks hooks;
        hooks.ShowMainWindow = [&](MainFormState& form) {
            QVERIFY(!form.bRunning);
            ++shown;
        };
        MainFormState form;
        QCOMPARE(RunCommandLine(form, d(QStringList{"/J", "{d}/in/job.krj", "/O", "/P"}), hooks), 1);
        QCOMPARE(shown, 1);
    }

    void exitStatus_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("postErrorLevel");
        QTest::addColumn<int>("status");
        QTest::newRow("success") << 0 << true << 0;
        QTest::newRow("invalid, /P") << -3 << true << -3;
        QTest::newRow("invalid") << -3 << false << 0;
        QTest::newRow("failed, /P") << -4 << true << -4;
        QTest::newRow("failed") << -4 << false << 0;
        QTest::newRow("window without a window") << 1 << true << 1;
        QTest::newRow("any other code") << 7 << true << 0;
    }

    void exitStatus()
    {
        QFETCH(int, code);
        QFETCH(bool, postErrorLevel);
        QFETCH(int, status);
        G_bPostErrorLevel = postErrorLevel;
        QCOMPARE(ExitStatusForRunCode(code, {}), status);
    }

    void windowLoopGivesTheExitStatus()
    {
        StartupHooks hooks;
        hooks.RunWindowLoop = [] { return 5; };
        QCOMPARE(ExitStatusForRunCode(1, hooks), 5);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
