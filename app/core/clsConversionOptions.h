#pragma once
// The task record: everything one task of a conversion job needs to run,
// and the result of running it. Plain public fields, in the program's order;
// a new record holds the defaults below and nothing else happens on access.
#include <QString>

// Numeric fields that the caller must supply hold this value until set;
// readers treat it as "not given".
constexpr int kUnsetNumber = -12345678;

class clsConversionOptions
{
public:
    clsConversionOptions();

    QString sExtraParams = QStringLiteral("1");   // option string; "1" carries no options
    QString sActionToDo = QStringLiteral("C");    // "C" conversion, "S<n>" special process
    QString sCurrentBatchJobFile;                 // job file the task came from
    QString sOriginalFile;                        // input file, wildcard or folder (/S)
    int lOriginalFileType = kUnsetNumber;         // input type number (/F)
    QString sTargetFile;                          // output file or wildcard folder (/T, /G)
    bool bVerbose = false;                        // /V
    bool bOpenButDoNotRun = false;                // /O
    int lTargetFileType = kUnsetNumber;           // output type; process 1: task to restart from
    bool bDoSubFolders = false;                   // /R
    bool bSaveInOriginalFolder = false;           // /G
    int lConversionMethod = 2;                    // 1 Word, 2 text control, 4 special process
    bool bPostErrorLevel = false;                 // /P
    QString sSubFolder;                           // current file's folder below the input folder
    int lSpecialProcess = 0;                      // 1, 50, 55, 56 or 60
    int lCommandLineThreadPriority = 32;          // 64 idle, 32 normal, 128 high, 256 realtime
    int lCommandLineWindowState = 1;              // 0 hidden, 1 normal, 3 maximised, 6 minimised
    int lCommandLineWaitTime = -1;                // -1 waits without limit
    int lCommandLineExitCode = 0;                 // exit code of the launched program
    QString sFindString;
    QString sReplaceString;
    bool bCaseSensitive = true;
    bool bUseRegularExpression = false;
    bool bRXHDWholeWordOnly = false;
    bool bRXHDBeginningOfLine = false;
    bool bRXHDEndOfLine = false;
    bool bRXHDMultiLine = false;
    bool bRXHDGenerateReportWhenDone = false;
    QString sRXHDReportFileName;                  // never set: the run uses the main form's setting
    QString sIniFileOverride;                     // /I
    QString sLogFile;                             // /L
    QString sLogAsConversionJobFile;              // /B
    QString sCLBatchJobFile;                      // /J
    QString sErr;                                 // message of the last failure, empty on success
    int lErr = 0;                                 // result code, 0 valid or success
};
