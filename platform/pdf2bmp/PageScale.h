#pragma once
// How large a page is drawn: the scale from PDF points to pixels and the
// pixel size of the result, from a resolution or a wanted pixel size.

struct PageScale {
    double scaleX = 1.0; // pixels per point
    double scaleY = 1.0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    int dpiX = 0; // resolution the pixels stand for, written into the files
    int dpiY = 0;
};

// pageWidth and pageHeight are in points (1/72 inch), as the page is shown
// (after its rotation). Returns PDF2BMP_OK, PDF2BMP_ERR_ARGUMENT for a bad
// size or resolution, PDF2BMP_ERR_RENDER for a page without area, or
// PDF2BMP_ERR_TOO_LARGE when the result would exceed kPdf2BmpMaxPixels.
int ComputePageScale(double pageWidth, double pageHeight, int width, int height, int dpi,
                     PageScale* out);
