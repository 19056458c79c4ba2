#pragma once
// The window's answers to the headless layers' questions: message boxes
// (MessageSink) and file and folder pickers (FileChooser) over Qt's
// dialogs, owned by the active window.
#include "base/FileChooser.h"
#include "base/MessageSink.h"

#include <QString>
#include <QStringList>

class QtMessageSink : public MessageSink
{
public:
    MessageAnswer showMessage(const QString& text, const QString& title, MessageButtons buttons,
                              MessageIcon icon) override;
};

class QtFileChooser : public FileChooser
{
public:
    FileDialogAnswer chooseFile(const FileDialogRequest& request) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
};

// A pattern that matches names in any letter case ("*.PDF" matches
// "a.pdf"); "*.*" matches every name, as it does in the filters the
// program was designed with.
QString CaseInsensitivePattern(const QString& pattern);

// The filter's description and pattern pairs ("Text (*.txt;*.log)|*.txt;
// *.log|...") as Qt name filters: the description, then the pair's
// patterns made case-insensitive in parentheses, which the dialog keeps
// out of sight. An empty filter gives none.
QStringList QtNameFilters(const QString& filter);

// The extension a save dialog adds to a name typed without one: that of
// the first pattern of the filter's pair (counted from 1), "KRJ" for
// "*.KRJ"; none for a pattern such as "*.*" or "*".
QString DefaultSaveSuffix(const QString& filter, int filterIndex);
