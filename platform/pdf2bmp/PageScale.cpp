#include "pdf2bmp/PageScale.h"

#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/pdf2bmp.h"

#include <cmath>
#include <string>

namespace {

// Round up as the renderers do, ignoring the last thousandth of a pixel
// that floating-point error leaves on exact sizes.
double pixelsFor(double points, double scale)
{
    return std::ceil(points * scale - 0.001);
}

} // namespace

int ComputePageScale(double pageWidth, double pageHeight, int width, int height, int dpi,
                     PageScale* out)
{
    if (width < 0 || height < 0)
        return PDF2BMP_ERR_ARGUMENT;
    if (width == 0 && height == 0 && dpi < 1)
        return PDF2BMP_ERR_ARGUMENT;
    if (!(pageWidth > 0.0) || !(pageHeight > 0.0) || !std::isfinite(pageWidth) || !std::isfinite(pageHeight)) {
        pdf2bmp_reason::Set("the page has no area");
        return PDF2BMP_ERR_RENDER;
    }

    double sx = 0.0;
    double sy = 0.0;
    if (width > 0 && height > 0) {
        sx = width / pageWidth;
        sy = height / pageHeight;
    } else if (width > 0) {
        sx = sy = width / pageWidth;
    } else if (height > 0) {
        sx = sy = height / pageHeight;
    } else {
        sx = sy = dpi / 72.0;
    }

    const double w = width > 0 ? width : std::max(1.0, pixelsFor(pageWidth, sx));
    const double h = height > 0 ? height : std::max(1.0, pixelsFor(pageHeight, sy));
    if (w * h > static_cast<double>(kPdf2BmpMaxPixels)) {
        pdf2bmp_reason::Set("the page would be " + std::to_string(static_cast<long long>(w)) + " x "
                            + std::to_string(static_cast<long long>(h)) + " pixels, more than "
                            + std::to_string(kPdf2BmpMaxPixels) + " in all");
        return PDF2BMP_ERR_TOO_LARGE;
    }

    out->scaleX = sx;
    out->scaleY = sy;
    out->pixelWidth = static_cast<int>(w);
    out->pixelHeight = static_cast<int>(h);
    out->dpiX = std::max(1, static_cast<int>(std::lround(sx * 72.0)));
    out->dpiY = std::max(1, static_cast<int>(std::lround(sy * 72.0)));
    return PDF2BMP_OK;
}
