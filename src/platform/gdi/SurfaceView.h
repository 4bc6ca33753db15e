#pragma once

#include "platform/gdi/Rect.h"

#include <QImage>
#include <cstdint>

namespace lumeria::gdi {

// A non-owning window onto 32-bit pixels laid out as QImage::Format_RGB32
// (0xFFRRGGBB per pixel). Copying a view never copies pixels.
class SurfaceView {
public:
    SurfaceView() = default;
    SurfaceView(uint32_t* bits, int width, int height, int stridePixels)
        : m_bits(bits), m_width(width), m_height(height), m_stride(stridePixels)
    {
    }

    // Views a QImage that is already Format_RGB32 (or ARGB32); the image must
    // outlive the view and must not be shared, or writes would not reach it.
    static SurfaceView ofImage(QImage& image);

    bool isNull() const { return m_bits == nullptr; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int stride() const { return m_stride; }
    Rect rect() const { return {0, 0, m_width, m_height}; }

    uint32_t* scanLine(int y) const { return m_bits + static_cast<ptrdiff_t>(y) * m_stride; }
    uint32_t pixel(int x, int y) const { return scanLine(y)[x]; }
    uint32_t* bits() const { return m_bits; }

    // A QImage over the same pixels, no copy: painting on it paints here.
    QImage image() const;

private:
    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_stride = 0;
};

} // namespace lumeria::gdi
