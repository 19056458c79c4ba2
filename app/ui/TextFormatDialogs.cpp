#include "ui/TextFormatDialogs.h"

#include "core/Translator.h"
#include "ui/FormTranslation.h"
#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kTwipsPerPoint = 20;

QDoubleSpinBox* pointsBox(const char* name, double minimum, int twips)
{
    auto* box = named(new QDoubleSpinBox, name);
    box->setRange(minimum, 1584.0);   // 22 inches
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" pt"));
    box->setValue(double(twips) / kTwipsPerPoint);
    return box;
}

int twipsOf(const QDoubleSpinBox* box)
{
    return int(std::lround(box->value() * kTwipsPerPoint));
}

// A swatch of the colour beside the button's text; none for "no colour".
void setButtonColor(QPushButton* button, int bgr, bool none = false)
{
    QPixmap swatch(16, 16);
    swatch.fill(none ? Qt::transparent : ColorOfBgr(bgr));
    button->setIcon(QIcon(swatch));
}

QPushButton* okButton(QWidget* dialog, QPushButton*& ok, QPushButton*& cancel, QVBoxLayout* column)
{
    ok = named(new QPushButton(QStringLiteral("Ok")), "cmdOK");
    cancel = named(new QPushButton(QStringLiteral("Cancel")), "cmdCancel");
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, dialog, [dialog] { static_cast<QDialog*>(dialog)->accept(); });
    QObject::connect(cancel, &QPushButton::clicked, dialog, [dialog] { static_cast<QDialog*>(dialog)->reject(); });
    return ok;
}

} // namespace

QFont FontOfValues(const FontValues& v)
{
    QFont font(v.sVyxFontName);
    if (v.lVyxFontSize > 0)
        font.setPointSize(v.lVyxFontSize);
    font.setBold(v.lVyxFontBold != 0);
    font.setItalic(v.lVyxFontItalic != 0);
    font.setStrikeOut(v.lVyxFontStrikethru != 0);
    font.setUnderline(v.lVyxFontUnderline != 0);
    return font;
}

void SetFontValues(const QFont& font, FontValues& v)
{
    v.sVyxFontName = font.family();
    v.lVyxFontSize = font.pointSize() > 0 ? font.pointSize() : v.lVyxFontSize;
    v.lVyxFontBold = font.bold() ? 1 : 0;
    v.lVyxFontItalic = font.italic() ? 1 : 0;
    v.lVyxFontStrikethru = font.strikeOut() ? 1 : 0;
    v.lVyxFontUnderline = font.underline() ? 1 : 0;
}

QColor ColorOfBgr(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int BgrOfColor(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

// ---- Font -----------------------------------------------------------------

TextFontDialog::TextFontDialog(const FontValues& values, QWidget* parent) : OptionDialog(parent), m_values(values)
{
    setObjectName(QStringLiteral("TextFontDialog"));
    setWindowTitle(QStringLiteral("Font"));

    fontChooser = named(new QFontDialog(FontOfValues(values)), "fontChooser");
    fontChooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fontChooser->setWindowFlags(Qt::Widget);
    // Escape in the embedded chooser cancels this dialog, not the chooser alone.
    connect(fontChooser, &QDialog::rejected, this, &QDialog::reject);

    auto* extras = named(new QGroupBox(QStringLiteral("Colour, underline and baseline")), "frameEffects");
    cmdForeColor = named(new QPushButton(QStringLiteral("Text colour..")), "cmdForeColor");
    chkTextBackground = named(new QCheckBox(QStringLiteral("Text background")), "chkTextBackground");
    cmdTextBkColor = named(new QPushButton(QStringLiteral("Background colour..")), "cmdTextBkColor");
    cboUnderlineStyle = named(new QComboBox, "cboUnderlineStyle");
    cboUnderlineStyle->addItems({Translate(QStringLiteral("Single")), Translate(QStringLiteral("Double")),
                                 Translate(QStringLiteral("Dotted")), Translate(QStringLiteral("Dashed")),
                                 Translate(QStringLiteral("Wave"))});
    spnBaseLine = pointsBox("spnBaseLine", -1584.0, values.lVyxBaseLine);
    auto* extraGrid = new QFormLayout(extras);
    extraGrid->addRow(cmdForeColor);
    extraGrid->addRow(chkTextBackground, cmdTextBkColor);
    extraGrid->addRow(new QLabel(QStringLiteral("Underline style:")), cboUnderlineStyle);
    extraGrid->addRow(new QLabel(QStringLiteral("Baseline (raised; negative lowers):")), spnBaseLine);

    lblPreview = named(new QLabel, "lblPreview");
    lblPreview->setText(QStringLiteral("AaBbYyZz 0123"));
    lblPreview->setProperty("Tag", QStringLiteral("TranslateFalse"));
    lblPreview->setMinimumHeight(60);
    lblPreview->setAlignment(Qt::AlignCenter);
    lblPreview->setFrameShape(QFrame::StyledPanel);
    lblPreview->setAutoFillBackground(true);

    auto* column = new QVBoxLayout(this);
    column->addWidget(fontChooser);
    column->addWidget(extras);
    column->addWidget(lblPreview);
    okButton(this, cmdOK, cmdCancel, column);

    chkTextBackground->setChecked(values.lVyxTextBkColor != 0);
    cmdTextBkColor->setEnabled(values.lVyxTextBkColor != 0);
    const int style = values.lVyxFontUnderlineStyle;
    cboUnderlineStyle->setCurrentIndex(style >= 1 && style <= 5 ? style - 1 : 0);
    setButtonColor(cmdForeColor, values.lVyxForeColor);
    setButtonColor(cmdTextBkColor, values.lVyxTextBkColor, values.lVyxTextBkColor == 0);

    connect(fontChooser, &QFontDialog::currentFontChanged, this, [this] { updatePreview(); });
    connect(cmdForeColor, &QPushButton::clicked, this, [this] {
        pickColor(m_values.lVyxForeColor);
        setButtonColor(cmdForeColor, m_values.lVyxForeColor);
    });
    connect(cmdTextBkColor, &QPushButton::clicked, this, [this] {
        pickColor(m_values.lVyxTextBkColor);
        setButtonColor(cmdTextBkColor, m_values.lVyxTextBkColor, m_values.lVyxTextBkColor == 0);
    });
    connect(chkTextBackground, &QCheckBox::toggled, this, [this](bool on) {
        cmdTextBkColor->setEnabled(on);
        // 0 is the control's "no background"; white is a background to start from.
        m_values.lVyxTextBkColor = on ? (m_values.lVyxTextBkColor ? m_values.lVyxTextBkColor : 0xFFFFFF) : 0;
        setButtonColor(cmdTextBkColor, m_values.lVyxTextBkColor, !on);
        updatePreview();
    });
    connect(cboUnderlineStyle, &QComboBox::currentIndexChanged, this, [this] { updatePreview(); });
    connect(spnBaseLine, &QDoubleSpinBox::valueChanged, this, [this] { updatePreview(); });
    TranslateForm(this);
    updatePreview();
}

void TextFontDialog::pickColor(int& bgr)
{
    const QColor chosen = QColorDialog::getColor(ColorOfBgr(bgr), this);
    if (chosen.isValid())
        bgr = BgrOfColor(chosen);
    updatePreview();
}

FontValues TextFontDialog::values() const
{
    FontValues v = m_values;
    SetFontValues(fontChooser->currentFont(), v);
    v.lVyxFontUnderlineStyle = cboUnderlineStyle->currentIndex() + 1;
    v.lVyxBaseLine = twipsOf(spnBaseLine);
    return v;
}

void TextFontDialog::updatePreview()
{
    const FontValues v = values();
    lblPreview->setFont(FontOfValues(v));
    QPalette palette = lblPreview->palette();
    palette.setColor(QPalette::WindowText, ColorOfBgr(v.lVyxForeColor));
    if (v.lVyxTextBkColor != 0)
        palette.setColor(QPalette::Window, ColorOfBgr(v.lVyxTextBkColor));
    else
        palette.setColor(QPalette::Window, this->palette().color(QPalette::Base));
    lblPreview->setPalette(palette);
    // A raised or lowered baseline moves the sample up or down.
    lblPreview->setAlignment(Qt::AlignHCenter | (v.lVyxBaseLine > 0 ? Qt::AlignTop : v.lVyxBaseLine < 0 ? Qt::AlignBottom : Qt::AlignVCenter));
}

// ---- Paragraph ------------------------------------------------------------

TextParagraphDialog::TextParagraphDialog(const ParagraphValues& values, QWidget* parent) : OptionDialog(parent)
{
    setObjectName(QStringLiteral("TextParagraphDialog"));
    setWindowTitle(QStringLiteral("Paragraph"));

    cboAlignment = named(new QComboBox, "cboAlignment");
    cboAlignment->addItems({Translate(QStringLiteral("Left")), Translate(QStringLiteral("Right")),
                            Translate(QStringLiteral("Centred")), Translate(QStringLiteral("Justified"))});
    cboAlignment->setCurrentIndex(values.lVyxAlignment >= 0 && values.lVyxAlignment <= 3 ? values.lVyxAlignment : 0);
    spnIndentL = pointsBox("spnIndentL", 0.0, values.lVyxIndentL);
    spnIndentR = pointsBox("spnIndentR", 0.0, values.lVyxIndentR);
    spnIndentFL = pointsBox("spnIndentFL", -1584.0, values.lVyxIndentFL);
    spnIndentT = pointsBox("spnIndentT", 0.0, values.lVyxIndentT);
    spnIndentB = pointsBox("spnIndentB", 0.0, values.lVyxIndentB);
    spnLineSpacing = named(new QSpinBox, "spnLineSpacing");
    spnLineSpacing->setRange(0, 1000);
    spnLineSpacing->setSuffix(QStringLiteral(" %"));
    spnLineSpacing->setValue(values.lVyxLineSpacing);
    spnLineSpacingT = pointsBox("spnLineSpacingT", 0.0, values.lVyxLineSpacingT);

    auto* layout = named(new QGroupBox(QStringLiteral("Indents and spacing")), "frameIndents");
    auto* form = new QFormLayout(layout);
    form->addRow(new QLabel(QStringLiteral("Alignment:")), cboAlignment);
    form->addRow(new QLabel(QStringLiteral("Left indent:")), spnIndentL);
    form->addRow(new QLabel(QStringLiteral("Right indent:")), spnIndentR);
    form->addRow(new QLabel(QStringLiteral("First line:")), spnIndentFL);
    form->addRow(new QLabel(QStringLiteral("Space above:")), spnIndentT);
    form->addRow(new QLabel(QStringLiteral("Space below:")), spnIndentB);
    form->addRow(new QLabel(QStringLiteral("Line spacing (0 keeps the document's):")), spnLineSpacing);
    form->addRow(new QLabel(QStringLiteral("Exact line spacing (0 keeps the document's):")), spnLineSpacingT);

    auto* frame = named(new QGroupBox(QStringLiteral("Frame")), "frameFrame");
    chkFrame[0] = named(new QCheckBox(QStringLiteral("Left line")), "chkFrameLeft");
    chkFrame[1] = named(new QCheckBox(QStringLiteral("Right line")), "chkFrameRight");
    chkFrame[2] = named(new QCheckBox(QStringLiteral("Top line")), "chkFrameTop");
    chkFrame[3] = named(new QCheckBox(QStringLiteral("Bottom line")), "chkFrameBottom");
    chkFrame[4] = named(new QCheckBox(QStringLiteral("Box")), "chkFrameBox");
    spnFrameLineWidth = pointsBox("spnFrameLineWidth", 0.0, values.lVyxFrameLineWidth);
    spnFrameDistance = pointsBox("spnFrameDistance", 0.0, values.lVyxFrameDistance);
    auto* frameGrid = new QGridLayout(frame);
    for (int i = 0; i < 5; ++i) {
        chkFrame[i]->setChecked((values.lVyxFrameStyle & (1 << i)) != 0);
        frameGrid->addWidget(chkFrame[i], i / 3, i % 3);
        connect(chkFrame[i], &QCheckBox::toggled, this, [this] { updatePreview(); });
    }
    frameGrid->addWidget(new QLabel(QStringLiteral("Line width:")), 2, 0);
    frameGrid->addWidget(spnFrameLineWidth, 2, 1);
    frameGrid->addWidget(new QLabel(QStringLiteral("Distance to text:")), 3, 0);
    frameGrid->addWidget(spnFrameDistance, 3, 1);

    txtPreview = named(new QTextEdit, "txtPreview");
    txtPreview->setReadOnly(true);
    txtPreview->setMinimumHeight(120);

    auto* column = new QVBoxLayout(this);
    column->addWidget(layout);
    column->addWidget(frame);
    column->addWidget(txtPreview);
    okButton(this, cmdOK, cmdCancel, column);

    connect(cboAlignment, &QComboBox::currentIndexChanged, this, [this] { updatePreview(); });
    for (QDoubleSpinBox* box : {spnIndentL, spnIndentR, spnIndentFL, spnIndentT, spnIndentB, spnLineSpacingT,
                                spnFrameLineWidth, spnFrameDistance})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { updatePreview(); });
    connect(spnLineSpacing, &QSpinBox::valueChanged, this, [this] { updatePreview(); });
    TranslateForm(this);
    updatePreview();
}

ParagraphValues TextParagraphDialog::values() const
{
    ParagraphValues v;
    v.lVyxAlignment = cboAlignment->currentIndex();
    v.lVyxIndentL = twipsOf(spnIndentL);
    v.lVyxIndentR = twipsOf(spnIndentR);
    v.lVyxIndentFL = twipsOf(spnIndentFL);
    v.lVyxIndentT = twipsOf(spnIndentT);
    v.lVyxIndentB = twipsOf(spnIndentB);
    v.lVyxLineSpacing = spnLineSpacing->value();
    v.lVyxLineSpacingT = twipsOf(spnLineSpacingT);
    v.lVyxFrameStyle = 0;
    for (int i = 0; i < 5; ++i)
        if (chkFrame[i]->isChecked())
            v.lVyxFrameStyle |= 1 << i;
    v.lVyxFrameLineWidth = twipsOf(spnFrameLineWidth);
    v.lVyxFrameDistance = twipsOf(spnFrameDistance);
    return v;
}

void TextParagraphDialog::updatePreview()
{
    const ParagraphValues v = values();
    static constexpr Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
    QTextBlockFormat format;
    format.setAlignment(alignments[qBound(0, v.lVyxAlignment, 3)]);
    format.setLeftMargin(v.lVyxIndentL / double(kTwipsPerPoint));
    format.setRightMargin(v.lVyxIndentR / double(kTwipsPerPoint));
    format.setTextIndent(v.lVyxIndentFL / double(kTwipsPerPoint));
    format.setTopMargin(v.lVyxIndentT / double(kTwipsPerPoint));
    format.setBottomMargin(v.lVyxIndentB / double(kTwipsPerPoint));
    if (v.lVyxLineSpacingT > 0)
        format.setLineHeight(v.lVyxLineSpacingT / double(kTwipsPerPoint), QTextBlockFormat::FixedHeight);
    else if (v.lVyxLineSpacing > 0)
        format.setLineHeight(v.lVyxLineSpacing, QTextBlockFormat::ProportionalHeight);
    const QString sample = QStringLiteral(
        "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore et "
        "dolore magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris.");
    txtPreview->clear();
    QTextCursor cursor(txtPreview->document());
    for (int i = 0; i < 2; ++i) {
        if (i)
            cursor.insertBlock();
        cursor.setBlockFormat(format);
        cursor.insertText(sample);
    }
    txtPreview->setStyleSheet(v.lVyxFrameStyle ? QStringLiteral("QTextEdit { border: %1px solid palette(text); }")
                                                     .arg(qMax(1, v.lVyxFrameLineWidth / kTwipsPerPoint))
                                               : QString());
}
