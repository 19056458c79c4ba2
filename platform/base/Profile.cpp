#include "Profile.h"

#include "Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Text of a settings file and its encoding

enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

struct ProfileText
{
    TextEncoding encoding = TextEncoding::Utf8;
    bool byteOrderMark = false;
    bool decodeErrors = false; // some bytes did not decode (only after a byte-order mark)
    QString text;
};

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes, bool* clean = nullptr)
{
    // The byte-order mark is handled by the caller; a second one is text.
    QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (clean)
        *clean = !decoder.hasError();
    return text;
}

// Characters no text file holds: NUL and the other C0 control characters
// but tab, line ends and form feed, DEL, half a surrogate pair, and what a
// decoder could not read. Binary data read as 8-bit text is rich in C0
// controls, read as UTF-16 in lone surrogates. The C1 range is no sign: a
// file in a legacy double-byte code page (Shift-JIS, GBK) read as
// Windows-1252 turns its lead and trail bytes 81, 8D, 8F, 90 and 9D into
// C1 characters, and once such a file takes a key that Windows-1252 cannot
// hold it is written as UTF-8 with those characters in it.
bool isJunk(char32_t u)
{
    if (u == u'\t' || u == u'\n' || u == u'\f' || u == u'\r')
        return false;
    return u < 0x20 || u == 0x7F || QChar::isSurrogate(u);
}

qsizetype junkCharacters(QStringView text, bool decodedWithErrors)
{
    qsizetype junk = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            u = QChar::surrogateToUcs4(char16_t(u), text[++i].unicode());
        if (isJunk(u) || (decodedWithErrors && u == 0xFFFD))
            ++junk;
    }
    return junk;
}

// Text unless more than one character in a hundred, and eight at least, is
// junk: a few stray bytes or a closing Ctrl-Z leave a file readable, a
// block of NUL bytes or binary data does not. The program writes no junk
// (see cannotBeStored), so no write turns a text file into one that is not.
bool isText(QStringView text, bool decodedWithErrors)
{
    const qsizetype junk = junkCharacters(text, decodedWithErrors);
    return junk < 8 || junk * 100 <= text.size();
}

// UTF-16 without a byte-order mark: it decodes cleanly, is text, and is
// mostly ASCII as names, brackets and line ends are. 8-bit text and binary
// data taken two bytes at a time are neither.
bool readsAsUtf16(QStringConverter::Encoding encoding, const QByteArray& bytes, QString& text)
{
    if (bytes.size() % 2 != 0 || !bytes.contains('\0'))
        return false;
    bool clean = false;
    text = decodeWith(encoding, bytes, &clean);
    if (!clean || !isText(text, false))
        return false;
    qsizetype ascii = 0;
    for (const QChar c : text)
        ascii += c.unicode() < 0x80 ? 1 : 0;
    return ascii * 2 >= text.size();
}

ProfileText decodeProfile(const QByteArray& bytes)
{
    ProfileText result;
    bool clean = true;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        result.byteOrderMark = true;
        result.text = decodeWith(QStringConverter::Utf8, QByteArrayView(bytes).sliced(3), &clean);
    } else if (bytes.startsWith("\xFF\xFE")) {
        result.encoding = TextEncoding::Utf16LE;
        result.byteOrderMark = true;
        result.text = decodeWith(QStringConverter::Utf16LE, QByteArrayView(bytes).sliced(2), &clean);
    } else if (bytes.startsWith("\xFE\xFF")) {
        result.encoding = TextEncoding::Utf16BE;
        result.byteOrderMark = true;
        result.text = decodeWith(QStringConverter::Utf16BE, QByteArrayView(bytes).sliced(2), &clean);
    } else if (readsAsUtf16(QStringConverter::Utf16LE, bytes, result.text)) {
        result.encoding = TextEncoding::Utf16LE;
    } else if (readsAsUtf16(QStringConverter::Utf16BE, bytes, result.text)) {
        result.encoding = TextEncoding::Utf16BE;
    } else {
        // Valid UTF-8 only when it also encodes back to the same bytes;
        // anything else is 8-bit text from the Windows code page.
        result.text = decodeWith(QStringConverter::Utf8, bytes, &clean);
        if (!clean || result.text.toUtf8() != bytes) {
            result.encoding = TextEncoding::Windows1252;
            result.text = DecodeWindows1252(bytes);
        }
        clean = true;
    }
    result.decodeErrors = !clean;
    return result;
}

QByteArray encodeWith(QStringConverter::Encoding encoding, const QString& text)
{
    QStringEncoder encoder(encoding, QStringConverter::Flag::ConvertInitialBom);
    return encoder.encode(text);
}

// Encodes in the file's own encoding. A Windows-1252 file that must now
// hold a character outside that code page becomes UTF-8.
QByteArray encodeProfile(ProfileText& profile)
{
    QByteArray bytes;
    if (profile.encoding == TextEncoding::Windows1252) {
        if (EncodeWindows1252(profile.text, bytes))
            return bytes;
        profile.encoding = TextEncoding::Utf8;
        profile.byteOrderMark = false;
    }
    switch (profile.encoding) {
    case TextEncoding::Utf16LE:
        bytes = encodeWith(QStringConverter::Utf16LE, profile.text);
        if (profile.byteOrderMark)
            bytes.prepend("\xFF\xFE", 2);
        break;
    case TextEncoding::Utf16BE:
        bytes = encodeWith(QStringConverter::Utf16BE, profile.text);
        if (profile.byteOrderMark)
            bytes.prepend("\xFE\xFF", 2);
        break;
    default:
        bytes = profile.text.toUtf8();
        if (profile.byteOrderMark)
            bytes.prepend("\xEF\xBB\xBF");
        break;
    }
    return bytes;
}

enum class ReadResult { Ok, Missing, Failed, NotText };

// `st` receives the file's status, which a rewrite carries over.
ReadResult readProfile(const QString& path, ProfileText& profile, struct stat& st)
{
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    if (!S_ISREG(st.st_mode))
        return ReadResult::Failed;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ReadResult::Failed;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return ReadResult::Failed;
    profile = decodeProfile(bytes);
    return isText(profile.text, profile.decodeErrors) ? ReadResult::Ok : ReadResult::NotText;
}

// ---------------------------------------------------------------------------
// Lines of a settings file

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

// Splits off the line that starts at `pos`: its text and its line end
// (CRLF, LF, CR or nothing at the end of the file). Moves `pos` past it.
bool nextLine(QStringView text, qsizetype& pos, QStringView& body, QStringView& end)
{
    if (pos >= text.size())
        return false;
    qsizetype i = pos;
    while (i < text.size() && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
        ++i;
    body = text.sliced(pos, i - pos);
    qsizetype endLength = 0;
    if (i < text.size())
        endLength = (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ? 2 : 1;
    end = text.sliced(i, endLength);
    pos = i + endLength;
    return true;
}

enum class LineKind { Other, Section, Key };

struct LineInfo
{
    LineKind kind = LineKind::Other;
    QStringView name;  // section or key name, trimmed
    QStringView value; // key value, trimmed, quotes still on
};

// "[name]" opens a section, "key=value" is a key; comments (";") and any
// other line belong to no key and are carried along untouched.
LineInfo classifyLine(QStringView body)
{
    const QStringView t = trimBlanks(body);
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close < 0)
            return {};
        return {LineKind::Section, trimBlanks(t.sliced(1, close - 1)), {}};
    }
    if (t.startsWith(QLatin1Char(';')))
        return {};
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return {};
    return {LineKind::Key, trimBlanks(t.first(eq)), trimBlanks(t.sliced(eq + 1))};
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringView withoutQuotes(QStringView value)
{
    if (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"'))
        return value.sliced(1, value.size() - 2);
    return value;
}

// The first key of that name in any section of that name, in file order.
bool findValue(QStringView text, QStringView section, QStringView key, QStringView& value)
{
    qsizetype pos = 0;
    QStringView body;
    QStringView end;
    bool inSection = false;
    while (nextLine(text, pos, body, end)) {
        const LineInfo info = classifyLine(body);
        if (info.kind == LineKind::Section) {
            inSection = sameName(info.name, section);
        } else if (info.kind == LineKind::Key && inSection && sameName(info.name, key)) {
            value = info.value;
            return true;
        }
    }
    return false;
}

QString cutToBuffer(const QString& text, int bufferSize)
{
    if (bufferSize <= 0)
        return QString();
    qsizetype n = bufferSize - 1;
    if (text.size() <= n)
        return text;
    if (n > 0 && text[n - 1].isHighSurrogate())
        --n; // never leave half a character behind
    return text.left(n);
}

// ---------------------------------------------------------------------------
// Editing

struct EditLine
{
    QString body;
    QString end;
};

std::vector<EditLine> splitLines(QStringView text)
{
    std::vector<EditLine> lines;
    qsizetype pos = 0;
    QStringView body;
    QStringView end;
    while (nextLine(text, pos, body, end))
        lines.push_back({body.toString(), end.toString()});
    return lines;
}

QString joinLines(const std::vector<EditLine>& lines)
{
    QString text;
    for (const EditLine& line : lines)
        text += line.body + line.end;
    return text;
}

// The file's own line end (that of its first line), CRLF for a new file.
QString lineEndOf(const std::vector<EditLine>& lines)
{
    for (const EditLine& line : lines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QStringLiteral("\r\n");
}

// Returns false when the file already holds exactly this value.
bool setKey(std::vector<EditLine>& lines, QStringView section, QStringView key, const QString& value)
{
    const QString eol = lineEndOf(lines);
    qsizetype insertAfter = -1; // last key (or the header) of the first matching section
    bool inSection = false;
    bool inFirstSection = false;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const LineInfo info = classifyLine(lines[i].body);
        if (info.kind == LineKind::Section) {
            inSection = sameName(info.name, section);
            inFirstSection = inSection && insertAfter < 0;
            if (inFirstSection)
                insertAfter = i;
        } else if (info.kind == LineKind::Key && inSection) {
            if (sameName(info.name, key)) {
                if (info.value == value)
                    return false;
                lines[i].body = info.name.toString() + QLatin1Char('=') + value;
                return true;
            }
            if (inFirstSection)
                insertAfter = i;
        }
    }

    const QString keyLine = key.toString() + QLatin1Char('=') + value;
    if (insertAfter >= 0) {
        if (lines[insertAfter].end.isEmpty())
            lines[insertAfter].end = eol;
        lines.insert(lines.begin() + insertAfter + 1, {keyLine, eol});
        return true;
    }
    if (!lines.empty() && lines.back().end.isEmpty())
        lines.back().end = eol;
    lines.push_back({QLatin1Char('[') + section.toString() + QLatin1Char(']'), eol});
    lines.push_back({keyLine, eol});
    return true;
}

// Removes every key of that name in sections of that name; for a null key,
// each section of that name: its header and every line up to the next one.
bool removeLines(std::vector<EditLine>& lines, QStringView section, const QString& key)
{
    const QStringView keyName = trimBlanks(key);
    bool inSection = false;
    const auto before = lines.size();
    std::erase_if(lines, [&](const EditLine& line) {
        const LineInfo info = classifyLine(line.body);
        if (info.kind == LineKind::Section)
            inSection = sameName(info.name, section);
        if (key.isNull())
            return inSection;
        return info.kind == LineKind::Key && inSection && sameName(info.name, keyName);
    });
    return lines.size() != before;
}

// A line break would end the line early and let the rest of the text read
// as keys or sections of their own; NUL, the other control characters and
// lone surrogates are what tells a file that is not text.
bool cannotBeStored(QStringView s)
{
    return s.contains(u'\r') || s.contains(u'\n') || junkCharacters(s, false) > 0;
}

bool isStorableSection(QStringView section)
{
    return !cannotBeStored(section) && !section.contains(QLatin1Char(']'));
}

// The key must read back as this same key, not as another key, a section
// header or a comment.
bool isStorableKey(QStringView key)
{
    const QStringView t = trimBlanks(key);
    return !cannotBeStored(key) && !key.contains(QLatin1Char('=')) && !t.isEmpty()
        && !t.startsWith(QLatin1Char('[')) && !t.startsWith(QLatin1Char(';'));
}

// ---------------------------------------------------------------------------
// Atomic replace

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Writes a temp file next to `target` and renames it over the target, so a
// reader sees the old file or the new one, never a part. Settings files
// hold passwords: the file written is the owner's alone (0600) whatever
// mode the old one had, and so is the temp file from its creation on. A
// replaced file keeps its owner where we may set it.
bool replaceFileAtomically(const QString& target, const QByteArray& bytes, const struct stat* old)
{
    const QFileInfo info(target);
    QByteArray tempPath = QFile::encodeName(info.absolutePath() + QStringLiteral("/.")
                                            + info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    if (ok && old && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
        // Only the owner's group or root may keep the old owner; the
        // content matters more than that, so go on.
    }
    ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) == 0;
    if (!ok)
        ::unlink(tempPath.constData());
    return ok;
}

// A settings file reached through a symbolic link is written where the link
// points, so the link stays.
QString resolveTarget(const QString& file)
{
    const QFileInfo info(file);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return file;
}

} // namespace

QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& file, int bufferSize)
{
    if (section.isNull() || key.isNull() || file.isEmpty())
        return cutToBuffer(defaultValue, bufferSize);
    ProfileText profile;
    struct stat st {};
    if (readProfile(file, profile, st) != ReadResult::Ok) // a file that is not text holds no keys
        return cutToBuffer(defaultValue, bufferSize);
    QStringView value;
    if (!findValue(profile.text, trimBlanks(section), trimBlanks(key), value))
        return cutToBuffer(defaultValue, bufferSize);
    return cutToBuffer(withoutQuotes(value).toString(), bufferSize);
}

int GetPrivateProfileInt(const QString& section, const QString& key, int defaultValue,
                         const QString& file)
{
    const QString text = GetPrivateProfileString(section, key, QString(), file, 30);
    if (text.isEmpty())
        return defaultValue;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == QLatin1Char('-') || text[0] == QLatin1Char('+')) {
        negative = text[0] == QLatin1Char('-');
        ++i;
    }
    // 32-bit arithmetic that wraps, as the platform's conversion did.
    std::uint32_t n = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        n = n * 10u + std::uint32_t(text[i].unicode() - '0');
    if (negative)
        n = 0u - n;
    return static_cast<int>(n);
}

bool WritePrivateProfileString(const QString& section, const QString& key,
                               const QString& value, const QString& file)
{
    if (section.isNull() || file.isEmpty() || !isStorableSection(section))
        return false;
    if (!key.isNull() && !isStorableKey(key))
        return false;
    if (!value.isNull() && cannotBeStored(value))
        return false;

    const QString target = resolveTarget(file);
    ProfileText profile;
    struct stat old {};
    const ReadResult read = readProfile(target, profile, old);
    if (read == ReadResult::Failed || read == ReadResult::NotText)
        return false;

    std::vector<EditLine> lines = splitLines(profile.text);
    const QStringView sectionName = trimBlanks(section);
    const bool changed = (key.isNull() || value.isNull())
        ? removeLines(lines, sectionName, key)
        : setKey(lines, sectionName, trimBlanks(key), value);
    if (!changed)
        return true; // nothing to delete, or the value is already there

    profile.text = joinLines(lines);
    const QByteArray bytes = encodeProfile(profile);
    return replaceFileAtomically(target, bytes, read == ReadResult::Ok ? &old : nullptr);
}

bool IsDamagedProfile(const QString& file)
{
    ProfileText profile;
    struct stat st {};
    return readProfile(resolveTarget(file), profile, st) == ReadResult::NotText;
}
