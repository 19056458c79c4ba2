#pragma once
// "PDF Export Password Security Settings": the open password, the
// permissions password and the permissions of a reader without it, over
// PdfSecurityValues. Ok checks the entries and hands them back.
#include "ui/OptionDialog.h"
#include "ui/OptionValues.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmVyxPDFOptions : public OptionDialog
{
    Q_OBJECT
public:
    explicit frmVyxPDFOptions(const PdfSecurityValues& values, QWidget* parent = nullptr);

    PdfSecurityValues values() const;

    QCheckBox* chkUserPassword = nullptr;
    QLineEdit* txtUserPassword = nullptr;
    QCheckBox* chkMasterPassword = nullptr;
    QLineEdit* txtMasterPassword = nullptr;
    QComboBox* cboPrinting = nullptr;
    QComboBox* cboChangesAllowed = nullptr;
    QCheckBox* chkAllowContentAccessibility = nullptr;
    QCheckBox* chkAllowExtractContents = nullptr;
    QLabel* lblEncryption = nullptr;   // which encryption the PDF carries
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void Form_Load(const PdfSecurityValues& values);
    void chkUserPassword_Click();
    void chkMasterPassword_Click();
    void cmdOK_Click();
};
