#include "office/OfficeMemory.h"

#include "base/Processors.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <limits>
#include <unistd.h>

qint64 MachineMemoryBytes()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? qint64(pages) * pageSize : 0;
}

int OfficeCountFor(int processors, qint64 machineBytes)
{
    const qint64 byMemory = machineBytes / (2 * kOfficeMemoryFloor);
    return static_cast<int>(std::max<qint64>(1, std::min<qint64>(processors, byMemory)));
}

int DefaultOfficeCount()
{
    return OfficeCountFor(static_cast<int>(UsableProcessors().size()), MachineMemoryBytes());
}

qint64 OfficeMemoryBudgetFor(qint64 machineBytes, int offices)
{
    return std::max(kOfficeMemoryFloor, machineBytes / (2 * qint64(std::max(1, offices))));
}

bool ParseMemorySize(const QString& text, qint64& bytes)
{
    QString number = text.trimmed();
    qint64 unit = 1;
    if (!number.isEmpty()) {
        switch (number.back().toUpper().unicode()) {
        case 'K': unit = qint64(1) << 10; break;
        case 'M': unit = qint64(1) << 20; break;
        case 'G': unit = qint64(1) << 30; break;
        default: break;
        }
        if (unit != 1)
            number.chop(1);
    }
    bool ok = false;
    const qint64 value = number.toLongLong(&ok);
    if (!ok || value < 0 || value > std::numeric_limits<qint64>::max() / unit)
        return false;
    bytes = value * unit;
    return true;
}

qint64 OfficeMemoryBudget(int offices)
{
    qint64 bytes = 0;
    if (ParseMemorySize(qEnvironmentVariable("TESSAVIEW_OFFICE_MEMORY_BUDGET"), bytes))
        return bytes;
    return OfficeMemoryBudgetFor(MachineMemoryBytes(), offices);
}

qint64 OfficeMemoryBudget()
{
    return OfficeMemoryBudget(DefaultOfficeCount());
}

QString MemorySizeText(qint64 bytes)
{
    constexpr double kGiB = double(qint64(1) << 30);
    constexpr double kMiB = double(qint64(1) << 20);
    if (bytes >= qint64(1) << 30) {
        QString number = QString::number(bytes / kGiB, 'f', 1);
        if (number.endsWith(QLatin1String(".0")))
            number.chop(2);
        return QStringLiteral("%1 GB").arg(number);
    }
    return QStringLiteral("%1 MB").arg(qRound64(bytes / kMiB));
}

qint64 ProcessResidentBytes(pid_t pid)
{
    if (pid <= 0)
        return -1;
    // The second field of statm: resident pages.
    QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readLine(128).split(' ');
    bool ok = false;
    const qint64 pages = fields.size() > 1 ? fields.at(1).toLongLong(&ok) : 0;
    return ok ? pages * ::sysconf(_SC_PAGESIZE) : -1;
}
