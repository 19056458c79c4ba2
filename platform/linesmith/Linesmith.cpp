#include "linesmith/Linesmith.h"

#include "base/TextFileEncoding.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace {

using Encoding = TextFileEncoding;
using TextFile = TextFileContent;

// The line end the source uses, "\n" when it has none.
QString sourceLineEnd(const TextFile& source)
{
    const QString text = IsUtf16Encoding(source.encoding) ? DecodeTextFileBytes(source.body(), source.encoding) : QString();
    const qsizetype lf = IsUtf16Encoding(source.encoding) ? text.indexOf(u'\n') : source.body().indexOf('\n');
    if (lf <= 0)
        return QStringLiteral("\n");
    const bool cr = IsUtf16Encoding(source.encoding) ? text.at(lf - 1) == u'\r' : source.body().at(lf - 1) == '\r';
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
    shape.mark = TextFileByteOrderMark(head, shape.encoding);
    const int unit = IsUtf16Encoding(shape.encoding) ? 2 : 1;
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
        shape.encoding = EightBitTextEncoding(all);
    }
    shape.tail = IsUtf16Encoding(shape.encoding) ? DecodeTextFileBytes(tail, shape.encoding) : QString::fromLatin1(tail);
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
    if (IsUtf16Encoding(source) || IsUtf16Encoding(out))
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


template <typename Text>
bool isBlank(Text c)
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
            empty = isBlank<Unit>(text.at(i));
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
    return TextFileByteOrderMark(head, encoding) > 0 && encoding == Encoding::Utf16LE;
}

int ConcatenateTwoTextFiles(const QString& sSourceFile, const QString& sTargetFile)
{
    return ConcatenateTwoTextFilesEx(sSourceFile, sTargetFile, 0, 0);
}

int ConcatenateTwoTextFilesEx(const QString& sSourceFile, const QString& sTargetFile, int lAddPageBreak,
                              int lPlaceFilePath)
{
    TextFile source;
    if (!ReadTextFileContent(sSourceFile, source))
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
        const bool asciiText = IsUtf16Encoding(source.encoding) ? IsAsciiText(QStringView(DecodeTextFileBytes(source.body(), source.encoding)))
                                                         : source.encoding == Encoding::Ascii;
        const bool needEncoding = !(asciiText && IsAsciiText(QStringView(sSourceFile)));
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
        bytes = source.markBytes();   // a new target takes the source's mark
    if (!EncodeTextFileText(lead, out, bytes))
        return kLinesmithEncodingError;
    if (sameEightBitBytes(source.encoding, out))
        bytes += source.body();
    else if (!EncodeTextFileText(DecodeTextFileBytes(source.body(), source.encoding), out, bytes))
        return kLinesmithEncodingError;

    if (!targetExists)
        return WriteWholeFile(sTargetFile, bytes) ? 0 : kLinesmithTargetError;
    return appendInPlace(target, shape.size, bytes) ? 0 : kLinesmithTargetError;
}

int DeleteEmptyLinesFromTextFile(const QString& sSourceFile, const QString& sTargetFile)
{
    TextFile source;
    if (!ReadTextFileContent(sSourceFile, source))
        return kLinesmithSourceError;

    QByteArray bytes = source.markBytes();
    if (IsUtf16Encoding(source.encoding)) {
        const QByteArrayView body = source.body();
        EncodeTextFileText(withoutEmptyLines(DecodeTextFileBytes(body, source.encoding), QChar(u'\n')), source.encoding, bytes);
        if (body.size() % 2 != 0)
            bytes += body.last(1);   // a stray last byte stays as it was
    } else {
        bytes += withoutEmptyLines(source.body().toByteArray(), '\n');
    }
    return WriteWholeFile(sTargetFile, bytes) ? 0 : kLinesmithTargetError;
}
