#include "linesmith/Linesmith.h"

#include "base/Windows1252.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

enum class Encoding { Ascii, Utf8, Windows1252, Utf16LE, Utf16BE };

bool isUtf16(Encoding e)
{
    return e == Encoding::Utf16LE || e == Encoding::Utf16BE;
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool isAscii(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// Length of the byte-order mark the bytes start with, and the encoding it
// names; 0 when there is none.
qsizetype byteOrderMark(QByteArrayView head, Encoding& encoding)
{
    if (head.startsWith("\xFF\xFE") && !(head.size() >= 4 && head[2] == '\0' && head[3] == '\0')) {
        encoding = Encoding::Utf16LE;
        return 2;
    }
    if (head.startsWith("\xFE\xFF")) {
        encoding = Encoding::Utf16BE;
        return 2;
    }
    if (head.startsWith("\xEF\xBB\xBF")) {
        encoding = Encoding::Utf8;
        return 3;
    }
    return 0;
}

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && text.toUtf8() == bytes;
}

// The encoding of 8-bit text without a mark.
Encoding eightBitEncoding(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return Encoding::Ascii;
    return isValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Windows1252;
}

// A text file read whole: its mark, its encoding and the text after the mark.
struct TextFile
{
    QByteArray bytes;
    qsizetype mark = 0;
    Encoding encoding = Encoding::Ascii;

    QByteArrayView body() const { return QByteArrayView(bytes).sliced(mark); }
};

bool readWhole(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool readTextFile(const QString& path, TextFile& file)
{
    if (!readWhole(path, file.bytes))
        return false;
    file.mark = byteOrderMark(file.bytes, file.encoding);
    if (file.mark == 0)
        file.encoding = eightBitEncoding(file.bytes);
    return true;
}

char16_t unitAt(QByteArrayView bytes, qsizetype i, Encoding e)
{
    const auto lo = static_cast<unsigned char>(bytes[i]);
    const auto hi = static_cast<unsigned char>(bytes[i + 1]);
    return e == Encoding::Utf16LE ? char16_t(lo | (hi << 8)) : char16_t((lo << 8) | hi);
}

// UTF-16 bytes as code units, unpaired surrogates and all; an odd last
// byte is left out.
QString unitsOf(QByteArrayView bytes, Encoding e)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        *out++ = QChar(unitAt(bytes, i, e));
    return text;
}

void appendUnits(QStringView text, Encoding e, QByteArray& out)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char lo = char(u & 0xFF);
        const char hi = char(u >> 8);
        if (e == Encoding::Utf16LE)
            out.append(lo).append(hi);
        else
            out.append(hi).append(lo);
    }
}

QString decode(QByteArrayView body, Encoding e)
{
    switch (e) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        return unitsOf(body, e);
    case Encoding::Windows1252:
        return DecodeWindows1252(body);
    case Encoding::Ascii:
    case Encoding::Utf8:
        break;
    }
    return QString::fromUtf8(body);
}

// False when the text has a character the encoding cannot hold.
bool encode(QStringView text, Encoding e, QByteArray& out)
{
    switch (e) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        appendUnits(text, e, out);
        return true;
    case Encoding::Windows1252: {
        QByteArray bytes;
        if (!EncodeWindows1252(text, bytes))
            return false;
        out += bytes;
        return true;
    }
    case Encoding::Ascii:
    case Encoding::Utf8:
        break;
    }
    out += text.toUtf8();
    return true;
}

// The line end the source uses, "\n" when it has none.
QString sourceLineEnd(const TextFile& source)
{
    const QString text = isUtf16(source.encoding) ? unitsOf(source.body(), source.encoding) : QString();
    const qsizetype lf = isUtf16(source.encoding) ? text.indexOf(u'\n') : source.body().indexOf('\n');
    if (lf <= 0)
        return QStringLiteral("\n");
    const bool cr = isUtf16(source.encoding) ? text.at(lf - 1) == u'\r' : source.body().at(lf - 1) == '\r';
    return cr ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

// What the target holds at its start and its end, read without reading it
// all (a target that grows by thousands of appends stays cheap).
struct TargetShape
{
    qint64 size = 0;
    Encoding encoding = Encoding::Ascii;
    qsizetype mark = 0;
    QString tail;   // the last characters, up to two
};

bool readShape(QFile& target, TargetShape& shape, bool needEncoding)
{
    shape.size = target.size();
    if (shape.size == 0)
        return true;
    const QByteArray head = target.read(4);
    if (head.isEmpty())
        return false;
    shape.mark = byteOrderMark(head, shape.encoding);
    const int unit = isUtf16(shape.encoding) ? 2 : 1;
    const qint64 tailBytes = std::min<qint64>(2 * unit, shape.size - shape.mark);
    if (!target.seek(shape.size - tailBytes))
        return false;
    const QByteArray tail = target.read(tailBytes);
    if (tail.size() != tailBytes)
        return false;
    if (shape.mark == 0 && needEncoding) {
        if (!target.seek(0))
            return false;
        const QByteArray all = target.readAll();
        if (all.size() != shape.size)
            return false;
        shape.encoding = eightBitEncoding(all);
    }
    shape.tail = isUtf16(shape.encoding) ? unitsOf(tail, shape.encoding) : QString::fromLatin1(tail);
    return true;
}

// The encoding the appended text is written in.
Encoding appendEncoding(const TargetShape& target, Encoding source)
{
    if (target.size == 0)
        return source;
    if (target.encoding != Encoding::Ascii)
        return target.encoding;
    return source == Encoding::Windows1252 ? Encoding::Windows1252 : Encoding::Utf8;
}

bool sameEightBitBytes(Encoding source, Encoding out)
{
    if (isUtf16(source) || isUtf16(out))
        return false;
    return source == out || source == Encoding::Ascii || (out == Encoding::Ascii);
}

// Writes `bytes` at the end of the target; a write that fails is undone.
bool appendInPlace(QFile& target, qint64 oldSize, const QByteArray& bytes)
{
    if (!target.seek(oldSize))
        return false;
    if (target.write(bytes) == bytes.size() && target.flush())
        return true;
    target.resize(oldSize);
    return false;
}

bool writeNewFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

template <typename Text>
bool isLineBreakOrBlank(Text c)
{
    return c == Text(u' ') || c == Text(u'\t') || c == Text(u'\v') || c == Text(u'\r');
}

// The lines of `text` that hold something, with their own line ends.
template <typename Text, typename Unit>
Text withoutEmptyLines(const Text& text, Unit lineFeed)
{
    Text out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        const qsizetype lf = text.indexOf(lineFeed, start);
        const qsizetype lineEnd = lf < 0 ? n : lf;
        bool empty = true;
        for (qsizetype i = start; i < lineEnd && empty; ++i)
            empty = isLineBreakOrBlank<Unit>(text.at(i));
        const qsizetype next = lf < 0 ? n : lf + 1;
        if (!empty)
            out += text.sliced(start, next - start);
        start = next;
    }
    return out;
}

} // namespace

bool IsUnicodeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    Encoding encoding = Encoding::Ascii;
    return byteOrderMark(head, encoding) > 0 && encoding == Encoding::Utf16LE;
}

int ConcatenateTwoTextFiles(const QString& sSourceFile, const QString& sTargetFile)
{
    return ConcatenateTwoTextFilesEx(sSourceFile, sTargetFile, 0, 0);
}

int ConcatenateTwoTextFilesEx(const QString& sSourceFile, const QString& sTargetFile, int lAddPageBreak,
                              int lPlaceFilePath)
{
    TextFile source;
    if (!readTextFile(sSourceFile, source))
        return kLinesmithSourceError;

    const QFileInfo targetInfo(sTargetFile);
    const bool targetExists = targetInfo.exists();
    if (targetExists && !targetInfo.isFile())
        return kLinesmithTargetError;

    QFile target(sTargetFile);
    TargetShape shape;
    if (targetExists) {
        if (!target.open(QIODevice::ReadWrite))
            return kLinesmithTargetError;
        // The whole target is read only when its 8-bit encoding matters.
        const bool asciiText = isUtf16(source.encoding) ? isAscii(QStringView(unitsOf(source.body(), source.encoding)))
                                                         : source.encoding == Encoding::Ascii;
        const bool needEncoding = !(asciiText && isAscii(QStringView(sSourceFile)));
        if (!readShape(target, shape, needEncoding))
            return kLinesmithTargetError;
    }

    const Encoding out = appendEncoding(shape, source.encoding);
    const bool targetHasText = shape.size > shape.mark;
    QString lineEnd = sourceLineEnd(source);
    if (shape.tail.endsWith(QLatin1String("\r\n")))
        lineEnd = QStringLiteral("\r\n");
    else if (shape.tail.endsWith(u'\n'))
        lineEnd = QStringLiteral("\n");
    QString lead;
    if (targetHasText && (lAddPageBreak != 0 || lPlaceFilePath != 0) && !shape.tail.endsWith(u'\n')
        && !shape.tail.endsWith(u'\r'))
        lead += lineEnd;
    if (targetHasText && lAddPageBreak != 0)
        lead += QChar(12);
    if (lPlaceFilePath != 0)
        lead += sSourceFile + lineEnd;

    QByteArray bytes;
    if (shape.size == 0)
        bytes = source.bytes.left(source.mark);   // a new target takes the source's mark
    if (!encode(lead, out, bytes))
        return kLinesmithEncodingError;
    if (sameEightBitBytes(source.encoding, out))
        bytes += source.body();
    else if (!encode(decode(source.body(), source.encoding), out, bytes))
        return kLinesmithEncodingError;

    if (!targetExists)
        return writeNewFile(sTargetFile, bytes) ? 0 : kLinesmithTargetError;
    return appendInPlace(target, shape.size, bytes) ? 0 : kLinesmithTargetError;
}

int DeleteEmptyLinesFromTextFile(const QString& sSourceFile, const QString& sTargetFile)
{
    TextFile source;
    if (!readTextFile(sSourceFile, source))
        return kLinesmithSourceError;

    QByteArray bytes = source.bytes.left(source.mark);
    if (isUtf16(source.encoding)) {
        const QByteArrayView body = source.body();
        appendUnits(withoutEmptyLines(unitsOf(body, source.encoding), QChar(u'\n')), source.encoding, bytes);
        if (body.size() % 2 != 0)
            bytes += body.last(1);   // a stray last byte stays as it was
    } else {
        bytes += withoutEmptyLines(source.body().toByteArray(), '\n');
    }
    return writeNewFile(sTargetFile, bytes) ? 0 : kLinesmithTargetError;
}
