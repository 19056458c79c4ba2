#include "startup/Startup.h"

#ifdef TESSAVIEW_HAS_UI
#include "ui/MainWindowStart.h"
#include "ui/WindowSystem.h"
#endif

#include <QCoreApplication>
#include <QStringList>

#include <memory>

int main(int argc, char* argv[])
{
#ifdef TESSAVIEW_HAS_UI
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const std::unique_ptr<QCoreApplication> app = StartApplication(argc, argv, arguments);
    return Main(QCoreApplication::arguments().mid(1), MainWindowStartupHooks());
#else
    const auto app = std::make_unique<QCoreApplication>(argc, argv);
    return Main(QCoreApplication::arguments().mid(1));
#endif
}
