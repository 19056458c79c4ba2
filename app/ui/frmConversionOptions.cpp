#include "ui/frmConversionOptions.h"

#include "ui/FormTranslation.h"
#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

frmConversionOptions::frmConversionOptions(QWidget* parent) : OptionDialog(parent)
{
    setObjectName(QStringLiteral("frmConversionOptions"));
    setWindowTitle(QStringLiteral("Conversion Options"));
    SSTab1 = named(new QTabWidget, QStringLiteral("SSTab1"));
    setCycledTabs(SSTab1);

    // General.
    auto* general = new QWidget;
    auto* pages = named(new QGroupBox(QStringLiteral("Pages to convert (e.g. \"5\" or \"4,7-10\")")),
                        QStringLiteral("framePages"));
    txtTiffPagesToDo = named(new QLineEdit, QStringLiteral("txtTiffPagesToDo"));
    auto* pagesColumn = new QVBoxLayout(pages);
    pagesColumn->addWidget(txtTiffPagesToDo);
    pagesColumn->addWidget(new QLabel(QStringLiteral("Use * or blank for all pages.")));
    auto* image = named(new QGroupBox(QStringLiteral("Image Properties")), QStringLiteral("frameImage"));
    txtWidth = named(new QLineEdit, QStringLiteral("txtWidth"));
    txtHeight = named(new QLineEdit, QStringLiteral("txtHeight"));
    txtResolution = named(new QLineEdit, QStringLiteral("txtResolution"));
    HScrollValue = named(new QScrollBar(Qt::Horizontal), QStringLiteral("HScrollValue"));
    HScrollValue->setRange(1, 100);
    HScrollValue->setValue(75);
    LabelValue = named(new QLabel, QStringLiteral("LabelValue"));
    LabelValue->setText(QString::number(HScrollValue->value()));
    LabelValue->setProperty("Tag", QStringLiteral("TranslateFalse"));
    auto* imageGrid = new QGridLayout(image);
    imageGrid->addWidget(new QLabel(QStringLiteral("Width")), 0, 0);
    imageGrid->addWidget(txtWidth, 0, 1);
    imageGrid->addWidget(new QLabel(QStringLiteral("Set to 0 for autosize")), 0, 2);
    imageGrid->addWidget(new QLabel(QStringLiteral("Height")), 1, 0);
    imageGrid->addWidget(txtHeight, 1, 1);
    imageGrid->addWidget(new QLabel(QStringLiteral("Set to 0 for autosize")), 1, 2);
    imageGrid->addWidget(new QLabel(QStringLiteral("Resolution")), 2, 0);
    imageGrid->addWidget(txtResolution, 2, 1);
    imageGrid->addWidget(new QLabel(QStringLiteral("DPI")), 2, 2);
    imageGrid->addWidget(new QLabel(QStringLiteral("Quality")), 3, 0);
    imageGrid->addWidget(HScrollValue, 3, 1);
    imageGrid->addWidget(LabelValue, 3, 2);
    auto* generalColumn = new QVBoxLayout(general);
    generalColumn->addWidget(pages);
    generalColumn->addWidget(image);
    generalColumn->addStretch();

    // TIFF.
    auto* tiff = new QWidget;
    auto* tiffColumn = new QVBoxLayout(tiff);
    tiffColumn->addWidget(new QLabel(QStringLiteral("Compression Method")));
    const QString compressions[] = {QStringLiteral("No compression"), QStringLiteral("LZW Compression"),
                                    QStringLiteral("RLE Compression (1bpp)"), QStringLiteral("CCITT3 Compression (1bpp)"),
                                    QStringLiteral("CCITT4 Compression (1bpp)")};
    for (int i = 0; i < 5; ++i) {
        rbTiffCompressionMethod[i] =
            named(new QRadioButton(compressions[i]), QStringLiteral("rbTiffCompressionMethod_%1").arg(i));
        tiffColumn->addWidget(rbTiffCompressionMethod[i]);
    }
    auto* appendFrame = named(new QGroupBox(QStringLiteral("Converting TO a TIFF file")), QStringLiteral("frameAppend"));
    cbTiffAppendTo = named(new QCheckBox(QStringLiteral("Append to an existing TIFF file")), QStringLiteral("cbTiffAppendTo"));
    (new QVBoxLayout(appendFrame))->addWidget(cbTiffAppendTo);
    auto* layoutFrame = named(new QGroupBox(QStringLiteral("When Converting Create")), QStringLiteral("frameLayout"));
    rbSingleFile[0] = named(new QRadioButton(QStringLiteral("Multiple files")), QStringLiteral("rbSingleFile_0"));
    rbSingleFile[1] = named(new QRadioButton(QStringLiteral("Single file")), QStringLiteral("rbSingleFile_1"));
    auto* layoutColumn = new QVBoxLayout(layoutFrame);
    layoutColumn->addWidget(rbSingleFile[0]);
    layoutColumn->addWidget(rbSingleFile[1]);
    tiffColumn->addWidget(appendFrame);
    tiffColumn->addWidget(layoutFrame);
    tiffColumn->addStretch();
    // The compression buttons are one group, the layout buttons another.
    // (They sit in different parents, so Qt groups them apart already.)

    // Document format.
    auto* document = new QWidget;
    cmdApplyDocumentFormatting = named(new QPushButton(QStringLiteral("Apply document formatting")),
                                       QStringLiteral("cmdApplyDocumentFormatting"));
    auto* note = new QLabel(QStringLiteral(
        "Here you can apply formatting to a document before converting to an image. NOTE: This does not apply to "
        "input files that are PDF files."));
    note->setWordWrap(true);
    auto* documentColumn = new QVBoxLayout(document);
    documentColumn->addWidget(cmdApplyDocumentFormatting);
    documentColumn->addWidget(note);
    documentColumn->addStretch();

    addTab(SSTab1, QStringLiteral("General"), general);
    addTab(SSTab1, QStringLiteral("TIFF"), tiff);
    addTab(SSTab1, QStringLiteral("Document Format"), document);

    cmdOptions = named(new QPushButton(QStringLiteral("Program Options")), QStringLiteral("cmdOptions"));
    cmdDone = named(new QPushButton(QStringLiteral("&Apply")), QStringLiteral("cmdDone"));
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel")), QStringLiteral("cmdCancel"));
    cmdDone->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOptions);
    buttons->addStretch();
    buttons->addWidget(cmdDone);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(SSTab1);
    column->addLayout(buttons);

    connect(HScrollValue, &QScrollBar::valueChanged, this, [this](int value) { LabelValue->setText(QString::number(value)); });
    connect(cmdDone, &QPushButton::clicked, this, [this] { cmdDone_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdOptions, &QPushButton::clicked, this, [this] {
        if (ShowProgramOptions)
            ShowProgramOptions(this);
    });
    connect(cmdApplyDocumentFormatting, &QPushButton::clicked, this, [this] {
        if (ShowDocumentFormatting)
            ShowDocumentFormatting(this);
    });
    TranslateForm(this);
}

void frmConversionOptions::Setup()
{
    m_loaded = LoadImageOptions(sDataTransfer);
    const ImageOptionsValues& v = m_loaded;
    rbTiffCompressionMethod[v.compression]->setChecked(true);
    txtTiffPagesToDo->setText(v.pages);
    cbTiffAppendTo->setChecked(v.append);
    HScrollValue->setValue(v.quality);
    LabelValue->setText(QString::number(HScrollValue->value()));
    txtResolution->setText(v.resolution);
    txtWidth->setText(v.width);
    txtHeight->setText(v.height);
    rbSingleFile[v.layout]->setChecked(true);
}

ImageOptionsValues frmConversionOptions::values() const
{
    ImageOptionsValues v = m_loaded;
    v.compression = 0;
    for (int i = 0; i < 5; ++i)
        if (rbTiffCompressionMethod[i]->isChecked()) {
            v.compression = i;
            break;
        }
    v.pages = txtTiffPagesToDo->text();
    v.append = cbTiffAppendTo->isChecked();
    v.quality = HScrollValue->value();
    v.resolution = txtResolution->text();
    v.width = txtWidth->text();
    v.height = txtHeight->text();
    v.layout = rbSingleFile[1]->isChecked() ? 1 : 0;
    return v;
}

void frmConversionOptions::cmdDone_Click()
{
    QString pages = txtTiffPagesToDo->text();
    pages.remove(u'^');
    txtTiffPagesToDo->setText(pages);
    sDataTransfer = BuildImageOptions(values());
    accept();
}
