#include "render/PageRenderer.h"
#include "render/PageLayout.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"
#include "render/ObjectPainter.h"
#include "render/PictureBlit.h"
#include "render/SharedPalette.h"

#include <algorithm>
#include <cstring>

namespace lumeria {

namespace {

constexpr gdi::ColorRef kWhite = gdi::rgb(255, 255, 255);
constexpr int kFocusMarkerDistance = 2;
// Wallpapers are drawn in blocks of whole tiles at least this many pixels
// each way.
constexpr int kTileBlock = 128;

// A wallpaper of a few pixels would cost one blit, with its set-up, for every
// few pixels of the page. A block of whole tiles starting at the page origin
// draws exactly the same pixels in far fewer blits.
DecodedPicture tileBlock(const DecodedPicture& tile)
{
    const int tw = tile.image.width();
    const int th = tile.image.height();
    const int across = std::max(1, kTileBlock / tw);
    const int down = std::max(1, kTileBlock / th);
    if (across == 1 && down == 1)
        return tile;
    const bool rgb32 = tile.image.format() == QImage::Format_RGB32;
    const QImage source = rgb32 || tile.image.format() == QImage::Format_ARGB32
                              ? tile.image
                              : tile.image.convertToFormat(QImage::Format_ARGB32);
    DecodedPicture block = tile;
    block.image = QImage(tw * across, th * down, source.format());
    if (block.image.isNull())
        return tile;
    const size_t rowBytes = size_t(tw) * sizeof(uint32_t);
    for (int y = 0; y < block.image.height(); ++y) {
        const uchar* from = source.constScanLine(y % th);
        uchar* to = block.image.scanLine(y);
        for (int i = 0; i < across; ++i)
            std::memcpy(to + size_t(i) * rowBytes, from, rowBytes);
    }
    return block;
}

} // namespace

void PageRenderer::paintBackground(gdi::Canvas& canvas, QPoint origin, const Page_Rec& page) const
{
    const gdi::Rect pageRect = gdi::Rect::fromSize(0, 0, m_pageSize.width(), m_pageSize.height());
    if (pageRect.isEmpty())
        return;
    const gdi::DcStateSaver saved(canvas);
    canvas.translate(origin.x(), origin.y());
    canvas.setRop2(gdi::Rop2::CopyPen);
    if (page.PageStyle == 0)
        canvas.fillRect(pageRect, gdi::Brush::solid(static_cast<gdi::ColorRef>(page.PageColor)));
    else
        paintWallpaper(canvas, page);
}

// Tiles start at the page origin and step by the picture's size until the
// page is covered; the last row and column are cut at the page's edge. Only
// tiles that meet the clip are drawn, so repainting one object's rectangle
// over a page of small tiles blits a handful of them.
void PageRenderer::paintWallpaper(gdi::Canvas& canvas, const Page_Rec& page) const
{
    const gdi::Rect pageRect = gdi::Rect::fromSize(0, 0, m_pageSize.width(), m_pageSize.height());
    std::optional<DecodedPicture> picture;
    if (m_context.loadPicture && !page.PageWallpaper.isEmpty())
        picture = m_context.loadPicture(page.PageWallpaper);
    if (!picture || picture->image.isNull()) {
        // Even with a PageColor set: the wallpaper style never falls back to it.
        canvas.fillRect(pageRect, gdi::Brush::solid(kWhite));
        return;
    }
    canvas.clipTo(pageRect);
    const QPoint o = canvas.state().origin;
    const gdi::Rect clip = canvas.state().clip.boundingRect().translated(-o.x(), -o.y()).intersected(pageRect);
    if (clip.isEmpty())
        return;
    const DecodedPicture block = tileBlock(*picture);
    const int tw = block.image.width();
    const int th = block.image.height();
    // Start at the first tile meeting the clip instead of walking from the
    // page origin: a repaint near the bottom of a tall page of tiny tiles
    // should not loop over every row above it.
    for (int y = (clip.top / th) * th; y < clip.bottom; y += th) {
        for (int x = (clip.left / tw) * tw; x < clip.right; x += tw)
            blitPicture(canvas, block, gdi::Rect::fromSize(x, y, tw, th), PictureDrawing::Plain);
    }
}

void PageRenderer::paintObjects(gdi::Canvas& canvas, QPoint origin, const Page_Rec& page, const Object_Rec* focused,
                                FocusMarker marker) const
{
    ObjectPainter painter(canvas, m_context);
    for (const ObjectRef& shown : m_document.shownObjects(&page))
        painter.paintObject(origin, *shown.object);
    if (focused && marker == FocusMarker::Show)
        paintFocusMarker(canvas, origin, *focused);
}

void PageRenderer::paintObjectIn(gdi::Canvas& canvas, const gdi::Region& area, QPoint origin,
                                 const Object_Rec& object) const
{
    if (area.isEmpty())
        return;
    const gdi::DcStateSaver saved(canvas);
    canvas.clipTo(area);
    ObjectPainter(canvas, m_context).paintObject(origin, object);
}

void PageRenderer::paintPage(gdi::Canvas& canvas, QPoint origin, const Page_Rec& page, const Object_Rec* focused,
                             FocusMarker marker) const
{
    paintBackground(canvas, origin, page);
    paintObjects(canvas, origin, page, focused, marker);
}

gdi::Surface PageRenderer::renderOffScreen(const Page_Rec& page) const
{
    // A page of one colour is made in that colour: a new surface filled
    // white and then filled again would write every pixel twice.
    const bool plain = page.PageStyle == 0;
    gdi::Surface surface(m_pageSize.width(), m_pageSize.height(),
                         plain ? static_cast<gdi::ColorRef>(page.PageColor) : kWhite);
    if (surface.isNull())
        return surface;
    gdi::Canvas canvas(surface);
    if (!plain)
        paintBackground(canvas, QPoint(0, 0), page);
    paintObjects(canvas, QPoint(0, 0), page);
    return surface;
}

gdi::Rect focusMarkerRect(const Object_Rec& object, QPoint origin)
{
    return objectFrame(object).deflated(-kFocusMarkerDistance).translated(origin.x(), origin.y());
}

// A cosmetic dotted pen with a transparent background leaves the gaps alone,
// and every pixel of a rectangle's outline is written exactly once, so the
// XOR of the second call gives back every pixel the first one changed.
void paintFocusMarker(gdi::Canvas& canvas, QPoint origin, const Object_Rec& object)
{
    const gdi::DcStateSaver saved(canvas);
    canvas.setPen(gdi::Pen::styled(gdi::PenStyle::Dot, kWhite));
    canvas.setBrush(gdi::Brush::none());
    canvas.setBackgroundMode(gdi::BackgroundMode::Transparent);
    canvas.setRop2(gdi::Rop2::XorPen);
    canvas.drawRectangle(focusMarkerRect(object, origin));
    canvas.setRop2(gdi::Rop2::CopyPen);
}

bool showPagePalette(SharedPalette& shared, const Page_Rec& page, int screenColors)
{
    return loadPagePalette(shared, page.PagePalette, screenColors);
}

} // namespace lumeria
