#pragma once
// The PDF rasteriser: opens a PDF, tells its page count and renders pages
// into image files (JPEG and BMP one page per file, TIFF one or many pages
// per file) or into an RGB raster for the other image writers.
//
// Rendering uses MuPDF. A file MuPDF cannot open, or whose pages it cannot
// load, is rendered with poppler instead when poppler can read it.
//
// Every call returns a negative Pdf2BmpResult on failure and never throws;
// pdf_last_error() then tells why.
// Paths and passwords are 8-bit texts (file-system encoding for paths,
// UTF-8 for passwords), zero-terminated. Pages count from 1. Calls may come
// from any thread; they are served one at a time.
#include "pdf2bmp/RasterImage.h"

enum Pdf2BmpResult {
    PDF2BMP_OK = 0,
    PDF2BMP_ERR_ARGUMENT = -1,      // a bad page, size, resolution, format or path
    PDF2BMP_ERR_HANDLE = -2,        // no document is open under that handle
    PDF2BMP_ERR_OPEN = -3,          // neither MuPDF nor poppler can read the file
    PDF2BMP_ERR_PASSWORD = -4,      // the file is encrypted and the password is wrong
    PDF2BMP_ERR_RENDER = -5,        // the page cannot be loaded or drawn
    PDF2BMP_ERR_TOO_LARGE = -6,     // the page would exceed kPdf2BmpMaxPixels
    PDF2BMP_ERR_WRITE = -7,         // the output file cannot be written
    PDF2BMP_ERR_NOT_INITIALISED = -8,
};

// Format codes of pdf_save_page.
enum Pdf2BmpFormat {
    PDF2BMP_FORMAT_BMP = 0,
    PDF2BMP_FORMAT_JPEG = 1,
};

// Pages larger than this many pixels are refused rather than allocated.
inline constexpr long long kPdf2BmpMaxPixels = 250'000'000;

// Set up the library; further calls are harmless. pdf_open_file also sets
// it up when needed.
int pdf_init();

// Open a PDF. password is tried as the user password, then owner as the
// owner password (either may be null or empty; an empty user password is
// always tried). On success *handle receives a positive handle.
int pdf_open_file(const char* path, const char* password, const char* owner, int* handle);

// The number of pages, or a negative result.
int pdf_get_page_count(int handle);

// Size of the rendered page. With width and height 0 the page is drawn at
// dpi dots per inch; with one of them non-zero that one is met and the
// other follows the page's aspect ratio; with both non-zero the page is
// stretched to exactly that size. Negative sizes and a resolution below 1
// are refused.

// Render one page into an image file in the given format (Pdf2BmpFormat);
// quality (1 to 100) applies to JPEG. The file is written under a temporary
// name and renamed over outPath when complete.
int pdf_save_page(int handle, int page, int width, int height, int dpi, int quality,
                  int format, const char* outPath);

// Render pageCount pages from firstPage on into one multi-page TIFF file
// (deflate compressed). Pages are rendered and compressed on up to
// pdf_set_thread_count threads and written in page order; the call returns
// when all are written or the first failure ends it. On failure no file is
// left at outPath (an existing one stays as it was).
int pdf_save_pages(int handle, int firstPage, int pageCount, int width, int height, int dpi,
                   int quality, const char* outPath);

// The same for any list of pages, written in the order given.
int pdf_save_page_list(int handle, const int* pages, int pageCount, int width, int height,
                       int dpi, int quality, const char* outPath);

// Render one page into an 8-bit RGB raster.
int pdf_render_page(int handle, int page, int width, int height, int dpi, RasterImage* out);

// Threads used by pdf_save_pages; 0 (the default) means one per processor.
void pdf_set_thread_count(int threads);

void pdf_close_file(int handle);

// Close every open document and release the library.
void pdf_done();

// Why the calling thread's last call failed, in English, as the libraries
// or the system said it ("cannot open /in/a.pdf: No such file or
// directory", "Unable to write /out/a-00002.bmp: No space left on device").
// Empty after a call that succeeded or gave no reason. Valid until the
// thread's next call.
const char* pdf_last_error();
