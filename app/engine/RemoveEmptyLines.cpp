// Remove empty lines: plain text through the text-file routines, every
// other document line by line through the main form's two text controls,
// which keeps the formatting of the lines that remain.
#include "engine/SpecialProcess.h"

#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobEngine.h"
#include "engine/SpecialProcessDocuments.h"
#include "jobs/MainFormState.h"
#include "linesmith/Linesmith.h"
#include "textcontrol/TextControl.h"


namespace {

// A line is empty when it holds nothing but white space: blanks, tabs,
// and the other spaces an office puts into a run of blanks.
bool isEmptyLine(QStringView line)
{
    for (const QChar c : line)
        if (!c.isSpace())
            return false;
    return true;
}

int removeFromDocument(JobEngine& engine, clsConversionOptions& item, TextControl& input, TextControl& output)
{
    if (const int loaded = LoadSpecialProcessInput(engine, item, input); loaded != 0)
        return loaded;
    const QString text = input.DocumentText();
    const qsizetype length = text.size();
    output.ClearDocument();

    // Each kept line goes over with its paragraph end, so the lines stay
    // apart and keep their paragraph formatting.
    bool endsWithParagraphEnd = false;
    int sinceProgress = 0;
    for (qsizetype start = 0; start <= length;) {
        const qsizetype lf = text.indexOf(u'\n', start);
        const qsizetype lineEnd = lf < 0 ? length : lf;
        if (!isEmptyLine(QStringView(text).sliced(start, lineEnd - start))) {
            const qsizetype next = lf < 0 ? length : lf + 1;
            input.setSelectionStart(int(start));
            input.setSelectionLength(int(next - start));
            const TextControlData line = input.SelectedFormattedText();
            output.setSelectionStart(-1);
            output.setSelectedFormattedText(line);
            endsWithParagraphEnd = lf >= 0;
        }
        if (lf < 0)
            break;
        start = lf + 1;
        if (++sinceProgress == 20) {
            sinceProgress = 0;
            ShowDocumentProgress(engine, double(lf) * 100.0 / double(length + 2));
        }
    }
    // The last line kept brought a paragraph end that nothing follows.
    if (endsWithParagraphEnd) {
        const QString kept = output.DocumentText();
        if (kept.endsWith(u'\n')) {
            output.setSelectionStart(int(kept.size() - 1));
            output.setSelectionLength(1);
            output.setSelectedText(QString());
        }
    }
    engine.form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral(" 100 Percent Complete ")));

    return SaveSpecialProcessOutput(engine, item, output);
}

} // namespace

int PerformRemoveEmptyLines(JobEngine& engine, clsConversionOptions& item)
{
    if (bTakesTextFileRoute(item))
        return DeleteEmptyLinesFromTextFile(item.sOriginalFile, item.sTargetFile, &engine.sProcessNote);
    return RunOnDocumentControls(engine, [&](TextControl& input, TextControl& output) {
        return removeFromDocument(engine, item, input, output);
    });
}
