#include "frmPromptWithDisableOption.h"

#include "ui/FormTranslation.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

frmPromptWithDisableOption::frmPromptWithDisableOption(const QString& caption, const QString& text, QWidget* parent)
    : QMessageBox(parent)
{
    setObjectName(QStringLiteral("frmPromptWithDisableOption"));
    setIcon(QMessageBox::Question);
    chkDontShowAgain = new QCheckBox(QStringLiteral("Never show this message again"));
    chkDontShowAgain->setObjectName(QStringLiteral("chkDontShowAgain"));
    setCheckBox(chkDontShowAgain);
    cmdContinue = addButton(QStringLiteral("&Continue"), QMessageBox::AcceptRole);
    cmdContinue->setObjectName(QStringLiteral("cmdContinue"));
    cmdCancel = addButton(QStringLiteral("Ca&ncel"), QMessageBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    setDefaultButton(cmdContinue);
    // Escape is taken on its release, below.
    setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    TranslateForm(this);
    // The caller's texts are translated already.
    setWindowTitle(caption);
    setText(text);

    m_prompt.Load();
    connect(chkDontShowAgain, &QCheckBox::toggled, this, [this](bool on) { m_prompt.chkDontShowAgain_Click(on); });
    connect(this, &QMessageBox::buttonClicked, this, [this](QAbstractButton* button) {
        if (button == cmdContinue)
            m_prompt.cmdContinue_Click();
        else
            m_prompt.cmdCancel_Click();
    });
}

void frmPromptWithDisableOption::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        m_prompt.cmdCancel_Click();
        reject();
        return;
    }
    QMessageBox::keyReleaseEvent(event);
}

void frmPromptWithDisableOption::closeEvent(QCloseEvent* event)
{
    // Closed by the window's frame: as Cancel.
    m_prompt.cmdCancel_Click();
    QMessageBox::closeEvent(event);
}

MessageAnswer WindowPrompter::ask(const QString& text, const QString& title, MessageButtons buttons, MessageIcon icon)
{
    return CurrentMessageSink().showMessage(text, title, buttons, icon);
}

NeverShowAgainAnswer WindowPrompter::askWithNeverShowAgain(const QString& caption, const QString& text)
{
    frmPromptWithDisableOption prompt(caption, text, QApplication::activeWindow());
    prompt.exec();
    return prompt.answer();
}
