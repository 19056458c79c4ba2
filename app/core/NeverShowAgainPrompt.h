#pragma once
// What the prompt with a never-show-again option does with the user's
// clicks, without its window: the dialog forwards each event here and the
// caller reads the answer once the prompt is hidden.
#include "base/Prompter.h"

class NeverShowAgainPrompt
{
public:
    // Loading the prompt starts afresh: box clear, nothing chosen, shown.
    void Load();

    // The check box was clicked into the given state.
    void chkDontShowAgain_Click(bool ticked);
    // Continue chosen: the prompt hides and the modal show returns.
    void cmdContinue_Click();
    // Cancel chosen, or Escape released on the prompt: the prompt hides.
    void cmdCancel_Click();

    bool isVisible() const { return m_visible; }
    bool isCheckBoxTicked() const { return m_ticked; }

    // The choice the caller acts on. The check box counts in the state the
    // user left it in: a tick taken back before leaving does not count.
    NeverShowAgainAnswer answer() const { return m_answer; }

private:
    void leave(bool clickedContinue);

    NeverShowAgainAnswer m_answer;
    bool m_ticked = false;
    bool m_visible = false;
};
