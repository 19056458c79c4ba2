#pragma once
// "Conversion Options": the PDF-to-image options of the task in the
// editor (pages, size, resolution, quality, TIFF compression, appending and
// layout), over the task's option string sDataTransfer. Apply rebuilds the
// string; Cancel leaves it as handed in.
#include "ui/OptionDialog.h"
#include "ui/OptionValues.h"

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

class frmConversionOptions : public OptionDialog
{
    Q_OBJECT
public:
    explicit frmConversionOptions(QWidget* parent = nullptr);

    QString sDataTransfer;
    // Loads sDataTransfer into the controls.
    void Setup();
    // Opened by the two buttons; nothing when left empty.
    std::function<void(QWidget* owner)> ShowProgramOptions;
    std::function<void(QWidget* owner)> ShowDocumentFormatting;

    ImageOptionsValues values() const;

    QTabWidget* SSTab1 = nullptr;
    QLineEdit* txtTiffPagesToDo = nullptr;
    QLineEdit* txtWidth = nullptr;
    QLineEdit* txtHeight = nullptr;
    QLineEdit* txtResolution = nullptr;
    QScrollBar* HScrollValue = nullptr;
    QLabel* LabelValue = nullptr;
    QRadioButton* rbTiffCompressionMethod[5] = {};
    QCheckBox* cbTiffAppendTo = nullptr;
    QRadioButton* rbSingleFile[2] = {};
    QPushButton* cmdApplyDocumentFormatting = nullptr;
    QPushButton* cmdOptions = nullptr;
    QPushButton* cmdDone = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void cmdDone_Click();

    ImageOptionsValues m_loaded;
};
