#pragma once
// Translating a window as it loads. Windows are designed with English
// texts; TranslateForm passes each text a control shows through Translate,
// by the control's kind, and then applies the user-interface font rules.
// Texts that code puts into controls later (list items, grid cells,
// messages) are translated by that code.
#include <QString>

class QObject;
class QWidget;

// The value of the dynamic property "Tag" that keeps a control's caption
// (or a text box's text) as designed.
inline constexpr char kTranslateFalse[] = "TranslateFalse";

// The kind of a control, by the names the program's forms use, from its Qt
// class:
//   "SSTab" QTabWidget, "TabStrip" QTabBar, "Toolbar" QToolBar,
//   "StatusBar" QStatusBar (its widgets are its panels), "Menu" QMenuBar,
//   QMenu and QAction, "CommandButton" QPushButton and QToolButton,
//   "CheckBox" QCheckBox, "OptionButton" QRadioButton, "Frame" QGroupBox,
//   "Label" QLabel showing text, "Image" QLabel showing a picture,
//   "TextBox" QLineEdit and QPlainTextEdit, "MaskEdBox" QLineEdit with an
//   input mask and the spin and date boxes, "RichTextBox" QTextEdit,
//   "ComboBox" QComboBox, "ListBox" QListView, "ListView" QTreeView,
//   "MSFlexGrid" QTableView, "Slider" QAbstractSlider, "PictureBox"
//   QGraphicsView, "Line" a QFrame drawn as a line;
// "" for any other widget (containers such as QWidget, QFrame, QScrollArea).
QString ControlTypeName(const QObject* control);

// Translates the form's title and, in the form's child order, the texts of
// each of its controls and of the controls inside them, then applies the
// font rules to each control (not to the form itself):
//   1. a font chosen with the language (G_sLanguageFont) for every control;
//   2. else, on a Japanese system (G_iUserLCID 1041) in a language other
//      than English, the first installed Japanese user-interface font;
//   3. else a control in "Tahoma" on a system without it gets "Microsoft
//      Sans Serif" when installed, otherwise the system's dialog font.
// A child window (a dialog, an MDI child, a separate top-level widget) is a
// form of its own and is translated when it loads. A form is translated
// once: a second call applies the font rules alone. Never fails.
void TranslateForm(QWidget* form);

// The family of the control's font; "ERROR" without a control.
QString GetControlFontName(const QWidget* control);

// True when a font family of that name is installed (letter case ignored).
bool FontExists(const QString& fontName);

// No bitmap "MS Sans Serif" exists here: always False.
bool IsSansSerifBitmapFont();

// The Japanese user-interface font TranslateForm gives controls on a
// Japanese system: the first installed of "MS UI Gothic", "IPAPGothic",
// "IPAGothic", "Noto Sans CJK JP"; "" when none is.
QString JapaneseUiFont();
