#include "frmMainMDI.h"

#include "core/Globals.h"
#include "engine/JobEngine.h"
#include "jobs/IniValues.h"
#include "jobs/MainFormState.h"
#include "jobs/TextNumbers.h"
#include "ui/FormTranslation.h"
#include "ui/MainFormLayout.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QFontMetrics>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>

#include <algorithm>

namespace {

int readNumber(const char* key, int defaultValue)
{
    int value = defaultValue;
    if (!TextToWholeNumber(ReadIniText(kFrameSection, QString::fromLatin1(key), QString::number(defaultValue),
                                       G_IniFilePath),
                           value))
        return defaultValue;
    return value;
}

int screenDpi(const QWidget* widget)
{
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? int(screen->logicalDotsPerInch()) : 96;
}

// Placements the frame restores once it finds itself off the screen.
constexpr int kOffScreenTop = 99000;

} // namespace

FramePlacement ReadFramePlacement()
{
    FramePlacement p;
    p.WindowState = readNumber("WindowState", 0);
    p.Left = readNumber("Left", 150);
    p.Top = readNumber("Top", 150);
    p.Width = readNumber("Width", 13000);
    p.Height = readNumber("Height", 8325);
    return p;
}

frmMainMDI::frmMainMDI(MainFormState& form)
    : m_form(form)
{
    setObjectName(QStringLiteral("frmMainMDI"));
    m_caption = kProductName;
    setWindowTitle(m_caption);
    setWindowIcon(QIcon(QStringLiteral(":/tessaview/tessaview.png")));

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    buildStatusBar();

    m_main = new frmMain(m_form, *this);
    connect(m_main, &frmMain::runEnded, this, &frmMainMDI::closeAfterRun, Qt::QueuedConnection);
}

frmMainMDI::~frmMainMDI() = default;

void frmMainMDI::buildStatusBar()
{
    QStatusBar* sbMain = statusBar();
    sbMain->setObjectName(QStringLiteral("sbMain"));
    auto makePanel = [this](int index, int minimumWidth) {
        auto* panel = new QLabel;
        panel->setObjectName(QStringLiteral("sbMainPanel%1").arg(index));
        panel->setMinimumWidth(minimumWidth);
        panel->setTextFormat(Qt::PlainText);
        m_panels.insert(index, panel);
        return panel;
    };
    QLabel* taskRow = makePanel(statuspanel::TaskRow, 40);
    taskRow->setToolTip(QStringLiteral("Task"));
    taskRow->setAlignment(Qt::AlignCenter);

    auto* runState = new QWidget;
    auto* runStateLayout = new QHBoxLayout(runState);
    runStateLayout->setContentsMargins(0, 0, 0, 0);
    runStateLayout->setSpacing(4);
    m_runStatePictureLabel = new QLabel;
    m_runStatePictureLabel->setObjectName(QStringLiteral("sbMainPanel6Picture"));
    m_runStatePictureLabel->setFixedSize(16, 16);
    runStateLayout->addWidget(m_runStatePictureLabel);
    runStateLayout->addWidget(makePanel(statuspanel::RunState, 140));

    QLabel* status = makePanel(statuspanel::Status, 100);
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QLabel* elapsed = makePanel(statuspanel::Elapsed, 60);
    elapsed->setToolTip(QStringLiteral("Seconds"));
    elapsed->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    sbMain->addWidget(taskRow);
    sbMain->addWidget(runState);
    sbMain->addWidget(status, 1);
    sbMain->addPermanentWidget(elapsed);
}

void frmMainMDI::MDIForm_Load()
{
    TranslateForm(this);
    // The main form's menus take the frame's menu bar; they are translated
    // with the main form.
    for (QMenu* menu : {m_main->mnuFile, m_main->mnuConversion, m_main->mnuHelp})
        menuBar()->addMenu(menu);
    m_mainWindow = m_mdi->addSubWindow(m_main, Qt::FramelessWindowHint);
    m_mainWindow->setObjectName(QStringLiteral("frmMainWindow"));
    m_mainWindow->setWindowTitle(m_main->windowTitle());
    m_main->Form_Load();
    m_mainWindow->showMaximized();
    // Installed after the MDI area has its window, so that Ctrl+Tab reaches
    // the tab strip before the area could cycle its windows with it.
    m_tabKeys.install();
}

void frmMainMDI::applyPlacement(const FramePlacement& placement)
{
    switch (placement.WindowState) {
    case 2:
        showMaximized();
        return;
    case 1:
        showMinimized();
        return;
    default:
        break;
    }
    setWindowState(Qt::WindowNoState);
    const int dpi = screenDpi(this);
    m_placed = {PlacedTwips::place(placement.Left, dpi), PlacedTwips::place(placement.Top, dpi),
                PlacedTwips::place(placement.Width, dpi), PlacedTwips::place(placement.Height, dpi)};
    move(m_placed[0].pixels, m_placed[1].pixels);
    resize(m_placed[2].pixels, m_placed[3].pixels);
}

FramePlacement frmMainMDI::currentPlacement() const
{
    FramePlacement p;
    if (isMinimized())
        p.WindowState = 1;
    else if (isMaximized())
        p.WindowState = 2;
    const int dpi = screenDpi(this);
    p.Left = m_placed[0].twipsOf(pos().x(), dpi);
    p.Top = m_placed[1].twipsOf(pos().y(), dpi);
    p.Width = m_placed[2].twipsOf(width(), dpi);
    p.Height = m_placed[3].twipsOf(height(), dpi);
    return p;
}

void frmMainMDI::SaveIniFile()
{
    if (G_bCommandLineMode)
        return;
    const FramePlacement p = currentPlacement();
    const QString& file = G_IniFilePath;
    WriteIniText(kFrameSection, QStringLiteral("WindowState"), QString::number(p.WindowState), file);
    if (p.WindowState != 0)
        return;
    WriteIniText(kFrameSection, QStringLiteral("Left"), QString::number(p.Left), file);
    WriteIniText(kFrameSection, QStringLiteral("Top"), QString::number(p.Top), file);
    WriteIniText(kFrameSection, QStringLiteral("Width"), QString::number(p.Width), file);
    WriteIniText(kFrameSection, QStringLiteral("Height"), QString::number(p.Height), file);
}

void frmMainMDI::mnuExit_Click()
{
    close();
}

void frmMainMDI::setCaption(const QString& caption)
{
    m_caption = caption;
    updateTitle();
}

void frmMainMDI::updateTitle()
{
    const QString child = m_main ? m_main->windowTitle() : QString();
    QString title = child.isEmpty() ? m_caption : m_caption + QStringLiteral(" - [") + child + u']';
    // Qt reads "[*]" (a new job's "*" in brackets) as the place of its
    // modified mark and drops it; doubled, it is shown as written.
    title.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    setWindowTitle(title);
}

void frmMainMDI::SetStatusPanelText(int panel, const QString& text)
{
    if (QLabel* label = m_panels.value(panel))
        label->setText(text);
}

QString frmMainMDI::statusPanelText(int panel) const
{
    const QLabel* label = m_panels.value(panel);
    return label ? label->text() : QString();
}

namespace {

// A red mark holding the number of failed items, so that a run with
// failures never reads as a plain success.
QPixmap failureMark(int failed, const QFont& font)
{
    const QString number = failed > 999 ? QStringLiteral("999+") : QString::number(failed);
    QFont bold = font;
    bold.setBold(true);
    bold.setPixelSize(11);
    const int width = std::max(16, QFontMetrics(bold).horizontalAdvance(number) + 8);
    QPixmap pixmap(width, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xc6, 0x28, 0x28));
    p.drawRoundedRect(QRectF(0.5, 0.5, width - 1, 15), 7.5, 7.5);
    p.setPen(Qt::white);
    p.setFont(bold);
    p.drawText(QRect(0, 0, width, 16), Qt::AlignCenter, number);
    return pixmap;
}

} // namespace

void frmMainMDI::SetRunStatePicture(int image, int failed)
{
    m_runStateImage = image;
    m_runStateFailures = image == 11 || image == 12 ? failed : 0;
    const QIcon done = image == 11 || image == 12 ? QIcon(failureMark(failed, font()))
                                                  : style()->standardIcon(QStyle::SP_DialogApplyButton);
    const QSize size = image == 11 || image == 12 ? done.availableSizes().value(0, QSize(16, 16)) : QSize(16, 16);
    m_runStatePictureLabel->setFixedWidth(size.width());
    if (image == 9 || image == 11)
        m_runStatePictureLabel->setPixmap(done.pixmap(size));
    else if (image == 10 || image == 12)   // the blinker's other picture: the same, dimmed
        m_runStatePictureLabel->setPixmap(done.pixmap(size, QIcon::Disabled));
    else
        m_runStatePictureLabel->clear();
}

void frmMainMDI::SetRunStatePanelEnabled(bool enabled)
{
    if (QLabel* panel = m_panels.value(statuspanel::RunState))
        panel->setEnabled(enabled);
    m_runStatePictureLabel->setEnabled(enabled);
}

bool frmMainMDI::runStatePanelEnabled() const
{
    return m_runStatePictureLabel->isEnabled();
}

void frmMainMDI::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (m_form.bRunning && m_main->isRunningJob()) {
        // The run stops first; the window closes once it has come back.
        m_main->ConversionJobPause();
        m_form.bRunning = false;
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    SaveIniFile();
    if (!m_main->Form_Unload()) {
        event->ignore();
        return;
    }
    m_unloaded = true;
    event->accept();
}

void frmMainMDI::closeAfterRun()
{
    if (!m_closeAfterRun)
        return;
    m_closeAfterRun = false;
    close();
}

void frmMainMDI::tabKeyUp(int shift)
{
    m_main->Form_KeyUp(Qt::Key_Tab, shift);
}

void frmMainMDI::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (windowState() != Qt::WindowNoState)
        return;
    const int dpi = screenDpi(this);
    if (PixelsToTwips(pos().y(), dpi) > kOffScreenTop)
        applyPlacement(ReadFramePlacement());
}
