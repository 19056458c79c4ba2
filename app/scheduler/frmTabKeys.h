#pragma once
// Ctrl+Tab and Ctrl+Shift+Tab as keys of a whole form, wherever the focus
// is in it: while installed, every Ctrl+Tab aimed at one of the form's
// widgets is the form's (neither a tab widget nor the focus chain moves
// with it), and the form's key-up handler runs when Ctrl+Tab or
// Ctrl+Shift+Tab is released. Shared by the forms of the scheduler and of
// the window, which all handle these keys this way.
#include <QObject>

#include <functional>

class QTabWidget;
class QWidget;

class FormTabKeys : public QObject
{
public:
    // `keyUp` gets the shift state: 2 for Ctrl+Tab, 3 for Ctrl+Shift+Tab.
    FormTabKeys(QWidget* form, std::function<void(int shift)> keyUp);
    ~FormTabKeys() override;

    // Watches the application's key events (before any widget sees them)
    // until removed; the last one installed is asked first.
    void install();
    void remove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_form;
    std::function<void(int)> m_keyUp;
};

// Selects the next tab (shift 2) or the previous one (shift 3), wrapping
// at both ends.
void CycleTabs(QTabWidget* tabs, int shift);
