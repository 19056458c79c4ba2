#include "ui/frmVyxPageDlg.h"

#include "core/Globals.h"
#include "engine/TextControlRouteFiles.h"
#include "ui/FormTranslation.h"
#include "ui/WidgetNames.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmVyxPageDlg::frmVyxPageDlg(const PageSetupValues& values, QWidget* parent) : OptionDialog(parent)
{
    setObjectName(QStringLiteral("frmVyxPageDlg"));
    setWindowTitle(QStringLiteral("Page Setup"));

    auto* paper = named(new QGroupBox(QStringLiteral("&Paper size")), QStringLiteral("framePaper"));
    cboPaperSize = named(new QComboBox, QStringLiteral("cboPaperSize"));
    txtPaperWidth = named(new QLineEdit, QStringLiteral("txtPaperWidth"));
    txtPaperHeight = named(new QLineEdit, QStringLiteral("txtPaperHeight"));
    rbPortrait = named(new QRadioButton(QStringLiteral("Portrait")), QStringLiteral("rbPortrait"));
    rbLandscape = named(new QRadioButton(QStringLiteral("Landscape")), QStringLiteral("rbLandscape"));
    for (int i = 0; i < 6; ++i)
        lblMeasurement[i] = named(new QLabel, QStringLiteral("lblMeasurement_%1").arg(i));
    auto* paperGrid = new QGridLayout(paper);
    paperGrid->addWidget(cboPaperSize, 0, 0, 1, 3);
    auto* widthLabel = new QLabel(QStringLiteral("&Width:"));
    widthLabel->setBuddy(txtPaperWidth);
    auto* heightLabel = new QLabel(QStringLiteral("&Height:"));
    heightLabel->setBuddy(txtPaperHeight);
    paperGrid->addWidget(widthLabel, 1, 0);
    paperGrid->addWidget(txtPaperWidth, 1, 1);
    paperGrid->addWidget(lblMeasurement[4], 1, 2);
    paperGrid->addWidget(heightLabel, 2, 0);
    paperGrid->addWidget(txtPaperHeight, 2, 1);
    paperGrid->addWidget(lblMeasurement[5], 2, 2);
    paperGrid->addWidget(rbPortrait, 3, 0);
    paperGrid->addWidget(rbLandscape, 3, 1);

    auto* margins = named(new QGroupBox(QStringLiteral("Page margins")), QStringLiteral("frameMargins"));
    txtLeftMargin = named(new QLineEdit, QStringLiteral("txtLeftMargin"));
    txtTopMargin = named(new QLineEdit, QStringLiteral("txtTopMargin"));
    txtRightMargin = named(new QLineEdit, QStringLiteral("txtRightMargin"));
    txtBottomMargin = named(new QLineEdit, QStringLiteral("txtBottomMargin"));
    auto* marginGrid = new QGridLayout(margins);
    QLabel* marginLabels[] = {new QLabel(QStringLiteral("&Left:")), new QLabel(QStringLiteral("&Top:")),
                              new QLabel(QStringLiteral("&Right:")), new QLabel(QStringLiteral("&Bottom:"))};
    QLineEdit* marginBoxes[] = {txtLeftMargin, txtTopMargin, txtRightMargin, txtBottomMargin};
    for (int i = 0; i < 4; ++i) {
        marginLabels[i]->setBuddy(marginBoxes[i]);
        marginGrid->addWidget(marginLabels[i], i, 0);
        marginGrid->addWidget(marginBoxes[i], i, 1);
        marginGrid->addWidget(lblMeasurement[i], i, 2);
    }

    auto* styles = named(new QGroupBox(QStringLiteral("HTML stylesheet save options")), QStringLiteral("frameStylesheet"));
    optStylesheetOptions[0] = new QRadioButton(QStringLiteral("No stylesheet"));
    optStylesheetOptions[1] = new QRadioButton(QStringLiteral("Inline stylesheet"));
    optStylesheetOptions[2] = new QRadioButton(QStringLiteral("Save but do not overwirte existing file"));
    optStylesheetOptions[3] = new QRadioButton(QStringLiteral("Save stylesheet in seperate file"));
    lblStylesheetFile = named(new QLabel(QStringLiteral("Stylesheet file:")), QStringLiteral("lblStylesheetFile"));
    txtStylesheetFile = named(new QLineEdit, QStringLiteral("txtStylesheetFile"));
    lblStylesheetFile->setBuddy(txtStylesheetFile);
    auto* styleColumn = new QVBoxLayout(styles);
    for (int i = 0; i < 4; ++i) {
        optStylesheetOptions[i]->setObjectName(QStringLiteral("optStylesheetOptions_%1").arg(i));
        styleColumn->addWidget(optStylesheetOptions[i]);
        connect(optStylesheetOptions[i], &QRadioButton::toggled, this, [this] { optStylesheetOptions_Click(); });
    }
    styleColumn->addWidget(lblStylesheetFile);
    styleColumn->addWidget(txtStylesheetFile);
    // Outputs here are PDF and images: nothing carries a style sheet.
    auto* ignored = named(new QLabel(QStringLiteral(
                              "The stylesheet settings are kept, but PDF and image outputs carry no stylesheet, "
                              "so they have no effect on them.")),
                          QStringLiteral("lblStylesheetIgnored"));
    ignored->setWordWrap(true);
    styleColumn->addWidget(ignored);

    lblInvalidData = named(new QLabel(QStringLiteral("A setting is invalid.  Please correct before applying.")),
                           QStringLiteral("lblInvalidData"));
    lblInvalidData->hide();
    btnOK = named(new QPushButton(QStringLiteral("&Apply")), QStringLiteral("btnOK"));
    btnCancel = named(new QPushButton(QStringLiteral("Cancel")), QStringLiteral("btnCancel"));
    btnOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblInvalidData);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(paper, 0, 0);
    grid->addWidget(margins, 0, 1);
    grid->addWidget(styles, 1, 0, 1, 2);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(cboPaperSize, &QComboBox::activated, this, [this] { cboPaperSize_Click(); });
    connect(rbPortrait, &QRadioButton::clicked, this, [this] { UpdateForPortraitLandscape(false); });
    connect(rbLandscape, &QRadioButton::clicked, this, [this] { UpdateForPortraitLandscape(true); });
    for (QLineEdit* box : {txtLeftMargin, txtTopMargin, txtRightMargin, txtBottomMargin, txtPaperWidth, txtPaperHeight})
        connect(box, &QLineEdit::textChanged, this, [this] { checkValidity(); });
    // Leaving the width or the height box detects the paper again.
    txtPaperWidth->installEventFilter(this);
    txtPaperHeight->installEventFilter(this);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load(values);
}

void frmVyxPageDlg::Form_Load(const PageSetupValues& v)
{
    TranslateForm(this);
    for (QLabel* label : lblMeasurement)
        label->setText(glnMeasurement == 1 ? QStringLiteral("inch") : QStringLiteral("cm"));
    for (const PaperSize& size : PaperSizes())
        cboPaperSize->addItem(QString::fromLatin1(size.name));
    cboPaperSize->addItem(QStringLiteral("User Defined"));
    m_filling = true;
    txtLeftMargin->setText(v.left);
    txtTopMargin->setText(v.top);
    txtRightMargin->setText(v.right);
    txtBottomMargin->setText(v.bottom);
    txtPaperWidth->setText(v.width);
    txtPaperHeight->setText(v.height);
    (v.bVyxPortrait ? rbPortrait : rbLandscape)->setChecked(true);
    m_filling = false;
    detectPaperSize();
    if (v.lVyxStyleSheetOption >= 0 && v.lVyxStyleSheetOption <= 3)
        optStylesheetOptions[v.lVyxStyleSheetOption]->setChecked(true);
    optStylesheetOptions_Click();
    txtStylesheetFile->setText(v.sVyxStyleSheetFile);
    checkValidity();
}

PageSetupValues frmVyxPageDlg::values() const
{
    PageSetupValues v;
    v.left = txtLeftMargin->text();
    v.top = txtTopMargin->text();
    v.right = txtRightMargin->text();
    v.bottom = txtBottomMargin->text();
    v.width = txtPaperWidth->text();
    v.height = txtPaperHeight->text();
    v.lVyxStyleSheetOption = -1;   // none selected: the old option stays
    for (int i = 0; i < 4; ++i)
        if (optStylesheetOptions[i]->isChecked()) {
            v.lVyxStyleSheetOption = i;
            break;
        }
    v.sVyxStyleSheetFile = txtStylesheetFile->text();
    v.bVyxPortrait = rbPortrait->isChecked();
    return v;
}

bool frmVyxPageDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == txtPaperWidth || watched == txtPaperHeight))
        detectPaperSize();
    return OptionDialog::eventFilter(watched, event);
}

void frmVyxPageDlg::detectPaperSize()
{
    cboPaperSize->setCurrentIndex(DetectPaperSize(txtPaperWidth->text(), txtPaperHeight->text()));
    cboPaperSize_Click();
}

void frmVyxPageDlg::cboPaperSize_Click()
{
    const int index = cboPaperSize->currentIndex();
    if (index >= 0 && index < kUserDefinedPaper) {
        const PaperSize& size = PaperSizes()[index];
        txtPaperWidth->setText(TwipsToUnitText(float(size.width)));
        txtPaperHeight->setText(TwipsToUnitText(float(size.height)));
    }
    if (rbLandscape->isChecked())
        UpdateForPortraitLandscape(true);
}

void frmVyxPageDlg::UpdateForPortraitLandscape(bool bDoLandscape)
{
    QString width = txtPaperWidth->text();
    QString height = txtPaperHeight->text();
    ::UpdateForPortraitLandscape(width, height, bDoLandscape);
    txtPaperWidth->setText(width);
    txtPaperHeight->setText(height);
}

void frmVyxPageDlg::optStylesheetOptions_Click()
{
    const bool file = optStylesheetOptions[2]->isChecked() || optStylesheetOptions[3]->isChecked();
    txtStylesheetFile->setEnabled(file);
    lblStylesheetFile->setEnabled(file);
}

void frmVyxPageDlg::checkValidity()
{
    if (m_filling)
        return;
    const bool valid = PageSetupIsValid(values());
    btnOK->setEnabled(valid);
    lblInvalidData->setVisible(!valid);
}
