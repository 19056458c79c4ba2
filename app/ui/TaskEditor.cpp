#include "TaskEditor.h"

#include "core/FilePickers.h"
#include "core/FileTypes.h"
#include "core/SuppressControlEvents.h"
#include "core/Translator.h"
#include "jobs/EditorTypeLists.h"
#include "jobs/MainFormState.h"
#include "ui/EditorPickers.h"
#include "ui/FormTranslation.h"
#include "ui/FormUtilities.h"
#include "ui/WidgetNames.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QComboBox* pathCombo(const char* name)
{
    auto* box = named(new QComboBox, name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // The box's own completer matches ignoring case and, when typing ends,
    // puts the matching entry's spelling in place of the typed one: on a
    // case-sensitive file system that is another file. Matched with case,
    // it only suggests what the user goes on to type.
    box->completer()->setCaseSensitivity(Qt::CaseSensitive);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box->setMinimumContentsLength(20);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

QComboBox* listCombo(const char* name)
{
    auto* box = named(new QComboBox, name);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

QPushButton* pickerButton(const char* name, const char* caption, QStyle::StandardPixmap icon)
{
    auto* button = named(new QPushButton(QString::fromLatin1(caption)), name);
    button->setIcon(QApplication::style()->standardIcon(icon));
    return button;
}

QPushButton* launchButton(const char* name)
{
    auto* button = named(new QPushButton, name);
    button->setIcon(QApplication::style()->standardIcon(QStyle::SP_DialogOpenButton));
    button->setToolTip(QStringLiteral("Open"));
    return button;
}

struct PathRow
{
    QComboBox* path;
    QPushButton* launch;
    QPushButton* folder;
    QPushButton* file;
};

// A path combo with its open, folder and file buttons right-aligned after
// it, as one row of the grid; the controls get the names given. The
// buttons keep their natural widths and their places when one of them is
// hidden, so that the buttons of every path row stand under each other.
PathRow addPathRow(QGridLayout* grid, int row, const char* path, const char* launch, const char* folder,
                   const char* file)
{
    const PathRow r{pathCombo(path), launchButton(launch), pickerButton(folder, "    Folder..", QStyle::SP_DirIcon),
                    pickerButton(file, "   File..", QStyle::SP_FileIcon)};
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    line->addWidget(r.path, 1);
    line->addSpacing(4);
    for (QPushButton* button : {r.launch, r.folder, r.file}) {
        QSizePolicy policy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
        line->addWidget(button);
    }
    grid->addLayout(line, row, 0, 1, -1);
    return r;
}

// The frames' insides: close enough that every panel fits over the task
// grid at the window's first size.
void compact(QLayout* layout)
{
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(4);
}

QLabel* label(const QString& text, QWidget* buddy)
{
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TaskEditor::TaskEditor(MainFormState& form, QWidget* parent)
    : QWidget(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("frameSelectAction"));
    frameSelectAction = this;
    build();
}

void TaskEditor::build()
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(4);

    auto* actions = new QHBoxLayout;
    rbActionToDo[0] = named(new QRadioButton(QStringLiteral("(&C)onvert Files")), "rbActionToDo0");
    rbActionToDo[1] = named(new QRadioButton(QStringLiteral("(&S)pecial Processing on Files")), "rbActionToDo1");
    for (int i = 0; i < 2; ++i) {
        actions->addWidget(rbActionToDo[i]);
        connect(rbActionToDo[i], &QRadioButton::clicked, this, [this, i] { emit rbActionToDoClicked(i); });
    }
    actions->addStretch(1);
    column->addLayout(actions);

    column->addWidget(buildConversionPanel());
    column->addWidget(buildSpecialPanel());

    // The command buttons share the choice's row, which leaves the panels
    // and the task grid their height; made after the panels, they come
    // after them in the Tab order, as under them.
    cmdAdd = named(new QPushButton(QStringLiteral("&Add")), "cmdAdd");
    cmdRemove = named(new QPushButton(QStringLiteral("&Delete")), "cmdRemove");
    cmdUpdate = named(new QPushButton(QStringLiteral("&Update")), "cmdUpdate");
    cmdPause = named(new QPushButton(QStringLiteral("&Pause")), "cmdPause");
    for (QPushButton* b : {cmdAdd, cmdRemove, cmdUpdate, cmdPause})
        actions->addWidget(b);

    connect(cmdSelectSourceFile, &QPushButton::clicked, this, &TaskEditor::cmdSelectSourceFile_Click);
    connect(cmdSelectTargetFile, &QPushButton::clicked, this, &TaskEditor::cmdSelectTargetFile_Click);
    connect(cmdSelectSourceFolder, &QPushButton::clicked, this, &TaskEditor::cmdSelectSourceFolder_Click);
    connect(cmdSelectTargetFolder, &QPushButton::clicked, this, &TaskEditor::cmdSelectTargetFolder_Click);
    connect(cmdSelectSourceFileSpecialized, &QPushButton::clicked, this,
            &TaskEditor::cmdSelectSourceFileSpecialized_Click);
    connect(cmdSelectTargetFileSpecialized, &QPushButton::clicked, this,
            &TaskEditor::cmdSelectTargetFileSpecialized_Click);
    connect(cmdSelectSourceFolderSpecialized, &QPushButton::clicked, this,
            &TaskEditor::cmdSelectSourceFolderSpecialized_Click);
    connect(cmdSelectTargetFolderSpecialized, &QPushButton::clicked, this,
            &TaskEditor::cmdSelectTargetFolderSpecialized_Click);
    connectHandlers();
    connectLaunchers();
}

QWidget* TaskEditor::buildConversionPanel()
{
    auto* panel = named(new QWidget, "conversionPanel");
    m_conversionPanel = panel;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    frameSelectOriginal = named(new QGroupBox(QStringLiteral(" Select Input File(s)")), "frameSelectOriginal");
    auto* in = new QGridLayout(frameSelectOriginal);
    compact(in);
    const PathRow input = addPathRow(in, 0, "cbOriginalFile", "cmdLaunchOriginal", "cmdSelectSourceFolder",
                                     "cmdSelectSourceFile");
    cbOriginalFile = input.path;
    cmdLaunchOriginal = input.launch;
    cmdSelectSourceFolder = input.folder;
    cmdSelectSourceFile = input.file;
    cbFileTypeOriginal = listCombo("cbFileTypeOriginal");
    cbDoSubfolders = named(new QCheckBox(QStringLiteral("Do Subfolders")), "cbDoSubfolders");
    in->addWidget(label(QStringLiteral("Type:"), cbFileTypeOriginal), 1, 0);
    in->addWidget(cbFileTypeOriginal, 1, 1);
    in->addWidget(cbDoSubfolders, 1, 2, Qt::AlignLeft);
    in->setColumnStretch(2, 1);
    column->addWidget(frameSelectOriginal);

    frameSelectTarget = named(new QGroupBox(QStringLiteral(" Select Target File(s)")), "frameSelectTarget");
    auto* outer = new QVBoxLayout(frameSelectTarget);
    outer->setContentsMargins(0, 0, 0, 0);
    frameTargetFile = named(new QWidget, "frameTargetFile");
    outer->addWidget(frameTargetFile);
    auto* out = new QGridLayout(frameTargetFile);
    compact(out);
    const PathRow output = addPathRow(out, 0, "cbTargetFile", "cmdLaunchTarget", "cmdSelectTargetFolder",
                                      "cmdSelectTargetFile");
    cbTargetFile = output.path;
    cmdLaunchTarget = output.launch;
    cmdSelectTargetFolder = output.folder;
    cmdSelectTargetFile = output.file;
    cbFileTypeTarget = listCombo("cbFileTypeTarget");
    cbSaveToOriginalFolder = named(new QCheckBox(QStringLiteral("Save to Input folder")), "cbSaveToOriginalFolder");
    cmdAdvancedOptions = named(new QPushButton(QStringLiteral("  Options")), "cmdAdvancedOptions");
    out->addWidget(label(QStringLiteral("Type:"), cbFileTypeTarget), 1, 0);
    out->addWidget(cbFileTypeTarget, 1, 1);
    out->addWidget(cbSaveToOriginalFolder, 1, 2, Qt::AlignLeft);
    out->addWidget(cmdAdvancedOptions, 1, 3, Qt::AlignRight);
    out->setColumnStretch(2, 1);
    column->addWidget(frameSelectTarget);
    return panel;
}

QWidget* TaskEditor::buildSpecialPanel()
{
    frameSpecializedAction = named(new QWidget, "frameSpecializedAction");
    auto* column = new QVBoxLayout(frameSpecializedAction);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);

    cbSpecialProcesses = listCombo("cbSpecialProcesses");
    auto* processRow = new QHBoxLayout;
    processRow->addWidget(cbSpecialProcesses);
    processRow->addStretch(1);
    column->addLayout(processRow);

    frameSelectFilesForSpecialProcessing =
        named(new QGroupBox(QStringLiteral(" Select Input File(s)")), "frameSelectFilesForSpecialProcessing");
    auto* in = new QGridLayout(frameSelectFilesForSpecialProcessing);
    compact(in);
    const PathRow input = addPathRow(in, 0, "cbOriginalFileSpecialized", "cmdLaunchOriginalSpecialized",
                                     "cmdSelectSourceFolderSpecialized", "cmdSelectSourceFileSpecialized");
    cbOriginalFileSpecialized = input.path;
    cmdLaunchOriginalSpecialized = input.launch;
    cmdSelectSourceFolderSpecialized = input.folder;
    cmdSelectSourceFileSpecialized = input.file;
    cbFileTypeOriginalSpecialized = listCombo("cbFileTypeOriginalSpecialized");
    cbDoSubfoldersSpecialized = named(new QCheckBox(QStringLiteral("Do Subfolders")), "cbDoSubfoldersSpecialized");
    in->addWidget(label(QStringLiteral("Type:"), cbFileTypeOriginalSpecialized), 1, 0);
    in->addWidget(cbFileTypeOriginalSpecialized, 1, 1);
    in->addWidget(cbDoSubfoldersSpecialized, 1, 2, Qt::AlignLeft);
    in->setColumnStretch(2, 1);
    column->addWidget(frameSelectFilesForSpecialProcessing);

    frameTargetFileSpecialized =
        named(new QGroupBox(QStringLiteral(" Select Target File(s)")), "frameTargetFileSpecialized");
    auto* out = new QGridLayout(frameTargetFileSpecialized);
    compact(out);
    const PathRow output = addPathRow(out, 0, "cbTargetFileSpecialized", "cmdLaunchTargetSpecialized",
                                      "cmdSelectTargetFolderSpecialized", "cmdSelectTargetFileSpecialized");
    cbTargetFileSpecialized = output.path;
    cmdLaunchTargetSpecialized = output.launch;
    cmdSelectTargetFolderSpecialized = output.folder;
    cmdSelectTargetFileSpecialized = output.file;
    cbSaveToOriginalFolderSpecialized =
        named(new QCheckBox(QStringLiteral("Save to Input folder")), "cbSaveToOriginalFolderSpecialized");
    out->addWidget(cbSaveToOriginalFolderSpecialized, 1, 0, 1, 3, Qt::AlignLeft);
    column->addWidget(frameTargetFileSpecialized);

    frameCommandLine = named(new QGroupBox(QStringLiteral(" Launch (Run) a program")), "frameCommandLine");
    auto* launch = new QGridLayout(frameCommandLine);
    compact(launch);
    cbCommandLine = pathCombo("cbCommandLine");
    cmdLaunchCommandLine = launchButton("cmdLaunchCommandLine");
    cmdCommandLineSelectApplication =
        pickerButton("cmdCommandLineSelectApplication", "   File..", QStyle::SP_FileIcon);
    auto* programButtons = new QHBoxLayout;
    programButtons->addWidget(cmdLaunchCommandLine);
    programButtons->addWidget(cmdCommandLineSelectApplication);
    launch->addWidget(cbCommandLine, 0, 0, 1, 6);
    launch->addLayout(programButtons, 0, 6);
    cbCommandLineArguments = pathCombo("cbCommandLineArguments");
    launch->addWidget(label(QStringLiteral("Arguments:"), cbCommandLineArguments), 1, 0);
    launch->addWidget(cbCommandLineArguments, 1, 1, 1, 6);
    txtCommandLineWaitTimeInSeconds = named(new QLineEdit, "txtCommandLineWaitTimeInSeconds");
    txtCommandLineWaitTimeInSeconds->setMaximumWidth(80);
    // A number, never a phrase.
    txtCommandLineWaitTimeInSeconds->setProperty("Tag", QString::fromLatin1(kTranslateFalse));
    cbCommandLineWindowState = listCombo("cbCommandLineWindowState");
    cbCommandLineThreadPriority = listCombo("cbCommandLineThreadPriority");
    launch->addWidget(label(QStringLiteral("Wait (seconds):"), txtCommandLineWaitTimeInSeconds), 2, 0);
    launch->addWidget(txtCommandLineWaitTimeInSeconds, 2, 1);
    launch->addWidget(label(QStringLiteral("Window:"), cbCommandLineWindowState), 2, 2);
    launch->addWidget(cbCommandLineWindowState, 2, 3);
    launch->addWidget(label(QStringLiteral("Priority:"), cbCommandLineThreadPriority), 2, 4);
    launch->addWidget(cbCommandLineThreadPriority, 2, 5);
    launch->setColumnStretch(5, 1);
    column->addWidget(frameCommandLine);

    frameSearchAndReplace = named(new QGroupBox(QStringLiteral(" Search and Replace")), "frameSearchAndReplace");
    auto* search = new QGridLayout(frameSearchAndReplace);
    compact(search);
    cbFindString = pathCombo("cbFindString");
    cbReplacementString = pathCombo("cbReplacementString");
    lblReplaceWithString = named(new QLabel(QStringLiteral("Replace with:")), "lblReplaceWithString");
    lblReplaceWithString->setBuddy(cbReplacementString);
    cbCharacter1 = listCombo("cbCharacter1");
    cbCharacter2 = listCombo("cbCharacter2");
    cmdAdvancedOptionsRexhound =
        named(new QPushButton(QStringLiteral("  Advanced Options")), "cmdAdvancedOptionsRexhound");
    search->addWidget(label(QStringLiteral("Find:"), cbFindString), 0, 0);
    search->addWidget(lblReplaceWithString, 0, 1);
    search->addWidget(cbFindString, 1, 0);
    search->addWidget(cbReplacementString, 1, 1);
    search->addWidget(cbCharacter1, 2, 0, Qt::AlignRight);
    search->addWidget(cbCharacter2, 2, 1, Qt::AlignRight);
    search->addWidget(cmdAdvancedOptionsRexhound, 1, 2);
    column->addWidget(frameSearchAndReplace);

    frameConcatenate = named(new QGroupBox(QStringLiteral(" Append")), "frameConcatenate");
    auto* append = new QVBoxLayout(frameConcatenate);
    compact(append);
    cbAddPageBrake = named(new QCheckBox(QStringLiteral("Add a Page Break")), "cbAddPageBrake");
    cbPlacePathAtTopOfEachFile = named(
        new QCheckBox(QStringLiteral("Add the file name and path at top of each file appended")),
        "cbPlacePathAtTopOfEachFile");
    append->addWidget(cbAddPageBrake);
    append->addWidget(cbPlacePathAtTopOfEachFile);
    column->addWidget(frameConcatenate);
    return frameSpecializedAction;
}

QComboBox* TaskEditor::comboOfList(const QString& listName) const
{
    const struct
    {
        const char* list;
        QComboBox* box;
    } lists[] = {
        {"mruSourceSpecialized", cbOriginalFileSpecialized}, {"mruTargetSpecialized", cbTargetFileSpecialized},
        {"mruSource", cbOriginalFile},                      {"mruCommandLine", cbCommandLine},
        {"mruCommandLineArguments", cbCommandLineArguments}, {"mruFindString", cbFindString},
        {"mruReplaceString", cbReplacementString},          {"mruTarget", cbTargetFile},
    };
    for (const auto& l : lists)
        if (listName == QLatin1String(l.list))
            return l.box;
    return nullptr;
}

void TaskEditor::FillLists()
{
    ComboTypeListBox original(cbFileTypeOriginal);
    FillInInputFileTypeComboBox(original, m_form.clnInputFileTypes);
    ComboTypeListBox target(cbFileTypeTarget);
    FillInFileOutputTypeComboBox(target, m_form.clnOutputFileTypes);
    ComboTypeListBox specialized(cbFileTypeOriginalSpecialized);
    FillInFileTypeComboBoxSpecialized(specialized, m_form.clnSpecializedFileTypes);
    ComboTypeListBox processes(cbSpecialProcesses);
    FillInSpecialProcessesComboBox(processes);
    FillInCommandLineWindowStateComboBox(cbCommandLineWindowState);
    FillInCommandLineThreadPriorityComboBox(cbCommandLineThreadPriority);
    FillInCharacterSelectionListBox(cbCharacter1);
    FillInCharacterSelectionListBox(cbCharacter2);
}

namespace {

// Shows a file picker starting at the combo's path and writes a chosen
// path into the combo; a cancelled picker leaves it.
void pickFileInto(QComboBox* box, FileDialogMode mode, const char* title, const QString& filter, int index)
{
    QString start = box->currentText();
    const QString path = ShowFileDialogInitDir(mode, Translate(QString::fromLatin1(title)), filter, index, start);
    if (!path.isEmpty())
        box->setCurrentText(path);
}

// The folder chosen in a browser that starts at the combo's path; "" when cancelled.
QString pickFolderFor(const QComboBox* box)
{
    QString start = box->currentText();
    return BrowseForFolder(start);
}

} // namespace

void TaskEditor::cmdSelectSourceFile_Click()
{
    pickFileInto(cbOriginalFile, FileDialogMode::Open, "Select Input", InputFileFilter(),
                 SourceFileFilterIndex(SelectedItemData(cbFileTypeOriginal)));
}

void TaskEditor::cmdSelectTargetFile_Click()
{
    // An output may be a file that does not exist yet.
    pickFileInto(cbTargetFile, FileDialogMode::OpenOrNew, "Select Output", ImageFileFilter(),
                 cbFileTypeTarget->currentIndex() + 1);
}

void TaskEditor::cmdSelectSourceFileSpecialized_Click()
{
    pickFileInto(cbOriginalFileSpecialized, FileDialogMode::Open, "Select Input",
                 SpecializedFileFilter(SelectedItemData(cbSpecialProcesses)),
                 SpecializedFileFilterIndex(SelectedItemData(cbFileTypeOriginalSpecialized)));
}

void TaskEditor::cmdSelectTargetFileSpecialized_Click()
{
    pickFileInto(cbTargetFileSpecialized, FileDialogMode::OpenOrNew, "Select Output",
                 SpecializedFileFilter(SelectedItemData(cbSpecialProcesses)),
                 SpecializedFileFilterIndex(SelectedItemData(cbFileTypeOriginalSpecialized)));
}

void TaskEditor::cmdSelectSourceFolder_Click()
{
    const QString folder = pickFolderFor(cbOriginalFile);
    if (folder.isEmpty())
        return;
    if (const std::optional<QString> path =
            SourceFolderPattern(folder, m_form.lConversionMethod, SelectedItemData(cbFileTypeOriginal)))
        cbOriginalFile->setCurrentText(*path);
}

void TaskEditor::cmdSelectTargetFolder_Click()
{
    const QString folder = pickFolderFor(cbTargetFile);
    if (!folder.isEmpty())
        cbTargetFile->setCurrentText(TargetFolderPattern(folder, SelectedItemData(cbFileTypeTarget)));
}

void TaskEditor::cmdSelectSourceFolderSpecialized_Click()
{
    const QString folder = pickFolderFor(cbOriginalFileSpecialized);
    if (!folder.isEmpty())
        cbOriginalFileSpecialized->setCurrentText(JoinFolder(folder, QString()));
}

void TaskEditor::cmdSelectTargetFolderSpecialized_Click()
{
    const QString folder = pickFolderFor(cbTargetFileSpecialized);
    if (!folder.isEmpty())
        cbTargetFileSpecialized->setCurrentText(
            SpecializedTargetFolderPath(folder, cbOriginalFileSpecialized->currentText()));
}
