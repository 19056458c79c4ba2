#include "ui/OptionDialog.h"

#include "ui/MainFormLayout.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>

void addTab(QTabWidget* tabs, const QString& caption, QWidget* page)
{
    tabs->addTab(page, caption);
}

OptionDialog::OptionDialog(QWidget* parent) : QDialog(parent)
{
    setModal(true);
    QFont tahoma = font();
    tahoma.setFamily(QStringLiteral("Tahoma"));
    setFont(tahoma);
}

void OptionDialog::cycleTabs(int shift)
{
    if (!m_tabs || m_tabs->count() == 0)
        return;
    const int selected = m_tabs->currentIndex() + 1;
    const int next = shift == 2 ? NextTabIndex(selected, m_tabs->count()) : PreviousTabIndex(selected, m_tabs->count());
    m_tabs->setCurrentIndex(next - 1);
}

void OptionDialog::showEvent(QShowEvent* event)
{
    // Before the tab widgets and the focus chain see Ctrl+Tab.
    qApp->installEventFilter(this);
    QDialog::showEvent(event);
}

void OptionDialog::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

bool OptionDialog::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QDialog::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!tab || !(modifiers & Qt::ControlModifier))
        return QDialog::eventFilter(watched, event);
    if (type == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (type == QEvent::KeyRelease && !key->isAutoRepeat()) {
        if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_Tab)
            cycleTabs(2);
        else if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
            cycleTabs(3);
    }
    return true;
}
