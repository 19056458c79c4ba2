#include "frmMain.h"

#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"
#include "engine/WordRoute.h"
#include "engine/JobLoop.h"
#include "engine/LogRows.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormSettings.h"
#include "jobs/MainFormState.h"
#include "scheduler/frmScheduler.h"
#include "ui/GridView.h"
#include "ui/MainFormLayout.h"
#include "ui/OptionDialogs.h"
#include "ui/FormTranslation.h"
#include "ui/TaskEditor.h"
#include "ui/frmMainMDI.h"
#include "ui/frmPromptWithDisableOption.h"
#include "base/Prompter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

Qt::CheckState checkState(int value)
{
    switch (value) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

int checkValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void selectIndex(QComboBox* box, int index)
{
    if (index >= -1 && index < box->count())
        box->setCurrentIndex(index);
}

} // namespace

frmMain::frmMain(MainFormState& form, frmMainMDI& frame)
    : m_form(form)
    , m_frame(frame)
    , m_engine(form)
{
    setObjectName(QStringLiteral("frmMain"));
    buildWidgets();
    buildMenus();
    buildToolbar();
    installHooks();
}

frmMain::~frmMain()
{
    // The engine's hooks reach the scheduler form, which goes first.
    m_engine.hooks.bSchedularEnabled = {};
    m_engine.hooks.StopSchedule = {};
    m_frmSched.reset();
    removeHooks();
}

Prompter& frmMain::prompter()
{
    if (m_prompter)
        return *m_prompter;
    if (!m_ownPrompter)
        m_ownPrompter = std::make_unique<WindowPrompter>();
    return *m_ownPrompter;
}

void frmMain::setPrompter(Prompter* prompter)
{
    m_prompter = prompter;
}

void frmMain::buildWidgets()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    tbMain = new QToolBar(this);
    tbMain->setObjectName(QStringLiteral("tbMain"));
    tbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbMain->setIconSize(QSize(24, 24));
    column->addWidget(tbMain);

    ts = new QTabWidget(this);
    ts->setObjectName(QStringLiteral("ts"));
    ts->setDocumentMode(true);
    column->addWidget(ts, 1);

    frameCF[0] = new QWidget;
    frameCF[0]->setObjectName(QStringLiteral("frameCF0"));
    auto* taskPage = new QVBoxLayout(frameCF[0]);
    taskPage->setContentsMargins(4, 4, 4, 4);
    editor = new TaskEditor(m_form, frameCF[0]);
    taskPage->addWidget(editor);
    fgToDo = new FlexGridView(m_form.fgToDo, frameCF[0]);
    fgToDo->setObjectName(QStringLiteral("fgToDo"));
    fgToDo->setStretch(FlexGridView::Stretch::ToDoFileColumns);
    // Three tasks and the new-task row, whichever panel the editor shows.
    fgToDo->setMinimumRows(4);
    fgToDo->setAccessibleName(QStringLiteral("Conversion tasks"));
    fgToDo->setContextMenuPolicy(Qt::CustomContextMenu);
    taskPage->addWidget(fgToDo, 1);

    frameCF[1] = new QWidget;
    frameCF[1]->setObjectName(QStringLiteral("frameCF1"));
    auto* logPage = new QVBoxLayout(frameCF[1]);
    logPage->setContentsMargins(4, 4, 4, 4);
    fgLog = new FlexGridView(m_form.fgLog, frameCF[1]);
    fgLog->setObjectName(QStringLiteral("fgLog"));
    fgLog->setStretch(FlexGridView::Stretch::LogStatusColumn);
    fgLog->setAccessibleName(QStringLiteral("Log"));
    logPage->addWidget(fgLog, 1);

    ts->addTab(frameCF[0], style()->standardIcon(QStyle::SP_FileDialogDetailedView),
               QStringLiteral("Select Files/Folders"));
    ts->addTab(frameCF[1], style()->standardIcon(QStyle::SP_FileDialogInfoView), QStringLiteral("Log"));
    connect(ts, &QTabWidget::currentChanged, this, [this] { ts_Click(); });

    connect(fgToDo, &FlexGridView::rowEntered, this, [this] { fgToDo_EnterCell(); });
    connect(fgToDo, &FlexGridView::moveUpKey, this, [this] { MoveTask(Move::Up); });
    connect(fgToDo, &FlexGridView::moveDownKey, this, [this] { MoveTask(Move::Down); });
    connect(fgToDo, &QAbstractItemView::doubleClicked, this, [this] { fgToDo_DblClick(); });
    fgToDo->leaveRow = [this](int) { return fgToDo_LeaveCell(); };
    connect(fgToDo, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        fgToDo->setFocus();
        mnuPopup->popup(fgToDo->viewport()->mapToGlobal(at));
    });
    connect(fgLog, &FlexGridView::rowEntered, this, [this] {
        if (!m_form.bRunning && !G_bSuppressControlEvents)
            SelectWholeGridRow(m_form.fgLog);
    });

    connect(editor, &TaskEditor::rbActionToDoClicked, this, &frmMain::rbActionToDo_Click);
    connect(editor->cmdAdvancedOptions, &QPushButton::clicked, this, [this] { cmdAdvancedOptions_Click(); });
    connect(editor->cmdAdvancedOptionsRexhound, &QPushButton::clicked, this,
            [this] { cmdAdvancedOptionsRexhound_Click(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    flashFrame = [this] { QApplication::alert(&m_frame); };
    connect(editor->cbAddPageBrake, &QCheckBox::toggled, this, [this](bool on) { m_form.cbAddPageBrake = on; });
    connect(editor->cbPlacePathAtTopOfEachFile, &QCheckBox::toggled, this,
            [this](bool on) { m_form.cbPlacePathAtTopOfEachFile = on; });
}

void frmMain::installHooks()
{
    MainFormHooks& h = m_form.hooks;
    h.UpdateMenuToolbar = [this] { UpdateMenuToolbar(); };
    h.DoEvents = [] { QCoreApplication::processEvents(QEventLoop::AllEvents); };
    h.SetStatusPanelText = [this](int panel, const QString& text) { m_frame.SetStatusPanelText(panel, text); };
    h.ApplyGridColumnWidths = [this](const MainFormControlSettings& c) {
        for (int col : kLogHiddenColumns)
            fgLog->setColumnWidthTwips(col, 0);
        for (size_t i = 0; i < kLogKeptColumns.size(); ++i)
            fgLog->setColumnWidthTwips(kLogKeptColumns[i], c.fgLogColWidth[i]);
        for (int col : kToDoHiddenColumns)
            fgToDo->setColumnWidthTwips(col, 0);
        for (size_t i = 0; i < kToDoKeptColumns.size(); ++i)
            fgToDo->setColumnWidthTwips(kToDoKeptColumns[i], c.fgToDoColWidth[i]);
        fgLog->layoutColumns();
        fgToDo->layoutColumns();
    };
    h.FillComboFromMRU = [this](const clsMRU& list) {
        if (QComboBox* box = editor->comboOfList(list.Name()))
            FillComboFromMRU(box, list);
    };
    h.ApplyEditorChoices = [this](const MainFormControlSettings& c) {
        selectIndex(editor->cbSpecialProcesses, c.cbSpecialProcessesListIndex);
        selectIndex(editor->cbCommandLineWindowState, c.cbCommandLineWindowStateListIndex);
        selectIndex(editor->cbCommandLineThreadPriority, c.cbCommandLineThreadPriorityListIndex);
        editor->txtCommandLineWaitTimeInSeconds->setText(c.txtCommandLineWaitTimeInSeconds);
    };
    h.RefreshConvertOptionsGUI = [this] { editor->RefreshConvertOptionsGUI(); };
    h.GetOptionsFromGUI = [this](clsConversionOptions& options) { editor->GetOptionsFromGUI(options); };
    h.AddFileToConvertGUI = [this] { return AddFileToConvertGUI(); };
    h.ApplyTypeChoices = [this](const MainFormControlSettings& c) {
        selectIndex(editor->cbFileTypeTarget, c.cbFileTypeTargetListIndex);
        menuItem(QStringLiteral("mnuBeginConversionJob"))->setEnabled(true);
        toolbarButton(QStringLiteral("keyConvert"))->setEnabled(true);
        selectIndex(editor->cbFileTypeOriginal, c.cbFileTypeOriginalListIndex);
        editor->cbDoSubfolders->setCheckState(checkState(c.cbDoSubfolders));
        editor->cbDoSubfoldersSpecialized->setCheckState(checkState(c.cbDoSubfoldersSpecialized));
        selectIndex(editor->cbFileTypeOriginalSpecialized, c.cbFileTypeOriginalSpecializedListIndex);
    };
    h.MaximiseMainForm = [this] {
        if (QMdiSubWindow* window = m_frame.mainFormWindow())
            window->showMaximized();
    };
    h.ReadControlSettings = [this](MainFormControlSettings& c) {
        for (size_t i = 0; i < kLogKeptColumns.size(); ++i)
            c.fgLogColWidth[i] = fgLog->columnWidthTwips(kLogKeptColumns[i]);
        for (size_t i = 0; i < kToDoKeptColumns.size(); ++i)
            c.fgToDoColWidth[i] = fgToDo->columnWidthTwips(kToDoKeptColumns[i]);
        c.cbSpecialProcessesListIndex = editor->cbSpecialProcesses->currentIndex();
        c.cbCommandLineWindowStateListIndex = editor->cbCommandLineWindowState->currentIndex();
        c.cbCommandLineThreadPriorityListIndex = editor->cbCommandLineThreadPriority->currentIndex();
        c.txtCommandLineWaitTimeInSeconds = editor->txtCommandLineWaitTimeInSeconds->text();
        c.cbFileTypeTargetListIndex = editor->cbFileTypeTarget->currentIndex();
        c.cbFileTypeOriginalListIndex = editor->cbFileTypeOriginal->currentIndex();
        c.cbDoSubfolders = checkValue(editor->cbDoSubfolders);
        c.cbDoSubfoldersSpecialized = checkValue(editor->cbDoSubfoldersSpecialized);
        c.cbFileTypeOriginalSpecializedListIndex = editor->cbFileTypeOriginalSpecialized->currentIndex();
    };

    JobWindowHooks& j = m_engine.hooks;
    j.bPauseEnabled = [this] { return bPauseEnabled(); };
    j.SetRunStatePicture = [this](int image) { m_frame.SetRunStatePicture(image, CountFailedLogRows(m_form.fgLog)); };
    j.FocusTaskGrid = [this] { fgToDo->setFocus(); };
    j.bCheckToUpdateDirtyConversionItem = [this] { return bCheckToUpdateDirtyConversionItem(); };
    j.bCheckToZeroConversionItems = [this] { return bCheckToZeroConversionItems(); };
    j.SetEndOfJobTimer = [this](bool enabled) {
        if (enabled)
            Timer1->start();
        else
            Timer1->stop();
    };
}

void frmMain::removeHooks()
{
    m_form.hooks = MainFormHooks();
}

void frmMain::Form_Load()
{
    // The grids were set up with the shared state, and the settings read at
    // start (a job opened with /O is in the grid already); here they come
    // into the controls.
    // The texts as designed are translated before data goes into the
    // controls, so that no file name or number is looked up as a phrase.
    TranslateForm(this);
    editor->FillLists();
    ShowSettingsInWindow(m_form);
    {
        SuppressControlEvents suppress;
        editor->cbAddPageBrake->setChecked(m_form.cbAddPageBrake);
        editor->cbPlacePathAtTopOfEachFile->setChecked(m_form.cbPlacePathAtTopOfEachFile);
    }
    SelectWholeGridRow(m_form.fgToDo);

    m_engine.lResumeFileIndex = 0;
    m_form.bRunning = false;
    m_form.bCurrentActionItemDirty = false;
    m_form.bAskToSaveKRJFileBeforeExit = false;

    setCaption(m_form.sConversionJobFileName.size() < 2 ? QStringLiteral("*")
                                                         : GetFileNameFromPath(m_form.sConversionJobFileName));
    if (!m_form.mruFileOpen) {
        m_form.mruFileOpen.emplace();
        m_form.mruFileOpen->Setup(5, G_IniFilePath, QStringLiteral("mruFileOpen"), QStringLiteral("-1"));
    }
    // A job the command line opened for the window is opened in the window.
    if (m_form.sConversionJobFileName.size() >= 2)
        addToRecentJobs(m_form.sConversionJobFileName);
    FillMRUMenu(*m_mnuMRU, *m_form.mruFileOpen);
    showCurrentRowInEditor();
    LoadSchedulerForm();
    InstallOptionDialogs(*this);
    // A dialog that is not part of this window yet is not offered.
    menuItem(QStringLiteral("mnuFolioshiftOptions"))->setEnabled(bool(commands.ShowProgramOptions));
    menuItem(QStringLiteral("mnuScheduleConversionJob"))->setEnabled(bool(commands.ShowScheduler));
    editor->cmdAdvancedOptions->setEnabled(bool(commands.ShowConversionOptions));
    editor->cmdAdvancedOptionsRexhound->setEnabled(bool(commands.ShowRexhoundOptions));
    UpdateMenuToolbar();
}

bool frmMain::Form_Unload()
{
    // An edit of a task is asked for before the job is, as when leaving it.
    if (!bCheckToUpdateDirtyConversionItem() || !CheckToSaveFileBeforeErasing())
        return false;
    releaseWordControl();
    SaveIniFile(m_form);
    if (m_frmSched)
        m_frmSched->model().Form_Unload();
    return true;
}

void frmMain::LoadSchedulerForm()
{
    // The scheduler form lives as long as this form. It is translated
    // before its settings come in; a schedule saved to restart at load
    // begins here.
    m_frmSched = std::make_unique<frmScheduler>();
    TranslateForm(m_frmSched.get());
    const SchedulerWindow window = schedulerWindow();
    ConnectScheduler(m_frmSched->model(), m_engine, window);
    if (!commands.ShowScheduler)
        commands.ShowScheduler = [this, window] { ShowScheduler(*m_frmSched, m_form, window); };
    LoadScheduler(m_frmSched->model(), m_form);
}

SchedulerWindow frmMain::schedulerWindow()
{
    SchedulerWindow window;
    window.SetFrameCaption = [this](const QString& caption) { m_frame.setCaption(caption); };
    // Through this form's own commands, so that its recent files, its
    // caption and its guard against closing during a run hold for a
    // scheduled run too.
    window.ConversionJobOpen = [this](QString& sPath) { return ConversionJobOpen(sPath); };
    window.ConversionJobBegin = [this] { ConversionJobBegin(); };
    return window;
}

void frmMain::releaseWordControl()
{
    // The office the Word-conversion control keeps between conversions goes.
    ReleaseWordInstance(m_engine);
}

bool frmMain::bPauseEnabled() const
{
    return m_state.keyPause;
}

void frmMain::UpdateMenuToolbar()
{
    const bool scheduled = m_engine.hooks.bSchedularEnabled && m_engine.hooks.bSchedularEnabled();
    CommandFacts facts = FactsOfForm(m_form, m_engine.lResumeFileIndex, selectedTab(), scheduled);
    // Update is offered while the editor differs from its task, not merely
    // since it was last touched.
    facts.bCurrentActionItemDirty = editorHoldsEdit();
    m_state = ::UpdateMenuToolbar(facts, m_state);
    applyCommandState(m_state);
}

void frmMain::applyCommandState(const CommandState& s)
{
    const std::pair<const char*, bool> buttons[] = {
        {"keyNew", s.keyNew},         {"keyOpen", s.keyOpen},       {"keyAdd", s.keyAdd},
        {"keyRemove", s.keyRemove},   {"keyUpdate", s.keyUpdate},   {"keyConvert", s.keyConvert},
        {"keyPause", s.keyPause},     {"keyRewind", s.keyRewind},
    };
    for (const auto& [key, enabled] : buttons)
        toolbarButton(QString::fromLatin1(key))->setEnabled(enabled);
    const std::pair<const char*, bool> entries[] = {
        {"KeySave", s.KeySave},
        {"KeySaveAs", s.KeySaveAs},
        {"KeyOpen", s.KeyOpen},
        {"KeySaveLogAsConversionJob", s.KeySaveLogAsConversionJob},
    };
    for (const auto& [key, enabled] : entries)
        dropDownEntry(QString::fromLatin1(key))->setEnabled(enabled);
    const std::pair<const char*, bool> items[] = {
        {"mnuNewConversionJob", s.mnuNewConversionJob},
        {"mnuOpenConversionJob", s.mnuOpenConversionJob},
        {"mnuSaveConversionJob", s.mnuSaveConversionJob},
        {"mnuSaveConversionJobAs", s.mnuSaveConversionJobAs},
        {"mnuSaveLogAsConversionJob", s.mnuSaveLogAsConversionJob},
        {"mnuBeginConversionJob", s.mnuBeginConversionJob},
        {"mnuAddConversionJob", s.mnuAddConversionJob},
        {"mnuRemoveConversionJob", s.mnuRemoveConversionJob},
        {"mnuUpdateConversionJob", s.mnuUpdateConversionJob},
        {"mnuPause", s.mnuPause},
        {"mnuRewindConversionJob", s.mnuRewindConversionJob},
        {"mnuPopupDelete", s.mnuPopupDelete},
    };
    for (const auto& [name, enabled] : items)
        menuItem(QString::fromLatin1(name))->setEnabled(enabled);
    m_mnuMRU->setEnabled(s.mnuMRU);

    mnuMoveConversionTask->menuAction()->setVisible(s.mnuMoveConversionTask);
    const std::pair<const char*, bool> moves[] = {
        {"mnuMoveUp", s.mnuMoveUp},           {"mnuMoveFirst", s.mnuMoveUp},
        {"mnuMoveDown", s.mnuMoveDown},       {"mnuMoveLast", s.mnuMoveDown},
        {"mnuPopupMoveUp", s.mnuPopupMoveUp}, {"mnuPopupMoveFirst", s.mnuPopupMoveUp},
        {"mnuPopupMoveDown", s.mnuPopupMoveDown}, {"mnuPopupMoveLast", s.mnuPopupMoveDown},
    };
    for (const auto& [name, visible] : moves) {
        QAction* item = menuItem(QString::fromLatin1(name));
        item->setVisible(visible);
        item->setEnabled(s.moveCommands);
    }

    editor->cmdUpdate->setEnabled(s.cmdUpdate);
    editor->cmdRemove->setEnabled(s.cmdRemove);
    editor->cmdAdd->setEnabled(s.cmdAdd);
    editor->cmdPause->setEnabled(s.cmdPause);
}

int frmMain::selectedTab() const
{
    return ts->currentIndex() + 1;
}

void frmMain::SelectTab(int index)
{
    ts->setCurrentIndex(index - 1);
}

void frmMain::Form_KeyUp(int keyCode, int shift)
{
    if (keyCode != Qt::Key_Tab)
        return;
    if (shift == 2)
        SelectTab(NextTabIndex(selectedTab(), ts->count()));
    else if (shift == 3)
        SelectTab(PreviousTabIndex(selectedTab(), ts->count()));
}

void frmMain::ts_Click()
{
    UpdateMenuToolbar();
    // Back on the task page an edit not yet written is still there.
    if (selectedTab() == 1 && !m_form.bRunning && !G_bSuppressControlEvents)
        showCurrentRowInEditor();
}

void frmMain::rbActionToDo_Click(int index)
{
    m_form.sActionToDo = index != 0 ? QStringLiteral("S") : QStringLiteral("C");
    if (G_bSuppressControlEvents)
        return;
    editor->RefreshConvertOptionsGUI();
    m_form.bCurrentActionItemDirty = true;
    UpdateMenuToolbar();
}

void frmMain::fgToDo_EnterCell()
{
    // Rows a run or a load moves through do not reach the editor.
    if (m_form.bRunning || G_bSuppressControlEvents)
        return;
    SelectWholeGridRow(m_form.fgToDo);
    showRowInEditor();
    UpdateMenuToolbar();
    SelectWholeGridRow(m_form.fgToDo);
}

void frmMain::setCaption(const QString& caption)
{
    setWindowTitle(caption);
    if (QMdiSubWindow* window = m_frame.mainFormWindow())
        window->setWindowTitle(caption);
    m_frame.updateTitle();
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fgToDo->layoutColumns();
    fgLog->layoutColumns();
}

QAction* frmMain::menuItem(const QString& name) const
{
    return m_menuItems.value(name);
}

QAction* frmMain::toolbarButton(const QString& key) const
{
    return m_toolbarButtons.value(key);
}

QAction* frmMain::dropDownEntry(const QString& key) const
{
    return m_dropDownEntries.value(key);
}
