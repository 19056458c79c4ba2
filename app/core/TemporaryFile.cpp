#include "TemporaryFile.h"

#include "base/OwnedTempFolder.h"
#include "base/RegularFileTarget.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kNameAttempts = 100;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// Made once per process and named after it, so that what a killed
// process left there is removed by a later start (OwnedTempFolder.h); at
// the end only an empty folder is removed, so a file someone put there is
// never swept away.
ProcessTempFolder& privateFolder()
{
    static ProcessTempFolder folder(QStringLiteral("temp"));
    return folder;
}

} // namespace

QString ProgramTempFolder()
{
    return privateFolder().path();
}

TemporaryFile::~TemporaryFile()
{
    remove();
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : m_path(std::move(other.m_path))
{
    other.m_path.clear();
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept
{
    if (this != &other) {
        remove();
        m_path = std::move(other.m_path);
        other.m_path.clear();
    }
    return *this;
}

bool TemporaryFile::create(const QString& folder, const QString& name, const QString& suffix, QString* error)
{
    remove();
    int folderError = 0;
    const QString directory = folder.isEmpty() ? privateFolder().path(&folderError) : folder;
    if (directory.isEmpty()) {
        setError(error, QStringLiteral("The program's temporary folder cannot be made in %1: %2")
                            .arg(QDir::tempPath(), errnoText(folderError)));
        return false;
    }
    const QString stem = QDir(directory).filePath(name) + QLatin1Char('.');
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString candidate =
            stem + QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')) + suffix;
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_path = candidate;
            return true;
        }
        if (errno != EEXIST) {
            setError(error, QStringLiteral("Cannot create a file in %1: %2").arg(directory, errnoText(errno)));
            return false;
        }
    }
    setError(error, QStringLiteral("Cannot create a file in %1: %2").arg(directory, errnoText(EEXIST)));
    return false;
}

bool TemporaryFile::moveOver(const QString& target, QString* error)
{
    if (m_path.isEmpty()) {
        setError(error, QStringLiteral("There is no temporary file to move to %1.").arg(target));
        return false;
    }
    if (IsNonRegularTarget(target)) {
        setError(error, QStringLiteral("Cannot replace %1: %2").arg(target, QString::fromLatin1(kNotARegularFile)));
        return false;
    }
    if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) != 0) {
        setError(error, QStringLiteral("Cannot replace %1: %2").arg(target, errnoText(errno)));
        return false;
    }
    m_path.clear();
    return true;
}

void TemporaryFile::remove()
{
    if (m_path.isEmpty())
        return;
    ::unlink(QFile::encodeName(m_path).constData());
    m_path.clear();
}
