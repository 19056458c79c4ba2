#include "Windows1252.h"

namespace {

constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar Windows1252Char(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? QChar(kWindows1252High[byte - 0x80]) : QChar(byte);
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = Windows1252Char(static_cast<unsigned char>(c));
    return text;
}

bool EncodeWindows1252(QStringView text, QByteArray& bytes)
{
    bytes.resize(text.size());
    char* out = bytes.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            *out++ = static_cast<char>(u);
            continue;
        }
        int i = 0;
        while (i < 32 && kWindows1252High[i] != u)
            ++i;
        if (i == 32)
            return false;
        *out++ = static_cast<char>(0x80 + i);
    }
    return true;
}
