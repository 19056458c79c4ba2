#pragma once
// Pieces shared by the writers of the image-file control; not for callers.
#include "pdf2bmp/RasterImage.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace imagefile_detail {

void SetError(QString* error, const QString& text);

// Resolution as the bitmap headers store it.
inline int PixelsPerMeter(int dpi)
{
    return static_cast<int>((dpi > 0 ? dpi : 96) / 0.0254 + 0.5);
}

// A raster is usable when its sizes are positive and its buffer holds
// exactly width * height * 3 bytes.
bool CheckRaster(const RasterImage& image, QString* error);

// A new file in the target's folder under a hidden temporary name, renamed
// over the target by commit(). Until then the target is untouched; without
// commit() the temporary file is removed.
class AtomicFile
{
public:
    explicit AtomicFile(const QString& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file and opens it for write().
    bool create(QString* error);
    // For writers that open the temporary file by name themselves.
    void closeStream();
    const QByteArray& tempPath() const { return m_temp; }

    // Buffered; a failure is remembered and reported by commit().
    void write(const void* data, std::size_t size);
    // For encoders that write to a stdio stream; their write errors are
    // reported by commit() as well.
    std::FILE* stream() const { return m_file; }
    bool commit(QString* error);

private:
    void discard();

    QString m_target;
    QByteArray m_targetNative;
    QByteArray m_temp;
    std::FILE* m_file = nullptr;
    int m_writeErrno = 0;
    bool m_committed = false;
};

// Little-endian record builder for the metafile and bitmap headers.
class LeBytes
{
public:
    void u16(std::uint32_t v);
    void u32(std::uint32_t v);
    void i16(int v) { u16(static_cast<std::uint16_t>(v)); }
    void i32(int v) { u32(static_cast<std::uint32_t>(v)); }
    void put(const char* text, std::size_t size);
    std::size_t size() const { return m_bytes.size(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    std::uint8_t* data() { return m_bytes.data(); }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Own writers: BMP and the two metafiles, each holding the page as one
// 24-bit device-independent bitmap.
bool WriteBmpFile(const RasterImage& image, const QString& path, QString* error);
bool WriteEmfFile(const RasterImage& image, const QString& path, QString* error);
bool WriteWmfFile(const RasterImage& image, const QString& path, QString* error);

// PNG (libpng) and JPEG (libjpeg): ImageMagick takes several times longer
// for these two, the types most pages are saved in.
bool WritePngFile(const RasterImage& image, const QString& path, QString* error);
bool WriteJpegFile(const RasterImage& image, const QString& path, int quality, QString* error);

// Reads an uncompressed 24-bit BMP, the page format the rasteriser writes;
// false with an empty error when the file is some other kind of BMP.
bool ReadBmp24(const std::uint8_t* data, std::size_t size, RasterImage& image);

// A new one-page TIFF file.
bool WriteTiffFile(const RasterImage& image, const QString& path, int compression, QString* error);

} // namespace imagefile_detail
