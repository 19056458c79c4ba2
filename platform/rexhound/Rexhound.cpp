#include "rexhound/Rexhound.h"

#include "base/TextFileEncoding.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <utility>
#include <vector>

using namespace rexhoundcode;

namespace {

// A replacement cut into literal pieces and group numbers.
struct ReplacementPiece
{
    QString text;
    int group = -1;   // -1: the text itself
};

std::vector<ReplacementPiece> parseReplacement(const QString& replacement, bool groups, int& highestGroup)
{
    std::vector<ReplacementPiece> pieces;
    highestGroup = -1;
    if (!groups) {
        pieces.push_back({replacement});
        return pieces;
    }
    QString literal;
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement.at(i);
        if (c == u'\\' && i + 1 < replacement.size()) {
            const QChar next = replacement.at(i + 1);
            if (next.isDigit() && next.unicode() < 0x80) {
                pieces.push_back({literal});
                literal.clear();
                const int group = next.unicode() - u'0';
                pieces.push_back({QString(), group});
                highestGroup = std::max(highestGroup, group);
                ++i;
                continue;
            }
            if (next == u'\\') {
                literal += u'\\';
                ++i;
                continue;
            }
        }
        literal += c;
    }
    pieces.push_back({literal});
    return pieces;
}

void appendReplacement(const std::vector<ReplacementPiece>& pieces, const QRegularExpressionMatch& match, QString& out)
{
    for (const ReplacementPiece& piece : pieces) {
        if (piece.group < 0)
            out += piece.text;
        else
            out += match.capturedView(piece.group);
    }
}

// Bytes that the text's characters take in the file's encoding, counted
// forward from where the last count stopped.
class ByteCounter
{
public:
    ByteCounter(const QString& text, TextFileEncoding encoding, qsizetype mark)
        : m_text(text)
        , m_encoding(encoding)
        , m_bytes(mark)
    {
    }

    qint64 bytesBefore(qsizetype position)
    {
        for (; m_position < position; ++m_position) {
            const char16_t u = m_text.at(m_position).unicode();
            if (IsUtf16Encoding(m_encoding) || m_encoding == TextFileEncoding::Windows1252)
                m_bytes += IsUtf16Encoding(m_encoding) ? 2 : 1;
            else
                m_bytes += u < 0x80 ? 1 : u < 0x800 ? 2 : QChar::isSurrogate(u) ? 2 : 3;
        }
        return m_bytes;
    }

private:
    const QString& m_text;
    TextFileEncoding m_encoding;
    qsizetype m_position = 0;
    qint64 m_bytes = 0;
};

// Where line counting stands in the text.
class LineCounter
{
public:
    explicit LineCounter(const QString& text) : m_text(text) {}

    // A line ends with LF, CR LF or a CR alone.
    void moveTo(qsizetype position)
    {
        for (; m_position < position; ++m_position) {
            const QChar c = m_text.at(m_position);
            const bool crBeforeLf = c == u'\r' && m_position + 1 < m_text.size() && m_text.at(m_position + 1) == u'\n';
            if ((c == u'\n' || c == u'\r') && !crBeforeLf) {
                ++m_line;
                m_lineStart = m_position + 1;
            }
        }
    }
    int line() const { return m_line; }
    int column(qsizetype position) const { return int(position - m_lineStart + 1); }

private:
    const QString& m_text;
    qsizetype m_position = 0;
    qsizetype m_lineStart = 0;
    int m_line = 1;
};

// One search over one subject (a line, or the whole text): matches from
// left to right without overlap, each replaced; an empty match moves the
// next attempt on by one character.
struct SubjectSearch
{
    const QRegularExpression& re;
    const std::vector<ReplacementPiece>& pieces;
    const QElapsedTimer& timer;
    int timeLimitMs;

    // Calls found(start, match) for each match; returns 0 or a code.
    template <typename Found>
    int run(const QString& text, qsizetype from, qsizetype to, QString& out, Found found) const
    {
        const QStringView subject = QStringView(text).sliced(from, to - from);
        qsizetype position = 0;
        qsizetype copied = 0;
        while (position <= subject.size()) {
            const QRegularExpressionMatch match = re.match(subject, position);
            if (!match.isValid())
                return TooLong;   // the matcher gave up: it backtracked past its limits
            if (timer.hasExpired(timeLimitMs))
                return TooLong;
            if (!match.hasMatch())
                break;
            const qsizetype start = match.capturedStart();
            const qsizetype end = match.capturedEnd();
            out += subject.sliced(copied, start - copied);
            appendReplacement(pieces, match, out);
            copied = end;
            found(from + start, match);
            if (end > start) {
                position = end;
            } else {
                position = end + 1;
                // Never between the halves of a surrogate pair.
                if (position < subject.size() && subject.at(position).isLowSurrogate())
                    ++position;
                if (position <= subject.size() && copied < position) {
                    out += subject.sliced(copied, std::min(position, subject.size()) - copied);
                    copied = std::min(position, subject.size());
                }
            }
        }
        out += subject.sliced(copied);
        return 0;
    }
};


} // namespace

int RexhoundPatternErrorCode(const QString& errorString)
{
    static const std::pair<const char*, int> kTable[] = {
        {"missing closing parenthesis", UnbalancedParentheses},
        {"unmatched closing parenthesis", UnbalancedParentheses},
        {"missing terminating ]", UnbalancedBrackets},
        {"range out of order in character class", BadRange},
        {"invalid range in character class", BadRange},
        {"reference to non-existent subpattern", BadBackReference},
        {"at end of pattern", BadEscape},
        {"unrecognized character follows \\", BadEscape},
        {"quantifier does not follow a repeatable item", InvalidRepeat},
        {"in {} quantifier", InvalidRepeatCounts},
        {"unknown POSIX class name", BadClass},
        {"POSIX collating elements are not supported", Collation},
        {"regular expression is too large", ExpressionTooBig},
        {"failed to allocate", OutOfMemory},
        {"failed to get memory", OutOfMemory},
        {"internal error", InternalError},
    };
    for (const auto& [text, code] : kTable)
        if (errorString.contains(QLatin1String(text), Qt::CaseInsensitive))
            return code;
    return PatternError;
}

int Rexhound::SearchAndReplaceRegEx(const QString& path, const QString& find, const QString& replacement)
{
    m_records.clear();
    m_currentFile = path;
    m_finished = false;
    const auto fail = [this](int code) {
        m_records.clear();
        m_lastError = code;
        return code;
    };
    if (m_separateThread)
        return fail(ThreadCreationError);
    if (path.isEmpty())
        return fail(BadArgument);
    if (find.isEmpty())
        return fail(EmptyExpression);

    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!m_caseSensitive)
        options |= QRegularExpression::CaseInsensitiveOption;
    if (m_multiLine)
        options |= QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption;
    const QString core = m_regularExpressions ? find : QRegularExpression::escape(find);
    // The user's expression is checked alone, so that its errors are its own.
    const QRegularExpression alone(core, options);
    if (!alone.isValid())
        return fail(RexhoundPatternErrorCode(alone.errorString()));

    QString pattern = QStringLiteral("(?:") + core + u')';
    if (m_wholeWord)
        pattern = QStringLiteral("(?<!\\w)") + pattern + QStringLiteral("(?!\\w)");
    if (!m_matchAtLineStart)
        pattern.prepend(QStringLiteral("(?!^)"));
    if (!m_matchAtLineEnd)
        pattern.append(QStringLiteral("(?!$)"));
    if (m_multiLine)
        pattern.prepend(QStringLiteral("(*ANYCRLF)"));   // ^ and $ at CR LF line ends too
    const QRegularExpression re(pattern, options);
    if (!re.isValid())
        return fail(PatternError);

    int highestGroup = -1;
    const std::vector<ReplacementPiece> pieces = parseReplacement(replacement, m_regularExpressions, highestGroup);
    if (highestGroup > re.captureCount())
        return fail(BadBackReference);

    TextFileContent file;
    if (!ReadTextFileContent(path, file))
        return fail(InputFileError);
    const QString text = DecodeTextFileBytes(file.body(), file.encoding);

    QElapsedTimer timer;
    timer.start();
    const SubjectSearch search{re, pieces, timer, m_timeLimitMs};
    ByteCounter bytes(text, file.encoding, file.mark);
    LineCounter lines(text);
    const auto record = [&](qsizetype start, const QRegularExpressionMatch& match) {
        RexhoundRecord r;
        r.path = path;
        r.text = match.captured(0);
        if (m_byteOffsets) {
            r.column = int(bytes.bytesBefore(start));
        } else {
            lines.moveTo(start);
            r.line = lines.line();
            r.column = lines.column(start);
        }
        m_records.push_back(r);
    };

    QString out;
    out.reserve(text.size());
    int code = 0;
    if (m_multiLine) {
        code = search.run(text, 0, text.size(), out, record);
    } else {
        // A line ends with LF, CR LF or a CR alone; its line end is no part
        // of the subject and is copied as it is.
        for (qsizetype lineStart = 0; lineStart < text.size() && code == 0;) {
            qsizetype contentEnd = lineStart;
            while (contentEnd < text.size() && text.at(contentEnd) != u'\n' && text.at(contentEnd) != u'\r')
                ++contentEnd;
            qsizetype next = contentEnd;
            if (next < text.size())
                next += text.at(next) == u'\r' && next + 1 < text.size() && text.at(next + 1) == u'\n' ? 2 : 1;
            code = search.run(text, lineStart, contentEnd, out, record);
            out += QStringView(text).sliced(contentEnd, next - contentEnd);
            lineStart = next;
        }
        if (text.isEmpty())
            code = search.run(text, 0, 0, out, record);
    }
    if (code != 0)
        return fail(code);
    m_finished = true;
    m_lastError = 0;
    if (m_records.isEmpty())
        return 0;

    QByteArray encoded = file.markBytes();
    if (!EncodeTextFileText(out, file.encoding, encoded))
        return fail(EncodingError);
    if (!WriteWholeFile(path, encoded))
        return fail(FileRenameError);
    return 0;
}

const RexhoundRecord* Rexhound::record(int thread, int number, int& status) const
{
    if (thread != 0) {
        status = ThreadNotActive;
        return nullptr;
    }
    if (number < 0 || number >= m_records.size()) {
        status = InvalidRecordNumber;
        return nullptr;
    }
    status = 0;
    return &m_records[number];
}

int Rexhound::GetSearchCount(int thread) const
{
    return thread == 0 ? int(m_records.size()) : 0;
}

int Rexhound::GetRecordLocus(int thread, int number, int& line, int& column) const
{
    int status = 0;
    if (const RexhoundRecord* r = record(thread, number, status)) {
        line = r->line;
        column = r->column;
    }
    return status;
}

int Rexhound::GetRecordText(QString& text, int thread, int number) const
{
    int status = 0;
    if (const RexhoundRecord* r = record(thread, number, status))
        text = r->text;
    return status;
}

int Rexhound::GetRecordPath(QString& path, int thread, int number) const
{
    int status = 0;
    if (const RexhoundRecord* r = record(thread, number, status))
        path = r->path;
    return status;
}

double Rexhound::GetFolderProgress(int thread) const
{
    return thread == 0 && m_finished ? 1.0 : 0.0;
}

QString Rexhound::GetCurrentFile(int thread) const
{
    return thread == 0 ? m_currentFile : QString();
}

int Rexhound::Error(int thread) const
{
    return thread == 0 ? m_lastError : ThreadNotActive;
}

void Rexhound::KillThread(int /*thread*/)
{
}

void Rexhound::CleanUpRexhound()
{
    m_records.clear();
    m_currentFile.clear();
    m_finished = false;
    m_lastError = 0;
}
