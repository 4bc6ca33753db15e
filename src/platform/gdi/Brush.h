#pragma once

#include "platform/gdi/Colour.h"

#include <array>
#include <cstdint>

namespace lumeria::gdi {

enum class BrushStyle { Solid, Null, Pattern };

// A GDI brush. A pattern brush is an 8x8 monochrome bitmap laid on the
// surface from its origin; as with Windows' monochrome pattern brushes, a 0
// bit takes the DC's text colour and a 1 bit the DC's background colour.
struct Brush {
    BrushStyle style = BrushStyle::Solid;
    ColorRef colour = rgb(255, 255, 255);
    std::array<uint8_t, 8> rows{}; // top row first, most significant bit leftmost

    static Brush none() { return {BrushStyle::Null, 0, {}}; }
    static Brush solid(ColorRef colour) { return {BrushStyle::Solid, colour, {}}; }
    static Brush pattern(const std::array<uint8_t, 8>& rows) { return {BrushStyle::Pattern, 0, rows}; }

    bool isNull() const { return style == BrushStyle::Null; }

    // The pattern bit at a device position (brush origin 0,0).
    bool patternBit(int x, int y) const { return (rows[size_t(y & 7)] >> (7 - (x & 7))) & 1; }

    friend bool operator==(const Brush&, const Brush&) = default;
};

} // namespace lumeria::gdi
