#pragma once
// The single-page formats the rasteriser writes itself: BMP (24-bit,
// bottom-up) and baseline JPEG. Both return PDF2BMP_OK or
// PDF2BMP_ERR_WRITE and leave closing the file to the caller.
#include "pdf2bmp/RasterImage.h"

#include <cstdio>

int WriteBmp(const RasterImage& image, std::FILE* file);
int WriteJpeg(const RasterImage& image, int quality, std::FILE* file);

// Opens path, writes the image in the given Pdf2BmpFormat and closes it.
int WriteImageFile(const RasterImage& image, int format, int quality, const char* path);
