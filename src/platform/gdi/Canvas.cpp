#include "platform/gdi/Canvas.h"

#include "platform/gdi/DashCursor.h"
#include "platform/gdi/LineWalker.h"
#include "platform/gdi/SpanShape.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace lumeria::gdi {

namespace {

// Cosmetic pen patterns in pixels: dash, gap, dash, gap, ...
constexpr std::array<int, 2> kDash = {18, 6};
constexpr std::array<int, 2> kDot = {3, 3};
constexpr std::array<int, 4> kDashDot = {9, 6, 3, 6};
constexpr std::array<int, 6> kDashDotDot = {9, 3, 3, 3, 3, 3};

// Geometric pens' patterns, in pen widths.
constexpr std::array<int, 2> kGeometricDash = {3, 1};
constexpr std::array<int, 2> kGeometricDot = {1, 1};
constexpr std::array<int, 4> kGeometricDashDot = {3, 1, 1, 1};
constexpr std::array<int, 6> kGeometricDashDotDot = {3, 1, 1, 1, 1, 1};

std::span<const int> geometricDashesFor(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash: return kGeometricDash;
    case PenStyle::Dot: return kGeometricDot;
    case PenStyle::DashDot: return kGeometricDashDot;
    case PenStyle::DashDotDot: return kGeometricDashDotDot;
    case PenStyle::Solid:
    case PenStyle::Null: break;
    }
    return {};
}

// A geometric pen's dashes in pixels: the pattern scaled by the width, and,
// unless the ends are flat, each dash a width shorter and each gap a width
// longer, as the caps a dash gets reach half a width past each of its ends.
// A plain wide pen is never dashed.
std::vector<int> areaDashesFor(const Pen& pen, int width)
{
    if (!pen.geometric)
        return {};
    const std::span<const int> unit = geometricDashesFor(pen.style);
    std::vector<int> dashes(unit.begin(), unit.end());
    if (width <= 1)
        return dashes;
    for (size_t i = 0; i < dashes.size(); ++i) {
        dashes[i] *= width;
        if (pen.cap != PenCap::Flat)
            dashes[i] += (i % 2 == 0) ? -width : width;
    }
    return dashes;
}

std::span<const int> dashesFor(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash: return kDash;
    case PenStyle::Dot: return kDot;
    case PenStyle::DashDot: return kDashDot;
    case PenStyle::DashDotDot: return kDashDotDot;
    case PenStyle::Solid:
    case PenStyle::Null: break;
    }
    return {};
}

// Marks in mask (covering bounds) the pixels whose centres lie within
// width/2 of the segment a-b: a round pen tip swept along it. Doubled
// coordinates keep pixel centres integral; an even-width tip is centred
// half a pixel up and left of the path point, as GDI's tips are.
void sweepPenTip(std::vector<uint8_t>& mask, const Rect& bounds, QPoint a, QPoint b, int width)
{
    const int64_t shift = (width & 1) ? 0 : -1;
    const int64_t ax = 2 * int64_t(a.x()) + shift;
    const int64_t ay = 2 * int64_t(a.y()) + shift;
    const int64_t dx = 2 * int64_t(b.x() - a.x());
    const int64_t dy = 2 * int64_t(b.y() - a.y());
    const int64_t len2 = dx * dx + dy * dy;
    const int64_t r2 = int64_t(width) * width;
    const int reach = width / 2 + 1;
    const Rect area = Rect{std::min(a.x(), b.x()) - reach, std::min(a.y(), b.y()) - reach,
                           std::max(a.x(), b.x()) + reach + 1, std::max(a.y(), b.y()) + reach + 1}
                          .intersected(bounds);
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const int64_t vx = 2 * int64_t(x) - ax;
            const int64_t vy = 2 * int64_t(y) - ay;
            const int64_t along = vx * dx + vy * dy;
            bool inside;
            if (along <= 0 || len2 == 0) {
                inside = vx * vx + vy * vy <= r2;
            } else if (along >= len2) {
                const int64_t wx = vx - dx;
                const int64_t wy = vy - dy;
                inside = wx * wx + wy * wy <= r2;
            } else {
                // Distance to the line: cross^2 / len2 <= r^2. The square of
                // the cross product can pass 64 bits on huge pages; a double
                // only blurs the decision for pixels on the very edge there.
                const double cross = double(vx * dy - vy * dx);
                inside = cross * cross <= double(r2) * double(len2);
            }
            if (inside)
                mask[size_t(y - bounds.top) * size_t(bounds.width()) + size_t(x - bounds.left)] = 1;
        }
    }
}

} // namespace

Canvas::Canvas(SurfaceView target) : m_target(target)
{
    m_state.clip = Region(target.rect());
    selectPen();
    selectBrush();
}

void Canvas::selectPen()
{
    const Pen& pen = m_state.pen;
    m_pen = PenPlan{};
    m_pen.visible = !pen.isNull();
    m_pen.wide = pen.isWide();
    m_pen.width = m_pen.wide ? int(std::min<int64_t>(pen.width, kMaxCoordinate)) : 1;
    m_pen.ink = rop2Masks(m_state.rop2, devicePixel(pen.colour));
    // Wide pens are always solid; cosmetic styled pens fill their gaps with
    // the background colour when the background mode is opaque.
    m_pen.dashes = m_pen.wide ? std::span<const int>{} : dashesFor(pen.style);
    m_pen.paintGaps = !m_pen.dashes.empty() && m_state.backgroundMode == BackgroundMode::Opaque;
    m_pen.gap = rop2Masks(m_state.rop2, devicePixel(m_state.backgroundColour));
    m_pen.geometric = pen.isGeometric();
    if (!m_pen.geometric)
        return;
    m_pen.width = int(std::clamp<int64_t>(pen.width, 1, kMaxCoordinate));
    m_pen.cap = pen.cap;
    m_pen.join = pen.join;
    m_pen.areaDashes = areaDashesFor(pen, m_pen.width);
    if (pen.brush) {
        m_pen.paint = planBrush(*pen.brush, m_state.rop2);
    } else {
        m_pen.paint.style = BrushStyle::Solid;
        m_pen.paint.fore = m_pen.ink;
    }
}

Canvas::BrushPlan Canvas::planBrush(const Brush& brush, Rop2 rop) const
{
    BrushPlan plan;
    plan.style = brush.style;
    plan.brush = brush;
    plan.rop = rop;
    if (brush.style == BrushStyle::ColourPattern) {
        // A large pattern's masks are worth keeping across the colour and
        // mode changes that replan the brush without touching it.
        if (m_brush.colours && m_brush.rop == rop && m_brush.brush.tile == brush.tile) {
            plan.colours = m_brush.colours;
            return plan;
        }
        auto colours = std::make_shared<std::vector<PixelMasks>>(brush.tile->pixels.size());
        for (size_t i = 0; i < colours->size(); ++i)
            (*colours)[i] = rop2Masks(rop, brush.tile->pixels[i]);
        plan.colours = std::move(colours);
    } else if (brush.style == BrushStyle::Pattern) {
        plan.fore = rop2Masks(rop, devicePixel(m_state.textColour));
        // Monochrome pattern brushes paint both colours whatever the
        // background mode (only hatch brushes honour it in GDI); see-through
        // hatches are drawn in two passes, AND then XOR.
        plan.back = rop2Masks(rop, devicePixel(m_state.backgroundColour));
    } else {
        plan.fore = rop2Masks(rop, devicePixel(brush.colour));
    }
    return plan;
}

void Canvas::selectBrush()
{
    m_brush = planBrush(m_state.brush, m_state.rop2);
}

void Canvas::setPen(const Pen& pen)
{
    m_state.pen = pen;
    selectPen();
}

void Canvas::setBrush(const Brush& brush)
{
    m_state.brush = brush;
    selectBrush();
}

void Canvas::setRop2(Rop2 rop)
{
    m_state.rop2 = rop;
    selectPen();
    selectBrush();
}

void Canvas::setTextColour(ColorRef colour)
{
    m_state.textColour = colour;
    selectBrush();
    // A pen drawn with a monochrome pattern takes the text colour too.
    if (m_state.pen.brush && m_state.pen.brush->style == BrushStyle::Pattern)
        selectPen();
}

void Canvas::setBackgroundMode(BackgroundMode mode)
{
    m_state.backgroundMode = mode;
    selectPen();
}

void Canvas::setBackgroundColour(ColorRef colour)
{
    m_state.backgroundColour = colour;
    selectPen();
    selectBrush();
}

void Canvas::setFont(const Font& font)
{
    m_state.font = font;
}

void Canvas::setPalette(std::vector<ColorRef> entries)
{
    m_state.palette = std::make_shared<const std::vector<ColorRef>>(std::move(entries));
    selectPen();
    selectBrush();
}

uint32_t Canvas::devicePixel(ColorRef colour) const
{
    constexpr ColorRef kPaletteIndexFlag = 0x01000000u;
    if ((colour & 0xFF000000u) != kPaletteIndexFlag)
        return pixelFromColour(colour);
    // Without a selected palette the DC has the default one. An index past
    // the palette's end takes its first entry.
    const size_t index = colour & 0xFFFFu;
    const std::span<const ColorRef> entries =
        m_state.palette ? std::span<const ColorRef>(*m_state.palette) : std::span<const ColorRef>(kDefaultPalette);
    if (entries.empty())
        return pixelFromColour(rgb(0, 0, 0));
    return pixelFromColour((index < entries.size() ? entries[index] : entries.front()) & 0x00FFFFFFu);
}

bool Canvas::setMiterLimit(double limit)
{
    if (!(limit >= 1.0))
        return false;
    m_state.miterLimit = limit;
    return true;
}

void Canvas::setOrigin(QPoint origin)
{
    m_state.origin = origin;
}

void Canvas::clipTo(const Rect& r)
{
    m_state.clip = m_state.clip.intersected(toDevice(r.normalized()));
}

void Canvas::clipTo(const Region& r)
{
    Region device;
    for (const Rect& part : r.rects())
        device = device.united(toDevice(part));
    m_state.clip = m_state.clip.intersected(device);
}

void Canvas::setState(const DcState& state)
{
    m_state = state;
    selectPen();
    selectBrush();
}

void Canvas::save()
{
    m_saved.push_back(m_state);
}

void Canvas::restore()
{
    if (m_saved.empty())
        return;
    m_state = std::move(m_saved.back());
    m_saved.pop_back();
    selectPen();
    selectBrush();
}

void Canvas::setPixel(QPoint p, ColorRef colour)
{
    const QPoint d = toDevice(p);
    if (!m_state.clip.contains(d.x(), d.y()))
        return;
    writePixel(m_target.scanLine(d.y())[d.x()], {0, devicePixel(colour)});
}

ColorRef Canvas::pixel(QPoint p) const
{
    const QPoint d = toDevice(p);
    if (!m_state.clip.contains(d.x(), d.y()))
        return kInvalidColour;
    return colourFromPixel(m_target.pixel(d.x(), d.y()));
}

void Canvas::plotPen(int x, int y, DashCursor& dash)
{
    // The dash advances on every pixel, clipped or not, so the pattern is the
    // same whichever clip rectangle is being drawn.
    if (dash.step())
        plot(x, y, m_pen.ink);
    else if (m_pen.paintGaps)
        plot(x, y, m_pen.gap);
}

void Canvas::fillSpan(int y, int x0, int x1, const BrushPlan& brush)
{
    if (y < m_pass.top || y >= m_pass.bottom || brush.style == BrushStyle::Null)
        return;
    x0 = std::max(x0, m_pass.left);
    x1 = std::min(x1, m_pass.right);
    if (x1 <= x0)
        return;
    uint32_t* line = m_target.scanLine(y);
    if (brush.style == BrushStyle::Solid) {
        writeSpan(line + x0, x1 - x0, brush.fore);
        return;
    }
    const PatternTile& tile = *brush.brush.tile;
    const int w = tile.width;
    const int ty = (((y - m_state.brushOrigin.y()) % tile.height) + tile.height) % tile.height;
    int tx = (((x0 - m_state.brushOrigin.x()) % w) + w) % w;
    const size_t rowStart = size_t(ty) * size_t(w);
    if (brush.style == BrushStyle::ColourPattern) {
        const PixelMasks* row = brush.colours->data() + rowStart;
        for (int x = x0; x < x1; ++x) {
            writePixel(line[x], row[tx]);
            tx = tx + 1 == w ? 0 : tx + 1;
        }
        return;
    }
    const uint32_t* bits = tile.pixels.data() + rowStart;
    for (int x = x0; x < x1; ++x) {
        writePixel(line[x], bits[tx] ? brush.back : brush.fore);
        tx = tx + 1 == w ? 0 : tx + 1;
    }
}

void Canvas::fillShape(const SpanShape& shape, const BrushPlan& brush)
{
    forEachClipPass(shape.bounds(), [&] {
        for (int y = shape.top(); y < shape.bottom(); ++y) {
            const SpanShape::Span s = shape.row(y);
            fillSpan(y, s.left, s.right, brush);
        }
    });
}

void Canvas::strokePath(std::span<const QPoint> points, PathShape shape)
{
    if (!m_pen.visible || points.size() < 2)
        return;
    if (m_pen.geometric) {
        strokeGeometricPath(points, shape);
        return;
    }
    if (m_pen.wide) {
        strokeWidePath(points, shape);
        return;
    }
    Rect bounds;
    for (const QPoint& p : points)
        bounds = bounds.united({p.x(), p.y(), p.x() + 1, p.y() + 1});
    const bool solid = m_pen.dashes.empty();
    forEachClipPass(bounds, [&] {
        // One figure, one dash pattern: it carries on across the joints.
        DashCursor dash(m_pen.dashes);
        auto plotOne = [&](int x, int y) { plotPen(x, y, dash); };
        auto segment = [&](QPoint from, QPoint to) {
            // A solid pen along a row or a column writes the pixels the walk
            // would, end pixel left out, as one run; outlines of rectangles
            // are all such segments.
            if (solid && (from.x() == to.x() || from.y() == to.y()))
                strokeStraightSegment(from, to);
            else
                walkLine(from, to, plotOne);
        };
        for (size_t i = 1; i < points.size(); ++i)
            segment(points[i - 1], points[i]);
        if (shape == PathShape::Closed && points.front() != points.back())
            segment(points.back(), points.front());
    });
}

void Canvas::strokeStraightSegment(QPoint from, QPoint to)
{
    // The pixels from the first up to, not including, the last, whichever
    // way the segment runs.
    auto span = [](int a, int b) { return b >= a ? std::pair(a, b) : std::pair(b + 1, a + 1); };
    if (from.y() == to.y()) {
        const int y = from.y();
        if (y < m_pass.top || y >= m_pass.bottom)
            return;
        const auto [first, end] = span(from.x(), to.x());
        const int x0 = std::max(first, m_pass.left);
        const int x1 = std::min(end, m_pass.right);
        if (x1 > x0)
            writeSpan(m_target.scanLine(y) + x0, x1 - x0, m_pen.ink);
        return;
    }
    const int x = from.x();
    if (x < m_pass.left || x >= m_pass.right)
        return;
    const auto [first, end] = span(from.y(), to.y());
    for (int y = std::max(first, m_pass.top); y < std::min(end, m_pass.bottom); ++y)
        writePixel(m_target.scanLine(y)[x], m_pen.ink);
}

void Canvas::strokeWidePath(std::span<const QPoint> points, PathShape shape)
{
    // A wide line is the union of round pen tips along its path. Collect the
    // union first so each pixel is written once (XOR must not cancel itself).
    const int reach = m_pen.width / 2 + 1;
    Rect bounds;
    for (const QPoint& p : points)
        bounds = bounds.united({p.x() - reach, p.y() - reach, p.x() + reach + 1, p.y() + reach + 1});
    bounds = bounds.intersected(m_state.clip.boundingRect());
    if (bounds.isEmpty())
        return;
    std::vector<uint8_t> mask(size_t(bounds.width()) * size_t(bounds.height()), 0);
    for (size_t i = 1; i < points.size(); ++i)
        sweepPenTip(mask, bounds, points[i - 1], points[i], m_pen.width);
    if (shape == PathShape::Closed)
        sweepPenTip(mask, bounds, points.back(), points.front(), m_pen.width);
    forEachClipPass(bounds, [&] {
        for (int y = m_pass.top; y < m_pass.bottom; ++y) {
            for (int x = m_pass.left; x < m_pass.right; ++x) {
                if (mask[size_t(y - bounds.top) * bounds.width() + (x - bounds.left)])
                    plot(x, y, m_pen.ink);
            }
        }
    });
}

void Canvas::drawLine(QPoint from, QPoint to)
{
    const std::array<QPoint, 2> points = {toDevice(from), toDevice(to)};
    strokePath(points, PathShape::Open);
}

void Canvas::drawPolyline(std::span<const QPoint> points)
{
    std::vector<QPoint> device;
    device.reserve(points.size());
    for (const QPoint& p : points)
        device.push_back(toDevice(p));
    strokePath(device, PathShape::Open);
}

void Canvas::drawRectangle(const Rect& r)
{
    const Rect d = toDevice(r.normalized());
    if (d.isEmpty())
        return;
    if (!m_pen.visible) {
        // Without a pen GDI fills one pixel less to the right and bottom.
        fillShape(SpanShape::rectangle({d.left, d.top, d.right - 1, d.bottom - 1}), m_brush);
        return;
    }
    if (m_pen.wide) {
        // Inside the frame: the pen's full width lies within d.
        const SpanShape outer = SpanShape::rectangle(d);
        const SpanShape inner = SpanShape::rectangle(d.deflated(m_pen.width));
        fillShape(inner, m_brush);
        strokeRing(outer, inner);
        return;
    }
    // A 1 x 1 rectangle is nothing at all: its interior is empty and each of
    // its four outline segments starts and ends on the same pixel, which a
    // segment leaves out.
    if (d.width() == 1 && d.height() == 1)
        return;
    fillShape(SpanShape::rectangle(d.deflated(1)), m_brush);
    if (d.width() == 1 || d.height() == 1) {
        strokeThinRectangle(d);
        return;
    }
    // GDI starts the outline at the top right and runs counter-clockwise:
    // left along the top, down the left side, right along the bottom and up
    // the right side, one dash pattern carrying on round the corners. So a
    // dashed frame's first dash is at its top right corner, not its top left.
    const std::array<QPoint, 4> corners = {QPoint(d.right - 1, d.top), QPoint(d.left, d.top),
                                           QPoint(d.left, d.bottom - 1), QPoint(d.right - 1, d.bottom - 1)};
    strokePath(corners, PathShape::Closed);
}

void Canvas::strokeThinRectangle(const Rect& d)
{
    // The outline of a rectangle one pixel wide or high runs along the strip
    // and back (the segments across it have length 0): a column is walked
    // down then up, a row left then right, in GDI's counter-clockwise order
    // from the top right. Every pixel but the two ends lies on both passes;
    // the later pass decides it, as drawing twice would, but it is written
    // once, so that an XOR pen does not take back what it drew.
    const bool row = d.height() == 1;
    const int n = row ? d.width() : d.height();
    std::vector<const PixelMasks*> last(size_t(n), nullptr);
    DashCursor dash(m_pen.dashes);
    auto visit = [&](int i) {
        if (dash.step())
            last[size_t(i)] = &m_pen.ink;
        else if (m_pen.paintGaps)
            last[size_t(i)] = &m_pen.gap;
    };
    for (int k = 0; k < n - 1; ++k)
        visit(row ? n - 1 - k : k);
    for (int k = 0; k < n - 1; ++k)
        visit(row ? k : n - 1 - k);
    forEachClipPass(d, [&] {
        for (int i = 0; i < n; ++i) {
            if (last[size_t(i)])
                plot(row ? d.left + i : d.left, row ? d.top : d.top + i, *last[size_t(i)]);
        }
    });
}

void Canvas::fillRect(const Rect& r, const Brush& brush)
{
    // FillRect paints with PATCOPY whatever the ROP2.
    const BrushPlan plan = planBrush(brush, Rop2::CopyPen);
    fillShape(SpanShape::rectangle(toDevice(r.normalized())), plan);
}

void Canvas::fillRegion(const Region& region, const Brush& brush)
{
    for (const Rect& r : region.rects())
        fillRect(r, brush);
}

void Canvas::invertRect(const Rect& r)
{
    const BrushPlan plan = planBrush(Brush::solid(rgb(0, 0, 0)), Rop2::Not);
    fillShape(SpanShape::rectangle(toDevice(r.normalized())), plan);
}

void Canvas::drawFocusRect(const Rect& r)
{
    // DrawFocusRect inverts every other pixel of a one-pixel frame, on a
    // checkerboard aligned with the surface origin. Each frame pixel is
    // visited exactly once, so a second call puts every pixel back.
    const Rect d = toDevice(r.normalized());
    if (d.isEmpty())
        return;
    const PixelMasks invert = rop2Masks(Rop2::Not, 0);
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            plot(x, y, invert);
    };
    forEachClipPass(d, [&] {
        for (int x = d.left; x < d.right; ++x) {
            dot(x, d.top);
            if (d.height() > 1)
                dot(x, d.bottom - 1);
        }
        for (int y = d.top + 1; y < d.bottom - 1; ++y) {
            dot(d.left, y);
            if (d.width() > 1)
                dot(d.right - 1, y);
        }
    });
}

} // namespace lumeria::gdi
