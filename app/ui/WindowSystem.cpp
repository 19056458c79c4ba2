#include "WindowSystem.h"

#include "core/Translator.h"
#include "ui/LanguageDialog.h"

#include <QApplication>
#include <QIcon>

namespace {

bool isHeadlessPlatform(const QString& platform)
{
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

// The platform list was ours (the user named none), so the offscreen
// platform at its end is a fallback, not a choice.
bool g_ownPlatformList = false;

} // namespace

std::unique_ptr<QCoreApplication> StartApplication(int& argc, char** argv)
{
    const bool userPlatform = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    // Qt tries the platforms in turn; the last one always starts.
    const bool ownPlatform = !userPlatform;
    g_ownPlatformList = ownPlatform;
    if (ownPlatform)
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen"
                                                                                  : "wayland;xcb;offscreen");
    auto app = std::make_unique<QApplication>(argc, argv);
    // The programs this one starts choose their own platform.
    if (ownPlatform)
        qunsetenv("QT_QPA_PLATFORM");
    QGuiApplication::setDesktopFileName(QStringLiteral("tessaview"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tessaview/tessaview.png")));

    if (!isHeadlessPlatform(QGuiApplication::platformName())) {
        static LanguageDialogChooser chooser;
        SetLanguageChooser(&chooser);
    }
    return app;
}

bool MessageBoxesCanBeSeen()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance())
           && !isHeadlessPlatform(QGuiApplication::platformName());
}

bool MainWindowCanBeShown()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    // An unreachable display fell back to the offscreen platform: a window
    // there could never be seen, nor closed.
    return !g_ownPlatformList || !isHeadlessPlatform(QGuiApplication::platformName());
}
