#include "pdf2bmp/OutputFile.h"

#include "pdf2bmp/Pdf2BmpReason.h"

#include "base/RegularFileTarget.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <algorithm>
#include <unistd.h>

OutputFile::OutputFile(std::string target)
    : m_target(std::move(target))
{
}

OutputFile::~OutputFile()
{
    if (!m_committed && !m_temp.empty())
        ::unlink(m_temp.c_str());
}

bool OutputFile::create()
{
    if (m_target.empty() || m_target.back() == '/') {
        pdf2bmp_reason::Set("the output path names no file");
        return false;
    }
    const size_t slash = m_target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    struct stat st {};
    if (!folder.empty() && (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
        pdf2bmp_reason::Set("Output folder does not exist: " + folder.substr(0, std::max<size_t>(1, folder.size() - 1)));
        return false;
    }
    if (IsNonRegularTarget(m_target.c_str())) {
        pdf2bmp_reason::Set("Unable to write " + m_target + ": " + kNotARegularFile);
        return false;
    }
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        std::string candidate = folder + "." + name + suffix + ".part";
        // 0666 less the umask, as any other file the user's programs make.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            m_temp = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    const int error = errno;
    std::string named = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    pdf2bmp_reason::Set("Unable to create a file in " + (named.empty() ? std::string(".") : named) + ": "
                        + pdf2bmp_reason::ErrnoText(error));
    return false;
}

bool OutputFile::commit()
{
    if (m_temp.empty() || m_committed)
        return false;
    // Checked again: the pages took their time, and the target may have changed.
    if (IsNonRegularTarget(m_target.c_str())) {
        pdf2bmp_reason::Set("Unable to write " + m_target + ": " + kNotARegularFile);
        return false;
    }
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        pdf2bmp_reason::Set("Unable to write " + m_target + ": " + pdf2bmp_reason::ErrnoText(errno));
        return false;
    }
    m_committed = true;
    return true;
}
