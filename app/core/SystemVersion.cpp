#include "SystemVersion.h"

#include <QFile>

#include <sys/utsname.h>

namespace {

// Values of the Windows version records.
constexpr quint32 kPlatformWin32s = 0;
constexpr quint32 kPlatformWindows = 1;
constexpr quint32 kPlatformNt = 2;
constexpr quint32 kPlatformCe = 3;
constexpr quint8 kWorkstation = 1;
constexpr quint16 kSuiteEnterprise = 0x2;
constexpr quint16 kSuiteDatacenter = 0x80;
constexpr quint16 kSuitePersonal = 0x200;
constexpr quint16 kSuiteBlade = 0x400;
constexpr quint16 kSuiteStorageServer = 0x2000;
constexpr quint16 kSuiteComputeServer = 0x4000;
constexpr quint16 kArchIntel = 0;
constexpr quint16 kArchIa64 = 6;
constexpr quint16 kArchAmd64 = 9;

QString windows9xName(quint32 minor, quint32 build)
{
    if (minor == 0) {
        if (build >= 1081)
            return QStringLiteral("Windows 95 OSR2");
        if (build >= 951)
            return QStringLiteral("Windows 95 SP1");
        if (build == 950)
            return QStringLiteral("Windows 95");
    } else if (minor == 10) {
        if (build >= 2183)
            return QStringLiteral("Windows 98 SE");
        if (build >= 1999)
            return QStringLiteral("Windows 98 SP1");
        if (build == 1998)
            return QStringLiteral("Windows 98");
    } else if (minor == 90) {
        return QStringLiteral("Windows ME");
    }
    return {};
}

QString windowsXpName(const WindowsVersionInfo& info)
{
    if (info.mediaCenter)
        return QStringLiteral("Windows XP Media Center Edition");
    if (info.starter)
        return QStringLiteral("Windows XP Starter Edition");
    if (info.tabletPc)
        return QStringLiteral("Windows XP Tablet PC Edition");
    if (info.suiteMask & kSuitePersonal)
        return QStringLiteral("Windows XP Home Edition");
    return QStringLiteral("Windows XP Professional");
}

QString server2003Edition(const WindowsVersionInfo& info)
{
    const quint16 suite = info.suiteMask;
    switch (info.processorArchitecture) {
    case kArchIa64:
        if (suite & kSuiteDatacenter)
            return QStringLiteral("Datacenter Edition for Itanium-based Systems");
        if (suite & kSuiteEnterprise)
            return QStringLiteral("Enterprise Edition for Itanium-based Systems");
        return {};
    case kArchAmd64:
        if (suite & kSuiteDatacenter)
            return QStringLiteral("Datacenter x64 Edition");
        if (suite & kSuiteEnterprise)
            return QStringLiteral("Enterprise x64 Edition");
        return QStringLiteral("Standard x64 Edition");
    default:
        if (suite & kSuiteComputeServer)
            return QStringLiteral("Compute Cluster Edition");
        if (suite & kSuiteDatacenter)
            return QStringLiteral("Datacenter Edition");
        if (suite & kSuiteEnterprise)
            return QStringLiteral("Enterprise Edition");
        if (suite & kSuiteBlade)
            return QStringLiteral("Web Edition");
        return QStringLiteral("Standard Edition");
    }
}

QString windows52Name(const WindowsVersionInfo& info)
{
    const bool workstation = info.productType == kWorkstation;
    QString name;
    if (info.serverR2)
        name = QStringLiteral("Windows Server 2003 R2, ");
    else if (info.suiteMask == kSuiteStorageServer)
        name = QStringLiteral("Windows Storage Server 2003");
    else if (info.processorArchitecture == kArchAmd64 && workstation)
        name = QStringLiteral("Windows XP Professional x64 Edition");
    else
        name = QStringLiteral("Windows Server 2003, ");
    if (!workstation)
        name += server2003Edition(info);
    return name;
}

QString productEdition(quint32 productInfo)
{
    switch (productInfo) {
    case 1: return QStringLiteral("Ultimate Edition");
    case 2: return QStringLiteral("Home Basic Edition");
    case 3: return QStringLiteral("Home Premium Edition");
    case 4:
    case 10: return QStringLiteral("Enterprise Edition");
    case 6: return QStringLiteral("Business Edition");
    case 7: return QStringLiteral("Standard Edition");
    case 8: return QStringLiteral("Datacenter Edition");
    case 9: return QStringLiteral("Small Business Server");
    case 11: return QStringLiteral("Starter Edition");
    case 12: return QStringLiteral("Datacenter Edition (core installation)");
    case 13: return QStringLiteral("Standard Edition (core installation)");
    case 14: return QStringLiteral("Enterprise Edition (core installation)");
    case 15: return QStringLiteral("Enterprise Edition for Itanium-based Systems");
    case 17: return QStringLiteral("Web Server Edition");
    case 18: return QStringLiteral("Cluster Server Edition");
    case 25: return QStringLiteral("Small Business Server Premium Edition");
    default: return {};
    }
}

QString windows6Name(const WindowsVersionInfo& info)
{
    const bool workstation = info.productType == kWorkstation;
    QString name;
    switch (info.minorVersion) {
    case 0:
        name = workstation ? QStringLiteral("Windows Vista ") : QStringLiteral("Windows Server 2008 ");
        break;
    case 1:
        name = workstation ? QStringLiteral("Windows 7 ") : QStringLiteral("Windows Server 2008 R2 ");
        break;
    case 2:
        name = workstation ? QStringLiteral("Windows 8 ") : QStringLiteral("Windows Server 2012 ");
        break;
    case 3:
        name = workstation ? QStringLiteral("Windows 8.1 ") : QStringLiteral("Windows Server 2012 R2");
        break;
    default:
        name = (workstation ? QStringLiteral("Windows Version??? Major Version = 6 Minor Version = ")
                            : QStringLiteral("Windows Server Version??? Major Version = 6 Minor Version = "))
            + QString::number(info.minorVersion) + u' ';
        break;
    }
    name += productEdition(info.productInfo);
    if (info.processorArchitecture == kArchAmd64)
        name += QStringLiteral(", 64-bit");
    else if (info.processorArchitecture == kArchIntel)
        name += QStringLiteral(", 32-bit");
    return name;
}

QString windowsNtName(const WindowsVersionInfo& info)
{
    const bool workstation = info.productType == kWorkstation;
    switch (info.majorVersion) {
    case 3:
        return QStringLiteral("Windows NT 3.x");
    case 4:
        return QStringLiteral("Windows NT 4.x");
    case 5:
        if (info.minorVersion == 0) {
            if (workstation)
                return QStringLiteral("Windows 2000 Professional");
            if (info.suiteMask & kSuiteDatacenter)
                return QStringLiteral("Windows 2000 Datacenter Server");
            if (info.suiteMask & kSuiteEnterprise)
                return QStringLiteral("Windows 2000 Advanced Server");
            return QStringLiteral("Windows 2000 Server");
        }
        if (info.minorVersion == 1)
            return windowsXpName(info);
        if (info.minorVersion == 2)
            return windows52Name(info);
        return {};
    case 6:
        return windows6Name(info);
    case 10:
        return workstation ? QStringLiteral("Windows 10 ") : QStringLiteral("Windows Server 2016 ");
    default:
        return {};
    }
}

// The value of one os-release variable, its quotes and escapes removed.
QString osReleaseValue(const QByteArray& text, const QByteArray& key)
{
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (!line.startsWith(QByteArray(key + '=')))
            continue;
        QByteArray value = line.mid(key.size() + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            const bool doubleQuoted = value.front() == '"';
            value = value.mid(1, value.size() - 2);
            if (doubleQuoted) {
                QByteArray plain;
                for (qsizetype i = 0; i < value.size(); ++i) {
                    if (value[i] == '\\' && i + 1 < value.size())
                        ++i;
                    plain += value[i];
                }
                value = plain;
            }
        }
        return QString::fromUtf8(value).trimmed();
    }
    return {};
}

QByteArray readOsRelease()
{
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return {};
}

OSVersionCache& processCache()
{
    static OSVersionCache cache;
    return cache;
}

} // namespace

OSVersion BuildWindowsVersionName(const WindowsVersionInfo& info)
{
    OSVersion result;
    switch (info.platformId) {
    case kPlatformWin32s:
        result.name = QStringLiteral("Windows 3.1");
        break;
    case kPlatformWindows:
        result.name = windows9xName(info.minorVersion, info.buildNumber);
        break;
    case kPlatformCe:
        result.name = QStringLiteral("Windows CE");
        break;
    case kPlatformNt:
        result.vistaOrLater = info.majorVersion >= 6;
        result.name = windowsNtName(info);
        break;
    default:
        break;
    }
    const QString servicePack = info.servicePack.left(info.servicePack.indexOf(QChar(u'\0')));
    if (!servicePack.isEmpty())
        result.name += QStringLiteral(" (") + servicePack + u')';
    return result;
}

std::optional<OSVersion> BuildLinuxVersionName(const LinuxSystemInfo& info)
{
    QString name = osReleaseValue(info.osRelease, "PRETTY_NAME");
    if (name.isEmpty())
        name = QString(info.sysname + u' ' + info.release).trimmed();
    if (name.isEmpty())
        return std::nullopt;
    if (!info.machine.isEmpty()) {
        // s390x is the one 64-bit machine name without "64" in it.
        const bool wide = info.machine.contains(QStringLiteral("64")) || info.machine == u"s390x";
        name += u' ' + info.machine + (wide ? QStringLiteral(", 64-bit") : QStringLiteral(", 32-bit"));
    }
    return OSVersion{name, true};
}

std::optional<OSVersion> GetOSVersionName()
{
    LinuxSystemInfo info;
    info.osRelease = readOsRelease();
    struct utsname names {};
    if (uname(&names) == 0) {
        info.sysname = QString::fromLocal8Bit(names.sysname);
        info.release = QString::fromLocal8Bit(names.release);
        info.machine = QString::fromLocal8Bit(names.machine);
    }
    return BuildLinuxVersionName(info);
}

OSVersionCache::OSVersionCache(Probe probe)
    : m_probe(std::move(probe))
{
}

bool OSVersionCache::IsVistaOrLater()
{
    if (!m_vistaOrLater) {
        const auto version = m_probe();
        m_vistaOrLater = version && version->vistaOrLater;
    }
    return *m_vistaOrLater;
}

QString OSVersionCache::GetOSVersionNameCached()
{
    if (m_name)
        return *m_name;
    m_name = QString();
    const auto version = m_probe();
    if (!version)
        return QStringLiteral("GetWinVerInfo Error 2");
    m_name = version->name;
    return *m_name;
}

bool IsVistaOrLater()
{
    return processCache().IsVistaOrLater();
}

QString GetOSVersionNameCached()
{
    return processCache().GetOSVersionNameCached();
}
