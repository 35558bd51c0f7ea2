#pragma once
#include <cstdint>

namespace velmora::platform {

// A colour as the program stores it: 0x00BBGGRR, red in the low byte. Values made by the
// colour conversions carry 0x02 in the top byte; every reader ignores the top byte.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clSilver = 0xC0C0C0;

constexpr std::uint8_t redOf(TColor c) {
    return c & 0xFF;
}
constexpr std::uint8_t greenOf(TColor c) {
    return (c >> 8) & 0xFF;
}
constexpr std::uint8_t blueOf(TColor c) {
    return (c >> 16) & 0xFF;
}
constexpr TColor rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

} // namespace velmora::platform
