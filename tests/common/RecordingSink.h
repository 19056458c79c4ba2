#pragma once
// A message sink that keeps every message instead of showing it, installed
// for as long as it lives.
#include "base/MessageSink.h"

#include <QString>
#include <QStringList>

class RecordingSink : public MessageSink
{
public:
    RecordingSink() { SetMessageSink(this); }
    ~RecordingSink() override { SetMessageSink(nullptr); }
    RecordingSink(const RecordingSink&) = delete;
    RecordingSink& operator=(const RecordingSink&) = delete;

    MessageAnswer showMessage(const QString& text, const QString&, MessageButtons, MessageIcon) override
    {
        messages << text;
        return MessageAnswer::Ok;
    }

    QStringList messages;
};
