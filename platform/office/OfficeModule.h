#pragma once
// What the office's module, libtessaview_office.so, gives the program: the
// office engine and the text control on it, made by the module's code (the
// UNO runtime, the office's process, qpdf through its own module).
#include "office/OfficeEngine.h"

#include <memory>

class TextControl;

struct OfficeModuleTable
{
    std::unique_ptr<OfficeEngine> (*makeEngine)();
    // A text control on an engine the module made (textcontrol/TextControl.h).
    std::unique_ptr<TextControl> (*makeTextControl)(OfficeEngine& engine);
};

// The module's table, loaded when first asked for; null with the reason in
// `error` when the module cannot be had.
const OfficeModuleTable* OfficeModule(QString& error);
