// The task between its forms: the editor into a task record, the editor
// into the selected task row (the Update command), a task row back into
// the editor, and the recently-used lists the edited task feeds.
#include "TaskEditor.h"

#include "core/FileSystem.h"
#include "core/FileTypes.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "jobs/FlexGrid.h"
#include "jobs/GridSetup.h"
#include "jobs/MainFormState.h"
#include "jobs/TaskRows.h"
#include "jobs/TextNumbers.h"
#include "ui/EditorPickers.h"
#include "ui/FormUtilities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <stdexcept>

namespace {

bool hasFlag(const QString& cell, QChar letter)
{
    return HasFlagLetter(cell, letter);
}

// Selects the first entry whose item data is the number in the text; no
// match (or no number) keeps the selection.
void selectItemData(QComboBox* box, const QString& number)
{
    int value = 0;
    if (!TextToWholeNumber(number, value))
        return;
    const int index = box->findData(value);
    if (index >= 0)
        box->setCurrentIndex(index);
}

void setChecked(QCheckBox* box, bool on)
{
    box->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

int waitTimeOf(const QLineEdit* box)
{
    int seconds = 0;
    if (!TextToWholeNumber(box->text(), seconds))
        throw std::runtime_error(
            Translate(QStringLiteral("The wait time must be a whole number of seconds.")).toStdString());
    return seconds;
}

} // namespace

// The editor's fields as validation sees them.
class TaskEditor::EditorFields : public TaskEditorFields
{
public:
    explicit EditorFields(TaskEditor& editor) : m_editor(editor) {}

    QString text(EditorField field) const override
    {
        if (QComboBox* box = combo(field))
            return box->currentText();
        return m_editor.txtCommandLineWaitTimeInSeconds->text();
    }
    void setText(EditorField field, const QString& text) override
    {
        SuppressControlEvents suppress;
        if (QComboBox* box = combo(field))
            box->setEditText(text);
        else
            m_editor.txtCommandLineWaitTimeInSeconds->setText(text);
    }
    bool isVisible(EditorField field) const override { return widget(field)->isVisible(); }
    void focus(EditorField field) override
    {
        QWidget* w = widget(field);
        w->setFocus();
        if (QComboBox* box = combo(field); box && box->lineEdit())
            box->lineEdit()->selectAll();
        else if (field == EditorField::CommandLineWaitTime)
            m_editor.txtCommandLineWaitTimeInSeconds->selectAll();
    }

private:
    QComboBox* combo(EditorField field) const
    {
        switch (field) {
        case EditorField::OriginalFile:
            return m_editor.cbOriginalFile;
        case EditorField::TargetFile:
            return m_editor.cbTargetFile;
        case EditorField::OriginalFileSpecialized:
            return m_editor.cbOriginalFileSpecialized;
        case EditorField::TargetFileSpecialized:
            return m_editor.cbTargetFileSpecialized;
        case EditorField::FindString:
            return m_editor.cbFindString;
        case EditorField::CommandLineWaitTime:
            break;
        }
        return nullptr;
    }
    QWidget* widget(EditorField field) const
    {
        if (QComboBox* box = combo(field))
            return box;
        return m_editor.txtCommandLineWaitTimeInSeconds;
    }

    TaskEditor& m_editor;
};

TaskEditor::~TaskEditor()
{
    delete m_fields;
}

TaskEditorFields& TaskEditor::fields()
{
    if (!m_fields)
        m_fields = new EditorFields(*this);
    return *m_fields;
}

void TaskEditor::GetOptionsFromGUI(clsConversionOptions& o)
{
    if (rbActionToDo[0]->isChecked()) {
        o.sActionToDo = QStringLiteral("C");
        const int outputType = SelectedItemData(cbFileTypeTarget);
        if (cbSaveToOriginalFolder->isChecked()) {
            // Output type numbers are those of the image and PDF table,
            // whichever engine renders.
            cbTargetFile->setEditText(
                JoinFolder(GetParentFolderName(cbOriginalFile->currentText().trimmed()),
                           GetFileTypeExtension(outputType, true, extensiontable::PDFtoImage)));
        }
        o.lConversionMethod = m_form.lConversionMethod;
        o.lOriginalFileType = SelectedItemData(cbFileTypeOriginal);
        o.sOriginalFile = cbOriginalFile->currentText().trimmed();
        o.lTargetFileType = outputType;
        o.sTargetFile = cbTargetFile->currentText().trimmed();
        o.bDoSubFolders = cbDoSubfolders->isChecked();
        o.bSaveInOriginalFolder = cbSaveToOriginalFolder->isChecked();
        o.sExtraParams = m_form.sImageConversionOptions;
        return;
    }

    o.lConversionMethod = 4;
    o.lSpecialProcess = SelectedItemData(cbSpecialProcesses);
    o.sActionToDo = QStringLiteral("S") + QString::number(o.lSpecialProcess);
    if (o.lSpecialProcess == specialprocess::LaunchProgram) {
        o.sOriginalFile = cbCommandLine->currentText();
        o.sTargetFile = cbCommandLineArguments->currentText();
        o.lCommandLineThreadPriority = SelectedItemData(cbCommandLineThreadPriority);
        o.lCommandLineWindowState = SelectedItemData(cbCommandLineWindowState);
        o.lCommandLineWaitTime = waitTimeOf(txtCommandLineWaitTimeInSeconds);
        return;
    }
    const int type = SelectedItemData(cbFileTypeOriginalSpecialized);
    if (cbSaveToOriginalFolderSpecialized->isChecked())
        cbTargetFileSpecialized->setEditText(
            JoinFolder(GetParentFolderName(cbOriginalFileSpecialized->currentText().trimmed()),
                       GetFileTypeExtension(type, true, m_form.lConversionMethod)));
    o.lTargetFileType = type;
    o.lOriginalFileType = type;
    o.sOriginalFile = cbOriginalFileSpecialized->currentText().trimmed();
    o.sTargetFile = cbTargetFileSpecialized->currentText().trimmed();
    o.bDoSubFolders = cbDoSubfoldersSpecialized->isChecked();
    o.bSaveInOriginalFolder = cbSaveToOriginalFolderSpecialized->isChecked();
    if (o.lSpecialProcess == specialprocess::SearchAndReplace) {
        o.sFindString = cbFindString->currentText();
        o.sReplaceString = cbReplacementString->currentText();
        o.bCaseSensitive = m_form.bRXHDCaseSensitive;
        o.bUseRegularExpression = m_form.bRXHDUseRegularExpression;
        o.bRXHDWholeWordOnly = m_form.bRXHDWholeWordOnly;
        o.bRXHDBeginningOfLine = m_form.bRXHDBeginningOfLine;
        o.bRXHDEndOfLine = m_form.bRXHDEndOfLine;
        o.bRXHDMultiLine = m_form.bRXHDMultiLine;
        o.bRXHDGenerateReportWhenDone = m_form.bRXHDGenerateReportWhenDone;
    }
}

void TaskEditor::UpdateGridFromGUI_ConversionItem(FlexGrid& grid)
{
    const QString input = cbOriginalFile->currentText().trimmed();
    const int inputType = SelectedItemData(cbFileTypeOriginal);
    const int outputType = SelectedItemData(cbFileTypeTarget);
    const QString output = cbTargetFile->currentText().trimmed();
    QString flags;
    if (cbDoSubfolders->isChecked())
        flags += u'R';
    if (cbSaveToOriginalFolder->isChecked())
        flags += u'G';
    if (m_form.lConversionMethod == 1)
        flags += QStringLiteral(" M");
    const QString outputName = GetFileTypeExtension(outputType, false, extensiontable::PDFtoImage);
    const QString inputName =
        m_form.lConversionMethod == 2 ? GetFileTypeExtension_TXOutput(inputType, false) : QString();

    const int r = grid.Row();
    grid.setTextMatrix(r, todocol::Options, m_form.sImageConversionOptions);
    grid.setTextMatrix(r, todocol::Flags, flags);
    grid.setTextMatrix(r, todocol::Do, QStringLiteral("C"));
    grid.setTextMatrix(r, todocol::Input, input);
    grid.setTextMatrix(r, todocol::InputTypeName, inputName);
    grid.setTextMatrix(r, todocol::InputType, QString::number(inputType));
    grid.setTextMatrix(r, todocol::Output, output);
    grid.setTextMatrix(r, todocol::OutputTypeName, outputName);
    grid.setTextMatrix(r, todocol::OutputType, QString::number(outputType));
    UpdateMRUs();
}

void TaskEditor::UpdateGridFromGUI_SpecializedItem(FlexGrid& grid, const clsConversionOptions& validated)
{
    const int process = SelectedItemData(cbSpecialProcesses);
    QString input, output, flags, typeName;
    int type = 0;
    if (process == specialprocess::LaunchProgram) {
        input = cbCommandLine->currentText();
        output = cbCommandLineArguments->currentText();
        flags = QStringLiteral("T") + QString::number(SelectedItemData(cbCommandLineThreadPriority))
                + QStringLiteral(" S") + QString::number(SelectedItemData(cbCommandLineWindowState))
                + QStringLiteral(" W") + QString::number(validated.lCommandLineWaitTime);
    } else {
        input = cbOriginalFileSpecialized->currentText().trimmed();
        type = SelectedItemData(cbFileTypeOriginalSpecialized);
        output = cbTargetFileSpecialized->currentText().trimmed();
        flags = JoinFlagLetters({
            {cbDoSubfoldersSpecialized->isChecked(), u'R'},
            {cbSaveToOriginalFolderSpecialized->isChecked(), u'G'},
            {m_form.bRXHDCaseSensitive, u'D'},
            {m_form.bRXHDUseRegularExpression, u'X'},
            {m_form.bRXHDWholeWordOnly, u'W'},
            {m_form.bRXHDBeginningOfLine, u'B'},
            {m_form.bRXHDEndOfLine, u'L'},
            {m_form.bRXHDMultiLine, u'Z'},
            {m_form.bRXHDGenerateReportWhenDone, u'J'},
        });
        if (process == specialprocess::SearchAndReplace)
            flags = FindReplaceCellText(flags, cbFindString->currentText(), cbReplacementString->currentText());
        typeName = GetFileTypeExtension(type, false, extensiontable::TXInput);
    }

    const int r = grid.Row();
    grid.setTextMatrix(r, todocol::Options, QString());
    grid.setTextMatrix(r, todocol::Flags, flags);
    grid.setTextMatrix(r, todocol::Do, QStringLiteral("S") + QString::number(process));
    grid.setTextMatrix(r, todocol::Input, input);
    grid.setTextMatrix(r, todocol::InputTypeName, typeName);
    grid.setTextMatrix(r, todocol::InputType, QString::number(type));
    grid.setTextMatrix(r, todocol::Output, output);
    grid.setTextMatrix(r, todocol::OutputTypeName, typeName);
    grid.setTextMatrix(r, todocol::OutputType, QString::number(type));
    UpdateMRUs();
}

void TaskEditor::UpdateGUI_ConversionItemViaCellContents(FlexGrid& grid)
{
    SuppressControlEvents suppress;
    const int r = grid.Row();
    m_form.sActionToDo = QStringLiteral("C");
    rbActionToDo[0]->setChecked(true);
    m_conversionPanel->show();
    frameSpecializedAction->hide();
    m_form.sImageConversionOptions = grid.TextMatrix(r, todocol::Options);

    const QString flags = grid.TextMatrix(r, todocol::Flags);
    setChecked(cbDoSubfolders, hasFlag(flags, u'R'));
    setChecked(cbSaveToOriginalFolder, hasFlag(flags, u'G'));
    frameTargetFile->setVisible(!hasFlag(flags, u'G'));
    const bool word = hasFlag(flags, u'M');
    m_form.lConversionMethod = word ? 1 : 2;
    m_form.bUserMSWordToConvert = word;

    cbFileTypeOriginal->show();
    cbOriginalFile->setEditText(grid.TextMatrix(r, todocol::Input));
    selectItemData(cbFileTypeOriginal, grid.TextMatrix(r, todocol::InputType));
    cbTargetFile->setEditText(grid.TextMatrix(r, todocol::Output));
    selectItemData(cbFileTypeTarget, grid.TextMatrix(r, todocol::OutputType));

    const bool wildcard = cbOriginalFile->currentText().contains(u'*');
    // The rule unticks "Save to Input folder" only for a single input.
    if (wildcard) {
        cbSaveToOriginalFolder->show();
        cbDoSubfolders->show();
        cmdSelectTargetFile->hide();
    } else {
        showWildcardRule(false);
    }
}

void TaskEditor::UpdateGUI_SpecializedToDOItemViaCellContents(FlexGrid& grid)
{
    SuppressControlEvents suppress;
    const int r = grid.Row();
    m_form.sActionToDo = QStringLiteral("S");
    rbActionToDo[1]->setChecked(true);
    m_conversionPanel->hide();
    frameSpecializedAction->show();

    const QString flags = grid.TextMatrix(r, todocol::Flags);
    QString process = grid.TextMatrix(r, todocol::Do);
    process.remove(QChar(u'S'), Qt::CaseInsensitive);
    int p = 0;
    TextToWholeNumber(process, p);
    // A launch row's column 1 holds its settings, whose letters are no flags.
    const QString letters = p == specialprocess::LaunchProgram ? QString() : flags;
    setChecked(cbDoSubfoldersSpecialized, hasFlag(letters, u'R'));
    m_form.bRXHDCaseSensitive = hasFlag(letters, u'D');
    m_form.bRXHDUseRegularExpression = hasFlag(letters, u'X');
    m_form.bRXHDWholeWordOnly = hasFlag(letters, u'W');
    m_form.bRXHDBeginningOfLine = hasFlag(letters, u'B');
    m_form.bRXHDEndOfLine = hasFlag(letters, u'L');
    m_form.bRXHDMultiLine = hasFlag(letters, u'Z');
    m_form.bRXHDGenerateReportWhenDone = hasFlag(letters, u'J');
    const bool inputFolder = hasFlag(letters, u'G');
    setChecked(cbSaveToOriginalFolderSpecialized, inputFolder);
    ShowControlsInContainer(frameTargetFileSpecialized, !inputFolder);
    cbSaveToOriginalFolderSpecialized->show();

    QString find;
    std::optional<QString> replacement;
    if (ReadFindReplaceCell(flags, find, replacement)) {
        cbFindString->setEditText(find);
        if (replacement)
            cbReplacementString->setEditText(*replacement);
    }

    selectItemData(cbFileTypeOriginalSpecialized, grid.TextMatrix(r, todocol::InputType));
    const int index = cbSpecialProcesses->findData(p);
    if (index >= 0)
        cbSpecialProcesses->setCurrentIndex(index);

    const QString input = grid.TextMatrix(r, todocol::Input);
    const QString output = grid.TextMatrix(r, todocol::Output);
    switch (p) {
    case specialprocess::Append:
        cbOriginalFileSpecialized->setEditText(input);
        cbTargetFileSpecialized->setEditText(output);
        frameConcatenate->show();
        frameCommandLine->hide();
        frameSearchAndReplace->hide();
        cbSaveToOriginalFolderSpecialized->hide();
        break;
    case specialprocess::RemoveEmptyLines:
        cbOriginalFileSpecialized->setEditText(input);
        cbTargetFileSpecialized->setEditText(output);
        for (QWidget* w : {static_cast<QWidget*>(frameCommandLine), static_cast<QWidget*>(frameSearchAndReplace),
                           static_cast<QWidget*>(frameConcatenate)})
            w->hide();
        break;
    case specialprocess::SearchAndReplace:
        cbOriginalFileSpecialized->setEditText(input);
        cbTargetFileSpecialized->setEditText(output);
        frameSearchAndReplace->show();
        frameCommandLine->hide();
        frameConcatenate->hide();
        break;
    case specialprocess::LaunchProgram: {
        cbCommandLine->setEditText(input);
        cbCommandLineArguments->setEditText(output);
        frameCommandLine->show();
        frameSearchAndReplace->hide();
        frameConcatenate->hide();
        QString settings = flags;
        settings.remove(u'T').remove(u'S').remove(u'W');
        const QStringList parts = settings.split(u' ');
        if (parts.size() > 0)
            selectItemData(cbCommandLineThreadPriority, parts.at(0));
        if (parts.size() > 1)
            selectItemData(cbCommandLineWindowState, parts.at(1));
        if (parts.size() > 2)
            txtCommandLineWaitTimeInSeconds->setText(parts.at(2));
        break;
    }
    default:
        break;
    }
    const bool launch = p == specialprocess::LaunchProgram;
    frameSelectFilesForSpecialProcessing->setVisible(!launch);
    frameTargetFileSpecialized->setVisible(!launch);

    const bool wildcard = cbOriginalFileSpecialized->currentText().contains(u'*');
    if (wildcard) {
        cbSaveToOriginalFolderSpecialized->show();
        cbDoSubfoldersSpecialized->show();
        cmdSelectTargetFileSpecialized->hide();
    } else {
        showWildcardRuleSpecialized(false);
    }
    if (p == specialprocess::Append)
        cbSaveToOriginalFolderSpecialized->hide();
    RefreshFileFolderGUISpecialized();
}

QStringList TaskEditor::shownTaskState() const
{
    QStringList state;
    for (const QComboBox* box : {cbOriginalFile, cbTargetFile, cbOriginalFileSpecialized, cbTargetFileSpecialized,
                                 cbCommandLine, cbCommandLineArguments, cbFindString, cbReplacementString})
        state << box->currentText();
    for (const QComboBox* box : {cbFileTypeOriginal, cbFileTypeTarget, cbFileTypeOriginalSpecialized,
                                 cbSpecialProcesses, cbCommandLineWindowState, cbCommandLineThreadPriority})
        state << QString::number(box->currentIndex());
    for (const QCheckBox* box :
         {cbDoSubfolders, cbSaveToOriginalFolder, cbDoSubfoldersSpecialized, cbSaveToOriginalFolderSpecialized})
        state << QString::number(int(box->checkState()));
    const bool flags[] = {rbActionToDo[0]->isChecked(),   m_form.bRXHDCaseSensitive,    m_form.bRXHDUseRegularExpression,
                          m_form.bRXHDWholeWordOnly,      m_form.bRXHDBeginningOfLine, m_form.bRXHDEndOfLine,
                          m_form.bRXHDMultiLine,          m_form.bRXHDGenerateReportWhenDone};
    for (const bool flag : flags)
        state << QString::number(int(flag));
    state << txtCommandLineWaitTimeInSeconds->text() << m_form.sImageConversionOptions
          << QString::number(m_form.lConversionMethod);
    return state;
}

void TaskEditor::UpdateMRUs()
{
    struct Pair
    {
        QComboBox* box;
        std::optional<clsMRU>& list;
    };
    const auto push = [](const Pair& pair) {
        if (!pair.list)
            return;
        pair.list->AddUniqueItemToCollection(pair.box->currentText());
        FillComboFromMRU(pair.box, *pair.list);
    };
    if (m_form.sActionToDo.contains(u'S')) {
        const Pair pairs[] = {
            {cbOriginalFileSpecialized, m_form.mruSourceSpecialized},
            {cbTargetFileSpecialized, m_form.mruTargetSpecialized},
            {cbCommandLine, m_form.mruCommandLine},
            {cbCommandLineArguments, m_form.mruCommandLineArguments},
            {cbFindString, m_form.mruFindString},
        };
        for (const Pair& pair : pairs)
            push(pair);
        // An empty replacement stays empty in its box.
        if (!cbReplacementString->currentText().isEmpty())
            push({cbReplacementString, m_form.mruReplaceString});
    } else if (m_form.sActionToDo.contains(u'C')) {
        push({cbOriginalFile, m_form.mruSource});
        push({cbTargetFile, m_form.mruTarget});
    }
}
