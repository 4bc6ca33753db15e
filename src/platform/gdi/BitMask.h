#pragma once

#include "platform/gdi/Colour.h"
#include "platform/gdi/SurfaceView.h"

#include <cstdint>
#include <vector>

namespace lumeria::gdi {

// A one-bit-per-pixel mask (stored a byte per pixel) saying which pixels of a
// transparent blit's source are drawn.
class BitMask {
public:
    BitMask() = default;
    BitMask(int width, int height) : m_width(width), m_height(height), m_bits(size_t(width) * height, 0) {}

    // Opaque wherever the source pixel differs from the key colour.
    static BitMask fromColourKey(SurfaceView source, ColorRef key)
    {
        BitMask mask(source.width(), source.height());
        const uint32_t keyPixel = pixelFromColour(key) & 0xFFFFFFu;
        for (int y = 0; y < source.height(); ++y) {
            for (int x = 0; x < source.width(); ++x)
                mask.set(x, y, (source.pixel(x, y) & 0xFFFFFFu) != keyPixel);
        }
        return mask;
    }

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool opaque(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height && m_bits[size_t(y) * m_width + x];
    }
    void set(int x, int y, bool opaque) { m_bits[size_t(y) * m_width + x] = opaque ? 1 : 0; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_bits;
};

} // namespace lumeria::gdi
