#pragma once
// The program's application object: a widget application on a display for
// a start that may show something there (the main window, the boxes of a
// verbose run, the automation server, the first-run language question), a
// plain one for every other start (a command-line run, one from a service
// or over ssh, tests on the offscreen platform). A start that opens the
// main window also gets a widget application on a platform the user names
// ($QT_QPA_PLATFORM, such as offscreen); every other run needs no display.
#include <QCoreApplication>
#include <QStringList>

#include <memory>

// True when there is a display to show windows on: $WAYLAND_DISPLAY or
// $DISPLAY is set and $QT_QPA_PLATFORM does not ask for the offscreen or
// minimal platform.
bool DisplayAvailable();

// The application for a run with these arguments (without the program's
// path). On a display that cannot be reached the program goes on without
// windows instead of ending.
std::unique_ptr<QCoreApplication> StartApplication(int& argc, char** argv, const QStringList& arguments);

// True when the main window can be shown: a widget application on a
// display, or on the platform the user asked for.
bool MainWindowCanBeShown();

// True when a message box would be seen and can be answered: a widget
// application on a display, not on the offscreen or minimal platform.
bool MessageBoxesCanBeSeen();
