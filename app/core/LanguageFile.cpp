#include "LanguageFile.h"

#include "base/TextFileEncoding.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <functional>

namespace {

const QString kSeparator = QStringLiteral("\",\"");
const QByteArray kUtf8Mark("\xEF\xBB\xBF", 3);
const QByteArray kUtf16Mark("\xFF\xFE", 2);

const char kTooLong[] = "The line is too long.";
const char kBrokenQuote[] = "The line does not begin and end with a double quote.";
const char kNoPhrase[] = "The line has no English phrase.";

// Where the text of the file begins and how wide one code unit is.
struct Layout
{
    bool ok = false;
    TextFileEncoding encoding = TextFileEncoding::Ascii;
    qsizetype textStart = 0;
};

Layout layoutOf(const QByteArray& bytes, int format)
{
    Layout layout;
    if (format == languagefileformat::Ansi) {
        const bool marked = bytes.startsWith(kUtf8Mark);
        layout.textStart = marked ? kUtf8Mark.size() : 0;
        const QByteArrayView text = QByteArrayView(bytes).sliced(layout.textStart);
        // A NUL byte is no 8-bit text: most likely UTF-16 without its mark,
        // which an 8-bit append would damage.
        if (text.contains('\0'))
            return layout;
        layout.encoding = marked ? TextFileEncoding::Utf8 : EightBitTextEncoding(text);
        layout.ok = true;
    } else if (format == languagefileformat::Unicode) {
        if (!bytes.startsWith(kUtf16Mark) || bytes.size() % 2 != 0)
            return layout;
        for (qsizetype i = kUtf16Mark.size(); i < bytes.size(); i += 2)
            if (bytes[i] == '\0' && bytes[i + 1] == '\0')
                return layout;
        layout.encoding = TextFileEncoding::Utf16LE;
        layout.textStart = kUtf16Mark.size();
        layout.ok = true;
    }
    return layout;
}

// Calls `visit` with each line's text (CR stripped) and the byte offset at
// which the line begins, until it returns False.
void forEachLine(const QByteArray& bytes, const Layout& layout,
                 const std::function<bool(const QString&, qsizetype)>& visit)
{
    const bool wide = layout.encoding == TextFileEncoding::Utf16LE;
    const qsizetype unit = wide ? 2 : 1;
    qsizetype start = layout.textStart;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && !(bytes[end] == '\n' && (!wide || bytes[end + 1] == '\0')))
            end += unit;
        QString line = DecodeTextFileBytes(QByteArrayView(bytes).sliced(start, end - start), layout.encoding);
        line.remove(u'\r');
        if (!visit(line, start))
            return;
        start = end + unit;
    }
}

// The byte offset of the end line, or -1 when the file has none.
qsizetype endLineOffset(const QByteArray& bytes, const Layout& layout)
{
    qsizetype found = -1;
    forEachLine(bytes, layout, [&](const QString& line, qsizetype offset) {
        if (ParseLanguageFileLine(line).kind != LanguageLineKind::End)
            return true;
        found = offset;
        return false;
    });
    return found;
}

bool endsWithLineBreak(const QByteArray& bytes, const Layout& layout)
{
    if (layout.encoding == TextFileEncoding::Utf16LE)
        return bytes.size() >= layout.textStart + 2 && bytes.endsWith(QByteArray("\n\0", 2));
    return bytes.size() > layout.textStart && bytes.endsWith('\n');
}

bool appendBytes(const QString& path, const QByteArray& bytes)
{
    // No O_CREAT: a file removed meanwhile is not made anew without its
    // beginning (a UTF-16 file would lose its byte-order mark).
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return false;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    const bool closed = ::close(fd) == 0;
    return written == bytes.size() && closed;
}

} // namespace

int LanguageFileFormatOfHead(QByteArrayView head)
{
    const QByteArrayView text = head.startsWith(kUtf8Mark) ? head.sliced(kUtf8Mark.size()) : head;
    if (!text.isEmpty() && text.front() == '"')
        return languagefileformat::Ansi;
    if (head.size() >= 4 && head.startsWith(kUtf16Mark) && head[2] == '"' && head[3] == '\0')
        return languagefileformat::Unicode;
    return languagefileformat::Unreadable;
}

LanguageFileLine ParseLanguageFileLine(QStringView line)
{
    LanguageFileLine result;
    if (line.size() > kMaxLanguageFileLine) {
        result.kind = LanguageLineKind::Skipped;
        result.problem = kTooLong;
        return result;
    }
    if (line.trimmed().isEmpty())
        return result;
    if (line.startsWith(u"\"!")) {
        result.kind = LanguageLineKind::Comment;
        return result;
    }
    if (line.startsWith(u"\"****")) {
        result.kind = LanguageLineKind::End;
        return result;
    }
    if (line.size() < 2 || !line.startsWith(u'"') || !line.endsWith(u'"')) {
        result.kind = LanguageLineKind::Skipped;
        result.problem = kBrokenQuote;
        return result;
    }

    const qsizetype first = line.indexOf(kSeparator);
    if (first < 0) {
        result.english = line.sliced(1, line.size() - 2).toString();
        result.translation = result.english;
    } else {
        // The separator may share the line's opening or closing quote.
        result.english = first > 0 ? line.sliced(1, first - 1).toString() : QString();
        const qsizetype from = first + kSeparator.size();
        const qsizetype next = line.indexOf(kSeparator, from);
        const qsizetype length = next < 0 ? line.size() - from - 1 : next - from;
        if (length > 0)
            result.translation = line.sliced(from, length).toString();
    }
    if (result.english.isEmpty()) {
        result.kind = LanguageLineKind::Skipped;
        result.problem = kNoPhrase;
        return result;
    }
    // An empty translation would blank the text out wherever it is shown.
    if (result.translation.isEmpty()) {
        result.kind = LanguageLineKind::Kept;
        result.translation = result.english;
    } else {
        result.kind = first < 0 ? LanguageLineKind::Kept : LanguageLineKind::Pair;
    }
    return result;
}

LanguageFileContents ReadLanguageFileText(const QByteArray& bytes, int format)
{
    LanguageFileContents contents;
    const Layout layout = layoutOf(bytes, format);
    if (!layout.ok)
        return contents;
    contents.ok = true;
    contents.encoding = layout.encoding;
    int number = 0;
    forEachLine(bytes, layout, [&](const QString& text, qsizetype) {
        ++number;
        const LanguageFileLine line = ParseLanguageFileLine(text);
        switch (line.kind) {
        case LanguageLineKind::End:
            return false;
        case LanguageLineKind::Pair:
        case LanguageLineKind::Kept:
            if (!contents.translations.contains(line.english))
                contents.translations.insert(line.english, line.translation);
            break;
        case LanguageLineKind::Skipped:
            contents.notes.append({number, line.problem});
            break;
        case LanguageLineKind::Blank:
        case LanguageLineKind::Comment:
            break;
        }
        return true;
    });
    return contents;
}

bool CanAddToLanguageFile(const QString& phrase)
{
    if (phrase.contains(u'\r') || phrase.contains(u'\n') || phrase.contains(QChar(u'\0')))
        return false;
    const QString line = u'"' + phrase + u'"';
    const LanguageFileLine read = ParseLanguageFileLine(line);
    return read.kind == LanguageLineKind::Kept && read.english == phrase && !phrase.trimmed().isEmpty();
}

bool AddLineToLanguageFile(const QString& path, const QString& phrase, TextFileEncoding encoding)
{
    if (!CanAddToLanguageFile(phrase))
        return false;
    QByteArray line;
    if (!EncodeTextFileText(QString(u'"' + phrase + QStringLiteral("\"\r\n")), encoding, line))
        return false;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxLanguageFileSize)
        return false;
    const QByteArray bytes = file.readAll();
    file.close();
    // The file must still be text of the format it was read in; another
    // format would be damaged by these bytes.
    const bool wide = encoding == TextFileEncoding::Utf16LE;
    const int format = wide ? languagefileformat::Unicode : languagefileformat::Ansi;
    const Layout layout = layoutOf(bytes, format);
    if (!layout.ok || LanguageFileFormatOfHead(QByteArrayView(bytes).first(qMin<qsizetype>(bytes.size(), 4))) != format)
        return false;

    // Lines after the end line are never read: a phrase added there would
    // be missing again at the next start.
    const qsizetype end = endLineOffset(bytes, layout);
    if (end >= 0)
        return WriteWholeFile(path, bytes.left(end) + line + bytes.mid(end));
    if (!endsWithLineBreak(bytes, layout)) {
        QByteArray lineBreak;
        EncodeTextFileText(u"\r\n", encoding, lineBreak);
        line.prepend(lineBreak);
    }
    return appendBytes(path, line);
}
