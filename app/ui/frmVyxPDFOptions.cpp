#include "ui/frmVyxPDFOptions.h"

#include "base/MessageSink.h"
#include "core/Translator.h"
#include "ui/FormTranslation.h"
#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The warning of a failed check, translated.
QString warningText(PdfSecurityCheck check)
{
    switch (check) {
    case PdfSecurityCheck::NoPermissionsPassword:
        return Translate(QStringLiteral(
            "The 'Use a password to restrict printing and editing of the document and its security settings option' "
            "is selected, but the Permissions Password field is empty. Please enter a password or deselect the "
            "security option."));
    case PdfSecurityCheck::NoOpenPassword:
        return Translate(QStringLiteral(
            "The 'Require a password to open the document' option is selected, but the Document Open Password "
            "field is empty. Please enter a password or deselect the security option."));
    case PdfSecurityCheck::SamePasswords:
        return Translate(QStringLiteral(
            "The Document Open and Permissions passwords cannot be the same. Please enter a different password in "
            "either the Document Open Password field or the Permission Password field."));
    case PdfSecurityCheck::Ok:
        break;
    }
    return QString();
}

} // namespace

frmVyxPDFOptions::frmVyxPDFOptions(const PdfSecurityValues& values, QWidget* parent) : OptionDialog(parent)
{
    setObjectName(QStringLiteral("frmVyxPDFOptions"));
    setWindowTitle(QStringLiteral("PDF Export Password Security Settings"));

    chkUserPassword =
        named(new QCheckBox(QStringLiteral("&Require a password to open the document")), "chkUserPassword");
    txtUserPassword = named(new QLineEdit, "txtUserPassword");
    auto* userLabel = new QLabel(QStringLiteral("&Document Open Password:"));
    userLabel->setBuddy(txtUserPassword);
    chkMasterPassword = named(new QCheckBox(QStringLiteral(
                                  "&Use a password to restrict printing and editing of the document and its security "
                                  "settings")),
                              "chkMasterPassword");
    txtMasterPassword = named(new QLineEdit, "txtMasterPassword");
    auto* masterLabel = new QLabel(QStringLiteral("&Permissions Password:"));
    masterLabel->setBuddy(txtMasterPassword);

    auto* permissions = named(new QGroupBox(QStringLiteral("Permissions")), "framePermissions");
    cboPrinting = named(new QComboBox, "cboPrinting");
    cboChangesAllowed = named(new QComboBox, "cboChangesAllowed");
    auto* printingLabel = new QLabel(QStringLiteral("Pri&nting Allowed:"));
    printingLabel->setBuddy(cboPrinting);
    auto* changesLabel = new QLabel(QStringLiteral("Changes &Allowed:"));
    changesLabel->setBuddy(cboChangesAllowed);
    chkAllowContentAccessibility = named(
        new QCheckBox(QStringLiteral("Enable text access for screen reader devices for the &visually impaired")),
        "chkAllowContentAccessibility");
    chkAllowExtractContents = named(
        new QCheckBox(QStringLiteral("&Enable copying of text, images, and other content")), "chkAllowExtractContents");
    auto* permGrid = new QGridLayout(permissions);
    permGrid->addWidget(printingLabel, 0, 0);
    permGrid->addWidget(cboPrinting, 0, 1);
    permGrid->addWidget(changesLabel, 1, 0);
    permGrid->addWidget(cboChangesAllowed, 1, 1);
    permGrid->addWidget(chkAllowContentAccessibility, 2, 0, 1, 2);
    permGrid->addWidget(chkAllowExtractContents, 3, 0, 1, 2);

    // How a PDF is encrypted once a password is set.
    lblEncryption = named(new QLabel(QStringLiteral(
                              "A PDF with a password is encrypted with AES-256 (256-bit key); readers older than "
                              "about 2013 cannot open it.")),
                          "lblEncryption");
    lblEncryption->setWordWrap(true);
    auto* pdfA = named(new QLabel(QStringLiteral(
                           "PDF/A allows no encryption: a task that writes PDF/A with a password fails. Choose "
                           "[12] Adobe (PDF) as its output type.")),
                       "lblPdfANoEncryption");
    pdfA->setWordWrap(true);

    cmdOK = named(new QPushButton(QStringLiteral("Ok")), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel")), "cmdCancel");
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* grid = new QGridLayout;
    grid->addWidget(chkUserPassword, 0, 0, 1, 2);
    grid->addWidget(userLabel, 1, 0);
    grid->addWidget(txtUserPassword, 1, 1);
    grid->addWidget(chkMasterPassword, 2, 0, 1, 2);
    grid->addWidget(masterLabel, 3, 0);
    grid->addWidget(txtMasterPassword, 3, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(permissions);
    column->addWidget(lblEncryption);
    column->addWidget(pdfA);
    column->addLayout(buttons);

    connect(chkUserPassword, &QCheckBox::toggled, this, [this] { chkUserPassword_Click(); });
    connect(chkMasterPassword, &QCheckBox::toggled, this, [this] { chkMasterPassword_Click(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load(values);
}

void frmVyxPDFOptions::Form_Load(const PdfSecurityValues& v)
{
    TranslateForm(this);
    // The warnings reach the language file when the dialog first loads.
    for (PdfSecurityCheck check : {PdfSecurityCheck::NoPermissionsPassword, PdfSecurityCheck::NoOpenPassword,
                                   PdfSecurityCheck::SamePasswords})
        warningText(check);
    chkUserPassword->setChecked(v.bUserPassword);
    txtUserPassword->setText(v.sUserPassword);
    txtUserPassword->setEnabled(v.bUserPassword);
    chkMasterPassword->setChecked(v.bMasterPassword);
    txtMasterPassword->setText(v.sMasterPassword);
    txtMasterPassword->setEnabled(v.bMasterPassword);

    cboPrinting->clear();
    cboPrinting->addItems({Translate(QStringLiteral("None")), Translate(QStringLiteral("Low Resolution")),
                           Translate(QStringLiteral("High Resolution"))});
    cboPrinting->setCurrentIndex(v.printing);
    cboChangesAllowed->clear();
    cboChangesAllowed->addItems({Translate(QStringLiteral("None")),
                                 Translate(QStringLiteral("Inserting, deleting and rotating pages")),
                                 Translate(QStringLiteral("Filling in form fields and signing")),
                                 Translate(QStringLiteral("Commenting, filling in form fields and signing")),
                                 Translate(QStringLiteral("Any except extracting pages"))});
    cboChangesAllowed->setCurrentIndex(v.changes);
    chkAllowContentAccessibility->setChecked(v.bAllowContentAccessibility);
    chkAllowExtractContents->setChecked(v.bAllowExtractContents);
    chkMasterPassword_Click();
}

PdfSecurityValues frmVyxPDFOptions::values() const
{
    PdfSecurityValues v;
    v.bUserPassword = chkUserPassword->isChecked();
    v.sUserPassword = txtUserPassword->text();
    v.bMasterPassword = chkMasterPassword->isChecked();
    v.sMasterPassword = txtMasterPassword->text();
    v.printing = cboPrinting->currentIndex();
    v.changes = cboChangesAllowed->currentIndex();
    v.bAllowContentAccessibility = chkAllowContentAccessibility->isChecked();
    v.bAllowExtractContents = chkAllowExtractContents->isChecked();
    return v;
}

void frmVyxPDFOptions::chkUserPassword_Click()
{
    const bool on = chkUserPassword->isChecked();
    if (!on)
        txtUserPassword->clear();
    txtUserPassword->setEnabled(on);
}

void frmVyxPDFOptions::chkMasterPassword_Click()
{
    const bool on = chkMasterPassword->isChecked();
    if (!on)
        txtMasterPassword->clear();
    for (QWidget* w : {static_cast<QWidget*>(txtMasterPassword), static_cast<QWidget*>(cboPrinting),
                       static_cast<QWidget*>(cboChangesAllowed), static_cast<QWidget*>(chkAllowContentAccessibility),
                       static_cast<QWidget*>(chkAllowExtractContents)})
        w->setEnabled(on);
}

void frmVyxPDFOptions::cmdOK_Click()
{
    const PdfSecurityCheck check = CheckPdfSecurity(values());
    if (check != PdfSecurityCheck::Ok) {
        ShowMessage(warningText(check), QString(), MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    accept();
}
