#include "engine/WordRoute.h"

#include "base/ProgramModule.h"
#include "control/QuaystoneIds.h"
#include "core/FileTimes.h"
#include "core/Globals.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "dispatch/Dispatch.h"
#include "engine/JobEngine.h"
#include "jobs/MainFormState.h"

#include <QFileInfo>

namespace id = quaystone::dispid;

namespace {

// The control's reason for a failed conversion is either its own fixed text,
// which is translated, or what the office said, with paths and numbers of
// its own: that goes as it is, so that no such text is ever added to a
// language file as a phrase.
QString ControlFailureReason(const QString& reason)
{
    return reason == quaystonetext::kNotOpened ? Translate(reason) : reason;
}

// The main form's saved properties of its control. The state file is
// never opened; with bUseStateFile the control keeps it and skips its
// defaults.
QVariantMap Quaystone1Properties()
{
    QVariantMap bag;
    bag.insert(QString::fromLatin1(quaystone::kStateFileProperty), QStringLiteral("/usr/QSTX.INI"));
    bag.insert(QString::fromLatin1(quaystone::kUseStateFileProperty), true);
    return bag;
}

// A text that goes into a log row and a log line: one line, no TAB.
QString OneLine(QString text)
{
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    return text;
}

bool NonEmptyFile(const QString& path)
{
    const QFileInfo info(path);
    return FileExists(path) && info.size() > 0;
}

int Convert(const MainFormState& form, DispatchClient& control, const clsConversionOptions& item)
{
    double version = control.Get(id::WordVersion).toDouble();
    if (version >= 80)
        version /= 10;
    if (version > 16.1)
        return wordroute::VersionTooNew;

    control.Put(id::OptimizeForSpeed, form.bOptimizeForSpeed);
    control.Put(id::InputFile_PassWord, form.sInputFile_Password);
    control.Put(id::InputFile_PassWord_TW, form.sInputFile_Password_TW);
    control.Put(id::InputFileTemplate_PassWord, form.sInputFileTemplate_Password);
    control.Put(id::InputFileTemplate_PassWord_TW, form.sInputFileTemplate_Password_TW);
    int code = control.Call(id::OpenWordSaveAs, {item.sOriginalFile, item.sTargetFile, item.lTargetFileType}).toInt();
    // An output that holds nothing is no output.
    if (code == 0 && !NonEmptyFile(item.sTargetFile))
        code = wordroute::OutputMissing;
    return code;
}

// The item's message for a code; control is asked only for -10 and -12.
QString wordErrorText(DispatchClient* control, int code)
{
    switch (code) {
    case 0:
        return Translate(QStringLiteral("Successfully Converted"));
    case -2:
        return Translate(QStringLiteral("Unable to open source file for processing. Check for sharing violation."));
    case -3:
        return Translate(QStringLiteral("Unable to create Word Application. Is it installed?"));
    case -4:
        return Translate(QStringLiteral("Unable to destroy Word Application."));
    case wordroute::OutputMissing:
        return Translate(QStringLiteral("Unable to create output File."));
    case -8:
        return Translate(QStringLiteral("Input or Output file path is empty"));
    case -9:
        return Translate(QStringLiteral("File is password protected"));
    case -10:
        return WordFailureText(ControlFailureReason(control->Get(id::ErrorString).toString()));
    case -11:
        return Translate(QStringLiteral("Microsoft Office Add-in required: 'Microsoft Save as PDF or XPS'. See "))
            + QStringLiteral("https://www.microsoft.com/en-us/download/details.aspx?id=7");
    case wordroute::VersionTooNew:
        return Translate(QStringLiteral("Error 20: Version of MS Word")) + QStringLiteral(": Version (")
            + QString::number(control->Get(id::WordVersion).toDouble()) + u')';
    default:
        return QString();
    }
}

} // namespace

int ConvertViaWordControl(JobEngine& engine, clsConversionOptions& item)
{
    DispatchClient* control = nullptr;
    try {
        control = &engine.Quaystone1();
    } catch (const DispatchError& e) {
        return WordControlUnavailable(item, e);
    }
    return ConvertViaWordControl(*control, engine.form, item);
}

QString WordFailureText(const QString& reason)
{
    return OneLine(Translate(QStringLiteral("Failed to Convert. ")) + reason);
}

int WordControlUnavailable(clsConversionOptions& item, const DispatchError& e)
{
    // A control that cannot be had fails the item, not the whole run.
    item.lErr = quaystone::result::WordNotStarted;
    item.sErr = Translate(QStringLiteral("Unable to create Word Application. Is it installed?")) + u' '
        + OneLine(e.description());
    return item.lErr;
}

int ConvertViaWordControl(DispatchClient& control, const MainFormState& form, clsConversionOptions& item)
{
    int code = 0;
    try {
        code = Convert(form, control, item);
        item.sErr = GetWordErrorText(control, code);
    } catch (const DispatchError& e) {
        code = quaystone::result::Failed;
        item.sErr = WordFailureText(e.description());
    }
    item.lErr = code;
    return code;
}

QString GetWordErrorText(JobEngine& engine, int code)
{
    // Only two texts ask the control; the others need none loaded.
    const bool asks = code == -10 || code == wordroute::VersionTooNew;
    return wordErrorText(asks ? &engine.Quaystone1() : nullptr, code);
}

QString GetWordErrorText(DispatchClient& control, int code)
{
    return wordErrorText(&control, code);
}

double dWordVersion(JobEngine& engine)
{
    if (G_bCommandLineMode)
        return 12;
    try {
        return engine.Quaystone1().Get(id::WordVersion).toDouble();
    } catch (const DispatchError&) {
        return 0;
    }
}

bool bWordVersionAtLeast2007(JobEngine& engine)
{
    return dWordVersion(engine) >= 12;
}

int TestSaveAsPDF(JobEngine& engine)
{
    try {
        return engine.Quaystone1().Call(id::TestSaveAsPDF).toInt();
    } catch (const DispatchError&) {
        return quaystone::result::WordNotStarted;
    }
}

void ReleaseWordInstance(JobEngine& engine)
{
    if (engine.HasQuaystone1())
        ReleaseWordInstance(engine.Quaystone1());
}

void ReleaseWordInstance(DispatchClient& control)
{
    try {
        control.Put(id::OptimizeForSpeed, false);
    } catch (const DispatchError&) {
    }
}

QStringList QuaystoneLibraryCandidates()
{
    return ProgramLibraryCandidates(QStringLiteral(QUAYSTONE_LIBRARY), QStringLiteral(TESSAVIEW_QUAYSTONE_BUILD_DIR));
}

std::unique_ptr<DispatchClient> CreateQuaystone1()
{
    const QStringList candidates = QuaystoneLibraryCandidates();
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isFile())
            continue;
        QString error;
        std::shared_ptr<DispatchLibrary> library = DispatchLibrary::Open(path, error);
        if (!library)
            throw DispatchError(DISPATCH_E_CLASSNOTAVAILABLE, error);
        std::unique_ptr<DispatchClient> control = library->CreateObject(QStringLiteral(QUAYSTONE_PROGID));
        control->Load(Quaystone1Properties());
        return control;
    }
    throw DispatchError(DISPATCH_E_CLASSNOTAVAILABLE,
                        QStringLiteral("The Word-conversion control %1 was not found (looked for %2).")
                            .arg(QStringLiteral(QUAYSTONE_LIBRARY), candidates.join(QStringLiteral(", "))));
}
