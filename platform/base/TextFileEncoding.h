#pragma once
// How a text file's bytes stand for its text. A file that starts with FF FE
// is UTF-16 little-endian, with FE FF UTF-16 big-endian, with EF BB BF
// UTF-8; any other file is 8-bit text: plain ASCII, UTF-8 when its bytes are
// valid UTF-8, and Windows-1252 otherwise. Decoding keeps every byte (an
// unpaired UTF-16 surrogate stays one code unit), so a file decoded and
// encoded again is what it was.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

enum class TextFileEncoding { Ascii, Utf8, Windows1252, Utf16LE, Utf16BE };

bool IsUtf16Encoding(TextFileEncoding encoding);

// The length of the byte-order mark the bytes start with (FF FE 00 00, the
// UTF-32 mark, is none), and the encoding it names; 0 when there is none.
qsizetype TextFileByteOrderMark(QByteArrayView head, TextFileEncoding& encoding);

// The encoding of 8-bit text without a mark.
TextFileEncoding EightBitTextEncoding(QByteArrayView bytes);

bool IsAsciiText(QByteArrayView bytes);
bool IsAsciiText(QStringView text);

// The text of the bytes after the mark. An odd last byte of UTF-16 text is
// left out.
QString DecodeTextFileBytes(QByteArrayView body, TextFileEncoding encoding);

// Appends the text's bytes to `out` (no mark). False when the encoding
// cannot hold some character (Windows-1252 only); ASCII is written as UTF-8.
bool EncodeTextFileText(QStringView text, TextFileEncoding encoding, QByteArray& out);

// A text file read whole.
struct TextFileContent
{
    QByteArray bytes;
    qsizetype mark = 0;
    TextFileEncoding encoding = TextFileEncoding::Ascii;

    QByteArrayView body() const { return QByteArrayView(bytes).sliced(mark); }
    QByteArray markBytes() const { return bytes.left(mark); }
};

// False when the path is no readable file, with the system's reason in
// *reason when given.
bool ReadTextFileContent(const QString& path, TextFileContent& content, QString* reason = nullptr);

class QFileDevice;

// Writes all the bytes to a file opened with QIODevice::Unbuffered: a short
// write is tried again for the rest, so that a failure leaves the system's
// reason (a full disk, say) in the file's errorString(). False on failure.
bool WriteAllBytes(QFileDevice& file, QByteArrayView bytes);

// Writes the bytes as the whole file through a temporary file in its folder
// that is renamed over it (an existing file keeps its permissions; a link
// is followed). False, with the file as it was and the system's reason in
// *reason when given, when that fails or when what stands there is not a
// regular file (RegularFileTarget.h).
bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString* reason = nullptr);
