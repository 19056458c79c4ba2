#pragma once
// Multi-page TIFF output: RGB pages, deflate compressed with the
// horizontal predictor. Compressing (TiffPageEncoder, one per thread) is
// kept apart from writing (TiffFileWriter, one per file), so that pages can
// be compressed on several threads and written in order on one.
#include "pdf2bmp/RasterImage.h"

#include <cstdint>
#include <string>
#include <vector>

struct libdeflate_compressor;
struct tiff;

struct EncodedTiffPage {
    int width = 0;
    int height = 0;
    int dpiX = 0;
    int dpiY = 0;
    int rowsPerStrip = 0;
    std::vector<std::vector<std::uint8_t>> strips; // zlib streams, top strip first
};

class TiffPageEncoder
{
public:
    TiffPageEncoder();
    ~TiffPageEncoder();
    TiffPageEncoder(const TiffPageEncoder&) = delete;
    TiffPageEncoder& operator=(const TiffPageEncoder&) = delete;

    // PDF2BMP_OK, or PDF2BMP_ERR_ARGUMENT for an empty image.
    int encode(const RasterImage& image, EncodedTiffPage* out);

private:
    libdeflate_compressor* m_compressor;
    std::vector<std::uint8_t> m_strip;  // the strip after the predictor
    std::vector<std::uint8_t> m_packed; // the strip compressed
};

class TiffFileWriter
{
public:
    TiffFileWriter() = default;
    ~TiffFileWriter(); // closes the file if still open
    TiffFileWriter(const TiffFileWriter&) = delete;
    TiffFileWriter& operator=(const TiffFileWriter&) = delete;

    // pageTotal > 1 marks each page as one of a multi-page document.
    bool open(const char* path, int pageTotal);
    bool writePage(const EncodedTiffPage& page, int pageIndex);
    bool close();
    // Why the first failed call failed (the system's text, else libtiff's).
    const std::string& reason() const { return m_reason; }

private:
    void noteFailure();

    tiff* m_tiff = nullptr;
    int m_pageTotal = 0;
    std::string m_libraryError;
    std::string m_reason;
};
