#pragma once
// "Page Setup": paper size, orientation, margins and the style-sheet
// option, over PageSetupValues, lengths in the unit glnMeasurement.
#include "ui/OptionDialog.h"
#include "ui/OptionValues.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmVyxPageDlg : public OptionDialog
{
    Q_OBJECT
public:
    explicit frmVyxPageDlg(const PageSetupValues& values, QWidget* parent = nullptr);

    PageSetupValues values() const;
    // Makes the width and height texts agree with the orientation.
    void UpdateForPortraitLandscape(bool bDoLandscape);

    QLineEdit* txtLeftMargin = nullptr;
    QLineEdit* txtTopMargin = nullptr;
    QLineEdit* txtRightMargin = nullptr;
    QLineEdit* txtBottomMargin = nullptr;
    QLineEdit* txtPaperWidth = nullptr;
    QLineEdit* txtPaperHeight = nullptr;
    QLabel* lblMeasurement[6] = {};
    QComboBox* cboPaperSize = nullptr;
    QRadioButton* rbPortrait = nullptr;
    QRadioButton* rbLandscape = nullptr;
    QRadioButton* optStylesheetOptions[4] = {};
    QLineEdit* txtStylesheetFile = nullptr;
    QLabel* lblStylesheetFile = nullptr;
    QLabel* lblInvalidData = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load(const PageSetupValues& values);
    void detectPaperSize();
    void cboPaperSize_Click();
    void optStylesheetOptions_Click();
    void checkValidity();

    bool m_filling = false;
};
