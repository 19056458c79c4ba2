#pragma once
// One conversion item: one input file to one output. A PDF input goes
// straight to the rasteriser; any other input is rendered into a PDF by the
// office route (conversion method 1) or the text-control route (any other
// method), and rasterised when an image is wanted. After a success the
// post-steps the settings ask for run: keep the input's time stamps on
// every output, move or delete the input.
#include <QString>
#include <QStringList>

class clsConversionOptions;
class JobEngine;

namespace conversionmethod {
constexpr int Word = 1;
constexpr int TextControl = 2;
constexpr int SpecialProcess = 4;
} // namespace conversionmethod

// A rendering route writes this beside the output when an image is wanted:
// the output path with the suffix appended.
inline const QString kTemporaryPdfSuffix = QStringLiteral(".tmppp123");

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
};

// The program's routes: the Word-conversion control, the text control and
// the rasteriser.
ConversionRoutes& DefaultConversionRoutes();

// Runs one item (the record is the item's own, filled by the task runner)
// and returns its result code, which is also in its lErr. The record's
// output type, output path and input path are the item's again afterwards,
// whatever the route did to them on the way.
int PerformConversionItem(JobEngine& engine, clsConversionOptions& item);

// True when the two paths name the same existing file (device and inode).
bool bSameFile(const QString& a, const QString& b);
