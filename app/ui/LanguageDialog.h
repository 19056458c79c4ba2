#pragma once
// The language dialog: the user picks the user-interface language and,
// optionally, a user-interface font, opens the language file in a text
// editor, or reads the web page about language files. The dialog changes
// no setting; ShowLanguageDialog (core/Translator.h) fills its list, shows
// it through the chooser below and stores the choice.
#include "core/LanguageChooser.h"

#include <QDialog>
#include <QFont>

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class frmLanguage : public QDialog
{
    Q_OBJECT
public:
    explicit frmLanguage(QWidget* parent = nullptr);

    // Fills the list from `listing` and selects its item.
    void FillList(const LanguageListing& listing);

    // The language chosen with Done; "" after Cancel. Kept as it was when
    // Done is pressed with nothing selected.
    QString Language;
    // The font chosen with Font; "" after Cancel; left as it was when no
    // font was picked.
    QString sFontName;

    // Ways out of the dialog that tests replace: the font picker (True with
    // the font when the user chose one), the editor, and the help page.
    std::function<bool(QFont& chosen, const QFont& initial, QWidget* parent)> pickFont;
    std::function<bool(const QString& path)> openInEditor;
    std::function<void()> openLanguageHelp;

    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* cmdDone = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdEditLanguageFile = nullptr;
    QPushButton* cmdHelpLanguage = nullptr;
    QPushButton* cmdSelectFont = nullptr;

    // The address of the page about language files on the online help site.
    static QString LanguageHelpPage();

    void cmdDone_Click();
    void cmdCancel_Click();
    void cmdEditLanguageFile_Click();
    void cmdHelpLanguage_Click();
    void cmdSelectFont_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void List1_Click(QListWidgetItem* item);
    bool m_loaded = false;
};

// Shows frmLanguage modally for ShowLanguageDialog. The font picked in an
// earlier display is offered again until a Cancel clears it.
class LanguageDialogChooser : public LanguageChooser
{
public:
    LanguageChoice choose(const LanguageListing& listing) override;

private:
    QString m_sLanguage;
    QString m_sFontName;
};
