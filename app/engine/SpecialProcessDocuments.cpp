#include "engine/SpecialProcessDocuments.h"

#include "engine/JobEngine.h"
#include "engine/SpecialProcess.h"
#include "engine/TextControlRoute.h"
#include "jobs/MainFormState.h"
#include "office/OfficeEngine.h"
#include "textcontrol/TextControl.h"

int RunOnDocumentControls(JobEngine& engine, const std::function<int(TextControl& input, TextControl& output)>& work)
{
    TextControlHost& host = engine.TextControls();
    host.Engine().setKeepAlive(engine.form.bOptimizeForSpeed);
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
