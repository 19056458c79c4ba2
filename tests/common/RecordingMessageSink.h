#pragma once
// A message sink that records each box and answers Ok.
#include "base/MessageSink.h"

#include <QList>
#include <QStringList>

namespace testutil {

class RecordingMessageSink : public MessageSink
{
public:
    struct Box
    {
        QString text;
        QString title;
        MessageIcon icon = MessageIcon::None;
    };
    QList<Box> boxes;
    QStringList texts;

    MessageAnswer showMessage(const QString& text, const QString& title, MessageButtons, MessageIcon icon) override
    {
        boxes.append({text, title, icon});
        texts << text;
        return MessageAnswer::Ok;
    }
    void clear()
    {
        boxes.clear();
        texts.clear();
    }
};

} // namespace testutil
