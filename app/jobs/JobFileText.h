#pragma once
// Reading job file text. Job files are written as UTF-8; they are read as
// UTF-16 when a byte-order mark says so, as UTF-8 when the bytes are valid
// UTF-8 (a UTF-8 mark is dropped), and otherwise as Windows-1252, the code
// page older job files were written in. Lines are handed out in UTF-8.
#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// Windows-1252 bytes as UTF-8, appended to out.
void AppendCp1252AsUtf8(QByteArrayView cp1252, QByteArray& out);

// Reads a device line by line through one reused buffer. CR LF, LF and a
// lone CR all end a line, and a final line end does not start another line.
class JobFileLineReader
{
public:
    explicit JobFileLineReader(QIODevice& device) : m_device(device) {}

    // The next line without its end, valid until the next call; False at
    // the end of the text or when reading failed (see failed()).
    bool next(QByteArrayView& line);
    bool failed() const { return m_failed; }
    // True once a NUL byte was among the bytes read: only then need a line
    // be searched for one.
    bool nulRead() const { return m_nulRead; }

private:
    bool fill();

    QIODevice& m_device;
    QByteArray m_chunk;
    qsizetype m_pos = 0;
    QByteArray m_carry;       // a line that runs over the end of the buffer
    bool m_skipLf = false;    // a CR ended the buffer: a LF next belongs to it
    bool m_failed = false;
    bool m_nulRead = false;
};
