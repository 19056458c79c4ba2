#pragma once
// The sizes the main form computes when it is resized, in twips (1440 to
// the inch), as the settings keep the grids' column widths. The grids give
// the room their fixed columns leave to their file columns: the task
// grid's input and output columns share it, the log grid's status column
// takes it. A width that comes out negative is not applied (the column
// keeps its width).
#include <array>
#include <optional>

inline constexpr int kTwipsPerInch = 1440;

// Whole twips, a half rounded to the even neighbour.
int RoundTwips(double twips);

int TwipsToPixels(int twips, int dotsPerInch);
int PixelsToTwips(int pixels, int dotsPerInch);

// A length placed on screen in twips, kept with the pixels it became, so
// that a length nobody changed is given back as it was read: twips do not
// survive the trip through pixels (13000 twips are 867 pixels at 96 dpi,
// and 867 pixels are 13005 twips).
struct PlacedTwips
{
    int twips = 0;
    int pixels = -1;
    int dotsPerInch = 0;

    static PlacedTwips place(int twips, int dotsPerInch)
    {
        return {twips, TwipsToPixels(twips, dotsPerInch), dotsPerInch};
    }
    // The twips of what now measures `current` pixels.
    int twipsOf(int current, int currentDotsPerInch) const
    {
        return current == pixels && currentDotsPerInch == dotsPerInch ? twips
                                                                        : PixelsToTwips(current, currentDotsPerInch);
    }
};

// Task grid: the width of column 4 ("Input File(s)") and of column 7
// ("Output File(s)") for a grid of gridWidth twips whose columns 2, 3, 6,
// 9 and 10 together take fixedColumns twips; no value when negative.
std::optional<int> ToDoFileColumnWidth(double gridWidth, double fixedColumns);

// Log grid: the width of column 11 ("Status") for a grid of gridWidth
// twips whose columns 2, 3, 7, 9 and 10 together take fixedColumns twips;
// no value when negative.
std::optional<int> LogStatusColumnWidth(double gridWidth, double fixedColumns);

// Columns the grids never show (width 0).
inline constexpr std::array<int, 4> kToDoHiddenColumns = {0, 1, 5, 8};
inline constexpr std::array<int, 6> kLogHiddenColumns = {0, 1, 4, 5, 6, 8};
// Columns whose widths the user sets and the settings keep, in the order
// of MainFormControlSettings.
inline constexpr std::array<int, 5> kToDoKeptColumns = {2, 3, 6, 9, 10};
inline constexpr std::array<int, 5> kLogKeptColumns = {2, 3, 7, 9, 10};

// Ctrl+Tab and Ctrl+Shift+Tab on a strip of tabCount tabs (counted from
// 1): the tab to select, wrapping at both ends.
int NextTabIndex(int selected, int tabCount);
int PreviousTabIndex(int selected, int tabCount);
