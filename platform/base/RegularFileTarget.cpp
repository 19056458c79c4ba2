#include "RegularFileTarget.h"

#include <QFile>

#include <sys/stat.h>

bool IsNonRegularTarget(const char* nativePath)
{
    struct stat st {};
    return ::stat(nativePath, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

bool IsNonRegularTarget(const QString& path)
{
    return !path.isEmpty() && IsNonRegularTarget(QFile::encodeName(path).constData());
}
