#pragma once

#include "platform/gdi/Colour.h"

#include <array>
#include <cstdint>
#include <memory>

namespace lumeria::gdi {

enum class BrushStyle { Solid, Null, Pattern, ColourPattern };

// A GDI brush. A pattern brush is an 8x8 monochrome bitmap laid on the
// surface from its origin; as with Windows' monochrome pattern brushes, a 0
// bit takes the DC's text colour and a 1 bit the DC's background colour. A
// colour pattern brush (made from a bitmap of more colours) keeps its own
// 8x8 pixels and ignores the DC's colours.
struct Brush {
    using Pixels = std::array<uint32_t, 64>; // 0xFFRRGGBB, top row first

    BrushStyle style = BrushStyle::Solid;
    ColorRef colour = rgb(255, 255, 255);
    std::array<uint8_t, 8> rows{}; // top row first, most significant bit leftmost
    // Shared, so that the brush stays cheap to copy with the DC state.
    std::shared_ptr<const Pixels> pixels;

    static Brush none() { return {BrushStyle::Null, 0, {}, nullptr}; }
    static Brush solid(ColorRef colour) { return {BrushStyle::Solid, colour, {}, nullptr}; }
    static Brush pattern(const std::array<uint8_t, 8>& rows) { return {BrushStyle::Pattern, 0, rows, nullptr}; }
    static Brush colourPattern(const Pixels& pixels)
    {
        return {BrushStyle::ColourPattern, 0, {}, std::make_shared<const Pixels>(pixels)};
    }

    bool isNull() const { return style == BrushStyle::Null; }

    // The pattern bit at a device position (brush origin 0,0).
    bool patternBit(int x, int y) const { return (rows[size_t(y & 7)] >> (7 - (x & 7))) & 1; }
    // The colour pattern's pixel at a device position.
    uint32_t patternPixel(int x, int y) const { return (*pixels)[size_t((y & 7) * 8 + (x & 7))]; }

    friend bool operator==(const Brush&, const Brush&) = default;
};

} // namespace lumeria::gdi
