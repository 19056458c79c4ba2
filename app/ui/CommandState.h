#pragma once
// Which commands of the main form the user may give: a pure function from
// the facts of the moment (run state, schedule, grids, editor, tab) to the
// enabled state of every toolbar button, menu item and editor command
// button and the visibility of the move items. Nothing is tracked: every
// change of a fact recomputes the whole state (frmMain::UpdateMenuToolbar
// gathers the facts and applies the result to the widgets).
#include <QString>

class MainFormState;

struct CommandFacts
{
    bool bRunning = false;
    bool bLoadingJobFile = false;       // a job file is being read (bRunning is True then too)
    bool bSchedularEnabled = false;
    bool bSuppressControlEvents = false;
    bool bCurrentActionItemDirty = false;
    int lResumeFileIndex = 0;
    int toDoRows = 2;                   // fgToDo.Rows: header, tasks, the "*" row
    int toDoRow = 1;                    // fgToDo.Row
    QString firstPassCell;              // fgToDo(1, 10)
    QString currentNumberCell;          // fgToDo(Row, 2)
    int logRows = 2;                    // fgLog.Rows: header, log rows, one empty row
    int selectedTab = 1;                // 1 the task page, 2 the log page

    bool operator==(const CommandFacts&) const = default;
};

// The facts of the form as it stands.
CommandFacts FactsOfForm(const MainFormState& form, int lResumeFileIndex, int selectedTab, bool bSchedularEnabled);

// Field names are the commands' own: toolbar keys, drop-down keys, menu
// items and command buttons. The values of a default CommandState are the
// form's state before any code runs (everything enabled and visible, the
// save entries disabled).
struct CommandState
{
    // Toolbar buttons.
    bool keyNew = true;
    bool keyOpen = true;
    bool keyAdd = true;
    bool keyRemove = true;
    bool keyUpdate = true;
    bool keyConvert = true;
    bool keyPause = true;
    bool keyRewind = true;
    // Entries of the Open button's drop-down.
    bool KeySave = false;
    bool KeySaveAs = false;
    bool KeyOpen = true;
    bool KeySaveLogAsConversionJob = false;
    // Menu items (enabled).
    bool mnuNewConversionJob = true;
    bool mnuOpenConversionJob = true;
    bool mnuMRU = true;                 // the recent job files of the File menu
    bool mnuSaveConversionJob = false;
    bool mnuSaveConversionJobAs = false;
    bool mnuSaveLogAsConversionJob = false;
    bool mnuBeginConversionJob = true;
    bool mnuAddConversionJob = true;
    bool mnuRemoveConversionJob = true;
    bool mnuUpdateConversionJob = true;
    bool mnuPause = true;
    bool mnuRewindConversionJob = true;
    bool mnuPopupDelete = true;
    bool moveCommands = true;           // the move items of both menus can act
    // Move items (visible).
    bool mnuMoveConversionTask = true;
    bool mnuMoveUp = true;              // with mnuMoveFirst
    bool mnuMoveDown = true;            // with mnuMoveLast
    bool mnuPopupMoveUp = true;         // with mnuPopupMoveFirst
    bool mnuPopupMoveDown = true;       // with mnuPopupMoveLast
    // Command buttons under the task editor.
    bool cmdAdd = true;
    bool cmdRemove = true;
    bool cmdUpdate = true;
    bool cmdPause = true;

    bool operator==(const CommandState&) const = default;
};

// The command state for the facts. `previous` is the state shown now: the
// move items keep its visibility while the job is busy or controls are
// being filled.
//
// Busy (a run, a job file loading, or an active schedule) leaves only
// Pause among the buttons. Save and Save As need a grid with rows and no
// job file loading (a save then would write a half-read grid over the
// file); while a job runs they stay. Open and the recent files are refused
// while busy. Remove and Update need a task row; the log page refuses Add,
// Remove and Update; a job of one task refuses Remove and Rewind.
CommandState UpdateMenuToolbar(const CommandFacts& facts, const CommandState& previous);
