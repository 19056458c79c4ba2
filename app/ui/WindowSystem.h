#pragma once
// The program's application object: a widget application on a display, a
// plain one without (a command-line run from a service or over ssh, or
// tests on the offscreen platform). Only on a display does the program show
// what the headless layers ask for through their interfaces (the language
// dialog).
#include <QCoreApplication>

#include <memory>

// True when there is a display to show windows on: $WAYLAND_DISPLAY or
// $DISPLAY is set and $QT_QPA_PLATFORM does not ask for the offscreen or
// minimal platform.
bool DisplayAvailable();

// The application for this run. On a display that cannot be reached the
// program goes on without windows instead of ending.
std::unique_ptr<QCoreApplication> StartApplication(int& argc, char** argv);
