#include "engine/SpecialProcessDocuments.h"

#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/JobEngine.h"
#include "engine/SpecialProcess.h"
#include "engine/TextControlRoute.h"
#include "engine/TextControlRouteFiles.h"
#include "jobs/MainFormState.h"
#include "office/OfficeEngine.h"
#include "textcontrol/TextControl.h"

#include <QLocale>

int RunOnDocumentControls(JobEngine& engine, const std::function<int(TextControl& input, TextControl& output)>& work)
{
    TextControlHost& host = engine.TextControls();
    host.Engine().setKeepAlive(engine.form.bOptimizeForSpeed);
    if (!host.Available()) {
        engine.sProcessNote = TextControlUnavailableText(host);
        return specialcode::InputNotLoaded;
    }
    TextControl& input = host.TXTextControl1();
    TextControl& output = host.TXTextControlOutput();
    int code = 0;
    try {
        code = work(input, output);
    } catch (const TextControlError& e) {
        engine.sProcessNote = e.description;
        code = specialcode::OutputNotSaved;
    }
    input.ClearDocument();
    output.ClearDocument();
    return code;
}

int LoadSpecialProcessInput(JobEngine& engine, const clsConversionOptions& item, TextControl& control)
{
    // A DOC/RTF swap of the load is this file's alone.
    int format = item.lOriginalFileType;
    QString error;
    if (TextControlLoadFile(item.sOriginalFile, format, control, error) == 0)
        return 0;
    engine.sProcessNote = error;
    return specialcode::InputNotLoaded;
}

int SaveSpecialProcessOutput(JobEngine& engine, const clsConversionOptions& item, TextControl& control)
{
    QString error;
    if (TextControlSaveFile(item.sTargetFile, item.lTargetFileType, control, error) == 0)
        return 0;
    engine.sProcessNote = error;
    return specialcode::OutputNotSaved;
}

void ShowDocumentProgress(JobEngine& engine, double percent)
{
    engine.form.SetStatusPanelText(statuspanel::RunState, QStringLiteral(" ") + QLocale().toString(percent, 'f', 1)
                                                              + Translate(QStringLiteral(" Percent Complete ")));
    engine.ShowElapsed();
    engine.form.DoEvents();
}
