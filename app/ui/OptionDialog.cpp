#include "ui/OptionDialog.h"

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
    CycleTabs(m_tabs, shift);
}

void OptionDialog::showEvent(QShowEvent* event)
{
    // Before the tab widgets and the focus chain see Ctrl+Tab.
    m_tabKeys.install();
    QDialog::showEvent(event);
}

void OptionDialog::hideEvent(QHideEvent* event)
{
    m_tabKeys.remove();
    QDialog::hideEvent(event);
}
