#pragma once
// The image-file control: loads a page image into a raster and saves a
// raster in one of the program's output image types. Every save goes to a
// temporary file in the target's folder and is renamed over the target only
// when complete, so a failed save never leaves a half-written file under the
// final name (and leaves an older file of that name untouched).
//
// All functions are safe to call from several threads at once, each thread
// with its own rasters and paths.
#include "pdf2bmp/RasterImage.h"

#include <QString>

#include <memory>
#include <vector>

// Output image types, numbered as the program numbers them.
enum ImageFileType : int {
    ImageTypeJpeg = 1,
    ImageTypeBmp = 2,
    ImageTypeTiff = 3,
    ImageTypeGif = 4,
    ImageTypeEmf = 5,
    ImageTypeJ2k = 6,
    ImageTypePcx = 7,
    ImageTypePng = 8,
    ImageTypeRas = 9,
    ImageTypeTga = 10,
    ImageTypeWmf = 11,
};

// TIFF compression, numbered as the option string numbers it. The run
// length coding (PackBits) and the two fax codings store one bit per
// pixel: the page is reduced to black and white (dark pixels black) for
// them.
enum TiffCompression : int {
    TiffCompressionNone = 0,
    TiffCompressionLzw = 1,
    TiffCompressionRle = 2,
    TiffCompressionCcitt3 = 3,
    TiffCompressionCcitt4 = 4,
};

// Saves one raster as imageType (1 to 11). jpegQuality applies to JPEG; a
// value outside 1 to 100 means 100. TIFF is a single uncompressed RGB page.
// On failure returns false and, when error is given, sets a message.
bool SaveRasterImage(const RasterImage& image, const QString& path, int imageType,
                     int jpegQuality, QString* error = nullptr);

// Loads the first page of a raster image file (BMP, JPEG, PNG, GIF, TIFF,
// JPEG 2000, PCX, Sun raster, Targa) as 8-bit RGB. The format is told by the
// file's bytes, never by its name. Transparent areas become white.
bool LoadRasterImage(const QString& path, RasterImage& image, QString* error = nullptr);

// Writes all pages into one new TIFF file (replacing an existing one).
bool SaveMultiPageTiff(const std::vector<RasterImage>& pages, const QString& path,
                       int compression, QString* error = nullptr);

// Adds one page at the end of an existing TIFF file, through a copy renamed
// over it, so a failure leaves it whole; creates a one-page file when there
// is none. A file that is not a TIFF is refused and left as it is.
bool AppendTiffPage(const RasterImage& page, const QString& path, int compression,
                    QString* error = nullptr);

// Writes a multi-page TIFF one page at a time, so a long document never has
// to be held in memory whole. The file appears under its name at commit();
// a writer destroyed without commit() leaves no file behind.
class TiffPageWriter
{
public:
    TiffPageWriter();
    ~TiffPageWriter();
    TiffPageWriter(const TiffPageWriter&) = delete;
    TiffPageWriter& operator=(const TiffPageWriter&) = delete;

    // bigTiff: use the 64-bit layout, for files that may pass 4 GB.
    bool open(const QString& path, int compression, QString* error = nullptr,
              bool bigTiff = false);
    bool addPage(const RasterImage& page, QString* error = nullptr);
    int pageCount() const;
    bool commit(QString* error = nullptr);

private:
    struct State;
    std::unique_ptr<State> d;
};

// The main form's image-file control (`ImageFile1`): carries the quality
// the image options dialog sets (property 101) into JPEG saves.
class ImageFile
{
public:
    int Quality = 75;

    bool Load(const QString& path, RasterImage& image, QString* error = nullptr) const
    {
        return LoadRasterImage(path, image, error);
    }
    bool Save(const RasterImage& image, const QString& path, int imageType,
              QString* error = nullptr) const
    {
        return SaveRasterImage(image, path, imageType, Quality, error);
    }
};
