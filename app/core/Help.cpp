#include "core/Help.h"

#include "core/InstalledData.h"
#include "core/Translator.h"
#include "help/HelpOpener.h"

#include <QFileInfo>
#include <QUrl>

#include <cstdio>

QString G_sHelpFilePath;
QString G_sOnlineHelpPage;

namespace {

const QString kOnlineHelpRoot = QStringLiteral("/KRJ/QVIM/English/WebHelpNew/");

struct HelpTopic
{
    int contextId;
    const char* localPage;
    const char* onlinePage; // below the online topic folder; "" for the start page
};

// The local pages mirror the online topics one to one.
constexpr HelpTopic kHelpTopics[] = {
    {helpcontext::ProgramOptions, "program-options.html", "Program_Options.htm"},
    {helpcontext::CommandLine, "command-line.html", "Helpful_Hints_For_Creating_a_Command_Line.htm"},
    {helpcontext::UsingTheCommandLine, "command-line.html", "Helpful_Hints_For_Creating_a_Command_Line.htm"},
    {helpcontext::SearchAndReplace, "search-and-replace.html", "Search_and_Replace.htm"},
    {helpcontext::HelpFile, "index.html", ""},
};

const HelpTopic* findTopic(int contextId)
{
    for (const HelpTopic& topic : kHelpTopics) {
        if (topic.contextId == contextId)
            return &topic;
    }
    return nullptr;
}

} // namespace

QString OnlineHelpSite()
{
    QString site = qEnvironmentVariable("TESSAVIEW_HELP_SITE");
    if (site.isEmpty())
        site = QString::fromLatin1(kDefaultOnlineHelpSite);
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    return site;
}

void InitHelpFile(const QString& sLanguage)
{
    const QString dataFolder = InstalledDataFolder();
    if (dataFolder.isEmpty()) {
        G_sHelpFilePath.clear();
    } else {
        // Only the exact name selects the Japanese pages, as language files
        // name their language.
        const bool japanese = sLanguage == QLatin1String("Japanese");
        G_sHelpFilePath = dataFolder + (japanese ? QStringLiteral("/help-jp") : QStringLiteral("/help"));
    }
    G_sOnlineHelpPage = OnlineHelpSite() + kOnlineHelpRoot + QStringLiteral("qvim.htm");
}

QString HelpPageForContext(int lContextId)
{
    const HelpTopic* topic = findTopic(lContextId);
    return topic ? QString::fromLatin1(topic->localPage) : QString();
}

QString OnlineHelpTopicPage(int lContextId)
{
    const HelpTopic* topic = findTopic(lContextId);
    if (!topic || !*topic->onlinePage)
        return QString();
    return OnlineHelpSite() + kOnlineHelpRoot + QStringLiteral("QVIM/") + QString::fromLatin1(topic->onlinePage);
}

void ShowHelpTopic(int lContextId, const QString& sTopicPage)
{
    HelpOpener& opener = CurrentHelpOpener();
    const QString page = HelpPageForContext(lContextId);
    if (!page.isEmpty() && !G_sHelpFilePath.isEmpty()) {
        const QFileInfo local(G_sHelpFilePath + QLatin1Char('/') + page);
        if (local.isFile()) {
            if (opener.open(QUrl::fromLocalFile(local.absoluteFilePath())))
                return;
            // No program could be started to show it: say where the page is,
            // then try the online help as before.
            const QByteArray line = (Translate(QStringLiteral("The help page could not be opened. It is here:"))
                                     + u' ' + local.absoluteFilePath() + u'\n')
                                        .toUtf8();
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
            std::fflush(stderr);
        }
    }
    const QString address = sTopicPage.isEmpty() ? G_sOnlineHelpPage : sTopicPage;
    if (!address.isEmpty())
        opener.open(QUrl(address));
}
