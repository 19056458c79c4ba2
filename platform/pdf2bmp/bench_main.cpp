// Renders every page of a PDF the way the program does and prints the
// seconds taken, for bench/raster/run.sh.
//   pdf2bmp_bench FILE.pdf png|jpeg|bmp|tiff|mtiff DPI OUTDIR [THREADS]
// jpeg, bmp and tiff write one file per page through the rasteriser; png
// renders a raster and writes it with the program's image writers, as a
// conversion to PNG does; mtiff writes one multi-page TIFF.
#include "pdf2bmp/pdf2bmp.h"

#include "imagefile/ImageFile.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s FILE.pdf png|jpeg|bmp|tiff|mtiff DPI OUTDIR [THREADS]\n", argv[0]);
        return 2;
    }
    const std::string format = argv[2];
    const int dpi = std::atoi(argv[3]);
    const std::string out = std::string(argv[4]) + "/";
    pdf_set_thread_count(argc > 5 ? std::atoi(argv[5]) : 1);

    const auto start = std::chrono::steady_clock::now();
    pdf_init();
    int handle = 0;
    if (pdf_open_file(argv[1], "", "", &handle) < 0) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const int pages = pdf_get_page_count(handle);
    int result = 0;
    RasterImage image;
    if (format == "mtiff") {
        result = pdf_save_pages(handle, 1, pages, 0, 0, dpi, 75, (out + "all.tif").c_str());
    } else {
        for (int p = 1; p <= pages && result >= 0; ++p) {
            const std::string name = out + "page-" + std::to_string(p) + ".";
            if (format == "jpeg") {
                result = pdf_save_page(handle, p, 0, 0, dpi, 75, PDF2BMP_FORMAT_JPEG, (name + "jpg").c_str());
            } else if (format == "bmp") {
                result = pdf_save_page(handle, p, 0, 0, dpi, 75, PDF2BMP_FORMAT_BMP, (name + "bmp").c_str());
            } else if (format == "tiff") {
                result = pdf_save_pages(handle, p, 1, 0, 0, dpi, 75, (name + "tif").c_str());
            } else if (format == "png") {
                result = pdf_render_page(handle, p, 0, 0, dpi, &image);
                if (result >= 0 && !SaveRasterImage(image, QString::fromStdString(name + "png"), ImageTypePng, 75))
                    result = -1;
            } else {
                std::fprintf(stderr, "unknown format %s\n", format.c_str());
                return 2;
            }
        }
    }
    pdf_close_file(handle);
    pdf_done();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result < 0) {
        std::fprintf(stderr, "failed with %d\n", result);
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
