#include "TextFileEncoding.h"

#include "RegularFileTarget.h"
#include "Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

namespace {

char16_t unitAt(QByteArrayView bytes, qsizetype i, TextFileEncoding e)
{
    const auto lo = static_cast<unsigned char>(bytes[i]);
    const auto hi = static_cast<unsigned char>(bytes[i + 1]);
    return e == TextFileEncoding::Utf16LE ? char16_t(lo | (hi << 8)) : char16_t((lo << 8) | hi);
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

} // namespace

bool IsUtf16Encoding(TextFileEncoding encoding)
{
    return encoding == TextFileEncoding::Utf16LE || encoding == TextFileEncoding::Utf16BE;
}

qsizetype TextFileByteOrderMark(QByteArrayView head, TextFileEncoding& encoding)
{
    if (head.startsWith("\xFF\xFE") && !(head.size() >= 4 && head[2] == '\0' && head[3] == '\0')) {
        encoding = TextFileEncoding::Utf16LE;
        return 2;
    }
    if (head.startsWith("\xFE\xFF")) {
        encoding = TextFileEncoding::Utf16BE;
        return 2;
    }
    if (head.startsWith("\xEF\xBB\xBF")) {
        encoding = TextFileEncoding::Utf8;
        return 3;
    }
    return 0;
}

bool IsAsciiText(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool IsAsciiText(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

TextFileEncoding EightBitTextEncoding(QByteArrayView bytes)
{
    if (IsAsciiText(bytes))
        return TextFileEncoding::Ascii;
    return isValidUtf8(bytes) ? TextFileEncoding::Utf8 : TextFileEncoding::Windows1252;
}

QString DecodeTextFileBytes(QByteArrayView body, TextFileEncoding encoding)
{
    switch (encoding) {
    case TextFileEncoding::Utf16LE:
    case TextFileEncoding::Utf16BE: {
        QString text(body.size() / 2, Qt::Uninitialized);
        QChar* out = text.data();
        for (qsizetype i = 0; i + 1 < body.size(); i += 2)
            *out++ = QChar(unitAt(body, i, encoding));
        return text;
    }
    case TextFileEncoding::Windows1252:
        return DecodeWindows1252(body);
    case TextFileEncoding::Ascii:
    case TextFileEncoding::Utf8:
        break;
    }
    return QString::fromUtf8(body);
}

bool EncodeTextFileText(QStringView text, TextFileEncoding encoding, QByteArray& out)
{
    switch (encoding) {
    case TextFileEncoding::Utf16LE:
    case TextFileEncoding::Utf16BE:
        out.reserve(out.size() + 2 * text.size());
        for (const QChar c : text) {
            const char lo = char(c.unicode() & 0xFF);
            const char hi = char(c.unicode() >> 8);
            if (encoding == TextFileEncoding::Utf16LE)
                out.append(lo).append(hi);
            else
                out.append(hi).append(lo);
        }
        return true;
    case TextFileEncoding::Windows1252: {
        QByteArray bytes;
        if (!EncodeWindows1252(text, bytes))
            return false;
        out += bytes;
        return true;
    }
    case TextFileEncoding::Ascii:
    case TextFileEncoding::Utf8:
        break;
    }
    out += text.toUtf8();
    return true;
}

bool ReadTextFileContent(const QString& path, TextFileContent& content, QString* reason)
{
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    QFile file(path);
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QString::fromLocal8Bit(std::strerror(EISDIR)));
    if (info.exists() && !info.isFile())
        return fail(QString::fromLatin1(kNotARegularFile));
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    content.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    content.mark = TextFileByteOrderMark(content.bytes, content.encoding);
    if (content.mark == 0)
        content.encoding = EightBitTextEncoding(content.bytes);
    return true;
}

bool WriteAllBytes(QFileDevice& file, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason)
{
    if (IsNonRegularTarget(path)) {
        if (reason)
            *reason = QString::fromLatin1(kNotARegularFile);
        return false;
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && WriteAllBytes(file, bytes) && file.commit())
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}
