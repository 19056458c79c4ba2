// The text control over the office, in the office's module.
#include "textcontrol/TextControlPrivate.h"
#include "textcontrol/TextControlUnits.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextGraphicObjectsSupplier.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

void UnoTextControl::Private::raise(int number, const QString& description) const
{
    throw TextControlError{number, description};
}

void UnoTextControl::Private::fire(int number, const QString& description)
{
    bool cancelDisplay = false;
    if (onError)
        onError(static_cast<short>(number), description, cancelDisplay);
}

void UnoTextControl::Private::raiseFor(const OfficeStatus& status) const
{
    switch (status.failure) {
    case OfficeFailure::None:
        return;
    case OfficeFailure::FileNotFound:
        raise(kErrFileNotFound, status.message);
    case OfficeFailure::WrongFormat:
    case OfficeFailure::PasswordRequired:
    case OfficeFailure::WrongPassword:
    case OfficeFailure::LoadFailed:
        raise(kErrInvalidFileType, status.message);
    case OfficeFailure::StartFailed:
        raise(kErrOfficeUnavailable, status.message);
    case OfficeFailure::LoadTimeout:
    case OfficeFailure::SaveTimeout:
    case OfficeFailure::CallTimeout:
        lostReason = status.message;
        raise(kErrOfficeTimedOut, status.message);
    case OfficeFailure::OfficeDied:
    case OfficeFailure::MemoryExceeded:
        lostReason = status.message;
        raise(kErrOfficeStopped, status.message);
    case OfficeFailure::DocumentLost:
        raise(kErrOfficeStopped, lostReason.isEmpty() ? status.message
                                                      : QStringLiteral("The document was lost: %1").arg(lostReason));
    case OfficeFailure::SaveFailed:
        raise(kErrFileAccess, status.message);
    case OfficeFailure::Refused:
        raise(kErrRefused, status.message);
    case OfficeFailure::CallFailed:
        raise(kErrOfficeCall, status.message);
    }
    raise(kErrOfficeCall, status.message);
}

OfficeDocument* UnoTextControl::Private::openDocument() const
{
    if (!doc)
        return nullptr;
    if (!doc->isOpen())
        raiseFor({OfficeFailure::DocumentLost, QStringLiteral("The document is no longer open in the office.")});
    return doc.get();
}

OfficeDocument& UnoTextControl::Private::document()
{
    if (OfficeDocument* open = openDocument())
        return *open;
    OfficeStatus status;
    std::unique_ptr<OfficeDocument> created = engine.createDocument(status);
    if (!created)
        raiseFor(status);
    doc = std::move(created);
    documentChanged();
    run(*doc, QStringLiteral("setting up the page"), [&](const Reference<css::lang::XComponent>& model) {
        applyPageLayout(model, defaultWidth, defaultHeight, defaultMargins);
    });
    return *doc;
}

void UnoTextControl::Private::run(OfficeDocument& d, const QString& what,
                               const std::function<void(const Reference<css::lang::XComponent>&)>& fn) const
{
    const OfficeStatus status = RunOnDocument(d, what, fn);
    if (!status.ok())
        raiseFor(status);
}

UnoTextControl::UnoTextControl(OfficeEngine& engine)
    : d(std::make_unique<Private>(engine))
{
}

UnoTextControl::~UnoTextControl() = default;

void UnoTextControl::setErrorHandler(ErrorHandler handler)
{
    d->onError = std::move(handler);
}

void UnoTextControl::Load(const QString& file, int /*flags*/, int format)
{
    OfficeLoadOptions options;
    if (!LoadOptionsForFormat(format, options)) {
        if (format != 12 && format != 14)
            d->raise(kErrInvalidValue, QStringLiteral("%1 is not a format the text control loads.").arg(format));
        d->doc.reset();
        d->fire(kErrInvalidFileType, QStringLiteral("A PDF file cannot be loaded as a document: %1").arg(file));
        return;
    }
    d->doc.reset();
    d->lostReason.clear();
    d->selStart = 0;
    d->selLength = 0;
    d->documentChanged();

    OfficeStatus status;
    std::unique_ptr<OfficeDocument> loaded = d->engine.load(file, options, status);
    if (!loaded) {
        switch (status.failure) {
        case OfficeFailure::FileNotFound:
            d->raise(kErrFileNotFound, status.message);
        case OfficeFailure::LoadTimeout:
            d->fire(kErrOfficeTimedOut, status.message);
            return;
        case OfficeFailure::OfficeDied:
        case OfficeFailure::MemoryExceeded:
            d->fire(kErrOfficeStopped, status.message);
            return;
        case OfficeFailure::StartFailed:
            d->fire(kErrOfficeUnavailable, status.message);
            return;
        default:
            d->fire(kErrInvalidFileType, status.message);
            return;
        }
    }
    d->doc = std::move(loaded);
    if (!FilterHasPageLayout(d->doc->filterName())) {
        d->run(*d->doc, QStringLiteral("setting up the page"), [&](const Reference<css::lang::XComponent>& model) {
            d->applyPageLayout(model, d->defaultWidth, d->defaultHeight, d->defaultMargins);
        });
    }
    d->asLoaded = true;
}

void UnoTextControl::Save(const QString& file, int /*flags*/, int format, bool /*unused*/)
{
    OfficeSaveOptions options;
    if (!SaveFormatForCode(format, d->pdfMode, options))
        d->raise(kErrInvalidValue, QStringLiteral("%1 is not a format the text control saves.").arg(format));
    if (options.format == OfficeOutputFormat::Pdf) {
        ApplyPdfSettings(IndexedSetting(12).toString(), IndexedSetting(11).toString(), IndexedSetting(10).toInt(),
                         IndexedSetting(13).toInt(), IndexedSetting(14).toInt(), options.pdf);
    }
    options.embedImages = d->imageEmbedMode == 1;
    OfficeDocument& doc = d->document();
    const OfficeStatus status = doc.save(file, options);
    if (!status.ok())
        d->raiseFor(status);
}

short UnoTextControl::PdfMode() const
{
    return d->pdfMode;
}

void UnoTextControl::setPdfMode(short mode)
{
    if (mode != kPdfModePdf && mode != kPdfModePdfA)
        d->raise(kErrInvalidValue, QStringLiteral("PdfMode takes 0 (PDF) or 2 (PDF/A), not %1.").arg(mode));
    d->pdfMode = mode;
}

void UnoTextControl::ClearDocument()
{
    // A fresh document: no text, and the control's page layout.
    d->doc.reset();
    d->lostReason.clear();
    d->selStart = 0;
    d->selLength = 0;
    d->documentChanged();
}

QVariant UnoTextControl::IndexedSetting(int index) const
{
    switch (index) {
    case 0: return d->defaultWidth;
    case 1: return d->defaultHeight;
    case 2:
    case 3:
    case 4:
    case 5: return d->defaultMargins[index - 2];
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 37:
    case 38: {
        const auto it = d->indexed.find(index);
        return it != d->indexed.end() ? it->second : QVariant();
    }
    default:
        d->raise(kErrInvalidValue, QStringLiteral("There is no indexed setting %1.").arg(index));
    }
}

void UnoTextControl::setIndexedSetting(int index, const QVariant& value)
{
    bool ok = true;
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: {
        const int twips = value.toInt(&ok);
        if (!ok || twips < 0)
            d->raise(kErrInvalidValue, QStringLiteral("Indexed setting %1 takes a length in twips.").arg(index));
        if (index == 0)
            d->defaultWidth = twips;
        else if (index == 1)
            d->defaultHeight = twips;
        else
            d->defaultMargins[index - 2] = twips;
        return;
    }
    case 10:
    case 13:
    case 14:
        value.toInt(&ok);
        if (!ok)
            d->raise(kErrInvalidValue, QStringLiteral("Indexed setting %1 takes a number.").arg(index));
        d->indexed[index] = value.toInt();
        return;
    case 8:
    case 9:
    case 11:
    case 12:
    case 15:
    case 16:
    case 17:
    case 37:
    case 38:
        d->indexed[index] = value;
        return;
    default:
        d->raise(kErrInvalidValue, QStringLiteral("There is no indexed setting %1.").arg(index));
    }
}

int UnoTextControl::PageCount() const
{
    OfficeDocument* doc = d->openDocument();
    if (!doc)
        return 1;
    int pages = 1;
    d->run(*doc, QStringLiteral("counting pages"), [&](const Reference<css::lang::XComponent>& model) {
        Reference<css::frame::XModel> m(model, UNO_QUERY_THROW);
        Reference<css::text::XTextViewCursorSupplier> views(m->getCurrentController(), UNO_QUERY_THROW);
        Reference<css::text::XPageCursor> pageCursor(views->getViewCursor(), UNO_QUERY_THROW);
        pageCursor->jumpToLastPage();
        pages = pageCursor->getPage();
    });
    return pages;
}

int UnoTextControl::ObjectQuery(int /*unused*/, int kind) const
{
    OfficeDocument* doc = d->openDocument();
    if (!doc || kind != 4)
        return 0;
    int images = 0;
    d->run(*doc, QStringLiteral("counting images"), [&](const Reference<css::lang::XComponent>& model) {
        Reference<css::text::XTextGraphicObjectsSupplier> graphics(model, UNO_QUERY);
        if (graphics.is())
            images = Reference<css::container::XIndexAccess>(graphics->getGraphicObjects(), UNO_QUERY_THROW)->getCount();
    });
    return images;
}

int UnoTextControl::ImageEmbedMode() const
{
    return d->imageEmbedMode;
}

void UnoTextControl::setImageEmbedMode(int mode)
{
    if (mode != 0 && mode != 1)
        d->raise(kErrInvalidValue, QStringLiteral("ImageEmbedMode takes 0 or 1, not %1.").arg(mode));
    d->imageEmbedMode = mode;
}

namespace {
bool IsViewProperty(int id)
{
    return id == 2 || id == 14 || id == 37 || id == 39 || id == 56;
}
} // namespace

QVariant UnoTextControl::ViewProperty(int id) const
{
    if (!IsViewProperty(id))
        d->raise(kErrNotSupported, QStringLiteral("The text control has no property %1.").arg(id));
    const auto it = d->view.find(id);
    return it != d->view.end() ? it->second : QVariant();
}

void UnoTextControl::setViewProperty(int id, const QVariant& value)
{
    if (!IsViewProperty(id))
        d->raise(kErrNotSupported, QStringLiteral("The text control has no property %1.").arg(id));
    d->view[id] = value;
}
