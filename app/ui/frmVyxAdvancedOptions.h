#pragma once
// "Document Formatting Options": which formatting the text-control route
// forces onto its outputs (page, paragraph, font, PDF, image quality), the
// paragraph, font and image values themselves, and the page unit. The page
// and PDF dialogs and the program options are opened from here and write
// the form at once on their own Apply; this dialog hands back its own
// FormattingValues on Apply, and Cancel discards them.
#include "ui/OptionDialog.h"
#include "ui/OptionValues.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

struct FormattingDialogOpeners
{
    std::function<void(QWidget* owner)> ShowPageSetup;
    std::function<void(QWidget* owner)> ShowPdfSettings;
    std::function<void(QWidget* owner)> ShowProgramOptions;
    // The font and paragraph dialogs; by default our own (TextFormatDialogs.h).
    // Each changes the working values and returns True on Ok.
    std::function<bool(QWidget* owner, FontValues& font)> FontDialog;
    std::function<bool(QWidget* owner, ParagraphValues& paragraph)> ParagraphDialog;
};

class frmVyxAdvancedOptions : public OptionDialog
{
    Q_OBJECT
public:
    frmVyxAdvancedOptions(const FormattingValues& values, FormattingDialogOpeners openers, QWidget* parent = nullptr);

    FormattingValues values() const;

    QTabWidget* tsDisplay = nullptr;
    QGroupBox* FrameArray[5] = {};
    QCheckBox* cbChangePageSettings = nullptr;
    QCheckBox* cbChangeParagraphSettings = nullptr;
    QCheckBox* cbChangeFontSettings = nullptr;
    QCheckBox* cbChangePDFSettings = nullptr;
    QCheckBox* cbChangeImageQuality = nullptr;
    QPushButton* cmdChangePageSettings = nullptr;
    QPushButton* cmdChangeParagraphSettings = nullptr;
    QPushButton* cmdChangeFontSettings = nullptr;
    QPushButton* cmdChangePDFSettings = nullptr;
    QGroupBox* frameImageQuality = nullptr;
    QComboBox* comboImageCompressionQuality = nullptr;
    QLineEdit* txtImageResolution = nullptr;
    QCheckBox* cbEmbedImageIntoOutput = nullptr;
    QRadioButton* rbUnits[3] = {};   // 1 English, 2 Metric
    QLabel* lblFontSummary = nullptr;
    QLabel* lblParagraphSummary = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdOptions = nullptr;

private:
    void buildWidgets();
    void Form_Load(const FormattingValues& values);
    void followBoxes();
    void showSummaries();

    FormattingDialogOpeners m_openers;
    FontValues m_font;
    ParagraphValues m_paragraph;
};
