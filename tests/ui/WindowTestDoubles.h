#pragma once
// Stand-ins for a person at the window's dialogs: scripted answers for
// message boxes and pickers, and a recorder for opened addresses.
#include "base/FileChooser.h"
#include "base/MessageSink.h"
#include "help/HelpOpener.h"

#include <QList>
#include <QStringList>
#include <QUrl>

// Answers message boxes in turn (Ok when the script has run out) and
// records each as "title: text".
class ScriptedSink : public MessageSink
{
public:
    MessageAnswer showMessage(const QString& text, const QString& title, MessageButtons, MessageIcon) override
    {
        shown << title + QStringLiteral(": ") + text;
        return answers.isEmpty() ? MessageAnswer::Ok : answers.takeFirst();
    }
    QStringList shown;
    QList<MessageAnswer> answers;
};

// Gives the scripted paths and folders in turn ("cancelled" when the script
// has run out) and records what each picker was asked.
class ScriptedChooser : public FileChooser
{
public:
    FileDialogAnswer chooseFile(const FileDialogRequest& request) override
    {
        requests << request;
        return {paths.isEmpty() ? QString() : paths.takeFirst(), chosenIndex ? chosenIndex : request.filterIndex};
    }
    QString chooseFolder(const QString& title, const QString& startFolder) override
    {
        folderTitles << title;
        folderStarts << startFolder;
        return folders.isEmpty() ? QString() : folders.takeFirst();
    }
    void clear()
    {
        requests.clear();
        paths.clear();
        folderTitles.clear();
        folderStarts.clear();
        folders.clear();
        chosenIndex = 0;
    }
    QList<FileDialogRequest> requests;
    QStringList paths;
    QStringList folderTitles;
    QStringList folderStarts;
    QStringList folders;
    int chosenIndex = 0;   // the filter pair the user leaves selected; 0 keeps the one shown
};

class RecordingOpener : public HelpOpener
{
public:
    bool open(const QUrl& url) override
    {
        urls << url;
        return true;
    }
    QList<QUrl> urls;
};
