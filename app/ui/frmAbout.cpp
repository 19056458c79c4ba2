#include "frmAbout.h"

#include "core/FileTimes.h"
#include "core/Globals.h"
#include "core/Translator.h"
#include "help/HelpOpener.h"
#include "ui/FormTranslation.h"
#include "ui/WebPages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kFrames = 16;
constexpr int kFrameInterval = 200;   // milliseconds
constexpr int kHoldInterval = 10000;  // the last frame stays this long
constexpr int kLogoSize = 96;

} // namespace

QPixmap LogoFrame(int frame, int size)
{
    // Four tiles that turn into place one after another, a quarter turn
    // over each four frames.
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double tile = size / 2.0 - 4;
    const QColor colours[4] = {QColor(0x1f, 0x6f, 0xb5), QColor(0x2e, 0x9e, 0x6b), QColor(0xe0, 0x8a, 0x1e),
                               QColor(0xc2, 0x3b, 0x3b)};
    for (int t = 0; t < 4; ++t) {
        const int placed = std::clamp(frame - t * 4, 0, 4);
        const double angle = 90.0 * (4 - placed) / 4.0;
        const QPointF centre((t % 2) * (tile + 8) + tile / 2 + 2, (t / 2) * (tile + 8) + tile / 2 + 2);
        p.save();
        p.translate(centre);
        p.rotate(angle);
        QColor c = colours[t];
        c.setAlphaF(placed == 4 ? 1.0 : 0.35 + 0.15 * placed);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(-tile / 2, -tile / 2, tile, tile), tile / 6, tile / 6);
        p.restore();
    }
    return pixmap;
}

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    QApplication::restoreOverrideCursor();

    auto* grid = new QGridLayout(this);
    logo = new QLabel;
    logo->setObjectName(QStringLiteral("ImageArray"));
    logo->setFixedSize(kLogoSize, kLogoSize);
    logo->setPixmap(LogoFrame(kFrames, kLogoSize));
    logo->installEventFilter(this);
    logo->setToolTip(QString());
    grid->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop);

    lblProductName = new QLabel;
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont big = lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblProductName->setFont(big);
    lblVersion = new QLabel;
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblFileDescription = new QLabel;
    lblFileDescription->setObjectName(QStringLiteral("lblFileDescription"));
    lblFileDescription->setWordWrap(true);
    grid->addWidget(lblProductName, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblFileDescription, 2, 1);

    cmdMailToProductName = new QPushButton;
    cmdMailToProductName->setObjectName(QStringLiteral("cmdMailToProductName"));
    grid->addWidget(cmdMailToProductName, 3, 0, 1, 2, Qt::AlignCenter);
    connect(cmdMailToProductName, &QPushButton::clicked, this, &frmAbout::cmdMailToProductName_Click);

    // The designed texts are translated first; what is set below is the
    // program's own (its version, the address) or translated here.
    TranslateForm(this);
    cmdMailToProductName->setText(kSupportMailAddress);
    lblVersion->setText(AboutVersionText(TESSAVIEW_VERSION_MAJOR, TESSAVIEW_VERSION_MINOR, TESSAVIEW_VERSION_PATCH));
    lblProductName->setText(Translate(QStringLiteral("Tessaview")));
    lblFileDescription->setText(
        Translate(QStringLiteral("Converts documents and PDF files into images, PDF and PDF/A, in batches.")));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kFrameInterval);
    connect(Timer1, &QTimer::timeout, this, &frmAbout::Timer1_Timer);
    Timer1->start();
}

void frmAbout::Timer1_Timer()
{
    // One frame visible at a time: the next one replaces the last.
    logo->setPixmap(LogoFrame(m_next, kLogoSize));
    m_last = m_next;
    ++m_next;
    if (m_next > kFrames) {
        m_next = 1;
        Timer1->setInterval(kHoldInterval);
    } else {
        Timer1->setInterval(kFrameInterval);
    }
}

void frmAbout::ImageArray_DblClick()
{
    // A shortcut for support: the settings file, once there is one.
    if (FileExists(G_IniFilePath))
        CurrentHelpOpener().open(QUrl::fromLocalFile(G_IniFilePath));
}

void frmAbout::cmdMailToProductName_Click()
{
    CurrentHelpOpener().open(QUrl(QStringLiteral("mailto:") + kSupportMailAddress));
}

void frmAbout::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == logo && event->type() == QEvent::MouseButtonDblClick) {
        ImageArray_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
