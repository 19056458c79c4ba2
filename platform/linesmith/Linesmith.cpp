#include "linesmith/Linesmith.h"

#include "base/TextFileEncoding.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace {

using Encoding = TextFileEncoding;
using TextFile = TextFileContent;

// The first line end of `text`: LF, CR LF, or a CR alone; "" when it has
// none.
template <typename Text, typename Unit>
QString firstLineEnd(const Text& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == Unit(u'\n'))
            return QStringLiteral("\n");
        if (text.at(i) == Unit(u'\r'))
            return i + 1 < text.size() && text.at(i + 1) == Unit(u'\n') ? QStringLiteral("\r\n") : QStringLiteral("\r");
    }
    return QString();
}

QString firstLineEnd(QByteArrayView body, Encoding encoding)
{
    if (IsUtf16Encoding(encoding))
        return firstLineEnd<QString, QChar>(DecodeTextFileBytes(body, encoding));
    return firstLineEnd<QByteArrayView, char>(body);
}

// The line end the source uses, "\n" when it has none.
QString sourceLineEnd(const TextFile& source)
{
    const QString lineEnd = firstLineEnd(source.body(), source.encoding);
    return lineEnd.isEmpty() ? QStringLiteral("\n") : lineEnd;
}

// What the target holds at its start and its end, read without reading it
// all (a target that grows by thousands of appends stays cheap).
struct TargetShape
{
    qint64 size = 0;
    Encoding encoding = Encoding::Ascii;
    qsizetype mark = 0;
    QString tail;   // the last characters, up to two
    QString lineEnd;  // the target's line-end style, "" when it has no line end
};

// How far into the target its line-end style is looked for.
constexpr qint64 kStyleBytes = 64 * 1024;

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
    if (shape.tail.endsWith(QLatin1String("\r\n")))
        shape.lineEnd = QStringLiteral("\r\n");
    else if (shape.tail.endsWith(u'\n'))
        shape.lineEnd = QStringLiteral("\n");
    else if (shape.tail.endsWith(u'\r'))
        shape.lineEnd = QStringLiteral("\r");
    else {
        // The last line has no end: the first line end tells the style.
        if (!target.seek(shape.mark))
            return false;
        shape.lineEnd = firstLineEnd(target.read(kStyleBytes), shape.encoding);
    }
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
bool appendInPlace(QFile& target, qint64 oldSize, const QByteArray& bytes, QString& reason)
{
    if (target.seek(oldSize) && WriteAllBytes(target, bytes))
        return true;
    reason = target.errorString();
    target.resize(oldSize);
    return false;
}


template <typename Unit>
bool isBlank(Unit c)
{
    return c == Unit(u' ') || c == Unit(u'\t') || c == Unit(u'\v');
}

// The lines of `text` that hold something, with their own line ends. A
// line ends with LF, CR LF or a CR alone, so files of every style lose
// their empty lines.
template <typename Text, typename Unit>
Text withoutEmptyLines(const Text& text)
{
    Text out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype start = 0;
    while (start < n) {
        qsizetype lineEnd = start;
        while (lineEnd < n && text.at(lineEnd) != Unit(u'\n') && text.at(lineEnd) != Unit(u'\r'))
            ++lineEnd;
        qsizetype next = lineEnd;
        if (next < n)
            next += text.at(next) == Unit(u'\r') && next + 1 < n && text.at(next + 1) == Unit(u'\n') ? 2 : 1;
        bool empty = true;
        for (qsizetype i = start; i < lineEnd && empty; ++i)
            empty = isBlank<Unit>(text.at(i));
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
                              int lPlaceFilePath, QString* reason)
{
    const auto fail = [reason](int code, const QString& why) {
        if (reason)
            *reason = why;
        return code;
    };
    TextFile source;
    QString why;
    if (!ReadTextFileContent(sSourceFile, source, &why))
        return fail(kLinesmithSourceError, why);

    const QFileInfo targetInfo(sTargetFile);
    const bool targetExists = targetInfo.exists();
    if (targetExists && !targetInfo.isFile())
        return fail(kLinesmithTargetError, QStringLiteral("%1 is not a file").arg(sTargetFile));

    QFile target(sTargetFile);
    TargetShape shape;
    if (targetExists) {
        if (!target.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            return fail(kLinesmithTargetError, target.errorString());
        // The whole target is read only when its 8-bit encoding matters.
        const bool asciiText = IsUtf16Encoding(source.encoding) ? IsAsciiText(QStringView(DecodeTextFileBytes(source.body(), source.encoding)))
                                                         : source.encoding == Encoding::Ascii;
        const bool needEncoding = !(asciiText && IsAsciiText(QStringView(sSourceFile)));
        if (!readShape(target, shape, needEncoding))
            return fail(kLinesmithTargetError, target.errorString());
    }

    const Encoding out = appendEncoding(shape, source.encoding);
    const bool targetHasText = shape.size > shape.mark;
    // What is added goes in the target's own line-end style.
    const QString lineEnd = shape.lineEnd.isEmpty() ? sourceLineEnd(source) : shape.lineEnd;
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
        return WriteWholeFile(sTargetFile, bytes, &why) ? 0 : fail(kLinesmithTargetError, why);
    return appendInPlace(target, shape.size, bytes, why) ? 0 : fail(kLinesmithTargetError, why);
}

int DeleteEmptyLinesFromTextFile(const QString& sSourceFile, const QString& sTargetFile, QString* reason)
{
    TextFile source;
    if (!ReadTextFileContent(sSourceFile, source, reason))
        return kLinesmithSourceError;

    QByteArray bytes = source.markBytes();
    if (IsUtf16Encoding(source.encoding)) {
        const QByteArrayView body = source.body();
        EncodeTextFileText(withoutEmptyLines<QString, QChar>(DecodeTextFileBytes(body, source.encoding)), source.encoding,
                           bytes);
        if (body.size() % 2 != 0)
            bytes += body.last(1);   // a stray last byte stays as it was
    } else {
        bytes += withoutEmptyLines<QByteArray, char>(source.body().toByteArray());
    }
    return WriteWholeFile(sTargetFile, bytes, reason) ? 0 : kLinesmithTargetError;
}
