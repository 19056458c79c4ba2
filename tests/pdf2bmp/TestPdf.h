#pragma once
// Small PDFs made at test time. Page n shows a block of solid colour
// (PageColour(n)) over its middle, so a reader of the image can tell which
// page it holds however the page is turned, a black mark in its upper-left
// corner, and the text "Page n". The page tree can be damaged with an extra
// kid that points back to the tree's root: MuPDF refuses the pages from
// there on, poppler skips the kid; counted as a page, nobody can load it.
#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

namespace testpdf {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
};

inline Rgb PageColour(int page)
{
    static const Rgb palette[] = {{220, 0, 0},   {0, 160, 0},   {0, 0, 220},  {230, 200, 0},
                                  {200, 0, 200}, {0, 190, 190}, {120, 60, 0}, {90, 90, 90}};
    return palette[(page - 1) % 8];
}

struct PageSpec {
    double width = 612; // points
    double height = 792;
    int rotate = 0;
    QByteArray content; // the page's content stream; empty for the usual drawing
};

// A one-page PDF whose content stream fills the whole page `fills` times:
// a page no renderer draws in reasonable time.
inline PageSpec hostilePage(int fills)
{
    PageSpec spec;
    const QByteArray fill = "0 0 612 792 re f\n";
    spec.content.reserve(fill.size() * fills + 16);
    spec.content = "0.5 0.5 0.5 rg\n";
    for (int i = 0; i < fills; ++i)
        spec.content += fill;
    return spec;
}

inline QByteArray pageContent(int page, const PageSpec& spec)
{
    const Rgb c = PageColour(page);
    const double w = spec.width;
    const double h = spec.height;
    return QStringLiteral("%1 %2 %3 rg %4 %5 %6 %7 re f 0 0 0 rg 0 %8 %9 %10 re f "
                          "BT /F1 18 Tf %11 30 Td (Page %12) Tj ET")
        .arg(c.r / 255.0)
        .arg(c.g / 255.0)
        .arg(c.b / 255.0)
        .arg(w / 4)
        .arg(h / 4)
        .arg(w / 2)
        .arg(h / 2)
        .arg(h * 7 / 8)
        .arg(w / 8)
        .arg(h / 8)
        .arg(w * 0.55)
        .arg(page)
        .toLatin1();
}

struct ExtraKid {
    int at = -1;          // position among the kids; -1: none
    QByteArray reference; // e.g. "2 0 R", the root
    bool counted = false; // whether the tree's /Count includes it
};

inline const ExtraKid kLoopKidFirst = {0, "2 0 R", false};

inline QByteArray makePdf(const std::vector<PageSpec>& pages, const ExtraKid& extra = {})
{
    std::vector<QByteArray> objects; // object n is objects[n - 1]
    QByteArray kids;
    for (size_t i = 0; i <= pages.size(); ++i) {
        if (static_cast<int>(i) == extra.at)
            kids += extra.reference + " ";
        if (i < pages.size())
            kids += QByteArray::number(static_cast<int>(4 + 2 * i)) + " 0 R ";
    }
    const int count = static_cast<int>(pages.size()) + (extra.at >= 0 && extra.counted ? 1 : 0);
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(count) + " >>");
    objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (size_t i = 0; i < pages.size(); ++i) {
        const PageSpec& spec = pages[i];
        const QByteArray content = spec.content.isEmpty() ? pageContent(static_cast<int>(i) + 1, spec) : spec.content;
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(spec.width)
                          + " " + QByteArray::number(spec.height) + "] /Rotate "
                          + QByteArray::number(spec.rotate)
                          + " /Resources << /Font << /F1 3 0 R >> >> /Contents "
                          + QByteArray::number(static_cast<int>(5 + 2 * i)) + " 0 R >>");
        objects.push_back("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content
                          + "\nendstream");
    }
    QByteArray pdf = "%PDF-1.4\n";
    std::vector<qsizetype> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(static_cast<int>(i + 1)) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(static_cast<int>(objects.size() + 1)) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(static_cast<int>(objects.size() + 1))
        + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

inline QByteArray makePdf(int pageCount)
{
    return makePdf(std::vector<PageSpec>(pageCount));
}

inline bool writePdf(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Saves a copy of source encrypted with AES-256 and the given passwords.
inline bool encryptPdf(const QString& source, const QString& target, const char* user, const char* owner)
{
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx)
        return false;
    fz_set_warning_callback(ctx, [](void*, const char*) {}, nullptr);
    fz_set_error_callback(ctx, [](void*, const char*) {}, nullptr);
    const QByteArray in = QFile::encodeName(source);
    const QByteArray out = QFile::encodeName(target);
    pdf_document* doc = nullptr;
    bool ok = true;
    fz_var(doc);
    fz_try(ctx)
    {
        doc = pdf_open_document(ctx, in.constData());
        pdf_write_options options = pdf_default_write_options;
        options.do_encrypt = PDF_ENCRYPT_AES_256;
        options.permissions = 0;
        fz_strlcpy(options.upwd_utf8, user, sizeof options.upwd_utf8);
        fz_strlcpy(options.opwd_utf8, owner, sizeof options.opwd_utf8);
        pdf_save_document(ctx, doc, out.constData(), &options);
    }
    fz_always(ctx)
    {
        pdf_drop_document(ctx, doc);
    }
    fz_catch(ctx)
    {
        ok = false;
    }
    fz_drop_context(ctx);
    return ok;
}

} // namespace testpdf
