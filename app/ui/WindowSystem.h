#pragma once
// The program's widget application, for a start that may show something
// (StartWantsWidgets, startup/WindowModule.h, decides; every other start
// gets a plain application and never loads the windows).
#include <QCoreApplication>

#include <memory>

// The widget application. On a display that cannot be reached the program
// goes on without windows instead of ending.
std::unique_ptr<QCoreApplication> StartApplication(int& argc, char** argv);

// True when the main window can be shown: a widget application on a
// display, or on the platform the user asked for.
bool MainWindowCanBeShown();

// True when a message box would be seen and can be answered: a widget
// application on a display, not on the offscreen or minimal platform.
bool MessageBoxesCanBeSeen();
