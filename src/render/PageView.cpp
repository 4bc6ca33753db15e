#include "render/PageView.h"

#include "platform/gdi/Canvas.h"
#include "platform/gdi/DcStateSaver.h"
#include "render/PageLayout.h"
#include "render/Transitions.h"

namespace lumeria {

namespace {

constexpr int kFlashes = 8;
constexpr int kFlashPause = 50;

} // namespace

PageView::PageView(const Document& document, const PageRenderer& renderer, QSize pageSize, Callbacks callbacks)
    : m_document(document), m_renderer(renderer), m_callbacks(std::move(callbacks)),
      m_backbuffer(pageSize.width(), pageSize.height(), gdi::rgb(0, 0, 0))
{
}

void PageView::invalidate(const gdi::Rect& area)
{
    const gdi::Rect clipped = area.intersected(rect());
    if (clipped.isEmpty())
        return;
    m_dirty = m_dirty.united(clipped);
    m_callbacks.present(clipped, Present::Later);
}

void PageView::invalidateAll()
{
    m_dirty = gdi::Region(rect());
    m_callbacks.present(rect(), Present::Later);
}

void PageView::invalidateMove(const gdi::Rect& before, const gdi::Rect& after)
{
    for (const gdi::Rect& r : movedRepaintRects(before, after))
        invalidate(r);
}

void PageView::renderDirty()
{
    if (m_dirty.isEmpty())
        return;
    const gdi::Region area = m_dirty;
    m_dirty = gdi::Region();
    renderArea(area);
}

void PageView::renderArea(const gdi::Region& area)
{
    if (m_backbuffer.isNull())
        return;
    gdi::Canvas canvas(m_backbuffer.view());
    const gdi::DcStateSaver saved(canvas);
    canvas.clipTo(area);
    if (const Page_Rec* page = m_document.currentPage()) {
        const Focus focus = m_callbacks.focus ? m_callbacks.focus() : Focus{};
        m_renderer.paintPage(canvas, QPoint(0, 0), *page, focus.object, focus.marker);
    } else {
        canvas.fillRect(rect(), gdi::Brush::solid(gdi::rgb(255, 255, 255)));
    }
}

void PageView::redrawObject(const Object_Rec& object, Redraw how)
{
    const gdi::Rect area = objectRepaintRect(object, QPoint(0, 0)).intersected(rect());
    if (area.isEmpty())
        return;
    switch (how) {
    case Redraw::Later: invalidate(area); break;
    case Redraw::Alone:
        paintNow(area, [&](gdi::Canvas& canvas) {
            m_renderer.paintObjectIn(canvas, gdi::Region(area), QPoint(0, 0), object);
        });
        break;
    case Redraw::Area:
        renderDirty();
        renderArea(gdi::Region(area));
        m_callbacks.present(area, Present::Later);
        break;
    }
}

void PageView::paintNow(const gdi::Rect& area, const std::function<void(gdi::Canvas&)>& paint)
{
    if (m_backbuffer.isNull())
        return;
    renderDirty();
    gdi::Canvas canvas(m_backbuffer.view());
    paint(canvas);
    m_callbacks.present(area, Present::Later);
}

void PageView::toggleFocusFrame(const Object_Rec& object)
{
    // XOR needs what is on screen now under the frame, so what is pending
    // is painted first.
    paintNow(focusMarkerRect(object, QPoint(0, 0)),
             [&](gdi::Canvas& canvas) { paintFocusMarker(canvas, QPoint(0, 0), object); });
}

void PageView::flash(const gdi::Rect& area)
{
    const gdi::Rect cut = area.intersected(rect());
    if (cut.isEmpty())
        return;
    renderDirty();
    gdi::Canvas canvas(m_backbuffer.view());
    for (int i = 0; i < kFlashes; ++i) {
        canvas.invertRect(cut);
        m_callbacks.present(cut, Present::Now);
        m_callbacks.pause(kFlashPause);
    }
}

bool PageView::transitionTo(const Page_Rec& page, const std::function<void()>& beforeEffect)
{
    if (m_backbuffer.isNull())
        return false;
    const gdi::Surface image = m_renderer.renderOffScreen(page);
    if (image.isNull())
        return false;
    // The old page stays on screen, parts waiting for a repaint included,
    // until the effect has replaced it.
    m_dirty = gdi::Region();
    m_inTransition = true;
    if (beforeEffect)
        beforeEffect();
    gdi::Canvas canvas(m_backbuffer.view());
    const TransitionTarget target{canvas, rect(), [this](const gdi::Rect& r) { m_callbacks.present(r, Present::Now); },
                                  m_callbacks.pause};
    const bool ran = runTransition(target, image, page.EffectSpeed, page.PageEffect);
    m_inTransition = false;
    return ran;
}

} // namespace lumeria
