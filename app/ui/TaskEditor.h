#pragma once
// The task editor of the main form: the conversion panel and the
// special-process panel with their path combos, type lists, picker buttons
// and the launch, search-and-replace and append frames, and the command
// buttons under them. TaskEditor.cpp builds the controls (each named as
// the program names it) and their pickers; TaskEditorHandlers.cpp gives
// what they do when the user edits them, TaskEditorRows.cpp moves a task
// between the editor, a task record and a task row, and
// TaskEditorLaunch.cpp opens what the paths name.
#include "jobs/Validation.h"

#include <QString>
#include <QWidget>

class FlexGrid;
class MainFormState;
class clsConversionOptions;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TaskEditor : public QWidget
{
    Q_OBJECT
public:
    TaskEditor(MainFormState& form, QWidget* parent = nullptr);
    ~TaskEditor() override;

    // rbActionToDo elements 0 ("(&C)onvert Files") and 1 ("(&S)pecial
    // Processing on Files").
    QRadioButton* rbActionToDo[2] = {};

    // Conversion panel.
    QWidget* frameSelectAction = nullptr;
    QGroupBox* frameSelectOriginal = nullptr;
    QComboBox* cbOriginalFile = nullptr;
    QComboBox* cbFileTypeOriginal = nullptr;
    QCheckBox* cbDoSubfolders = nullptr;
    QPushButton* cmdLaunchOriginal = nullptr;
    QPushButton* cmdSelectSourceFolder = nullptr;
    QPushButton* cmdSelectSourceFile = nullptr;
    QGroupBox* frameSelectTarget = nullptr;
    QWidget* frameTargetFile = nullptr;
    QComboBox* cbTargetFile = nullptr;
    QComboBox* cbFileTypeTarget = nullptr;
    QCheckBox* cbSaveToOriginalFolder = nullptr;
    QPushButton* cmdLaunchTarget = nullptr;
    QPushButton* cmdSelectTargetFolder = nullptr;
    QPushButton* cmdSelectTargetFile = nullptr;
    QPushButton* cmdAdvancedOptions = nullptr;

    // Special-process panel.
    QWidget* frameSpecializedAction = nullptr;
    QComboBox* cbSpecialProcesses = nullptr;
    QGroupBox* frameSelectFilesForSpecialProcessing = nullptr;
    QComboBox* cbOriginalFileSpecialized = nullptr;
    QComboBox* cbFileTypeOriginalSpecialized = nullptr;
    QCheckBox* cbDoSubfoldersSpecialized = nullptr;
    QPushButton* cmdLaunchOriginalSpecialized = nullptr;
    QPushButton* cmdSelectSourceFolderSpecialized = nullptr;
    QPushButton* cmdSelectSourceFileSpecialized = nullptr;
    QGroupBox* frameTargetFileSpecialized = nullptr;
    QComboBox* cbTargetFileSpecialized = nullptr;
    QCheckBox* cbSaveToOriginalFolderSpecialized = nullptr;
    QPushButton* cmdLaunchTargetSpecialized = nullptr;
    QPushButton* cmdSelectTargetFolderSpecialized = nullptr;
    QPushButton* cmdSelectTargetFileSpecialized = nullptr;
    QGroupBox* frameCommandLine = nullptr;
    QComboBox* cbCommandLine = nullptr;
    QComboBox* cbCommandLineArguments = nullptr;
    QLineEdit* txtCommandLineWaitTimeInSeconds = nullptr;
    QComboBox* cbCommandLineWindowState = nullptr;
    QComboBox* cbCommandLineThreadPriority = nullptr;
    QPushButton* cmdCommandLineSelectApplication = nullptr;
    QPushButton* cmdLaunchCommandLine = nullptr;
    QGroupBox* frameSearchAndReplace = nullptr;
    QComboBox* cbFindString = nullptr;
    QComboBox* cbReplacementString = nullptr;
    QLabel* lblReplaceWithString = nullptr;
    QComboBox* cbCharacter1 = nullptr;
    QComboBox* cbCharacter2 = nullptr;
    QPushButton* cmdAdvancedOptionsRexhound = nullptr;
    QGroupBox* frameConcatenate = nullptr;
    QCheckBox* cbAddPageBrake = nullptr;
    QCheckBox* cbPlacePathAtTopOfEachFile = nullptr;

    // Command buttons under the panels.
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdPause = nullptr;

    // The combo box a recently-used list fills, by the list's name; null
    // for a list without one (mruFileOpen).
    QComboBox* comboOfList(const QString& listName) const;

    // Fills the type, process, character, window-state and priority lists.
    void FillLists();

    // Shows the panel of the form's sActionToDo, the wildcard rules of both
    // panels and, on the special-process panel, the frames of the chosen
    // process.
    void RefreshConvertOptionsGUI();
    // The special-process panel's picker buttons and boxes for the process.
    void RefreshFileFolderGUISpecialized();
    void RefreshFileFolderStandard();
    void RefreshFileFolderConcatenate();

    // Fills the record from the panel of the form's sActionToDo. With
    // "Save to Input folder" ticked the output combo gets the input's
    // folder and the output type's pattern. Throws std::runtime_error when
    // the launch wait time is not a whole number.
    void GetOptionsFromGUI(clsConversionOptions& options);
    // Write the editor into the grid's current row, which must be a task
    // row; the number and pass mark stay. The launch wait time is the
    // validated record's.
    void UpdateGridFromGUI_ConversionItem(FlexGrid& grid);
    void UpdateGridFromGUI_SpecializedItem(FlexGrid& grid, const clsConversionOptions& validated);
    // Fill the editor from the grid's current row, with the controls'
    // events silenced.
    void UpdateGUI_ConversionItemViaCellContents(FlexGrid& grid);
    void UpdateGUI_SpecializedToDOItemViaCellContents(FlexGrid& grid);
    // Puts the edited task's paths and texts first in their recently-used
    // lists and refills the combos.
    void UpdateMRUs();

    // The fields validation tidies and points at.
    TaskEditorFields& fields();

    // Marks the edited task changed (nothing while events are silenced).
    void MarkTaskChanged();
    // Everything of the editor that goes into a task row, to tell whether
    // the editor still holds the task it was filled with.
    QStringList shownTaskState() const;

    // Change handlers that other code runs too.
    void cbOriginalFile_Change();
    void cbTargetFile_Change();
    void cbOriginalFileSpecialized_Change();
    void cbTargetFileSpecialized_Change();
    void cbSpecialProcesses_Click();
    void cbSaveToOriginalFolder_Click();
    void cbSaveToOriginalFolderSpecialized_Click();
    void cbCharacter_Click(QComboBox* list, QComboBox* target);

    // Opening what the paths name, and the program picker.
    void cmdLaunchOriginal_Click();
    void cmdLaunchTarget_Click();
    void cmdLaunchOriginalSpecialized_Click();
    void cmdLaunchTargetSpecialized_Click();
    void cmdLaunchCommandLine_Click();
    void cmdCommandLineSelectApplication_Click();

    // The picker buttons.
    void cmdSelectSourceFile_Click();
    void cmdSelectTargetFile_Click();
    void cmdSelectSourceFolder_Click();
    void cmdSelectTargetFolder_Click();
    void cmdSelectSourceFileSpecialized_Click();
    void cmdSelectTargetFileSpecialized_Click();
    void cmdSelectSourceFolderSpecialized_Click();
    void cmdSelectTargetFolderSpecialized_Click();

signals:
    // rbActionToDo was clicked; `index` is the element.
    void rbActionToDoClicked(int index);

private:
    void build();
    QWidget* buildConversionPanel();
    QWidget* buildSpecialPanel();
    void connectHandlers();
    void connectLaunchers();
    void launchPath(const QComboBox* field);
    void showWildcardRule(bool wildcard);
    void showWildcardRuleSpecialized(bool wildcard);

    MainFormState& m_form;
    QWidget* m_conversionPanel = nullptr;
    // The program picker's filter pair, kept from one use to the next.
    int m_lCommandLineFilterIndex = 1;
    class EditorFields;
    EditorFields* m_fields = nullptr;
};
