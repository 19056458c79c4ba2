// Launch a program: the task's input names the program, its output holds
// the arguments; the program is started without a shell, waited for while
// the window stays live, and its exit code recorded.
#include "engine/LaunchProgram.h"

#include "core/FileSystem.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobEngine.h"
#include "engine/SpecialProcess.h"
#include "jobs/MainFormState.h"
#include "process/LaunchedProgram.h"
#include "process/ShellWords.h"

#include <algorithm>

namespace {

// Longest single wait between two looks at the window and at Pause.
constexpr int kWaitStepMs = 100;

} // namespace

std::optional<int> NiceValueForPriority(int lPriorityFlags)
{
    if (lPriorityFlags & 0x100)    // realtime
        return -20;
    if (lPriorityFlags & 0x80)     // high
        return -10;
    if (lPriorityFlags & 0x8000)   // above normal
        return -5;
    if (lPriorityFlags & 0x20)     // normal: as we run
        return std::nullopt;
    if (lPriorityFlags & 0x4000)   // below normal
        return 10;
    if (lPriorityFlags & 0x40)     // idle
        return 19;
    return std::nullopt;
}

int RunProgramAndWait(JobEngine& engine, const QString& sProgram, const QString& sArguments, int /*lWindowState*/,
                      int lPriorityFlags, int lWaitSeconds, int& lExitCode)
{
    MainFormState& form = engine.form;
    const QString program = ExpandPathMacros(sProgram);
    QStringList arguments;
    if (!SplitShellWords(ExpandPathMacros(sArguments), arguments)) {
        engine.sProcessNote = Translate(QStringLiteral("a quote in the arguments is not closed"));
        return specialcode::LaunchFailed;
    }

    LaunchedProgram launched;
    QString error;
    if (!launched.Start(program, arguments, NiceValueForPriority(lPriorityFlags), error)) {
        engine.sProcessNote = program + QStringLiteral(": ") + error;
        return specialcode::LaunchFailed;
    }
    if (!launched.PriorityNote().isEmpty())
        engine.sProcessNote = Translate(QStringLiteral("priority not raised")) + QStringLiteral(": ")
                              + launched.PriorityNote();

    const qint64 start = engine.tickCount();
    for (;;) {
        engine.ShowElapsed();
        const qint64 waited = engine.tickCount() - start;
        if (lWaitSeconds != -1 && double(waited) / 1000.0 > double(lWaitSeconds))
            break;
        form.DoEvents();
        const bool running = form.bRunning;
        int step = kWaitStepMs;
        if (lWaitSeconds != -1)
            step = int(std::clamp<qint64>(qint64(lWaitSeconds) * 1000 - waited + 1, 1, kWaitStepMs));
        if (launched.WaitForEnd(step) || !running)
            break;
    }
    // A program still running is left to run; it is collected when it ends.
    if (!launched.WaitForEnd(0))
        return specialcode::LaunchTimedOut;
    lExitCode = launched.ExitCode();
    return 0;
}

int PerformLaunchProgram(JobEngine& engine, clsConversionOptions& item)
{
    int exitCode = 0;
    const int r = RunProgramAndWait(engine, item.sOriginalFile, item.sTargetFile, item.lCommandLineWindowState,
                                    item.lCommandLineThreadPriority, item.lCommandLineWaitTime, exitCode);
    item.lCommandLineExitCode = exitCode;
    return r;
}
