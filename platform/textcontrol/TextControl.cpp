// The program's side of the text control: the control itself is made by
// the office's module (office/OfficeModule.h).
#include "textcontrol/TextControl.h"

#include "office/OfficeModule.h"

std::unique_ptr<TextControl> TextControl::Create(OfficeEngine& engine)
{
    QString error;
    const OfficeModuleTable* module = OfficeModule(error);
    return module ? module->makeTextControl(engine) : nullptr;
}

TextControl::~TextControl() = default;
