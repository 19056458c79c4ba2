#pragma once
// A file written through a temporary file and renamed over its target
// replaces whatever stands at the target. That is sound for a regular file
// alone: a FIFO, a socket or a device node stands for something else, which
// the rename would take away. Every writer that renames over a target
// refuses such a target with this reason.
#include <QString>

// The reason a writer gives, where it gives the system's reason otherwise.
inline constexpr char kNotARegularFile[] = "not a regular file";

// True when `nativePath` names, after its symbolic links are followed,
// something that exists and is neither a regular file nor a folder. A folder
// is left to the write, whose failure gives the system's reason for it.
bool IsNonRegularTarget(const char* nativePath);
bool IsNonRegularTarget(const QString& path);
