#pragma once
// The question with Continue, Cancel and the check box "Never show this
// message again", and the window's Prompter that asks it (and every other
// question of task validation, through the message boxes).
#include "base/Prompter.h"
#include "core/NeverShowAgainPrompt.h"

#include <QMessageBox>

class QCheckBox;
class QPushButton;

class frmPromptWithDisableOption : public QMessageBox
{
    Q_OBJECT
public:
    // `caption` and `text` come translated; the buttons and the check box
    // are translated here.
    frmPromptWithDisableOption(const QString& caption, const QString& text, QWidget* parent = nullptr);

    QCheckBox* chkDontShowAgain = nullptr;
    QPushButton* cmdContinue = nullptr;
    QPushButton* cmdCancel = nullptr;

    // How the user left it; valid once the dialog is closed.
    NeverShowAgainAnswer answer() const { return m_prompt.answer(); }

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    NeverShowAgainPrompt m_prompt;
};

// Plain questions go to the current message sink; the never-show-again
// question is the dialog above, shown modally over the active window.
class WindowPrompter : public Prompter
{
public:
    MessageAnswer ask(const QString& text, const QString& title, MessageButtons buttons, MessageIcon icon) override;
    NeverShowAgainAnswer askWithNeverShowAgain(const QString& caption, const QString& text) override;
};
