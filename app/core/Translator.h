#pragma once
// Every user-visible text passes through Translate before it is shown.
// English is built in; until language files are read the text comes back
// unchanged.
#include <QString>

QString Translate(const QString& text);
