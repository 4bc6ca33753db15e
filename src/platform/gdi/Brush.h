#pragma once

#include "platform/gdi/Colour.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace lumeria::gdi {

enum class BrushStyle { Solid, Null, Pattern, ColourPattern };

// The pixels of a pattern brush, top row first, of any size: a monochrome
// pattern keeps 0 or 1 per pixel, a colour pattern 0xFFRRGGBB.
struct PatternTile {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    friend bool operator==(const PatternTile&, const PatternTile&) = default;
};

// A GDI brush. A pattern brush is a bitmap laid on the surface from the DC's
// brush origin, repeating in both directions; as with Windows' monochrome
// pattern brushes, a 0 bit takes the DC's text colour and a 1 bit the DC's
// background colour. A colour pattern brush (made from a bitmap of more
// colours) keeps its own pixels and ignores the DC's colours. Hatches are
// 8x8 monochrome patterns; bitmaps make patterns of their own size.
struct Brush {
    using Pixels = std::array<uint32_t, 64>; // an 8x8 colour pattern, top row first

    // Patterns are limited so that a file's brush cannot take more memory
    // than a page does.
    static constexpr int kMaxPatternSide = 1024;

    BrushStyle style = BrushStyle::Solid;
    ColorRef colour = rgb(255, 255, 255);
    // Shared, so that the brush stays cheap to copy with the DC state.
    std::shared_ptr<const PatternTile> tile;

    static Brush none() { return {BrushStyle::Null, 0, nullptr}; }
    static Brush solid(ColorRef colour) { return {BrushStyle::Solid, colour, nullptr}; }
    // Eight rows, most significant bit leftmost.
    static Brush pattern(const std::array<uint8_t, 8>& rows)
    {
        std::vector<uint32_t> bits(64);
        for (size_t y = 0; y < 8; ++y) {
            for (size_t x = 0; x < 8; ++x)
                bits[y * 8 + x] = (rows[y] >> (7 - x)) & 1;
        }
        return monochromePattern(8, 8, std::move(bits));
    }
    static Brush colourPattern(const Pixels& pixels)
    {
        return colourPattern(8, 8, std::vector<uint32_t>(pixels.begin(), pixels.end()));
    }
    // width x height pixels, top row first. A size out of bounds, or pixels
    // that do not fill it, make a black solid brush.
    static Brush monochromePattern(int width, int height, std::vector<uint32_t> bits)
    {
        return tiled(BrushStyle::Pattern, width, height, std::move(bits));
    }
    static Brush colourPattern(int width, int height, std::vector<uint32_t> pixels)
    {
        return tiled(BrushStyle::ColourPattern, width, height, std::move(pixels));
    }

    bool isNull() const { return style == BrushStyle::Null; }

    // The pattern's pixel at (x, y) from the brush origin, repeating.
    uint32_t tilePixel(int x, int y) const
    {
        const int tx = ((x % tile->width) + tile->width) % tile->width;
        const int ty = ((y % tile->height) + tile->height) % tile->height;
        return tile->pixels[size_t(ty) * size_t(tile->width) + size_t(tx)];
    }
    // The pattern bit at a position from the brush origin.
    bool patternBit(int x, int y) const { return tilePixel(x, y) != 0; }
    // The colour pattern's pixel at a position from the brush origin.
    uint32_t patternPixel(int x, int y) const { return tilePixel(x, y); }

    friend bool operator==(const Brush& a, const Brush& b)
    {
        if (a.style != b.style || a.colour != b.colour)
            return false;
        if (a.tile == b.tile)
            return true;
        return a.tile && b.tile && *a.tile == *b.tile;
    }

private:
    static Brush tiled(BrushStyle style, int width, int height, std::vector<uint32_t> pixels)
    {
        if (width < 1 || height < 1 || width > kMaxPatternSide || height > kMaxPatternSide ||
            pixels.size() != size_t(width) * size_t(height))
            return solid(rgb(0, 0, 0));
        return {style, 0, std::make_shared<const PatternTile>(PatternTile{width, height, std::move(pixels)})};
    }
};

} // namespace lumeria::gdi
