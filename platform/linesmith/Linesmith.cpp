#include "linesmith/Linesmith.h"

#include <QByteArray>
#include <QFile>

bool IsUnicodeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    if (head.size() < 2 || head[0] != '\xFF' || head[1] != '\xFE')
        return false;
    // FF FE 00 00 is the UTF-32 little-endian mark; read as UTF-16 that file
    // would turn into garbage.
    return !(head.size() == 4 && head[2] == '\0' && head[3] == '\0');
}
