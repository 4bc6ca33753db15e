#pragma once

#include "platform/gdi/Colour.h"
#include "platform/gdi/SurfaceView.h"

#include <vector>

namespace lumeria::gdi {

// An owning 32-bit RGB pixel buffer. The pixels never move while the surface
// lives (moves keep the buffer), so views and wrapping QImages stay valid.
class Surface {
public:
    Surface() = default;
    // Null (0 x 0) when the size is empty or unreasonably large.
    Surface(int width, int height, ColorRef fill = rgb(255, 255, 255));

    int width() const { return m_width; }
    int height() const { return m_height; }
    Rect rect() const { return {0, 0, m_width, m_height}; }
    bool isNull() const { return m_pixels.empty(); }

    SurfaceView view() { return SurfaceView(m_pixels.data(), m_width, m_height, m_width); }
    // Read-only use (blit sources) of a const surface.
    SurfaceView view() const { return SurfaceView(const_cast<uint32_t*>(m_pixels.data()), m_width, m_height, m_width); }

    // Wraps the buffer without copying; the image must not outlive the surface.
    QImage image() { return view().image(); }

    uint32_t pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    void setPixel(int x, int y, uint32_t pixel) { m_pixels[static_cast<size_t>(y) * m_width + x] = pixel; }
    ColorRef colourAt(int x, int y) const { return colourFromPixel(pixel(x, y)); }
    void fill(ColorRef colour);

    // A deep copy of a QImage, converted to RGB32 if needed.
    static Surface fromImage(const QImage& image);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels;
};

} // namespace lumeria::gdi
