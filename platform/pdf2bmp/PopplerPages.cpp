#include "pdf2bmp/PopplerPages.h"

#include "base/ProgramModule.h"
#include "pdf2bmp/Pdf2BmpReason.h"
#include "pdf2bmp/pdf2bmp.h"

#include <QString>

extern "C" const void* tessaview_poppler_module(const char* version) __attribute__((weak));

namespace {

const popplerpages::PopplerTable* popplerModule(QString& error)
{
    return ProgramModuleTable<popplerpages::PopplerTable>(tessaview_poppler_module, "libtessaview_poppler.so",
                                                          "tessaview_poppler_module", error);
}

} // namespace

namespace popplerpages {

void DocumentDeleter::operator()(poppler::document* doc) const
{
    QString error;
    // A document exists only when the module gave it.
    if (doc)
        popplerModule(error)->close(doc);
}

int OpenDocument(const char* path, const char* password, const char* owner, Document* doc, int* pageCount)
{
    QString error;
    const PopplerTable* table = popplerModule(error);
    if (!table) {
        pdf2bmp_reason::Set("poppler, which reads some files MuPDF refuses, is not available: " + error.toStdString());
        return PDF2BMP_ERR_OPEN;
    }
    poppler::document* opened = nullptr;
    const int result = table->open(path, password, owner, &opened, pageCount);
    doc->reset(opened);
    return result;
}

int RenderPage(poppler::document* doc, int pageIndex, int width, int height, int dpi, RasterImage* out)
{
    QString error;
    return popplerModule(error)->render(doc, pageIndex, width, height, dpi, out);
}

} // namespace popplerpages
