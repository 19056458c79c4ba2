#include "scheduler/frmTabKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>

FormTabKeys::FormTabKeys(QWidget* form, std::function<void(int shift)> keyUp)
    : m_form(form)
    , m_keyUp(std::move(keyUp))
{
}

FormTabKeys::~FormTabKeys()
{
    remove();
}

void FormTabKeys::install()
{
    qApp->installEventFilter(this);
}

void FormTabKeys::remove()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool FormTabKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_form)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!tab || !(modifiers & Qt::ControlModifier))
        return false;
    // Every Ctrl+Tab is the form's; only Ctrl+Tab and Ctrl+Shift+Tab do
    // anything.
    if (type == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (type == QEvent::KeyRelease && !key->isAutoRepeat()) {
        if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_Tab)
            m_keyUp(2);
        else if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
            m_keyUp(3);
    }
    return true;
}

void CycleTabs(QTabWidget* tabs, int shift)
{
    const int count = tabs ? tabs->count() : 0;
    if (count == 0)
        return;
    const int step = shift == 2 ? 1 : count - 1;
    tabs->setCurrentIndex((tabs->currentIndex() + step) % count);
}
