#include "UserLocale.h"

namespace {

struct LanguageNumber
{
    QLocale::Language language;
    int primary;
};

// Primary language numbers of the identifiers.
constexpr LanguageNumber kPrimary[] = {
    {QLocale::Arabic, 0x01},     {QLocale::Bulgarian, 0x02},  {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},    {QLocale::Czech, 0x05},      {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},     {QLocale::Greek, 0x08},      {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0A},    {QLocale::Finnish, 0x0B},    {QLocale::French, 0x0C},
    {QLocale::Hebrew, 0x0D},     {QLocale::Hungarian, 0x0E},  {QLocale::Icelandic, 0x0F},
    {QLocale::Italian, 0x10},    {QLocale::Japanese, 0x11},   {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},      {QLocale::NorwegianBokmal, 0x14}, {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16}, {QLocale::Romanian, 0x18},   {QLocale::Russian, 0x19},
    {QLocale::Croatian, 0x1A},   {QLocale::Slovak, 0x1B},     {QLocale::Albanian, 0x1C},
    {QLocale::Swedish, 0x1D},    {QLocale::Thai, 0x1E},       {QLocale::Turkish, 0x1F},
    {QLocale::Urdu, 0x20},       {QLocale::Indonesian, 0x21}, {QLocale::Ukrainian, 0x22},
    {QLocale::Belarusian, 0x23}, {QLocale::Slovenian, 0x24},  {QLocale::Estonian, 0x25},
    {QLocale::Latvian, 0x26},    {QLocale::Lithuanian, 0x27}, {QLocale::Persian, 0x29},
    {QLocale::Vietnamese, 0x2A}, {QLocale::Hindi, 0x39},
};

struct Variant
{
    QLocale::Language language;
    QLocale::Territory territory;
    int sub;
};

// Country variants other than the first (which every language has).
constexpr Variant kVariants[] = {
    {QLocale::English, QLocale::UnitedKingdom, 2}, {QLocale::English, QLocale::Australia, 3},
    {QLocale::English, QLocale::Canada, 4},        {QLocale::English, QLocale::NewZealand, 5},
    {QLocale::English, QLocale::Ireland, 6},       {QLocale::English, QLocale::SouthAfrica, 7},
    {QLocale::English, QLocale::India, 16},
    {QLocale::Chinese, QLocale::Taiwan, 1},        {QLocale::Chinese, QLocale::China, 2},
    {QLocale::Chinese, QLocale::HongKong, 3},      {QLocale::Chinese, QLocale::Singapore, 4},
    {QLocale::Chinese, QLocale::Macao, 5},
    {QLocale::German, QLocale::Switzerland, 2},    {QLocale::German, QLocale::Austria, 3},
    {QLocale::German, QLocale::Luxembourg, 4},     {QLocale::French, QLocale::Belgium, 2},
    {QLocale::French, QLocale::Canada, 3},         {QLocale::French, QLocale::Switzerland, 4},
    {QLocale::French, QLocale::Luxembourg, 5},     {QLocale::Spanish, QLocale::Mexico, 2},
    {QLocale::Spanish, QLocale::Spain, 3},         {QLocale::Portuguese, QLocale::Portugal, 2},
    {QLocale::Dutch, QLocale::Belgium, 2},         {QLocale::Italian, QLocale::Switzerland, 2},
    {QLocale::Swedish, QLocale::Finland, 2},
};

} // namespace

int LocaleIdentifier(const QLocale& locale)
{
    if (locale.language() == QLocale::C)
        return 1033;
    int primary = 0;
    for (const LanguageNumber& n : kPrimary)
        if (n.language == locale.language())
            primary = n.primary;
    if (primary == 0)
        return 0;
    int sub = 1;
    for (const Variant& v : kVariants)
        if (v.language == locale.language() && v.territory == locale.territory())
            sub = v.sub;
    // Chinese of an unlisted country goes by its script.
    if (locale.language() == QLocale::Chinese && sub == 1 && locale.territory() != QLocale::Taiwan)
        sub = locale.script() == QLocale::TraditionalChineseScript ? 1 : 2;
    return (sub << 10) | primary;
}

int GetUserDefaultLCID()
{
    return LocaleIdentifier(QLocale());
}

bool IsEastAsianLocale(int lcid)
{
    switch (lcid) {
    case 1028:
    case 1041:
    case 1042:
    case 2052:
    case 3076:
    case 4100:
    case 5124:
        return true;
    default:
        return false;
    }
}
