// The PDF-to-image option string of a task: whatever it holds, the fields
// read from it build a string that reads back into the same fields.
#include "FuzzSupport.h"

#include "jobs/OptionString.h"

namespace {

struct Fields
{
    QString pages = QStringLiteral("*");
    int compression = 0;
    bool append = false;
    int quality = 75;
    int resolution = 100;
    int width = 0;
    int height = 0;
    int layout = 0;

    void read(const QString& s)
    {
        ParseConversionOptionString(s, pages, compression, append, quality, resolution, width, height, layout);
    }
    bool operator==(const Fields&) const = default;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fields first;
    first.read(fuzz::text(data, size));
    if (first.pages.contains(u'^'))
        return 0; // a page text cannot carry the separator; validation refuses it
    const QString built = BuildConversionOptionString(first.pages, first.compression, first.append,
                                                      QString::number(first.quality), first.resolution, first.width,
                                                      first.height, first.layout);
    Fields second;
    second.pages = QStringLiteral("unread");
    second.read(built);
    fuzz::check(second == first, "an option string did not read back", built);
    return 0;
}
