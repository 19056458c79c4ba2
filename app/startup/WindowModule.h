#pragma once
// The program's windows are the module libtessaview_window.so (app/ui, with
// Qt Widgets and the display's libraries), loaded only for a start that may
// show something on a display: the main window, the boxes of /V, the
// automation server, the first-run language question.
#include "startup/Startup.h"

#include <QCoreApplication>
#include <QStringList>

#include <memory>

struct WindowModuleTable
{
    // StartApplication of ui/WindowSystem.h: the widget application.
    std::unique_ptr<QCoreApplication> (*startApplication)(int& argc, char** argv);
    // MainWindowStartupHooks of ui/MainWindowStart.h, for the application
    // just made.
    StartupHooks (*startupHooks)();
};

// True when there is a display to show windows on: $WAYLAND_DISPLAY or
// $DISPLAY is set and $QT_QPA_PLATFORM does not ask for the offscreen or
// minimal platform.
bool DisplayAvailable();

// True when a start with these arguments (without the program's path) gets
// a widget application: one that may show something on an available
// display, or one that opens the main window on a platform the user names
// ($QT_QPA_PLATFORM, such as offscreen). Every other run needs no display.
bool StartWantsWidgets(const QStringList& arguments);

// The widget application from the window's module, and its start-up hooks
// in `hooks`; null, with the reason on stderr, when the module cannot be
// had (the run goes on without windows).
std::unique_ptr<QCoreApplication> StartWindowApplication(int& argc, char** argv, StartupHooks& hooks);

// The start-up hooks of a start without widgets: a main window asked for
// is refused with NoDisplayForMainWindow.
StartupHooks WindowlessStartupHooks();

// Says on stderr that there is no display to show the main window on.
void NoDisplayForMainWindow();
