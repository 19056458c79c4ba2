#include "engine/TextControlRouteFiles.h"

#include "core/Globals.h"
#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "textcontrol/TextControl.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>

#include <cmath>
#include <limits>

thread_local int G_lTextControlError = 0;
thread_local QString G_sTextControlError;

namespace {

// Where a retry moves a control that had no place on screen: just right of
// the main form's visible area. Without a window the form keeps its
// designed inner width (twips).
constexpr double kFormScaleWidth = 15360;

// The control's reply to a page too large for it; the load is then tried
// with the largest page.
constexpr int kErrPageTooLarge = 20009;
constexpr int kLargestPage = 32767;

constexpr int kLoadRetries = 100;
constexpr int kLoadRetryWaitMs = 100;

constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerCentimetre = 567;

void moveIntoView(TextControl& control, bool wasVisible)
{
    control.Left = kFormScaleWidth;
    if (!wasVisible)
        control.Visible = true;
}

void yieldOnce()
{
    // Only the main thread has events to serve; a pool worker goes on.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();
}

bool isOfficeFailure(int number)
{
    return number == kErrOfficeTimedOut || number == kErrOfficeStopped || number == kErrOfficeUnavailable;
}

void recordError(short number, const QString& description, bool& cancelDisplay)
{
    G_lTextControlError = number;
    G_sTextControlError = description;
    cancelDisplay = true;
}

// `x` rounded to the nearest whole number, a half to the even one.
double roundHalfEven(double x)
{
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

} // namespace

void TXTextControl1_Error(short number, const QString& description, bool& cancelDisplay)
{
    recordError(number, description, cancelDisplay);
}

void TXTextControlOutput_Error(short number, const QString& description, bool& cancelDisplay)
{
    recordError(number, description, cancelDisplay);
}

bool TextControlLoadDocument(TextControl& control, const QString& file, int secondArgument, int format)
{
    const bool wasVisible = control.Visible;
    for (int attempt = 1;; ++attempt) {
        try {
            control.Load(file, secondArgument, format);
            control.Visible = wasVisible;
            return true;
        } catch (const TextControlError& e) {
            if (isOfficeFailure(e.number)) {
                // The office hung, died or could not start: another try
                // would only wait again. Its reason is the load's error.
                G_lTextControlError = e.number;
                G_sTextControlError = e.description;
                control.Visible = wasVisible;
                return false;
            }
            if (attempt == 2) {
                // The caller reports the failed step; this is its reason.
                G_sTextControlError = e.description;
                control.Visible = wasVisible;
                return false;
            }
            if (e.number == kErrPageTooLarge) {
                control.setPageWidth(kLargestPage);
                control.setPageHeight(kLargestPage);
            }
            moveIntoView(control, wasVisible);
        }
    }
}

int TextControlLoadFile(const QString& file, int& format, TextControl& control, QString& error, Sleeper& sleeper)
{
    // Counts the DOC/RTF swap and the retries after raised errors alike, so
    // the swap happens only before any retry.
    int attempts = 0;
    for (;;) {
        try {
            control.Width = 26000000;
            control.Height = 260000000;
            G_lTextControlError = 0;
            G_sTextControlError.clear();
            control.setIndexedSetting(37, true);
            const int secondArgument = format == 3 ? 30 : 0;
            if (!TextControlLoadDocument(control, file, secondArgument, format) && G_lTextControlError == 0)
                G_lTextControlError = kTextControlLoadStepFailed;
            if (G_lTextControlError == 0) {
                yieldOnce();
                return 0;
            }
            const QString separator = G_bCommandLineMode ? QStringLiteral("\n\n") : QStringLiteral("  ");
            switch (G_lTextControlError) {
            case kTextControlLoadStepFailed:
                error = Translate(QStringLiteral("File Load Error. Could be sharing violation or Invalid File Type "
                                                 "specified for the Original File:"))
                        + separator + file;
                error = TextWithReason(error, G_sTextControlError);
                break;
            case kErrInvalidFileType:
                if (attempts == 0 && (format == 9 || format == 5)) {
                    attempts = 1;
                    format = format == 9 ? 5 : 9;
                    continue;
                }
                error = Translate(QStringLiteral("Invalid File Type or password specified for the Input File:"))
                        + separator + file;
                error = TextWithReason(error, G_sTextControlError);
                break;
            default:
                error = TextWithReason(Translate(QStringLiteral("OpenFile")), G_sTextControlError);
                break;
            }
            return G_lTextControlError;
        } catch (const TextControlError& e) {
            if (attempts < kLoadRetries) {
                sleeper.sleepMs(kLoadRetryWaitMs);
                ++attempts;
                continue;
            }
            const QString detail = e.number == kErrInvalidValue
                                       ? Translate(QStringLiteral("Invalid File Format/Type specified"))
                                       : e.description;
            error = Translate(QStringLiteral("File Load Error ")) + QString::number(e.number) + QStringLiteral("\r\r")
                    + file + QStringLiteral("\r\r") + detail;
            return e.number;
        }
    }
}

int TextControlSaveFile(const QString& file, int format, TextControl& control, QString& error)
{
    const bool wasVisible = control.Visible;
    bool eventRetried = false;
    bool raiseRetried = false;
    int result = 0;
    for (;;) {
        G_lTextControlError = 0;
        G_sTextControlError.clear();
        short pdfMode = kPdfModePdf;
        bool modeRead = false;
        try {
            pdfMode = control.PdfMode();
            modeRead = true;
            switch (format) {
            case 1:
            case 6:
            case 10:
            case 11:
                control.Save(file, 0, format, false);
                break;
            case 4:
            case 5:
            case 9:
            case 13:
                control.Save(file, 0, format);
                break;
            case 12:
            case 14: {
                const short wanted = format == 12 ? kPdfModePdf : kPdfModePdfA;
                if (control.PdfMode() != wanted)
                    control.setPdfMode(wanted);
                control.Save(file, 0, format);
                break;
            }
            default:
                G_lTextControlError = kTextControlUnknownSaveFormat;
                G_sTextControlError = Translate(QStringLiteral("Unknown File Type"));
                break;
            }
            if (control.PdfMode() != pdfMode)
                control.setPdfMode(pdfMode);
        } catch (const TextControlError& e) {
            // A failed PDF save must not leave the PDF mode of its format
            // for the next save.
            if (modeRead && control.PdfMode() != pdfMode)
                control.setPdfMode(pdfMode);
            if (!raiseRetried) {
                raiseRetried = true;
                if (!wasVisible)
                    moveIntoView(control, wasVisible);
                continue;
            }
            control.Visible = wasVisible;
            error = TextControlSaveErrorText(file, e.number, e.description);
            return e.number;
        }
        if (G_lTextControlError != 0) {
            if (!eventRetried) {
                eventRetried = true;
                if (!wasVisible)
                    moveIntoView(control, wasVisible);
                continue;
            }
            result = G_lTextControlError;
            if (G_sTextControlError.contains(QLatin1String("certificate"), Qt::CaseInsensitive)
                || G_sTextControlError.contains(QLatin1String("time"), Qt::CaseInsensitive))
                error = G_sTextControlError;
            else
                error = TextWithReason(QStringLiteral("ZizireR121.FileSave: Error: ") + QString::number(result),
                                       G_sTextControlError);
        }
        control.Visible = wasVisible;
        return result;
    }
}

QString TextControlSaveErrorText(const QString& file, int number, const QString& description)
{
    return Translate(QStringLiteral("File Save Error ")) + u'[' + QString::number(number) + QStringLiteral("] \r\r")
           + file + QStringLiteral(" \r\r") + description;
}

QString TwipsToUnitText(float twips)
{
    double units;
    switch (glnMeasurement) {
    case 1:
        units = (double(twips) + 0.0005) / kTwipsPerInch;
        break;
    case 2:
        units = (double(twips) + 0.0005) / kTwipsPerCentimetre;
        break;
    default:
        return QString();
    }
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(units, 'f', 2);
}

int UnitTextToTwips(const QString& text)
{
    if (text.isEmpty())
        return 0;
    int factor;
    switch (glnMeasurement) {
    case 1:
        factor = kTwipsPerInch;
        break;
    case 2:
        factor = kTwipsPerCentimetre;
        break;
    default:
        return 0;
    }
    bool ok = false;
    const double units = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        return 0;
    const double twips = roundHalfEven(units * factor);
    if (!std::isfinite(twips) || twips > std::numeric_limits<int>::max() || twips < std::numeric_limits<int>::min())
        return 0;
    return int(twips);
}
