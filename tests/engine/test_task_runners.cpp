// Task blocks over a temporary tree of input files, with the item runners
// replaced by fakes that record what each item was given.
#include "EngineHarness.h"
#include "../special/SpecialTestSupport.h"
#include "TestUtil.h"

#include "engine/ConversionItem.h"
#include "core/FileTypes.h"
#include "engine/LogRows.h"
#include "engine/TaskRunners.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

struct ItemCall
{
    QString input;
    QString output;
    QString subFolder;
    int targetType = 0;
    QString options;
    QString progress;
};

// A temporary tree; "@" in a path stands for its root.
class Tree
{
public:
    QString at(QString path) const { return path.replace(u'@', m_dir.path()); }
    void files(const QStringList& paths) const
    {
        for (const QString& p : paths) {
            const QString full = at(p);
            QDir().mkpath(QFileInfo(full).path());
            QVERIFY(testutil::writeFile(full, "data"));
        }
    }
    QStringList at(const QStringList& paths) const
    {
        QStringList out;
        for (const QString& p : paths)
            out << at(p);
        return out;
    }

private:
    QTemporaryDir m_dir;
};

// Records every item; a behaviour keyed by the input's file name answers.
class FakeItems
{
public:
    explicit FakeItems(EngineHarness& h) : m_h(h)
    {
        const auto record = [this](clsConversionOptions& item) {
            calls << ItemCall{item.sOriginalFile, item.sTargetFile, item.sSubFolder, item.lTargetFileType,
                              item.sExtraParams, m_h.panels[statuspanel::RunState]};
            const auto behaviour = behaviours.value(QFileInfo(item.sOriginalFile).fileName());
            return behaviour ? behaviour(item) : 0;
        };
        h.engine.performConversionItem = record;
        h.engine.performSpecialProcessItem = record;
    }

    QStringList inputs() const
    {
        QStringList out;
        for (const ItemCall& c : calls)
            out << c.input;
        return out;
    }
    QStringList outputs() const
    {
        QStringList out;
        for (const ItemCall& c : calls)
            out << c.output;
        return out;
    }

    QList<ItemCall> calls;
    QMap<QString, std::function<int(clsConversionOptions&)>> behaviours;

private:
    EngineHarness& m_h;
};

int fail(clsConversionOptions& item, int code, const QString& message)
{
    item.lErr = code;
    item.sErr = message;
    return code;
}

clsConversionOptions conversionTask(const QString& input, const QString& output, int outputType = filetype::Png,
                                    bool subFolders = true)
{
    clsConversionOptions task;
    task.sActionToDo = QStringLiteral("C");
    task.sOriginalFile = input;
    task.lOriginalFileType = filetype::Pdf;
    task.sTargetFile = output;
    task.lTargetFileType = outputType;
    task.bDoSubFolders = subFolders;
    task.sExtraParams = QStringLiteral("1-2^0^FALSE^75^100^0^0^0^");
    return task;
}

clsConversionOptions specialTask(int process, const QString& input, const QString& output)
{
    return specialtest::specialItem(process, input, output);
}

const QStringList kTreeFiles{"@/in/a.pdf", "@/in/s1/b.pdf", "@/in/s1/s2/c.pdf", "@/in/s1/skip.txt"};

// A tree of input files and a running engine whose items are faked.
struct BlockRig
{
    explicit BlockRig(const QStringList& files = {})
    {
        tree.files(files);
        h.form.bRunning = true;
    }
    Tree tree;
    EngineHarness h;
    FakeItems items{h};
};

} // namespace

class TestTaskRunners : public QObject
{
    Q_OBJECT

private slots:
    void init() { G_bCommandLineMode = false; }

    void outputPaths_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("subFolders");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<bool>("beside");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("subFolderTexts");

        QTest::newRow("sub-folders mirrored")
            << "@/in/*.pdf" << true << "@/out/*.png" << filetype::Png << false
            << QStringList{"@/out/a.png", "@/out/s1/b.png", "@/out/s1/s2/c.png"} << QStringList{"", "s1/", "s1/s2/"};
        QTest::newRow("without sub-folders")
            << "@/in/*.pdf" << false << "@/out/*.png" << filetype::Png << false << QStringList{"@/out/a.png"}
            << QStringList{""};
        QTest::newRow("text before the star starts every name")
            << "@/in/*.pdf" << true << "@/out/pre_*.png" << filetype::Png << false
            << QStringList{"@/out/pre_a.png", "@/out/s1/pre_b.png", "@/out/s1/s2/pre_c.png"}
            << QStringList{"", "s1/", "s1/s2/"};
        QTest::newRow("no extension in the name: the output type's")
            << "@/in/*.pdf" << false << "@/out.v2/*" << filetype::Jpeg << false << QStringList{"@/out.v2/a.jpg"}
            << QStringList{""};
        QTest::newRow("the name's extension wins over the type's")
            << "@/in/*.pdf" << false << "@/out/*.jpeg" << filetype::Jpeg << false << QStringList{"@/out/a.jpeg"}
            << QStringList{""};
        QTest::newRow("beside each input")
            << "@/in/*.pdf" << true << "@/in/*.tif" << filetype::Tiff << true
            << QStringList{"@/in/a.tif", "@/in/s1/b.tif", "@/in/s1/s2/c.tif"} << QStringList{"", "s1/", "s1/s2/"};
        QTest::newRow("mask letter case ignored")
            << "@/in/s1/*.PDF" << false << "@/out/*.png" << filetype::Png << false << QStringList{"@/out/b.png"}
            << QStringList{""};
    }

    void outputPaths()
    {
        QFETCH(QString, input);
        QFETCH(bool, subFolders);
        QFETCH(QString, output);
        QFETCH(int, outputType);
        QFETCH(bool, beside);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, subFolderTexts);
        BlockRig rig(kTreeFiles);
        auto& [tree, h, items] = rig;
        clsConversionOptions task = conversionTask(tree.at(input), tree.at(output), outputType, subFolders);
        task.bSaveInOriginalFolder = beside;

        QCOMPARE(PerformBlock(h.engine, 1, task), 0);

        QCOMPARE(items.outputs(), tree.at(expected));
        QStringList subs;
        for (const ItemCall& c : items.calls) {
            subs << c.subFolder;
            QCOMPARE(c.targetType, outputType);
            QCOMPARE(c.options, task.sExtraParams);
            // Every output's folder is there before its item runs.
            QVERIFY2(QFileInfo(c.output).dir().exists(), qPrintable(c.output));
        }
        QCOMPARE(subs, subFolderTexts);
        if (beside)
            QVERIFY(!QFileInfo::exists(tree.at("@/out")));
        QCOMPARE(h.logRows(), 0);
    }

    void failedItemsAreLoggedAndTheTaskGoesOn()
    {
        QStringList files;
        for (int k = 1; k <= 10; ++k)
            files << QStringLiteral("@/in/f%1.pdf").arg(k, 2, 10, QChar(u'0'));
        BlockRig rig(files);
        auto& [tree, h, items] = rig;
        items.behaviours["f02.pdf"] = [](clsConversionOptions& i) { return fail(i, -13, "save failed"); };
        items.behaviours["f05.pdf"] = [](clsConversionOptions& i) { return fail(i, -10, "open failed"); };
        items.behaviours["f09.pdf"] = [](clsConversionOptions& i) { return fail(i, -14, "image failed"); };
        h.addTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"), "C", QString(), "8", "R");
        clsConversionOptions task = conversionTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"));

        QCOMPARE(PerformBlock(h.engine, 1, task), -14);

        QCOMPARE(items.calls.size(), 10);
        QCOMPARE(task.lErr, -14);
        QCOMPARE(task.sErr, QStringLiteral("image failed"));
        QCOMPARE(h.logRows(), 3);
        const FlexGrid& log = h.form.fgLog;
        QCOMPARE(log.TextMatrix(2, todocol::Input), tree.at("@/in/f05.pdf"));
        QCOMPARE(log.TextMatrix(2, todocol::Output), tree.at("@/out/f05.png"));
        QCOMPARE(log.TextMatrix(2, todocol::Number), QStringLiteral("1"));
        QCOMPARE(log.TextMatrix(2, todocol::Flags), QStringLiteral("R"));
        QCOMPARE(log.TextMatrix(2, todocol::OutputTypeName), QStringLiteral("png"));
        QCOMPARE(log.TextMatrix(2, todocol::Status), QStringLiteral("open failed"));
        QCOMPARE(log.TextMatrix(2, todocol::Pass), QStringLiteral("-"));
        // Progress before the third file of ten.
        QCOMPARE(items.calls[2].progress, QStringLiteral(" 30.0 Percent Complete "));
    }

    void stopCodeEndsTheTask()
    {
        BlockRig rig({"@/in/a.pdf", "@/in/b.pdf", "@/in/c.pdf"});
        auto& [tree, h, items] = rig;
        items.behaviours["b.pdf"] = [](clsConversionOptions& i) { return fail(i, kStopJob, "stop"); };
        clsConversionOptions task = conversionTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"));

        QCOMPARE(PerformBlock(h.engine, 1, task), kStopJob);
        QCOMPARE(items.calls.size(), 2);
        QCOMPARE(h.logRows(), 1);
    }

    void inputsThatCannotBeListedOrMatchNothing()
    {
        BlockRig rig({"@/in/a.txt"});
        auto& [tree, h, items] = rig;
        clsConversionOptions none = conversionTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"));
        QCOMPARE(PerformBlock(h.engine, 1, none), 0);
        QCOMPARE(h.logRows(), 0);

        clsConversionOptions missing = conversionTask(tree.at("@/gone/*.pdf"), tree.at("@/out/*.png"));
        QCOMPARE(PerformBlock(h.engine, 2, missing), kListingFailed);
        QCOMPARE(h.logRows(), 1);
        QVERIFY(!h.form.fgLog.TextMatrix(1, todocol::Status).isEmpty());
        QVERIFY(items.calls.isEmpty());
    }

    // A task row whose "Do" names nothing (a hand-edited job) ran nothing:
    // it fails with the reason rather than pass.
    void taskWithoutAnActionFails()
    {
        BlockRig rig({"@/in/a.pdf"});
        auto& [tree, h, items] = rig;
        clsConversionOptions task = conversionTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"));
        task.sActionToDo = QStringLiteral("x");
        QCOMPARE(PerformBlock(h.engine, 1, task), kNoTaskAction);
        QVERIFY(items.calls.isEmpty());
        QCOMPARE(h.logRows(), 1);
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Status),
                 QStringLiteral("The task does not say what to do: its 'Do' is neither C (convert) nor S (special "
                                "process): 'x'"));
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Pass), QStringLiteral("-"));
    }

    void singleOutputRunsTheTaskItself()
    {
        BlockRig rig({"@/in/a.pdf"});
        auto& [tree, h, items] = rig;
        clsConversionOptions task = conversionTask(tree.at("@/in/a.pdf"), tree.at("@/new/deep/one.png"));
        items.behaviours["a.pdf"] = [](clsConversionOptions& i) { return fail(i, -10, "open failed"); };

        QCOMPARE(PerformBlock(h.engine, 1, task), -10);
        QCOMPARE(items.outputs(), QStringList{tree.at("@/new/deep/one.png")});
        QVERIFY(QFileInfo(tree.at("@/new/deep")).isDir());
        QCOMPARE(h.logRows(), 1);
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Status), QStringLiteral("open failed"));
    }

    void pauseStoresTheFirstUnfinishedFile_data()
    {
        QTest::addColumn<bool>("cutShort");
        QTest::addColumn<int>("resumeAt");
        QTest::newRow("pause between files") << false << 4;
        QTest::newRow("pause cut the third file short") << true << 3;
    }

    void pauseStoresTheFirstUnfinishedFile()
    {
        QFETCH(bool, cutShort);
        QFETCH(int, resumeAt);
        BlockRig rig({"@/in/1.pdf", "@/in/2.pdf", "@/in/3.pdf", "@/in/4.pdf", "@/in/5.pdf"});
        auto& [tree, h, items] = rig;
        items.behaviours["3.pdf"] = [&h = h, cutShort](clsConversionOptions&) {
            h.form.bRunning = false;
            h.engine.bItemInterrupted = cutShort;
            return 0;
        };
        clsConversionOptions task = conversionTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"));

        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(items.calls.size(), 3);
        QCOMPARE(h.engine.lResumeFileIndex, resumeAt);

        items.calls.clear();
        items.behaviours.clear();
        h.form.bRunning = true;
        clsConversionOptions again = conversionTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"));
        QCOMPARE(PerformBlock(h.engine, 1, again), 0);
        QCOMPARE(items.calls.first().input, tree.at(QStringLiteral("@/in/%1.pdf").arg(resumeAt)));
        QCOMPARE(items.calls.last().input, tree.at("@/in/5.pdf"));
        QCOMPARE(h.engine.lResumeFileIndex, 0);
    }

    void errorRaisedInAnItemBecomesItsResult()
    {
        BlockRig rig({"@/in/a.pdf", "@/in/b.pdf", "@/in/c.pdf"});
        auto& [tree, h, items] = rig;
        items.behaviours["b.pdf"] = [](clsConversionOptions&) -> int { throw std::runtime_error("no memory"); };
        clsConversionOptions task = conversionTask(tree.at("@/in/*.pdf"), tree.at("@/out/*.png"));

        QCOMPARE(PerformBlock(h.engine, 1, task), kItemRaisedError);
        QCOMPARE(items.calls.size(), 3);
        QCOMPARE(h.logRows(), 1);
        QVERIFY(h.form.fgLog.TextMatrix(1, todocol::Status).contains(QStringLiteral("no memory")));
    }

    void searchOptionsReachEveryFileOfATask()
    {
        BlockRig rig({"@/in/a.txt", "@/in/b.txt"});
        auto& [tree, h, items] = rig;
        QStringList seen;
        const auto options = [&](clsConversionOptions& i) {
            seen << QStringLiteral("%1%2%3%4%5%6%7 %8>%9")
                        .arg(i.bCaseSensitive)
                        .arg(i.bUseRegularExpression)
                        .arg(i.bRXHDWholeWordOnly)
                        .arg(i.bRXHDBeginningOfLine)
                        .arg(i.bRXHDEndOfLine)
                        .arg(i.bRXHDMultiLine)
                        .arg(i.bRXHDGenerateReportWhenDone)
                        .arg(i.sFindString, i.sReplaceString);
            return 0;
        };
        items.behaviours["a.txt"] = options;
        items.behaviours["b.txt"] = options;
        clsConversionOptions task = specialTask(56, tree.at("@/in/*.txt"), tree.at("@/out/*.txt"));
        task.bCaseSensitive = task.bUseRegularExpression = task.bRXHDWholeWordOnly = true;
        task.bRXHDBeginningOfLine = task.bRXHDEndOfLine = task.bRXHDMultiLine = true;
        task.bRXHDGenerateReportWhenDone = true;
        task.sFindString = QStringLiteral("x");
        task.sReplaceString = QStringLiteral("y");

        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(seen, (QStringList{"1111111 x>y", "1111111 x>y"}));
    }

    void appendPassesOverItsOwnOutput()
    {
        BlockRig rig({"@/in/a.txt", "@/in/b.txt", "@/in/all.txt"});
        auto& [tree, h, items] = rig;
        // Another spelling of a path among the inputs is still that file.
        clsConversionOptions task = specialTask(50, tree.at("@/in/*.txt"), tree.at("@/in/./all.txt"));

        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(items.inputs(), tree.at(QStringList{"@/in/a.txt", "@/in/b.txt"}));
        QCOMPARE(items.outputs(), (QStringList{task.sTargetFile, task.sTargetFile}));
        QCOMPARE(h.logRows(), 0);
    }

    void launchedProgramGetsAnExitCodeRow_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mark");
        QTest::newRow("exit 0") << 0 << "+";
        QTest::newRow("exit 3") << 3 << "-";
    }

    void launchedProgramGetsAnExitCodeRow()
    {
        QFETCH(int, exitCode);
        QFETCH(QString, mark);
        EngineHarness h;
        FakeItems items(h);
        h.form.bRunning = true;
        items.behaviours["tool"] = [&](clsConversionOptions& i) {
            i.lCommandLineExitCode = exitCode;
            return 0;
        };
        clsConversionOptions task = specialTask(60, "/opt/tool", "--all");

        QCOMPARE(PerformBlock(h.engine, 1, task), 0);
        QCOMPARE(h.logRows(), 1);
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Status), QStringLiteral("Exit Code: %1").arg(exitCode));
        QCOMPARE(h.form.fgLog.TextMatrix(1, todocol::Pass), mark);
    }
};

QTEST_GUILESS_MAIN(TestTaskRunners)
#include "test_task_runners.moc"
