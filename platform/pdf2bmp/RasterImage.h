#pragma once
#include <cstdint>
#include <vector>
struct RasterImage {
    int width = 0;
    int height = 0;
    int dpiX = 96;
    int dpiY = 96;
    std::vector<std::uint8_t> rgb; // 8-bit RGB, rows packed, width*3 bytes per row, top row first
};
