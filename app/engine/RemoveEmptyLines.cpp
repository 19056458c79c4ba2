// Remove empty lines: plain text through the text-file routines, every
// other document through the main form's input text control, which keeps
// the formatting of the lines that remain.
#include "engine/SpecialProcess.h"

#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobEngine.h"
#include "engine/SpecialProcessDocuments.h"
#include "jobs/MainFormState.h"
#include "linesmith/Linesmith.h"
#include "textcontrol/TextControl.h"


namespace {

// The document less its blank paragraphs, found in the office's own model
// (so fields and tables cannot shift them), with everything else as it
// was: the lines kept keep their formatting, and so do the document's
// page layout, headers and tables.
int removeFromDocument(JobEngine& engine, clsConversionOptions& item, TextControl& input)
{
    if (const int loaded = LoadSpecialProcessInput(engine, item, input); loaded != 0)
        return loaded;
    input.RemoveBlankParagraphs([&](int done, int total) {
        ShowDocumentProgress(engine, double(done) * 100.0 / double(total));
    });
    engine.form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral(" 100 Percent Complete ")));
    return SaveSpecialProcessOutput(engine, item, input);
}

} // namespace

int PerformRemoveEmptyLines(JobEngine& engine, clsConversionOptions& item)
{
    if (bTakesTextFileRoute(item))
        return DeleteEmptyLinesFromTextFile(item.sOriginalFile, item.sTargetFile, &engine.sProcessNote);
    return RunOnDocumentControls(engine, [&](TextControl& input, TextControl&) {
        return removeFromDocument(engine, item, input);
    });
}
