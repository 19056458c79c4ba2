// The main form's task commands: adding the editor's task to the job,
// writing it back into its row, removing a row, the checks before a run,
// the task grid's events that reach the editor, the editor's option
// dialogs and the end-of-job blinker.
#include "frmMain.h"

#include "base/MessageSink.h"
#include "core/Globals.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobLoop.h"
#include "engine/LogRows.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRowTexts.h"
#include "jobs/TaskRows.h"
#include "jobs/Validation.h"
#include "ui/GridView.h"
#include "ui/TaskEditor.h"
#include "ui/frmMainMDI.h"

#include <QPushButton>
#include <QComboBox>
#include <QTimer>

#include <exception>

namespace {

bool isTaskRow(const FlexGrid& grid, int row)
{
    return row >= 1 && row <= grid.Rows() - 2;
}

// A row's task as the editor sees it: its number and pass mark change
// without the task changing.
QStringList taskTexts(const FlexGrid& grid, int row)
{
    QStringList texts = grid.RowTexts(row);
    for (const int column : {int(todocol::Number), int(todocol::Pass)})
        if (column < texts.size())
            texts[column].clear();
    return texts;
}

void showFailure(const char* text, const std::exception& e)
{
    ShowMessage(Translate(QString::fromLatin1(text)) + QStringLiteral("\r\r") + QString::fromStdString(e.what()),
                Translate(QStringLiteral("Error")), MessageButtons::Ok, MessageIcon::Information);
}

} // namespace

bool frmMain::collectValidatedTask(clsConversionOptions& options)
{
    GetOptionsFromGUI(m_form, options);
    ValidateConversionOptions(m_form, options, &editor->fields());
    // The reporter may fix the task, or the user may choose to go on.
    return options.lErr == 0 || bConfirmConversionItemGUI(m_form, options, prompter(), &editor->fields())
           || options.lErr == 0;
}

bool frmMain::AddFileToConvertGUI()
{
    // Marked changed first, so also when the task is then refused.
    m_form.bAskToSaveKRJFileBeforeExit = true;
    try {
        clsConversionOptions options;
        if (!collectValidatedTask(options))
            return false;
        m_form.bCurrentActionItemDirty = false;
        if (!AddOptionsToGrid(options, m_form.fgToDo)) {
            SelectTab(1);
            ShowMessage(TaskRowTextsMessage(options, QStringLiteral("\n\n")), Translate(QStringLiteral("Error")),
                        MessageButtons::Ok, MessageIcon::Information);
            return false;
        }
        editor->UpdateMRUs();
        // The editor's task is now the new row's.
        rememberEditorRow(m_form.fgToDo.Row());
        rememberEditorState();
        UpdateMenuToolbar();
        SelectTab(1);
        return true;
    } catch (const std::exception& e) {
        SelectTab(1);
        showFailure("AddFileToConvertGUIErr: Unable to add", e);
        return false;
    }
}

bool frmMain::ConversionJobUpdate()
{
    FlexGrid& grid = m_form.fgToDo;
    // Only a task row takes the editor: never the header or the "*" row,
    // and only the row the editor's task came from.
    const int row = editorRow();
    if (!isTaskRow(grid, grid.Row()) || row == 0)
        return false;
    m_form.bAskToSaveKRJFileBeforeExit = true;
    try {
        clsConversionOptions options;
        if (!collectValidatedTask(options))
            return false;
        {
            SuppressControlEvents suppress;
            // That row becomes the current one, so that what is selected is
            // what the editor shows.
            if (grid.Row() != row) {
                grid.setRow(row);
                SelectWholeGridRow(grid);
            }
            if (options.sActionToDo.contains(u'C'))
                editor->UpdateGridFromGUI_ConversionItem(grid);
            else if (options.sActionToDo.contains(u'S'))
                editor->UpdateGridFromGUI_SpecializedItem(grid, options);
        }
        rememberEditorRow(row);
        rememberEditorState();
        fgToDo->setFocus();
        m_form.bCurrentActionItemDirty = false;
        UpdateMenuToolbar();
        return true;
    } catch (const std::exception& e) {
        showFailure("ConversionJobUpdate: Unable to update", e);
        return false;
    }
}

void frmMain::RemoveActionItem()
{
    m_form.bAskToSaveKRJFileBeforeExit = true;
    FlexGrid& grid = m_form.fgToDo;
    if (grid.TextMatrix(1, todocol::Number).isEmpty()) {
        SetUpToDoGrid(grid);
        UpdateMenuToolbar();
        return;
    }
    if (grid.Row() == 1 && grid.Rows() == 2)
        return;
    if (grid.Row() > 0) {
        const int removed = grid.Row();
        if (grid.TextMatrix(removed, todocol::Number) == QLatin1String("*"))
            return;
        const int shown = editorRow();
        RemoveAllFilesWithJobNumber(removed);
        // An edit of the removed task goes with it.
        if (shown == removed) {
            m_editorRow = 0;
            m_form.bCurrentActionItemDirty = false;
        } else if (shown > removed) {
            m_editorRow = shown - 1;
        }
    }
    if (!m_form.bRunning && !G_bSuppressControlEvents)
        showCurrentRowInEditor();
    UpdateMenuToolbar();
}

void frmMain::RemoveAllFilesWithJobNumber(int lRow)
{
    FlexGrid& grid = m_form.fgToDo;
    SuppressControlEvents suppress;
    grid.RemoveItem(lRow);
    for (int i = 1; i <= grid.Rows() - 2; ++i)
        grid.setTextMatrix(i, todocol::Number, QString::number(i));
}

bool frmMain::bCheckToUpdateDirtyConversionItem()
{
    const bool scheduled = m_engine.hooks.bSchedularEnabled && m_engine.hooks.bSchedularEnabled();
    if (scheduled || m_form.bRunning)
        return true;
    FlexGrid& grid = m_form.fgToDo;
    // The task asked about is the one the editor's edit came from.
    const int row = editorRow();
    if (row != 0 && grid.TextMatrix(row, todocol::Number) != QLatin1String("*")
        && grid.TextMatrix(1, todocol::Number) != QLatin1String("*") && editorHoldsEdit()) {
        MessageAnswer answer = MessageAnswer::Yes;
        if (grid.Rows() > 3)
            answer = ShowMessage(Translate(QStringLiteral("You've changed the current conversion item #"))
                                     + QString::number(row) + QStringLiteral("\r\r")
                                     + Translate(QStringLiteral("Do you want to update your changes?")),
                                 Translate(QStringLiteral("Update Conversion Item")), MessageButtons::YesNoCancel,
                                 MessageIcon::None);
        switch (answer) {
        case MessageAnswer::Yes:
            return ConversionJobUpdate();
        case MessageAnswer::No:
            m_form.bCurrentActionItemDirty = false;
            return true;
        default:
            return false;
        }
    }
    m_form.bCurrentActionItemDirty = false;
    return true;
}

bool frmMain::bCheckToZeroConversionItems()
{
    const bool scheduled = m_engine.hooks.bSchedularEnabled && m_engine.hooks.bSchedularEnabled();
    if (!isVisible() || scheduled || m_form.bRunning)
        return false;
    if (m_form.fgToDo.Rows() == 2)
        return !AddFileToConvertGUI();
    // A single task that has run runs again; one that a Pause cut short
    // has no mark yet and goes on where it stopped.
    if (m_form.fgToDo.Rows() == 3 && !m_form.fgToDo.TextMatrix(1, todocol::Pass).isEmpty())
        ConversionJobRewind();
    return false;
}

bool frmMain::fgToDo_LeaveCell()
{
    if (m_form.bRunning || G_bSuppressControlEvents)
        return true;
    // Cancel keeps the cursor, and so the edits, on the task.
    return bCheckToUpdateDirtyConversionItem();
}

void frmMain::fgToDo_DblClick()
{
    // During a run the task being run is neither shown nor changed.
    if (m_form.bRunning)
        return;
    cmdAdvancedOptions_Click();
}

void frmMain::showRowInEditor()
{
    FlexGrid& grid = m_form.fgToDo;
    const int row = grid.Row();
    if (!isTaskRow(grid, row) || grid.TextMatrix(row, todocol::Number).isEmpty()) {
        // The editor keeps its text, but no row is its own any more.
        m_editorRow = 0;
        m_editorRowTexts.clear();
        m_editorState.clear();
        return;
    }
    const QString action = grid.TextMatrix(row, todocol::Do);
    if (action.contains(u'C'))
        editor->UpdateGUI_ConversionItemViaCellContents(grid);
    else if (action.contains(u'S'))
        editor->UpdateGUI_SpecializedToDOItemViaCellContents(grid);
    rememberEditorRow(row);
    rememberEditorState();
    // The editor now equals the row.
    m_form.bCurrentActionItemDirty = false;
}

void frmMain::rememberEditorState()
{
    m_editorState = editor->shownTaskState();
}

bool frmMain::editorHoldsEdit() const
{
    return m_form.bCurrentActionItemDirty && (m_editorState.isEmpty() || editor->shownTaskState() != m_editorState);
}

void frmMain::showCurrentRowInEditor()
{
    if (!(editorHoldsEdit() && editorRow() != 0)) {
        SelectWholeGridRow(m_form.fgToDo);
        showRowInEditor();
    }
    UpdateMenuToolbar();
}

int frmMain::editorRow() const
{
    const FlexGrid& grid = m_form.fgToDo;
    if (!isTaskRow(grid, m_editorRow) || grid.TextMatrix(m_editorRow, todocol::Number).isEmpty())
        return 0;
    // A job loaded or a slice reloaded under the editor put another task there.
    return taskTexts(grid, m_editorRow) == m_editorRowTexts ? m_editorRow : 0;
}

void frmMain::rememberEditorRow(int row)
{
    const FlexGrid& grid = m_form.fgToDo;
    m_editorRow = isTaskRow(grid, row) ? row : 0;
    m_editorRowTexts = m_editorRow != 0 ? taskTexts(grid, row) : QStringList();
}

void frmMain::cmdAdvancedOptions_Click()
{
    if (!commands.ShowConversionOptions)
        return;
    QString sDataTransfer = m_form.sImageConversionOptions;
    commands.ShowConversionOptions(sDataTransfer);
    if (sDataTransfer == m_form.sImageConversionOptions)
        return;
    m_form.sImageConversionOptions = sDataTransfer;
    m_form.bCurrentActionItemDirty = true;
    if (!m_form.bRunning)
        ConversionJobUpdate();
    UpdateMenuToolbar();
}

void frmMain::cmdAdvancedOptionsRexhound_Click()
{
    if (!commands.ShowRexhoundOptions)
        return;
    const bool changed = commands.ShowRexhoundOptions();
    editor->cmdAdvancedOptionsRexhound->setFocus();
    if (changed) {
        m_form.bCurrentActionItemDirty = true;
        UpdateMenuToolbar();
    }
    editor->cbOriginalFileSpecialized->setFocus();
}

void frmMain::Timer1_Timer()
{
    if (m_frame.isMinimized()) {
        if (flashFrame)
            flashFrame();
    } else {
        const bool odd = m_blinkCount % 2 != 0;
        const int failed = CountFailedLogRows(m_form.fgLog);
        const int done = failed > 0 ? 11 : 9;
        m_frame.SetRunStatePicture(odd ? done : done + 1, failed);
        m_frame.SetRunStatePanelEnabled(odd);
    }
    ++m_blinkCount;
    if (m_blinkCount > 3) {
        m_blinkCount = 0;
        m_frame.SetRunStatePanelEnabled(true);
        Timer1->stop();
    }
}
