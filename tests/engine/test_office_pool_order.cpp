// The office pool's order rule without an office: a document whose input is
// an earlier document's output (by its name, or as the same file under
// another name) is left to its turn instead of being rendered ahead, and
// telling that costs a long list no more than its length.
#include "engine/OfficePool.h"

#include "core/clsConversionOptions.h"
#include "TestUtil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
