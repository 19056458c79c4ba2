#include "engine/TextControlRoute.h"

#include "core/StringRoutines.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "engine/ConversionItem.h"
#include "engine/JobEngine.h"
#include "engine/TextControlRouteFiles.h"
#include "engine/TextControlRouteSettings.h"
#include "jobs/MainFormState.h"
#include "office/OfficeModule.h"
#include "textcontrol/TextControl.h"

namespace {

// What the main form gives its input control when it loads.
void SetTextControlStartValues(TextControl& control)
{
    control.setViewProperty(14, 3);
    control.setViewProperty(37, 2);
    control.setViewProperty(2, true);
    control.setIndexedSetting(38, true);
    control.setIndexedSetting(16, false);
    control.setIndexedSetting(15, true);
    control.setIndexedSetting(17, TextControlFieldTypes(false));
    control.setViewProperty(56, 0); // no ruler without a window
    control.setPageWidth(12240);
    control.setPageHeight(15840);
}

} // namespace

TextControlHost::TextControlHost()
    : m_engine(OfficeEngine::Create())
    , m_input(TextControl::Create(*m_engine))
    , m_output(m_input ? TextControl::Create(*m_engine) : nullptr)
{
    if (!m_input) {
        OfficeModule(m_unavailable);
        return;
    }
    m_input->setErrorHandler(TXTextControl1_Error);
    m_output->setErrorHandler(TXTextControlOutput_Error);
    SetTextControlStartValues(*m_input);
}

TextControlHost::~TextControlHost()
{
    // The documents go before the office that holds them.
    m_output.reset();
    m_input.reset();
    m_engine.reset();
}

QString TextControlUnavailableText(const TextControlHost& host)
{
    return TextWithReason(Translate(QStringLiteral("OpenFile")), host.UnavailableReason());
}

int ConvertViaTextControl(JobEngine& engine, clsConversionOptions& item)
{
    return ConvertViaTextControl(engine.TextControls(), engine.form, item, bIsTemporaryPdf(item.sTargetFile));
}

int ConvertViaTextControl(TextControlHost& host, const MainFormState& form, clsConversionOptions& item,
                          bool forRasteriser)
{
    host.Engine().setKeepAlive(form.bOptimizeForSpeed);
    if (!host.Available()) {
        item.sErr = TextControlUnavailableText(host);
        item.lErr = kTextControlLoadFailed;
        return item.lErr;
    }
    TextControl& control = host.TXTextControl1();

    // The load may swap DOC and RTF; the swap is this file's alone, the
    // task's later files start from the task's type again.
    int format = item.lOriginalFileType;
    QString error;
    int code = 0;
    if (TextControlLoadFile(item.sOriginalFile, format, control, error) != 0) {
        code = kTextControlLoadFailed;
    } else {
        try {
            ApplyTextControlSettings(form, control);
            // The runner's temporary PDF is only read back by the rasteriser,
            // which could not open it with an open password.
            if (forRasteriser) {
                control.setIndexedSetting(12, QString());
                control.setIndexedSetting(11, QString());
            }
            if (TextControlSaveFile(item.sTargetFile, item.lTargetFileType, control, error) != 0)
                code = kTextControlSaveFailed;
        } catch (const TextControlError& e) {
            code = kTextControlSaveFailed;
            error = e.description;
        }
    }
    // The document is not needed after the save; without the speed setting
    // its office goes with it.
    control.ClearDocument();

    item.sErr = error;
    item.lErr = code;
    return code;
}
