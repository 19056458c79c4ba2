// The main form's menus and toolbar, and the commands they give: the job
// files, the run, the task moves and the Help menu's pages.
#include "frmMain.h"

#include "base/MessageSink.h"
#include "core/FilePickers.h"
#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/Globals.h"
#include "core/Help.h"
#include "core/Translator.h"
#include "engine/JobLoop.h"
#include "help/HelpOpener.h"
#include "jobs/GridSetup.h"
#include "jobs/JobFiles.h"
#include "jobs/MainFormState.h"
#include "ui/GridView.h"
#include "ui/TaskEditor.h"
#include "ui/WebPages.h"
#include "ui/frmAbout.h"
#include "ui/frmMainMDI.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

namespace {

const char* const kJobFilter = "Conversion Job (*.KRJ)|*.KRJ";

// A plus sign: the add command has no stock picture of its own.
QIcon plusIcon(const QColor& colour)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(13, 4, 6, 24), 2, 2);
    p.drawRoundedRect(QRectF(4, 13, 24, 6), 2, 2);
    return QIcon(pixmap);
}

QIcon themed(const char* name, QStyle::StandardPixmap fallback, const QStyle* style)
{
    return QIcon::fromTheme(QString::fromLatin1(name), style->standardIcon(fallback));
}

void unableToCreate(const QString& reason)
{
    QString text = Translate(QStringLiteral("Unable to create file. Try a different folder such as 'My Documents'"));
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    ShowMessage(text, QString(), MessageButtons::Ok, MessageIcon::Information);
}

} // namespace

QAction* frmMain::addMenuItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& shortcut,
                              std::function<void()> command)
{
    auto* item = new QAction(QString::fromLatin1(caption), this);
    item->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty())
        item->setShortcut(shortcut);
    if (command)
        connect(item, &QAction::triggered, this, [command = std::move(command)] { command(); });
    menu->addAction(item);
    m_menuItems.insert(item->objectName(), item);
    return item;
}

void frmMain::buildMenus()
{
    auto command = [](std::function<void()>& slot) {
        return [&slot] {
            if (slot)
                slot();
        };
    };
    auto separator = [this](QMenu* menu, const char* name) {
        QAction* line = menu->addSeparator();
        line->setObjectName(QString::fromLatin1(name));
        m_menuItems.insert(line->objectName(), line);
        return line;
    };
    auto cmdAdd = [this] {
        if (toolbarButton(QStringLiteral("keyAdd"))->isEnabled() && m_form.AddFileToConvertGUI())
            fgToDo->setFocus();
    };
    auto cmdRemove = [this] {
        if (!toolbarButton(QStringLiteral("keyRemove"))->isEnabled())
            return;
        RemoveActionItem();
        fgToDo->setFocus();
    };

    menus = new QMenuBar(this);
    menus->setObjectName(QStringLiteral("frmMainMenus"));
    menus->hide();
    mnuFile = menus->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    addMenuItem(mnuFile, "mnuNewConversionJob", "&New Conversion Job", QKeySequence(Qt::CTRL | Qt::Key_N),
                [this] { ConversionJobNew(); });
    addMenuItem(mnuFile, "mnuOpenConversionJob", "&Open Conversion Job", QKeySequence(Qt::CTRL | Qt::Key_O),
                [this] { ConversionJobOpen(); });
    addMenuItem(mnuFile, "mnuSaveConversionJob", "Save Conversion Job", QKeySequence(Qt::CTRL | Qt::Key_S),
                [this] { ConversionJobSave(); });
    addMenuItem(mnuFile, "mnuSaveConversionJobAs", "Save Conversion Job &As..", {}, [this] { ConversionJobSaveAs(); });
    addMenuItem(mnuFile, "mnuSaveLogAsConversionJob", "Save &Log as a Conversion Job", {},
                [this] { SaveLogAsConversionJob(); });
    separator(mnuFile, "languageSeparatorTop");
    addMenuItem(mnuFile, "mnuLanguage", "Lan&guage", {}, [] {
        bool tellUser = true;
        ShowLanguageDialog(tellUser);
    });
    addMenuItem(mnuFile, "mnuFolioshiftOptions", "Options", {}, command(commands.ShowProgramOptions));
    separator(mnuFile, "languageSeparatorBottom");
    QAction* mruBottom = separator(mnuFile, "MRUSeparatorBottom");
    m_mnuMRU = std::make_unique<MRUMenu>(mnuFile, mruBottom, [this](int index) { mnuMRU_Click(index); });
    addMenuItem(mnuFile, "mnuExit", "E&xit", {}, [this] { m_frame.mnuExit_Click(); });

    mnuConversion = menus->addMenu(QStringLiteral("C&onversion"));
    mnuConversion->setObjectName(QStringLiteral("mnuConversion"));
    addMenuItem(mnuConversion, "mnuAddConversionJob", "&Add Conversion Job", {}, cmdAdd);
    addMenuItem(mnuConversion, "mnuRemoveConversionJob", "&Delete Conversion Job", {}, cmdRemove);
    addMenuItem(mnuConversion, "mnuUpdateConversionJob", "&Update Conversion Job", {},
                [this] { ConversionJobUpdate(); });
    mnuMoveConversionTask = mnuConversion->addMenu(QStringLiteral("&Move Conversion Task"));
    mnuMoveConversionTask->setObjectName(QStringLiteral("mnuMoveConversionTask"));
    // The "(Ctrl+U)" and "(Ctrl+D)" are captions only: the task grid takes those keys.
    addMenuItem(mnuMoveConversionTask, "mnuMoveUp", "Move Up (Ctrl+U)", {}, [this] { MoveTask(Move::Up); });
    addMenuItem(mnuMoveConversionTask, "mnuMoveDown", "Move Down (Ctrl+D)", {}, [this] { MoveTask(Move::Down); });
    addMenuItem(mnuMoveConversionTask, "mnuMoveFirst", "Move to First", {}, [this] { MoveTask(Move::First); });
    addMenuItem(mnuMoveConversionTask, "mnuMoveLast", "Move To Last", {}, [this] { MoveTask(Move::Last); });
    separator(mnuMoveConversionTask, "mnuDash1234");
    separator(mnuConversion, "mnuSeperator10");
    addMenuItem(mnuConversion, "mnuBeginConversionJob", "&Begin Conversion Job", QKeySequence(Qt::Key_F5),
                [this] { ConversionJobBegin(); });
    addMenuItem(mnuConversion, "mnuPause", "&Pause Conversion Job", QKeySequence(Qt::Key_F9),
                [this] { ConversionJobPause(); });
    addMenuItem(mnuConversion, "mnuRewindConversionJob", "&Rewind Conversion Job", QKeySequence(Qt::Key_F4),
                [this] { ConversionJobRewind(); });
    addMenuItem(mnuConversion, "mnuScheduleConversionJob", "Schedule a Conversion Job", QKeySequence(Qt::Key_F8),
                command(commands.ShowScheduler));
    separator(mnuConversion, "mnuDash33")->setVisible(false);
    addMenuItem(mnuConversion, "mnuConversionOptions", "Conversion &Options", {}, {})->setVisible(false);

    mnuHelp = menus->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    addMenuItem(mnuHelp, "mnuLaunchHelpFile", "&Help File", QKeySequence(Qt::Key_F1),
                [] { ShowHelpTopic(helpcontext::HelpFile, QString()); });
    addMenuItem(mnuHelp, "mnuAbout", "&About", {}, [this] {
        frmAbout about(this);
        about.exec();
    });
    addMenuItem(mnuHelp, "mnuHelpOnLine", "Web Help (Most up to date)", {},
                [this] { openWebPage(G_sOnlineHelpPage); });
    separator(mnuHelp, "mnuDash");
    addMenuItem(mnuHelp, "mnuHelpProductHomePage", "Product Home &Page", {}, [this] { openWebPage(kProductHomePage); });
    addMenuItem(mnuHelp, "mnuHelpProductUpdates", "Product &Updates", {},
                [this] { openWebPage(kProductUpdatesPage); });
    addMenuItem(mnuHelp, "mnuKestrovaHomePage", "&Kestrova Home Page", {}, [this] { openWebPage(kMakerHomePage); });
    separator(mnuHelp, "mnuDash2");
    addMenuItem(mnuHelp, "cmdHelpCommandLine", "Using the &Command Line", {}, [] {
        ShowHelpTopic(helpcontext::UsingTheCommandLine, OnlineHelpTopicPage(helpcontext::UsingTheCommandLine));
    });

    mnuPopup = new QMenu(QStringLiteral("Popup"), this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    addMenuItem(mnuPopup, "mnuPopupMoveUp", "Move Up (Ctrl+U)", {}, [this] { MoveTask(Move::Up); });
    addMenuItem(mnuPopup, "mnuPopupMoveDown", "Move Down (Ctrl+D)", {}, [this] { MoveTask(Move::Down); });
    addMenuItem(mnuPopup, "mnuPopupMoveFirst", "Move to First", {}, [this] { MoveTask(Move::First); });
    addMenuItem(mnuPopup, "mnuPopupMoveLast", "Move To Last", {}, [this] { MoveTask(Move::Last); });
    separator(mnuPopup, "mnuDash22");
    addMenuItem(mnuPopup, "mnuPopupDelete", "&Delete", {}, cmdRemove);

    // The save entries wait for the first command-state update.
    for (const char* name : {"mnuSaveConversionJob", "mnuSaveConversionJobAs", "mnuSaveLogAsConversionJob"})
        menuItem(QString::fromLatin1(name))->setEnabled(false);

    connect(editor->cmdAdd, &QPushButton::clicked, this, cmdAdd);
    connect(editor->cmdRemove, &QPushButton::clicked, this, cmdRemove);
    // Del in the task grid, as the Delete button's tip says.
    auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), fgToDo, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, cmdRemove);
    connect(editor->cmdUpdate, &QPushButton::clicked, this, [this] { ConversionJobUpdate(); });
    connect(editor->cmdPause, &QPushButton::clicked, this, [this] { ConversionJobPause(); });
}

void frmMain::buildToolbar()
{
    const QStyle* st = style();
    struct Button
    {
        const char* key;
        const char* caption;
        const char* tip;
        QIcon icon;
        std::function<void()> command;
    };
    const Button buttons[] = {
        {"keyNew", "New", "Create a new conversion job", themed("document-new", QStyle::SP_FileIcon, st),
         [this] { ConversionJobNew(); }},
        {"keyOpen", "Open", "", themed("document-open", QStyle::SP_DialogOpenButton, st),
         [this] { ConversionJobOpen(); }},
        {nullptr, nullptr, nullptr, {}, {}},
        {"keyAdd", "&Add", "Add a conversion Task", QIcon::fromTheme(QStringLiteral("list-add"), plusIcon(Qt::darkGreen)),
         [this] { m_form.AddFileToConvertGUI(); }},
        {"keyRemove", "&Delete", "Remove currently selected conversion Task (Del)",
         themed("list-remove", QStyle::SP_TrashIcon, st),
         [this] { RemoveActionItem(); }},
        {"keyUpdate", "&Update", "Update currently selected conversion task",
         themed("view-refresh", QStyle::SP_BrowserReload, st),
         [this] { ConversionJobUpdate(); }},
        {nullptr, nullptr, nullptr, {}, {}},
        {"keyRewind", "Rewind", "Rewind to the first conversion task",
         themed("media-skip-backward", QStyle::SP_MediaSkipBackward, st), [this] { ConversionJobRewind(); }},
        {"keyConvert", "Convert", "Begin Conversion (F5)", themed("media-playback-start", QStyle::SP_MediaPlay, st),
         [this] { ConversionJobBegin(); }},
        {"keyPause", "&Pause", "Pause conversion process", themed("media-playback-pause", QStyle::SP_MediaPause, st),
         [this] { ConversionJobPause(); }},
    };
    for (const Button& b : buttons) {
        if (!b.key) {
            tbMain->addSeparator();
            continue;
        }
        auto* button = new QAction(b.icon, QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.key));
        if (*b.tip)
            button->setToolTip(QString::fromLatin1(b.tip));
        connect(button, &QAction::triggered, this, [command = b.command] { command(); });
        m_toolbarButtons.insert(button->objectName(), button);
        tbMain->addAction(button);
    }

    auto* dropDown = new QMenu(this);
    dropDown->setObjectName(QStringLiteral("keyOpenMenu"));
    const std::pair<const char*, const char*> entries[] = {
        {"KeySave", "Save Conversion Job"},
        {"KeySaveAs", "Save Conversion Job As.."},
        {"KeyOpen", "Open Conversion Job.."},
        {"KeySaveLogAsConversionJob", "Save &Log as a Conversion Job"},
    };
    for (const auto& [key, text] : entries) {
        auto* entry = dropDown->addAction(QString::fromLatin1(text));
        entry->setObjectName(QString::fromLatin1(key));
        m_dropDownEntries.insert(entry->objectName(), entry);
    }
    connect(m_dropDownEntries.value(QStringLiteral("KeySave")), &QAction::triggered, this, [this] { ConversionJobSave(); });
    connect(m_dropDownEntries.value(QStringLiteral("KeySaveAs")), &QAction::triggered, this,
            [this] { ConversionJobSaveAs(); });
    connect(m_dropDownEntries.value(QStringLiteral("KeyOpen")), &QAction::triggered, this,
            [this] { ConversionJobOpen(); });
    connect(m_dropDownEntries.value(QStringLiteral("KeySaveLogAsConversionJob")), &QAction::triggered, this,
            [this] { SaveLogAsConversionJob(); });
    for (const char* key : {"KeySave", "KeySaveAs", "KeySaveLogAsConversionJob"})
        dropDownEntry(QString::fromLatin1(key))->setEnabled(false);

    QAction* open = toolbarButton(QStringLiteral("keyOpen"));
    open->setMenu(dropDown);
    openButton = qobject_cast<QToolButton*>(tbMain->widgetForAction(open));
    if (openButton)
        openButton->setPopupMode(QToolButton::MenuButtonPopup);
}

bool frmMain::CheckToSaveFileBeforeErasing()
{
    if (G_bCommandLineMode || !m_form.bAskToSaveKRJFileBeforeExit)
        return true;
    const QString& name = m_form.sConversionJobFileName;
    const bool hasFile = !name.isEmpty() && name != QLatin1String("*");
    // A single task that was never saved is a job too: it is asked for.
    if (m_form.fgToDo.Rows() - 2 < 1 && !hasFile)
        return true;
    const MessageAnswer answer = ShowMessage(Translate(QStringLiteral("Save Conversion Job")) + u'?',
                                             Translate(QStringLiteral("Save")), MessageButtons::YesNo,
                                             MessageIcon::Question);
    if (answer != MessageAnswer::Yes)
        return true;
    // The user asked for the job to be kept: without a saved file, it stays.
    return ConversionJobSave();
}

void frmMain::ConversionJobNew()
{
    // An edit of a task goes with its job: asked for first, as when leaving it.
    if (!bCheckToUpdateDirtyConversionItem() || !CheckToSaveFileBeforeErasing())
        return;
    m_form.bAskToSaveKRJFileBeforeExit = false;
    SetUpToDoGrid(m_form.fgToDo);
    SetUpLogGrid(m_form.fgLog);
    G_bSuppressControlEvents = false;
    m_form.sConversionJobFileName = QStringLiteral("*");
    setCaption(QStringLiteral("*"));
    // The editor keeps its text for the first task of the new job.
    m_form.bCurrentActionItemDirty = false;
    clearRunStatus();
    showCurrentRowInEditor();
}

JobLoadResult frmMain::ConversionJobOpen(QString sPath)
{
    if (!bCheckToUpdateDirtyConversionItem() || !CheckToSaveFileBeforeErasing())
        return JobLoadResult::NotFound;
    if (sPath.isEmpty()) {
        int index = 1;
        const QString title = Translate(QStringLiteral("Open Conversion Job"));
        const QString filter = Translate(QString::fromLatin1(kJobFilter));
        if (m_firstOpenDialog) {
            m_firstOpenDialog = false;
            QString start = G_UserDataFolder;
            sPath = ShowFileDialogInitDir(FileDialogMode::Open, title, filter, index, start);
        } else if (m_form.sConversionJobFileName.size() < 2) {
            sPath = ShowFileDialog(FileDialogMode::Open, title, filter, index);
        } else {
            QString start = m_form.sConversionJobFileName;
            sPath = ShowFileDialogInitDir(FileDialogMode::Open, title, filter, index, start);
        }
    }
    // A cancelled dialog, or a file that is not there, changes nothing.
    if (sPath.isEmpty())
        return JobLoadResult::NotFound;
    if (!QFileInfo(ExpandPathMacros(sPath)).isFile()) {
        ShowMessage(Translate(QStringLiteral("File does not exist:")) + QStringLiteral("\r\n\r\n")
                        + ExpandPathMacros(sPath),
                    Translate(QStringLiteral("Error")), MessageButtons::Ok, MessageIcon::Information);
        return JobLoadResult::NotFound;
    }
    ++m_runDepth;
    GridReplacedWatch watch(m_form.fgToDo);
    const JobLoadResult loaded = ::ConversionJobOpen(m_engine, sPath);
    --m_runDepth;
    if (watch.replaced) {
        // The editor shows the opened job's first task; the last job's
        // status goes with its log.
        m_editorRow = 0;
        m_form.bCurrentActionItemDirty = false;
        clearRunStatus();
        showCurrentRowInEditor();
    }
    if (loaded == JobLoadResult::Complete || loaded == JobLoadResult::Partial) {
        addToRecentJobs(sPath);
        // A job loaded in part has no file of its own ("*"): saving it asks
        // for a new name instead of writing the part over the whole. The
        // caption is the file's own name, without a dot it does not have.
        setCaption(m_form.sConversionJobFileName.size() < 2 ? QStringLiteral("*") : GetFileName(sPath));
        m_form.bCurrentActionItemDirty = false;
    } else if (loaded == JobLoadResult::Failed && m_form.sConversionJobFileName.size() < 2) {
        // The loader said why. A damaged job keeps the rows before the
        // damage, with no file of its own; after a file that is no job the
        // job on screen is the one that was there, under its own name.
        setCaption(QStringLiteral("*"));
    }
    UpdateMenuToolbar();
    emit runEnded();
    return loaded;
}

bool frmMain::ConversionJobSave()
{
    const QString name = m_form.sConversionJobFileName;
    if (name.size() < 2)
        return ConversionJobSaveAs();
    QString reason;
    if (!SaveConversionJobFile(m_form, name, m_form.fgToDo, &reason) || !FileExists(name)) {
        // The changes are still only on screen: the job stays marked changed.
        unableToCreate(reason);
        return false;
    }
    m_form.bAskToSaveKRJFileBeforeExit = false;
    return true;
}

bool frmMain::ConversionJobSaveAs()
{
    int index = 1;
    const QString title = Translate(QStringLiteral("Save"));
    const QString filter = Translate(QString::fromLatin1(kJobFilter));
    QString path;
    if (m_form.sConversionJobFileName.size() >= 2) {
        QString start = m_form.sConversionJobFileName;
        path = ShowFileDialogInitDir(FileDialogMode::Save, title, filter, index, start);
    } else {
        path = ShowFileDialog(FileDialogMode::Save, title, filter, index);
    }
    if (path.isEmpty())
        return false;
    if (!bFolderIsWriteable(QFileInfo(path).absolutePath())) {
        unableToCreate(QString());
        return false;
    }
    QString reason;
    if (!SaveConversionJobFile(m_form, path, m_form.fgToDo, &reason) || !FileExists(path)) {
        unableToCreate(reason);
        return false;
    }
    m_form.sConversionJobFileName = path;
    m_form.bAskToSaveKRJFileBeforeExit = false;
    setCaption(GetFileName(path));
    addToRecentJobs(path);
    return true;
}

void frmMain::SaveLogAsConversionJob()
{
    int index = 1;
    const QString path = ShowFileDialog(FileDialogMode::Save, Translate(QStringLiteral("Save")),
                                        Translate(QStringLiteral("Tessaview (*.KRJ)|*.KRJ")), index);
    if (path.isEmpty())
        return;
    QString reason;
    QList<int> leftOut;
    const bool written = SaveLogGridToFile(path, m_form.fgLog, &reason, &leftOut) && FileExists(path);
    if (!written) {
        unableToCreate(path + QStringLiteral("\n\n") + reason);
        return;
    }
    if (leftOut.isEmpty())
        return;
    QStringList lines;
    for (const int row : leftOut)
        lines << LeftOutLogRowText(m_form.fgLog, row);
    ShowMessage(lines.join(u'\n'), QString(), MessageButtons::Ok, MessageIcon::Information);
}

void frmMain::mnuMRU_Click(int index)
{
    if (!m_form.mruFileOpen)
        return;
    const QString entry = m_form.mruFileOpen->clnMRU.value(m_form.mruFileOpen->Count() - index);
    if (FileExists(entry))
        ConversionJobOpen(entry);
    else
        ShowMessage(entry + u' ' + Translate(QStringLiteral("does not exist.")));
}

void frmMain::addToRecentJobs(const QString& path)
{
    if (!m_form.mruFileOpen)
        return;
    m_form.mruFileOpen->AddUniqueItemToCollection(path);
    FillMRUMenu(*m_mnuMRU, *m_form.mruFileOpen);
}

void frmMain::ConversionJobBegin()
{
    // One run at a time: the window stays live while it runs.
    if (m_runDepth > 0)
        return;
    ++m_runDepth;
    ::ConversionJobBegin(m_engine);
    --m_runDepth;
    // The run moved the current row through the job.
    showCurrentRowInEditor();
    emit runEnded();
}

void frmMain::ConversionJobPause()
{
    ::ConversionJobPause(m_engine);
}

void frmMain::ConversionJobRewind()
{
    ::ConversionJobRewind(m_engine);
    if (!m_form.bRunning)
        showCurrentRowInEditor();
}

void frmMain::clearRunStatus()
{
    Timer1->stop();
    m_frame.SetRunStatePanelEnabled(true);
    m_frame.SetRunStatePicture(0);
    for (const int panel : {statuspanel::TaskRow, statuspanel::RunState, statuspanel::Status, statuspanel::Elapsed})
        m_frame.SetStatusPanelText(panel, QString());
}

void frmMain::MoveTask(Move move)
{
    // Rows must not change under a run or a load.
    if (m_form.bRunning || m_form.bLoadingJobFile)
        return;
    FlexGrid& grid = m_form.fgToDo;
    int target = 0;
    switch (move) {
    case Move::Up:
        target = grid.RowSel() - 1;
        break;
    case Move::Down:
        target = grid.RowSel() + 1;
        break;
    case Move::First:
        target = 1;
        break;
    case Move::Last:
        target = grid.Rows() - 2;
        break;
    }
    const int from = grid.Row();
    const int shown = editorRow();
    G_bSuppressControlEvents = true;
    const bool moved = MoveGridRow(m_form, grid, target);
    G_bSuppressControlEvents = false;
    // The rows between moved by one; the editor's task keeps its row.
    if (moved && shown != 0) {
        if (shown == from)
            rememberEditorRow(target);
        else if (from < shown && shown <= target)
            rememberEditorRow(shown - 1);
        else if (target <= shown && shown < from)
            rememberEditorRow(shown + 1);
    }
    fgToDo->setFocus();
}

void frmMain::openWebPage(const QString& address)
{
    // A page that cannot be opened is not reported.
    CurrentHelpOpener().open(QUrl(address));
}
