// The real program reading its settings: the file /I names and the user's
// own settings file decide whether inputs are deleted after conversion and
// whether outputs carry the input's time; an input whose conversion wrote
// nothing stays, and the command line leaves the settings files as they
// were. Each test runs as a user with folders of its own.
#include "EngineHarness.h"
#include "QvimUser.h"
#include "TestUtil.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kOnePage = QStringLiteral(TESSAVIEW_CORPUS "/pdf/minimal-document.pdf");
const QString kFourPages = QStringLiteral(TESSAVIEW_CORPUS "/pdf/pdflatex-4-pages.pdf");
const QString kProtected = QStringLiteral(TESSAVIEW_CORPUS "/pdf/libreoffice-writer-password.pdf");

const QDateTime kInputTime = QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);

// What a file looked like: a rewrite changes its inode, an edit its bytes.
struct FileState
{
    QByteArray bytes;
    ino_t inode = 0;
    qint64 modified = 0;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return {testutil::readFile(path), st.st_ino, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

class User : public QvimUser
{
public:
    bool copy(const QString& from, const QString& to) const
    {
        QDir().mkpath(QFileInfo(path(to)).path());
        return QFile::copy(from, path(to));
    }

    bool write(const QString& to, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(path(to)).path());
        return testutil::writeFile(path(to), bytes);
    }

    // The settings file of a first run, with a main-form section added.
    bool writeOwnSettings(const QByteArray& section) const
    {
        if (qvim({"/P"}) != 253 || !QFileInfo(settingsFile()).isFile())
            return false;
        QFile f(settingsFile());
        return f.open(QIODevice::Append) && f.write(section) == section.size();
    }
};

bool setModified(const QString& path, const QDateTime& time)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(time, QFileDevice::FileModificationTime);
}

} // namespace

class TestQvimSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("pdf/minimal-document.pdf"), QStringLiteral("pdf/pdflatex-4-pages.pdf"),
                                 QStringLiteral("pdf/libreoffice-writer-password.pdf"));
    }

    void deletingInputsFollowsTheFileOfI_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("pages");
        QTest::addColumn<bool>("withSettings");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("inputKept");
        QTest::addColumn<QString>("logged");

        QTest::newRow("converted: deleted") << kOnePage << "1" << true << 0 << false << "Conversion Successful";
        QTest::newRow("without the setting: kept") << kOnePage << "1" << false << 0 << true << "Conversion Successful";
        QTest::newRow("unreadable: nothing written, kept")
            << kProtected << "1" << true << 252 << true << "Job # 1  Unable to open the input file. - ";
        QTest::newRow("page past the end: nothing written, kept")
            << kOnePage << "5" << true << 252 << true << "Job # 1  Unable to save output file. - ";
    }

    void deletingInputsFollowsTheFileOfI()
    {
        QFETCH(QString, input);
        QFETCH(QString, pages);
        QFETCH(bool, withSettings);
        QFETCH(int, status);
        QFETCH(bool, inputKept);
        QFETCH(QString, logged);

        User user;
        QVERIFY(user.copy(input, "in/Input.pdf"));
        QDir().mkpath(user.path("out"));
        QVERIFY(user.write("other.ini", withSettings ? "[frmMain]\r\nbDeleteOriginalFileAfterProcessing=TRUE\r\n"
                                                     : "[frmMain]\r\n"));
        const FileState settings = stateOf(user.path("other.ini"));
        const QByteArray inputBytes = testutil::readFile(user.path("in/Input.pdf"));

        QCOMPARE(user.qvim({"/S", user.path("in/Input.pdf"), "/T", user.path("out/Input.png"), "/1", pages, "/I",
                            user.path("other.ini"), "/L", user.path("run.log"), "/P"}),
                 status);

        const bool written = QFileInfo::exists(user.path("out/Input.png"));
        QCOMPARE(written, status == 0);
        if (written)
            QCOMPARE(identifiedFormat(user.path("out/Input.png")), QStringLiteral("PNG"));
        QCOMPARE(QFileInfo::exists(user.path("in/Input.pdf")), inputKept);
        if (inputKept)
            QCOMPARE(testutil::readFile(user.path("in/Input.pdf")), inputBytes);
        const QStringList lines = user.logLines("run.log");
        QVERIFY2(lines.size() > 2 && lines[2].startsWith(logged), qPrintable(lines.join(u'\n')));
        // The command line writes no setting.
        QVERIFY(stateOf(user.path("other.ini")) == settings);
        QVERIFY(!testutil::readFile(user.settingsFile()).contains("frmMain"));
    }

    void outputsCarryTheInputTime_data()
    {
        QTest::addColumn<bool>("fromI");
        QTest::newRow("the file of /I") << true;
        QTest::newRow("the user's own settings file") << false;
    }

    void outputsCarryTheInputTime()
    {
        QFETCH(bool, fromI);
        User user;
        QVERIFY(user.copy(kFourPages, "in/Four.pdf"));
        QVERIFY(setModified(user.path("in/Four.pdf"), kInputTime));
        QDir().mkpath(user.path("out"));
        const QByteArray section = "[frmMain]\r\nbRetainInputFileTimeStamp=TRUE\r\n";
        QStringList arguments = {"/S", user.path("in/Four.pdf"), "/T", user.path("out/Four.png"), "/1", "1-2",
                                 "/L", user.path("run.log"), "/P"};
        QString settingsFile;
        if (fromI) {
            QVERIFY(user.write("other.ini", section));
            settingsFile = user.path("other.ini");
            arguments << "/I" << settingsFile;
        } else {
            QVERIFY(user.writeOwnSettings(section));
            settingsFile = user.settingsFile();
        }
        const FileState settings = stateOf(settingsFile);

        QCOMPARE(user.qvim(arguments), 0);

        for (const char* page : {"out/Four-00001.png", "out/Four-00002.png"}) {
            const QString output = user.path(QString::fromLatin1(page));
            QCOMPARE(identifiedFormat(output), QStringLiteral("PNG"));
            QCOMPARE(QFileInfo(output).lastModified().toUTC(), kInputTime);
        }
        QVERIFY(QFileInfo::exists(user.path("in/Four.pdf")));
        if (fromI)
            QVERIFY(stateOf(settingsFile) == settings);
        else // the start's writability test puts its "Partial" key back each time
            QCOMPARE(testutil::readFile(settingsFile), settings.bytes);
    }

    // The settings file holds passwords: after a command-line run it is
    // the owner's alone, whatever mode it had, and still holds them.
    void settingsFileIsTheOwnersAloneAfterARun()
    {
        User user;
        QVERIFY(user.writeOwnSettings("[frmMain]\r\nbOverridePDFSettings=TRUE\r\nsVyxPDFUserPassword=open-secret\r\n"
                                      "sVyxPDFMasterPassword=master-secret\r\n"));
        QVERIFY(::chmod(QFile::encodeName(user.settingsFile()).constData(), 0644) == 0);

        QCOMPARE(user.qvim({"/P"}), 253);

        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(user.settingsFile()).constData(), &st) == 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
        const QByteArray after = testutil::readFile(user.settingsFile());
        QVERIFY(after.contains("sVyxPDFUserPassword=open-secret\r\n"));
        QVERIFY(after.contains("sVyxPDFMasterPassword=master-secret\r\n"));
        QVERIFY(user.entries("config/Kestrova, Inc/Tessaview").filter(QStringLiteral(".INI.")).isEmpty());
    }

    // A settings file that is not text: the run says so on standard error,
    // naming the file, keeps it byte for byte beside the fresh one and
    // converts with the default settings, which keep the input. The file
    // of /I is named as well and left as it is.
    void damagedSettingsFileIsReportedAndKept_data()
    {
        QTest::addColumn<bool>("fromI");
        QTest::newRow("the user's own settings file") << false;
        QTest::newRow("the file of /I") << true;
    }

    void damagedSettingsFileIsReportedAndKept()
    {
        QFETCH(bool, fromI);
        User user;
        QVERIFY(user.copy(kOnePage, "in/One.pdf"));
        QDir().mkpath(user.path("out"));
        // Readable keys, then what a crash left: a block of NUL bytes.
        const QByteArray damaged = QByteArray("[frmMain]\r\nbDeleteOriginalFileAfterProcessing=TRUE\r\n")
                                   + QByteArray(2048, '\0') + "\r\n[Main]\r\nPartial=Level3\r\n";
        const QString file = fromI ? user.path("other.ini") : user.settingsFile();
        QVERIFY(user.write(fromI ? "other.ini" : "config/Kestrova, Inc/Tessaview/QVIM_SearchHistory.INI", damaged));
        const FileState before = stateOf(file);
        QStringList arguments = {"/S", user.path("in/One.pdf"), "/T", user.path("out/One.png"), "/P"};
        if (fromI)
            arguments << "/I" << file;

        const QvimRun run = user.run(arguments);
        QCOMPARE(run.status, 0);
        QCOMPARE(identifiedFormat(user.path("out/One.png")), QStringLiteral("PNG"));
        QVERIFY(QFileInfo::exists(user.path("in/One.pdf"))); // the default keeps the input

        QVERIFY2(run.err.contains(QStringLiteral("The settings file could not be read (it is not a settings file): ")
                                  + file),
                 qPrintable(run.err));
        QCOMPARE(run.err.count(QStringLiteral("could not be read")), 1);
        if (fromI) {
            QVERIFY(stateOf(file) == before);
            QVERIFY(!QFileInfo::exists(file + QStringLiteral(".damaged")));
        } else {
            const QString kept = file + QStringLiteral(".damaged");
            QVERIFY2(run.err.contains(QStringLiteral("It was kept as: ") + kept), qPrintable(run.err));
            QCOMPARE(testutil::readFile(kept), damaged);
            QCOMPARE(testutil::readFile(file), QByteArray("[Main]\r\nPartial=Level3\r\n[Language]\r\n"
                                                          "Language_Code=English\r\n"));
            // The next run finds a sound file and says nothing.
            const QvimRun next = user.run({"/P"});
            QCOMPARE(next.status, 253);
            QVERIFY2(!next.err.contains(QStringLiteral("could not be read")), qPrintable(next.err));
        }
    }

    void withoutTheSettingOutputsAreStampedNow()
    {
        User user;
        QVERIFY(user.copy(kOnePage, "in/One.pdf"));
        QVERIFY(setModified(user.path("in/One.pdf"), kInputTime));
        QDir().mkpath(user.path("out"));
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-2);
        QCOMPARE(user.qvim({"/S", user.path("in/One.pdf"), "/T", user.path("out/One.png"), "/P"}), 0);
        QVERIFY(QFileInfo(user.path("out/One.png")).lastModified() >= before);
    }
};

QTEST_GUILESS_MAIN(TestQvimSettings)
#include "test_qvim_settings.moc"
