#include "engine/TextControlRouteSettings.h"

#include "jobs/MainFormState.h"
#include "textcontrol/TextControl.h"

#include <QStringList>

#include <functional>

namespace {

// Field groups: text frames, headers, footers, main text, elsewhere; then
// the form fields.
constexpr int kPageCountScopes[] = {8, 2, 4, 1, 16};
constexpr int kFormFieldScope = 0;
// The flag NextFieldId takes: a 16-bit 0x8000.
constexpr int kNextFieldFlag = -32768;

const QString kDropDownValueMarker = QStringLiteral("w:listEntry w:val=");

// Runs one call; a raised error is passed over. True when it did not raise.
bool passOver(const std::function<void()>& call)
{
    try {
        call();
        return true;
    } catch (const TextControlError&) {
        return false;
    }
}

// Visits every field of one group with its data split at tabs. A field that
// fails is passed over; a group whose fields cannot be listed ends.
void forEachField(TextControl& control, int scope, const std::function<void(const QStringList& parts)>& visit)
{
    if (!passOver([&] { control.setFieldScope(scope); }))
        return;
    int id = 0;
    for (;;) {
        int next = 0;
        if (!passOver([&] { next = control.NextFieldId(id, kNextFieldFlag); }) || next <= id)
            return;
        id = next;
        passOver([&] {
            control.setCurrentFieldId(id);
            visit(control.FieldData(id).split(u'\t'));
        });
    }
}

// The chosen entry of a drop-down field's data: the value without the
// marker and without its quotes.
QString dropDownChoice(QString value)
{
    value.remove(kDropDownValueMarker);
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return value;
}

void selectWholeText(TextControl& control)
{
    control.SelectAll();
}

// Runs the settings of one group: raised errors pass to the caller until
// the page size is reached, after that each failing setting is passed over.
class SettingSteps
{
public:
    void operator()(const std::function<void()>& step) const
    {
        if (m_passOver)
            passOver(step);
        else
            step();
    }
    void passOverFromHere() { m_passOver = true; }

private:
    bool m_passOver = false;
};

} // namespace

QString TextControlFieldTypes(bool withPageCount)
{
    QStringList types{QStringLiteral("MERGEFIELD"), QStringLiteral("PRINTDATE"), QStringLiteral("FORMDROPDOWN"),
                      QStringLiteral("FORMTEXTBOX"), QStringLiteral("FORMCHECKBOX")};
    if (withPageCount)
        types << QStringLiteral("NUMPAGES");
    return types.join(u'\t');
}

void UpdateTextControlFields(TextControl& control)
{
    passOver([&] { control.setIndexedSetting(16, false); });
    passOver([&] { control.setIndexedSetting(15, true); });
    passOver([&] { control.setIndexedSetting(17, TextControlFieldTypes()); });

    for (int scope : kPageCountScopes) {
        forEachField(control, scope, [&](const QStringList& parts) {
            if (parts.first() == QLatin1String("NUMPAGES"))
                control.setCurrentFieldText(QString::number(control.PageCount()));
        });
    }
    forEachField(control, kFormFieldScope, [&](const QStringList& parts) {
        if (parts.size() >= 5 && parts.first() == QLatin1String("FORMDROPDOWN"))
            control.setCurrentFieldText(dropDownChoice(parts.at(4)));
    });
}

void ApplyTextControlSettings(const MainFormState& form, TextControl& control)
{
    UpdateTextControlFields(control);
    control.setViewProperty(39, 100);
    if (form.bOverridePageSettings || form.bOverrideParagraphSettings || form.bOverrideFontSettings)
        selectWholeText(control);
    // Only a document with images takes the embed setting; asking whether
    // it has any is a call into the office, needed only when the setting
    // would change.
    const int embedMode = form.bEmbedImageIntoOutput ? 1 : 0;
    if (control.ImageEmbedMode() != embedMode && static_cast<qint16>(control.ObjectQuery(0, 4)) != 0)
        control.setImageEmbedMode(embedMode);

    SettingSteps step;
    if (form.bOverridePageSettings) {
        const int margins[] = {form.lVyxPageMarginL, form.lVyxPageMarginT, form.lVyxPageMarginR,
                               form.lVyxPageMarginB};
        // The defaults for documents without a page layout take no 0.
        for (int i = 0; i < 4; ++i)
            control.setIndexedSetting(2 + i, margins[i] == 0 ? 1 : margins[i]);
        control.setPageMarginLeft(form.lVyxPageMarginL);
        control.setPageMarginTop(form.lVyxPageMarginT);
        control.setPageMarginRight(form.lVyxPageMarginR);
        control.setPageMarginBottom(form.lVyxPageMarginB);
        control.setIndexedSetting(9, form.lVyxStyleSheetOption);
        control.setIndexedSetting(8, form.sVyxStyleSheetFile);

        step.passOverFromHere();
        step([&] { control.setIndexedSetting(1, form.lVyxPageHeight); });
        step([&] { control.setIndexedSetting(0, form.lVyxPageWidth); });
        step([&] { control.setPageHeight(form.lVyxPageHeight); });
        step([&] { control.setPageWidth(form.lVyxPageWidth); });
    }

    if (form.bOverrideParagraphSettings) {
        step([&] { control.setAlignment(form.lVyxAlignment); });
        step([&] { control.setFrameDistance(form.lVyxFrameDistance); });
        step([&] { control.setFrameLineWidth(form.lVyxFrameLineWidth); });
        step([&] { control.setFrameStyle(form.lVyxFrameStyle); });
        step([&] { control.setIndentB(form.lVyxIndentB); });
        step([&] { control.setIndentFL(form.lVyxIndentFL); });
        step([&] { control.setIndentL(form.lVyxIndentL); });
        step([&] { control.setIndentR(form.lVyxIndentR); });
        step([&] { control.setIndentT(form.lVyxIndentT); });
        step([&] { control.setLineSpacing(form.lVyxLineSpacing); });
        step([&] { control.setLineSpacingT(form.lVyxLineSpacingT); });
    }

    if (form.bOverrideTopBottomParagraphDistance) {
        step([&] { selectWholeText(control); });
        step([&] { control.setIndentT(0); });
        step([&] { control.setIndentB(0); });
    }

    if (form.bOverrideFontSettings) {
        step([&] { control.setBaseLine(form.lVyxBaseLine); });
        step([&] { control.setFontBold(form.lVyxFontBold); });
        step([&] { control.setFontItalic(form.lVyxFontItalic); });
        step([&] { control.setFontSize(form.lVyxFontSize); });
        step([&] { control.setFontStrikethru(form.lVyxFontStrikethru); });
        step([&] { control.setFontUnderline(form.lVyxFontUnderline); });
        step([&] { control.setFontUnderlineStyle(form.lVyxFontUnderlineStyle); });
        step([&] { control.setForeColor(form.lVyxForeColor); });
        step([&] { control.setTextBkColor(form.lVyxTextBkColor); });
        step([&] { control.setFontName(form.sVyxFontName); });
    }

    if (form.bOverridePDFSettings) {
        step([&] { control.setIndexedSetting(12, form.sVyxPDFUserPassword); });
        step([&] { control.setIndexedSetting(11, form.sVyxPDFMasterPassword); });
        step([&] { control.setIndexedSetting(10, form.lDocAccessPermissions); });
    } else {
        // The permissions stay: without a permissions password they do not apply.
        step([&] { control.setIndexedSetting(12, QString()); });
        step([&] { control.setIndexedSetting(11, QString()); });
    }

    if (form.bOverrideImageSettings) {
        step([&] { control.setIndexedSetting(13, form.lImageComparessionQuality); });
        step([&] { control.setIndexedSetting(14, form.lImageMaxResolution); });
    } else {
        step([&] { control.setIndexedSetting(13, 0); });
        step([&] { control.setIndexedSetting(14, 0); });
    }
}
