#pragma once
// "'Tessaview' Program Options": what happens to inputs after processing,
// the rendering engine, the office kept between conversions and the
// passwords of protected documents. It shows ProgramOptionsValues and
// hands them back on Apply; Cancel leaves them unused.
#include "ui/OptionDialog.h"
#include "ui/OptionValues.h"

#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

// How the dialog asks whether the office can render for "Use MS Word".
struct WordEngineProbe
{
    std::function<bool()> versionOk;      // an office of a version that can be used
    std::function<int()> testSaveAsPdf;   // 0: it saves PDF
};

class frmOptions : public OptionDialog
{
    Q_OBJECT
public:
    frmOptions(const ProgramOptionsValues& values, WordEngineProbe probe, QWidget* parent = nullptr);

    // The values as shown; after Apply, those that were applied.
    ProgramOptionsValues values() const;

    QTabWidget* TabStrip1 = nullptr;
    QGroupBox* frameCO[3] = {};
    QCheckBox* cbUseOriginalTimeStamps = nullptr;
    QCheckBox* cbUseMSWordToRender = nullptr;
    QCheckBox* cbMoveAfterProcessing = nullptr;
    QLineEdit* txtMoveToFolder = nullptr;
    QPushButton* cmdSelectMoveFolder = nullptr;
    QCheckBox* cbDeleteAfterProcessing = nullptr;
    QRadioButton* rbOptimizeForSpeed = nullptr;
    QRadioButton* rbOptimizeForMemory = nullptr;
    QLineEdit* txtInputFile_Password = nullptr;
    QLineEdit* txtInputFile_Password_TW = nullptr;
    QLineEdit* txtTemplateFile_Password = nullptr;
    QLineEdit* txtTemplateFile_Password_TW = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void buildWidgets();
    void Form_Load(const ProgramOptionsValues& values);
    void cbMoveAfterProcessing_Click();
    void cbDeleteAfterProcessing_Click();
    void cbUseMSWordToRender_Click();
    void cmdSelectMoveFolder_Click();
    void cmdApply_Click();

    WordEngineProbe m_probe;
    bool m_loading = false;
};
