// The module's side: ImageMagick itself.
#include "imagefile/MagickCodec.h"

#include "base/ProgramModule.h"

#include <Magick++.h>

#include <climits>
#include <mutex>

namespace {

void ensureMagick()
{
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

int resolutionToDpi(double resolution, Magick::ResolutionType units)
{
    if (units == Magick::PixelsPerCentimeterResolution)
        resolution *= 2.54;
    if (!(resolution >= 1.0 && resolution <= 100000.0))
        return 96;
    return static_cast<int>(resolution + 0.5);
}

bool encode(const RasterImage& image, const char* magick, const QString& path, std::vector<std::uint8_t>& bytes,
            QString& error)
{
    try {
        ensureMagick();
        Magick::Image encoder;
        encoder.quiet(true);
        encoder.read(static_cast<std::size_t>(image.width), static_cast<std::size_t>(image.height), "RGB",
                     Magick::CharPixel, image.rgb.data());
        encoder.resolutionUnits(Magick::PixelsPerInchResolution);
        encoder.density(Magick::Geometry(static_cast<std::size_t>(image.dpiX > 0 ? image.dpiX : 96),
                                         static_cast<std::size_t>(image.dpiY > 0 ? image.dpiY : 96)));
        // Without this, pages that happen to be all grey are stored as
        // greyscale.
        encoder.type(Magick::TrueColorType);
        encoder.magick(magick);
        Magick::Blob blob;
        encoder.write(&blob);
        const auto* data = static_cast<const std::uint8_t*>(blob.data());
        bytes.assign(data, data + blob.length());
        return true;
    } catch (const std::exception& e) {
        error = QStringLiteral("Unable to save %1 as %2: %3")
                    .arg(path, QLatin1String(magick), QString::fromLocal8Bit(e.what()));
        return false;
    }
}

bool decode(const std::uint8_t* data, std::size_t size, const char* magick, const QString& path, RasterImage& image,
            QString& error)
{
    try {
        ensureMagick();
        Magick::Blob blob(data, size);
        Magick::Image decoder;
        decoder.quiet(true);
        decoder.subRange(1); // the first page of a multi-page file
        decoder.magick(magick);
        decoder.read(blob);
        if (decoder.matte()) {
            decoder.backgroundColor(Magick::Color("white"));
            decoder.alphaChannel(Magick::RemoveAlphaChannel);
        }
        if (decoder.colorSpace() != Magick::sRGBColorspace && decoder.colorSpace() != Magick::RGBColorspace)
            decoder.colorSpace(Magick::sRGBColorspace);
        const std::size_t width = decoder.columns();
        const std::size_t height = decoder.rows();
        if (width == 0 || height == 0 || width > INT_MAX / 3 || height > INT_MAX) {
            error = QStringLiteral("The image file %1 has an unusable size.").arg(path);
            return false;
        }
        RasterImage loaded;
        loaded.width = static_cast<int>(width);
        loaded.height = static_cast<int>(height);
        loaded.dpiX = resolutionToDpi(decoder.constImage()->x_resolution, decoder.resolutionUnits());
        loaded.dpiY = resolutionToDpi(decoder.constImage()->y_resolution, decoder.resolutionUnits());
        loaded.rgb.resize(width * height * 3);
        decoder.write(0, 0, width, height, "RGB", Magick::CharPixel, loaded.rgb.data());
        image = std::move(loaded);
        return true;
    } catch (const std::exception& e) {
        error = QStringLiteral("Unable to load the image file %1: %2").arg(path, QString::fromLocal8Bit(e.what()));
        return false;
    }
}

const MagickCodecTable kTable{encode, decode};

} // namespace

TESSAVIEW_MODULE_ENTRY const void* tessaview_magick_module(const char* version)
{
    return ModuleTableFor(version, &kTable);
}
