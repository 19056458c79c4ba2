#include "process/ShellWords.h"

namespace {

bool isSeparator(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

bool SplitShellWords(const QString& text, QStringList& arguments)
{
    arguments.clear();
    QString word;
    bool inWord = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (isSeparator(c)) {
            if (inWord)
                arguments << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\'') {
            const qsizetype close = text.indexOf(u'\'', i + 1);
            if (close < 0) {
                arguments.clear();
                return false;
            }
            word += QStringView(text).sliced(i + 1, close - i - 1);
            i = close;
        } else if (c == u'"') {
            qsizetype j = i + 1;
            for (; j < n && text.at(j) != u'"'; ++j) {
                const QChar d = text.at(j);
                if (d == u'\\' && j + 1 < n) {
                    const QChar e = text.at(j + 1);
                    if (e == u'\\' || e == u'"' || e == u'$' || e == u'`' || e == u'\n') {
                        if (e != u'\n')
                            word += e;
                        ++j;
                        continue;
                    }
                }
                word += d;
            }
            if (j >= n) {
                arguments.clear();
                return false;
            }
            i = j;
        } else if (c == u'\\') {
            if (i + 1 == n)
                word += c;   // nothing to take: the backslash stands for itself
            else if (text.at(++i) != u'\n')   // a backslash before a line end joins the lines
                word += text.at(i);
        } else {
            word += c;
        }
    }
    if (inWord)
        arguments << word;
    return true;
}
