#include "MessageSink.h"

#include <cstdio>

MessageAnswer StderrMessageSink::showMessage(const QString& text, const QString& title,
                                             MessageButtons buttons, MessageIcon)
{
    const QByteArray line = (title.isEmpty() ? text : title + QStringLiteral(": ") + text).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Yes;
    default:
        return MessageAnswer::Ok;
    }
}

namespace {
MessageSink* g_sink = nullptr;
}

MessageSink& CurrentMessageSink()
{
    static StderrMessageSink fallback;
    return g_sink ? *g_sink : fallback;
}

void SetMessageSink(MessageSink* sink)
{
    g_sink = sink;
}

MessageAnswer ShowMessage(const QString& text, const QString& title, MessageButtons buttons,
                          MessageIcon icon)
{
    return CurrentMessageSink().showMessage(text, title, buttons, icon);
}

MessageAnswer CapturedMessages::showMessage(const QString& text, const QString&, MessageButtons buttons, MessageIcon)
{
    texts << text;
    // Nobody is there to agree to anything.
    switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::OkCancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::No;
    }
}
