// The splitter of argument texts (launched programs, the automation's
// command line). Whatever it splits, the words quoted again split into the
// same words.
#include "FuzzSupport.h"

#include "process/ShellWords.h"

namespace {

QString quoted(const QStringList& words)
{
    QStringList parts;
    for (QString word : words)
        parts << u'\'' + word.replace(u'\'', QStringLiteral("'\\''")) + u'\'';
    return parts.join(u' ');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::text(data, size);
    QStringList words;
    if (!SplitShellWords(text, words)) {
        fuzz::check(words.isEmpty(), "a refused text left words behind");
        return 0;
    }
    QStringList again;
    fuzz::check(SplitShellWords(quoted(words), again), "quoted words were refused", quoted(words));
    fuzz::check(again == words, "quoted words split differently", quoted(words));
    return 0;
}
