// Append files: plain text through the text-file routines, every other
// document through the main form's two text controls, so that its
// formatting survives.
#include "engine/SpecialProcess.h"

#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "engine/JobEngine.h"
#include "engine/SpecialProcessDocuments.h"
#include "engine/TextControlRouteFiles.h"
#include "jobs/MainFormState.h"
#include "linesmith/Linesmith.h"
#include "textcontrol/TextControl.h"

namespace {

int appendDocument(JobEngine& engine, clsConversionOptions& item, TextControl& input, TextControl& output)
{
    MainFormState& form = engine.form;
    QString error;

    if (const int loaded = LoadSpecialProcessInput(engine, item, input); loaded != 0)
        return loaded;
    const QString folder = GetFolderPart(item.sTargetFile);
    if (!folder.isEmpty() && !FolderExists(folder))
        CreateFolderPath(folder);
    if (!folder.isEmpty() && !FolderExists(folder))
        return specialcode::NoOutput;

    // A first item starts the output as an empty document, which reaches
    // the disk only with the appended part: a failure leaves no output.
    if (!FileExists(item.sTargetFile)) {
        output.ClearDocument();
    } else {
        int format = item.lTargetFileType;
        if (TextControlLoadFile(item.sTargetFile, format, output, error) != 0) {
            engine.sProcessNote = error;
            return specialcode::OutputNotSaved;
        }
    }

    if (form.cbPlacePathAtTopOfEachFile) {
        input.setSelectionStart(0);
        input.setSelectedText(item.sOriginalFile + QStringLiteral("\r\n"));
        // The part already in the output is headed by the output's own
        // path, once: later items find it there.
        if (!output.DocumentText().contains(item.sTargetFile)) {
            output.setSelectionStart(0);
            output.setSelectedText(item.sTargetFile + QStringLiteral("\r\n"));
        }
    }
    form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral(" 0 Percent Complete ")));
    if (form.cbAddPageBrake && !output.DocumentText().isEmpty()) {
        output.setSelectionStart(-1);
        output.setSelectedText(QString(QChar(12)));
    }
    // The appended part starts a paragraph of its own: put at the end of
    // the output's last line, its first line would join that one.
    const QString outputText = output.DocumentText();
    if (!outputText.isEmpty() && !outputText.endsWith(u'\n')) {
        output.setSelectionStart(-1);
        output.setSelectedText(QStringLiteral("\n"));
    }
    output.setSelectionStart(-1);
    form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral(" 50 Percent Complete ")));

    // All of it, whatever its plain text counts: a picture in a line
    // takes a place there without a character in the text.
    input.SelectAll();
    output.InsertData(input.CopySelectionData(QString(), 5, true), 5, true);
    form.SetStatusPanelText(statuspanel::RunState, Translate(QStringLiteral(" 100 Percent Complete ")));

    return SaveSpecialProcessOutput(engine, item, output);
}

} // namespace

int PerformAppendFile(JobEngine& engine, clsConversionOptions& item)
{
    if (item.sOriginalFile == item.sTargetFile || bSameFile(item.sOriginalFile, item.sTargetFile))
        return specialcode::SameFile;
    if (bTakesTextFileRoute(item)) {
        const QString folder = GetFolderPart(item.sTargetFile);
        if (!folder.isEmpty() && !FolderExists(folder))
            CreateFolderPath(folder);
        return ConcatenateTwoTextFilesEx(item.sOriginalFile, item.sTargetFile, engine.form.cbAddPageBrake ? 1 : 0,
                                         engine.form.cbPlacePathAtTopOfEachFile ? 1 : 0, &engine.sProcessNote);
    }
    return RunOnDocumentControls(engine, [&](TextControl& input, TextControl& output) {
        return appendDocument(engine, item, input, output);
    });
}
