#include "ImageFileInternal.h"

#include "base/RegularFileTarget.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace imagefile_detail {

namespace {

QString ErrnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

void SetError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool CheckRaster(const RasterImage& image, QString* error)
{
    if (image.width <= 0 || image.height <= 0) {
        SetError(error, QStringLiteral("The image has no pixels (%1 x %2).")
                            .arg(image.width)
                            .arg(image.height));
        return false;
    }
    const auto expected = static_cast<std::uint64_t>(image.width)
                          * static_cast<std::uint64_t>(image.height) * 3u;
    if (expected != image.rgb.size()) {
        SetError(error, QStringLiteral("The image buffer holds %1 bytes; %2 x %3 RGB needs %4.")
                            .arg(image.rgb.size())
                            .arg(image.width)
                            .arg(image.height)
                            .arg(expected));
        return false;
    }
    return true;
}

AtomicFile::AtomicFile(const QString& target)
    : m_target(target)
    , m_targetNative(QFile::encodeName(target))
{
}

AtomicFile::~AtomicFile()
{
    if (!m_committed)
        discard();
}

bool AtomicFile::create(QString* error)
{
    const QFileInfo info(m_target);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        SetError(error, QStringLiteral("Output folder does not exist: %1").arg(folder));
        return false;
    }
    if (info.isDir()) {
        SetError(error, QStringLiteral("The output path is a folder: %1").arg(m_target));
        return false;
    }
    if (IsNonRegularTarget(m_targetNative.constData())) {
        SetError(error, QStringLiteral("Unable to write %1: %2").arg(m_target, QString::fromLatin1(kNotARegularFile)));
        return false;
    }
    // A short hidden name: the target's own name may already be near the
    // file-name length limit.
    const QByteArray folderNative = QFile::encodeName(folder);
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        m_temp = folderNative + "/.tessaview-"
                 + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".tmp";
        fd = ::open(m_temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int err = errno;
        m_temp.clear();
        SetError(error, QStringLiteral("Unable to create a file in %1: %2").arg(folder, ErrnoText(err)));
        return false;
    }
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        const int err = errno;
        ::close(fd);
        discard();
        SetError(error, QStringLiteral("Unable to write %1: %2").arg(m_target, ErrnoText(err)));
        return false;
    }
    // Page bitmaps are large; fewer system calls.
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
    return true;
}

void AtomicFile::closeStream()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

void AtomicFile::write(const void* data, std::size_t size)
{
    if (!m_file || m_writeErrno != 0 || size == 0)
        return;
    if (std::fwrite(data, 1, size, m_file) != size)
        m_writeErrno = errno != 0 ? errno : EIO;
}

bool AtomicFile::commit(QString* error)
{
    if (m_temp.isEmpty()) {
        SetError(error, QStringLiteral("Unable to write %1.").arg(m_target));
        return false;
    }
    if (m_file) {
        if (std::fflush(m_file) != 0 && m_writeErrno == 0)
            m_writeErrno = errno;
        if (std::ferror(m_file) && m_writeErrno == 0)
            m_writeErrno = EIO;
        if (std::fclose(m_file) != 0 && m_writeErrno == 0)
            m_writeErrno = errno;
        m_file = nullptr;
    }
    if (m_writeErrno != 0) {
        SetError(error, QStringLiteral("Unable to write %1: %2").arg(m_target, ErrnoText(m_writeErrno)));
        discard();
        return false;
    }
    // A replaced file keeps its permissions.
    struct stat old {};
    if (::stat(m_targetNative.constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::chmod(m_temp.constData(), old.st_mode & 07777);
    // Checked again: the page took its time, and the target may have changed.
    if (IsNonRegularTarget(m_targetNative.constData())) {
        SetError(error, QStringLiteral("Unable to write %1: %2").arg(m_target, QString::fromLatin1(kNotARegularFile)));
        discard();
        return false;
    }
    if (::rename(m_temp.constData(), m_targetNative.constData()) != 0) {
        const int err = errno;
        SetError(error, QStringLiteral("Unable to write %1: %2").arg(m_target, ErrnoText(err)));
        discard();
        return false;
    }
    m_committed = true;
    return true;
}

void AtomicFile::discard()
{
    closeStream();
    if (!m_temp.isEmpty()) {
        ::unlink(m_temp.constData());
        m_temp.clear();
    }
}

void LeBytes::u16(std::uint32_t v)
{
    m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    m_bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void LeBytes::u32(std::uint32_t v)
{
    u16(v & 0xFFFF);
    u16(v >> 16);
}

void LeBytes::put(const char* text, std::size_t size)
{
    m_bytes.insert(m_bytes.end(), text, text + size);
}

} // namespace imagefile_detail
