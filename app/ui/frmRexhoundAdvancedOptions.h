#pragma once
// "Search And Replace Advanced Options": case, regular expressions, whole
// words, line-start and line-end exclusions, multi-line matching and the
// report file of the task in the editor, over SearchOptionsValues. Text
// inputs get every option, other documents only case sensitivity.
#include "ui/OptionDialog.h"
#include "ui/OptionValues.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

class frmRexhoundAdvancedOptions : public OptionDialog
{
    Q_OBJECT
public:
    frmRexhoundAdvancedOptions(const SearchOptionsValues& values, int inputType, QWidget* parent = nullptr);

    SearchOptionsValues values() const;
    // True when the user changed anything; False again after Cancel.
    bool bDirty = false;

    QCheckBox* cbCaseSensitive = nullptr;
    QCheckBox* cbUseRegularExpression = nullptr;
    QCheckBox* cbWholeWordOnly = nullptr;
    QCheckBox* cbBeginningOfLine = nullptr;
    QCheckBox* cbEndOfLine = nullptr;
    QCheckBox* cbMultiLine = nullptr;
    QCheckBox* cbGenerateReportWhenDone = nullptr;
    QGroupBox* frameSelectReportFileName = nullptr;
    QLineEdit* txtRexhoundReportPath = nullptr;
    QPushButton* cmdSelectScheduledJobFile = nullptr;
    QPushButton* cmdHelpRegularExpression = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdCancel = nullptr;

    void reject() override;

private:
    void Form_Load(const SearchOptionsValues& values, int inputType);
    void cmdSelectScheduledJobFile_Click();
};
