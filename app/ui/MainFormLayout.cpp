#include "MainFormLayout.h"

#include <cmath>

int RoundTwips(double twips)
{
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    return int(std::nearbyint(twips));
}

int TwipsToPixels(int twips, int dotsPerInch)
{
    return int(std::lround(double(twips) * dotsPerInch / kTwipsPerInch));
}

int PixelsToTwips(int pixels, int dotsPerInch)
{
    return dotsPerInch > 0 ? int(std::lround(double(pixels) * kTwipsPerInch / dotsPerInch)) : 0;
}

std::optional<int> ToDoFileColumnWidth(double gridWidth, double fixedColumns)
{
    const int rest = RoundTwips(gridWidth - fixedColumns);
    const int width = RoundTwips(rest / 2.0 - 195);
    if (width < 0)
        return std::nullopt;
    return width;
}

std::optional<int> LogStatusColumnWidth(double gridWidth, double fixedColumns)
{
    const int width = RoundTwips(gridWidth - fixedColumns) - 390;
    if (width < 0)
        return std::nullopt;
    return width;
}

int NextTabIndex(int selected, int tabCount)
{
    return selected >= tabCount ? 1 : selected + 1;
}

int PreviousTabIndex(int selected, int tabCount)
{
    return selected <= 1 ? tabCount : selected - 1;
}
