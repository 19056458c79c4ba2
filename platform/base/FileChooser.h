#pragma once
// File and folder pickers go through this interface: the window answers
// with Qt's file dialogs, tests with scripted answers, and a program
// without a window with "cancelled".
#include <QString>

// What a file dialog lets the user pick. The kind is stated by the caller,
// never guessed from the (translated) title.
enum class FileDialogMode {
    Open,        // an existing file
    OpenOrNew,   // an existing file or a new name, without an overwrite question
    Save,        // a name to write to; replacing an existing file is asked
};

struct FileDialogRequest
{
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    // Pairs of description and patterns, all joined by "|"
    // ("Text (*.txt;*.log)|*.txt;*.log|All Files (*.*)|*.*"); patterns of
    // one pair are separated by ";". Empty: every file.
    QString filter;
    int filterIndex = 1;     // the pair shown first, counted from 1
    QString initialFolder;   // empty: wherever the dialog opens by itself
};

struct FileDialogAnswer
{
    QString path;            // empty: cancelled
    int filterIndex = 1;     // the pair selected when the user left
};

class FileChooser
{
public:
    virtual ~FileChooser() = default;
    virtual FileDialogAnswer chooseFile(const FileDialogRequest& request) = 0;
    // The chosen folder, or "" when cancelled.
    virtual QString chooseFolder(const QString& title, const QString& startFolder) = 0;
};

// The chooser in use. Without a window every picker answers "cancelled".
FileChooser& CurrentFileChooser();
void SetFileChooser(FileChooser* chooser); // nullptr restores the default
