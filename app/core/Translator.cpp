#include "Translator.h"

QString Translate(const QString& text)
{
    return text;
}
