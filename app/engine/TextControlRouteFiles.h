#pragma once
// Documents in and out of a text control: load by format with the DOC/RTF
// swap and the retries, save by format, the texts of their failures for
// the task log, the controls' error events, and the page unit texts of the
// option dialogs.
#include "core/FileTimes.h"

#include <QString>

class TextControl;

// The last error event of a text control, or a code of the load and save
// routines below; 0 when none. Cleared at the start of every attempt. Each
// thread has its own: the office pool's workers load and save at once.
extern thread_local int G_lTextControlError;
extern thread_local QString G_sTextControlError;

// Codes of the routines themselves.
inline constexpr int kTextControlLoadStepFailed = -1234;
inline constexpr int kTextControlUnknownSaveFormat = -1;

// Loads `file` into `control` in `format` (a document number: 1 text, 4
// HTML, 5 RTF, 6 Unicode text, 9 DOC, 10 XML, 11 CSS, 13 DOCX). 0 when the
// document is loaded; otherwise a non-zero code and its text in `error`.
// A DOC reported as not of its format is tried once as RTF, and an RTF as
// DOC; `format` then holds the format used last. A call that keeps raising
// errors is tried 100 times, 100 ms apart.
int TextControlLoadFile(const QString& file, int& format, TextControl& control, QString& error,
                        Sleeper& sleeper = DefaultSleeper());

// One load call, tried once more after a raised error. True on success.
// When the office hung, died or could not be started, the call is not
// tried again and the office's reason is left in the error globals.
bool TextControlLoadDocument(TextControl& control, const QString& file, int secondArgument, int format);

// Writes the control's document to `file` in `format` (1, 6, 10, 11 text;
// 4 HTML, 5 RTF, 9 DOC, 13 DOCX, 12 PDF, 14 PDF/A). 0 when written;
// otherwise a non-zero code and its text in `error`. A failure is tried
// once more. The control's PDF mode is as it was afterwards.
int TextControlSaveFile(const QString& file, int format, TextControl& control, QString& error);

// The text of a save whose call raised error `number`.
QString TextControlSaveErrorText(const QString& file, int number, const QString& description);

// The error events of the main form's two controls: both record the error
// in the globals above (so a failure of either is never taken for success)
// and hide the control's own message.
void TXTextControl1_Error(short number, const QString& description, bool& cancelDisplay);
void TXTextControlOutput_Error(short number, const QString& description, bool& cancelDisplay);

// Twips as text in the page unit glnMeasurement (1 inches, 2 centimetres),
// two decimals with the user's decimal sign; "" for another unit.
QString TwipsToUnitText(float twips);
// Text in the page unit, read as the user's locale reads numbers, to twips
// rounded to the nearest whole number (a half to the even one). 0 for an
// empty text, a text that is not a number, or another unit.
int UnitTextToTwips(const QString& text);
