#include "startup/Startup.h"

#ifdef TESSAVIEW_HAS_UI
#include "startup/WindowModule.h"
#endif

#include <QCoreApplication>
#include <QStringList>

#include <memory>

int main(int argc, char* argv[])
{
    StartupHooks hooks;
    std::unique_ptr<QCoreApplication> app;
#ifdef TESSAVIEW_HAS_UI
    // Only a start that may show something loads the windows.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (StartWantsWidgets(arguments))
        app = StartWindowApplication(argc, argv, hooks);
    else
        hooks = WindowlessStartupHooks();
#endif
    if (!app)
        app = std::make_unique<QCoreApplication>(argc, argv);
    return Main(QCoreApplication::arguments().mid(1), hooks);
}
