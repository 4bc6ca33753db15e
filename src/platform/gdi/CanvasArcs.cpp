#include "platform/gdi/Canvas.h"

#include "platform/gdi/DashCursor.h"
#include "platform/gdi/LineWalker.h"
#include "platform/gdi/SpanShape.h"

#include <algorithm>
#include <cstdint>

namespace lumeria::gdi {

namespace {

// Vectors from the centre of the frame in doubled coordinates, y pointing up,
// so that angles grow counter-clockwise on screen as GDI's arcs do.
struct Vec {
    int64_t x = 0;
    int64_t y = 0;
};

int64_t cross(Vec a, Vec b)
{
    return a.x * b.y - a.y * b.x;
}

int64_t dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y;
}

// Orders directions by their counter-clockwise angle from the start radial,
// with exact integer comparisons.
class Sweep {
public:
    Sweep(Vec start, Vec end) : m_start(start), m_end(end) { m_full = cross(start, end) == 0 && dot(start, end) > 0; }

    bool before(Vec a, Vec b) const
    {
        const int ha = half(a);
        const int hb = half(b);
        if (ha != hb)
            return ha < hb;
        return cross(a, b) > 0;
    }

    bool contains(Vec v) const
    {
        if (m_full || (v.x == 0 && v.y == 0))
            return true;
        return !before(m_end, v);
    }

private:
    int half(Vec a) const
    {
        const int64_t c = cross(m_start, a);
        return (c > 0 || (c == 0 && dot(m_start, a) > 0)) ? 0 : 1;
    }

    Vec m_start;
    Vec m_end;
    bool m_full = false;
};

} // namespace

void Canvas::drawArcFigure(const Rect& r, QPoint start, QPoint end, ArcFigure figure)
{
    const Rect d = toDevice(r.normalized());
    if (d.isEmpty() || outsideClip(m_state.clip.boundingRect(), d, m_pen.wide ? m_pen.width : 0))
        return;
    const int64_t cx2 = int64_t(d.left) + d.right - 1;
    const int64_t cy2 = int64_t(d.top) + d.bottom - 1;
    auto vec = [&](QPoint p) { return Vec{2 * int64_t(p.x()) - cx2, cy2 - 2 * int64_t(p.y())}; };
    const QPoint s = toDevice(start);
    const QPoint e = toDevice(end);
    const Sweep sweep(vec(s), vec(e));

    const SpanShape outer = SpanShape::ellipse(d);
    const SpanShape inner = m_pen.wide ? SpanShape::ellipse(d.deflated(m_pen.width)) : outer.interior();
    std::vector<QPoint> arc = outer.orderedOutline(inner);
    std::erase_if(arc, [&](QPoint p) { return !sweep.contains(vec(p)); });
    std::stable_sort(arc.begin(), arc.end(), [&](QPoint a, QPoint b) { return sweep.before(vec(a), vec(b)); });

    // The filled part: a pie is the sector between the radials, a chord the
    // part of the ellipse on the arc's side of the line joining its ends
    // (the right-hand side of that line, going from start to end).
    const QPoint centre((d.left + d.right) / 2, (d.top + d.bottom) / 2);
    const QPoint first = arc.empty() ? centre : arc.front();
    const QPoint last = arc.empty() ? centre : arc.back();
    auto filled = [&](int x, int y) {
        if (figure == ArcFigure::Pie)
            return sweep.contains(vec(QPoint(x, y)));
        const Vec chord = vec(last);
        const Vec from = vec(first);
        const Vec along{chord.x - from.x, chord.y - from.y};
        const Vec p = vec(QPoint(x, y));
        return cross(along, Vec{p.x - from.x, p.y - from.y}) <= 0;
    };
    if (figure != ArcFigure::Arc && m_brush.style != BrushStyle::Null) {
        forEachClipPass(inner.bounds(), [&] {
            for (int y = std::max(inner.top(), m_pass.top); y < std::min(inner.bottom(), m_pass.bottom); ++y) {
                const SpanShape::Span span = inner.row(y);
                // Runs of filled pixels go to the brush as one span each.
                const int right = std::min(span.right, m_pass.right);
                int run = right;
                for (int x = std::max(span.left, m_pass.left); x < right; ++x) {
                    if (filled(x, y)) {
                        run = std::min(run, x);
                    } else if (run < x) {
                        fillSpan(y, run, x, m_brush);
                        run = right;
                    }
                }
                if (run < right)
                    fillSpan(y, run, right, m_brush);
            }
        });
    }
    if (!m_pen.visible || arc.empty())
        return;
    // The outline is one figure: the arc, then for a pie the two radials
    // through the centre, for a chord the closing line.
    std::vector<QPoint> closing;
    if (figure == ArcFigure::Pie)
        closing = {last, centre, first};
    else if (figure == ArcFigure::Chord)
        closing = {last, first};
    if (m_pen.wide) {
        forEachClipPass(outer.bounds(), [&] {
            for (const QPoint& p : arc)
                plot(p.x(), p.y(), m_pen.ink);
        });
        if (!closing.empty())
            strokeWidePath(closing, PathShape::Open);
        return;
    }
    Rect bounds = outer.bounds();
    bounds = bounds.united({centre.x(), centre.y(), centre.x() + 1, centre.y() + 1});
    forEachClipPass(bounds, [&] {
        DashCursor dash(m_pen.dashes);
        for (const QPoint& p : arc)
            plotPen(p.x(), p.y(), dash);
        auto plotOne = [&](int x, int y) { plotPen(x, y, dash); };
        // The first line starts on the arc's last pixel, already drawn; later
        // lines start where the previous one stopped short.
        for (size_t i = 1; i < closing.size(); ++i) {
            bool skipFirst = i == 1;
            walkLine(closing[i - 1], closing[i], [&](int x, int y) {
                if (skipFirst) {
                    skipFirst = false;
                    return;
                }
                plotOne(x, y);
            });
        }
    });
}

void Canvas::drawArc(const Rect& r, QPoint start, QPoint end)
{
    drawArcFigure(r, start, end, ArcFigure::Arc);
}

void Canvas::drawPie(const Rect& r, QPoint start, QPoint end)
{
    drawArcFigure(r, start, end, ArcFigure::Pie);
}

void Canvas::drawChord(const Rect& r, QPoint start, QPoint end)
{
    drawArcFigure(r, start, end, ArcFigure::Chord);
}

} // namespace lumeria::gdi
