// What the task editor's controls do when the user edits them: the change
// rule, the type and output-path inference from extensions, the panel
// switches for wildcard inputs and for the chosen special process, and the
// special-character codes of search and replace.
#include "TaskEditor.h"

#include "base/MessageSink.h"
#include "core/FileSystem.h"
#include "core/FileTypes.h"
#include "core/Globals.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"
#include "jobs/MainFormState.h"
#include "ui/DesktopLauncher.h"
#include "ui/FormUtilities.h"
#include "ui/WebPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include <optional>

namespace {

// The code-169 character (Windows-1252 "©") that brackets a character code
// in a find or replace text.
constexpr char16_t kCharacterMarker = 0x00A9;

// The number in square brackets that a type list's entry begins with.
std::optional<int> leadingTypeNumber(const QComboBox* box)
{
    const QString text = box->currentText();
    const qsizetype close = text.indexOf(u']');
    if (!text.startsWith(u'[') || close < 2)
        return std::nullopt;
    bool ok = false;
    const int n = text.mid(1, close - 1).toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

// Where the file name's last "." stands, or -1. A dot in a folder's name
// is no extension of what lies below it.
qsizetype nameDot(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > path.lastIndexOf(u'/') ? dot : -1;
}

// The text after the file name's last ".", lower case, without blanks; ""
// without one.
QString pathExtension(const QString& path)
{
    const qsizetype dot = nameDot(path);
    return dot < 0 ? QString() : path.mid(dot + 1).toLower().trimmed();
}

// Writes the text without its double quotes back into the combo; true when
// there were any.
bool removeQuotes(QComboBox* box)
{
    QString text = box->currentText();
    if (!text.contains(u'"'))
        return false;
    text.remove(u'"');
    box->setEditText(text);
    return true;
}

void selectKeyedEntry(QComboBox* box, const FileTypeKeys& keys, const QString& extension)
{
    const int index = keys.value(extension, -1);
    if (index >= 0 && index < box->count())
        box->setCurrentIndex(index);
}

} // namespace

void TaskEditor::MarkTaskChanged()
{
    if (G_bSuppressControlEvents)
        return;
    m_form.bCurrentActionItemDirty = true;
    m_form.UpdateMenuToolbar();
}

void TaskEditor::connectHandlers()
{
    // A run silences the change handlers below, but what the user types or
    // picks meanwhile is still an edit of the task, which the end of the run
    // must not replace.
    const auto markDuringRun = [this] {
        if (m_form.bRunning)
            m_form.bCurrentActionItemDirty = true;
    };
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, markDuringRun);
    for (QComboBox* box : findChildren<QComboBox*>())
        connect(box, &QComboBox::activated, this, markDuringRun);
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        if (button->isCheckable() && button != cbAddPageBrake && button != cbPlacePathAtTopOfEachFile)
            connect(button, &QAbstractButton::clicked, this, markDuringRun);

    const auto mark = [this] { MarkTaskChanged(); };
    for (QCheckBox* box : {cbDoSubfolders, cbDoSubfoldersSpecialized})
        connect(box, &QCheckBox::stateChanged, this, mark);
    for (QComboBox* box : {cbCommandLineArguments, cbFindString, cbReplacementString})
        connect(box, &QComboBox::editTextChanged, this, mark);
    connect(txtCommandLineWaitTimeInSeconds, &QLineEdit::textChanged, this, mark);
    for (QComboBox* box : {cbCommandLineWindowState, cbCommandLineThreadPriority})
        connect(box, &QComboBox::currentIndexChanged, this, mark);
    for (QComboBox* box : {cbFileTypeOriginal, cbFileTypeOriginalSpecialized, cbFileTypeTarget})
        connect(box, &QComboBox::currentIndexChanged, this, [this, box] {
            if (box->count() > 0)
                MarkTaskChanged();
        });

    connect(cbCommandLine, &QComboBox::editTextChanged, this, [this] {
        if (G_bSuppressControlEvents)
            return;
        removeQuotes(cbCommandLine);
        MarkTaskChanged();
    });
    connect(cbOriginalFile, &QComboBox::editTextChanged, this, &TaskEditor::cbOriginalFile_Change);
    connect(cbTargetFile, &QComboBox::editTextChanged, this, &TaskEditor::cbTargetFile_Change);
    connect(cbOriginalFileSpecialized, &QComboBox::editTextChanged, this,
            &TaskEditor::cbOriginalFileSpecialized_Change);
    connect(cbTargetFileSpecialized, &QComboBox::editTextChanged, this,
            &TaskEditor::cbTargetFileSpecialized_Change);
    connect(cbSaveToOriginalFolder, &QCheckBox::stateChanged, this, &TaskEditor::cbSaveToOriginalFolder_Click);
    connect(cbSaveToOriginalFolderSpecialized, &QCheckBox::stateChanged, this,
            &TaskEditor::cbSaveToOriginalFolderSpecialized_Click);
    connect(cbSpecialProcesses, &QComboBox::currentIndexChanged, this, &TaskEditor::cbSpecialProcesses_Click);
    connect(cbCharacter1, &QComboBox::currentIndexChanged, this,
            [this] { cbCharacter_Click(cbCharacter1, cbFindString); });
    connect(cbCharacter2, &QComboBox::currentIndexChanged, this,
            [this] { cbCharacter_Click(cbCharacter2, cbReplacementString); });

    // Once a change and what it brought about are done, Update's state is
    // brought up to date with them: connected after the handlers above, this
    // runs after them.
    const auto refresh = [this] {
        if (!G_bSuppressControlEvents)
            m_form.UpdateMenuToolbar();
    };
    for (QComboBox* box : findChildren<QComboBox*>()) {
        connect(box, &QComboBox::editTextChanged, this, refresh);
        connect(box, &QComboBox::currentIndexChanged, this, refresh);
    }
    for (QCheckBox* box : findChildren<QCheckBox*>())
        connect(box, &QCheckBox::stateChanged, this, refresh);
    for (QRadioButton* button : findChildren<QRadioButton*>())
        connect(button, &QRadioButton::toggled, this, refresh);
    connect(txtCommandLineWaitTimeInSeconds, &QLineEdit::textChanged, this, refresh);
}

void TaskEditor::cbOriginalFile_Change()
{
    if (G_bSuppressControlEvents)
        return;
    // The type and output written below must not run their own handlers.
    SuppressControlEvents suppress;
    showWildcardRule(cbOriginalFile->currentText().contains(u'*'));
    if (!cbOriginalFile->currentText().contains(u'*'))
        frameTargetFile->show();
    removeQuotes(cbOriginalFile);
    m_form.bCurrentActionItemDirty = true;
    m_form.UpdateMenuToolbar();

    const QString path = cbOriginalFile->currentText();
    const QString extension = pathExtension(path);
    const std::optional<int> inputType = leadingTypeNumber(cbFileTypeOriginal);
    const std::optional<QString> current = inputType ? FindTheExtension(*inputType) : std::nullopt;
    if (!extension.isEmpty() && current != extension)
        selectKeyedEntry(cbFileTypeOriginal, m_form.clnInputFileTypes, extension);

    const qsizetype dot = nameDot(path);
    if (dot < 0)
        return;
    const std::optional<int> outputType = leadingTypeNumber(cbFileTypeTarget);
    const QString outputExtension = outputType ? FindTheTargetExtension(*outputType).value_or(QString()) : QString();
    if (path.contains(u'*')) {
        const qsizetype slash = path.lastIndexOf(u'/');
        if (slash >= 0)
            cbTargetFile->setEditText(path.left(slash + 1) + QStringLiteral("*.") + outputExtension);
    } else {
        cbTargetFile->setEditText(path.left(dot + 1).trimmed() + outputExtension);
    }
}

void TaskEditor::cbTargetFile_Change()
{
    if (G_bSuppressControlEvents)
        return;
    MarkTaskChanged();
    if (removeQuotes(cbTargetFile))
        return;   // the rewrite ran this handler for the text without quotes
    const QString extension = pathExtension(cbTargetFile->currentText());
    const std::optional<int> outputType = leadingTypeNumber(cbFileTypeTarget);
    if (outputType && FindTheTargetExtension(*outputType) == extension)
        return;
    selectKeyedEntry(cbFileTypeTarget, m_form.clnOutputFileTypes, extension);
}

void TaskEditor::cbOriginalFileSpecialized_Change()
{
    if (G_bSuppressControlEvents)
        return;
    if (removeQuotes(cbOriginalFileSpecialized))
        return;   // the rewrite ran this handler for the text without quotes
    RefreshFileFolderGUISpecialized();
    MarkTaskChanged();
    const QString extension = pathExtension(cbOriginalFileSpecialized->currentText());
    if (extension.isEmpty())
        return;
    const std::optional<int> type = leadingTypeNumber(cbFileTypeOriginalSpecialized);
    if (type && FindTheExtension(*type) == extension)
        return;
    selectKeyedEntry(cbFileTypeOriginalSpecialized, m_form.clnSpecializedFileTypes, extension);
}

void TaskEditor::cbTargetFileSpecialized_Change()
{
    if (G_bSuppressControlEvents)
        return;
    removeQuotes(cbTargetFileSpecialized);
    MarkTaskChanged();
}

void TaskEditor::cbSaveToOriginalFolder_Click()
{
    MarkTaskChanged();
    frameTargetFile->setVisible(!cbSaveToOriginalFolder->isChecked());
}

void TaskEditor::cbSaveToOriginalFolderSpecialized_Click()
{
    MarkTaskChanged();
    ShowControlsInContainer(frameTargetFileSpecialized, !cbSaveToOriginalFolderSpecialized->isChecked());
    cbSaveToOriginalFolderSpecialized->show();
}

void TaskEditor::cbSpecialProcesses_Click()
{
    if (G_bSuppressControlEvents)
        return;
    if (SelectedItemData(cbSpecialProcesses) == -1) {
        // "Not listed" is a request, never a choice: the list goes back to
        // the first process whatever the answer.
        cbSpecialProcesses->setCurrentIndex(0);
        const QString title = Translate(QStringLiteral("Special Request"));
        if (ShowMessage(Translate(QStringLiteral("You can request that Kestrova add a special processing feature.  "
                                                 "Continue?")),
                        title, MessageButtons::OkCancel)
            == MessageAnswer::Ok) {
            const QString address = kSupportMailAddress;
            const QString text =
                Translate(QStringLiteral(
                    "Please give us a detailed description of what it is you want to have done to the files."))
                + QStringLiteral("\n\n EMail to: ") + address + QStringLiteral("\n\n")
                + Translate(QStringLiteral("Clicking OK will open the EMail software automatically for you."));
            if (ShowMessage(text, title, MessageButtons::OkCancel) == MessageAnswer::Ok)
                CurrentDesktopLauncher().openUrl(QUrl(QStringLiteral("mailto:") + address));
        }
    } else {
        RefreshConvertOptionsGUI();
    }
    m_form.bCurrentActionItemDirty = true;
    m_form.UpdateMenuToolbar();
}

void TaskEditor::cbCharacter_Click(QComboBox* list, QComboBox* target)
{
    const int code = list->currentIndex();
    if (code <= 0)
        return;
    target->setEditText(target->currentText() + QChar(kCharacterMarker) + QString::number(code)
                        + QChar(kCharacterMarker));
    list->setCurrentIndex(0);
}

void TaskEditor::showWildcardRule(bool wildcard)
{
    if (!wildcard)
        cbSaveToOriginalFolder->setChecked(false);
    cbSaveToOriginalFolder->setVisible(wildcard);
    cbDoSubfolders->setVisible(wildcard);
    cmdSelectTargetFile->setVisible(!wildcard);
}

void TaskEditor::showWildcardRuleSpecialized(bool wildcard)
{
    if (!wildcard)
        cbSaveToOriginalFolderSpecialized->setChecked(false);
    cbSaveToOriginalFolderSpecialized->setVisible(wildcard);
    cbDoSubfoldersSpecialized->setVisible(wildcard);
    cmdSelectTargetFileSpecialized->setVisible(!wildcard);
}

void TaskEditor::RefreshFileFolderGUISpecialized()
{
    for (QWidget* w : {cmdSelectSourceFolderSpecialized, cmdSelectTargetFolderSpecialized})
        w->show();
    switch (SelectedItemData(cbSpecialProcesses)) {
    case specialprocess::Append:
        RefreshFileFolderConcatenate();
        cmdSelectSourceFileSpecialized->show();
        cmdSelectTargetFileSpecialized->show();
        cbSaveToOriginalFolderSpecialized->hide();
        break;
    case specialprocess::RemoveEmptyLines:
    case specialprocess::SearchAndReplace:
    case specialprocess::LaunchProgram:
        RefreshFileFolderStandard();
        break;
    default:
        break;
    }
}

void TaskEditor::RefreshFileFolderStandard()
{
    cbSaveToOriginalFolderSpecialized->hide();
    showWildcardRuleSpecialized(cbOriginalFileSpecialized->currentText().contains(u'*'));
}

void TaskEditor::RefreshFileFolderConcatenate()
{
    cbSaveToOriginalFolderSpecialized->hide();
    cbDoSubfoldersSpecialized->setVisible(cbOriginalFileSpecialized->currentText().contains(u'*'));
    cmdSelectSourceFileSpecialized->show();
    cmdSelectTargetFileSpecialized->show();
    cmdSelectTargetFolderSpecialized->hide();
}

void TaskEditor::RefreshConvertOptionsGUI()
{
    SuppressControlEvents suppress;
    showWildcardRule(cbOriginalFile->currentText().contains(u'*'));
    showWildcardRuleSpecialized(cbOriginalFileSpecialized->currentText().contains(u'*'));
    RefreshFileFolderGUISpecialized();

    const bool special = !m_form.sActionToDo.contains(u'C') && m_form.sActionToDo.contains(u'S');
    rbActionToDo[special ? 1 : 0]->setChecked(true);
    m_conversionPanel->setVisible(!special);
    frameSpecializedAction->setVisible(special);

    switch (SelectedItemData(cbSpecialProcesses)) {
    case specialprocess::Append:
        frameCommandLine->hide();
        cmdSelectSourceFileSpecialized->show();
        cmdSelectTargetFileSpecialized->show();
        frameSearchAndReplace->hide();
        frameConcatenate->show();
        RefreshFileFolderGUISpecialized();
        break;
    case specialprocess::RemoveEmptyLines:
        frameCommandLine->hide();
        frameSearchAndReplace->hide();
        frameConcatenate->hide();
        break;
    case specialprocess::SearchAndReplace:
        frameCommandLine->hide();
        frameSearchAndReplace->show();
        frameConcatenate->hide();
        break;
    case specialprocess::LaunchProgram:
        frameCommandLine->show();
        frameSearchAndReplace->hide();
        frameConcatenate->hide();
        break;
    default:
        break;
    }
    // The launch frame takes the place of the file frames.
    const bool launch = frameCommandLine->isVisibleTo(frameSpecializedAction);
    frameSelectFilesForSpecialProcessing->setVisible(!launch);
    frameTargetFileSpecialized->setVisible(!launch);
}
