#pragma once
// Writes a rendered page in one of the image types the rasteriser does not
// write itself (GIF, EMF, J2K, PCX, PNG, RAS, TGA, WMF; JPEG, BMP and TIFF
// as well). The image-file writers implement it; tests pass fakes.
#include "pdf2bmp/RasterImage.h"

#include <QString>

class ImageSaver
{
public:
    virtual ~ImageSaver() = default;
    // imageType is the output type number (1 JPEG ... 11 WMF); quality
    // applies to JPEG. False with a reason in *error when the file could not
    // be written.
    virtual bool save(const RasterImage& image, const QString& path, int imageType, int quality,
                      QString* error) = 0;
};
