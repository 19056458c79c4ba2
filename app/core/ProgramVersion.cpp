#include "core/ProgramVersion.h"

QString AboutVersionText(int major, int minor, int revision)
{
    return QString::number(major) + u'.' + QString::number(minor) + QString::number(revision);
}

QString ProgramNameAndVersion()
{
    return QStringLiteral("Tessaview ")
           + AboutVersionText(TESSAVIEW_VERSION_MAJOR, TESSAVIEW_VERSION_MINOR, TESSAVIEW_VERSION_PATCH);
}
