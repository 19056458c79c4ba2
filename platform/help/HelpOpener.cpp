#include "help/HelpOpener.h"

#include "process/LaunchedProgram.h"

#include <QStandardPaths>
#include <QStringList>
#include <QThread>

namespace {

HelpOpener*& installedOpener()
{
    static HelpOpener* opener = nullptr;
    return opener;
}

} // namespace

bool XdgHelpOpener::open(const QUrl& url)
{
    if (!url.isValid() || url.isEmpty())
        return false;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    // A local page goes as a plain path: every xdg-open back end reads that,
    // while some mishandle percent-encoded file addresses.
    const QString target = url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
    LaunchedProgram program;
    // Whatever the browser prints stays out of our output, which may be
    // a pipe that would otherwise stay open as long as the browser runs.
    program.SendOutputToStandardError();
    QString error;
    if (!program.Start(opener, QStringList{target}, std::nullopt, error))
        return false;
    // xdg-open fails at once when it finds no program for the page; on
    // some desktops it runs the browser itself and returns only when that
    // ends, so one still running has shown the page. A window (an event
    // loop serving) is never held up for it.
    const bool windowServed = QThread::currentThread()->loopLevel() > 0;
    if (m_waitMs > 0 && !windowServed && program.WaitForEnd(m_waitMs))
        return program.ExitCode() == 0;
    return true;
}

HelpOpener& CurrentHelpOpener()
{
    static XdgHelpOpener defaultOpener;
    HelpOpener* opener = installedOpener();
    return opener ? *opener : defaultOpener;
}

void SetHelpOpener(HelpOpener* opener)
{
    installedOpener() = opener;
}
