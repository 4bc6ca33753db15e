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

namespace {

// Sizes come from publications; one beyond the 16-bit coordinate range or
// above 256 MB of pixels yields a null surface the caller can report,
// instead of an allocation failure.
constexpr int kMaxSide = 32767;
constexpr long long kMaxPixels = 64LL * 1024 * 1024;

bool isReasonableSize(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           static_cast<long long>(width) * height <= kMaxPixels;
}

} // namespace

Surface::Surface(int width, int height, ColorRef fillColour)
{
    if (!isReasonableSize(width, height))
        return;
    m_width = width;
    m_height = height;
    m_pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), pixelFromColour(fillColour));
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
