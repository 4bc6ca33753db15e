#include "platform/gdi/Surface.h"

#include <algorithm>
#include <cstring>

namespace lumeria::gdi {

SurfaceView SurfaceView::ofImage(QImage& image)
{
    if (image.isNull() || image.depth() != 32)
        return {};
    return SurfaceView(reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
                       int(image.bytesPerLine() / 4));
}

QImage SurfaceView::image() const
{
    if (isNull())
        return {};
    return QImage(reinterpret_cast<uchar*>(m_bits), m_width, m_height, qsizetype(m_stride) * 4, QImage::Format_RGB32);
}

Surface::Surface(int width, int height, ColorRef fillColour)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_pixels(static_cast<size_t>(m_width) * m_height, pixelFromColour(fillColour))
{
    if (m_pixels.empty())
        m_width = m_height = 0;
}

void Surface::fill(ColorRef colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), pixelFromColour(colour));
}

Surface Surface::fromImage(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Surface s(rgb.width(), rgb.height());
    for (int y = 0; y < s.m_height; ++y)
        std::memcpy(&s.m_pixels[static_cast<size_t>(y) * s.m_width], rgb.constScanLine(y), size_t(s.m_width) * 4);
    return s;
}

} // namespace lumeria::gdi
