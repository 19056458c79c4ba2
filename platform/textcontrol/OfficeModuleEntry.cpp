// The entry point of the office's module, libtessaview_office.so.
#include "base/ProgramModule.h"
#include "office/OfficeModule.h"
#include "office/OfficeUno.h"
#include "textcontrol/TextControlPrivate.h"

namespace {

std::unique_ptr<TextControl> makeTextControl(OfficeEngine& engine)
{
    return std::make_unique<UnoTextControl>(engine);
}

const OfficeModuleTable kTable{MakeUnoOfficeEngine, makeTextControl};

} // namespace

TESSAVIEW_MODULE_ENTRY const void* tessaview_office_module(const char* version)
{
    return ModuleTableFor(version, &kTable);
}
