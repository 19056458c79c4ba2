#pragma once
// The main form: the toolbar, the tab strip with the task page (the task
// editor above the task grid) and the log page, the menus the frame shows
// for it, the command state, and the job, run and move commands. It shows
// and edits the shared MainFormState and runs jobs on its own JobEngine,
// filling the hooks both define.
#include "engine/JobEngine.h"
#include "ui/CommandState.h"
#include "ui/FormUtilities.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class FlexGridView;
class MainFormState;
class QAction;
class QMenu;
class QMenuBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class TaskEditor;
class frmMainMDI;

// What later parts of the window plug into the main form. Each may be
// left empty; the command then does nothing.
struct MainFormCommands
{
    // The editor's task row commands (the toolbar's Delete and Update,
    // the grid's pop-up Delete, a double click in the task grid).
    std::function<void()> RemoveActionItem;
    std::function<void()> ConversionJobUpdate;
    std::function<void()> cmdAdvancedOptions_Click;
    // Reloads the editor from the task row just entered.
    std::function<void()> LoadTaskRowIntoEditor;
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
    void ConversionJobOpen(QString sPath = QString());
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

    // True while the Convert command is running the job.
    bool isRunningJob() const { return m_runDepth > 0; }

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
    void applyCommandState(const CommandState& state);
    void setCaption(const QString& caption);
    void addToRecentJobs(const QString& path);
    void openWebPage(const QString& address);
    void releaseWordControl();

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
};
