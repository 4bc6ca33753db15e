#include "render/PictureBlit.h"

#include "platform/gdi/BitMask.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Rop.h"
#include "platform/gdi/Surface.h"

#include <cstdint>
#include <optional>

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

void draw(gdi::Canvas& canvas, const DecodedPicture& picture, const gdi::Rect& target, Keying keying,
          gdi::ColorRef background)
{
    const QImage& image = picture.image;
    if (image.isNull() || target.isEmpty())
        return;
    const gdi::Rect visible = target.intersected(reachable(canvas));
    if (visible.isEmpty())
        return;
    const QImage source = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32);
    const int64_t sw = source.width();
    const int64_t sh = source.height();
    const int64_t tw = target.width();
    const int64_t th = target.height();
    const bool alphaMask = picture.transparency == PictureTransparency::AlphaMask;
    const uint32_t key = gdi::pixelFromColour(picture.transparentColour) & 0xFFFFFFu;
    const uint32_t backgroundPixel = gdi::pixelFromColour(background);

    gdi::Surface scratch(visible.width(), visible.height());
    if (scratch.isNull())
        return;
    if (alphaMask && picture.xorMasked) {
        drawIcon(canvas, source, target, visible, scratch);
        return;
    }
    std::optional<gdi::BitMask> mask;
    if (keying == Keying::ColourKey || alphaMask)
        mask.emplace(visible.width(), visible.height());
    for (int y = visible.top; y < visible.bottom; ++y) {
        // Nearest source pixel to the centre of each target pixel.
        const int sy = int(((2 * int64_t(y - target.top) + 1) * sh) / (2 * th));
        const auto* line = reinterpret_cast<const uint32_t*>(source.constScanLine(sy));
        for (int x = visible.left; x < visible.right; ++x) {
            const int sx = int(((2 * int64_t(x - target.left) + 1) * sw) / (2 * tw));
            uint32_t p = line[sx];
            bool opaque = true;
            if (alphaMask)
                opaque = int(p >> 24) >= kOpaqueAlpha;
            else if (keying != Keying::None)
                opaque = (p & 0xFFFFFFu) != key;
            if (!opaque && keying == Keying::Background && !alphaMask)
                p = backgroundPixel;
            scratch.setPixel(x - visible.left, y - visible.top, p | 0xFF000000u);
            if (mask)
                mask->set(x - visible.left, y - visible.top, opaque);
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
