#include "office/OfficeMemory.h"

#include "base/Processors.h"

#include <QByteArray>
#include <QFile>
#include <QMutex>

#include <algorithm>
#include <cstdio>
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

namespace {

// A value that is not read is said once, not for every office started.
void reportUnreadBudget(const QString& value, qint64 budget)
{
    static QMutex lock;
    static QString told;
    const QMutexLocker locked(&lock);
    if (value == told)
        return;
    told = value;
    const QByteArray line = QStringLiteral("qvim: TESSAVIEW_OFFICE_MEMORY_BUDGET=%1 is not read (a number of bytes, "
                                           "or one followed by K, M or G; 0 for no limit): each office may use %2\n")
                                .arg(value, MemorySizeText(budget))
                                .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

qint64 OfficeMemoryBudget(int offices)
{
    const QString value = qEnvironmentVariable("TESSAVIEW_OFFICE_MEMORY_BUDGET");
    qint64 bytes = 0;
    if (ParseMemorySize(value, bytes))
        return bytes;
    bytes = OfficeMemoryBudgetFor(MachineMemoryBytes(), offices);
    if (!value.trimmed().isEmpty())
        reportUnreadBudget(value, bytes);
    return bytes;
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
