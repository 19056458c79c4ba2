// Opening what the editor's paths name, without running the task: a file
// in the program the desktop gives it, the folder of a pattern or of a file
// not made yet, and the launch panel's program with its arguments.
#include "TaskEditor.h"

#include "base/MessageSink.h"
#include "core/FilePickers.h"
#include "core/FileSystem.h"
#include "core/Translator.h"
#include "process/ShellWords.h"
#include "ui/DesktopLauncher.h"

#include <QComboBox>
#include <QFileInfo>
#include <QPushButton>
#include <QUrl>

namespace {

void reportMissing(const char* text, const QString& path)
{
    ShowMessage(Translate(QString::fromLatin1(text)) + QStringLiteral("\r\n\r\n") + path,
                Translate(QStringLiteral("Error")), MessageButtons::Ok, MessageIcon::Information);
}

void reportNotOpened(const QString& path, const QString& reason = QString())
{
    QString text = Translate(QStringLiteral("Unable to open:")) + QStringLiteral("\r\n\r\n") + path;
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n\r\n") + reason;
    ShowMessage(text, Translate(QStringLiteral("Error")), MessageButtons::Ok, MessageIcon::Information);
}

// The text up to and including its last "/"; "" without one.
QString folderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

} // namespace

void TaskEditor::connectLaunchers()
{
    connect(cmdLaunchOriginal, &QPushButton::clicked, this, &TaskEditor::cmdLaunchOriginal_Click);
    connect(cmdLaunchTarget, &QPushButton::clicked, this, &TaskEditor::cmdLaunchTarget_Click);
    connect(cmdLaunchOriginalSpecialized, &QPushButton::clicked, this,
            &TaskEditor::cmdLaunchOriginalSpecialized_Click);
    connect(cmdLaunchTargetSpecialized, &QPushButton::clicked, this, &TaskEditor::cmdLaunchTargetSpecialized_Click);
    connect(cmdLaunchCommandLine, &QPushButton::clicked, this, &TaskEditor::cmdLaunchCommandLine_Click);
    connect(cmdCommandLineSelectApplication, &QPushButton::clicked, this,
            &TaskEditor::cmdCommandLineSelectApplication_Click);
}

void TaskEditor::launchPath(const QComboBox* field)
{
    const QString path = ExpandPathMacros(field->currentText());
    // A pattern opens the folder it lists, as does a file not made yet.
    const bool pattern = path.contains(u'*') || path.contains(u'?');
    QString target;
    if (!pattern && !path.isEmpty() && QFileInfo::exists(path))
        target = path;
    else if (const QString folder = folderPart(path); !folder.isEmpty() && FolderExists(folder))
        target = folder;
    if (target.isEmpty()) {
        reportMissing("File/Folder does not exist:", path);
        return;
    }
    if (!CurrentDesktopLauncher().openUrl(QUrl::fromLocalFile(target)))
        reportNotOpened(target);
}

void TaskEditor::cmdLaunchOriginal_Click()
{
    launchPath(cbOriginalFile);
}

void TaskEditor::cmdLaunchTarget_Click()
{
    launchPath(cbTargetFile);
}

void TaskEditor::cmdLaunchOriginalSpecialized_Click()
{
    launchPath(cbOriginalFileSpecialized);
}

void TaskEditor::cmdLaunchTargetSpecialized_Click()
{
    launchPath(cbTargetFileSpecialized);
}

void TaskEditor::cmdLaunchCommandLine_Click()
{
    const QString program = ExpandPathMacros(cbCommandLine->currentText());
    if (program.isEmpty() || !QFileInfo(program).isFile()) {
        reportMissing("File does not exist:", program);
        return;
    }
    // The arguments as typed: split as a shell splits words, nothing expanded.
    QStringList arguments;
    if (!SplitShellWords(cbCommandLineArguments->currentText(), arguments)) {
        reportNotOpened(program, Translate(QStringLiteral("A quote in the arguments is not closed.")));
        return;
    }
    QString reason;
    if (!CurrentDesktopLauncher().startDetached(program, arguments, reason))
        reportNotOpened(program, reason);
}

void TaskEditor::cmdCommandLineSelectApplication_Click()
{
    QString start = cbCommandLine->currentText();
    // Programs have no extension of their own here: every file, shell
    // scripts, everything.
    const QString path = ShowFileDialogInitDir(
        FileDialogMode::Open, Translate(QStringLiteral("Select Program To Launch")),
        Translate(QStringLiteral("Programs (*)|*|Shell Scripts (*.sh)|*.sh|All Files (*.*)|*.*")),
        m_lCommandLineFilterIndex, start);
    if (!path.isEmpty())
        cbCommandLine->setEditText(path);
}
