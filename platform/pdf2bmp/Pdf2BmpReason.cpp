#include "pdf2bmp/Pdf2BmpReason.h"

#include <cstring>

namespace {

thread_local std::string g_reason;

} // namespace

namespace pdf2bmp_reason {

void Clear()
{
    g_reason.clear();
}

void Set(std::string text)
{
    if (g_reason.empty())
        g_reason = std::move(text);
}

const std::string& Get()
{
    return g_reason;
}

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

} // namespace pdf2bmp_reason
