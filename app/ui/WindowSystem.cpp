#include "WindowSystem.h"

#include "ui/LanguageDialog.h"

#include <QApplication>

bool DisplayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !qEnvironmentVariableIsEmpty("DISPLAY");
}

std::unique_ptr<QCoreApplication> StartApplication(int& argc, char** argv)
{
    if (!DisplayAvailable())
        return std::make_unique<QCoreApplication>(argc, argv);

    // Qt tries the platforms in turn; the last one always starts.
    const bool ownPlatform = !qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
    if (ownPlatform)
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb;offscreen"
                                                                                  : "wayland;xcb;offscreen");
    auto app = std::make_unique<QApplication>(argc, argv);
    // The programs this one starts choose their own platform.
    if (ownPlatform)
        qunsetenv("QT_QPA_PLATFORM");

    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
        static LanguageDialogChooser chooser;
        SetLanguageChooser(&chooser);
    }
    return app;
}
