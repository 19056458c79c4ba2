#pragma once
// The Word-conversion control's dispatch interface: its class name, the
// dispatch ids of its members and event, and its result codes. Hosts call
// the control only through these ids (see dispatch/Dispatch.h); this header
// is the whole of what they share with it.

#include <QString>

// Programmatic identifier of the control's class.
#define QUAYSTONE_PROGID "Quaystone.QuaystoneCtrl"
// The library's file name.
#define QUAYSTONE_LIBRARY "libquaystone.so"

namespace quaystone {

// Members of _QuaystoneCtrl, in the order of its method table.
namespace dispid {
constexpr int FilesJustCreatedCount = 0x6803002B;
constexpr int FilesJustCreated = 0x6003002D;
constexpr int Verbose = 0x6803002A;
constexpr int StateFile = 0x68030029;
constexpr int UseStateFile = 0x68030028;
constexpr int ErrorString = 0x68030027;
constexpr int OptimizeForSpeed = 0x68030026;
constexpr int WordVersion = 0x68030024;
constexpr int WordBuild = 0x6803004D;
constexpr int OutputFile_PassWord = 0x68030059;
constexpr int OutputFile_PassWord_TW = 0x68030058;
constexpr int InputFile_PassWord = 0x68030023;
constexpr int InputFile_PassWord_TW = 0x68030022;
constexpr int InputFileTemplate_PassWord = 0x68030021;
constexpr int InputFileTemplate_PassWord_TW = 0x68030020;
constexpr int ConvertSpecificPages = 0x68030040;
constexpr int IsFileUnicode = 0x60030035;
constexpr int ShowAbout = 0x60030036;
constexpr int StateFileSave = 0x60030038;
constexpr int StateFileLoad = 0x60030039;
constexpr int bLoadingFromSkyDrive = 0x6003006C;
constexpr int OpenWordSaveAs = 0x6003003A;
constexpr int WordDocIsPasswordProtected = 0x60030063;
constexpr int ConcatenateTwoTextFiles = 0x6003003B;
constexpr int ConcatenateTwoTextFilesEx = 0x6003003C;
constexpr int DeleteEmptyLinesFromTextFile = 0x6003003D;
constexpr int WordIsInstalled = 0x6003003E;
constexpr int TestSaveAsPDF = 0x60030057;
constexpr int HideWordIfVisible = 0x6003004C;

// The one event of __QuaystoneCtrl: OnError(lErr, sErr).
constexpr int OnError = 1;
} // namespace dispid

// Saved properties of the control.
inline constexpr char kStateFileProperty[] = "msStateFile";
inline constexpr char kUseStateFileProperty[] = "bUseStateFile";

// QuaystoneResultCode: the result of OpenWordSaveAs and the lErr of OnError.
namespace result {
constexpr int Success = 0;
constexpr int SourceMissing = -2;
constexpr int WordNotStarted = -3;
constexpr int WordNotReleased = -4;
constexpr int PathEmpty = -8;
constexpr int PasswordProtection = -9;
constexpr int Failed = -10;
constexpr int PdfAddInMissing = -11;
} // namespace result

// The save format of PDF.
constexpr int kWordFormatPdf = 17;

} // namespace quaystone

// The texts the control reports; a host translates them (the fixed ones
// it receives in ErrorString).
namespace quaystonetext {
inline const QString kWordNotStarted = QStringLiteral("Unable to create Word Application. Is it installed?");
inline const QString kWordNotReleased = QStringLiteral("Unable to destroy Word application. Is it installed?");
inline const QString kPathEmpty = QStringLiteral("Source or Target file path is empty");
inline const QString kPasswordProtection = QStringLiteral("Password protection issue detected.");
inline const QString kNotOpened = QStringLiteral("Unable to open file. Could be a password or network access issue");
inline const QString kPdfAddInMissing = QStringLiteral("Microsoft Office Add-in required: Microsoft Save as PDF or XPS.");
// The -2 text: this, two carriage returns and the source path.
inline const QString kSourceMissing = QStringLiteral("Source file does not exist ");
} // namespace quaystonetext
