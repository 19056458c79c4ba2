#pragma once
// TIFF output: pages compressed as the caller chose (none, LZW, PackBits,
// CCITT Group 3 or 4 on a black-and-white page, or deflate), one page or
// many per file. Compressing (TiffPageEncoder, one per thread) is kept
// apart from writing (TiffFileWriter, one per file), so that pages can be
// compressed on several threads and written in order on one.
#include "pdf2bmp/RasterImage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct libdeflate_compressor;
struct tiff;

struct EncodedTiffPage {
    int width = 0;
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;
    int compression = 0; // libtiff's tag value
    int predictor = 1;   // 1 none, 2 horizontal
    int bitsPerSample = 8;
    int samplesPerPixel = 3;
    int photometric = 0;
    int rowsPerStrip = 0;
    std::vector<std::vector<std::uint8_t>> strips; // compressed, top strip first

    std::size_t bytes() const;
};

class TiffPageEncoder
{
public:
    // compression is a Pdf2BmpTiffCompression.
    explicit TiffPageEncoder(int compression);
    ~TiffPageEncoder();
    TiffPageEncoder(const TiffPageEncoder&) = delete;
    TiffPageEncoder& operator=(const TiffPageEncoder&) = delete;

    // PDF2BMP_OK, PDF2BMP_ERR_ARGUMENT for an empty image or an unknown
    // compression, PDF2BMP_ERR_WRITE when the codec fails.
    int encode(const RasterImage& image, EncodedTiffPage* out);

private:
    int encodeDeflate(const RasterImage& image, EncodedTiffPage* out);
    int encodeWithLibtiff(const RasterImage& image, EncodedTiffPage* out);

    int m_compression;
    libdeflate_compressor* m_compressor = nullptr;
    std::vector<std::uint8_t> m_strip;  // one strip before compression
    std::vector<std::uint8_t> m_packed; // the strip compressed
};

class TiffFileWriter
{
public:
    TiffFileWriter() = default;
    ~TiffFileWriter(); // closes the file if still open
    TiffFileWriter(const TiffFileWriter&) = delete;
    TiffFileWriter& operator=(const TiffFileWriter&) = delete;

    // Opens path for new pages. With appendTo, path is a copy of that
    // TIFF file, and the pages go after its own; pageTotal counts the new
    // pages. A file with more than one page in all marks each new page as
    // one of a multi-page document.
    bool open(const char* path, int pageTotal, const char* appendTo = nullptr);
    bool writePage(const EncodedTiffPage& page, int pageIndex);
    bool close();
    // Why the first failed call failed (the system's text, else libtiff's).
    const std::string& reason() const { return m_reason; }

private:
    void noteFailure();

    tiff* m_tiff = nullptr;
    int m_pagesBefore = 0;
    int m_pageTotal = 0;
    std::string m_libraryError;
    std::string m_reason;
};

// Copies the TIFF file `from` to `to` (an existing file of our own,
// overwritten). False with the reason in *reason when `from` cannot be read
// or is no TIFF file, or `to` cannot be written.
bool CopyTiffForAppend(const char* from, const char* to, std::string* reason);
