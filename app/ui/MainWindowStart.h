#pragma once
// How the windowed program starts: the application object for the run
// (a widget application only when the start may open the window and a
// platform to show it on is there), and the start-up hooks that show the
// main window and serve it.
#include "startup/Startup.h"

#include <QCoreApplication>
#include <QStringList>

#include <memory>

class frmMainMDI;

// True when windows can be shown: $QT_QPA_PLATFORM names a platform, or
// $DISPLAY or $WAYLAND_DISPLAY is set.
bool WindowPlatformAvailable();

// The application for a run with these arguments (without the program's
// path). A command-line run gets a plain application and needs no display.
std::unique_ptr<QCoreApplication> StartApplication(int& argc, char** argv, const QStringList& arguments);

// ShowMainWindow and RunWindowLoop of the windowed program.
StartupHooks MainWindowStartupHooks();

// The frame the last ShowMainWindow made, or null.
frmMainMDI* CurrentMainWindow();
// Serves the window until it closes, then destroys it; 1 when there is no
// window.
int RunMainWindowLoop();
// Destroys the window without serving it.
void DestroyMainWindow();
