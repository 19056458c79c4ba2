#include "engine/clsRexhound.h"

#include "base/TextFileEncoding.h"
#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/TemporaryFile.h"
#include "core/Translator.h"

#include <QFile>
#include <QFileInfo>

namespace {

int flag(bool value)
{
    return value ? 1 : 0;
}

// A report cell holds no TAB, CR or LF: they would break its row.
QString reportCell(QString text)
{
    for (QChar& c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}

// Copies the file's bytes into `target`, a file of ours; false with the
// system's reason.
bool copyInto(const QString& source, const QString& target, QString& reason)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        reason = in.errorString();
        return false;
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        reason = out.errorString();
        return false;
    }
    constexpr qint64 kChunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray bytes = in.read(kChunk);
        if (in.error() != QFileDevice::NoError) {
            reason = in.errorString();
            return false;
        }
        if (!WriteAllBytes(out, bytes)) {
            reason = out.errorString();
            return false;
        }
    }
    return true;
}

} // namespace

int clsRexhound::SearchAndReplace(const QString& sFileIn, const QString& sFileOut, const QString& sFindString,
                                  const QString& ReplaceWith)
{
    m_engine.UseRegularExpressions(flag(bUseRegularExpressions));
    m_engine.RunOnSeparateThread(flag(bRunOnSeparateThread));
    m_engine.ByteOffsetsOnly(flag(bByteOffsetsOnly));
    m_engine.DoSubFolders(flag(bDoSubFolders));
    m_engine.WholeWordOnly(flag(bWholeWordOnly));
    m_engine.CaseSensitive(flag(bCaseSensitive));
    m_engine.MultiLine(flag(bMultiLine));
    // The engine takes 0 as "leave matches at the line's start (end)
    // alone", which is what these two options ask for when True.
    m_engine.BeginningOfLine(flag(!bBeginningOfLine));
    m_engine.EndOfLine(flag(!bEndOfLine));
    ++m_run;
    m_editedCopy.clear();
    m_output.clear();
    m_failure.clear();

    // In place the engine edits the file itself; it writes only a finished
    // text, so a failure leaves the file as it was.
    if (sFileOut == sFileIn || bSameFile(sFileIn, sFileOut))
        return m_engine.SearchAndReplaceRegEx(sFileOut, sFindString, ReplaceWith);

    // Otherwise it edits a copy of our own beside the output, which takes
    // the output's place only when the search succeeded: a failure leaves
    // an earlier output as it was, and no copy behind.
    QString target = sFileOut;
    const QFileInfo outputInfo(sFileOut);
    if (outputInfo.isSymLink() && !outputInfo.canonicalFilePath().isEmpty())
        target = outputInfo.canonicalFilePath();   // the file the link names is replaced, not the link
    TemporaryFile copy;
    if (!copy.create(GetFolderPart(target), u'.' + QFileInfo(target).fileName(), QStringLiteral(".tmp"), &m_failure)
        || !copyInto(sFileIn, copy.path(), m_failure))
        return rexhoundcode::FileRenameError;
    m_editedCopy = copy.path();
    m_output = sFileOut;
    const int code = m_engine.SearchAndReplaceRegEx(copy.path(), sFindString, ReplaceWith);
    if (code != 0)
        return code;
    // The new output keeps the old one's permissions, or takes the input's.
    const QFileInfo old(target);
    QFile::setPermissions(copy.path(), old.exists() ? old.permissions() : QFileInfo(sFileIn).permissions());
    return copy.moveOver(target, &m_failure) ? 0 : rexhoundcode::FileRenameError;
}

QString clsRexhound::SearchAndReplaceErrorString(int lErrorCode) const
{
    using namespace rexhoundcode;
    const char* text = nullptr;
    switch (lErrorCode) {
    case InternalError: text = "internal error"; break;
    case InvalidRepeatCounts: text = "invalid repeat counts in {}"; break;
    case PatternError: text = "pattern error"; break;
    case InvalidRepeat: text = "? * + invalid"; break;
    case UnbalancedBraces: text = "unbalanced {}"; break;
    case UnbalancedBrackets: text = "unbalanced []"; break;
    case Collation: text = "collation Error - Not relevant"; break;
    case BadClass: text = "bad class"; break;
    case BadEscape: text = "bad escape sequence"; break;
    case EmptyExpression: text = "empty expression"; break;
    case UnbalancedParentheses: text = "unbalanced ()"; break;
    case BadRange: text = "bad range inside []"; break;
    case ExpressionTooBig: text = "expression too big"; break;
    case OutOfMemory: text = "failed to get memory"; break;
    case BadBackReference: text = "bad back reference"; break;
    case BadArgument: text = "bad argument"; break;
    case MatchFailed: text = "match failed"; break;
    case TooLong: text = "the search took too long on this file: the expression may backtrack without end"; break;
    case EncodingError: text = "the file's character set cannot hold the replacement text"; break;
    case FileRenameError: text = "FILE_RENAME_ERROR"; break;
    case ThreadNotActive: text = "THREAD_NOT_ACTIVE"; break;
    case ThreadKilled: text = "THREAD_KILLED"; break;
    case InputFileError: text = "INPUT_FILE_ERROR"; break;
    case ThreadMax: text = "THREAD_MAX"; break;
    case ThreadCreationError: text = "THREAD_CREATION_ERROR"; break;
    case InvalidRecordNumber: text = "INVALID_RECORD_NUMBER"; break;
    case kReportNotWritten: text = "The search-and-replace report could not be written."; break;
    default: return QString();
    }
    return Translate(QString::fromLatin1(text));
}

void clsRexhound::StartNewReport()
{
    m_report.clear();
    m_collectedRun = m_run;
}

void clsRexhound::collectLastRun()
{
    if (m_collectedRun == m_run)
        return;
    m_collectedRun = m_run;
    const int n = GetSearchCountInfo(0);
    for (int r = 0; r < n; ++r) {
        RexhoundRecord record;
        // A record that cannot be read is reported with what could be.
        GetRecordLocusInfo(0, r, record.line, record.column);
        GetRecordTextInfo(record.text, 0, r);
        GetRecordPathInfo(record.path, 0, r);
        m_report.push_back(record);
    }
}

bool clsRexhound::SaveDataToTabFile(const QString& sReportPath)
{
    collectLastRun();
    QString text;
    if (m_report.isEmpty()) {
        text = Translate(QStringLiteral("No matches found.")) + QStringLiteral("\r\n");
    } else {
        const QChar tab(u'\t');
        text = Translate(QStringLiteral("Record")) + tab + Translate(QStringLiteral("Line")) + tab
               + Translate(QStringLiteral("Column")) + tab + Translate(QStringLiteral("Text Found")) + tab
               + Translate(QStringLiteral("File")) + QStringLiteral("\r\n");
        for (int r = 0; r < m_report.size(); ++r) {
            const RexhoundRecord& record = m_report[r];
            text += QString::number(r) + tab + QString::number(record.line) + tab + QString::number(record.column)
                    + tab + reportCell(record.text) + tab + reportCell(record.path) + QStringLiteral("\r\n");
        }
    }
    return WriteWholeFile(sReportPath, text.toUtf8());
}

int clsRexhound::GetRecordPathInfo(QString& RecordPath, int Thread, int RecordNumber) const
{
    const int status = m_engine.GetRecordPath(RecordPath, Thread, RecordNumber);
    if (status == 0 && !m_editedCopy.isEmpty() && RecordPath == m_editedCopy)
        RecordPath = m_output;
    return status;
}

int clsRexhound::GetRecordTextInfo(QString& StringFound, int Thread, int RecordNumber) const
{
    return m_engine.GetRecordText(StringFound, Thread, RecordNumber);
}

int clsRexhound::GetRecordLocusInfo(int Thread, int RecordNumber, int& LineNumber, int& ColumnNumber) const
{
    return m_engine.GetRecordLocus(Thread, RecordNumber, LineNumber, ColumnNumber);
}

int clsRexhound::GetSearchCountInfo(int Thread) const
{
    return m_engine.GetSearchCount(Thread);
}

double clsRexhound::GetFolderProgressInfo(int Thread) const
{
    return m_engine.GetFolderProgress(Thread);
}

QString clsRexhound::GetCurrentFileInfo(int Thread) const
{
    const QString file = m_engine.GetCurrentFile(Thread);
    return !m_editedCopy.isEmpty() && file == m_editedCopy ? m_output : file;
}

int clsRexhound::ErrorInfo(int Thread) const
{
    return m_engine.Error(Thread);
}

void clsRexhound::KillThreadNumber(int Thread)
{
    m_engine.KillThread(Thread);
}

void clsRexhound::CleanUp()
{
    m_engine.CleanUpRexhound();
}
