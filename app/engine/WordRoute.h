#pragma once
// The Word route of a conversion item: the main form's Word-conversion
// control, Quaystone1, renders the document. The program reaches the
// control only by dispatch id: the library (libquaystone.so) is loaded when
// the first document needs it, and its members are called by their ids
// (control/QuaystoneIds.h). This is the program's side of that exchange:
// the version check, the settings and passwords handed over, the call, the
// check that the output exists, and the item's message for each code.
#include <QString>
#include <QStringList>

#include <memory>

class DispatchClient;
class DispatchError;
class JobEngine;
class MainFormState;
class clsConversionOptions;

// Codes of the route itself, beside the control's (0, -2, -3, -4, -8, -9,
// -10, -11).
namespace wordroute {
constexpr int OutputMissing = -7;  // the control said success, but there is no output
constexpr int VersionTooNew = -12; // a Word version above 16.1
} // namespace wordroute

// Renders sOriginalFile into sTargetFile as the Word format
// lTargetFileType (17 is PDF). Sets lErr and sErr and returns the code.
// A control that cannot be loaded, or a call it fails, is the item's
// failure: -3 and -10 with the reason.
int ConvertViaWordControl(JobEngine& engine, clsConversionOptions& item);
// The same on a control of the caller's (a worker of the office pool) with
// the form's settings.
int ConvertViaWordControl(DispatchClient& control, const MainFormState& form, clsConversionOptions& item);
// The text of a conversion that failed (-10) for `reason`.
QString WordFailureText(const QString& reason);
// The item's failure when no control can be had: -3 with the reason.
int WordControlUnavailable(clsConversionOptions& item, const DispatchError& e);

// The item's message for a code of the route (translated); "" for a code
// the route does not know. -10 and -12 ask the control for its text and
// version.
QString GetWordErrorText(JobEngine& engine, int code);
QString GetWordErrorText(DispatchClient& control, int code);

// The control's Word version; 12 in command-line mode without asking it; 0
// when asking fails.
double dWordVersion(JobEngine& engine);
bool bWordVersionAtLeast2007(JobEngine& engine);

// The options dialog's test: 0 when the control can save PDF. A control
// that cannot be loaded answers -3.
int TestSaveAsPDF(JobEngine& engine);

// The control may let go of the office it keeps between conversions: its
// OptimizeForSpeed is put False. Does nothing when the control was never
// loaded.
void ReleaseWordInstance(JobEngine& engine);
void ReleaseWordInstance(DispatchClient& control);

// The main form's instance of the control: the library loaded from the
// first of QuaystoneLibraryCandidates that exists, the control made and
// given the form's saved properties. Throws DispatchError when that fails.
std::unique_ptr<DispatchClient> CreateQuaystone1();

// Where the library is looked for, in order: beside the program, in the
// installed lib/tessaview folder, and in the build tree.
QStringList QuaystoneLibraryCandidates();
