#pragma once
// The main form: the toolbar, the tab strip with the task page (the task
// editor above the task grid) and the log page, the menus the frame shows
// for it, the command state, and the job, run and move commands. It shows
// and edits the shared MainFormState and runs jobs on its own JobEngine,
// filling the hooks both define.
#include "engine/JobEngine.h"
#include "jobs/JobFiles.h"
#include "scheduler/SchedulerWindowHooks.h"
#include "ui/CommandState.h"
#include "ui/FormUtilities.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class FlexGridView;
class MainFormState;
class Prompter;
class clsConversionOptions;
class QTimer;
class QAction;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class TaskEditor;
class frmMainMDI;
class frmScheduler;

// What later parts of the window plug into the main form. Each may be
// left empty; the command then does nothing.
struct MainFormCommands
{
    // The editor's option dialogs. The image options edit the option
    // string in place (left as it was on Cancel); the search options
    // dialog edits the form's search members and tells whether it changed
    // any.
    std::function<void(QString& sDataTransfer)> ShowConversionOptions;
    std::function<bool()> ShowRexhoundOptions;
    // The dialogs of the File and Conversion menus.
    std::function<void()> ShowProgramOptions;
    std::function<void()> ShowScheduler;
};

class frmMain : public QWidget
{
    Q_OBJECT
public:
    frmMain(MainFormState& form, frmMainMDI& frame);
    ~frmMain() override;

    MainFormState& form() { return m_form; }
    JobEngine& engine() { return m_engine; }
    MainFormCommands commands;

    // Controls.
    QToolBar* tbMain = nullptr;
    QToolButton* openButton = nullptr;   // the toolbar's Open with its drop-down
    QTabWidget* ts = nullptr;
    QWidget* frameCF[2] = {};
    TaskEditor* editor = nullptr;
    FlexGridView* fgToDo = nullptr;
    FlexGridView* fgLog = nullptr;
    // The form's menus, held in a menu bar of the form's own that the frame
    // shows in its place.
    QMenuBar* menus = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuConversion = nullptr;
    QMenu* mnuMoveConversionTask = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuPopup = nullptr;

    // A menu item by its name ("mnuPause"), a toolbar button by its key
    // ("keyPause"), a drop-down entry by its key ("KeySave").
    QAction* menuItem(const QString& name) const;
    QAction* toolbarButton(const QString& key) const;
    QAction* dropDownEntry(const QString& key) const;
    const MRUMenu& mruMenu() const { return *m_mnuMRU; }

    // Everything the form sets up when it loads: the lists, the settings
    // as read (into the controls), the run state, the recent job files.
    void Form_Load();
    // As the form unloads: offers to save the job (False: the user chose
    // to save and the save did not happen; the form stays), lets the
    // office go and writes the settings.
    bool Form_Unload();

    void UpdateMenuToolbar();
    const CommandState& commandState() const { return m_state; }
    // True while the toolbar's Pause is enabled.
    bool bPauseEnabled() const;
    int selectedTab() const;   // 1 the task page, 2 the log page
    void SelectTab(int index);
    // Ctrl+Tab (shift 2) and Ctrl+Shift+Tab (shift 3) released.
    void Form_KeyUp(int keyCode, int shift);

    // Asks whether to save a changed job that holds a task or has a file
    // before it goes. False when the user chose to save and the job was not
    // saved (failed or cancelled): the caller must not go on.
    bool CheckToSaveFileBeforeErasing();

    // Job commands.
    void ConversionJobNew();
    // What the open did; NotFound also when the user kept the job on screen.
    JobLoadResult ConversionJobOpen(QString sPath = QString());
    bool ConversionJobSave();
    bool ConversionJobSaveAs();
    void SaveLogAsConversionJob();
    void mnuMRU_Click(int index);

    // Run commands.
    void ConversionJobBegin();
    void ConversionJobPause();
    void ConversionJobRewind();

    // Task moves (refused while a job runs or loads).
    enum class Move { Up, Down, First, Last };
    void MoveTask(Move move);

    // Task list editing: the editor's task added at the end of the job
    // (True when a row was added), written back into the selected row
    // (True when written or let pass), the selected row removed, one row
    // removed and the rest renumbered.
    bool AddFileToConvertGUI();
    bool ConversionJobUpdate();
    void RemoveActionItem();
    void RemoveAllFilesWithJobNumber(int lRow);

    // The checks before a run. False: the user cancelled storing the
    // edited task, or it was refused; the run does not start.
    bool bCheckToUpdateDirtyConversionItem();
    // True: the job has no task and the editor's could not be added.
    bool bCheckToZeroConversionItems();

    // The editor's option dialogs.
    void cmdAdvancedOptions_Click();
    void cmdAdvancedOptionsRexhound_Click();

    // The end-of-job blinker: ticks once a second, four times.
    QTimer* Timer1 = nullptr;
    void Timer1_Timer();
    // Flashes the frame when it is minimised (the desktop's attention
    // call); tests count it.
    std::function<void()> flashFrame;

    // Asks validation's questions.
    Prompter& prompter();
    void setPrompter(Prompter* prompter);   // nullptr: the window's own

    // True while the Convert command is running the job.
    bool isRunningJob() const { return m_runDepth > 0; }

    // The scheduler form, made when the form loads; its schedule runs the
    // job files through this form's Open and Convert.
    frmScheduler* frmSched() const { return m_frmSched.get(); }

signals:
    // A run started from the window has ended.
    void runEnded();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void buildToolbar();
    void installHooks();
    void removeHooks();
    void ts_Click();
    void rbActionToDo_Click(int index);
    void fgToDo_EnterCell();
    bool fgToDo_LeaveCell();
    // The editor's task, validated; False when it was refused.
    bool collectValidatedTask(clsConversionOptions& options);
    void fgToDo_DblClick();
    // Loads the current row into the editor, which then holds that row's
    // task unchanged; the header and the "*" row leave it as it is.
    void showRowInEditor();
    // After whatever moved the current row: the editor shows its task,
    // unless it holds an edit not yet written, which stays with the row it
    // came from.
    void showCurrentRowInEditor();
    // The status bar as before any run: no run state, picture or error.
    void clearRunStatus();
    // The task row the editor's task came from, which Update writes; 0 when
    // there is none, or that row no longer holds the task it held.
    int editorRow() const;
    void rememberEditorRow(int row);
    // The editor was filled with its row's task, or wrote it: what it holds
    // now is compared with that.
    void rememberEditorState();
    // True while the editor holds a change not yet written: marked changed,
    // and not back to what it was filled with.
    bool editorHoldsEdit() const;
    void applyCommandState(const CommandState& state);
    void setCaption(const QString& caption);
    void addToRecentJobs(const QString& path);
    void openWebPage(const QString& address);
    void releaseWordControl();
    void LoadSchedulerForm();
    SchedulerWindow schedulerWindow();

    QAction* addMenuItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut,
                         std::function<void()> command);

    MainFormState& m_form;
    frmMainMDI& m_frame;
    JobEngine m_engine;
    CommandState m_state;
    QHash<QString, QAction*> m_menuItems;
    QHash<QString, QAction*> m_toolbarButtons;
    QHash<QString, QAction*> m_dropDownEntries;
    std::unique_ptr<MRUMenu> m_mnuMRU;
    bool m_firstOpenDialog = true;
    int m_runDepth = 0;
    int m_editorRow = 0;
    QStringList m_editorRowTexts;   // that row as it was shown or written
    QStringList m_editorState;      // the editor as it was then
    long m_blinkCount = 0;
    std::unique_ptr<Prompter> m_ownPrompter;
    Prompter* m_prompter = nullptr;
    std::unique_ptr<frmScheduler> m_frmSched;
};
