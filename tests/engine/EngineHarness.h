#pragma once
// A main form's state and its engine with the window's hooks recorded, for
// the engine tests. Global modes are put back when the harness goes.
#include "core/Globals.h"
#include "core/clsConversionOptions.h"
#include "engine/JobLoop.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

// The image format of a file as ImageMagick's identify reads it from the
// bytes ("PNG"); empty when it cannot.
inline QString identifiedFormat(const QString& path)
{
    QProcess identify;
    identify.start(QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%m"), path});
    if (!identify.waitForFinished(30000) || identify.exitCode() != 0)
        return QString();
    return QString::fromLatin1(identify.readAllStandardOutput()).trimmed();
}

class EngineHarness
{
public:
    EngineHarness()
    {
        G_bCommandLineMode = false;
        G_bAutomationMode = false;
        G_bSuppressControlEvents = false;
        form.hooks.SetStatusPanelText = [this](int panel, const QString& text) { panels[panel] = text; };
        form.hooks.UpdateMenuToolbar = [this] { ++menuUpdates; };
        form.hooks.DoEvents = [this] {
            if (onDoEvents)
                onDoEvents();
        };
        engine.hooks.SetEndOfJobTimer = [this](bool enabled) { timerEnabled = enabled; };
        engine.hooks.SetRunStatePicture = [this](int image) { runStatePicture = image; };
        engine.hooks.ShowRunError = [this](const QString& text) { shownErrors << text; };
        engine.tickCount = [this] { return clock; };
        // One office per test executable; the pool's own tests ask for more.
        engine.SetOfficeWorkers(1);
    }
    ~EngineHarness()
    {
        G_bCommandLineMode = false;
        G_bAutomationMode = false;
        G_bSuppressControlEvents = false;
    }
    EngineHarness(const EngineHarness&) = delete;
    EngineHarness& operator=(const EngineHarness&) = delete;

    // Adds a task row above the new-task row; cells as a job file line holds them.
    void addTask(const QString& input, const QString& output = QStringLiteral("/out/*.png"),
                 const QString& action = QStringLiteral("C"), const QString& pass = QString(),
                 const QString& outputType = QStringLiteral("8"), const QString& flags = QString())
    {
        FlexGrid& grid = form.fgToDo;
        const int row = grid.Rows() - 1;
        grid.AddItem(QStringList{QStringLiteral("*^0^FALSE^75^100^0^0^0^"), flags, QString::number(row),
                                 action, input, QStringLiteral("12"), QString(), output, outputType,
                                 QStringLiteral("png"), pass}
                         .join(u'\t'),
                     row);
    }

    QStringList passMarks() const
    {
        QStringList marks;
        for (int r = 1; r < form.fgToDo.Rows() - 1; ++r)
            marks << form.fgToDo.TextMatrix(r, todocol::Pass);
        return marks;
    }

    int logRows() const { return form.fgLog.Rows() - 2; }

    // A new case of a test that keeps one harness (and its office): the
    // form's settings of a first run, the hooks kept, a run under way.
    void startFromFirstRun()
    {
        const MainFormHooks kept = form.hooks;
        form = MainFormState();
        form.hooks = kept;
        form.bRunning = true;
        onDoEvents = nullptr;
    }

    MainFormState form;
    JobEngine engine{form};
    QMap<int, QString> panels;
    int menuUpdates = 0;
    bool timerEnabled = false;
    int runStatePicture = -1;
    QStringList shownErrors;
    qint64 clock = 1000;
    std::function<void()> onDoEvents;
};
