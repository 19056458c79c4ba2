#include "JobFileText.h"

#include "base/Windows1252.h"

#include <QIODevice>

#include <cstring>

namespace {

constexpr qsizetype kChunkSize = 64 * 1024;

const char* findByte(const char* from, const char* to, char byte)
{
    return static_cast<const char*>(std::memchr(from, byte, size_t(to - from)));
}

} // namespace

void AppendCp1252AsUtf8(QByteArrayView cp1252, QByteArray& out)
{
    for (const char b : cp1252) {
        const auto u = static_cast<unsigned char>(b);
        if (u < 0x80) {
            out.append(b);
            continue;
        }
        const char16_t code = Windows1252Char(u).unicode();
        if (code < 0x800) {
            out.append(char(0xC0 | (code >> 6))).append(char(0x80 | (code & 0x3F)));
        } else {
            out.append(char(0xE0 | (code >> 12)))
                .append(char(0x80 | ((code >> 6) & 0x3F)))
                .append(char(0x80 | (code & 0x3F)));
        }
    }
}

bool JobFileLineReader::fill()
{
    m_chunk.resize(kChunkSize);
    const qint64 got = m_device.read(m_chunk.data(), kChunkSize);
    m_failed = got < 0;
    m_chunk.resize(got > 0 ? qsizetype(got) : 0);
    m_pos = 0;
    // One search of the whole chunk costs less than one of every line.
    m_nulRead = m_nulRead || (got > 0 && std::memchr(m_chunk.constData(), 0, size_t(got)));
    return got > 0;
}

bool JobFileLineReader::next(QByteArrayView& line)
{
    bool carrying = false;
    m_carry.clear();
    for (;;) {
        if (m_pos >= m_chunk.size() && !fill()) {
            if (!carrying || m_failed)
                return false;
            line = m_carry; // the last line has no line end
            return true;
        }
        const char* const data = m_chunk.constData();
        const char* const from = data + m_pos;
        const char* const to = data + m_chunk.size();
        if (m_skipLf) {
            m_skipLf = false;
            if (*from == '\n') {
                ++m_pos;
                continue;
            }
        }
        // The line ends at the first LF, or at a CR before it.
        const char* end = findByte(from, to, '\n');
        if (const char* cr = findByte(from, end ? end : to, '\r'))
            end = cr;
        if (!end) {
            m_carry.append(from, to - from);
            carrying = true;
            m_pos = m_chunk.size();
            continue;
        }
        const QByteArrayView piece(from, end - from);
        m_pos = end - data + 1;
        if (*end == '\r') {
            if (m_pos < m_chunk.size()) {
                if (data[m_pos] == '\n')
                    ++m_pos;
            } else {
                m_skipLf = true;
            }
        }
        if (carrying) {
            m_carry.append(piece);
            line = m_carry;
        } else {
            line = piece;
        }
        return true;
    }
}
