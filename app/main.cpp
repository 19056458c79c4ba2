#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::fprintf(stderr, "qvim: nothing to run yet\n");
    return 0;
}
