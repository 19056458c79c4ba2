#include "CommandState.h"

#include "core/Globals.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"

CommandFacts FactsOfForm(const MainFormState& form, int lResumeFileIndex, int selectedTab, bool bSchedularEnabled)
{
    CommandFacts f;
    f.bRunning = form.bRunning;
    f.bLoadingJobFile = form.bLoadingJobFile;
    f.bSchedularEnabled = bSchedularEnabled;
    f.bSuppressControlEvents = G_bSuppressControlEvents;
    f.bCurrentActionItemDirty = form.bCurrentActionItemDirty;
    f.lResumeFileIndex = lResumeFileIndex;
    f.toDoRows = form.fgToDo.Rows();
    f.toDoRow = form.fgToDo.Row();
    f.firstPassCell = form.fgToDo.TextMatrix(1, todocol::Pass);
    f.currentNumberCell = form.fgToDo.TextMatrix(form.fgToDo.Row(), todocol::Number);
    f.logRows = form.fgLog.Rows();
    f.selectedTab = selectedTab;
    return f;
}

CommandState UpdateMenuToolbar(const CommandFacts& f, const CommandState& previous)
{
    CommandState s = previous;
    const bool busy = f.bSchedularEnabled || f.bRunning || f.bLoadingJobFile;

    if (busy) {
        s.keyPause = true;
        s.keyConvert = s.keyRewind = s.keyAdd = s.keyRemove = s.keyUpdate = s.keyNew = s.keyOpen = false;
    } else {
        s.keyOpen = s.keyNew = s.keyConvert = true;
        s.keyPause = false;
        s.keyRewind = !f.firstPassCell.isEmpty() || f.lResumeFileIndex != 0;
        s.keyAdd = true;
        const bool taskRow = !f.currentNumberCell.isEmpty() && f.toDoRow < f.toDoRows - 1 && f.toDoRow > 0;
        s.keyRemove = taskRow;
        s.keyUpdate = taskRow && f.bCurrentActionItemDirty;
        if (f.selectedTab == 2)
            s.keyRemove = s.keyUpdate = s.keyAdd = false;
    }

    // Saving while the file is being read would write a part over the whole.
    s.KeySave = s.KeySaveAs = f.toDoRows > 1 && !f.bLoadingJobFile;
    // One task: nothing to remove it for, and a run repeats it anyway.
    if (f.toDoRows == 3)
        s.keyRewind = s.keyRemove = false;

    if (!busy && !f.bSuppressControlEvents) {
        const int rows = f.toDoRows;
        const int row = f.toDoRow;
        if (rows < 4 || row == rows - 1) {
            s.mnuMoveConversionTask = false;
            s.mnuPopupMoveUp = s.mnuPopupMoveDown = false;
        } else if (row == 1) {
            s.mnuMoveConversionTask = true;
            s.mnuMoveUp = s.mnuPopupMoveUp = false;
            s.mnuMoveDown = s.mnuPopupMoveDown = true;
        } else if (row < rows - 2) {
            s.mnuMoveConversionTask = true;
            s.mnuMoveUp = s.mnuPopupMoveUp = s.mnuMoveDown = s.mnuPopupMoveDown = true;
        } else {
            s.mnuMoveConversionTask = true;
            s.mnuMoveUp = s.mnuPopupMoveUp = true;
            s.mnuMoveDown = s.mnuPopupMoveDown = false;
        }
    }
    s.moveCommands = !busy;

    s.mnuPopupDelete = s.keyRemove;
    s.KeySaveLogAsConversionJob = f.logRows > 2;

    s.mnuSaveLogAsConversionJob = s.KeySaveLogAsConversionJob;
    s.mnuSaveConversionJob = s.KeySave;
    s.mnuSaveConversionJobAs = s.KeySaveAs;
    s.mnuNewConversionJob = s.keyNew;
    s.mnuBeginConversionJob = s.keyConvert;
    s.mnuAddConversionJob = s.keyAdd;
    s.mnuRemoveConversionJob = s.keyRemove;
    s.mnuUpdateConversionJob = s.keyUpdate;
    s.mnuPause = s.keyPause;
    s.mnuRewindConversionJob = s.keyRewind;
    // Opening another job replaces the one that is running or loading.
    s.KeyOpen = s.mnuOpenConversionJob = s.mnuMRU = s.keyOpen;

    s.cmdUpdate = s.mnuUpdateConversionJob;
    s.cmdRemove = s.mnuRemoveConversionJob;
    s.cmdAdd = s.mnuAddConversionJob;
    s.cmdPause = s.mnuPause;
    return s;
}
