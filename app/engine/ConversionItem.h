#pragma once
// One conversion item: one input file to one output. A PDF input goes
// straight to the rasteriser; any other input is rendered into a PDF by the
// office route (conversion method 1) or the text-control route (any other
// method), and rasterised when an image is wanted. After a success the
// post-steps the settings ask for run: keep the input's time stamps on
// every output, move or delete the input.
#include "core/FileSystem.h" // bSameFile, which callers of this header use

#include <QString>
#include <QStringList>

class clsConversionOptions;
class JobEngine;

namespace conversionmethod {
constexpr int Word = 1;
constexpr int TextControl = 2;
constexpr int SpecialProcess = 4;
} // namespace conversionmethod

// Result of an item whose output would replace its own input.
inline constexpr int kConversionOntoInput = -22;
// Result of an item whose input or output type is none a route takes.
inline constexpr int kUnconvertibleType = -23;

// When an image is wanted, a rendering route writes its PDF to a temporary
// file of the program's own: in the program's temporary folder, named after
// the output's file name, a unique part and this suffix.
inline const QString kTemporaryPdfSuffix = QStringLiteral(".tmppp123");

// True when `path` is a temporary PDF of the item runner.
bool bIsTemporaryPdf(const QString& path);

// The routes of a conversion item. Each sets the item's lErr and sErr and
// returns lErr (0 on success).
class ConversionRoutes
{
public:
    virtual ~ConversionRoutes() = default;
    // Renders sOriginalFile into sTargetFile through the Word-conversion
    // control; lTargetFileType is the Word save format (17 for PDF).
    virtual int ConvertViaWordControl(JobEngine& engine, clsConversionOptions& item) = 0;
    // Renders sOriginalFile into sTargetFile as PDF (12) or PDF/A (14).
    virtual int ConvertViaTextControl(JobEngine& engine, clsConversionOptions& item) = 0;
    // Rasterises the PDF sOriginalFile into the image type lTargetFileType
    // with the option string's pages and sizes. Appends every file it
    // wrote to `written`. Sets the engine's bItemInterrupted when a Pause
    // stopped it before its last page.
    virtual int PerformConversionItemPDFtoImageDLL(JobEngine& engine, clsConversionOptions& item,
                                                   QStringList& written) = 0;
    // Called at the end of every run: an office instance kept open between
    // conversions may go.
    virtual void ReleaseWordInstance(JobEngine& engine) { (void)engine; }
    // True when the office pool may render documents ahead for the two
    // rendering routes above: it renders as the program's own routes do.
    virtual bool bRendersOnOfficePool() const { return false; }

    // While the rasteriser reads a rendered PDF: the document it was
    // rendered from, which no page file may replace. "" for a PDF input.
    // Set by the item runner.
    QString sRenderedFrom;
};

// The program's routes: the Word-conversion control, the text control and
// the rasteriser.
ConversionRoutes& DefaultConversionRoutes();

// Runs one item (the record is the item's own, filled by the task runner)
// and returns its result code, which is also in its lErr. The record's
// output type, output path and input path are the item's again afterwards,
// whatever the route did to them on the way. An item whose output is its
// input is refused first (RefuseConversionOntoInput), and so is one whose
// types no route takes (RefuseUnconvertibleTypes).
int PerformConversionItem(JobEngine& engine, clsConversionOptions& item);

// Refuses an item whose input type is not one the text control reads (for
// a conversion through it: an unknown extension, a hand-edited number) or
// whose output type is no image or PDF type, with a message that names the
// file and the types expected. Sets lErr to kUnconvertibleType and returns
// it; 0 when the item may run.
int RefuseUnconvertibleTypes(clsConversionOptions& item);

// Refuses an item whose output path names its input file (the same file by
// identity: a link, a hard link or another spelling of the path counts),
// unless its route converts in place and keeps the input until the new
// file is complete (the office route to PDF or PDF/A). Sets lErr to
// kConversionOntoInput and sErr to the message and returns the code; 0
// when the item may run. Every route is run behind this check.
int RefuseConversionOntoInput(clsConversionOptions& item);

// The message of kConversionOntoInput.
QString ConversionOntoInputText();
