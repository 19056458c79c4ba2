#pragma once
// A new control given the name the program knows it by.
#include <QString>

template <typename W>
W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

template <typename W>
W* named(W* widget, const char* name)
{
    return named(widget, QString::fromLatin1(name));
}
