#include "engine/ConversionItem.h"

#include "core/FileSystem.h"
#include "core/FileTimes.h"
#include "core/StringRoutines.h"
#include "core/TemporaryFile.h"
#include "core/Translator.h"
#include "core/clsConversionOptions.h"
#include "core/FileTypes.h"
#include "engine/ImageSaver.h"
#include "engine/JobEngine.h"
#include "engine/OfficePool.h"
#include "engine/PdfToImage.h"
#include "engine/TextControlRoute.h"
#include "engine/TextControlRouteFiles.h"
#include "engine/WordRoute.h"
#include "imagefile/ImageFile.h"
#include "jobs/MainFormState.h"
#include "jobs/OptionString.h"
#include "jobs/Validation.h"
#include "office/OfficeOutput.h"
#include "textcontrol/TextControl.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

class ImageFileSaver : public ImageSaver
{
public:
    bool save(const RasterImage& image, const QString& path, int imageType, int quality,
              QString* error) override
    {
        return SaveRasterImage(image, path, imageType, quality, error);
    }
};

// The item a Pause cut short, as the next run must find it again: its
// input (the document a PDF was rendered from) by path, size and time, its
// output and options.
QString resumePagesKey(const clsConversionOptions& item, const QString& renderedFrom)
{
    const QFileInfo input(renderedFrom.isEmpty() ? item.sOriginalFile : renderedFrom);
    return QStringList{input.filePath(), QString::number(input.size()),
                       QString::number(input.lastModified().toMSecsSinceEpoch()), item.sTargetFile,
                       QString::number(item.lTargetFileType), item.sExtraParams}
        .join(u'\t');
}

class ProgramRoutes : public ConversionRoutes
{
public:
    int ConvertViaWordControl(JobEngine& engine, clsConversionOptions& item) override
    {
        return ::ConvertViaWordControl(engine, item);
    }

    void ReleaseWordInstance(JobEngine& engine) override
    {
        ::ReleaseWordInstance(engine);
    }

    bool bRendersOnOfficePool() const override { return true; }

    int ConvertViaTextControl(JobEngine& engine, clsConversionOptions& item) override
    {
        return ::ConvertViaTextControl(engine, item);
    }

    int PerformConversionItemPDFtoImageDLL(JobEngine& engine, clsConversionOptions& item,
                                           QStringList& written) override
    {
        PdfToImageItem pdf;
        pdf.sOriginalFile = item.sOriginalFile;
        pdf.sSourceFile = sRenderedFrom;
        pdf.sTargetFile = item.sTargetFile;
        pdf.lTargetFileType = item.lTargetFileType;
        ParseConversionOptionString(item.sExtraParams, pdf.sPages, pdf.lCompression, pdf.bAppend, pdf.lQuality,
                                    pdf.lResolution, pdf.lWidth, pdf.lHeight, pdf.lSingleFile);

        // Pages a Pause left in place are kept when the same item, its
        // input unchanged, is the one the run goes on with.
        const QString key = resumePagesKey(item, sRenderedFrom);
        if (engine.lResumeFileIndex != 0 && key == engine.sResumePagesKey)
            pdf.lPagesInPlace = engine.lResumePagesInPlace;
        engine.sResumePagesKey.clear();
        engine.lResumePagesInPlace = 0;

        PdfToImageHooks hooks;
        hooks.imageSaver = &m_saver;
        hooks.stillRunning = [&engine] { return engine.bStillRunning(); };
        // Called after each page file is complete, with sTargetFile naming it.
        hooks.progress = [&](const QString& status) {
            written << pdf.sTargetFile;
            engine.form.SetStatusPanelText(statuspanel::Status, status);
            engine.ShowElapsed();
            engine.form.DoEvents();
        };
        const int result = ::PerformConversionItemPDFtoImageDLL(pdf, hooks);
        written = pdf.sKeptFiles + written;
        if (pdf.bPaused) {
            engine.bItemInterrupted = true;
            engine.sResumePagesKey = key;
            engine.lResumePagesInPlace = pdf.lPagesInPlace;
        }
        // A multi-page TIFF is written in one call, without page progress.
        if (result == 0 && written.isEmpty() && !engine.bItemInterrupted)
            written << pdf.sTargetFile;
        item.lErr = pdf.lErr;
        item.sErr = pdf.sErr;
        return item.lErr;
    }

private:
    ImageFileSaver m_saver;
};

// A file name stays well below the 255 bytes a name may have when the
// unique part and the suffix are added.
constexpr int kTemporaryNameStemBytes = 100;

QString temporaryNameStem(const QString& output)
{
    QString stem = GetFileName(output);
    while (QFile::encodeName(stem).size() > kTemporaryNameStemBytes)
        stem.chop(1);
    return stem;
}

bool isImageOutput(int type)
{
    return type != filetype::Pdf && type != filetype::PdfA;
}

// Puts the record's route-time values back and removes the temporary PDF
// however the render ends.
class RouteScope
{
public:
    explicit RouteScope(clsConversionOptions& item)
        : m_item(item)
        , m_type(item.lTargetFileType)
        , m_output(item.sTargetFile)
        , m_input(item.sOriginalFile)
    {
    }
    ~RouteScope()
    {
        m_item.lTargetFileType = m_type;
        m_item.sTargetFile = m_output;
        m_item.sOriginalFile = m_input;
    }
    RouteScope(const RouteScope&) = delete;
    RouteScope& operator=(const RouteScope&) = delete;

    int outputType() const { return m_type; }
    const QString& output() const { return m_output; }
    const QString& input() const { return m_input; }
    // Makes the temporary PDF this item renders into, a new file of the
    // program's own that goes with the scope. "" with the reason in `error`
    // when none can be made.
    QString temporaryPdf(QString& error)
    {
        if (!m_temporary.create(QString(), temporaryNameStem(m_output), kTemporaryPdfSuffix, &error))
            return QString();
        return m_temporary.path();
    }

private:
    clsConversionOptions& m_item;
    int m_type;
    QString m_output;
    QString m_input;
    TemporaryFile m_temporary;
};

// No temporary PDF could be made: the route fails as one that cannot
// write its output.
int renderFailure(clsConversionOptions& item, const QString& reason)
{
    if (item.lConversionMethod == conversionmethod::Word) {
        item.lErr = -7;
        item.sErr = TextWithReason(Translate(QStringLiteral("Unable to create output File.")), reason);
    } else {
        item.lErr = -3;
        item.sErr = TextWithReason(Translate(QStringLiteral("Unable to create a temporary file for the PDF.")), reason);
    }
    return item.lErr;
}

// The Word route's code of a conversion that failed.
constexpr int kWordConversionFailed = -10;

// The render the office pool made of this item, put where the route would
// have written it. False when the pool has none for it: the route renders
// it now.
bool takeRenderedAhead(JobEngine& engine, clsConversionOptions& item, int& code)
{
    if (!engine.bRendersAhead || engine.lRenderAheadIndex < 0)
        return false;
    OfficePool& pool = engine.Pool();
    OfficeRender render;
    const bool taken = pool.Take(engine.lRenderAheadIndex, render, [&engine, &pool] {
        // A Pause while the document is rendered: no further one starts.
        if (!engine.bStillRunning())
            pool.StopFeeding();
    });
    if (!taken)
        return false;
    code = render.lErr;
    item.lErr = render.lErr;
    item.sErr = render.sErr;
    QString error;
    if (code == 0 && !MoveIntoPlace(render.pdf.path(), item.sTargetFile, error)) {
        // As the route fails when its save cannot be put in place.
        if (item.lConversionMethod == conversionmethod::Word) {
            code = kWordConversionFailed;
            item.sErr = WordFailureText(error);
        } else {
            code = kTextControlSaveFailed;
            item.sErr = TextControlSaveErrorText(item.sTargetFile, kErrFileAccess, error);
        }
        item.lErr = code;
    }
    if (code == 0)
        render.pdf.release();
    return true;
}

int runRoutes(JobEngine& engine, clsConversionOptions& item, QStringList& written)
{
    ConversionRoutes& routes = *engine.routes;
    RouteScope scope(item);
    if (item.lOriginalFileType == filetype::Pdf)
        return routes.PerformConversionItemPDFtoImageDLL(engine, item, written);

    const int type = scope.outputType();
    const bool image = isImageOutput(type);
    QString temporary;
    if (image) {
        QString error;
        temporary = scope.temporaryPdf(error);
        if (temporary.isEmpty())
            return renderFailure(item, error);
        item.sTargetFile = temporary;
    }
    int render = 0;
    if (item.lConversionMethod == conversionmethod::Word) {
        item.lTargetFileType = filetype::WordPdfFormat;
        if (!takeRenderedAhead(engine, item, render))
            render = routes.ConvertViaWordControl(engine, item);
    } else {
        if (image)
            item.lTargetFileType = filetype::Pdf;
        if (!takeRenderedAhead(engine, item, render))
            render = routes.ConvertViaTextControl(engine, item);
    }
    if (render != 0)
        return render;
    if (!image) {
        written << scope.output();
        return 0;
    }
    item.lTargetFileType = type;
    item.sTargetFile = scope.output();
    item.sOriginalFile = temporary;
    struct RenderedFrom {
        ConversionRoutes& routes;
        ~RenderedFrom() { routes.sRenderedFrom.clear(); }
    } renderedFrom{routes};
    routes.sRenderedFrom = scope.input();
    return routes.PerformConversionItemPDFtoImageDLL(engine, item, written);
}

bool nonEmptyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

void applyPostSteps(MainFormState& form, const clsConversionOptions& item, const QStringList& written)
{
    if (form.bRetainInputFileTimeStamp) {
        QDateTime creation, access, write;
        if (!GetFileTimes(item.sOriginalFile, creation, access, write, true))
            for (const QString& output : written)
                SetFileTimes(output, creation, access, write, true);
    }
    // The input goes only once everything it became is on disk.
    bool outputsComplete = !written.isEmpty();
    bool inputIsAnOutput = false;
    for (const QString& output : written) {
        outputsComplete = outputsComplete && nonEmptyFile(output);
        inputIsAnOutput = inputIsAnOutput || bSameFile(output, item.sOriginalFile);
    }
    if (!outputsComplete || inputIsAnOutput)
        return;

    if (form.bMoveOriginalFileAfterProcessing && !form.sMoveFileToFolder.isEmpty()) {
        if (!form.sMoveFileToFolder.endsWith(u'/'))
            form.sMoveFileToFolder += u'/';
        bMoveFileToFolder(item.sOriginalFile, form.sMoveFileToFolder + item.sSubFolder);
    }
    if (form.bDeleteOriginalFileAfterProcessing)
        DeleteFileWithRetry(item.sOriginalFile);
}

} // namespace

ConversionRoutes& DefaultConversionRoutes()
{
    static ProgramRoutes routes;
    return routes;
}

bool bIsTemporaryPdf(const QString& path)
{
    const QString folder = ProgramTempFolder();
    return !folder.isEmpty() && path.startsWith(folder + u'/') && path.endsWith(kTemporaryPdfSuffix);
}

QString ConversionOntoInputText()
{
    return Translate(QStringLiteral("Input and Output File are the same. Cannot convert a file onto itself."));
}

int RefuseConversionOntoInput(clsConversionOptions& item)
{
    // The office route converts a document in place: its new PDF goes
    // through a temporary file and replaces the input only once complete.
    const bool inPlace = item.lOriginalFileType != filetype::Pdf && !isImageOutput(item.lTargetFileType)
                         && item.lConversionMethod == conversionmethod::Word;
    if (inPlace || !bSameFile(item.sTargetFile, item.sOriginalFile))
        return 0;
    item.lErr = kConversionOntoInput;
    item.sErr = ConversionOntoInputText();
    return item.lErr;
}

int RefuseUnconvertibleTypes(clsConversionOptions& item)
{
    // A task row of a hand-made job may name a type no route takes; no
    // route is asked to load or write it under a number it does not know.
    if (item.lConversionMethod != conversionmethod::Word && !bConvertibleInputType(item.lOriginalFileType)) {
        item.lErr = kUnconvertibleType;
        item.sErr = UnconvertibleInputText(item.sOriginalFile, QStringLiteral(" "));
        return item.lErr;
    }
    if (!FindTheTargetExtension(item.lTargetFileType)) {
        item.lErr = kUnconvertibleType;
        item.sErr = Translate(QStringLiteral("Invalid Output File type specified"));
        return item.lErr;
    }
    return 0;
}

int PerformConversionItem(JobEngine& engine, clsConversionOptions& item)
{
    engine.bItemInterrupted = false;
    if (RefuseUnconvertibleTypes(item) != 0 || RefuseConversionOntoInput(item) != 0)
        return item.lErr;
    QStringList written;
    const int result = runRoutes(engine, item, written);
    item.lErr = result;
    if (result == 0 && !engine.bItemInterrupted) {
        written.removeDuplicates();
        applyPostSteps(engine.form, item, written);
    }
    return result;
}
