// Saves and loads a 30,000-task job file and reads the same file line by
// line with the standard library, then prints the times and their ratios.
// Each figure is the best of several rounds, so that a busy machine skews
// the ratio less.
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace {

constexpr int kTasks = 30000;
constexpr double kTargetRatio = 3.0;

double bestMilliseconds(int rounds, const std::function<void()>& run)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

// Task rows like a real job: a conversion with options, a search and
// replace, a launch, in turn.
void fillJob(FlexGrid& grid)
{
    SetUpToDoGrid(grid);
    for (int k = 1; k <= kTasks; ++k) {
        QString row;
        switch (k % 3) {
        case 0:
            row = QStringLiteral("1-3^0^FALSE^75^300^0^0^1^\tRD\t%1\tC\t/home/ann/Documents/reports/2024/"
                                 "quarter %1/*.docx\t13\tDOCX\t/home/ann/Pictures/out/%1/*.png\t8\tpng\t")
                      .arg(k);
            break;
        case 1:
            row = QStringLiteral("\tXDZ          Find{{colou?r (\\d+)}}Replace{{color $1}}\t%1\tS56\t"
                                 "/srv/texts/batch-%1/*.txt\t1\tTXT\t/srv/texts/out-%1/*.txt\t1\tTXT\t")
                      .arg(k);
            break;
        default:
            row = QStringLiteral("\tT32 S1 W-1\t%1\tS60\t/usr/bin/convert-helper\t-12345678\t\t"
                                 "--input /srv/in/%1 --quiet\t-12345678\t\t")
                      .arg(k);
            break;
        }
        grid.AddItem(row, grid.Rows() - 1);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }
    const QString path = dir.filePath(QStringLiteral("bench.krj"));

    MainFormState form;
    fillJob(form.fgToDo);
    bool ok = true;
    const double saveMs = bestMilliseconds(rounds, [&] {
        ok = SaveConversionJobFile(form, path, form.fgToDo) && ok;
    });
    const qint64 bytes = QFile(path).size();

    MainFormState loaded;
    JobLoadResult result = JobLoadResult::Failed;
    const double loadMs = bestMilliseconds(rounds, [&] {
        result = LoadConversionJobFile(loaded, path, 1, loaded.fgToDo);
    });
    ok = ok && result == JobLoadResult::Partial && loaded.fgToDo.Rows() == kJobSliceTasks + 3;

    const std::string nativePath = QFile::encodeName(path).toStdString();
    size_t lines = 0;
    const double readMs = bestMilliseconds(rounds, [&] {
        std::ifstream in(nativePath, std::ios::binary);
        std::string line;
        lines = 0;
        while (std::getline(in, line))
            ++lines;
    });
    ok = ok && lines == size_t(kTasks) + 1;

    const double ratio = loadMs / readMs;
    std::printf("job file: %d tasks, %lld bytes, best of %d rounds\n", kTasks, (long long)bytes, rounds);
    std::printf("save (SaveConversionJobFile):        %8.2f ms\n", saveMs);
    std::printf("load (LoadConversionJobFile):        %8.2f ms\n", loadMs);
    std::printf("plain line-by-line read (getline):   %8.2f ms\n", readMs);
    std::printf("load / plain read:                   %8.2f   (target: at most %.0f)\n", ratio, kTargetRatio);
    std::printf("save / plain read:                   %8.2f\n", saveMs / readMs);
    if (!ok) {
        std::fprintf(stderr, "the job did not save and load as expected (rows %d, lines %zu, result %d)\n",
                     loaded.fgToDo.Rows(), lines, int(result));
        return 2;
    }
    return ratio <= kTargetRatio ? 0 : 1;
}
