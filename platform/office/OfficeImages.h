#pragma once
// Pictures brought down to a maximum resolution before a PDF export. The
// export's own reduction does nothing below 51 dots per inch
// (kOfficeLowestExportReduction), and for a cropped picture it measures the
// whole picture against the visible part's size on the page, which leaves
// it at a fraction of the maximum. So the office resamples each picture of
// the document whose visible part passes the maximum to that many pixels
// per inch of its size on the page (the cropped-away part dropped), for one
// export, and the originals are put back afterwards, so a later save of the
// document has them as they were. The export's reduction still serves the
// pictures this does not reach (fills and backgrounds).
#include "office/OfficeUno.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/text/GraphicCrop.hpp>

#include <vector>

// The lowest maximum resolution the PDF export reduces pictures to itself.
constexpr int kOfficeLowestExportReduction = 51;

class OfficePictureReduction
{
public:
    OfficePictureReduction() = default;
    // Puts the original pictures back; an office that went meanwhile has
    // nothing to put back.
    ~OfficePictureReduction();

    // Resamples the pictures of `model` (pictures of the text, of its
    // frames, headers and footers, and picture shapes of the drawing
    // layer) that pass `maxDpi` on the page, through files in `folder`.
    // Throws what the office throws; pictures changed until then are put
    // back all the same.
    void reduce(const css::uno::Reference<css::uno::XComponentContext>& context,
                const css::uno::Reference<css::lang::XComponent>& model, int maxDpi, const QString& folder);

    OfficePictureReduction(const OfficePictureReduction&) = delete;
    OfficePictureReduction& operator=(const OfficePictureReduction&) = delete;

    // How many pictures were resampled.
    int reduced() const { return static_cast<int>(m_originals.size()); }

private:
    struct Original
    {
        css::uno::Reference<css::beans::XPropertySet> object;
        css::uno::Reference<css::graphic::XGraphic> graphic;
        css::text::GraphicCrop crop;
    };
    std::vector<Original> m_originals;
};
