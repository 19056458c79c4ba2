#include "office/OfficeImages.h"

#include <QDir>
#include <QUrl>

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/graphic/GraphicType.hpp>
#include <com/sun/star/graphic/XGraphicProvider.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>

#include <algorithm>
#include <cmath>
#include <functional>

using css::uno::Reference;
using css::uno::UNO_QUERY;

namespace {

constexpr double kHundredthMmPerInch = 2540.0;
// The office lays out a picture without a size of its own at 96 pixels per
// inch.
constexpr double kDefaultPixelsPerInch = 96.0;

// A picture's own size in 1/100 mm, which its crop is measured against.
css::awt::Size PreferredSize(const Reference<css::beans::XPropertySet>& graphic)
{
    css::awt::Size size;
    graphic->getPropertyValue("Size100thMM") >>= size;
    if (size.Width > 0 && size.Height > 0)
        return size;
    css::awt::Size pixels;
    graphic->getPropertyValue("SizePixel") >>= pixels;
    return {static_cast<sal_Int32>(std::lround(pixels.Width * kHundredthMmPerInch / kDefaultPixelsPerInch)),
            static_cast<sal_Int32>(std::lround(pixels.Height * kHundredthMmPerInch / kDefaultPixelsPerInch))};
}

bool HasCrop(const css::text::GraphicCrop& crop)
{
    return crop.Left || crop.Right || crop.Top || crop.Bottom;
}

// Every object of the document that shows a picture: the text's pictures,
// then picture shapes of the drawing layer (inside groups too).
std::vector<Reference<css::beans::XPropertySet>> PictureObjects(const Reference<css::lang::XComponent>& model)
{
    std::vector<Reference<css::beans::XPropertySet>> objects;
    const Reference<css::text::XTextGraphicObjectsSupplier> pictures(model, UNO_QUERY);
    if (pictures.is()) {
        const Reference<css::container::XNameAccess> all = pictures->getGraphicObjects();
        for (const rtl::OUString& name : all->getElementNames())
            objects.emplace_back(all->getByName(name), UNO_QUERY);
    }
    std::function<void(const Reference<css::container::XIndexAccess>&)> shapes =
        [&](const Reference<css::container::XIndexAccess>& container) {
            for (sal_Int32 i = 0; container.is() && i < container->getCount(); ++i) {
                const Reference<css::lang::XServiceInfo> info(container->getByIndex(i), UNO_QUERY);
                if (!info.is() || info->supportsService("com.sun.star.text.TextGraphicObject"))
                    continue; // the text's pictures are listed above
                if (info->supportsService("com.sun.star.drawing.GraphicObjectShape"))
                    objects.emplace_back(info, UNO_QUERY);
                else if (info->supportsService("com.sun.star.drawing.GroupShape"))
                    shapes(Reference<css::container::XIndexAccess>(info, UNO_QUERY));
            }
        };
    const Reference<css::drawing::XDrawPageSupplier> page(model, UNO_QUERY);
    if (page.is())
        shapes(Reference<css::container::XIndexAccess>(page->getDrawPage(), UNO_QUERY));
    return objects;
}

// The size a picture is shown at on the page, in 1/100 mm.
css::awt::Size ShownSize(const Reference<css::beans::XPropertySet>& object)
{
    const Reference<css::drawing::XShape> shape(object, UNO_QUERY);
    if (shape.is())
        return shape->getSize();
    css::awt::Size size;
    object->getPropertyValue("Size") >>= size;
    return size;
}

// The pixels a visible part `visiblePixels` long and `shownHundredthMm` on
// the page may have at `maxDpi`: the page size times maxDpi, at least one;
// 0 when it is within maxDpi already.
int ReducedPixels(double visiblePixels, qint64 shownHundredthMm, int maxDpi)
{
    if (visiblePixels <= 0 || shownHundredthMm <= 0)
        return 0;
    const double shownInches = double(shownHundredthMm) / kHundredthMmPerInch;
    if (visiblePixels / shownInches <= maxDpi)
        return 0;
    return std::max(1, static_cast<int>(std::floor(shownInches * maxDpi)));
}

} // namespace

void OfficePictureReduction::reduce(const Reference<css::uno::XComponentContext>& context,
                                    const Reference<css::lang::XComponent>& model, int maxDpi, const QString& folder)
{
    const Reference<css::graphic::XGraphicProvider> provider = css::graphic::GraphicProvider::create(context);
    int number = 0;
    for (const Reference<css::beans::XPropertySet>& object : PictureObjects(model)) {
        if (!object.is() || !object->getPropertySetInfo()->hasPropertyByName("Graphic"))
            continue;
        Reference<css::graphic::XGraphic> graphic;
        object->getPropertyValue("Graphic") >>= graphic;
        const Reference<css::beans::XPropertySet> described(graphic, UNO_QUERY);
        if (!described.is())
            continue;
        sal_Int8 type = css::graphic::GraphicType::EMPTY;
        described->getPropertyValue("GraphicType") >>= type;
        bool animated = false;
        described->getPropertyValue("Animated") >>= animated;
        // Drawings have no pixels to take away; an animation would lose
        // its frames.
        if (type != css::graphic::GraphicType::PIXEL || animated)
            continue;

        css::awt::Size pixels;
        described->getPropertyValue("SizePixel") >>= pixels;
        const css::awt::Size own = PreferredSize(described);
        css::text::GraphicCrop crop;
        if (object->getPropertySetInfo()->hasPropertyByName("GraphicCrop"))
            object->getPropertyValue("GraphicCrop") >>= crop;
        if (own.Width <= 0 || own.Height <= 0)
            continue;
        // The crop is measured against the picture's own size; what is left
        // of it fills the size shown on the page.
        const double visibleWidth = pixels.Width * double(own.Width - crop.Left - crop.Right) / own.Width;
        const double visibleHeight = pixels.Height * double(own.Height - crop.Top - crop.Bottom) / own.Height;
        const css::awt::Size shown = ShownSize(object);
        const int width = ReducedPixels(visibleWidth, shown.Width, maxDpi);
        const int height = ReducedPixels(visibleHeight, shown.Height, maxDpi);
        if (!width && !height)
            continue;

        // A crop that only cuts is taken out of the picture, so what is left
        // is all there is; one that pads (a negative side) stays, measured
        // against the smaller picture.
        const bool pads = crop.Left < 0 || crop.Right < 0 || crop.Top < 0 || crop.Bottom < 0;
        const auto target = [&](int reduced, double visible, sal_Int32 whole) {
            if (pads)
                return reduced ? std::max(1, static_cast<int>(std::floor(whole * reduced / visible))) : int(whole);
            return reduced ? reduced : std::max(1, static_cast<int>(std::lround(visible)));
        };
        const rtl::OUString url = toOUString(
            QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("picture-%1.png").arg(++number)))
                .toString(QUrl::FullyEncoded));
        std::vector<css::beans::PropertyValue> filter;
        filter.push_back(makeProperty("PixelWidth", css::uno::Any(sal_Int32(target(width, visibleWidth, pixels.Width)))));
        filter.push_back(makeProperty("PixelHeight", css::uno::Any(sal_Int32(target(height, visibleHeight, pixels.Height)))));
        filter.push_back(makeProperty("RemoveCropArea", css::uno::Any(!pads)));
        if (!pads)
            filter.push_back(makeProperty("GraphicCropLogic", css::uno::Any(crop)));
        std::vector<css::beans::PropertyValue> store;
        store.push_back(makeProperty("URL", css::uno::Any(url)));
        store.push_back(makeProperty("MimeType", css::uno::Any(rtl::OUString("image/png"))));
        store.push_back(makeProperty("FilterData", css::uno::Any(toSequence(filter))));
        provider->storeGraphic(graphic, toSequence(store));
        std::vector<css::beans::PropertyValue> read;
        read.push_back(makeProperty("URL", css::uno::Any(url)));
        const Reference<css::graphic::XGraphic> smaller = provider->queryGraphic(toSequence(read));
        const Reference<css::beans::XPropertySet> smallerDescribed(smaller, UNO_QUERY);
        if (!smallerDescribed.is())
            continue;

        m_originals.push_back({object, graphic, crop});
        object->setPropertyValue("Graphic", css::uno::Any(smaller));
        if (!HasCrop(crop))
            continue;
        css::text::GraphicCrop kept;
        if (pads) {
            const css::awt::Size now = PreferredSize(smallerDescribed);
            const double x = double(now.Width) / own.Width;
            const double y = double(now.Height) / own.Height;
            kept.Left = static_cast<sal_Int32>(std::lround(crop.Left * x));
            kept.Right = static_cast<sal_Int32>(std::lround(crop.Right * x));
            kept.Top = static_cast<sal_Int32>(std::lround(crop.Top * y));
            kept.Bottom = static_cast<sal_Int32>(std::lround(crop.Bottom * y));
        }
        object->setPropertyValue("GraphicCrop", css::uno::Any(kept));
    }
}

OfficePictureReduction::~OfficePictureReduction()
{
    for (auto it = m_originals.rbegin(); it != m_originals.rend(); ++it) {
        try {
            it->object->setPropertyValue("Graphic", css::uno::Any(it->graphic));
            if (HasCrop(it->crop))
                it->object->setPropertyValue("GraphicCrop", css::uno::Any(it->crop));
        } catch (const css::uno::Exception&) {
            // The office or the document went; nothing is left to restore.
        }
    }
}
