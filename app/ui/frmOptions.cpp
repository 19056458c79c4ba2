#include "ui/frmOptions.h"

#include "base/MessageSink.h"
#include "core/FilePickers.h"
#include "core/FileSystem.h"
#include "core/Help.h"
#include "core/Translator.h"
#include "ui/FormTranslation.h"
#include "ui/WidgetNames.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLineEdit* passwordBox(const char* name)
{
    auto* box = named(new QLineEdit, name);
    box->setEchoMode(QLineEdit::Password);
    return box;
}

} // namespace

frmOptions::frmOptions(const ProgramOptionsValues& values, WordEngineProbe probe, QWidget* parent)
    : OptionDialog(parent)
    , m_probe(std::move(probe))
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("'Tessaview' Program Options"));
    buildWidgets();
    Form_Load(values);
}

void frmOptions::buildWidgets()
{
    TabStrip1 = named(new QTabWidget, "TabStrip1");
    setCycledTabs(TabStrip1);

    // General.
    frameCO[0] = named(new QGroupBox(QStringLiteral("General Options")), "frameCO_0");
    cbUseOriginalTimeStamps = named(
        new QCheckBox(QStringLiteral("Keep original (INPUT) file timestamp (Last Modified, Created, Accessed)")),
        "cbUseOriginalTimeStamps");
    cbUseMSWordToRender = named(new QCheckBox(QStringLiteral("Use MS Word")), "cbUseMSWordToRender");
    auto* moveFrame = named(new QGroupBox, "frameMove");
    cbMoveAfterProcessing = named(new QCheckBox(QStringLiteral("Move INPUT files to specified folder after processing")),
                                  "cbMoveAfterProcessing");
    txtMoveToFolder = named(new QLineEdit, "txtMoveToFolder");
    cmdSelectMoveFolder = named(new QPushButton(QStringLiteral("Folder..")), "cmdSelectMoveFolder");
    txtMoveToFolder->setEnabled(false);
    cmdSelectMoveFolder->setEnabled(false);
    auto* moveGrid = new QGridLayout(moveFrame);
    moveGrid->addWidget(cbMoveAfterProcessing, 0, 0, 1, 2);
    moveGrid->addWidget(txtMoveToFolder, 1, 0);
    moveGrid->addWidget(cmdSelectMoveFolder, 1, 1);
    auto* deleteFrame = named(new QGroupBox, "frameDelete");
    cbDeleteAfterProcessing = named(new QCheckBox(QStringLiteral("Delete INPUT files after processing")),
                                    "cbDeleteAfterProcessing");
    auto* warning = named(new QLabel(QStringLiteral(
                              "Please be VERY careful when enabling this option. Back up critical data first.  No "
                              "deletion will occur if the Input and Output are exactly the same file.")),
                          "lblDeleteWarning");
    warning->setWordWrap(true);
    auto* deleteColumn = new QVBoxLayout(deleteFrame);
    deleteColumn->addWidget(cbDeleteAfterProcessing);
    deleteColumn->addWidget(warning);
    auto* general = new QVBoxLayout(frameCO[0]);
    general->addWidget(cbUseOriginalTimeStamps);
    general->addWidget(cbUseMSWordToRender);
    general->addWidget(moveFrame);
    general->addWidget(deleteFrame);
    general->addStretch();

    // The office kept between conversions.
    frameCO[1] = named(new QGroupBox(QStringLiteral("General Options")), "frameCO_1");
    auto* optimization = named(new QGroupBox(QStringLiteral("Optimization")), "frameOptimization");
    rbOptimizeForSpeed = named(new QRadioButton(QStringLiteral("Optimize for SPEED")), "rbOptimizeForSpeed");
    rbOptimizeForMemory = named(new QRadioButton(QStringLiteral("Optimize for MEMORY usage")), "rbOptimizeForMemory");
    auto* optColumn = new QVBoxLayout(optimization);
    optColumn->addWidget(rbOptimizeForSpeed);
    optColumn->addWidget(rbOptimizeForMemory);
    auto* word = new QVBoxLayout(frameCO[1]);
    word->addWidget(optimization);
    word->addStretch();

    // Passwords.
    frameCO[2] = named(new QGroupBox, "frameCO_2");
    auto* documentFrame = named(new QGroupBox(QStringLiteral("Document Password")), "frameDocumentPassword");
    txtInputFile_Password = passwordBox("txtInputFile_Password");
    txtInputFile_Password_TW = passwordBox("txtInputFile_Password_TW");
    auto* docGrid = new QGridLayout(documentFrame);
    docGrid->addWidget(new QLabel(QStringLiteral("Password To OPEN Input File")), 0, 0);
    docGrid->addWidget(txtInputFile_Password, 0, 1);
    docGrid->addWidget(new QLabel(QStringLiteral("Password To WRITE Document")), 1, 0);
    docGrid->addWidget(txtInputFile_Password_TW, 1, 1);
    auto* note = new QLabel(
        QStringLiteral("MS Word files sometimes require a password.  Leave empty if no password is required."));
    note->setWordWrap(true);
    docGrid->addWidget(note, 2, 0, 1, 2);
    auto* templateFrame = named(new QGroupBox(QStringLiteral("Template Password")), "frameTemplatePassword");
    txtTemplateFile_Password = passwordBox("txtTemplateFile_Password");
    txtTemplateFile_Password_TW = passwordBox("txtTemplateFile_Password_TW");
    auto* tplGrid = new QGridLayout(templateFrame);
    tplGrid->addWidget(new QLabel(QStringLiteral("Password To OPEN Input Template")), 0, 0);
    tplGrid->addWidget(txtTemplateFile_Password, 0, 1);
    tplGrid->addWidget(new QLabel(QStringLiteral("Password To WRITE to Template")), 1, 0);
    tplGrid->addWidget(txtTemplateFile_Password_TW, 1, 1);
    auto* passwords = new QVBoxLayout(frameCO[2]);
    passwords->addWidget(documentFrame);
    passwords->addWidget(templateFrame);
    passwords->addStretch();

    addTab(TabStrip1, QStringLiteral("General"), frameCO[0]);
    addTab(TabStrip1, QStringLiteral("MS Word"), frameCO[1]);
    addTab(TabStrip1, QStringLiteral("MS Word Passwords"), frameCO[2]);

    cmdHelp = named(new QPushButton(QStringLiteral("&Help")), "cmdHelp");
    cmdHelp->setToolTip(QStringLiteral("Press for help"));
    cmdApply = named(new QPushButton(QStringLiteral("&Apply")), "cmdApply");
    cmdCancel = named(new QPushButton(QStringLiteral("&Cancel")), "cmdCancel");
    cmdApply->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp);
    buttons->addStretch();
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);
    auto* column = new QVBoxLayout(this);
    column->addWidget(TabStrip1);
    column->addLayout(buttons);

    connect(cbMoveAfterProcessing, &QCheckBox::toggled, this, [this] { cbMoveAfterProcessing_Click(); });
    connect(cbDeleteAfterProcessing, &QCheckBox::toggled, this, [this] { cbDeleteAfterProcessing_Click(); });
    connect(cbUseMSWordToRender, &QCheckBox::toggled, this, [this] { cbUseMSWordToRender_Click(); });
    connect(cmdSelectMoveFolder, &QPushButton::clicked, this, [this] { cmdSelectMoveFolder_Click(); });
    connect(cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHelp, &QPushButton::clicked, this, [] {
        ShowHelpTopic(helpcontext::ProgramOptions, OnlineHelpTopicPage(helpcontext::ProgramOptions));
    });
}

void frmOptions::Form_Load(const ProgramOptionsValues& v)
{
    TranslateForm(this);
    TabStrip1->setCurrentIndex(0);
    m_loading = true;
    cbUseOriginalTimeStamps->setChecked(v.bRetainInputFileTimeStamp);
    cbDeleteAfterProcessing->setChecked(v.bDeleteOriginalFileAfterProcessing);
    cbUseMSWordToRender->setChecked(v.bUseMSWord);
    txtInputFile_Password->setText(v.sInputFile_Password);
    txtInputFile_Password_TW->setText(v.sInputFile_Password_TW);
    txtTemplateFile_Password->setText(v.sInputFileTemplate_Password);
    txtTemplateFile_Password_TW->setText(v.sInputFileTemplate_Password_TW);
    (v.bOptimizeForSpeed ? rbOptimizeForSpeed : rbOptimizeForMemory)->setChecked(true);
    cbMoveAfterProcessing->setChecked(v.bMoveOriginalFileAfterProcessing);
    txtMoveToFolder->setText(v.sMoveFileToFolder);
    // The folder field stays as created until the move box is clicked, but
    // a move already chosen can be edited at once.
    txtMoveToFolder->setEnabled(v.bMoveOriginalFileAfterProcessing);
    cmdSelectMoveFolder->setEnabled(v.bMoveOriginalFileAfterProcessing);
    m_loading = false;
}

ProgramOptionsValues frmOptions::values() const
{
    ProgramOptionsValues v;
    v.bRetainInputFileTimeStamp = cbUseOriginalTimeStamps->isChecked();
    v.bMoveOriginalFileAfterProcessing = cbMoveAfterProcessing->isChecked();
    v.sMoveFileToFolder = txtMoveToFolder->text();
    v.bDeleteOriginalFileAfterProcessing = cbDeleteAfterProcessing->isChecked();
    v.bUseMSWord = cbUseMSWordToRender->isChecked();
    v.bOptimizeForSpeed = rbOptimizeForSpeed->isChecked();
    v.sInputFile_Password = txtInputFile_Password->text();
    v.sInputFile_Password_TW = txtInputFile_Password_TW->text();
    v.sInputFileTemplate_Password = txtTemplateFile_Password->text();
    v.sInputFileTemplate_Password_TW = txtTemplateFile_Password_TW->text();
    return v;
}

void frmOptions::cbMoveAfterProcessing_Click()
{
    if (m_loading)
        return;
    const bool on = cbMoveAfterProcessing->isChecked();
    txtMoveToFolder->setEnabled(on);
    cmdSelectMoveFolder->setEnabled(on);
    if (on) {
        m_loading = true;
        cbDeleteAfterProcessing->setChecked(false);
        m_loading = false;
    }
}

void frmOptions::cbDeleteAfterProcessing_Click()
{
    if (m_loading || !cbDeleteAfterProcessing->isChecked())
        return;
    m_loading = true;
    cbMoveAfterProcessing->setChecked(false);
    txtMoveToFolder->setEnabled(false);
    cmdSelectMoveFolder->setEnabled(false);
    m_loading = false;
}

void frmOptions::cbUseMSWordToRender_Click()
{
    if (m_loading || !cbUseMSWordToRender->isChecked())
        return;
    const auto untick = [this] {
        m_loading = true;
        cbUseMSWordToRender->setChecked(false);
        m_loading = false;
    };
    if (!m_probe.versionOk || !m_probe.versionOk()) {
        untick();
        ShowMessage(Translate(QStringLiteral(
                        "LibreOffice is missing or too old to enable this option. Install LibreOffice Writer "
                        "(on Debian: sudo apt-get install libreoffice-writer), then restart this program.")),
                    Translate(QStringLiteral("Error")), MessageButtons::Ok, MessageIcon::Information);
        return;
    }
    if (!m_probe.testSaveAsPdf || m_probe.testSaveAsPdf() != 0) {
        untick();
        ShowMessage(Translate(QStringLiteral(
                        "LibreOffice could not save a test document as PDF. Install or repair LibreOffice Writer "
                        "(on Debian: sudo apt-get install libreoffice-writer), then restart this program.")),
                    Translate(QStringLiteral("Error")), MessageButtons::Ok, MessageIcon::Information);
    }
}

void frmOptions::cmdSelectMoveFolder_Click()
{
    QString start = txtMoveToFolder->text();
    const QString folder = BrowseForFolder(start);
    // A cancelled browser keeps the folder shown.
    if (!folder.isEmpty())
        txtMoveToFolder->setText(folder);
}

void frmOptions::cmdApply_Click()
{
    ProgramOptionsValues v = values();
    const ProgramOptionsCheck check = CheckProgramOptions(v, [](const QString& folder) { return FolderExists(folder); });
    if (v.sMoveFileToFolder.isEmpty()) {
        txtMoveToFolder->clear();
        cbMoveAfterProcessing->setChecked(false);
    }
    if (check == ProgramOptionsCheck::MoveFolderMissing) {
        ShowMessage(v.sMoveFileToFolder + QStringLiteral("\r\r") + Translate(QStringLiteral("does not exist.")));
        txtMoveToFolder->selectAll();
        txtMoveToFolder->setFocus();
        return;
    }
    accept();
}
