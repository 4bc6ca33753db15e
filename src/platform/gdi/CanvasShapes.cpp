#include "platform/gdi/Canvas.h"

#include "platform/gdi/DashCursor.h"
#include "platform/gdi/SpanShape.h"

#include <algorithm>
#include <cstdint>

namespace lumeria::gdi {

namespace {

// Floor division for a positive divisor.
int64_t floorDiv(int64_t n, int64_t d)
{
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

struct Crossing {
    int64_t num; // x = num / den
    int64_t den;
    int winding;
};

} // namespace

void Canvas::strokeRing(const SpanShape& outer, const SpanShape& inner)
{
    forEachClipPass(outer.bounds(), [&] {
        outer.forEachSpanOutside(inner, [&](int y, int left, int right) {
            if (y < m_pass.top || y >= m_pass.bottom)
                return;
            uint32_t* line = m_target.scanLine(y);
            for (int x = std::max(left, m_pass.left); x < std::min(right, m_pass.right); ++x)
                writePixel(line[x], m_pen.ink);
        });
    });
}

void Canvas::drawSpanFigure(const Rect& d, const std::function<SpanShape(const Rect&)>& shapeOf)
{
    if (d.isEmpty() || outsideClip(m_state.clip.boundingRect(), d, 0))
        return;
    if (!m_pen.visible) {
        // As with rectangles, a figure without a pen is one pixel smaller.
        fillShape(shapeOf({d.left, d.top, d.right - 1, d.bottom - 1}), m_brush);
        return;
    }
    const SpanShape outer = shapeOf(d);
    if (m_pen.wide) {
        const SpanShape inner = shapeOf(d.deflated(m_pen.width));
        fillShape(inner, m_brush);
        strokeRing(outer, inner);
        return;
    }
    const SpanShape inner = outer.interior();
    fillShape(inner, m_brush);
    if (m_pen.dashes.empty()) {
        strokeRing(outer, inner);
        return;
    }
    const std::vector<QPoint> outline = outer.orderedOutline(inner);
    forEachClipPass(outer.bounds(), [&] {
        DashCursor dash(m_pen.dashes);
        for (const QPoint& p : outline)
            plotPen(p.x(), p.y(), dash);
    });
}

void Canvas::drawEllipse(const Rect& r)
{
    drawSpanFigure(toDevice(r.normalized()), [](const Rect& frame) { return SpanShape::ellipse(frame); });
}

void Canvas::drawRoundRect(const Rect& r, int cornerWidth, int cornerHeight)
{
    const Rect d = toDevice(r.normalized());
    auto cornerSize = [](int v) { return int(std::min<int64_t>(std::abs(int64_t(v)), kMaxCoordinate)); };
    const int cw = cornerSize(cornerWidth);
    const int ch = cornerSize(cornerHeight);
    // Inner frames keep the corner curvature centred with the outer one: the
    // corner ellipse shrinks by what the frame lost.
    drawSpanFigure(d, [&](const Rect& frame) {
        return SpanShape::roundRect(frame, cw - (d.width() - frame.width()), ch - (d.height() - frame.height()));
    });
}

void Canvas::fillPolygon(std::span<const std::vector<QPoint>> rings, PolyFillMode mode)
{
    if (m_brush.style == BrushStyle::Null)
        return;
    Rect bounds;
    for (const auto& ring : rings) {
        if (ring.size() < 3)
            continue;
        for (const QPoint& p : ring)
            bounds = bounds.united({p.x(), p.y(), p.x() + 1, p.y() + 1});
    }
    std::vector<Crossing> crossings;
    forEachClipPass(bounds, [&] {
        for (int y = m_pass.top; y < m_pass.bottom; ++y) {
            // Sample at the pixel centre (y + 1/2); an edge counts on
            // [ymin, ymax), so shared vertices are counted once and the
            // bottom edge, like the right one, is left out.
            crossings.clear();
            const int64_t yc2 = 2 * int64_t(y) + 1;
            // Every ring's edges cross the row together: a ring inside
            // another is a hole under the alternate rule, or where it runs
            // the other way under the winding rule.
            for (const auto& points : rings) {
                if (points.size() < 3)
                    continue;
                for (size_t i = 0; i < points.size(); ++i) {
                    const QPoint a = points[i];
                    const QPoint b = points[(i + 1) % points.size()];
                    if (a.y() == b.y())
                        continue;
                    const bool down = b.y() > a.y();
                    const QPoint top = down ? a : b;
                    const QPoint bottom = down ? b : a;
                    if (yc2 < 2 * int64_t(top.y()) || yc2 >= 2 * int64_t(bottom.y()))
                        continue;
                    // x = top.x + (yc - top.y) * (bottom.x - top.x) / (bottom.y - top.y), all doubled.
                    const int64_t den = 2 * int64_t(bottom.y() - top.y());
                    const int64_t num =
                        2 * int64_t(top.x()) * (den / 2) + (yc2 - 2 * int64_t(top.y())) * (bottom.x() - top.x());
                    crossings.push_back({num, den, down ? 1 : -1});
                }
            }
            std::sort(crossings.begin(), crossings.end(),
                      [](const Crossing& p, const Crossing& q) { return p.num * q.den < q.num * p.den; });
            // A pixel is filled when its centre x + 1/2 lies in [xa, xb):
            // the first such x is ceil(xa - 1/2) = floor((2 num - den + 2 den - 1) / 2 den).
            auto firstPixel = [](const Crossing& c) {
                return int(floorDiv(2 * c.num - c.den + 2 * c.den - 1, 2 * c.den));
            };
            int winding = 0;
            for (size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].winding;
                const bool inside = mode == PolyFillMode::Alternate ? (i % 2) == 0 : winding != 0;
                if (inside)
                    fillSpan(y, firstPixel(crossings[i]), firstPixel(crossings[i + 1]), m_brush);
            }
        }
    });
}

void Canvas::drawPolygon(std::span<const QPoint> points, PolyFillMode mode)
{
    std::vector<QPoint> device;
    device.reserve(points.size());
    for (const QPoint& p : points)
        device.push_back(toDevice(p));
    const std::vector<QPoint>* ring = &device;
    fillPolygon(std::span(ring, 1), mode);
    strokePath(device, PathShape::Closed);
}

void Canvas::drawPolyPolygon(std::span<const std::vector<QPoint>> polygons, PolyFillMode mode)
{
    std::vector<std::vector<QPoint>> device;
    device.reserve(polygons.size());
    for (const auto& polygon : polygons) {
        auto& ring = device.emplace_back();
        ring.reserve(polygon.size());
        for (const QPoint& p : polygon)
            ring.push_back(toDevice(p));
    }
    fillPolygon(device, mode);
    for (const auto& ring : device)
        strokePath(ring, PathShape::Closed);
}

} // namespace lumeria::gdi
