#pragma once
// An office's first start on a fresh profile registers the extensions of
// its installation and then asks to be started again: about half a second
// at every start of a private profile. The registry a profile holds once an
// office of the same installation has used it and quit cleanly is kept in
// the user's cache folder and copied into each new profile. A copy that no
// longer fits (the installation was upgraded, an extension added) is
// rebuilt by the office itself, as with none.
#include <QString>

// Copies the kept registry of `program` into `userFolder` (the profile's
// "user" folder); false when none is kept or it cannot be copied.
bool SeedOfficeExtensions(const QString& program, const QString& userFolder);

// Keeps the registry of `userFolder` for later profiles of `program` when
// none is kept yet. Written beside its final name and renamed into place,
// so a reader never finds half of one.
void KeepOfficeExtensions(const QString& program, const QString& userFolder);

// True when a profile of `program` has nothing left to give the cache:
// the registry is kept already, or there is no cache folder to keep it in.
bool OfficeExtensionsKept(const QString& program);

// Where the registry of `program` is kept (tests).
QString OfficeExtensionCacheFolder(const QString& program);
