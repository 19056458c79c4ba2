#pragma once
// Special-process items: one input file run through append (50), remove
// empty lines (55), search and replace (56) or launch a program (60), or the
// next slice of a large job loaded (1). The runner dispatches on the process
// number, checks that an output was written where one is expected, keeps
// the input's time stamps on it, deletes or moves the input as the settings
// ask, and turns the result code into its message.
#include <QString>

class clsConversionOptions;
class JobEngine;

// Item result codes of the special processes, beside 0 and the codes of
// the text-file routines.
namespace specialcode {
constexpr int OutputNotSaved = -2;
constexpr int InputNotLoaded = -3;
constexpr int EncodingMismatch = -4;   // text the output's 8-bit encoding cannot hold
constexpr int SameFile = -6;
constexpr int NoOutput = -7;
constexpr int LaunchFailed = -10;
constexpr int LaunchTimedOut = -11;
constexpr int BadSpecialCharacters = -30; // a malformed special-character code
} // namespace specialcode

// Runs one item by its process number and returns its result code, also
// left in lErr with its message in sErr. An unknown number runs nothing and
// leaves lErr as it was.
int PerformSpecialProcessItem(JobEngine& engine, clsConversionOptions& item);

// False for 60 and 1 (they write no output whose times could be set).
bool bSpecialProcessWritesOutput(int lSpecialProcess);

// The message of the record's lErr; "" for a code without one.
QString GetItemErrorText(const clsConversionOptions& item);

// The processes. Each returns the item's result code.
int PerformAppendFile(JobEngine& engine, clsConversionOptions& item);
int PerformRemoveEmptyLines(JobEngine& engine, clsConversionOptions& item);
int PerformSearchAndReplace(JobEngine& engine, clsConversionOptions& item);   // also sets sErr
int PerformLaunchProgram(JobEngine& engine, clsConversionOptions& item);

// True for the types that are text files (1, 2 and 6). The search engine
// serves every such input, byte for byte in its own encoding and line ends,
// which a round trip through the office would not keep.
bool bPlainTextType(int lFileType);

// Whether append and remove empty lines take the item through the text-file
// routines: a text input (1 or 2) always, a Unicode text input (6) when its
// output is a text file too; a Unicode text going into a document goes
// through the office, as every other document does.
bool bTakesTextFileRoute(const clsConversionOptions& item);
