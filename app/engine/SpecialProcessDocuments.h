#pragma once
// What the document routes of the special processes share: the main form's
// two text controls, the office kept or quit as the settings say, and an
// office failure turned into the item's result.
#include <QtGlobal>

#include <functional>

class JobEngine;
class TextControl;
class clsConversionOptions;

// Runs `work` on the input control (TXTextControl1) and the output control
// (TXTextControlOutput) and returns its code. A failure the controls raise
// (the office died or turned a call down) gives -2, the output not saved,
// with the office's reason in the engine's sProcessNote. Both documents
// are closed afterwards; without the speed setting their office goes too.
int RunOnDocumentControls(JobEngine& engine, const std::function<int(TextControl& input, TextControl& output)>& work);

// Loads the item's input into `control`: 0, or -3 with the reason in the
// engine's sProcessNote.
int LoadSpecialProcessInput(JobEngine& engine, const clsConversionOptions& item, TextControl& control);

// Saves `control` as the item's output: 0, or -2 with the reason in the
// engine's sProcessNote.
int SaveSpecialProcessOutput(JobEngine& engine, const clsConversionOptions& item, TextControl& control);

// The progress of a document scan in panel 6 (" 42.5 Percent Complete "),
// the elapsed time, and a chance for the window to run.
void ShowDocumentProgress(JobEngine& engine, double percent);
