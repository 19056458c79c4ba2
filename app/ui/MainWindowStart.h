#pragma once
// The start-up hooks that show the main window and serve it (the
// application object comes from StartApplication, ui/WindowSystem.h).
#include "startup/Startup.h"

class frmMainMDI;

// ShowMainWindow, RunWindowLoop and CloseMainWindow of the windowed program.
StartupHooks MainWindowStartupHooks();

// The frame the last ShowMainWindow made, or null.
frmMainMDI* CurrentMainWindow();
// Serves the window until it closes, then destroys it; 1 when there is no
// window.
int RunMainWindowLoop();
// Destroys the window without serving it.
void DestroyMainWindow();
