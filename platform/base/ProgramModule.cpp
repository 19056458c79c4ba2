#include "base/ProgramModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>
#include <map>
#include <mutex>
#include <string>

namespace {

QString programFolder()
{
    // /proc/self/exe names the program also before Qt's application object
    // exists (the window's module is loaded to make it).
    const QString program = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return program.isEmpty() ? QString() : QFileInfo(program).absolutePath();
}

struct Loaded
{
    const void* table = nullptr;
    QString error;
};

Loaded load(const char* fileName, const char* entry)
{
    const QString name = QString::fromLatin1(fileName);
    const QStringList candidates = ProgramLibraryCandidates(name, QStringLiteral(TESSAVIEW_MODULE_BUILD_DIR));
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isFile())
            continue;
        // The first one found is the one: an older copy further on is no
        // better than one that does not load.
        Loaded loaded;
        void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!handle) {
            loaded.error = QStringLiteral("The module %1 cannot be loaded: %2").arg(path, QString::fromLocal8Bit(::dlerror()));
            return loaded;
        }
        const auto start = reinterpret_cast<ProgramModuleEntry>(::dlsym(handle, entry));
        if (!start) {
            loaded.error = QStringLiteral("The module %1 has no entry point %2.").arg(path, QLatin1String(entry));
            return loaded;
        }
        loaded.table = start(TESSAVIEW_MODULE_VERSION_TEXT);
        if (!loaded.table)
            loaded.error = QStringLiteral("The module %1 was built for another version of this program (%2).")
                               .arg(path, QStringLiteral(TESSAVIEW_MODULE_VERSION_TEXT));
        return loaded;
    }
    Loaded missing;
    missing.error = QStringLiteral("The module %1 was not found (looked for %2).").arg(name, candidates.join(QStringLiteral(", ")));
    return missing;
}

} // namespace

QStringList ProgramLibraryCandidates(const QString& fileName, const QString& buildFolder)
{
    QStringList candidates;
    const QString program = programFolder();
    if (!program.isEmpty()) {
        candidates << program + u'/' + fileName
                   << QDir::cleanPath(program + QStringLiteral("/../" TESSAVIEW_MODULE_INSTALL_DIR "/") + fileName);
    }
    if (!buildFolder.isEmpty()) {
        const QString built = QDir::cleanPath(buildFolder + u'/' + fileName);
        if (!candidates.contains(built))
            candidates << built;
    }
    return candidates;
}

const void* LoadProgramModule(const char* fileName, const char* entry, QString& error)
{
    static std::mutex mutex;
    static std::map<std::string, Loaded>* modules = new std::map<std::string, Loaded>;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = modules->find(fileName);
    if (found == modules->end())
        found = modules->emplace(fileName, load(fileName, entry)).first;
    error = found->second.error;
    return found->second.table;
}
