#include "DesktopLauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

namespace {

DesktopLauncher* g_launcher = nullptr;

} // namespace

bool SystemDesktopLauncher::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool SystemDesktopLauncher::startDetached(const QString& program, const QStringList& arguments, QString& reason)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    // The program's own folder, as a program started from a file browser gets.
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    if (process.startDetached())
        return true;
    reason = process.errorString();
    return false;
}

DesktopLauncher& CurrentDesktopLauncher()
{
    static SystemDesktopLauncher system;
    return g_launcher ? *g_launcher : system;
}

void SetDesktopLauncher(DesktopLauncher* launcher)
{
    g_launcher = launcher;
}
