#include "StringRoutines.h"

QString StripAtNull(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QString RemoveQuotes(const QString& text)
{
    QString result = text;
    result.remove(QLatin1Char('"'));
    return result;
}

bool StartsWithText(const QString& text, const QString& prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

QString TrimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

QString TextWithReason(const QString& text, const QString& reason)
{
    const QString trimmed = reason.trimmed();
    return trimmed.isEmpty() ? text : text + QStringLiteral(" - ") + trimmed;
}
