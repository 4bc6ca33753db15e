// Pictures, the missing-picture placeholder and the article frame: the part
// of ObjectPainter that draws what a file names.

#include "render/ObjectPainter.h"
#include "render/ObjectScrollBars.h"
#include "render/PageLayout.h"
#include "render/PictureBlit.h"
#include "render/TextBlock.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace lumeria {

namespace {

// Height of a picture of width w with the picture's proportions, to the
// nearest pixel (halves up).
int64_t proportionalHeight(int64_t w, QSize picture)
{
    return (2 * w * picture.height() + picture.width()) / (2 * int64_t(picture.width()));
}

} // namespace

gdi::Rect aspectFit(const gdi::Rect& box, QSize picture)
{
    if (box.isEmpty() || picture.width() <= 0 || picture.height() <= 0)
        return {box.left, box.top, box.left, box.top};
    // The height grows with the width, so growing from the picture's own
    // width while it fits and shrinking until it fits ends at the widest
    // width that fits. Solved directly: round(w * ph / pw) <= H holds while
    // 2 * w * ph + pw < 2 * pw * (H + 1).
    const int64_t pw = picture.width();
    const int64_t ph = picture.height();
    int64_t w = std::min<int64_t>(box.width(), (2 * pw * (int64_t(box.height()) + 1) - pw - 1) / (2 * ph));
    while (w > 0 && proportionalHeight(w, picture) > box.height())
        --w; // never taken; keeps the result right should the algebra drift
    w = std::max<int64_t>(w, 0);
    return gdi::Rect::fromSize(box.left, box.top, int(w), int(proportionalHeight(w, picture)));
}

void ObjectPainter::paintMissingPicture(const gdi::Rect& r)
{
    if (r.isEmpty())
        return;
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.setRop2(gdi::Rop2::CopyPen);
    m_canvas.setPen(gdi::Pen::solid(gdi::rgb(0, 0, 0)));
    m_canvas.setBrush(gdi::Brush::solid(gdi::rgb(255, 255, 255)));
    m_canvas.drawRectangle(r);
    // Corner pixel to corner pixel: GDI leaves out each line's last point,
    // so each runs one past the far corner.
    m_canvas.drawLine(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
    m_canvas.drawLine(QPoint(r.left, r.bottom - 1), QPoint(r.right, r.top - 1));
}

ObjectScrollBars* ObjectPainter::scrollBarsOf(const Object_Rec& object)
{
    return m_context.scrollBars ? &m_context.scrollBars->of(object) : nullptr;
}

void ObjectPainter::paintPicture(QPoint origin, const Object_Rec& object, PicturePaint mode)
{
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.translate(origin.x(), origin.y());
    drawPicture(object, mode);
}

void ObjectPainter::drawPicture(const Object_Rec& object, PicturePaint mode)
{
    const Picture_Rec* rec = object.picture();
    if (!rec)
        return;
    gdi::Rect inner = objectInterior(object);
    std::optional<DecodedPicture> picture;
    if (!rec->FileName.isEmpty() && m_context.loadPicture)
        picture = m_context.loadPicture(rec->FileName);
    ObjectScrollBars* bars = scrollBarsOf(object);
    if (!picture || picture->image.isNull()) {
        if (mode == PicturePaint::Full) {
            if (bars)
                bars->hide();
            paintMissingPicture(inner);
        }
        return;
    }
    const QSize size = picture->image.size();
    const PictureDrawing drawing = rec->TransImages ? PictureDrawing::Transparent : PictureDrawing::Plain;

    gdi::Rect target;
    gdi::Rect clip;
    if (rec->Scale) {
        // A stretched picture shows whole; it has nothing to scroll.
        if (bars && mode == PicturePaint::Full)
            bars->hide();
        target = rec->AspectRatio ? aspectFit(inner, size) : inner;
        clip = target;
    } else {
        int dx = 0;
        int dy = 0;
        if (bars) {
            // A full paint takes the ranges from the picture; a contents
            // repaint after a scroll keeps the ranges the bars have.
            const ScrollBarLayout layout{rec->WindowFlags, rec->VScrollPos, rec->HScrollPos};
            const bool full = mode == PicturePaint::Full;
            inner = layoutScrollBars(*bars, layout, inner, full ? size.width() : bars->horizontal.range,
                                     full ? size.height() : bars->vertical.range);
            dx = bars->horizontal.visible ? bars->horizontal.position : 0;
            dy = bars->vertical.visible ? bars->vertical.position : 0;
        }
        target = gdi::Rect::fromSize(inner.left - dx, inner.top - dy, size.width(), size.height());
        clip = inner;
    }
    // An outline or bars wider than the object leave no room at all; the
    // clip must not turn such a rectangle round.
    if (clip.isEmpty())
        return;
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.clipTo(clip);
    blitPicture(m_canvas, *picture, target, drawing);
}

void ObjectPainter::paintArticleFrame(QPoint origin, const Object_Rec& object, ScrollBarPaint bars)
{
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.translate(origin.x(), origin.y());
    drawArticleFrame(object, bars);
}

// The bars themselves are widgets of the window layer and paint themselves;
// here they are only laid out, whatever the caller asks.
void ObjectPainter::drawArticleFrame(const Object_Rec& object, [[maybe_unused]] ScrollBarPaint paintBars)
{
    const Article_Rec* article = object.article();
    if (!article)
        return;
    gdi::Rect inner = objectInterior(object);
    m_canvas.setFont(objectFont(article->Font, article->FontSize, article->FontStyle));
    ObjectScrollBars* bars = scrollBarsOf(object);
    const int unit = std::max<int32_t>(1, article->MaxLineHeight);
    if (bars) {
        // The vertical bar counts lines of the tallest line's height.
        const int64_t lines = int64_t(std::max<int32_t>(0, article->YRange)) * unit;
        const int contentHeight = int(
            std::clamp<int64_t>(std::max<int64_t>(bars->vertical.range, lines), 0, std::numeric_limits<int>::max()));
        inner = layoutScrollBars(*bars, {article->WindowFlags, article->VScrollPos, article->HScrollPos}, inner,
                                 article->XRange, contentHeight);
        bars->vertical.unit = unit;
    }
    if (!m_context.paintArticleText || inner.isEmpty())
        return;
    const gdi::DcStateSaver saved(m_canvas);
    m_canvas.clipTo(inner);
    const ArticleTextRequest request{&object,
                                     article->FileName,
                                     inner,
                                     static_cast<gdi::ColorRef>(object.FillColor),
                                     static_cast<gdi::ColorRef>(article->TextColor),
                                     bars && bars->horizontal.visible ? bars->horizontal.position : 0,
                                     bars && bars->vertical.visible ? bars->vertical.position : 0};
    const ArticleTextResult result = m_context.paintArticleText(m_canvas, request);
    if (bars) {
        bars->vertical.range = std::max(0, result.contentHeight);
        // Paging moves by the lines that were shown whole.
        if (result.linesShown >= 0 && bars->vertical.visible)
            bars->vertical.page =
                int(std::min<int64_t>(int64_t(std::max(1, result.linesShown)) * unit, std::numeric_limits<int>::max()));
        bars->vertical.position = std::clamp(bars->vertical.position, 0, bars->vertical.maxPosition());
    }
}

} // namespace lumeria
