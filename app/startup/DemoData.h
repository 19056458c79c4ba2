#pragma once
// The demo folders are copied into the user-data folder once per user.

// The folders copied, in order.
inline constexpr const char* kDemoFolders[] = {"Demo Data", "Demo Conversion Jobs", "Demo Batch Files", "Languages"};

// Runs under the start-up lock. Reads the first-run marker ("Settings" /
// "bDInstalled" of the program title "Tessaview"); unless it is "FALSE",
// nothing happens. The marker becomes "TRUE" before anything is copied, so
// an interrupted copy is not retried. Each demo folder of the installed data
// folder is then copied into the user-data folder without overwriting
// files already there. Every failure is ignored.
void InstallDemoDataOnFirstRun();
