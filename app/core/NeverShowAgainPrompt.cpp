#include "NeverShowAgainPrompt.h"

void NeverShowAgainPrompt::Load()
{
    m_answer = NeverShowAgainAnswer();
    m_ticked = false;
    m_visible = true;
}

void NeverShowAgainPrompt::chkDontShowAgain_Click(bool ticked)
{
    if (m_visible)
        m_ticked = ticked;
}

void NeverShowAgainPrompt::cmdContinue_Click()
{
    leave(true);
}

void NeverShowAgainPrompt::cmdCancel_Click()
{
    leave(false);
}

void NeverShowAgainPrompt::leave(bool clickedContinue)
{
    if (!m_visible)
        return;
    m_answer.bClickedContinue = clickedContinue;
    m_answer.bClickedCheckBox = m_ticked;
    m_visible = false;
}
