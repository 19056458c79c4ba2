// The special-character codes of search-and-replace texts ("©13©©10©").
#include "FuzzSupport.h"

#include "engine/SearchAndReplace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::text(data, size);
    QString decoded;
    if (!DecodeSpecialCharacters(text, decoded)) {
        fuzz::check(decoded.isEmpty(), "a refused text was decoded");
        return 0;
    }
    if (!text.contains(kSpecialCharacterMarker))
        fuzz::check(decoded == text, "a text without codes was changed");
    else
        fuzz::check(decoded.size() <= text.size(), "decoding made a text longer");
    return 0;
}
