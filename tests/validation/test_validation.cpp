// Verdicts of task validation over a real tree: codes in their order, the
// output completion, the window-only type checks and the special processes.
#include "ValidationFixture.h"

#include "core/FileTypes.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"
#include "jobs/Validation.h"

#include <QFileInfo>

class TestValidation : public QObject
{
    Q_OBJECT
    ValidationFixture* m_tree = nullptr;

    clsConversionOptions conversion(const QString& input, int inType, const QString& output, int outType) const
    {
        clsConversionOptions o;
        o.sExtraParams = kDefaultOptions;
        o.sOriginalFile = m_tree->path(input);
        o.lOriginalFileType = inType;
        o.sTargetFile = m_tree->path(output);
        o.lTargetFileType = outType;
        return o;
    }

private slots:
    void init()
    {
        m_tree = new ValidationFixture;
        QVERIFY(m_tree->setUp());
    }
    void cleanup()
    {
        m_tree->tearDown();
        delete m_tree;
    }

    void conversionVerdict_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("inType");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("outType");
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("target"); // the output afterwards; "" = not checked

        const QString opts = kDefaultOptions;
        QTest::newRow("valid single") << "{d}/in/a.doc" << 9 << "{d}/out/a.jpg" << 1 << opts << false << 0 << "{d}/out/a.jpg";
        // A path validation did not change comes back as typed.
        QTest::newRow("blanks around paths") << "  {d}/in/a.doc " << 9 << " {d}/out/a.jpg  " << 1 << opts << false << 0 << " {d}/out/a.jpg  ";
        QTest::newRow("blanks around a completed path") << "  {d}/in/a.doc " << 9 << " {d}/out/a  " << 1 << opts << false << 0 << "{d}/out/a.jpg";
        QTest::newRow("options empty") << "{d}/in/a.doc" << 9 << "{d}/out/a.jpg" << 1 << "  " << false << -12 << "";
        QTest::newRow("pdf to pdf") << "{d}/in/b.pdf" << 12 << "{d}/out/b.pdf" << 12 << opts << false << -13 << "";
        QTest::newRow("pdf to pdf/a") << "{d}/in/b.pdf" << 12 << "{d}/out/b.pdf" << 14 << opts << false << -13 << "";
        QTest::newRow("wild input folder missing") << "{d}/nope/*.doc" << 9 << "{d}/out/*.jpg" << 1 << opts << false << -1 << "";
        QTest::newRow("wild input, empty output") << "{d}/in/*.doc" << 9 << "" << 1 << opts << false << -11 << "";
        QTest::newRow("wild input, output without wildcard") << "{d}/in/*.doc" << 9 << "{d}/out/r.jpg" << 1 << opts << false << -2 << "";
        QTest::newRow("wild output folder cannot be made") << "{d}/in/*.doc" << 9 << "{d}/file.txt/sub/" << 1 << opts << false << -3 << "";
        QTest::newRow("single input missing") << "{d}/in/missing.doc" << 9 << "{d}/out/a.jpg" << 1 << opts << false << -4 << "";
        QTest::newRow("missing input before empty output") << "{d}/in/missing.doc" << 9 << "" << 1 << opts << false << -4 << "";
        QTest::newRow("single input, wildcard output") << "{d}/in/a.doc" << 9 << "{d}/out/*.jpg" << 1 << opts << false << -5 << "";
        QTest::newRow("single input, empty output") << "{d}/in/a.doc" << 9 << "  " << 1 << opts << false << -11 << "";
        QTest::newRow("output folder cannot be made") << "{d}/in/a.doc" << 9 << "{d}/file.txt/sub/a.jpg" << 1 << opts << false << -6 << "";
        QTest::newRow("missing output folder is made") << "{d}/in/a.doc" << 9 << "{d}/out/new/deeper/a.jpg" << 1 << opts << false << 0 << "{d}/out/new/deeper/a.jpg";
        QTest::newRow("invalid output type") << "{d}/in/a.doc" << 9 << "{d}/out/a" << 99 << opts << false << -7 << "{d}/out/a.";
        QTest::newRow("invalid type, wild input into a folder") << "{d}/in/*.doc" << 9 << "{d}/out/" << 99 << opts << false << -7 << "{d}/out/*.";
        QTest::newRow("invalid type, wild input, bare folder") << "{d}/in/*.doc" << 9 << "{d}/out" << 99 << opts << false << -7 << "{d}/out/*.";
        // An input the text control has no type for is refused before it
        // is run (the default route is the text control's).
        QTest::newRow("input without a type") << "{d}/in/a.doc" << -12345678 << "{d}/out/a.pdf" << 12 << opts << false << -14 << "";
        QTest::newRow("input type out of the table") << "{d}/in/*.doc" << 3 << "{d}/out/*.pdf" << 12 << opts << false << -14 << "";
        QTest::newRow("output folder not writable") << "{d}/in/a.doc" << 9 << "/proc/a.jpg" << 1 << opts << false << -1000000 << "";

        // The window's extension checks; the command line never makes them.
        QTest::newRow("output mismatch, window") << "{d}/in/a.doc" << 9 << "{d}/out/a.png" << 1 << opts << true << -8 << "";
        QTest::newRow("output mismatch, command line") << "{d}/in/a.doc" << 9 << "{d}/out/a.png" << 1 << opts << false << 0 << "";
        QTest::newRow("input mismatch, window") << "{d}/in/a.doc" << 5 << "{d}/out/a.jpg" << 1 << opts << true << -9 << "";
        QTest::newRow("input check wins over output check") << "{d}/in/a.doc" << 5 << "{d}/out/a.png" << 1 << opts << true << -9 << "";
        QTest::newRow("html is htm") << "{d}/in/page.html" << 4 << "{d}/out/p.pdf" << 12 << opts << true << 0 << "";
        QTest::newRow("input without extension") << "{d}/in/noext" << 1 << "{d}/out/n.jpg" << 1 << opts << true << 0 << "";
        QTest::newRow("wildcard extension") << "{d}/in/*.*" << 9 << "{d}/out/*.jpg" << 1 << opts << true << 0 << "";
        QTest::newRow("wildcard output passes the output check") << "{d}/in/*.doc" << 9 << "{d}/out/*.jpg" << 1 << opts << true << 0 << "";
        QTest::newRow("extension of a dotted folder is none") << "{d}/in/a.doc" << 9 << "{d}/out/dir.v2/r" << 8 << opts << true << 0 << "{d}/out/dir.v2/r.png";

        // Completion of an output that names a folder or lacks an extension.
        QTest::newRow("folder, wild input") << "{d}/in/*.doc" << 9 << "{d}/out/" << 1 << opts << false << 0 << "{d}/out/*.jpg";
        QTest::newRow("folder, single input") << "{d}/in/a.doc" << 9 << "{d}/out/" << 1 << opts << false << 0 << "{d}/out/jpg.jpg";
        QTest::newRow("existing folder without slash, single") << "{d}/in/a.doc" << 9 << "{d}/out" << 1 << opts << false << 0 << "{d}/out/jpg.jpg";
        QTest::newRow("existing folder without slash, wild") << "{d}/in/*.doc" << 9 << "{d}/out" << 3 << opts << false << 0 << "{d}/out/*.tif";
        QTest::newRow("name without extension") << "{d}/in/a.doc" << 9 << "{d}/out/result" << 1 << opts << false << 0 << "{d}/out/result.jpg";
        QTest::newRow("name ending in a dot") << "{d}/in/a.doc" << 9 << "{d}/out/result." << 1 << opts << false << 0 << "{d}/out/result.jpg";
        QTest::newRow("pdf/a takes pdf") << "{d}/in/a.doc" << 9 << "{d}/out/result" << 14 << opts << false << 0 << "{d}/out/result.pdf";
    }

    void conversionVerdict()
    {
        QFETCH(QString, input);
        QFETCH(int, inType);
        QFETCH(QString, output);
        QFETCH(int, outType);
        QFETCH(QString, options);
        QFETCH(bool, window);
        QFETCH(int, code);
        QFETCH(QString, target);

        G_bCommandLineMode = !window;
        MainFormState form;
        clsConversionOptions o = conversion(input, inType, output, outType);
        o.sExtraParams = options;
        o.lErr = -5; // an earlier verdict does not stick
        const int result = ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, code);
        QCOMPARE(result, code == taskerror::OutputFolderNotWritable ? 1 : 0);
        if (!target.isEmpty())
            QCOMPARE(o.sTargetFile, m_tree->path(target));
    }

    void madeFolderExistsAfterwards()
    {
        MainFormState form;
        G_bCommandLineMode = true;
        clsConversionOptions o = conversion("{d}/in/*.doc", 9, "{d}/out/made/*.png", 8);
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, 0);
        QVERIFY(QFileInfo(m_tree->path("{d}/out/made")).isDir());
    }

    void singleInputClearsFolderFlags()
    {
        MainFormState form;
        clsConversionOptions o = conversion("{d}/in/a.doc", 9, "{d}/out/a.jpg", 1);
        o.bDoSubFolders = true;
        o.bSaveInOriginalFolder = true;
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, 0);
        QVERIFY(!o.bDoSubFolders);
        QVERIFY(!o.bSaveInOriginalFolder);
    }

    void neverShowAgainSkipsTypeChecks()
    {
        MainFormState form;
        form.bConv_DontShowFileMismatchAgain = true;
        clsConversionOptions o = conversion("{d}/in/a.doc", 5, "{d}/out/a.png", 1);
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, 0);
    }

    void outputBesideInputTestsTheInputFolder()
    {
        // /proc takes no files: the output beside an input there fails the
        // writable test although the typed output folder is fine.
        MainFormState form;
        G_bCommandLineMode = true;
        clsConversionOptions o = conversion("/proc/*.txt", 1, "{d}/out/*.jpg", 1);
        o.bSaveInOriginalFolder = true;
        QCOMPARE(ValidateConversionOptions(form, o), 1);
        QCOMPARE(o.lErr, taskerror::OutputFolderNotWritable);
        QCOMPARE(OutputFolderTested(o), QStringLiteral("/proc"));
    }

    void jobFile_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("job");
        QTest::addColumn<int>("code");
        QTest::newRow("conversion, missing") << "C" << "{d}/in/none.krj" << -8;
        QTest::newRow("conversion, present") << "C" << "{d}/in/c.txt" << 0;
        QTest::newRow("special, missing") << "S55" << "{d}/in/none.krj" << -8;
        QTest::newRow("special, present") << "S55" << "{d}/in/c.txt" << 0;
    }

    void jobFile()
    {
        QFETCH(QString, action);
        QFETCH(QString, job);
        QFETCH(int, code);
        G_bCommandLineMode = true;
        MainFormState form;
        clsConversionOptions o;
        o.sExtraParams = kDefaultOptions;
        o.sActionToDo = action;
        o.lSpecialProcess = action == QLatin1String("S55") ? 55 : 0;
        o.sCLBatchJobFile = m_tree->path(job);
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, code);
    }

    void macrosStayUnlessTheOutputWasCompleted()
    {
        QVERIFY(QDir().mkpath(m_tree->path("{d}/config/out")));
        testutil::writeFile(m_tree->path("{d}/config/in.doc"), "x");
        MainFormState form;
        G_bCommandLineMode = true;
        clsConversionOptions o = conversion("%APPDATA%/in.doc", 9, "%APPDATA%/out/a.jpg", 1);
        o.sLogFile = QStringLiteral("%APPDATA%/run.log");
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, 0);
        QCOMPARE(o.sOriginalFile, QStringLiteral("%APPDATA%/in.doc"));
        QCOMPARE(o.sTargetFile, QStringLiteral("%APPDATA%/out/a.jpg"));
        QCOMPARE(o.sLogFile, QStringLiteral("%APPDATA%/run.log"));

        o.sTargetFile = QStringLiteral("%APPDATA%/out/");
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, 0);
        QCOMPARE(o.sTargetFile, m_tree->path("{d}/config/out/jpg.jpg"));
    }

    void textsARowCannotHoldAreRefusedFirst()
    {
        MainFormState form;
        G_bCommandLineMode = true;
        clsConversionOptions o = conversion("{d}/in/a.doc", 9, "{d}/out/tab\there/a.jpg", 1);
        QCOMPARE(ValidateConversionOptions(form, o), 0);
        QCOMPARE(o.lErr, kErrTaskTextNotStorable);
        QVERIFY(!QFileInfo::exists(m_tree->path("{d}/out/tab\there"))); // nothing was made for it
    }

    void specialVerdict_data()
    {
        QTest::addColumn<int>("process");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("inType");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("wait");
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("code");

        QTest::newRow("launch: wildcard program") << 60 << "/usr/bin/*" << 1 << "" << "" << -1 << false << -102;
        QTest::newRow("launch: wait below -1") << 60 << "/bin/true" << 1 << "" << "" << -2 << false << -106;
        QTest::newRow("launch: wait forever") << 60 << "/bin/true" << 1 << "--flag /proc/x" << "" << -1 << false << 0;
        QTest::newRow("launch: wait 30") << 60 << "/bin/true" << 1 << "" << "" << 30 << false << 0;
        QTest::newRow("append: wildcard output") << 50 << "{d}/in/*.txt" << 1 << "{d}/out/*.txt" << "" << -1 << false << -103;
        QTest::newRow("append: onto itself") << 50 << "{d}/in/c.txt" << 1 << "{d}/in/c.txt" << "" << -1 << false << -104;
        QTest::newRow("append: onto itself, other spelling") << 50 << "{d}/in/c.txt" << 1 << "{d}/out/../in/c.txt" << "" << -1 << false << -104;
        QTest::newRow("append: other case is another file") << 50 << "{d}/in/c.txt" << 1 << "{d}/in/C.TXT" << "" << -1 << false << 0;
        QTest::newRow("append: output is a folder") << 50 << "{d}/in/*.txt" << 1 << "{d}/out" << "" << -1 << false << -105;
        QTest::newRow("append: valid") << 50 << "{d}/in/*.txt" << 1 << "{d}/out/all.txt" << "" << -1 << false << 0;
        QTest::newRow("lines: input missing") << 55 << "{d}/in/none.txt" << 1 << "{d}/out/c.txt" << "" << -1 << false << -4;
        QTest::newRow("lines: wildcard output") << 55 << "{d}/in/c.txt" << 1 << "{d}/out/*.txt" << "" << -1 << false << -5;
        QTest::newRow("lines: output folder missing") << 55 << "{d}/in/c.txt" << 1 << "{d}/none/c.txt" << "" << -1 << false << -6;
        QTest::newRow("lines: wild input folder missing") << 55 << "{d}/none/*.txt" << 1 << "{d}/out/*.txt" << "" << -1 << false << -1;
        QTest::newRow("lines: wildcard inside the name") << 55 << "{d}/in/report*.txt" << 1 << "{d}/out/r*.txt" << "" << -1 << false << 0;
        QTest::newRow("lines: wild output without wildcard") << 55 << "{d}/in/*.txt" << 1 << "{d}/out/c.txt" << "" << -1 << false << -2;
        QTest::newRow("lines: wild output folder missing") << 55 << "{d}/in/*.txt" << 1 << "{d}/none/*.txt" << "" << -1 << false << -3;
        QTest::newRow("lines: docx is not a text input") << 55 << "{d}/in/c.txt" << 13 << "{d}/out/c.txt" << "" << -1 << false << -102;
        QTest::newRow("replace: empty find") << 56 << "{d}/in/c.txt" << 1 << "{d}/out/c.txt" << "" << -1 << false << -110;
        QTest::newRow("replace: empty find wins over docx") << 56 << "{d}/in/c.txt" << 13 << "{d}/out/c.txt" << "" << -1 << false << -110;
        QTest::newRow("replace: mismatch wins, window") << 56 << "{d}/in/c.txt" << 5 << "{d}/out/c.txt" << "" << -1 << true << -111;
        QTest::newRow("replace: mismatch, command line") << 56 << "{d}/in/c.txt" << 5 << "{d}/out/c.txt" << "a" << -1 << false << 0;
        QTest::newRow("replace: html is htm, window") << 56 << "{d}/in/page.html" << 4 << "{d}/out/p.html" << "a" << -1 << true << 0;
        QTest::newRow("replace: valid") << 56 << "{d}/in/c.txt" << 1 << "{d}/out/c.txt" << "a" << -1 << true << 0;
        QTest::newRow("unknown process") << 77 << "{d}/in/c.txt" << 1 << "{d}/out/c.txt" << "" << -1 << false << -101;
        QTest::newRow("output folder not writable") << 55 << "{d}/in/c.txt" << 1 << "/proc/c.txt" << "" << -1 << false << -1000000;
    }

    void specialVerdict()
    {
        QFETCH(int, process);
        QFETCH(QString, input);
        QFETCH(int, inType);
        QFETCH(QString, output);
        QFETCH(QString, find);
        QFETCH(int, wait);
        QFETCH(bool, window);
        QFETCH(int, code);

        G_bCommandLineMode = !window;
        MainFormState form;
        clsConversionOptions o;
        o.sActionToDo = QStringLiteral("S") + QString::number(process);
        o.lSpecialProcess = process;
        o.lConversionMethod = extensiontable::TXInput;
        o.sOriginalFile = m_tree->path(input);
        o.lOriginalFileType = inType;
        o.sTargetFile = process == 60 ? output : m_tree->path(output);
        o.sFindString = find;
        o.lCommandLineWaitTime = wait;
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, code);
        if (code == 0 && process != 60)
            QCOMPARE(o.lTargetFileType, inType); // a text process writes what it reads
    }

    void specialMismatchNeverShownAgain()
    {
        MainFormState form;
        form.bSP_DontShowFileMismatchAgain = true;
        clsConversionOptions o;
        o.sActionToDo = QStringLiteral("S56");
        o.lSpecialProcess = 56;
        o.sOriginalFile = m_tree->path("{d}/in/c.txt");
        o.lOriginalFileType = 5;
        o.sTargetFile = m_tree->path("{d}/out/c.txt");
        o.sFindString = QStringLiteral("a");
        ValidateConversionOptions(form, o);
        QCOMPARE(o.lErr, 0);
    }

    void namePartExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::newRow("plain") << "/a/b.JPG" << "JPG";
        QTest::newRow("trailing blanks") << "/a/b.jpg  " << "jpg";
        QTest::newRow("dotted folder") << "/a.v2/b" << "";
        QTest::newRow("folder with slash") << "/a/b.v2/" << "";
        QTest::newRow("wildcard") << "/a/*.*" << "*";
        QTest::newRow("hidden file") << "/a/.profile" << "profile";
    }

    void namePartExtension()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QCOMPARE(NamePartExtension(path), extension);
    }
};

QTEST_GUILESS_MAIN(TestValidation)
#include "test_validation.moc"
