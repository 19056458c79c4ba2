#include "ui/frmRexhoundAdvancedOptions.h"

#include "core/FilePickers.h"
#include "core/Help.h"
#include "core/Translator.h"
#include "ui/FormTranslation.h"
#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmRexhoundAdvancedOptions::frmRexhoundAdvancedOptions(const SearchOptionsValues& values, int inputType,
                                                       QWidget* parent)
    : OptionDialog(parent)
{
    setObjectName(QStringLiteral("frmRexhoundAdvancedOptions"));
    setWindowTitle(QStringLiteral("Search And Replace Advanced Options"));

    auto* frame = named(new QGroupBox(QStringLiteral("Search And Replace Advanced Options")), "frameOptions");
    cbCaseSensitive = named(new QCheckBox(QStringLiteral("&Case Sensitive")), "cbCaseSensitive");
    cbUseRegularExpression = named(new QCheckBox(QStringLiteral("Use Regular E&xpressions")), "cbUseRegularExpression");
    cbWholeWordOnly = named(new QCheckBox(QStringLiteral("&Whole Word Only")), "cbWholeWordOnly");
    cbBeginningOfLine =
        named(new QCheckBox(QStringLiteral("Do not match if found at BEGINNING of line")), "cbBeginningOfLine");
    cbEndOfLine = named(new QCheckBox(QStringLiteral("Do not match if found at END of line")), "cbEndOfLine");
    cbMultiLine = named(new QCheckBox(QStringLiteral("&Multi-Line Expression")), "cbMultiLine");
    cbGenerateReportWhenDone =
        named(new QCheckBox(QStringLiteral("&Generate a report when done.")), "cbGenerateReportWhenDone");
    frameSelectReportFileName = named(new QGroupBox, "frameSelectReportFileName");
    txtRexhoundReportPath = named(new QLineEdit, "txtRexhoundReportPath");
    cmdSelectScheduledJobFile = named(new QPushButton(QStringLiteral("  File..")), "cmdSelectScheduledJobFile");
    auto* reportColumn = new QVBoxLayout(frameSelectReportFileName);
    reportColumn->addWidget(new QLabel(QStringLiteral("Select the file name of the report (e.g. c:\\myoutput\\Report.TXT)")));
    auto* reportRow = new QHBoxLayout;
    reportRow->addWidget(txtRexhoundReportPath);
    reportRow->addWidget(cmdSelectScheduledJobFile);
    reportColumn->addLayout(reportRow);
    auto* options = new QVBoxLayout(frame);
    for (QCheckBox* box : {cbCaseSensitive, cbUseRegularExpression, cbWholeWordOnly, cbBeginningOfLine, cbEndOfLine,
                           cbMultiLine, cbGenerateReportWhenDone})
        options->addWidget(box);
    options->addWidget(frameSelectReportFileName);
    options->addStretch();

    cmdHelpRegularExpression = named(new QPushButton(QStringLiteral("&Help")), "cmdHelpRegularExpression");
    cmdHelpRegularExpression->setToolTip(QStringLiteral("Press for help"));
    cmdApply = named(new QPushButton(QStringLiteral("&Apply")), "cmdApply");
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel")), "cmdCancel");
    cmdApply->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelpRegularExpression);
    buttons->addStretch();
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(frame);
    column->addLayout(buttons);

    Form_Load(values, inputType);

    for (QCheckBox* box : {cbCaseSensitive, cbUseRegularExpression, cbWholeWordOnly, cbBeginningOfLine, cbEndOfLine,
                           cbMultiLine, cbGenerateReportWhenDone})
        connect(box, &QCheckBox::clicked, this, [this] { bDirty = true; });
    connect(txtRexhoundReportPath, &QLineEdit::textChanged, this, [this] { bDirty = true; });
    connect(cbGenerateReportWhenDone, &QCheckBox::clicked, this,
            [this] { frameSelectReportFileName->setVisible(cbGenerateReportWhenDone->isChecked()); });
    connect(cmdSelectScheduledJobFile, &QPushButton::clicked, this, [this] { cmdSelectScheduledJobFile_Click(); });
    connect(cmdApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHelpRegularExpression, &QPushButton::clicked, this, [] {
        ShowHelpTopic(helpcontext::SearchAndReplace, OnlineHelpTopicPage(helpcontext::SearchAndReplace));
    });
}

void frmRexhoundAdvancedOptions::Form_Load(const SearchOptionsValues& v, int inputType)
{
    TranslateForm(this);
    txtRexhoundReportPath->setText(v.sRXHDReportFileName);
    cbCaseSensitive->setChecked(v.bRXHDCaseSensitive);
    cbUseRegularExpression->setChecked(v.bRXHDUseRegularExpression);
    cbWholeWordOnly->setChecked(v.bRXHDWholeWordOnly);
    cbBeginningOfLine->setChecked(v.bRXHDBeginningOfLine);
    cbEndOfLine->setChecked(v.bRXHDEndOfLine);
    cbMultiLine->setChecked(v.bRXHDMultiLine);
    cbGenerateReportWhenDone->setChecked(v.bRXHDGenerateReportWhenDone);
    frameSelectReportFileName->setVisible(v.bRXHDGenerateReportWhenDone);
    // The input type decides at load, whatever the report box says.
    const bool all = SearchTypeHasAllOptions(inputType);
    for (QWidget* w : {static_cast<QWidget*>(cbUseRegularExpression), static_cast<QWidget*>(cbWholeWordOnly),
                       static_cast<QWidget*>(cbBeginningOfLine), static_cast<QWidget*>(cbEndOfLine),
                       static_cast<QWidget*>(cbMultiLine), static_cast<QWidget*>(cbGenerateReportWhenDone),
                       static_cast<QWidget*>(frameSelectReportFileName)})
        w->setVisible(all);
    bDirty = false;
}

SearchOptionsValues frmRexhoundAdvancedOptions::values() const
{
    return {cbCaseSensitive->isChecked(),  cbUseRegularExpression->isChecked(), cbWholeWordOnly->isChecked(),
            cbBeginningOfLine->isChecked(), cbEndOfLine->isChecked(),           cbMultiLine->isChecked(),
            cbGenerateReportWhenDone->isChecked(), txtRexhoundReportPath->text()};
}

void frmRexhoundAdvancedOptions::reject()
{
    bDirty = false;
    OptionDialog::reject();
}

void frmRexhoundAdvancedOptions::cmdSelectScheduledJobFile_Click()
{
    int filterIndex = 1;
    const QString path = ShowFileDialog(FileDialogMode::OpenOrNew, Translate(QStringLiteral("Report File Path")),
                                        QStringLiteral("Tab Delimited (*.TSV)|*.TSV|Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*"),
                                        filterIndex);
    if (!path.isEmpty())
        txtRexhoundReportPath->setText(path);
}
