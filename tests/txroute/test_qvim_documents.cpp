// The real program converting documents from its command line: a batch
// with a damaged DOCX goes on to the next file, /W encrypts a plain PDF
// output and is refused for PDF/A, and no office process of the program's
// outlives it. The program runs as a user with folders of its own.
#include "RouteTestSupport.h"
#include "TestUtil.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace officetest;
using namespace routetest;

namespace {

const QString kQvim = QStringLiteral(QVIM_BINARY);
const QString kDemo = QStringLiteral(TESSAVIEW_DEMO_DATA);

// A process as /proc shows it: its parent and its start time, which tells
// it apart from a later process given the same id.
struct ProcessEntry
{
    qint64 parent = -1;
    QByteArray started;
    bool ended = false; // a zombie: ended, waiting to be reaped
};

bool readProcess(qint64 pid, ProcessEntry& entry)
{
    const QByteArray stat = testutil::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return false;
    entry.ended = fields.at(0) == "Z" || fields.at(0) == "X";
    entry.parent = fields.at(1).toLongLong();
    entry.started = fields.at(19);
    return true;
}

// Every process below `root` seen while it runs, with its start time.
class Descendants
{
public:
    explicit Descendants(qint64 root) { m_parents.insert(root); }

    void scan()
    {
        const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& id : ids) {
            bool number = false;
            const qint64 pid = id.toLongLong(&number);
            ProcessEntry entry;
            if (!number || m_seen.contains(pid) || !readProcess(pid, entry) || !m_parents.contains(entry.parent))
                continue;
            m_seen.insert(pid, entry.started);
            m_parents.insert(pid);
        }
    }

    int count() const { return int(m_seen.size()); }

    // Those still running: the same id with the same start time.
    QList<qint64> stillRunning() const
    {
        QList<qint64> running;
        for (auto it = m_seen.cbegin(); it != m_seen.cend(); ++it) {
            ProcessEntry entry;
            if (readProcess(it.key(), entry) && entry.started == it.value() && !entry.ended)
                running << it.key();
        }
        return running;
    }

private:
    QSet<qint64> m_parents;
    QHash<qint64, QByteArray> m_seen;
};

class User
{
public:
    QString path(const QString& sub) const { return m_dir.filePath(sub); }

    // Runs qvim, watching the processes it starts; gives the exit status as
    // the shell sees it.
    int qvim(const QStringList& arguments, Descendants** watched = nullptr)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* sub : {"home", "config", "runtime"})
            QDir().mkpath(path(QString::fromLatin1(sub)));
        env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(path(QStringLiteral("home")));
        process.start(kQvim, arguments);
        if (!process.waitForStarted())
            return -1000;
        m_watch = std::make_unique<Descendants>(process.processId());
        while (!process.waitForFinished(20))
            m_watch->scan();
        if (watched)
            *watched = m_watch.get();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1000;
    }

    void copy(const QString& from, const QString& to) const
    {
        QDir().mkpath(QFileInfo(path(to)).path());
        QVERIFY2(QFile::copy(from, path(to)), qPrintable(from));
    }

    QString log(const QString& name) const { return QString::fromUtf8(testutil::readFile(path(name))); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Descendants> m_watch;
};

} // namespace

class TestQvimDocuments : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ROUTE_TEST_REQUIRE_OFFICE();
        TESSAVIEW_REQUIRE_CORPUS(QStringLiteral("docx/tables.docx"));
    }

    void batchGoesOnPastADamagedDocumentAndLeavesNoOffice()
    {
        User user;
        const QString docx = kDemo + QStringLiteral("/Sample Word Document.docx");
        user.copy(docx, QStringLiteral("in/b-good.docx"));
        user.copy(QStringLiteral(TESSAVIEW_CORPUS "/docx/tables.docx"), QStringLiteral("in/c-tables.docx"));
        const QByteArray bytes = testutil::readFile(docx);
        QDir().mkpath(user.path(QStringLiteral("in")));
        QVERIFY(testutil::writeFile(user.path(QStringLiteral("in/a-damaged.docx")), bytes.left(bytes.size() / 3)));

        Descendants* processes = nullptr;
        const int status = user.qvim({"/S", user.path("in") + "/*.docx", "/T", user.path("out") + "/*.pdf", "/C", "12",
                                      "/W", "secret", "/L", user.path("run.log"), "/P"},
                                     &processes);
        QCOMPARE(status, 252);

        // The damaged file is named with a clear reason; the others converted.
        const QString log = user.log(QStringLiteral("run.log"));
        QVERIFY2(log.contains(QStringLiteral("Job # 1  Invalid File Type or password specified for the Input File:  ")
                              + user.path("in/a-damaged.docx")),
                 qPrintable(log));
        QVERIFY(!QFileInfo::exists(user.path("out/a-damaged.pdf")));
        for (const QString& name : {QStringLiteral("b-good"), QStringLiteral("c-tables")}) {
            const QString pdf = user.path(QStringLiteral("out/%1.pdf").arg(name));
            QVERIFY2(pdfEncryption(pdf, QStringLiteral("secret")).startsWith(QLatin1String("yes")), qPrintable(name));
            QVERIFY(!hasPdfAIdentification(pdf));
        }
        QVERIFY(pdfText(user.path("out/b-good.pdf"), QStringLiteral("secret")).contains(QStringLiteral("An old clock ticks")));

        // The office it started is gone with it.
        QVERIFY(processes && processes->count() > 0);
        QCOMPARE(processes->stillRunning(), QList<qint64>());
    }

    void passwordForAPdfAOutputIsRefused()
    {
        User user;
        user.copy(kDemo + QStringLiteral("/Sample Rich Text.rtf"), QStringLiteral("in/a.rtf"));
        Descendants* processes = nullptr;
        QCOMPARE(user.qvim({"/S", user.path("in/a.rtf"), "/T", user.path("out/a.pdf"), "/W", "secret", "/L",
                            user.path("refused.log"), "/P"},
                           &processes),
                 253);
        const QString log = user.log(QStringLiteral("refused.log"));
        QVERIFY2(log.contains(QLatin1String("PDF/A")) && log.contains(QLatin1String("/C 12")), qPrintable(log));
        QVERIFY(!QFileInfo::exists(user.path("out/a.pdf")));
        // Refused before any document: no office was started.
        QCOMPARE(processes->count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestQvimDocuments)
#include "test_qvim_documents.moc"
