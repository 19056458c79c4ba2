// Page, paragraph and character settings of the text control.
#include "textcontrol/TextControlPrivate.h"
#include "textcontrol/TextControlUnits.h"

#include <com/sun/star/awt/FontSlant.hpp>
#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/style/LineSpacing.hpp>
#include <com/sun/star/style/LineSpacingMode.hpp>
#include <com/sun/star/style/ParagraphAdjust.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/text/XTextDocument.hpp>

#include <algorithm>
#include <cmath>

using css::beans::XPropertySet;
using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// Dispatch ids of the settings.
enum Id {
    kFontBold = 6, kFontItalic = 7, kFontName = 8, kFontSize = 9, kFontStrikethru = 10, kFontUnderline = 11,
    kPageWidth = 12, kPageHeight = 13, kAlignment = 16, kFrameDistance = 17, kFrameLineWidth = 18,
    kFrameStyle = 19, kMarginLeft = 22, kMarginTop = 23, kMarginRight = 24, kMarginBottom = 25,
    kBaseLine = 47, kLineSpacing = 48, kLineSpacingT = 53, kIndentL = 75, kIndentR = 76, kIndentFL = 77,
    kIndentT = 78, kIndentB = 79, kTextBkColor = 80, kFontUnderlineStyle = 123, kForeColor = -513,
};

QVariant DefaultFormat(int id)
{
    switch (id) {
    case kLineSpacing: return 100;
    case kFontName: return QStringLiteral("Liberation Serif");
    case kFontSize: return 12;
    case kFontUnderlineStyle: return 1;
    default: return 0;
    }
}

const char* const kSides[4] = {"LeftBorder", "TopBorder", "RightBorder", "BottomBorder"};
const char* const kSideDistances[4] = {"LeftBorderDistance", "TopBorderDistance", "RightBorderDistance",
                                       "BottomBorderDistance"};
const int kSideBits[4] = {1, 4, 2, 8};

// The office's underline kinds for ours: single, double, dotted, dashed, wave.
const short kUnderlineKinds[6] = {1, 1, 2, 3, 5, 10};

int FrameStyleOf(const Reference<XPropertySet>& props)
{
    int style = 0;
    for (int i = 0; i < 4; ++i) {
        css::table::BorderLine2 line;
        if ((props->getPropertyValue(rtl::OUString::createFromAscii(kSides[i])) >>= line)
            && (line.LineWidth > 0 || line.OuterLineWidth > 0))
            style |= kSideBits[i];
    }
    return style == 15 ? 16 : style;
}

void SetFrame(const Reference<XPropertySet>& props, int style, int widthTwips, int distanceTwips)
{
    css::table::BorderLine2 line;
    line.LineStyle = css::table::BorderLineStyle::SOLID;
    line.LineWidth = static_cast<sal_uInt32>(TwipsToHundredthMm(widthTwips));
    line.OuterLineWidth = static_cast<sal_Int16>(line.LineWidth);
    const css::table::BorderLine2 none;
    for (int i = 0; i < 4; ++i) {
        const bool on = (style & 16) || (style & kSideBits[i]);
        props->setPropertyValue(rtl::OUString::createFromAscii(kSides[i]), Any(on ? line : none));
        props->setPropertyValue(rtl::OUString::createFromAscii(kSideDistances[i]),
                                Any(sal_Int32(on ? TwipsToHundredthMm(distanceTwips) : 0)));
    }
}

float CharHeightOf(const Reference<XPropertySet>& props)
{
    float height = 0;
    props->getPropertyValue("CharHeight") >>= height;
    return height > 0 ? height : 12.0f;
}

// Weight, posture and size go to the Asian and complex scripts as well, so
// the setting holds whatever the text's script.
void SetForAllScripts(const Reference<XPropertySet>& props, const char* western, const Any& value)
{
    const rtl::OUString name = rtl::OUString::createFromAscii(western);
    props->setPropertyValue(name, value);
    props->setPropertyValue(name + "Asian", value);
    props->setPropertyValue(name + "Complex", value);
}

int IntValue(const Any& any)
{
    // Some settings come as enumerations, which do not convert to numbers.
    if (any.getValueTypeClass() == css::uno::TypeClass_ENUM)
        return *static_cast<const sal_Int32*>(any.getValue());
    sal_Int32 value = 0;
    any >>= value;
    return value;
}

void CheckFormatValue(const UnoTextControl::Private& p, int id, const QVariant& value)
{
    bool ok = true;
    const int n = value.toInt(&ok);
    if (id == kFontName) {
        if (value.toString().trimmed().isEmpty())
            p.raise(kErrInvalidValue, QStringLiteral("FontName needs a font name."));
        return;
    }
    bool valid = ok;
    switch (id) {
    case kAlignment: valid = ok && n >= 0 && n <= 3; break;
    case kFrameStyle: valid = ok && n >= 0 && n <= 31; break;
    case kFontSize: valid = ok && n >= 1 && n <= 999; break;
    case kFontUnderlineStyle: valid = ok && n >= 1 && n <= 5; break;
    case kForeColor:
    case kTextBkColor: valid = ok && n >= 0 && n <= 0xFFFFFF; break;
    case kFrameDistance:
    case kFrameLineWidth:
    case kLineSpacing:
    case kLineSpacingT:
    case kIndentT:
    case kIndentB: valid = ok && n >= 0; break;
    default: break;
    }
    if (!valid)
        p.raise(kErrInvalidValue, QStringLiteral("%1 is not a valid value for setting %2.").arg(value.toString()).arg(id));
}

void WriteToSelection(UnoTextControl::Private& p, const Reference<XPropertySet>& props, int id, const QVariant& value)
{
    const int n = value.toInt();
    switch (id) {
    case kAlignment: {
        static const css::style::ParagraphAdjust adjust[4] = {
            css::style::ParagraphAdjust_LEFT, css::style::ParagraphAdjust_RIGHT,
            css::style::ParagraphAdjust_CENTER, css::style::ParagraphAdjust_BLOCK};
        props->setPropertyValue("ParaAdjust", Any(sal_Int16(adjust[n])));
        break;
    }
    case kFrameDistance:
    case kFrameLineWidth:
        // Lines already drawn take the new width or distance.
        SetFrame(props, FrameStyleOf(props), p.frameLineWidth, p.frameDistance);
        break;
    case kFrameStyle: SetFrame(props, n, p.frameLineWidth, p.frameDistance); break;
    case kIndentL: props->setPropertyValue("ParaLeftMargin", Any(sal_Int32(TwipsToHundredthMm(n)))); break;
    case kIndentR: props->setPropertyValue("ParaRightMargin", Any(sal_Int32(TwipsToHundredthMm(n)))); break;
    case kIndentFL: props->setPropertyValue("ParaFirstLineIndent", Any(sal_Int32(TwipsToHundredthMm(n)))); break;
    case kIndentT: props->setPropertyValue("ParaTopMargin", Any(sal_Int32(TwipsToHundredthMm(n)))); break;
    case kIndentB: props->setPropertyValue("ParaBottomMargin", Any(sal_Int32(TwipsToHundredthMm(n)))); break;
    case kLineSpacing:
    case kLineSpacingT: {
        if (n == 0)
            break; // no spacing of zero: the setting is left as it is
        css::style::LineSpacing spacing;
        spacing.Mode = id == kLineSpacing ? css::style::LineSpacingMode::PROP : css::style::LineSpacingMode::FIX;
        spacing.Height = static_cast<sal_Int16>(id == kLineSpacing ? std::min(n, 32767)
                                                                   : std::min(TwipsToHundredthMm(n), 32767));
        props->setPropertyValue("ParaLineSpacing", Any(spacing));
        break;
    }
    case kBaseLine: {
        // The office raises text by a percentage of its height.
        const double percent = std::nearbyint(n * 5.0 / CharHeightOf(props));
        props->setPropertyValue("CharEscapement", Any(sal_Int16(std::clamp(percent, -100.0, 100.0))));
        props->setPropertyValue("CharEscapementHeight", Any(sal_Int8(100)));
        break;
    }
    case kFontBold:
        SetForAllScripts(props, "CharWeight", Any(n ? css::awt::FontWeight::BOLD : css::awt::FontWeight::NORMAL));
        break;
    case kFontItalic:
        SetForAllScripts(props, "CharPosture", Any(n ? css::awt::FontSlant_ITALIC : css::awt::FontSlant_NONE));
        break;
    case kFontSize: SetForAllScripts(props, "CharHeight", Any(float(n))); break;
    case kFontName: props->setPropertyValue("CharFontName", Any(toOUString(value.toString()))); break;
    case kFontStrikethru: props->setPropertyValue("CharStrikeout", Any(sal_Int16(n ? 1 : 0))); break;
    case kFontUnderline:
        props->setPropertyValue("CharUnderline", Any(sal_Int16(n ? kUnderlineKinds[p.underlineStyle] : 0)));
        break;
    case kFontUnderlineStyle: {
        sal_Int16 current = 0;
        props->getPropertyValue("CharUnderline") >>= current;
        if (current != 0)
            props->setPropertyValue("CharUnderline", Any(kUnderlineKinds[n]));
        break;
    }
    case kForeColor: props->setPropertyValue("CharColor", Any(sal_Int32(BgrToRgb(n)))); break;
    case kTextBkColor:
        // 0 is no background: black behind text is never what a setting of
        // nothing means.
        props->setPropertyValue("CharBackTransparent", Any(n == 0));
        props->setPropertyValue("CharBackColor", Any(sal_Int32(n == 0 ? -1 : BgrToRgb(n))));
        break;
    default:
        p.raise(kErrNotSupported, QStringLiteral("The text control has no setting %1.").arg(id));
    }
}

QVariant ReadFromSelection(const UnoTextControl::Private& p, const Reference<XPropertySet>& props, int id)
{
    switch (id) {
    case kAlignment: {
        const int adjust = IntValue(props->getPropertyValue("ParaAdjust"));
        return adjust == css::style::ParagraphAdjust_RIGHT ? 1
             : adjust == css::style::ParagraphAdjust_CENTER ? 2
             : adjust == css::style::ParagraphAdjust_BLOCK ? 3 : 0;
    }
    case kFrameStyle: return FrameStyleOf(props);
    case kFrameLineWidth: {
        sal_uInt32 widest = 0;
        for (const char* side : kSides) {
            css::table::BorderLine2 line;
            if (props->getPropertyValue(rtl::OUString::createFromAscii(side)) >>= line)
                widest = std::max(widest, line.LineWidth);
        }
        return HundredthMmToTwips(static_cast<int>(widest));
    }
    case kFrameDistance: return HundredthMmToTwips(IntValue(props->getPropertyValue("LeftBorderDistance")));
    case kIndentL: return HundredthMmToTwips(IntValue(props->getPropertyValue("ParaLeftMargin")));
    case kIndentR: return HundredthMmToTwips(IntValue(props->getPropertyValue("ParaRightMargin")));
    case kIndentFL: return HundredthMmToTwips(IntValue(props->getPropertyValue("ParaFirstLineIndent")));
    case kIndentT: return HundredthMmToTwips(IntValue(props->getPropertyValue("ParaTopMargin")));
    case kIndentB: return HundredthMmToTwips(IntValue(props->getPropertyValue("ParaBottomMargin")));
    case kLineSpacing:
    case kLineSpacingT: {
        css::style::LineSpacing spacing;
        props->getPropertyValue("ParaLineSpacing") >>= spacing;
        if (id == kLineSpacing)
            return spacing.Mode == css::style::LineSpacingMode::PROP ? int(spacing.Height) : 100;
        return spacing.Mode == css::style::LineSpacingMode::FIX ? HundredthMmToTwips(spacing.Height) : 0;
    }
    case kBaseLine: {
        sal_Int16 percent = 0;
        props->getPropertyValue("CharEscapement") >>= percent;
        return int(std::nearbyint(percent * CharHeightOf(props) / 5.0));
    }
    case kFontBold: {
        float weight = 0;
        props->getPropertyValue("CharWeight") >>= weight;
        return weight > css::awt::FontWeight::NORMAL ? 1 : 0;
    }
    case kFontItalic: {
        css::awt::FontSlant slant = css::awt::FontSlant_NONE;
        props->getPropertyValue("CharPosture") >>= slant;
        return slant != css::awt::FontSlant_NONE ? 1 : 0;
    }
    case kFontSize: return int(std::nearbyint(CharHeightOf(props)));
    case kFontName: {
        rtl::OUString name;
        props->getPropertyValue("CharFontName") >>= name;
        return toQString(name);
    }
    case kFontStrikethru: return IntValue(props->getPropertyValue("CharStrikeout")) != 0 ? 1 : 0;
    case kFontUnderline: return IntValue(props->getPropertyValue("CharUnderline")) != 0 ? 1 : 0;
    case kFontUnderlineStyle: {
        const int kind = IntValue(props->getPropertyValue("CharUnderline"));
        for (int style = 1; style <= 5; ++style) {
            if (kUnderlineKinds[style] == kind)
                return style;
        }
        return p.underlineStyle;
    }
    case kForeColor: {
        const int rgb = IntValue(props->getPropertyValue("CharColor"));
        return rgb < 0 ? 0 : RgbToBgr(rgb); // automatic colour reads as black
    }
    case kTextBkColor: {
        bool transparent = true;
        props->getPropertyValue("CharBackTransparent") >>= transparent;
        const int rgb = IntValue(props->getPropertyValue("CharBackColor"));
        return transparent || rgb < 0 ? 0 : RgbToBgr(rgb);
    }
    default:
        p.raise(kErrNotSupported, QStringLiteral("The text control has no setting %1.").arg(id));
    }
}

template <typename Fn>
void ForEachPageStyle(const Reference<css::lang::XComponent>& model, Fn&& fn)
{
    Reference<css::style::XStyleFamiliesSupplier> families(model, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pageStyles(families->getStyleFamilies()->getByName("PageStyles"),
                                                      UNO_QUERY_THROW);
    const auto names = pageStyles->getElementNames();
    for (const rtl::OUString& name : names)
        fn(Reference<XPropertySet>(pageStyles->getByName(name), UNO_QUERY_THROW));
}

// The page style of the document's first page.
Reference<XPropertySet> FirstPageStyle(const Reference<css::lang::XComponent>& model)
{
    Reference<css::text::XTextDocument> text(model, UNO_QUERY_THROW);
    Reference<XPropertySet> start(text->getText()->createTextCursor(), UNO_QUERY_THROW);
    rtl::OUString name;
    start->getPropertyValue("PageStyleName") >>= name;
    Reference<css::style::XStyleFamiliesSupplier> families(model, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> pageStyles(families->getStyleFamilies()->getByName("PageStyles"),
                                                      UNO_QUERY_THROW);
    return Reference<XPropertySet>(pageStyles->getByName(name.isEmpty() ? rtl::OUString("Standard") : name),
                                   UNO_QUERY_THROW);
}

const char* PageProperty(int id)
{
    switch (id) {
    case kPageWidth: return "Width";
    case kPageHeight: return "Height";
    case kMarginLeft: return "LeftMargin";
    case kMarginTop: return "TopMargin";
    case kMarginRight: return "RightMargin";
    case kMarginBottom: return "BottomMargin";
    default: return nullptr;
    }
}

void SetPageSize(const Reference<XPropertySet>& style, int width, int height)
{
    // Setting the orientation swaps width and height to suit it, so it goes
    // first and the sizes after.
    style->setPropertyValue("IsLandscape", Any(width > height));
    style->setPropertyValue("Width", Any(sal_Int32(width)));
    style->setPropertyValue("Height", Any(sal_Int32(height)));
}

} // namespace

void UnoTextControl::Private::applyPageLayout(const Reference<css::lang::XComponent>& model, int width, int height,
                                           const int margins[4]) const
{
    const char* const names[4] = {"LeftMargin", "TopMargin", "RightMargin", "BottomMargin"};
    ForEachPageStyle(model, [&](const Reference<XPropertySet>& style) {
        SetPageSize(style, TwipsToHundredthMm(width), TwipsToHundredthMm(height));
        for (int i = 0; i < 4; ++i)
            style->setPropertyValue(rtl::OUString::createFromAscii(names[i]), Any(sal_Int32(TwipsToHundredthMm(margins[i]))));
    });
}

void WriteFormat(UnoTextControl::Private& p, int id, const QVariant& value)
{
    CheckFormatValue(p, id, value);
    const int n = value.toInt();
    if (id == kFrameLineWidth)
        p.frameLineWidth = n;
    else if (id == kFrameDistance)
        p.frameDistance = n;
    else if (id == kFontUnderlineStyle)
        p.underlineStyle = n;
    OfficeDocument* doc = p.openDocument();
    if (!doc) {
        p.formatting[id] = value;
        return;
    }
    p.run(*doc, QStringLiteral("changing the text's format"), [&](const Reference<css::lang::XComponent>& model) {
        WriteToSelection(p, p.selectionProperties(model), id, value);
    });
}

QVariant ReadFormat(const UnoTextControl::Private& p, int id)
{
    OfficeDocument* doc = p.openDocument();
    if (!doc) {
        const auto it = p.formatting.find(id);
        return it != p.formatting.end() ? it->second : DefaultFormat(id);
    }
    QVariant result;
    p.run(*doc, QStringLiteral("reading the text's format"), [&](const Reference<css::lang::XComponent>& model) {
        result = ReadFromSelection(p, p.selectionProperties(model), id);
    });
    return result;
}

void WritePage(UnoTextControl::Private& p, int id, int twips)
{
    if (twips < 0 || ((id == kPageWidth || id == kPageHeight) && twips == 0))
        p.raise(kErrInvalidValue, QStringLiteral("%1 twips is not a valid page length.").arg(twips));
    OfficeDocument* doc = p.openDocument();
    if (!doc) {
        if (id == kPageWidth)
            p.defaultWidth = twips;
        else if (id == kPageHeight)
            p.defaultHeight = twips;
        else
            p.defaultMargins[id - kMarginLeft] = twips;
        return;
    }
    const int value = TwipsToHundredthMm(twips);
    p.run(*doc, QStringLiteral("changing the page layout"), [&](const Reference<css::lang::XComponent>& model) {
        ForEachPageStyle(model, [&](const Reference<XPropertySet>& style) {
            if (id == kPageWidth || id == kPageHeight) {
                const int width = id == kPageWidth ? value : IntValue(style->getPropertyValue("Width"));
                const int height = id == kPageHeight ? value : IntValue(style->getPropertyValue("Height"));
                SetPageSize(style, width, height);
            } else {
                style->setPropertyValue(rtl::OUString::createFromAscii(PageProperty(id)), Any(sal_Int32(value)));
            }
        });
    });
}

int ReadPage(const UnoTextControl::Private& p, int id)
{
    OfficeDocument* doc = p.openDocument();
    if (!doc) {
        if (id == kPageWidth)
            return p.defaultWidth;
        if (id == kPageHeight)
            return p.defaultHeight;
        return p.defaultMargins[id - kMarginLeft];
    }
    int value = 0;
    p.run(*doc, QStringLiteral("reading the page layout"), [&](const Reference<css::lang::XComponent>& model) {
        value = IntValue(FirstPageStyle(model)->getPropertyValue(rtl::OUString::createFromAscii(PageProperty(id))));
    });
    return HundredthMmToTwips(value);
}

// The named members, each a dispatch id of the settings above.
int UnoTextControl::PageWidth() const { return ReadPage(*d, kPageWidth); }
void UnoTextControl::setPageWidth(int twips) { WritePage(*d, kPageWidth, twips); }
int UnoTextControl::PageHeight() const { return ReadPage(*d, kPageHeight); }
void UnoTextControl::setPageHeight(int twips) { WritePage(*d, kPageHeight, twips); }
int UnoTextControl::PageMarginLeft() const { return ReadPage(*d, kMarginLeft); }
void UnoTextControl::setPageMarginLeft(int twips) { WritePage(*d, kMarginLeft, twips); }
int UnoTextControl::PageMarginTop() const { return ReadPage(*d, kMarginTop); }
void UnoTextControl::setPageMarginTop(int twips) { WritePage(*d, kMarginTop, twips); }
int UnoTextControl::PageMarginRight() const { return ReadPage(*d, kMarginRight); }
void UnoTextControl::setPageMarginRight(int twips) { WritePage(*d, kMarginRight, twips); }
int UnoTextControl::PageMarginBottom() const { return ReadPage(*d, kMarginBottom); }
void UnoTextControl::setPageMarginBottom(int twips) { WritePage(*d, kMarginBottom, twips); }

int UnoTextControl::Alignment() const { return ReadFormat(*d, kAlignment).toInt(); }
void UnoTextControl::setAlignment(int value) { WriteFormat(*d, kAlignment, value); }
int UnoTextControl::FrameDistance() const { return ReadFormat(*d, kFrameDistance).toInt(); }
void UnoTextControl::setFrameDistance(int twips) { WriteFormat(*d, kFrameDistance, twips); }
int UnoTextControl::FrameLineWidth() const { return ReadFormat(*d, kFrameLineWidth).toInt(); }
void UnoTextControl::setFrameLineWidth(int twips) { WriteFormat(*d, kFrameLineWidth, twips); }
int UnoTextControl::FrameStyle() const { return ReadFormat(*d, kFrameStyle).toInt(); }
void UnoTextControl::setFrameStyle(int value) { WriteFormat(*d, kFrameStyle, value); }
int UnoTextControl::IndentL() const { return ReadFormat(*d, kIndentL).toInt(); }
void UnoTextControl::setIndentL(int twips) { WriteFormat(*d, kIndentL, twips); }
int UnoTextControl::IndentR() const { return ReadFormat(*d, kIndentR).toInt(); }
void UnoTextControl::setIndentR(int twips) { WriteFormat(*d, kIndentR, twips); }
int UnoTextControl::IndentFL() const { return ReadFormat(*d, kIndentFL).toInt(); }
void UnoTextControl::setIndentFL(int twips) { WriteFormat(*d, kIndentFL, twips); }
int UnoTextControl::IndentT() const { return ReadFormat(*d, kIndentT).toInt(); }
void UnoTextControl::setIndentT(int twips) { WriteFormat(*d, kIndentT, twips); }
int UnoTextControl::IndentB() const { return ReadFormat(*d, kIndentB).toInt(); }
void UnoTextControl::setIndentB(int twips) { WriteFormat(*d, kIndentB, twips); }
int UnoTextControl::LineSpacing() const { return ReadFormat(*d, kLineSpacing).toInt(); }
void UnoTextControl::setLineSpacing(int percent) { WriteFormat(*d, kLineSpacing, percent); }
int UnoTextControl::LineSpacingT() const { return ReadFormat(*d, kLineSpacingT).toInt(); }
void UnoTextControl::setLineSpacingT(int twips) { WriteFormat(*d, kLineSpacingT, twips); }
int UnoTextControl::BaseLine() const { return ReadFormat(*d, kBaseLine).toInt(); }
void UnoTextControl::setBaseLine(int twips) { WriteFormat(*d, kBaseLine, twips); }
int UnoTextControl::FontBold() const { return ReadFormat(*d, kFontBold).toInt(); }
void UnoTextControl::setFontBold(int on) { WriteFormat(*d, kFontBold, on); }
int UnoTextControl::FontItalic() const { return ReadFormat(*d, kFontItalic).toInt(); }
void UnoTextControl::setFontItalic(int on) { WriteFormat(*d, kFontItalic, on); }
QString UnoTextControl::FontName() const { return ReadFormat(*d, kFontName).toString(); }
void UnoTextControl::setFontName(const QString& name) { WriteFormat(*d, kFontName, name); }
int UnoTextControl::FontSize() const { return ReadFormat(*d, kFontSize).toInt(); }
void UnoTextControl::setFontSize(int points) { WriteFormat(*d, kFontSize, points); }
int UnoTextControl::FontStrikethru() const { return ReadFormat(*d, kFontStrikethru).toInt(); }
void UnoTextControl::setFontStrikethru(int on) { WriteFormat(*d, kFontStrikethru, on); }
int UnoTextControl::FontUnderline() const { return ReadFormat(*d, kFontUnderline).toInt(); }
void UnoTextControl::setFontUnderline(int on) { WriteFormat(*d, kFontUnderline, on); }
int UnoTextControl::FontUnderlineStyle() const { return ReadFormat(*d, kFontUnderlineStyle).toInt(); }
void UnoTextControl::setFontUnderlineStyle(int style) { WriteFormat(*d, kFontUnderlineStyle, style); }
int UnoTextControl::ForeColor() const { return ReadFormat(*d, kForeColor).toInt(); }
void UnoTextControl::setForeColor(int bgr) { WriteFormat(*d, kForeColor, bgr); }
int UnoTextControl::TextBkColor() const { return ReadFormat(*d, kTextBkColor).toInt(); }
void UnoTextControl::setTextBkColor(int bgr) { WriteFormat(*d, kTextBkColor, bgr); }
