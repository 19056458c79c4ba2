#include "LanguageChooser.h"

namespace {

LanguageChooser*& installedChooser()
{
    static LanguageChooser* chooser = nullptr;
    return chooser;
}

} // namespace

LanguageChooser* CurrentLanguageChooser()
{
    return installedChooser();
}

void SetLanguageChooser(LanguageChooser* chooser)
{
    installedChooser() = chooser;
}
