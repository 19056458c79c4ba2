// The office pool without an office: a document whose input is an earlier
// document's output (by its name, or as the same file under another name)
// is left to its turn instead of being rendered ahead, and telling that
// costs a long list no more than its length; a batch starts no more
// offices than each has more documents than there are offices, and an
// office slow to start holds up none of them.
#include "engine/OfficePool.h"

#include "core/clsConversionOptions.h"
#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

class InstantWorker : public OfficeWorker
{
public:
    int Render(const OfficeJob&, const QString&, clsConversionOptions& item) override
    {
        item.lErr = 0;
        return 0;
    }
    pid_t ProcessId() const override { return 0; }
};

OfficeWorkerFactory instantWorkers()
{
    return [](int) { return std::make_unique<InstantWorker>(); };
}

// Offices that count how many were made and started; the first one to
// start can be held in its start until the test lets it go.
struct OfficeCounts
{
    std::atomic<int> made{0};
    std::atomic<int> started{0};
    std::atomic<int> renders{0};
    bool holdFirstStart = false;
    std::mutex mutex;
    std::condition_variable released;
    bool letGo = false;

    void release()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            letGo = true;
        }
        released.notify_all();
    }
};

class CountedWorker : public OfficeWorker
{
public:
    explicit CountedWorker(OfficeCounts& counts)
        : m_counts(counts)
    {
        ++m_counts.made;
    }
    void Start() override
    {
        if (m_counts.started++ == 0 && m_counts.holdFirstStart) {
            std::unique_lock<std::mutex> lock(m_counts.mutex);
            m_counts.released.wait(lock, [this] { return m_counts.letGo; });
        }
    }
    int Render(const OfficeJob&, const QString& pdf, clsConversionOptions& item) override
    {
        ++m_counts.renders;
        item.lErr = testutil::writeFile(pdf, "%PDF-1.4\n") ? 0 : -3;
        return item.lErr;
    }
    pid_t ProcessId() const override { return 0; }

private:
    OfficeCounts& m_counts;
};

OfficeWorkerFactory countedWorkers(OfficeCounts& counts)
{
    return [&counts](int) { return std::make_unique<CountedWorker>(counts); };
}

OfficeJob job(const QString& input, const QString& output)
{
    OfficeJob j;
    j.sOriginalFile = input;
    j.lOriginalFileType = 13;
    j.sTargetFile = output;
    j.lTargetFileType = 12;
    return j;
}

} // namespace

class TestOfficePoolOrder : public QObject
{
    Q_OBJECT

private slots:
    void anEarlierOutputWaitsForItsTurn()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(testutil::writeFile(out + QStringLiteral("/a.pdf"), "%PDF- from an earlier run"));
        QVERIFY(QFile::link(out + QStringLiteral("/a.pdf"), dir.filePath(QStringLiteral("alias.pdf"))));
        const std::vector<OfficeJob> jobs = {
            job(dir.filePath(QStringLiteral("a.docx")), out + QStringLiteral("/a.pdf")),
            job(out + QStringLiteral("/../out/a.pdf"), out + QStringLiteral("/b.pdf")), // same name, spelt apart
            job(dir.filePath(QStringLiteral("alias.pdf")), out + QStringLiteral("/c.pdf")), // same file, another name
            job(dir.filePath(QStringLiteral("d.docx")), out + QStringLiteral("/d.pdf")),
            job(out + QStringLiteral("/d.pdf"), out + QStringLiteral("/e.pdf")), // not there yet, named alike
        };
        OfficePool pool(instantWorkers());
        pool.Begin(jobs, 2);
        const std::vector<bool> pooled = {true, false, false, true, false};
        for (int i = 0; i < int(jobs.size()); ++i) {
            OfficeRender render;
            QCOMPARE(pool.Take(i, render, {}), bool(pooled[i]));
        }
        pool.End();
    }

    void noMoreOfficesThanDocuments_data()
    {
        QTest::addColumn<int>("documents");
        QTest::addColumn<int>("chained"); // of them, inputs that are the output before
        QTest::addColumn<int>("workers");
        QTest::addColumn<int>("offices"); // at most
        QTest::newRow("fewer documents than workers") << 3 << 0 << 8 << 1;
        QTest::newRow("one document") << 1 << 0 << 8 << 1;
        QTest::newRow("six documents") << 6 << 0 << 8 << 2;
        QTest::newRow("more documents than workers") << 40 << 0 << 4 << 4;
        QTest::newRow("documents left to their turn count for none") << 10 << 4 << 8 << 2;
    }

    // Every document rendered ahead is rendered once and taken in its
    // turn, on no more offices than each has more documents than there are
    // offices.
    void noMoreOfficesThanDocuments()
    {
        QFETCH(int, documents);
        QFETCH(int, chained);
        QFETCH(int, workers);
        QFETCH(int, offices);
        QTemporaryDir dir;
        std::vector<OfficeJob> jobs;
        for (int i = 0; i < documents; ++i) {
            const QString output = dir.filePath(QStringLiteral("out/%1.pdf").arg(i));
            // The last `chained` documents each read the output before them.
            const QString input = i >= documents - chained ? dir.filePath(QStringLiteral("out/%1.pdf").arg(i - 1))
                                                           : dir.filePath(QStringLiteral("in/%1.docx").arg(i));
            jobs.push_back(job(input, output));
        }
        OfficeCounts counts;
        {
            OfficePool pool(countedWorkers(counts));
            pool.Begin(jobs, workers);
            for (int i = 0; i < documents - chained; ++i) {
                OfficeRender render;
                QVERIFY(pool.Take(i, render, {}));
                QCOMPARE(render.lErr, 0);
                QCOMPARE(testutil::readFile(render.pdf.path()), QByteArray("%PDF-1.4\n"));
            }
            pool.End();
        }
        // A worker that finds every document taken starts no office.
        QVERIFY2(counts.made.load() >= 1 && counts.made.load() <= offices, qPrintable(QString::number(counts.made)));
        QCOMPARE(counts.started.load(), counts.made.load());
        QCOMPARE(counts.renders.load(), documents - chained);
    }

    // The tasks of a run share the pool: a later task renders on the
    // offices started already, and starts offices of another kind (the
    // Word route's) only as many as its own documents want.
    void aLaterTaskKeepsToItsCount()
    {
        QTemporaryDir dir;
        const auto batch = [&](const QString& name, int documents, int method) {
            std::vector<OfficeJob> jobs;
            for (int i = 0; i < documents; ++i) {
                OfficeJob j = job(dir.filePath(QStringLiteral("%1/%2.docx").arg(name).arg(i)),
                                  dir.filePath(QStringLiteral("%1-out/%2.pdf").arg(name).arg(i)));
                j.lConversionMethod = method;
                jobs.push_back(j);
            }
            return jobs;
        };
        OfficeCounts counts;
        OfficePool pool(countedWorkers(counts));
        const auto renderAll = [&](std::vector<OfficeJob> jobs) {
            const int n = int(jobs.size());
            pool.Begin(std::move(jobs), 8);
            for (int i = 0; i < n; ++i) {
                OfficeRender render;
                QVERIFY(pool.Take(i, render, {}));
            }
            pool.End();
        };
        renderAll(batch(QStringLiteral("first"), 72, 2));
        const int first = counts.made;
        QVERIFY(first >= 1 && first <= 8);
        renderAll(batch(QStringLiteral("second"), 6, 2));
        QCOMPARE(counts.made.load(), first);
        renderAll(batch(QStringLiteral("word"), 6, 1));
        QVERIFY2(counts.made.load() - first >= 1 && counts.made.load() - first <= 2, qPrintable(QString::number(counts.made - first)));
        QCOMPARE(counts.renders.load(), 72 + 6 + 6);
    }

    void officesForABatch_data()
    {
        QTest::addColumn<int>("workers");
        QTest::addColumn<int>("documents");
        QTest::addColumn<int>("offices");
        QTest::newRow("none") << 8 << 0 << 1;
        QTest::newRow("one") << 8 << 1 << 1;
        QTest::newRow("five") << 8 << 5 << 1;
        QTest::newRow("six") << 8 << 6 << 2;
        QTest::newRow("twenty") << 8 << 20 << 4;
        QTest::newRow("71") << 8 << 71 << 7;
        QTest::newRow("72") << 8 << 72 << 8;
        QTest::newRow("200 on eight") << 8 << 200 << 8;
        QTest::newRow("200 on three") << 3 << 200 << 3;
    }

    // Each office has more documents than there are offices, and there are
    // no more offices than workers.
    void officesForABatch()
    {
        QFETCH(int, workers);
        QFETCH(int, documents);
        QFETCH(int, offices);
        QCOMPARE(OfficesForDocuments(workers, documents), offices);
    }

    // The first office to start hangs in its start: the other offices
    // render every document meanwhile, in the list's order.
    void anOfficeSlowToStartHoldsUpNoDocument()
    {
        QTemporaryDir dir;
        std::vector<OfficeJob> jobs;
        for (int i = 0; i < 12; ++i)
            jobs.push_back(job(dir.filePath(QStringLiteral("in/%1.docx").arg(i)),
                               dir.filePath(QStringLiteral("out/%1.pdf").arg(i))));
        OfficeCounts counts;
        counts.holdFirstStart = true;
        OfficePool pool(countedWorkers(counts));
        pool.Begin(jobs, 3);
        for (int i = 0; i < 12; ++i) {
            OfficeRender render;
            QVERIFY(pool.Take(i, render, {}));
            QCOMPARE(render.lErr, 0);
        }
        QCOMPARE(counts.renders.load(), 12);
        counts.release();
        pool.End();
    }

    void aLongListIsSortedOutInItsLength()
    {
        QTemporaryDir dir;
        std::vector<OfficeJob> jobs;
        for (int i = 0; i < 20000; ++i)
            jobs.push_back(job(dir.filePath(QStringLiteral("in/%1.docx").arg(i)),
                               dir.filePath(QStringLiteral("out/%1.pdf").arg(i))));
        OfficePool pool(instantWorkers());
        // Comparing every document with every earlier output took minutes,
        // past the test's time-out; how fast it is now is the benchmarks'.
        pool.Begin(std::move(jobs), 2);
        pool.End();
    }
};

QTEST_GUILESS_MAIN(TestOfficePoolOrder)
#include "test_office_pool_order.moc"
