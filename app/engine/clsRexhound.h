#pragma once
// The program's class over the search-and-replace engine: the engine's nine
// options, one search and replace on a copy of an input file, the messages
// of the engine's codes, and the tab-separated report of the matches.
#include "rexhound/Rexhound.h"

#include <QString>
#include <QVector>

// The report was asked for and could not be written (its folder is
// missing, or it cannot be replaced).
inline constexpr int kReportNotWritten = -50;

class clsRexhound
{
public:
    // Options, all False at the start; each reaches the engine as 1 when
    // True and 0 when False, but bBeginningOfLine and bEndOfLine, which
    // reach it the other way round: True asks that a match at the line's
    // start (end) be left alone, which the engine takes as 0.
    bool bUseRegularExpressions = false;
    bool bRunOnSeparateThread = false;
    bool bByteOffsetsOnly = false;
    bool bDoSubFolders = false;
    bool bWholeWordOnly = false;
    bool bCaseSensitive = false;
    bool bMultiLine = false;
    bool bBeginningOfLine = false;
    bool bEndOfLine = false;

    // Replaces every match of sFileIn and writes the result to sFileOut:
    // through a copy beside sFileOut that replaces it only on success, or,
    // when they are the same file, in place. The texts are used as they
    // are: their special-character codes have been decoded by the caller.
    // The engine's code, or -1 when the copy could not be made or put in
    // place. On any failure sFileOut is as it was and no copy is left.
    int SearchAndReplace(const QString& sFileIn, const QString& sFileOut, const QString& sFindString,
                         const QString& ReplaceWith);

    // The system's reason when the last SearchAndReplace gave -1 because
    // its copy could not be made or put in place; "" otherwise.
    const QString& CopyFailureReason() const { return m_failure; }

    // The message of an engine code, or of kReportNotWritten; "" for 0 and
    // for codes without one.
    QString SearchAndReplaceErrorString(int lErrorCode) const;

    // The report gathers the matches of every run since the last
    // StartNewReport, so a task over many files reports them all.
    void StartNewReport();
    // Writes the report (UTF-8, CR LF lines; a TAB, CR or LF inside a cell
    // becomes a blank); an existing file is replaced. True when written.
    bool SaveDataToTabFile(const QString& sReportPath);

    // Pass-throughs to the engine, for thread 0 as the program uses it.
    int GetRecordPathInfo(QString& RecordPath, int Thread, int RecordNumber) const;
    int GetRecordTextInfo(QString& StringFound, int Thread, int RecordNumber) const;
    int GetRecordLocusInfo(int Thread, int RecordNumber, int& LineNumber, int& ColumnNumber) const;
    int GetSearchCountInfo(int Thread) const;
    double GetFolderProgressInfo(int Thread) const;
    QString GetCurrentFileInfo(int Thread) const;
    int ErrorInfo(int Thread) const;
    void KillThreadNumber(int Thread);
    void CleanUp();

    // The engine itself, for its time limit.
    Rexhound& Engine() { return m_engine; }

private:
    void collectLastRun();

    Rexhound m_engine;
    QVector<RexhoundRecord> m_report;
    QString m_editedCopy;     // the copy the engine edited in the last run; its records name m_output
    QString m_output;
    QString m_failure;        // why the last copy failed
    int m_run = 0;            // searches made
    int m_collectedRun = 0;   // the last search whose records are in m_report
};
