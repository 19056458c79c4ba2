#pragma once
// The program's application object: a widget application on a display, a
// plain one without (a command-line run from a service or over ssh, or
// tests on the offscreen platform). Only on a display does the program show
// what the headless layers ask for through their interfaces (the language
// dialog). A start that opens the main window also gets a widget
// application on a platform the user names ($QT_QPA_PLATFORM, such as
// offscreen); every other run needs no display.
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
