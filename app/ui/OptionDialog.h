#pragma once
// What every option dialog shares: it is modal, Escape cancels it, and
// Ctrl+Tab and Ctrl+Shift+Tab cycle its tabs wherever the focus is,
// wrapping at both ends.
#include "scheduler/frmTabKeys.h"

#include <QDialog>

class QTabWidget;

// Adds a page to a dialog's tabs under its English caption (the form's
// translation translates it).
void addTab(QTabWidget* tabs, const QString& caption, QWidget* page);

class OptionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OptionDialog(QWidget* parent = nullptr);

protected:
    // The tabs Ctrl+Tab cycles; none by default.
    void setCycledTabs(QTabWidget* tabs) { m_tabs = tabs; }
    // Ctrl+Tab (shift 2) and Ctrl+Shift+Tab (shift 3).
    void cycleTabs(int shift);
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTabWidget* m_tabs = nullptr;
    FormTabKeys m_tabKeys{this, [this](int shift) { cycleTabs(shift); }};
};
