#pragma once
// The image formats only ImageMagick writes or reads here (GIF, JPEG 2000,
// PCX, Sun raster, Targa, and the readers our own code lacks) come from the
// module libtessaview_magick.so, loaded the first time a page is saved or
// read in one of them.
#include "pdf2bmp/RasterImage.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

struct MagickCodecTable
{
    // `image` encoded in the format ImageMagick calls `magick` ("GIF"), for
    // the file `path`. False with the message in `error`.
    bool (*encode)(const RasterImage& image, const char* magick, const QString& path,
                   std::vector<std::uint8_t>& bytes, QString& error);
    // The first page of the image file `path`, whose bytes are `data`, read
    // as `magick`, as 8-bit RGB with transparent areas made white. False
    // with the message in `error`.
    bool (*decode)(const std::uint8_t* data, std::size_t size, const char* magick, const QString& path,
                   RasterImage& image, QString& error);
};

// The codec, loaded when first asked for; null with the reason in `error`
// when the module cannot be had.
const MagickCodecTable* MagickCodec(QString& error);
