#pragma once
// Message boxes go through this interface: the window shows Qt dialogs, the
// command line writes to stderr, tests script the answers.
#include <QString>
#include <QStringList>

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer showMessage(const QString& text, const QString& title,
                                      MessageButtons buttons = MessageButtons::Ok,
                                      MessageIcon icon = MessageIcon::None) = 0;
};

// Writes each message to stderr and answers with the default button (Ok,
// or Yes for the yes/no forms).
class StderrMessageSink : public MessageSink
{
public:
    MessageAnswer showMessage(const QString& text, const QString& title,
                              MessageButtons buttons, MessageIcon icon) override;
};

// Every message the program shows goes to the current sink. By default
// that is a StderrMessageSink; the window installs its own.
MessageSink& CurrentMessageSink();
void SetMessageSink(MessageSink* sink); // nullptr restores the default

// Shorthand: show a message with the current sink.
MessageAnswer ShowMessage(const QString& text, const QString& title = QString(),
                          MessageButtons buttons = MessageButtons::Ok,
                          MessageIcon icon = MessageIcon::None);

// Keeps the messages of a step that runs unattended, or whose failure is
// told another way, instead of showing them; the earlier sink comes back
// at the end of the scope. Questions get the answer that agrees to
// nothing (Ok, Cancel, No).
class CapturedMessages : public MessageSink
{
public:
    CapturedMessages() : m_previous(&CurrentMessageSink()) { SetMessageSink(this); }
    ~CapturedMessages() override { SetMessageSink(m_previous); }
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    MessageAnswer showMessage(const QString& text, const QString& title, MessageButtons buttons,
                              MessageIcon icon) override;

    QStringList texts;

private:
    MessageSink* m_previous;
};
