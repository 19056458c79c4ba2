#pragma once
// Questions the window puts to the user while a task is checked: plain boxes
// with their buttons, and the question that carries a "Never show this
// message again" check box. The window answers with Qt dialogs, tests with
// scripted answers; the command line never asks.
#include "base/MessageSink.h"

#include <QString>

// How the user left the question with the check box.
struct NeverShowAgainAnswer
{
    bool bClickedContinue = false; // left with Continue (Cancel and Escape leave it False)
    bool bClickedCheckBox = false; // the box was ticked when the user left
};

class Prompter
{
public:
    virtual ~Prompter() = default;

    // Shows a box with the text and buttons, titled `title`, and waits for
    // the answer.
    virtual MessageAnswer ask(const QString& text, const QString& title, MessageButtons buttons,
                              MessageIcon icon) = 0;

    // Shows the modal question with Continue, Cancel and the check box
    // "Never show this message again"; `caption` and `text` come translated.
    virtual NeverShowAgainAnswer askWithNeverShowAgain(const QString& caption, const QString& text) = 0;
};
