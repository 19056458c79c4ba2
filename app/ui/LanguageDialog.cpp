#include "LanguageDialog.h"

#include "base/MessageSink.h"
#include "core/Help.h"
#include "core/Translator.h"
#include "help/HelpOpener.h"
#include "ui/FormTranslation.h"

#include <QFontDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kEnglish = QStringLiteral("English");

QPushButton* addButton(QVBoxLayout* column, const QString& name, const QString& text)
{
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    column->addWidget(button);
    return button;
}

} // namespace

frmLanguage::frmLanguage(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLanguage"));
    setWindowTitle(QStringLiteral("Language"));
    QFont tahoma = font();
    tahoma.setFamily(QStringLiteral("Tahoma"));
    setFont(tahoma);

    Label1 = new QLabel(QStringLiteral("Select a Language:"));
    Label1->setObjectName(QStringLiteral("Label1"));
    List1 = new QListWidget;
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1->setBuddy(List1);

    auto* buttons = new QVBoxLayout;
    cmdDone = addButton(buttons, QStringLiteral("cmdDone"), QStringLiteral("&Done"));
    cmdCancel = addButton(buttons, QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"));
    cmdEditLanguageFile = addButton(buttons, QStringLiteral("cmdEditLanguageFile"), QStringLiteral("&Edit Language"));
    cmdSelectFont = addButton(buttons, QStringLiteral("cmdSelectFont"), QStringLiteral("&Font"));
    cmdHelpLanguage = addButton(buttons, QStringLiteral("cmdHelpLanguage"), QStringLiteral("&Help"));
    buttons->addStretch();
    cmdDone->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(List1, 1, 0);
    grid->addLayout(buttons, 1, 1);

    pickFont = [](QFont& chosen, const QFont& initial, QWidget* owner) {
        bool ok = false;
        chosen = QFontDialog::getFont(&ok, initial, owner);
        return ok;
    };
    // The desktop's editor for text files, started without a shell.
    openInEditor = [](const QString& path) {
        return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{path});
    };
    openLanguageHelp = [] { CurrentHelpOpener().open(QUrl(LanguageHelpPage())); };

    connect(List1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { List1_Click(item); });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this] { cmdDone_Click(); });
    connect(cmdDone, &QPushButton::clicked, this, [this] { cmdDone_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(cmdEditLanguageFile, &QPushButton::clicked, this, [this] { cmdEditLanguageFile_Click(); });
    connect(cmdHelpLanguage, &QPushButton::clicked, this, [this] { cmdHelpLanguage_Click(); });
    connect(cmdSelectFont, &QPushButton::clicked, this, [this] { cmdSelectFont_Click(); });
}

QString frmLanguage::LanguageHelpPage()
{
    return OnlineHelpSite() + QStringLiteral("/FAQ/FAQ-Languages.htm");
}

void frmLanguage::FillList(const LanguageListing& listing)
{
    List1->clear();
    List1->addItems(listing.languages);
    if (listing.selected >= 0 && listing.selected < List1->count())
        List1->setCurrentRow(listing.selected);
    List1_Click(List1->currentItem());
}

void frmLanguage::List1_Click(QListWidgetItem* item)
{
    cmdEditLanguageFile->setEnabled(item && item->text() != kEnglish);
}

void frmLanguage::cmdDone_Click()
{
    for (int i = 0; i < List1->count(); ++i)
        if (List1->item(i)->isSelected())
            Language = List1->item(i)->text();
    accept();
}

void frmLanguage::cmdCancel_Click()
{
    reject();
}

void frmLanguage::reject()
{
    Language.clear();
    sFontName.clear();
    QDialog::reject();
}

void frmLanguage::cmdEditLanguageFile_Click()
{
    const QListWidgetItem* item = List1->currentItem();
    if (!item || item->text() == kEnglish)
        return;
    // The file the translator reads for that language.
    const QString path = GetLanguageFilePath(item->text());
    if (!openInEditor(path))
        ShowMessage(Translate(QStringLiteral("The language file could not be opened in an editor:")) + QStringLiteral("\r\n")
                        + path,
                    Translate(QStringLiteral("Error")), MessageButtons::Ok, MessageIcon::Warning);
}

void frmLanguage::cmdHelpLanguage_Click()
{
    openLanguageHelp();
}

void frmLanguage::cmdSelectFont_Click()
{
    QFont chosen;
    if (pickFont(chosen, cmdSelectFont->font(), this))
        sFontName = chosen.family();
}

void frmLanguage::showEvent(QShowEvent* event)
{
    if (!m_loaded) {
        m_loaded = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            adjustSize();
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
        TranslateForm(this);
    }
    QDialog::showEvent(event);
}

void frmLanguage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        cmdHelpLanguage_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

LanguageChoice LanguageDialogChooser::choose(const LanguageListing& listing)
{
    frmLanguage dialog;
    dialog.Language = m_sLanguage;
    dialog.sFontName = m_sFontName;
    dialog.FillList(listing);
    dialog.exec();
    m_sLanguage = dialog.Language;
    m_sFontName = dialog.sFontName;
    return {dialog.Language, dialog.sFontName};
}
