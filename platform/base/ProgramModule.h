#pragma once
// Parts of the program that need a heavy library (the office's, ImageMagick,
// poppler, qpdf, Qt Widgets, D-Bus) are libraries of their own,
// libtessaview_<part>.so, loaded the first time a run needs them, so that a
// run that does not need them neither loads nor starts them. A module uses
// the program's own code and globals (the program exports its symbols); it
// gives the program one entry point, a function with C linkage that takes
// the program's version and returns the module's table of functions, or
// null when it was built for another version.
//
// A program, test or library that links a module's code in directly (the
// module's "_linked" target) has its entry point already; the accessors of
// the modules use that one and load nothing.
#include <QString>
#include <QStringList>

#include <string_view>

// The version a module is built for (its entry point compares).
#define TESSAVIEW_MODULE_VERSION_TEXT                                                              \
    TESSAVIEW_MODULE_STRINGIFY(TESSAVIEW_VERSION_MAJOR) "." TESSAVIEW_MODULE_STRINGIFY(            \
        TESSAVIEW_VERSION_MINOR) "." TESSAVIEW_MODULE_STRINGIFY(TESSAVIEW_VERSION_PATCH)
#define TESSAVIEW_MODULE_STRINGIFY(x) TESSAVIEW_MODULE_STRINGIFY2(x)
#define TESSAVIEW_MODULE_STRINGIFY2(x) #x

// Marks a module's entry point for export from the module.
#define TESSAVIEW_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

// What a module's entry point gives for `version`: its `table` when the
// module was built for that version of the program, else null.
inline const void* ModuleTableFor(const char* version, const void* table)
{
    return std::string_view(version) == TESSAVIEW_MODULE_VERSION_TEXT ? table : nullptr;
}

// The places a library of the program's own is looked for, in this order:
// beside the program, in ../lib/tessaview beside the program's folder (an
// installed program) and in `buildFolder` (a program run from the build
// tree; empty for none).
QStringList ProgramLibraryCandidates(const QString& fileName, const QString& buildFolder);

// The table the module `fileName` (such as "libtessaview_office.so") gives
// through its entry point `entry`. The module is looked for as above (the
// build folder is the one the modules of this build are made in) and loaded
// at the first call, once per process, from whichever thread asks first;
// it stays loaded. Null when there is none, with the reason in `error`: the
// module was not found (the places looked at are named), it cannot be
// loaded (its path and the system's reason), it has no such entry point, or
// it was built for another version of the program. The outcome, failure
// included, holds for the rest of the process.
const void* LoadProgramModule(const char* fileName, const char* entry, QString& error);

// A module's entry point: the program's version in, the module's table out.
using ProgramModuleEntry = const void* (*)(const char* version);

// The table of a module whose entry point `linked` is the one linked into
// this program (null when it is not), else the loaded module's as above.
template <typename Table>
const Table* ProgramModuleTable(ProgramModuleEntry linked, const char* fileName, const char* entry,
                                QString& error)
{
    if (linked)
        return static_cast<const Table*>(linked(TESSAVIEW_MODULE_VERSION_TEXT));
    return static_cast<const Table*>(LoadProgramModule(fileName, entry, error));
}
