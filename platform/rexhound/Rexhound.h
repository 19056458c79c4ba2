#pragma once
// The search-and-replace engine: one call searches a text file for a plain
// text or a regular expression (PCRE2 through QRegularExpression), replaces
// every match, writes the file back in its own encoding and keeps a record
// of each match (path, found text, line, column) for a report.
//
// Matching: a line ends with LF, CR LF or a CR alone. Without MultiLine
// each line is searched by itself (a match never runs over a line end, ^
// and $ are the line's start and end); with it the whole text is one
// subject, "." also matches line ends and ^ and $ match at every line.
// WholeWordOnly wants no letter, digit or "_" just before and after a
// match. BeginningOfLine(0) leaves alone a match that starts a line, and
// EndOfLine(0) one that ends a line: such a match is not taken, and the
// search goes on from the next character; with 1, as at the start, they
// count like any other. Without UseRegularExpressions the find text is plain text. In
// a replacement of a regular expression "\1" to "\9" stand for the groups
// and "\0" for the whole match, "\\" for one backslash.
//
// Records: lines and columns count from 1, in characters. With
// ByteOffsetsOnly the line is 0 and the column is the match's byte offset
// in the file, which needs no line counting.
//
// The engine works on the caller's thread only: there is one thread of
// records, number 0, and asking for a separate thread fails. It works on
// the one file it is given, so DoSubFolders changes nothing. A search is limited in time (SetTimeLimit); one that
// backtracks without end fails with kRexhoundTooLong and leaves the file
// as it was.
#include <QString>
#include <QVector>

// Codes of SearchAndReplaceRegEx: 0 success, 1 to 17 pattern errors, 18
// the time limit, 19 a replacement the file's encoding cannot hold,
// negative codes file and thread errors.
namespace rexhoundcode {
constexpr int InternalError = 1;
constexpr int InvalidRepeatCounts = 2;   // "a{3,2}"
constexpr int PatternError = 3;          // any other error in the pattern
constexpr int InvalidRepeat = 4;         // "*a"
constexpr int UnbalancedBraces = 5;
constexpr int UnbalancedBrackets = 6;    // "[a"
constexpr int Collation = 7;             // "[[.a.]]"
constexpr int BadClass = 8;              // "[[:foo:]]"
constexpr int BadEscape = 9;             // "a\"
constexpr int EmptyExpression = 10;      // an empty find text
constexpr int UnbalancedParentheses = 11;
constexpr int BadRange = 12;             // "[z-a]"
constexpr int ExpressionTooBig = 13;
constexpr int OutOfMemory = 14;
constexpr int BadBackReference = 15;     // "(a)\2", or a replacement's "\2"
constexpr int BadArgument = 16;          // an empty file path
constexpr int MatchFailed = 17;
constexpr int TooLong = 18;              // the time limit, or backtracking without end
constexpr int EncodingError = 19;        // the file's code page cannot hold the replacement
constexpr int FileRenameError = -1;      // the new text could not be written
constexpr int ThreadNotActive = -2;      // a thread number other than 0
constexpr int ThreadKilled = -3;
constexpr int InputFileError = -4;       // the file could not be read
constexpr int ThreadMax = -9;
constexpr int ThreadCreationError = -14; // separate threads are not offered
constexpr int InvalidRecordNumber = -22;
} // namespace rexhoundcode

inline constexpr int kRexhoundTooLong = rexhoundcode::TooLong;

// One match of the last search.
struct RexhoundRecord
{
    QString path;
    QString text;
    int line = 0;
    int column = 0;
};

class Rexhound
{
public:
    // Options: 1 on, 0 off; all off at the start but the two line
    // positions, which start at 1 (matches there are taken).
    void UseRegularExpressions(int value) { m_regularExpressions = value != 0; }
    void RunOnSeparateThread(int value) { m_separateThread = value != 0; }
    void ByteOffsetsOnly(int value) { m_byteOffsets = value != 0; }
    void DoSubFolders(int value) { m_subFolders = value != 0; }
    void WholeWordOnly(int value) { m_wholeWord = value != 0; }
    void CaseSensitive(int value) { m_caseSensitive = value != 0; }
    void MultiLine(int value) { m_multiLine = value != 0; }
    void BeginningOfLine(int value) { m_matchAtLineStart = value != 0; }
    void EndOfLine(int value) { m_matchAtLineEnd = value != 0; }

    // Milliseconds one search may take; 60 seconds at the start.
    void SetTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }

    // Replaces every match in the file and keeps the records (cleared
    // first). A file without a match is not rewritten. On failure the file
    // is as it was and no records are kept.
    int SearchAndReplaceRegEx(const QString& path, const QString& find, const QString& replacement);

    // Records of a thread; only thread 0 has any.
    int GetSearchCount(int thread) const;
    int GetRecordLocus(int thread, int record, int& line, int& column) const;
    int GetRecordText(QString& text, int thread, int record) const;
    int GetRecordPath(QString& path, int thread, int record) const;
    // 1 when the last search went through its whole file, else 0.
    double GetFolderProgress(int thread) const;
    QString GetCurrentFile(int thread) const;
    // The code of the last search.
    int Error(int thread) const;
    // No search runs on its own thread, so there is nothing to stop.
    void KillThread(int thread);
    // Drops the records.
    void CleanUpRexhound();

    const QVector<RexhoundRecord>& Records() const { return m_records; }

private:
    const RexhoundRecord* record(int thread, int number, int& status) const;

    bool m_regularExpressions = false;
    bool m_separateThread = false;
    bool m_byteOffsets = false;
    bool m_subFolders = false;
    bool m_wholeWord = false;
    bool m_caseSensitive = false;
    bool m_multiLine = false;
    bool m_matchAtLineStart = true;
    bool m_matchAtLineEnd = true;
    int m_timeLimitMs = 60000;

    QVector<RexhoundRecord> m_records;
    QString m_currentFile;
    int m_lastError = 0;
    bool m_finished = false;
};

// The engine's code for a pattern that QRegularExpression refuses, by its
// error text.
int RexhoundPatternErrorCode(const QString& errorString);
