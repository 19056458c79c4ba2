#pragma once
// What the document routes of the special processes share: the main form's
// two text controls, the office kept or quit as the settings say, and an
// office failure turned into the item's result.
#include <functional>

class JobEngine;
class TextControl;

// Runs `work` on the input control (TXTextControl1) and the output control
// (TXTextControlOutput) and returns its code. A failure the controls raise
// (the office died or turned a call down) gives -2, the output not saved,
// with the office's reason in the engine's sProcessNote. Both documents
// are closed afterwards; without the speed setting their office goes too.
int RunOnDocumentControls(JobEngine& engine, const std::function<int(TextControl& input, TextControl& output)>& work);
