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

#include <cstddef>
#include <functional>
#include <string>

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
    PDF2BMP_ERR_TIME_LIMIT = -9,    // the page took longer to draw than its time limit
    PDF2BMP_ERR_CALLER_SAVE = -9,   // the caller's writer could not save a page
};

// Format codes of pdf_save_page (BMP, JPEG) and pdf_save_page_files.
enum Pdf2BmpFormat {
    PDF2BMP_FORMAT_BMP = 0,
    PDF2BMP_FORMAT_JPEG = 1,
    PDF2BMP_FORMAT_TIFF = 2,
    PDF2BMP_FORMAT_CALLER = 3, // written by the caller's own writer
};

// TIFF compression, numbered as the image options number it. PackBits and
// the two fax codings store one bit per pixel: the page is made black and
// white by a threshold (dark pixels black). Deflate is the rasteriser's
// own choice for pdf_save_pages.
enum Pdf2BmpTiffCompression {
    PDF2BMP_TIFF_NONE = 0,
    PDF2BMP_TIFF_LZW = 1,
    PDF2BMP_TIFF_PACKBITS = 2,
    PDF2BMP_TIFF_CCITT3 = 3,
    PDF2BMP_TIFF_CCITT4 = 4,
    PDF2BMP_TIFF_DEFLATE = 5,
};

struct Pdf2BmpTiffOptions {
    int compression = PDF2BMP_TIFF_DEFLATE;
    // Add the pages after those of an existing TIFF file at the output
    // path. The pages go into a copy of it, renamed over it once complete,
    // so a failure leaves it whole. A file that is no TIFF is refused.
    bool append = false;
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

// The same with the compression and the append flag of options.
// keepGoing is asked as pdf_save_page_files asks it; false ends the call
// with PDF2BMP_OK and *stopped true, and no file at outPath (an existing
// one stays as it was).
int pdf_save_tiff(int handle, const int* pages, int pageCount, int width, int height, int dpi,
                  const Pdf2BmpTiffOptions& options, const char* outPath,
                  const std::function<bool()>& keepGoing = {}, bool* stopped = nullptr);

// One image file per page. Pages are rendered and written on up to
// pdf_set_thread_count threads, each page into a temporary file beside its
// output, and put under their own names in list order on the calling
// thread; pages start only while their memory fits the budget
// (pdf_set_memory_budget). The first failure ends the call: the pages
// before it are in place, no file of a later one is left. The callbacks
// must not call the rasteriser.
struct Pdf2BmpPageFiles {
    const int* pages = nullptr; // page numbers from 1
    int count = 0;
    const std::string* paths = nullptr; // the output of each list entry
    int width = 0;
    int height = 0;
    int dpi = 0;
    int quality = 75; // JPEG
    int format = PDF2BMP_FORMAT_BMP;
    Pdf2BmpTiffOptions tiff;
    // PDF2BMP_FORMAT_CALLER: writes the page into the file at path (any
    // thread). False with *reason: the call fails with
    // PDF2BMP_ERR_CALLER_SAVE.
    std::function<bool(const RasterImage& image, const std::string& path, std::string* reason)> save;
    // Asked on the calling thread before the first page, after each one
    // and at least every 100 ms while it waits for the next. False: no page
    // starts any more, and none is put in place but the one it waited for
    // when its drawing had begun; the files of pages drawn ahead are
    // removed. Empty: always true.
    std::function<bool()> keepGoing;
    // Calling thread, in list order: entry i's file is in place.
    std::function<void(int i)> written;
};

// PDF2BMP_OK also when keepGoing stopped the call early; *written counts
// the entries in place (the list's first ones), *stopped tells the early
// end. Either may be null.
int pdf_save_page_files(int handle, const Pdf2BmpPageFiles& job, int* written, bool* stopped);
// Render one page into an 8-bit RGB raster.
int pdf_render_page(int handle, int page, int width, int height, int dpi, RasterImage* out);

// Threads used by pdf_save_pages, pdf_save_tiff and pdf_save_page_files;
// 0 (the default) means one per processor.
void pdf_set_thread_count(int threads);

// The time a page may take to draw: base_ms plus per_megapixel_ms for
// every million pixels of the page (10 s plus 2 s by default), so that a
// hostile page fails alone and an honest large one finishes; 0 and 0 turn
// the limit off. A page cut off fails with PDF2BMP_ERR_TIME_LIMIT.
void pdf_set_page_time_limit(int base_ms, int per_megapixel_ms);

// The memory the pages being rendered at once may take, shared by every
// call of the process; 0 (the default) means a quarter of the machine's
// memory, and at most half of what was free when the process first asked.
// A page alone is always rendered, however large.
void pdf_set_memory_budget(std::size_t bytes);
// The most the pages took at once since the last reset (for tests).
std::size_t pdf_memory_budget_peak();
void pdf_reset_memory_budget_peak();

void pdf_close_file(int handle);

// Close every open document and release the library.
void pdf_done();

// Why the calling thread's last call failed, in English, as the libraries
// or the system said it ("cannot open /in/a.pdf: No such file or
// directory", "Unable to write /out/a-00002.bmp: No space left on device").
// Empty after a call that succeeded or gave no reason. Valid until the
// thread's next call.
const char* pdf_last_error();
