#include "MainFormState.h"

#include "base/StopSignals.h"
#include "core/Globals.h"
#include "jobs/GridSetup.h"

#include <QCoreApplication>

MainFormState::MainFormState()
    : fgToDo(kToDoGridCols)
    , fgLog(kLogGridCols)
    , sRXHDReportFileName(G_sDataFolder + QStringLiteral("/SearchAndReplace.TSV"))
{
    SetUpToDoGrid(fgToDo);
    SetUpLogGrid(fgLog);
}

void MainFormState::UpdateMenuToolbar()
{
    if (hooks.UpdateMenuToolbar)
        hooks.UpdateMenuToolbar();
}

void MainFormState::DoEvents()
{
    if (hooks.DoEvents)
        hooks.DoEvents();
    else if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    // A stop signal pauses the run as the Pause command does.
    if (StopSignalNumber() != 0)
        bRunning = false;
}

void MainFormState::SetStatusPanelText(int panel, const QString& text)
{
    if (hooks.SetStatusPanelText)
        hooks.SetStatusPanelText(panel, text);
}

bool MainFormState::AddFileToConvertGUI()
{
    return hooks.AddFileToConvertGUI ? hooks.AddFileToConvertGUI() : false;
}
