#include "startup/Startup.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return Main(QCoreApplication::arguments().mid(1));
}
