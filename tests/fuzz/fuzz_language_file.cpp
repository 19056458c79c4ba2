// Language files, which users edit by hand: any bytes in any of the
// formats. A phrase the reader says can be added is added and then read
// back as it was.
#include "FuzzSupport.h"

#include "core/LanguageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Sandbox& box = fuzz::sandbox();
    const QByteArray content = fuzz::bytes(data, size);
    const int format = LanguageFileFormatOfHead(content.first(std::min<qsizetype>(4, content.size())));
    const LanguageFileContents contents = ReadLanguageFileText(content, format);
    if (!contents.ok)
        return 0;

    // The first line of the input is the phrase to add; the file is the
    // input itself.
    const QString phrase = QString::fromUtf8(content.left(std::max<qsizetype>(0, content.indexOf('\n'))));
    if (!CanAddToLanguageFile(phrase) || contents.translations.contains(phrase))
        return 0;
    const QString path = box.file("language.txt");
    if (!fuzz::writeFile(path, content))
        return 0;
    if (!AddLineToLanguageFile(path, phrase, contents.encoding))
        return 0; // the phrase has no bytes in the file's encoding
    const QByteArray added = fuzz::readFile(path);
    const LanguageFileContents after = ReadLanguageFileText(added, LanguageFileFormatOfHead(added.first(std::min<qsizetype>(4, added.size()))));
    fuzz::check(after.ok, "the file with the added phrase no longer reads");
    fuzz::check(after.encoding == contents.encoding || contents.encoding == TextFileEncoding::Ascii,
                "adding a phrase changed the file's encoding");
    fuzz::check(after.translations.value(phrase) == phrase, "the added phrase did not read back", phrase);
    for (auto it = contents.translations.cbegin(); it != contents.translations.cend(); ++it)
        fuzz::check(after.translations.value(it.key()) == it.value(), "adding a phrase changed another", it.key());
    return 0;
}
