#pragma once
// A readable name of the running system, and whether it is "Vista or
// later" (the settings-file location chooses its folder by that test).
// On Linux the name is the distribution, its version, the architecture and
// the width; every Vista-or-later test answers true. The naming of Windows
// versions from what that platform reports is kept as a pure function.
#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

struct OSVersion
{
    QString name;
    bool vistaOrLater = false;
};

// What Windows reports about itself: the version records, the processor
// architecture (native for a 32-bit process on 64-bit Windows), the
// edition number of GetProductInfo(6, 0, 0, 0) and four system metrics.
struct WindowsVersionInfo
{
    quint32 platformId = 2;
    quint32 majorVersion = 0;
    quint32 minorVersion = 0;
    quint32 buildNumber = 0;
    QString servicePack; // may hold a NUL and the rest of its buffer
    quint16 suiteMask = 0;
    quint8 productType = 1; // 1 workstation, 2 domain controller, 3 server
    quint16 processorArchitecture = 0; // 0 x86, 6 Itanium, 9 x64
    quint32 productInfo = 0;
    bool mediaCenter = false; // system metric 87
    bool starter = false;     // 88
    bool tabletPc = false;    // 86
    bool serverR2 = false;    // 89
};

// The name and Vista-or-later flag of a Windows system, for example
// "Windows 7 Ultimate Edition, 64-bit (Service Pack 1)".
OSVersion BuildWindowsVersionName(const WindowsVersionInfo& info);

// What Linux reports: the text of os-release and the uname fields.
struct LinuxSystemInfo
{
    QByteArray osRelease;
    QString sysname;
    QString release;
    QString machine;
};

// "PRETTY_NAME machine, 64-bit" (uname's system and release when os-release
// has no PRETTY_NAME); no value when neither names the system.
std::optional<OSVersion> BuildLinuxVersionName(const LinuxSystemInfo& info);

// Asks the running system; no value when it cannot be asked.
std::optional<OSVersion> GetOSVersionName();

// The answers of GetOSVersionName, each asked for once: the first call of
// each accessor asks, later calls return what that call stored.
class OSVersionCache
{
public:
    using Probe = std::function<std::optional<OSVersion>()>;
    explicit OSVersionCache(Probe probe = GetOSVersionName);

    // False when the system could not be asked.
    bool IsVistaOrLater();
    // "GetWinVerInfo Error 2" on the call that could not ask; the empty
    // name after that.
    QString GetOSVersionNameCached();

private:
    Probe m_probe;
    std::optional<bool> m_vistaOrLater;
    std::optional<QString> m_name;
};

// The process-wide cache on the running system.
bool IsVistaOrLater();
QString GetOSVersionNameCached();
