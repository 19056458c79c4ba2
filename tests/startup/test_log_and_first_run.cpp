#include "base/MessageSink.h"
#include "base/SpecialFolders.h"
#include "base/UserRegistry.h"
#include "startup/DemoData.h"
#include "core/LogFile.h"
#include "core/StartupLock.h"
#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Records each box and whether the start-up lock was held while it showed.
class RecordingSink : public MessageSink
{
public:
    QStringList texts;
    bool lockHeldDuringBox = false;
    MessageAnswer showMessage(const QString& text, const QString&, MessageButtons, MessageIcon) override
    {
        texts << text;
        lockHeldDuringBox = lockHeldDuringBox || G_hGlobalMutex.isLocked();
        return MessageAnswer::Ok;
    }
};

} // namespace

class TestLogAndFirstRun : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toUtf8());
        OverrideSpecialFolder(csidl::AppData, m_dir.path() + QStringLiteral("/config"));
    }
    void cleanup()
    {
        ClearSpecialFolderOverrides();
        SetMessageSink(nullptr);
    }

    // An older log with CR LF lines is appended to as it stands; a message
    // with line breaks stays one line, so grep finds it whole.
    void logLinesAreAppendedAsUtf8WithLf()
    {
        const QString log = m_dir.path() + QStringLiteral("/run.log");
        QVERIFY(testutil::writeFile(log, "earlier run\r\n"));
        WriteMessageToLogFile(QStringLiteral("Job # 1  Invalid page range: 5- - /in/a.pdf"), log, false);
        WriteMessageToLogFile(QStringLiteral("Zeit: Übersicht"), log, false);
        WriteMessageToLogFile(QStringLiteral("Input File\r\n/in/a.doc\r\ndoes not exist.\nOr\rnot"), log, false);
        WriteLinesToLogFile({QStringLiteral("---qvim---"), QStringLiteral("Date: now")}, log);
        QCOMPARE(testutil::readFile(log),
                 QByteArray("earlier run\r\nJob # 1  Invalid page range: 5- - /in/a.pdf\nZeit: \xc3\x9c" "bersicht\n"
                            "Input File /in/a.doc does not exist. Or not\n---qvim---\nDate: now\n"));
    }

    void verboseBoxComesAfterTheLockIsReleased()
    {
        RecordingSink sink;
        SetMessageSink(&sink);
        const QString log = m_dir.path() + QStringLiteral("/verbose.log");
        WriteMessageToLogFile(QStringLiteral("Conversion Successful"), log, true);
        QCOMPARE(sink.texts, QStringList{QStringLiteral("Conversion Successful")});
        QVERIFY(!sink.lockHeldDuringBox);
        QCOMPARE(testutil::readFile(log), QByteArray("Conversion Successful\n"));
    }

    void unwritableLogLosesTheLineButStillShowsTheBox()
    {
        RecordingSink sink;
        SetMessageSink(&sink);
        WriteMessageToLogFile(QStringLiteral("lost"), m_dir.path() + QStringLiteral("/no/such/folder/x.log"), true);
        QCOMPARE(sink.texts.size(), 1);
        QVERIFY(!G_hGlobalMutex.isLocked());
    }

    void demoDataIsInstalledOncePerUser()
    {
        const QString user = m_dir.path() + QStringLiteral("/config/Kestrova, Inc/Tessaview/");
        InstallDemoDataOnFirstRun();
        QCOMPARE(GetSetting(QStringLiteral("Tessaview"), QStringLiteral("Settings"), QStringLiteral("bDInstalled")),
                 QStringLiteral("TRUE"));
        QVERIFY(QFile::exists(user + QStringLiteral("Demo Data/Sample PDF Document.pdf")));
        QVERIFY(QDir(user + QStringLiteral("Demo Batch Files")).exists());
        QVERIFY(QDir(user + QStringLiteral("Languages")).exists());

        // Folders the user deleted do not come back on the next start.
        QVERIFY(QDir(user + QStringLiteral("Demo Data")).removeRecursively());
        InstallDemoDataOnFirstRun();
        QVERIFY(!QDir(user + QStringLiteral("Demo Data")).exists());
    }

    void userFilesAreNotOverwritten()
    {
        const QString user = m_dir.path() + QStringLiteral("/config/Kestrova, Inc/Tessaview/");
        QVERIFY(QDir().mkpath(user + QStringLiteral("Demo Data")));
        QVERIFY(testutil::writeFile(user + QStringLiteral("Demo Data/Sample Data.xml"), "mine"));
        SaveSetting(QStringLiteral("Tessaview"), QStringLiteral("Settings"), QStringLiteral("bDInstalled"),
                    QStringLiteral("false"));
        InstallDemoDataOnFirstRun();
        QCOMPARE(testutil::readFile(user + QStringLiteral("Demo Data/Sample Data.xml")), QByteArray("mine"));
        QVERIFY(QFile::exists(user + QStringLiteral("Demo Data/Sample PDF Document.pdf")));
    }
};

QTEST_GUILESS_MAIN(TestLogAndFirstRun)
#include "test_log_and_first_run.moc"
