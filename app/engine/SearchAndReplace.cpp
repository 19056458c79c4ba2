// Search and replace: text files through the search-and-replace engine
// (regular expressions, whole words, line anchors, multi-line, a report);
// every other document in the main form's input text control, plain text
// only, every place found before the first is replaced, so that no
// replacement is searched again.
#include "engine/SearchAndReplace.h"

#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobEngine.h"
#include "engine/SpecialProcess.h"
#include "engine/SpecialProcessDocuments.h"
#include "engine/clsRexhound.h"
#include "jobs/MainFormState.h"
#include "base/Windows1252.h"
#include "textcontrol/TextControl.h"


namespace {

// The code between two markers: a whole number from 0 to 255.
bool readCode(QStringView part, QChar& c)
{
    const QStringView digits = part.trimmed();
    if (digits.isEmpty() || digits.size() > 3)
        return false;
    int code = 0;
    for (const QChar d : digits) {
        if (d < u'0' || d > u'9')
            return false;
        code = code * 10 + (d.unicode() - u'0');
    }
    if (code > 255)
        return false;
    c = Windows1252Char(static_cast<unsigned char>(code));
    return true;
}

// A find text that runs over a line end: the plain text is scanned from
// the end, and a place is replaced only when the document holds the found
// text there, so an object the text shows otherwise than by its place
// (a field, a table) never has a replacement land beside it.
void replaceOverLineEnds(JobEngine& engine, const QString& needle, const QString& replacement, Qt::CaseSensitivity cs,
                         TextControl& input)
{
    const QString text = input.DocumentText();
    const qsizetype length = text.size();
    qsizetype limit = length;
    int sinceProgress = 0;
    while (limit >= needle.size() && limit > 0) {
        const qsizetype at = text.lastIndexOf(needle, limit - needle.size(), cs);
        if (at < 0)
            break;
        limit = at;
        input.setSelectionStart(int(at));
        input.setSelectionLength(int(needle.size()));
        if (input.SelectedText().compare(needle, cs) != 0)
            continue;
        input.setSelectedText(replacement);
        if (++sinceProgress == 20) {
            sinceProgress = 0;
            ShowDocumentProgress(engine, double(length - at) * 100.0 / double(length));
        }
    }
}

int replaceInDocument(JobEngine& engine, clsConversionOptions& item, const QString& find, const QString& replacement,
                      TextControl& input)
{
    if (const int loaded = LoadSpecialProcessInput(engine, item, input); loaded != 0)
        return loaded;
    // The document's paragraph ends read as "\n", whatever line end the
    // find text codes.
    QString needle = find;
    needle.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    const Qt::CaseSensitivity cs = item.bCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;

    // Nothing to find: the document is saved as it is.
    if (needle.contains(u'\n')) {
        replaceOverLineEnds(engine, needle, replacement, cs, input);
    } else if (!needle.isEmpty()) {
        input.ReplaceText(needle, replacement, item.bCaseSensitive, [&](int done, int total) {
            ShowDocumentProgress(engine, double(done) * 100.0 / double(total));
        });
    }
    const int saved = SaveSpecialProcessOutput(engine, item, input);
    engine.form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral(" 100 Percent Complete ")));
    return saved;
}

} // namespace

bool DecodeSpecialCharacters(const QString& text, QString& decoded)
{
    decoded.clear();
    if (!text.contains(kSpecialCharacterMarker)) {
        decoded = text;
        return true;
    }
    const QStringList parts = text.split(kSpecialCharacterMarker);
    // Plain parts and codes alternate: a well-formed text has an even number
    // of markers, that is an odd number of parts.
    if (parts.size() % 2 == 0)
        return false;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i % 2 == 0) {
            decoded += parts[i];
            continue;
        }
        QChar c;
        if (!readCode(parts[i], c)) {
            decoded.clear();
            return false;
        }
        decoded += c;
    }
    return true;
}

int RunSearchAndReplaceEngine(JobEngine& engine, clsConversionOptions& item, const QString& find,
                              const QString& replacement)
{
    clsRexhound& rexhound = engine.cRexhound();
    rexhound.bCaseSensitive = item.bCaseSensitive;
    rexhound.bUseRegularExpressions = item.bUseRegularExpression;
    rexhound.bWholeWordOnly = item.bRXHDWholeWordOnly;
    rexhound.bBeginningOfLine = item.bRXHDBeginningOfLine;
    rexhound.bEndOfLine = item.bRXHDEndOfLine;
    rexhound.bMultiLine = item.bRXHDMultiLine;
    // Line and column numbers are only counted for a report.
    rexhound.bByteOffsetsOnly = !item.bRXHDGenerateReportWhenDone;
    const int r = rexhound.SearchAndReplace(item.sOriginalFile, item.sTargetFile, find, replacement);
    if (r == rexhoundcode::FileRenameError)
        engine.sProcessNote = rexhound.CopyFailureReason();
    // A report that was asked for and is missing is this item's failure.
    if (item.bRXHDGenerateReportWhenDone && r == 0 && !rexhound.SaveDataToTabFile(engine.form.sRXHDReportFileName)) {
        engine.sProcessNote = engine.form.sRXHDReportFileName;
        return kReportNotWritten;
    }
    return r;
}

int ReplaceInDocument(JobEngine& engine, clsConversionOptions& item, const QString& find, const QString& replacement)
{
    return RunOnDocumentControls(engine, [&](TextControl& input, TextControl&) {
        return replaceInDocument(engine, item, find, replacement, input);
    });
}

int PerformSearchAndReplace(JobEngine& engine, clsConversionOptions& item)
{
    // Both texts are decoded once, here; a code that cannot be read fails
    // the item rather than turning into an empty text.
    QString find;
    QString replacement;
    if (!DecodeSpecialCharacters(item.sFindString, find) || !DecodeSpecialCharacters(item.sReplaceString, replacement)) {
        item.lErr = specialcode::BadSpecialCharacters;
        item.sErr = GetItemErrorText(item);
        return item.lErr;
    }
    int r;
    if (bPlainTextType(item.lOriginalFileType)) {
        r = RunSearchAndReplaceEngine(engine, item, find, replacement);
        item.sErr = engine.cRexhound().SearchAndReplaceErrorString(r);
        if (r != 0 && !engine.sProcessNote.isEmpty())
            item.sErr = TextWithReason(item.sErr, engine.sProcessNote);
    } else {
        r = ReplaceInDocument(engine, item, find, replacement);
        item.lErr = r;
        item.sErr = GetItemErrorText(item);
        if (r != 0 && !engine.sProcessNote.isEmpty())
            item.sErr = TextWithReason(item.sErr, engine.sProcessNote);
    }
    return r;
}
