// The pool of office workers against the installed LibreOffice: a task's
// documents converted on several offices at once give what one office
// gives (log rows, pass marks, outputs, the later of two inputs winning
// one output), also when one worker's office crashes and another's hangs;
// the Word route on the pool; and a Pause in the middle of a pool run, then
// Convert again, converts every document exactly once; each worker's office
// runs on a processor of its own; a small batch starts fewer offices than
// documents. Offices are crashed and hung by the pids
// the engine gives, never by name.
#include "../engine/EngineHarness.h"
#include "RouteTestSupport.h"

#include "core/FileTypes.h"
#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "engine/JobLoop.h"
#include "engine/OfficePool.h"
#include "engine/TaskRunners.h"
#include "engine/TextControlRoute.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "office/OfficeEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <atomic>
#include <csignal>
#include <map>
#include <mutex>
#include <sched.h>
#include <memory>
#include <set>
#include <thread>
#include <vector>

using namespace officetest;
using namespace routetest;

namespace {

// What a run left: its log rows, the task's result and every output's text.
struct RunResult
{
    int result = 0;
    int acts = 0; // offices crashed or hung
    QStringList logRows;
    QStringList outputs; // "name: page count: text"
};

// An RTF long enough that its office has it open for a good while.
QByteArray slowRtf(const char* name)
{
    QByteArray body;
    for (int i = 0; i < 20000; ++i)
        body += QByteArray(name) + " paragraph " + QByteArray::number(i) + " with words to lay out\\par ";
    return rtfDocument(body);
}

// Whether process pid has `file` open.
bool hasOpen(pid_t pid, const QString& file)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    const QStringList entries = fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& fd : entries)
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == file)
            return true;
    return false;
}

// Watches the engine's offices: the one that opens `crash` is killed, the
// one that opens `hang` is stopped, each once, by its pid.
class OfficeSaboteur
{
public:
    OfficeSaboteur(JobEngine& engine, const QString& crash, const QString& hang)
        : m_thread([this, &engine, crash, hang] {
            bool crashed = false;
            bool hung = false;
            while (!m_stop && !(crashed && hung)) {
                for (const pid_t pid : engine.OfficeProcessIds()) {
                    if (!crashed && hasOpen(pid, crash)) {
                        crashed = ::kill(pid, SIGKILL) == 0;
                        ++acts;
                    } else if (!hung && hasOpen(pid, hang)) {
                        hung = ::kill(pid, SIGSTOP) == 0;
                        ++acts;
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        })
    {
    }
    ~OfficeSaboteur()
    {
        m_stop = true;
        m_thread.join();
    }

    std::atomic<int> acts{0};

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

class TestOfficePool : public QObject
{
    Q_OBJECT

    ScratchFolder m_dir;

    QString path(const QString& name) const { return m_dir.path(name); }
    QString write(const QString& name, const QByteArray& bytes) const { return m_dir.write(name, bytes); }

    static clsConversionOptions folderTask(const QString& inputs, const QString& outputs)
    {
        clsConversionOptions task;
        task.sActionToDo = QStringLiteral("C");
        task.sOriginalFile = inputs;
        task.lOriginalFileType = filetype::Rtf;
        task.sTargetFile = outputs;
        task.lTargetFileType = filetype::Pdf;
        task.lConversionMethod = conversionmethod::TextControl;
        task.sExtraParams = QStringLiteral("*^0^FALSE^75^100^0^0^0^");
        return task;
    }

    static QStringList logRows(const EngineHarness& h)
    {
        QStringList rows;
        const FlexGrid& log = h.form.fgLog;
        for (int r = 1; r <= log.Rows() - 2; ++r) {
            QStringList cells;
            for (int c = 0; c < log.Cols(); ++c)
                cells << log.TextMatrix(r, c);
            rows << cells.join(u'|');
        }
        return rows;
    }

    static QStringList outputsIn(const QString& folder)
    {
        QStringList outputs;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            const QString pdf = folder + u'/' + name;
            outputs << name + QStringLiteral(": ") + pdfInfoField(pdfInfo(pdf).out, QStringLiteral("Pages"))
                           + QStringLiteral(": ") + pdfText(pdf).simplified();
        }
        return outputs;
    }

    // One run of the task over `inputs` on `workers` offices, with the
    // office that opens `crash` killed and the one that opens `hang`
    // stopped.
    RunResult runWith(int workers, const QString& inputs, const QString& outputs, const QString& crash,
                      const QString& hang)
    {
        EngineHarness h;
        h.form.bRunning = true;
        h.engine.SetOfficeWorkers(workers);
        // A hung office is given up after a few seconds.
        h.engine.TextControls().Engine().setLoadTimeout(4000);
        h.engine.TextControls().Engine().setSaveTimeout(4000);
        h.engine.Pool();
        RunResult run;
        {
            OfficeSaboteur saboteur(h.engine, crash, hang);
            clsConversionOptions task = folderTask(inputs, outputs);
            run.result = PerformBlock(h.engine, 1, task);
            run.acts = saboteur.acts;
        }
        run.logRows = logRows(h);
        run.outputs = outputsIn(QFileInfo(outputs).path());
        return run;
    }

private slots:
    void initTestCase()
    {
        ROUTE_TEST_REQUIRE_OFFICE();
        QVERIFY(m_dir.isValid());
    }

    // Twenty documents: one crashes its office, one hangs it, one is no
    // RTF at all, and two of them make the same output, where the later
    // one wins. Four workers give what one office gives.
    void poolGivesWhatOneOfficeGives()
    {
        for (int i = 1; i <= 15; ++i)
            write(QStringLiteral("in/doc-%1.rtf").arg(i, 2, 10, QLatin1Char('0')),
                  rtfDocument("Document " + QByteArray::number(i) + "\\par"));
        const QString crash = write(QStringLiteral("in/doc-04-crash.rtf"), slowRtf("Crashing"));
        const QString hang = write(QStringLiteral("in/doc-11-hang.rtf"), slowRtf("Hanging"));
        write(QStringLiteral("in/doc-13-broken.rtf"), "no RTF, no document of any kind\n");
        // Both become "twin.pdf"; the input list is sorted, so twin.rtf
        // comes last. The office reads the first by its content.
        write(QStringLiteral("in/twin.doc"), rtfDocument("The first twin\\par"));
        write(QStringLiteral("in/twin.rtf"), rtfDocument("The second twin\\par"));
        QCOMPARE(QDir(path(QStringLiteral("in"))).entryList(QDir::Files).size(), 20);

        const RunResult one = runWith(1, path(QStringLiteral("in/*")), path(QStringLiteral("one/*.pdf")), crash, hang);
        const RunResult pool = runWith(4, path(QStringLiteral("in/*")), path(QStringLiteral("pool/*.pdf")), crash, hang);

        QCOMPARE(one.acts, 2);
        QCOMPARE(pool.acts, 2);
        QVERIFY2(one.logRows.size() == 3, qPrintable(one.logRows.join(QStringLiteral("\n"))));
        QVERIFY2(one.logRows[0].contains(QLatin1String("doc-04-crash.rtf")), qPrintable(one.logRows[0]));
        QVERIFY2(one.logRows[1].contains(QLatin1String("time limit")), qPrintable(one.logRows[1]));
        // The output folder differs between the runs, nothing else.
        QStringList poolRows = pool.logRows;
        poolRows.replaceInStrings(path(QStringLiteral("pool/")), path(QStringLiteral("one/")));
        QCOMPARE(poolRows, one.logRows);
        QCOMPARE(pool.result, one.result);
        QCOMPARE(pool.outputs, one.outputs);
        QCOMPARE(one.outputs.size(), 16);
        QVERIFY2(one.outputs.last().endsWith(QLatin1String("The second twin")), qPrintable(one.outputs.last()));
    }

    // The Word route takes the pool as the text control does: each worker
    // has a Word-conversion control, and its office, of its own.
    void wordRouteRendersOnThePool()
    {
        QStringList inputs;
        for (int i = 1; i <= 6; ++i)
            inputs << write(QStringLiteral("word/doc-%1.rtf").arg(i), rtfDocument("Word document " + QByteArray::number(i) + "\\par"));
        EngineHarness h;
        h.form.bRunning = true;
        h.engine.SetOfficeWorkers(3);
        clsConversionOptions task = folderTask(path(QStringLiteral("word/*.rtf")), path(QStringLiteral("word-out/*.pdf")));
        task.lConversionMethod = conversionmethod::Word;
        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(h.logRows(), 0);
        for (int i = 1; i <= 6; ++i) {
            QCOMPARE(h.engine.Pool().RenderCount(inputs[i - 1]), 1);
            QVERIFY(pdfText(path(QStringLiteral("word-out/doc-%1.pdf").arg(i))).contains(QStringLiteral("Word document %1").arg(i)));
        }
        // The form's own control was never needed.
        QVERIFY(!h.engine.HasQuaystone1());
    }

    // Six documents on a pool of eight: two offices at most, so that each
    // has more documents than there are offices, each started once (the
    // pool's offices run until the run's end), and the form's own office
    // not at all.
    void aSmallBatchStartsFewOffices()
    {
        for (int i = 1; i <= 6; ++i)
            write(QStringLiteral("few/doc-%1.rtf").arg(i), rtfDocument("Few document " + QByteArray::number(i) + "\\par"));
        EngineHarness h;
        h.form.bRunning = true;
        h.engine.SetOfficeWorkers(8);
        clsConversionOptions task = folderTask(path(QStringLiteral("few/*.rtf")), path(QStringLiteral("few-out/*.pdf")));
        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(h.logRows(), 0);
        for (int i = 1; i <= 6; ++i)
            QVERIFY(pdfText(path(QStringLiteral("few-out/doc-%1.pdf").arg(i))).contains(QStringLiteral("Few document %1").arg(i)));
        const std::vector<pid_t> offices = h.engine.OfficeProcessIds();
        QVERIFY2(!offices.empty() && offices.size() <= 2, qPrintable(QString::number(offices.size())));
        QCOMPARE(h.engine.TextControls().Engine().processId(), pid_t(0));
        // Each is an office process of this one, seen by the system.
        for (const pid_t pid : offices) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            QVERIFY(stat.open(QIODevice::ReadOnly));
            const QByteArray line = stat.readAll();
            QVERIFY2(line.contains("(soffice.bin)"), line.constData());
        }
    }

    // Each worker's office, and every thread of it, stays on one processor,
    // and no two offices share one (on a machine with enough of them).
    void eachOfficeKeepsAProcessorOfItsOwn()
    {
        cpu_set_t usable;
        CPU_ZERO(&usable);
        QCOMPARE(::sched_getaffinity(0, sizeof usable, &usable), 0);
        if (CPU_COUNT(&usable) < 3)
            QSKIP("needs three processors");
        // Twelve documents, so that the task has three offices; half of them
        // keep their office busy a good while.
        for (int i = 1; i <= 12; ++i)
            write(QStringLiteral("placed/doc-%1.rtf").arg(i, 2, 10, QLatin1Char('0')),
                  i % 2 ? slowRtf("Placed") : rtfDocument("Placed\\par"));
        EngineHarness h;
        h.form.bRunning = true;
        h.engine.SetOfficeWorkers(3);
        h.engine.Pool();
        // Every thread of every office seen while the task runs, by pid.
        std::map<pid_t, std::vector<int>> processors;
        std::atomic<bool> stop{false};
        std::mutex mutex;
        std::thread watcher([&] {
            while (!stop) {
                for (const pid_t pid : h.engine.OfficeProcessIds()) {
                    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
                    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
                        cpu_set_t set;
                        CPU_ZERO(&set);
                        if (::sched_getaffinity(tid.toInt(), sizeof set, &set) != 0)
                            continue;
                        std::lock_guard<std::mutex> lock(mutex);
                        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
                            if (CPU_ISSET(cpu, &set))
                                processors[pid].push_back(cpu);
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        clsConversionOptions task = folderTask(path(QStringLiteral("placed/*.rtf")), path(QStringLiteral("placed-out/*.pdf")));
        const int result = PerformBlock(h.engine, 1, task);
        stop = true;
        watcher.join();
        QCOMPARE(result, 0);
        QCOMPARE(h.logRows(), 0);
        QCOMPARE(int(processors.size()), 3);
        std::set<int> taken;
        for (auto& [pid, cpus] : processors) {
            std::sort(cpus.begin(), cpus.end());
            cpus.erase(std::unique(cpus.begin(), cpus.end()), cpus.end());
            QVERIFY2(cpus.size() == 1, qPrintable(QStringLiteral("office %1 runs on %2 processors").arg(pid).arg(cpus.size())));
            QVERIFY2(CPU_ISSET(cpus.front(), &usable), "an office runs where the program may not");
            QVERIFY2(taken.insert(cpus.front()).second, "two offices share a processor");
        }
    }

    // A Pause while the pool renders ahead: the documents begun are
    // finished and put in place, no other starts; Convert again goes on
    // after the last one put in place. Every document is rendered once.
    void pauseAndResumeConvertEveryDocumentOnce()
    {
        QStringList inputs;
        for (int i = 1; i <= 12; ++i)
            inputs << write(QStringLiteral("paused/doc-%1.rtf").arg(i, 2, 10, QLatin1Char('0')),
                            rtfDocument("Paused document " + QByteArray::number(i) + "\\par"));
        EngineHarness h;
        h.engine.SetOfficeWorkers(3);
        const QString out = path(QStringLiteral("paused-out"));
        h.form.fgToDo.AddItem(QStringList{QStringLiteral("*^0^FALSE^75^100^0^0^0^"), QString(), QStringLiteral("1"),
                                          QStringLiteral("C"), path(QStringLiteral("paused/*.rtf")), QStringLiteral("5"),
                                          QString(), out + QStringLiteral("/*.pdf"), QStringLiteral("12"),
                                          QStringLiteral("pdf"), QString()}
                                  .join(u'\t'),
                              1);
        const auto outputs = [&] { return QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name); };
        h.onDoEvents = [&] {
            if (h.form.bRunning && outputs().size() >= 4)
                h.form.bRunning = false; // the user pressed Pause
        };
        ConversionJobBegin(h.engine);
        const QStringList paused = outputs();
        QVERIFY2(paused.size() >= 4 && paused.size() < 12, qPrintable(paused.join(u' ')));
        // The first documents, each once, and nothing begun after them.
        for (int i = 0; i < paused.size(); ++i)
            QCOMPARE(paused[i], QStringLiteral("doc-%1.pdf").arg(i + 1, 2, 10, QLatin1Char('0')));
        for (int i = 0; i < inputs.size(); ++i)
            QCOMPARE(h.engine.Pool().RenderCount(inputs[i]), i < paused.size() ? 1 : 0);
        QCOMPARE(h.passMarks(), QStringList{QString()});
        QCOMPARE(h.engine.lResumeFileIndex, int(paused.size()) + 1);

        h.onDoEvents = nullptr;
        ConversionJobBegin(h.engine);
        QCOMPARE(outputs().size(), 12);
        for (const QString& input : inputs)
            QCOMPARE(h.engine.Pool().RenderCount(input), 1);
        QCOMPARE(h.passMarks(), QStringList{QStringLiteral("+")});
        QCOMPARE(h.logRows(), 0);
        QVERIFY(pdfText(out + QStringLiteral("/doc-12.pdf")).contains(QStringLiteral("Paused document 12")));
        // The form's own office never had to render one of them.
        QCOMPARE(h.engine.TextControls().Engine().processId(), pid_t(0));
    }
};

QTEST_GUILESS_MAIN(TestOfficePool)
#include "test_office_pool.moc"
