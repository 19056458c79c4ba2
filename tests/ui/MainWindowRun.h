#pragma once
// Starts the program the way qvim does and runs a test's body on its main
// window instead of serving it, with scripted answers for its dialogs.
#include "startup/Startup.h"
#include "ui/MainWindowStart.h"
#include "ui/frmMainMDI.h"
#include "WindowTestDoubles.h"

#include <functional>

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
