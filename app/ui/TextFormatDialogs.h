#pragma once
// The formatting dialog's own font and paragraph dialogs, in place of the
// text control's: each edits a copy of FontValues or ParagraphValues with
// a preview, and hands it back on Ok.
#include "ui/OptionDialog.h"
#include "ui/OptionValues.h"

#include <QColor>
#include <QFont>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontDialog;
class QLabel;
class QPushButton;
class QSpinBox;
class QTextEdit;

// The font values as a Qt font and back (name, size, bold, italic,
// strike-through, underline); the other values stay.
QFont FontOfValues(const FontValues& values);
void SetFontValues(const QFont& font, FontValues& values);
// 0x00BBGGRR colours.
QColor ColorOfBgr(int bgr);
int BgrOfColor(const QColor& color);

class TextFontDialog : public OptionDialog
{
    Q_OBJECT
public:
    explicit TextFontDialog(const FontValues& values, QWidget* parent = nullptr);
    FontValues values() const;

    QFontDialog* fontChooser = nullptr;
    QPushButton* cmdForeColor = nullptr;
    QCheckBox* chkTextBackground = nullptr;
    QPushButton* cmdTextBkColor = nullptr;
    QComboBox* cboUnderlineStyle = nullptr;
    QDoubleSpinBox* spnBaseLine = nullptr;   // points up, negative down
    QLabel* lblPreview = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void pickColor(int& bgr);
    void updatePreview();
    FontValues m_values;
};

class TextParagraphDialog : public OptionDialog
{
    Q_OBJECT
public:
    explicit TextParagraphDialog(const ParagraphValues& values, QWidget* parent = nullptr);
    ParagraphValues values() const;

    QComboBox* cboAlignment = nullptr;
    QDoubleSpinBox* spnIndentL = nullptr;    // points
    QDoubleSpinBox* spnIndentR = nullptr;
    QDoubleSpinBox* spnIndentFL = nullptr;
    QDoubleSpinBox* spnIndentT = nullptr;
    QDoubleSpinBox* spnIndentB = nullptr;
    QSpinBox* spnLineSpacing = nullptr;      // percent, 0 unchanged
    QDoubleSpinBox* spnLineSpacingT = nullptr; // points, 0 unchanged
    QCheckBox* chkFrame[5] = {};             // left, right, top, bottom, box
    QDoubleSpinBox* spnFrameLineWidth = nullptr;
    QDoubleSpinBox* spnFrameDistance = nullptr;
    QTextEdit* txtPreview = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void updatePreview();
};
