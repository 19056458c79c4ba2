// Form translation on the offscreen platform: a small form holding one
// control of each kind, translated from a German language file that holds
// every text it shows, and the font rules.
#include "core/Globals.h"
#include "core/Translator.h"
#include "core/UserLocale.h"
#include "ui/FormTranslation.h"
#include "TestUtil.h"
#include "TranslatorFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QGraphicsView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedPointer>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// English and German of every text the form shows.
const char* const kPairs[][2] = {
    {"Converter", "Konverter"},   {"&File", "&Datei"},         {"&Open", "Ö&ffnen"},
    {"&Recent", "&Zuletzt"},      {"Run", "Ausführen"},        {"Run the job", "Auftrag ausführen"},
    {"Now", "Jetzt"},             {"Later", "Später"},         {"Ready", "Bereit"},
    {"Progress", "Fortschritt"},  {"Task state", "Aufgabenstatus"}, {"Options", "Optionen"},
    {"Output", "Ausgabe"},        {"All tabs", "Alle Reiter"},  {"First", "Erste"},
    {"Second", "Zweite"},         {"Second tab", "Zweiter Reiter"}, {"Input File", "Eingabedatei"},
    {"Type a path", "Pfad eingeben"}, {"Keep me", "Bleib"},    {"Label tip", "Etikett-Tipp"},
    {"Convert", "Konvertieren"},  {"Start it", "Starten"},     {"Subfolders", "Unterordner"},
    {"Pages", "Seiten"},          {"Single", "Einzeln"},       {"Choose a type", "Typ wählen"},
    {"Page size", "Seitengröße"}, {"Files", "Dateien"},        {"Items", "Einträge"},
    {"Grid", "Raster"},           {"Speed", "Tempo"},          {"Preview", "Vorschau"},
    {"Picture", "Bild"},          {"Notes", "Notizen"},        {"Rich", "Formatiert"},
    {"Plain text", "Reiner Text"}, {"Inside", "Innen"},        {"Scrolled", "Gescrollt"},
    {"Copies", "Kopien"},         {"Tool", "Werkzeug"},
};

QByteArray germanFile()
{
    QByteArray bytes = "\"! test form\r\n";
    for (const auto& pair : kPairs)
        bytes += QByteArray("\"") + pair[0] + "\",\"" + pair[1] + "\"\r\n";
    return bytes;
}

QString german(const char* english)
{
    for (const auto& pair : kPairs)
        if (qstrcmp(pair[0], english) == 0)
            return QString::fromUtf8(pair[1]);
    return QString::fromUtf8(english);
}

template <typename W>
W* named(QWidget* form, const char* name)
{
    W* w = form->findChild<W*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

// One control of each kind, built as a window designer would.
QMainWindow* buildForm()
{
    auto* form = new QMainWindow;
    form->setWindowTitle(QStringLiteral("Converter"));

    QMenu* file = form->menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    file->addAction(QStringLiteral("&Open"))->setObjectName(QStringLiteral("mnuOpen"));
    file->addSeparator();
    QAction* dash = file->addAction(QStringLiteral("-"));
    dash->setObjectName(QStringLiteral("mnuDash"));
    QAction* recent = file->addAction(QStringLiteral("&Recent"));
    recent->setObjectName(QStringLiteral("mnuRecent1"));
    QAction* mru = file->addAction(QStringLiteral("/home/ann/Job.KRJ"));
    mru->setObjectName(QStringLiteral("mnuMru"));
    mru->setProperty("Tag", QString::fromLatin1(kTranslateFalse));

    QToolBar* tb = form->addToolBar(QStringLiteral("tb"));
    tb->setObjectName(QStringLiteral("tbMain"));
    auto* run = new QAction(QStringLiteral("Run"), form);
    run->setObjectName(QStringLiteral("tbRun"));
    run->setToolTip(QStringLiteral("Run the job"));
    auto* runMenu = new QMenu(form);
    runMenu->addAction(QStringLiteral("Now"));
    runMenu->addAction(QStringLiteral("Later"));
    runMenu->addAction(QStringLiteral("Tool"));
    run->setMenu(runMenu);
    tb->addAction(run);
    tb->addSeparator();
    tb->addAction(recent); // shared with the menu: translated once

    auto* panel = new QLabel(QStringLiteral("Ready"));
    panel->setObjectName(QStringLiteral("sbPanel"));
    panel->setToolTip(QStringLiteral("Progress"));
    form->statusBar()->setObjectName(QStringLiteral("sbMain"));
    form->statusBar()->setToolTip(QStringLiteral("Task state"));
    form->statusBar()->addWidget(panel);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    form->setCentralWidget(central);

    auto* tabs = new QTabWidget;
    tabs->setObjectName(QStringLiteral("SSTab1"));
    tabs->setToolTip(QStringLiteral("All tabs"));
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    auto* inside = new QLabel(QStringLiteral("Inside"));
    inside->setObjectName(QStringLiteral("lblInside"));
    pageLayout->addWidget(inside);
    tabs->addTab(page, QStringLiteral("Options"));
    tabs->addTab(new QWidget, QStringLiteral("Output"));
    layout->addWidget(tabs);

    auto* strip = new QTabBar;
    strip->setObjectName(QStringLiteral("TabStrip1"));
    strip->addTab(QStringLiteral("First"));
    strip->addTab(QStringLiteral("Second"));
    strip->setTabToolTip(1, QStringLiteral("Second tab"));
    layout->addWidget(strip);

    auto* text = new QLineEdit(QStringLiteral("Input File"));
    text->setObjectName(QStringLiteral("txtInput"));
    text->setToolTip(QStringLiteral("Type a path"));
    layout->addWidget(text);
    auto* path = new QLineEdit(QStringLiteral("Input File"));
    path->setObjectName(QStringLiteral("txtPath"));
    path->setProperty("Tag", QString::fromLatin1(kTranslateFalse));
    layout->addWidget(path);

    auto* kept = new QLabel(QStringLiteral("Keep me"));
    kept->setObjectName(QStringLiteral("lblKept"));
    kept->setToolTip(QStringLiteral("Label tip"));
    kept->setProperty("Tag", QString::fromLatin1(kTranslateFalse));
    layout->addWidget(kept);

    auto* button = new QPushButton(QStringLiteral("Convert"));
    button->setObjectName(QStringLiteral("cmdConvert"));
    button->setToolTip(QStringLiteral("Start it"));
    button->setProperty("Tag", QString::fromLatin1(kTranslateFalse)); // buttons translate all the same
    layout->addWidget(button);

    auto* check = new QCheckBox(QStringLiteral("Subfolders"));
    check->setObjectName(QStringLiteral("chkSub"));
    layout->addWidget(check);
    auto* frame = new QGroupBox(QStringLiteral("Pages"));
    frame->setObjectName(QStringLiteral("fraPages"));
    auto* frameLayout = new QVBoxLayout(frame);
    auto* option = new QRadioButton(QStringLiteral("Single"));
    option->setObjectName(QStringLiteral("optSingle"));
    frameLayout->addWidget(option);
    layout->addWidget(frame);

    auto* combo = new QComboBox;
    combo->setObjectName(QStringLiteral("cbType"));
    combo->addItem(QStringLiteral("Input File")); // items are the filler's business
    combo->setToolTip(QStringLiteral("Choose a type"));
    layout->addWidget(combo);
    auto* masked = new QLineEdit(QStringLiteral("Grid"));
    masked->setObjectName(QStringLiteral("mskSize"));
    masked->setInputMask(QStringLiteral("Aaaa"));
    masked->setToolTip(QStringLiteral("Page size"));
    layout->addWidget(masked);
    auto* spin = new QSpinBox;
    spin->setObjectName(QStringLiteral("spnCopies"));
    spin->setToolTip(QStringLiteral("Copies"));
    layout->addWidget(spin);
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("lstFiles"));
    list->addItem(QStringLiteral("Input File"));
    list->setToolTip(QStringLiteral("Files"));
    layout->addWidget(list);
    auto* tree = new QTreeWidget;
    tree->setObjectName(QStringLiteral("lvItems"));
    tree->setToolTip(QStringLiteral("Items"));
    layout->addWidget(tree);
    auto* grid = new QTableWidget(1, 1);
    grid->setObjectName(QStringLiteral("fgToDo"));
    grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("Input File")));
    grid->setToolTip(QStringLiteral("Grid"));
    layout->addWidget(grid);
    auto* slider = new QSlider;
    slider->setObjectName(QStringLiteral("sldSpeed"));
    slider->setToolTip(QStringLiteral("Speed"));
    layout->addWidget(slider);
    auto* picture = new QGraphicsView;
    picture->setObjectName(QStringLiteral("picPreview"));
    picture->setToolTip(QStringLiteral("Preview"));
    layout->addWidget(picture);
    auto* image = new QLabel;
    image->setObjectName(QStringLiteral("imgLogo"));
    QPixmap pixmap(4, 4);
    pixmap.fill(Qt::red);
    image->setPixmap(pixmap);
    image->setToolTip(QStringLiteral("Picture"));
    layout->addWidget(image);
    auto* rich = new QTextEdit(QStringLiteral("Rich"));
    rich->setObjectName(QStringLiteral("rtfNotes"));
    rich->setToolTip(QStringLiteral("Notes"));
    layout->addWidget(rich);
    auto* plain = new QPlainTextEdit(QStringLiteral("Plain text"));
    plain->setObjectName(QStringLiteral("txtPlain"));
    layout->addWidget(plain);
    auto* line = new QFrame;
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setToolTip(QStringLiteral("Copies"));
    layout->addWidget(line);
    auto* scroll = new QScrollArea;
    auto* scrolled = new QLabel(QStringLiteral("Scrolled"));
    scrolled->setObjectName(QStringLiteral("lblScrolled"));
    scroll->setWidget(scrolled);
    layout->addWidget(scroll);

    // A dialog of the form's is a form of its own.
    auto* child = new QDialog(form);
    child->setObjectName(QStringLiteral("frmChild"));
    auto* childLabel = new QLabel(QStringLiteral("Inside"), child);
    childLabel->setObjectName(QStringLiteral("lblChild"));
    return form;
}

} // namespace

class TestFormTranslation : public QObject
{
    Q_OBJECT
    QScopedPointer<QTemporaryDir> m_dir;
    QString m_file;

private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        QVERIFY(testutil::startTranslator(m_dir->path(), QStringLiteral("German"), germanFile()));
        m_file = G_sLanguageFilePath;
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::system());
        ResetTranslator();
    }

    void controlKinds()
    {
        QScopedPointer<QMainWindow> form(buildForm());
        const QList<std::pair<const char*, const char*>> kinds = {
            {"SSTab1", "SSTab"},     {"TabStrip1", "TabStrip"}, {"tbMain", "Toolbar"},     {"sbMain", "StatusBar"},
            {"mnuFile", "Menu"},     {"txtInput", "TextBox"},   {"txtPlain", "TextBox"},   {"lblKept", "Label"},
            {"cmdConvert", "CommandButton"}, {"chkSub", "CheckBox"}, {"fraPages", "Frame"}, {"optSingle", "OptionButton"},
            {"cbType", "ComboBox"},  {"mskSize", "MaskEdBox"},  {"spnCopies", "MaskEdBox"}, {"lstFiles", "ListBox"},
            {"lvItems", "ListView"}, {"fgToDo", "MSFlexGrid"},  {"sldSpeed", "Slider"},     {"picPreview", "PictureBox"},
            {"imgLogo", "Image"},    {"rtfNotes", "RichTextBox"}, {"Line1", "Line"},
        };
        for (const auto& [name, kind] : kinds) {
            QObject* control = form->findChild<QObject*>(QString::fromLatin1(name));
            QVERIFY2(control, name);
            QCOMPARE(ControlTypeName(control), QString::fromLatin1(kind));
        }
        QCOMPARE(ControlTypeName(form->findChild<QAction*>(QStringLiteral("mnuOpen"))), QStringLiteral("Menu"));
        QCOMPARE(ControlTypeName(form->centralWidget()), QString());
    }

    // Each kind's texts as the rules say; what no rule names stays; and
    // since the file holds every text, nothing is added to it.
    void translatesOneControlOfEachKind()
    {
        QScopedPointer<QMainWindow> form(buildForm());
        TranslateForm(form.data());
        QWidget* f = form.data();

        QCOMPARE(f->windowTitle(), german("Converter"));
        QCOMPARE(named<QMenu>(f, "mnuFile")->title(), german("&File"));
        QCOMPARE(f->findChild<QAction*>(QStringLiteral("mnuOpen"))->text(), german("&Open"));
        QCOMPARE(f->findChild<QAction*>(QStringLiteral("mnuDash"))->text(), QStringLiteral("-"));
        QCOMPARE(f->findChild<QAction*>(QStringLiteral("mnuRecent1"))->text(), german("&Recent"));
        QCOMPARE(f->findChild<QAction*>(QStringLiteral("mnuMru"))->text(), QStringLiteral("/home/ann/Job.KRJ"));

        QAction* run = f->findChild<QAction*>(QStringLiteral("tbRun"));
        QCOMPARE(run->text(), german("Run"));
        QCOMPARE(run->toolTip(), german("Run the job"));
        QStringList items;
        for (QAction* item : run->menu()->actions())
            items << item->text();
        QCOMPARE(items, (QStringList{german("Now"), german("Later"), german("Tool")}));

        QCOMPARE(named<QLabel>(f, "sbPanel")->text(), german("Ready"));
        QCOMPARE(named<QLabel>(f, "sbPanel")->toolTip(), german("Progress"));
        QCOMPARE(named<QStatusBar>(f, "sbMain")->toolTip(), german("Task state"));

        auto* tabs = named<QTabWidget>(f, "SSTab1");
        QCOMPARE(tabs->tabText(0), german("Options"));
        QCOMPARE(tabs->tabText(1), german("Output"));
        QCOMPARE(tabs->toolTip(), german("All tabs"));
        QCOMPARE(named<QLabel>(f, "lblInside")->text(), german("Inside"));
        auto* strip = named<QTabBar>(f, "TabStrip1");
        QCOMPARE(strip->tabText(0), german("First"));
        QCOMPARE(strip->tabText(1), german("Second"));
        QCOMPARE(strip->tabToolTip(1), german("Second tab"));

        QCOMPARE(named<QLineEdit>(f, "txtInput")->text(), german("Input File"));
        QCOMPARE(named<QLineEdit>(f, "txtInput")->toolTip(), german("Type a path"));
        QCOMPARE(named<QLineEdit>(f, "txtPath")->text(), QStringLiteral("Input File"));
        QCOMPARE(named<QPlainTextEdit>(f, "txtPlain")->toPlainText(), german("Plain text"));
        QCOMPARE(named<QLabel>(f, "lblKept")->text(), QStringLiteral("Keep me"));
        QCOMPARE(named<QLabel>(f, "lblKept")->toolTip(), german("Label tip"));
        QCOMPARE(named<QPushButton>(f, "cmdConvert")->text(), german("Convert"));
        QCOMPARE(named<QPushButton>(f, "cmdConvert")->toolTip(), german("Start it"));
        QCOMPARE(named<QCheckBox>(f, "chkSub")->text(), german("Subfolders"));
        QCOMPARE(named<QGroupBox>(f, "fraPages")->title(), german("Pages"));
        QCOMPARE(named<QRadioButton>(f, "optSingle")->text(), german("Single"));

        // Tool tips only; items, cells and texts stay.
        QCOMPARE(named<QComboBox>(f, "cbType")->toolTip(), german("Choose a type"));
        QCOMPARE(named<QComboBox>(f, "cbType")->itemText(0), QStringLiteral("Input File"));
        QCOMPARE(named<QLineEdit>(f, "mskSize")->toolTip(), german("Page size"));
        QCOMPARE(named<QLineEdit>(f, "mskSize")->text(), QStringLiteral("Grid"));
        QCOMPARE(named<QSpinBox>(f, "spnCopies")->toolTip(), german("Copies"));
        QCOMPARE(named<QListWidget>(f, "lstFiles")->toolTip(), german("Files"));
        QCOMPARE(named<QListWidget>(f, "lstFiles")->item(0)->text(), QStringLiteral("Input File"));
        QCOMPARE(named<QTreeWidget>(f, "lvItems")->toolTip(), german("Items"));
        QCOMPARE(named<QTableWidget>(f, "fgToDo")->toolTip(), german("Grid"));
        QCOMPARE(named<QTableWidget>(f, "fgToDo")->item(0, 0)->text(), QStringLiteral("Input File"));
        QCOMPARE(named<QSlider>(f, "sldSpeed")->toolTip(), german("Speed"));
        QCOMPARE(named<QGraphicsView>(f, "picPreview")->toolTip(), german("Preview"));
        QCOMPARE(named<QLabel>(f, "imgLogo")->toolTip(), german("Picture"));
        QCOMPARE(named<QTextEdit>(f, "rtfNotes")->toolTip(), german("Notes"));
        QCOMPARE(named<QTextEdit>(f, "rtfNotes")->toPlainText(), QStringLiteral("Rich"));
        QCOMPARE(named<QFrame>(f, "Line1")->toolTip(), QStringLiteral("Copies"));
        QCOMPARE(named<QLabel>(f, "lblScrolled")->text(), german("Scrolled"));
        QCOMPARE(named<QLabel>(f, "lblChild")->text(), QStringLiteral("Inside"));

        QCOMPARE(testutil::readFile(m_file), germanFile());

        // A second call finds German texts: it must not take them for
        // English phrases.
        TranslateForm(form.data());
        QCOMPARE(f->windowTitle(), german("Converter"));
        QCOMPARE(named<QPushButton>(f, "cmdConvert")->text(), german("Convert"));
        QCOMPARE(testutil::readFile(m_file), germanFile());
    }

    void fontRules_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("languageFont");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("designed");
        QTest::addColumn<QString>("expected"); // "<japanese>", "<system>" or a family
        QTest::newRow("chosen font, even under English") << "English" << "DejaVu Serif" << "en_US" << "DejaVu Sans"
                                                         << "DejaVu Serif";
        QTest::newRow("chosen font on a Japanese system") << "Japanese" << "DejaVu Serif" << "ja_JP" << "DejaVu Sans"
                                                          << "DejaVu Serif";
        QTest::newRow("Japanese system") << "Japanese" << "" << "ja_JP" << "DejaVu Sans" << "<japanese>";
        QTest::newRow("Japanese system, German") << "German" << "" << "ja_JP" << "DejaVu Sans" << "<japanese>";
        QTest::newRow("Japanese system, English") << "English" << "" << "ja_JP" << "DejaVu Sans" << "DejaVu Sans";
        QTest::newRow("Japanese language elsewhere") << "Japanese" << "" << "de_DE" << "DejaVu Sans" << "DejaVu Sans";
        QTest::newRow("Tahoma missing") << "English" << "" << "en_US" << "Tahoma" << "<system>";
        QTest::newRow("another font stays") << "German" << "" << "de_DE" << "DejaVu Sans" << "DejaVu Sans";
    }

    void fontRules()
    {
        QFETCH(QString, language);
        QFETCH(QString, languageFont);
        QFETCH(QString, locale);
        QFETCH(QString, designed);
        QFETCH(QString, expected);
        QVERIFY2(!FontExists(QStringLiteral("Tahoma")), "Tahoma is installed here: the replacement rule cannot be seen");
        QVERIFY(FontExists(QStringLiteral("dejavu sans")));
        if (expected == QLatin1String("<japanese>")) {
            expected = JapaneseUiFont();
            QVERIFY2(!expected.isEmpty(), "no Japanese font (scripts/install-deps installs fonts-ipafont)");
        } else if (expected == QLatin1String("<system>")) {
            expected = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        }
        G_sLanguage = language;
        G_sLanguageFont = languageFont;
        G_iUserLCID = LocaleIdentifier(QLocale(locale));

        QWidget form;
        form.setFont(QFont(QStringLiteral("Courier")));
        auto* label = new QLabel(QStringLiteral("Inside"), &form);
        label->setFont(QFont(designed));
        auto* grid = new QTableWidget(&form);
        grid->setFont(QFont(designed));
        auto* line = new QFrame(&form);
        line->setFrameShape(QFrame::HLine);
        line->setFont(QFont(designed));
        TranslateForm(&form);
        QCOMPARE(label->font().family(), expected);
        QCOMPARE(grid->font().family(), expected);
        QCOMPARE(line->font().family(), designed);
        QCOMPARE(form.font().family(), QStringLiteral("Courier"));
    }

    void japaneseUiFontIsInstalled()
    {
        QVERIFY2(!JapaneseUiFont().isEmpty(), "no Japanese font (scripts/install-deps installs fonts-ipafont)");
        QVERIFY(!IsSansSerifBitmapFont());
        QCOMPARE(GetControlFontName(nullptr), QStringLiteral("ERROR"));
    }
};

QTEST_MAIN(TestFormTranslation)
#include "test_form_translation.moc"
