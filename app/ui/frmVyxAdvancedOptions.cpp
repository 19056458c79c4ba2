#include "ui/frmVyxAdvancedOptions.h"

#include "core/Globals.h"
#include "ui/FormTranslation.h"
#include "ui/TextFormatDialogs.h"
#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* wrapped(QLabel* label)
{
    label->setWordWrap(true);
    return label;
}

} // namespace

frmVyxAdvancedOptions::frmVyxAdvancedOptions(const FormattingValues& values, FormattingDialogOpeners openers,
                                             QWidget* parent)
    : OptionDialog(parent)
    , m_openers(std::move(openers))
{
    setObjectName(QStringLiteral("frmVyxAdvancedOptions"));
    setWindowTitle(QStringLiteral("Document Formatting Options"));
    if (!m_openers.FontDialog)
        m_openers.FontDialog = [](QWidget* owner, FontValues& font) {
            TextFontDialog dialog(font, owner);
            if (dialog.exec() != QDialog::Accepted)
                return false;
            font = dialog.values();
            return true;
        };
    if (!m_openers.ParagraphDialog)
        m_openers.ParagraphDialog = [](QWidget* owner, ParagraphValues& paragraph) {
            TextParagraphDialog dialog(paragraph, owner);
            if (dialog.exec() != QDialog::Accepted)
                return false;
            paragraph = dialog.values();
            return true;
        };
    buildWidgets();
    Form_Load(values);
}

void frmVyxAdvancedOptions::buildWidgets()
{
    tsDisplay = named(new QTabWidget, "tsDisplay");
    // Room for all five tabs and the long image texts.
    setMinimumWidth(760);
    setCycledTabs(tsDisplay);
    for (int i = 0; i < 5; ++i)
        FrameArray[i] = named(new QGroupBox, "FrameArray");

    // Page and document.
    cbChangePageSettings =
        named(new QCheckBox(QStringLiteral("Enforce &Page And Document Settings")), "cbChangePageSettings");
    cmdChangePageSettings =
        named(new QPushButton(QStringLiteral("Change Page and Document Settings")), "cmdChangePageSettings");
    auto* units = named(new QGroupBox(QStringLiteral("Units")), "frameUnits");
    rbUnits[1] = named(new QRadioButton(QStringLiteral("English")), "rbUnits_1");
    rbUnits[2] = named(new QRadioButton(QStringLiteral("Metric")), "rbUnits_2");
    auto* unitRow = new QHBoxLayout(units);
    unitRow->addWidget(rbUnits[1]);
    unitRow->addWidget(rbUnits[2]);
    auto* page = new QVBoxLayout(FrameArray[0]);
    page->addWidget(cbChangePageSettings);
    page->addWidget(cmdChangePageSettings);
    page->addWidget(units);
    page->addStretch();

    // Paragraph.
    cbChangeParagraphSettings =
        named(new QCheckBox(QStringLiteral("Enforce Paragraph Formatting")), "cbChangeParagraphSettings");
    cmdChangeParagraphSettings =
        named(new QPushButton(QStringLiteral("Change Paragraph Formatting")), "cmdChangeParagraphSettings");
    lblParagraphSummary = wrapped(named(new QLabel, "lblParagraphSummary"));
    lblParagraphSummary->setProperty("Tag", QStringLiteral("TranslateFalse"));
    auto* paragraph = new QVBoxLayout(FrameArray[1]);
    paragraph->addWidget(cbChangeParagraphSettings);
    paragraph->addWidget(cmdChangeParagraphSettings);
    paragraph->addWidget(lblParagraphSummary);
    paragraph->addStretch();

    // Font.
    cbChangeFontSettings = named(new QCheckBox(QStringLiteral("Enforce &Font")), "cbChangeFontSettings");
    cmdChangeFontSettings = named(new QPushButton(QStringLiteral("Change Font")), "cmdChangeFontSettings");
    lblFontSummary = wrapped(named(new QLabel, "lblFontSummary"));
    lblFontSummary->setProperty("Tag", QStringLiteral("TranslateFalse"));
    auto* font = new QVBoxLayout(FrameArray[2]);
    font->addWidget(cbChangeFontSettings);
    font->addWidget(cmdChangeFontSettings);
    font->addWidget(lblFontSummary);
    font->addStretch();

    // PDF.
    cbChangePDFSettings = named(new QCheckBox(QStringLiteral("Enforce PDF Settings")), "cbChangePDFSettings");
    cmdChangePDFSettings = named(new QPushButton(QStringLiteral("Change PDF Settings")), "cmdChangePDFSettings");
    auto* pdf = new QVBoxLayout(FrameArray[3]);
    pdf->addWidget(cbChangePDFSettings);
    pdf->addWidget(cmdChangePDFSettings);
    pdf->addStretch();

    // Image quality.
    cbChangeImageQuality =
        named(new QCheckBox(QStringLiteral("Enforce Image Quality Settings")), "cbChangeImageQuality");
    frameImageQuality = named(new QGroupBox, "frameImageQuality");
    comboImageCompressionQuality = named(new QComboBox, "comboImageCompressionQuality");
    txtImageResolution = named(new QLineEdit, "txtImageResolution");
    auto* quality = new QGridLayout(frameImageQuality);
    quality->addWidget(
        wrapped(new QLabel(QStringLiteral("Image Compression Quality (100 highest, 1 lowest quality. 0 for default)"))),
        0, 0);
    quality->addWidget(comboImageCompressionQuality, 0, 1);
    quality->addWidget(wrapped(new QLabel(QStringLiteral(
                           "Image Resolution (Sets the maximum resolution for all images in the document in dots per "
                           "inch when the document is saved. If an image's resolution is larger than this property's "
                           "value, it is reduced, otherwise it is not changed. If this property's value is zero, "
                           "which is the default value, the default resolution of each image is used.)"))),
                       1, 0);
    quality->addWidget(txtImageResolution, 1, 1);
    cbEmbedImageIntoOutput = named(new QCheckBox(QStringLiteral("Embed Images Into Output")), "cbEmbedImageIntoOutput");
    auto* image = new QVBoxLayout(FrameArray[4]);
    image->addWidget(cbChangeImageQuality);
    image->addWidget(frameImageQuality);
    image->addWidget(cbEmbedImageIntoOutput);
    image->addStretch();

    addTab(tsDisplay, QStringLiteral("Page And Document Settings"), FrameArray[0]);
    addTab(tsDisplay, QStringLiteral("Paragraph Formatting"), FrameArray[1]);
    addTab(tsDisplay, QStringLiteral("Font"), FrameArray[2]);
    addTab(tsDisplay, QStringLiteral("PDF Options"), FrameArray[3]);
    addTab(tsDisplay, QStringLiteral("Image Quality"), FrameArray[4]);

    cmdApply = named(new QPushButton(QStringLiteral("&Apply")), "cmdApply");
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel")), "cmdCancel");
    cmdOptions = named(new QPushButton(QStringLiteral("Options")), "cmdOptions");
    cmdApply->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOptions);
    buttons->addStretch();
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("The output file can be modfied by changing the settings below:")));
    column->addWidget(tsDisplay);
    column->addLayout(buttons);

    for (QCheckBox* box : {cbChangePageSettings, cbChangeParagraphSettings, cbChangeFontSettings, cbChangePDFSettings,
                           cbChangeImageQuality})
        connect(box, &QCheckBox::toggled, this, [this] { followBoxes(); });
    connect(rbUnits[1], &QRadioButton::clicked, this, [] { glnMeasurement = 1; });
    connect(rbUnits[2], &QRadioButton::clicked, this, [] { glnMeasurement = 2; });
    connect(cmdChangeFontSettings, &QPushButton::clicked, this, [this] {
        if (m_openers.FontDialog(this, m_font))
            showSummaries();
    });
    connect(cmdChangeParagraphSettings, &QPushButton::clicked, this, [this] {
        if (m_openers.ParagraphDialog(this, m_paragraph))
            showSummaries();
    });
    connect(cmdChangePageSettings, &QPushButton::clicked, this, [this] {
        if (m_openers.ShowPageSetup)
            m_openers.ShowPageSetup(this);
    });
    connect(cmdChangePDFSettings, &QPushButton::clicked, this, [this] {
        if (m_openers.ShowPdfSettings)
            m_openers.ShowPdfSettings(this);
    });
    connect(cmdOptions, &QPushButton::clicked, this, [this] {
        if (m_openers.ShowProgramOptions)
            m_openers.ShowProgramOptions(this);
    });
    connect(cmdApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmVyxAdvancedOptions::Form_Load(const FormattingValues& v)
{
    TranslateForm(this);
    tsDisplay->setCurrentIndex(0);
    cbChangePageSettings->setChecked(v.bOverridePageSettings);
    cbChangeParagraphSettings->setChecked(v.bOverrideParagraphSettings);
    cbChangeFontSettings->setChecked(v.bOverrideFontSettings);
    cbChangeImageQuality->setChecked(v.bOverrideImageSettings);
    cbChangePDFSettings->setChecked(v.bOverridePDFSettings);
    m_paragraph = v.paragraph;
    m_font = v.font;
    for (int i = 0; i <= 100; ++i)
        comboImageCompressionQuality->addItem(QString::number(i));
    comboImageCompressionQuality->setCurrentIndex(v.qualityIndex);
    txtImageResolution->setText(v.resolutionText);
    cbEmbedImageIntoOutput->setChecked(v.bEmbedImageIntoOutput);
    rbUnits[glnMeasurement == 1 ? 1 : 2]->setChecked(true);
    followBoxes();
    showSummaries();
}

void frmVyxAdvancedOptions::followBoxes()
{
    cmdChangePageSettings->setVisible(cbChangePageSettings->isChecked());
    cmdChangeParagraphSettings->setVisible(cbChangeParagraphSettings->isChecked());
    cmdChangeFontSettings->setVisible(cbChangeFontSettings->isChecked());
    cmdChangePDFSettings->setVisible(cbChangePDFSettings->isChecked());
    frameImageQuality->setVisible(cbChangeImageQuality->isChecked());
    lblFontSummary->setVisible(cbChangeFontSettings->isChecked());
    lblParagraphSummary->setVisible(cbChangeParagraphSettings->isChecked());
}

void frmVyxAdvancedOptions::showSummaries()
{
    // A preview of what is enforced, in the fonts and layout chosen.
    lblFontSummary->setFont(FontOfValues(m_font));
    QPalette palette = lblFontSummary->palette();
    palette.setColor(QPalette::WindowText, ColorOfBgr(m_font.lVyxForeColor));
    lblFontSummary->setPalette(palette);
    lblFontSummary->setText(m_font.sVyxFontName + QStringLiteral(" ") + QString::number(m_font.lVyxFontSize)
                            + QStringLiteral(" pt"));
    static constexpr Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    lblParagraphSummary->setAlignment(alignments[qBound(0, m_paragraph.lVyxAlignment, 3)]);
    lblParagraphSummary->setIndent(m_paragraph.lVyxIndentL / 20);
    lblParagraphSummary->setText(QStringLiteral("Lorem ipsum dolor sit amet, consectetur adipiscing elit."));
}

FormattingValues frmVyxAdvancedOptions::values() const
{
    FormattingValues v;
    v.bOverridePageSettings = cbChangePageSettings->checkState() == Qt::Checked;
    v.bOverrideParagraphSettings = cbChangeParagraphSettings->checkState() == Qt::Checked;
    v.bOverrideFontSettings = cbChangeFontSettings->checkState() == Qt::Checked;
    v.bOverridePDFSettings = cbChangePDFSettings->checkState() == Qt::Checked;
    v.bOverrideImageSettings = cbChangeImageQuality->checkState() == Qt::Checked;
    v.paragraph = m_paragraph;
    v.font = m_font;
    v.qualityIndex = comboImageCompressionQuality->currentIndex();
    v.resolutionText = txtImageResolution->text();
    v.bEmbedImageIntoOutput = cbEmbedImageIntoOutput->checkState() == Qt::Checked;
    return v;
}
