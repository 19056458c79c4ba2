#include "help/HelpOpener.h"

#include <QProcess>
#include <QStringList>

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
    // A local page goes as a plain path: every xdg-open back end reads that,
    // while some mishandle percent-encoded file addresses.
    const QString target = url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
    return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{target});
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
