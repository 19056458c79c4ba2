#include "startup/Startup.h"

#ifdef TESSAVIEW_HAS_UI
#include "ui/WindowSystem.h"
#endif

#include <QCoreApplication>

#include <memory>

int main(int argc, char* argv[])
{
#ifdef TESSAVIEW_HAS_UI
    const std::unique_ptr<QCoreApplication> app = StartApplication(argc, argv);
#else
    const auto app = std::make_unique<QCoreApplication>(argc, argv);
#endif
    return Main(QCoreApplication::arguments().mid(1));
}
