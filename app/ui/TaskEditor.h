#pragma once
// The task editor of the main form: the conversion panel and the
// special-process panel with their path combos, type lists, picker buttons
// and the launch, search-and-replace and append frames, and the command
// buttons under them. This file builds the controls (each named as the
// program names it) and their pickers; what the controls do when the user
// edits them is added by the editor's handlers.
#include <QString>
#include <QWidget>

class MainFormState;
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

    // Shows the panel of the form's sActionToDo and, on the special-process
    // panel, the frames of the chosen process.
    void ShowPanelOfAction();

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

    MainFormState& m_form;
};
