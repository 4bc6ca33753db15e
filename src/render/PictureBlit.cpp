#include "render/PictureBlit.h"

#include "platform/gdi/BitMask.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Rop.h"
#include "platform/gdi/StretchWalk.h"
#include "platform/gdi/Surface.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace lumeria {

namespace {

constexpr int kOpaqueAlpha = 128;

enum class Keying { None, ColourKey, Background };

// The logical rectangle of the canvas that drawing can still reach.
gdi::Rect reachable(const gdi::Canvas& canvas)
{
    const QPoint o = canvas.state().origin;
    const gdi::Rect surface = canvas.target().rect();
    return canvas.state().clip.boundingRect().intersected(surface).translated(-o.x(), -o.y());
}

// Nearest source pixel to the centre of each target pixel.
int sourceAt(int at, int targetStart, int64_t targetSide, int64_t sourceSide)
{
    return int(((2 * int64_t(at - targetStart) + 1) * sourceSide) / (2 * targetSide));
}

// DrawIcon's two passes: the AND mask (white where alpha is 0) ANDs the
// background, then the colours XOR it.
void drawIcon(gdi::Canvas& canvas, const QImage& source, const gdi::Rect& target, const gdi::Rect& visible,
              gdi::Surface& colours)
{
    gdi::Surface mask(visible.width(), visible.height());
    if (mask.isNull())
        return;
    for (int y = visible.top; y < visible.bottom; ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(
            source.constScanLine(sourceAt(y, target.top, target.height(), source.height())));
        for (int x = visible.left; x < visible.right; ++x) {
            const uint32_t p = line[sourceAt(x, target.left, target.width(), source.width())];
            const bool opaque = int(p >> 24) >= kOpaqueAlpha;
            mask.setPixel(x - visible.left, y - visible.top, opaque ? 0xFF000000u : 0xFFFFFFFFu);
            colours.setPixel(x - visible.left, y - visible.top, p | 0xFF000000u);
        }
    }
    canvas.bitBlt(visible, mask.view(), QPoint(0, 0), gdi::kSrcAnd);
    canvas.bitBlt(visible, colours.view(), QPoint(0, 0), gdi::kSrcInvert);
}

// Past this many target pixels along an axis the walk would cost more than
// the screen holds; a picture is never that large, so such an axis only
// enlarges and each pixel takes the source pixel under its centre.
constexpr int64_t kLongestWalk = int64_t(1) << 17;

// The source pixels behind each visible target pixel along one axis, walked
// as the canvas walks a stretch blit.
std::vector<gdi::AxisCell> cellsOf(int targetStart, int64_t targetSide, int visibleStart, int visibleEnd,
                                   int sourceSide)
{
    if (targetSide <= kLongestWalk) {
        return gdi::walkAxis(targetStart, int(targetSide), visibleStart, visibleEnd, 0, sourceSide, 0, sourceSide);
    }
    std::vector<gdi::AxisCell> cells;
    cells.reserve(size_t(visibleEnd - visibleStart));
    for (int at = visibleStart; at < visibleEnd; ++at) {
        const int s = sourceAt(at, targetStart, targetSide, sourceSide);
        cells.push_back({at, s, s});
    }
    return cells;
}

void draw(gdi::Canvas& canvas, const DecodedPicture& picture, const gdi::Rect& target, Keying keying,
          gdi::ColorRef background)
{
    const QImage& image = picture.image;
    if (image.isNull() || target.isEmpty())
        return;
    const gdi::Rect visible = target.intersected(reachable(canvas));
    if (visible.isEmpty())
        return;
    QImage source = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
                        ? image
                        : image.convertToFormat(QImage::Format_ARGB32);
    const bool alphaMask = picture.transparency == PictureTransparency::AlphaMask;
    const uint32_t key = gdi::pixelFromColour(picture.transparentColour) & 0xFFFFFFu;

    gdi::Surface scratch(visible.width(), visible.height());
    if (scratch.isNull())
        return;
    if (alphaMask && picture.xorMasked) {
        drawIcon(canvas, source, target, visible, scratch);
        return;
    }
    if (keying == Keying::Background && !alphaMask) {
        // The key colour is replaced before the picture is stretched.
        const uint32_t backgroundPixel = gdi::pixelFromColour(background);
        for (int y = 0; y < source.height(); ++y) {
            auto* line = reinterpret_cast<uint32_t*>(source.scanLine(y));
            for (int x = 0; x < source.width(); ++x) {
                if ((line[x] & 0xFFFFFFu) == key)
                    line[x] = backgroundPixel;
            }
        }
    }
    const gdi::SurfaceView pixels(reinterpret_cast<uint32_t*>(const_cast<uchar*>(source.constBits())), source.width(),
                                  source.height(), int(source.bytesPerLine() / 4));
    const std::vector<gdi::AxisCell> rows =
        cellsOf(target.top, target.height(), visible.top, visible.bottom, source.height());
    const std::vector<gdi::AxisCell> columns =
        cellsOf(target.left, target.width(), visible.left, visible.right, source.width());
    auto opaque = [&](uint32_t p) { return alphaMask ? int(p >> 24) >= kOpaqueAlpha : (p & 0xFFFFFFu) != key; };
    std::optional<gdi::BitMask> mask;
    if (keying == Keying::ColourKey || alphaMask)
        mask.emplace(visible.width(), visible.height());
    for (const gdi::AxisCell& row : rows) {
        for (const gdi::AxisCell& column : columns) {
            // Pictures on pages are colour pictures: a shrunk one keeps one
            // of the pixels that fall together, as COLORONCOLOR does, rather
            // than the DC's default AND of them, which draws dark lines
            // through a photograph. The mask keeps that pixel's opacity.
            const uint32_t kept = pixels.pixel(column.last, row.first);
            const int x = column.dst - visible.left, y = row.dst - visible.top;
            scratch.setPixel(x, y, kept | 0xFF000000u);
            if (mask)
                mask->set(x, y, opaque(kept));
        }
    }
    if (mask)
        canvas.transparentBlt(visible, scratch.view(), QPoint(0, 0), *mask);
    else
        canvas.bitBlt(visible, scratch.view(), QPoint(0, 0));
}

} // namespace

void blitPicture(gdi::Canvas& canvas, const DecodedPicture& picture, const gdi::Rect& target, PictureDrawing drawing)
{
    draw(canvas, picture, target, drawing == PictureDrawing::Transparent ? Keying::ColourKey : Keying::None, 0);
}

void blitPictureOnColour(gdi::Canvas& canvas, const DecodedPicture& picture, const gdi::Rect& target,
                         gdi::ColorRef background)
{
    draw(canvas, picture, target, Keying::Background, background);
}

} // namespace lumeria
