#pragma once
// Starts the program the way qvim does and runs a test's body on its main
// window instead of serving it, with scripted answers for its dialogs.
#include "startup/Startup.h"
#include "ui/MainWindowStart.h"
#include "ui/frmMainMDI.h"
#include "WindowTestDoubles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

// A user of the window's own below the folder: home, settings, runtime and
// the given extra folders, and the program's data from the source tree.
inline void SetUpWindowUser(const QTemporaryDir& user, const QStringList& extraFolders)
{
    for (const QString& sub : QStringList{"home", "config", "runtime"} + extraFolders)
        QDir().mkpath(user.filePath(sub));
    QFile::setPermissions(user.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", user.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", user.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", user.filePath(QStringLiteral("runtime")).toUtf8());
    qputenv("TESSAVIEW_DATA_DIR", QByteArray(TESSAVIEW_SOURCE_DIR "/data"));
}

// The program's status, or -1 when no window was shown. The window goes
// once the body has run.
inline int RunWithMainWindow(const QStringList& arguments, MessageSink& sink, FileChooser& chooser,
                             const std::function<void(frmMainMDI&)>& body)
{
    StartupHooks hooks = MainWindowStartupHooks();
    bool shown = false;
    hooks.RunWindowLoop = [&] {
        frmMainMDI* frame = CurrentMainWindow();
        if (!frame)
            return 1;
        shown = true;
        // The window's own dialogs would wait for a person.
        SetMessageSink(&sink);
        SetFileChooser(&chooser);
        body(*frame);
        DestroyMainWindow();
        return 0;
    };
    const int status = Main(arguments, hooks);
    return shown ? status : -1;
}

// What a window test keeps of its user: the folders, and the stand-ins that
// answer the window's dialogs and record the pages it opens.
struct WindowUser
{
    QTemporaryDir folder;
    RecordingOpener opener;
    ScriptedSink sink;
    ScriptedChooser chooser;

    QString path(const QString& sub) const { return folder.filePath(sub); }
    QString settingsFile() const
    {
        return path(QStringLiteral("config/Kestrova, Inc/Tessaview/QVIM_SearchHistory.INI"));
    }
    // The folders made, the help opener in place.
    void setUp(const QStringList& extraFolders)
    {
        SetUpWindowUser(folder, extraFolders);
        SetHelpOpener(&opener);
    }
    // The answers and messages of the test before forgotten.
    void reset()
    {
        sink.shown.clear();
        sink.answers.clear();
        chooser.clear();
    }
    // A failed test shows the messages its window gave.
    void reportIfFailed() const
    {
        if (QTest::currentTestFailed())
            qDebug() << "messages:" << sink.shown;
    }
    void tearDown()
    {
        SetHelpOpener(nullptr);
        SetMessageSink(nullptr);
        SetFileChooser(nullptr);
    }
    int withWindow(const QStringList& arguments, const std::function<void(frmMainMDI&)>& body)
    {
        return RunWithMainWindow(arguments, sink, chooser, body);
    }
};
