// Geometric pens. Windows does not sweep a tip along such a pen's path: it
// builds the area the pen covers from a rectangle or quadrilateral per
// segment, a join at every inner vertex and a cap at each open end, unites
// them and paints the union once with the pen's brush. The rules below
// (rounding of the segment corners, the faces joins are built on, the
// mitre's reach, where dashes fall on the path) were measured against the
// hashes Windows recorded for Wine's gdi32 conformance test (dib.c,
// draw_graphics), whose DIB engine states the same rules.

#include "platform/gdi/Canvas.h"

#include "platform/gdi/DashCursor.h"
#include "platform/gdi/LineWalker.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lumeria::gdi {

namespace {

// Rounds half away from zero, as the DIB engine's corner arithmetic does.
int64_t roundAway(double v)
{
    return int64_t(v > 0 ? v + 0.5 : v - 0.5);
}

// Floor and ceiling division for a positive divisor.
int64_t floorDiv(int64_t n, int64_t d)
{
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

int64_t ceilDiv(int64_t n, int64_t d)
{
    return n >= 0 ? (n + d - 1) / d : -((-n) / d);
}

// The pixels a pen covers within a window (the clip's bounds): one byte per
// pixel, so that overlapping parts are painted once and an XOR pen does not
// take back what it drew.
class PenArea {
public:
    explicit PenArea(const Rect& window) : m_window(window), m_bits(size_t(window.width()) * size_t(window.height()), 0)
    {
    }
    const Rect& window() const { return m_window; }
    bool test(int x, int y) const { return m_bits[index(x, y)] != 0; }

    void addSpan(int64_t y, int64_t left, int64_t right)
    {
        if (y < m_window.top || y >= m_window.bottom)
            return;
        left = std::max<int64_t>(left, m_window.left);
        right = std::min<int64_t>(right, m_window.right);
        if (right > left)
            std::memset(&m_bits[index(int(left), int(y))], 1, size_t(right - left));
    }
    void addRect(int64_t left, int64_t top, int64_t right, int64_t bottom)
    {
        for (int64_t y = std::max<int64_t>(top, m_window.top); y < std::min<int64_t>(bottom, m_window.bottom); ++y)
            addSpan(y, left, right);
    }
    void addPixel(int x, int y) { addSpan(y, x, x + 1); }

    // A polygon as a region is made of it (alternate rule): rows from the
    // top vertex down to, not including, the bottom one; on each row an
    // edge stands at the first whole x at or right of where it crosses the
    // row's top, and a span runs from a left edge up to, not including, the
    // next one. That is pixels whose top-left corners are inside, not their
    // centres.
    void addPolygon(std::span<const std::array<int64_t, 2>> points)
    {
        if (points.size() < 3)
            return;
        int64_t top = points[0][1];
        int64_t bottom = points[0][1];
        for (const auto& p : points) {
            top = std::min(top, p[1]);
            bottom = std::max(bottom, p[1]);
        }
        std::vector<int64_t> xs;
        for (int64_t y = std::max<int64_t>(top, m_window.top); y < std::min<int64_t>(bottom, m_window.bottom); ++y) {
            xs.clear();
            for (size_t i = 0; i < points.size(); ++i) {
                const auto& a = points[i == 0 ? points.size() - 1 : i - 1];
                const auto& b = points[i];
                if (a[1] == b[1])
                    continue;
                const auto& upper = a[1] < b[1] ? a : b;
                const auto& lower = a[1] < b[1] ? b : a;
                if (y < upper[1] || y >= lower[1])
                    continue;
                const int64_t dy = lower[1] - upper[1];
                xs.push_back(ceilDiv(upper[0] * dy + (y - upper[1]) * (lower[0] - upper[0]), dy));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2)
                addSpan(y, xs[i], xs[i + 1]);
        }
    }

    // A round cap or join: the pixels whose centres lie within half the
    // width of the point, an even width's disc centred half a pixel up and
    // left, as the round tip of a plain wide pen is.
    void addDisc(QPoint centre, int width)
    {
        const int64_t shift = (width & 1) ? 0 : -1;
        const int64_t cx = 2 * int64_t(centre.x()) + shift;
        const int64_t cy = 2 * int64_t(centre.y()) + shift;
        const int64_t r2 = int64_t(width) * width;
        const int64_t reach = width / 2 + 1;
        const int64_t top = std::max<int64_t>(centre.y() - reach, m_window.top);
        const int64_t bottom = std::min<int64_t>(centre.y() + reach + 1, m_window.bottom);
        for (int64_t y = top; y < bottom; ++y) {
            const int64_t vy = 2 * y - cy;
            if (vy * vy > r2)
                continue;
            // The widest |2x - cx| inside, then the columns it allows.
            auto m = int64_t(std::sqrt(double(r2 - vy * vy)));
            while (m * m > r2 - vy * vy)
                --m;
            while ((m + 1) * (m + 1) <= r2 - vy * vy)
                ++m;
            addSpan(y, ceilDiv(cx - m, 2), floorDiv(cx + m, 2) + 1);
        }
    }

private:
    size_t index(int x, int y) const
    {
        return size_t(y - m_window.top) * size_t(m_window.width()) + size_t(x - m_window.left);
    }
    Rect m_window;
    std::vector<uint8_t> m_bits;
};

using Point = std::array<int64_t, 2>;

// One end of a segment's area: the edge a join is built on, with the
// segment's direction.
struct Face {
    Point start{};
    Point end{};
    int64_t dx = 0;
    int64_t dy = 0;
};

// The dash state along a figure, in pixels of path.
class DashWalk {
public:
    explicit DashWalk(std::span<const int> dashes) : m_dashes(dashes)
    {
        for (const int d : dashes)
            m_total += d;
        if (!dashes.empty())
            m_left = dashes[0];
    }
    bool inDash() const { return m_inDash; }
    int64_t leftInDash() const { return m_left; }
    void skip(int64_t n)
    {
        if (m_total <= 0)
            return;
        // Whole cycles change nothing, but a skip that ends on a boundary
        // must still reach it: a dash of no length (a dot whose caps took
        // all of it) begins exactly where the gap before it ends, and is
        // drawn as its caps alone. Reducing by whole cycles to nothing
        // would leave the walk in the gap for good and lose every dot
        // after the first.
        if (n > m_total)
            n = (n - 1) % m_total + 1;
        do {
            if (m_left > n) {
                m_left -= n;
                return;
            }
            n -= m_left;
            m_index = (m_index + 1) % m_dashes.size();
            m_left = m_dashes[m_index];
            m_inDash = !m_inDash;
        } while (n > 0);
    }

private:
    std::span<const int> m_dashes;
    int64_t m_total = 0;
    size_t m_index = 0;
    int64_t m_left = 0;
    bool m_inDash = true;
};

class GeometricStroke {
public:
    GeometricStroke(PenArea& area, int width, PenCap cap, PenJoin join, double miterLimit)
        : m_area(area), m_width(width), m_cap(cap), m_join(join), m_miterLimit(miterLimit)
    {
    }

    // The undashed pen along points: every segment, joins between them and,
    // for an open figure, caps at its ends. Empty segments at either end do
    // not count (they would give the end a direction it does not have).
    void solid(std::span<const QPoint> points, bool closed)
    {
        size_t first = 0;
        size_t count = points.size();
        while (count > 2 && points[first] == points[first + 1]) {
            ++first;
            --count;
        }
        while (count > 2 && points[first + count - 1] == points[first + count - 2])
            --count;
        const std::span<const QPoint> pts = points.subspan(first, count);
        if (closed)
            run(pts, true, 0, pts.size(), pts[0], pts[0]);
        else
            run(pts, false, 0, pts.size() - 1, pts[0], pts.back());
    }

    // The dashed pen: each dash is an open run of its own from where it
    // starts on one segment to where it ends on the same or a later one,
    // with the joins between and caps at its ends. On a closed figure the
    // first dash waits to be joined to the last one if the pattern is
    // still in a dash when the figure closes.
    void dashed(std::span<const QPoint> points, bool closed, std::span<const int> dashes)
    {
        size_t first = 0;
        size_t num = points.size();
        while (num > 2 && points[first] == points[first + 1]) {
            ++first;
            --num;
        }
        while (num > 2 && points[first + num - 1] == points[first + num - 2])
            --num;
        const std::span<const QPoint> pts = points.subspan(first, num);
        DashWalk dash(dashes);
        size_t start = 0;
        int64_t done = 0; // path of segment i already covered by dashes and gaps
        QPoint startPoint = pts[0];
        QPoint endPoint;
        QPoint initialPoint;
        int64_t initialCount = 0; // > 0: the first dash, kept for the close; < 0: none to keep
        const size_t segments = closed ? num : num - 1;
        for (size_t i = 0; i < segments; ++i) {
            const QPoint a = pts[i];
            const QPoint b = pts[closed && i == num - 1 ? 0 : i + 1];
            int64_t dx = int64_t(b.x()) - a.x();
            int64_t dy = int64_t(b.y()) - a.y();
            if (dx == 0 && dy == 0)
                continue;
            if (dy == 0 || dx == 0) {
                const int64_t length = dy == 0 ? std::abs(dx) : std::abs(dy);
                if (length - done < dash.leftInDash()) {
                    dash.skip(length - done);
                    done = 0;
                    continue;
                }
                done += dash.leftInDash();
                if (dy == 0)
                    dx = dx > 0 ? done : -done;
                else
                    dy = dy > 0 ? done : -done;
            } else {
                const double length = std::hypot(double(dx), double(dy));
                if (length - double(done) < double(dash.leftInDash())) {
                    // The part of a pixel left over is dropped, as the
                    // engine's unsigned step drops it.
                    dash.skip(int64_t(length - double(done)));
                    done = 0;
                    continue;
                }
                done += dash.leftInDash();
                dx = int64_t(double(dx) * double(done) / length);
                dy = int64_t(double(dy) * double(done) / length);
            }
            endPoint = QPoint(int(a.x() + dx), int(a.y() + dy));
            if (dash.inDash()) {
                if (initialCount == 0 && closed) {
                    initialCount = int64_t(i - start + 1);
                    initialPoint = endPoint;
                } else {
                    run(pts, false, start, i - start + 1, startPoint, endPoint);
                }
            }
            if (initialCount == 0)
                initialCount = -1;
            dash.skip(dash.leftInDash());
            startPoint = endPoint;
            start = i;
            --i; // the same segment again, from where this dash or gap ended
        }
        if (dash.inDash()) {
            size_t count;
            if (initialCount > 0) {
                count = num - start + size_t(initialCount);
                endPoint = initialPoint;
            } else if (closed) {
                count = num - start;
                endPoint = pts[0];
            } else {
                count = num - start - 1;
                endPoint = pts[num - 1];
            }
            run(pts, false, start, count, startPoint, endPoint);
        } else if (initialCount > 0) {
            run(pts, false, 0, size_t(initialCount), pts[0], initialPoint);
        }
    }

private:
    // Segments start .. start + count - 1 of points (wrapping round when
    // the figure is closed), the first beginning at firstPoint and the last
    // ending at lastPoint, each keeping the direction of its whole segment.
    void run(std::span<const QPoint> pts, bool closed, size_t start, size_t count, QPoint firstPoint, QPoint lastPoint)
    {
        const size_t num = pts.size();
        auto at = [&](size_t i) { return pts[i % num]; };
        auto direction = [&](size_t i) {
            const QPoint a = at(i);
            const QPoint b = at(i + 1);
            return std::array<int64_t, 2>{int64_t(b.x()) - a.x(), int64_t(b.y()) - a.y()};
        };
        if (count == 0)
            return;
        if (!closed) {
            cap(firstPoint);
            cap(lastPoint);
        }
        if (count == 1) {
            Face f1, f2;
            const auto d = direction(start);
            segment(firstPoint, lastPoint, d[0], d[1], true, true, f1, f2);
            return;
        }
        Face firstFace, previous, f1, f2;
        const auto d0 = direction(start);
        bool havePrevious = segment(firstPoint, at(start + 1), d0[0], d0[1], !closed, false, firstFace, previous);
        const bool haveFirst = havePrevious;
        for (size_t i = 1; i + 1 < count; ++i) {
            const auto d = direction(start + i);
            if (segment(at(start + i), at(start + i + 1), d[0], d[1], false, false, f1, f2)) {
                if (havePrevious)
                    join(at(start + i), previous, f1);
                previous = f2;
                havePrevious = true;
            }
        }
        const auto dl = direction(start + count - 1);
        if (segment(at(start + count - 1), lastPoint, dl[0], dl[1], false, !closed, f1, f2)) {
            if (havePrevious)
                join(at(start + count - 1), previous, f1);
            if (closed && haveFirst)
                join(lastPoint, f2, firstFace);
        }
    }

    void cap(QPoint p)
    {
        // Square ends are part of their segment; flat ones add nothing.
        if (m_cap == PenCap::Round)
            m_area.addDisc(p, m_width);
    }

    // The area of one segment from p1 to p2 running (dx, dy), with the
    // faces at its two ends. False for a segment with no direction.
    bool segment(QPoint p1, QPoint p2, int64_t dx, int64_t dy, bool capStart, bool capEnd, Face& first, Face& last)
    {
        if (dx == 0 && dy == 0)
            return false;
        const int64_t w = m_width;
        const bool squareStart = capStart && m_cap == PenCap::Square;
        const bool squareEnd = capEnd && m_cap == PenCap::Square;
        if (dy == 0) {
            int64_t left = std::min(p1.x(), p2.x());
            int64_t right = std::max(p1.x(), p2.x());
            const int64_t top = int64_t(p1.y()) - w / 2;
            const int64_t bottom = top + w;
            if ((squareStart && dx > 0) || (squareEnd && dx < 0))
                left -= w / 2;
            if ((squareEnd && dx > 0) || (squareStart && dx < 0))
                right += w / 2;
            m_area.addRect(left, top, right, bottom);
            if (dx > 0) {
                first.start = {left, bottom};
                first.end = {left, top};
                last.start = {right - 1, top};
                last.end = {right - 1, bottom};
            } else {
                first.start = {right, top};
                first.end = {right, bottom};
                last.start = {left + 1, bottom};
                last.end = {left + 1, top};
            }
        } else if (dx == 0) {
            int64_t top = std::min(p1.y(), p2.y());
            int64_t bottom = std::max(p1.y(), p2.y());
            const int64_t left = int64_t(p1.x()) - w / 2;
            const int64_t right = left + w;
            if ((squareStart && dy > 0) || (squareEnd && dy < 0))
                top -= w / 2;
            if ((squareEnd && dy > 0) || (squareStart && dy < 0))
                bottom += w / 2;
            m_area.addRect(left, top, right, bottom);
            if (dy > 0) {
                first.start = {left, top};
                first.end = {right, top};
                last.start = {right, bottom - 1};
                last.end = {left, bottom - 1};
            } else {
                first.start = {right, bottom};
                first.end = {left, bottom};
                last.start = {left, top + 1};
                last.end = {right, top + 1};
            }
        } else {
            // The pen's width across the segment, split into a narrow and a
            // wide half (the odd pixel goes to one side), each rounded.
            const double length = std::hypot(double(dx), double(dy));
            const double widthX = double(w) * double(std::abs(dy)) / length;
            const double widthY = double(w) * double(std::abs(dx)) / length;
            Point narrow = {roundAway(widthX / 2), roundAway(widthY / 2)};
            Point wide = {roundAway((widthX + 1) / 2), roundAway((widthY + 1) / 2)};
            if (dx < 0) {
                wide[1] = -wide[1];
                narrow[1] = -narrow[1];
            }
            if (dy < 0) {
                std::swap(narrow, wide);
                wide[0] = -wide[0];
                narrow[0] = -narrow[0];
            }
            std::array<Point, 4> corners = {
                Point{p1.x() - narrow[0], p1.y() + narrow[1]}, Point{p1.x() + wide[0], p1.y() - wide[1]},
                Point{p2.x() + wide[0], p2.y() - wide[1]}, Point{p2.x() - narrow[0], p2.y() + narrow[1]}};
            if (squareStart) {
                for (size_t i : {0, 1}) {
                    corners[i][0] -= narrow[1];
                    corners[i][1] -= narrow[0];
                }
            }
            if (squareEnd) {
                for (size_t i : {2, 3}) {
                    corners[i][0] += wide[1];
                    corners[i][1] += wide[0];
                }
            }
            m_area.addPolygon(corners);
            first.start = corners[0];
            first.end = corners[1];
            last.start = corners[2];
            last.end = corners[3];
        }
        first.dx = last.dx = dx;
        first.dy = last.dy = dy;
        return true;
    }

    // The join at p between the end face of one segment and the start face
    // of the next.
    void join(QPoint p, const Face& ending, const Face& starting)
    {
        if (m_join == PenJoin::Round) {
            m_area.addDisc(p, m_width);
            return;
        }
        if (m_join == PenJoin::Mitre && mitre(p, ending, starting))
            return;
        const std::array<Point, 4> bevel = {ending.start, starting.end, ending.end, starting.start};
        m_area.addPolygon(bevel);
    }

    // The mitre: the outer edges of the two segments carried on to where
    // they meet. False (a bevel instead) when the segments are parallel or
    // the point lies further from the vertex than the miter limit allows.
    bool mitre(QPoint p, const Face& ending, const Face& starting)
    {
        const Face* f1 = &ending;
        const Face* f2 = &starting;
        double det = double(f1->dx) * double(f2->dy) - double(f1->dy) * double(f2->dx);
        if (det == 0)
            return false;
        if (det < 0) {
            std::swap(f1, f2);
            det = -det;
        }
        const Point a1 = f1->start;
        const Point a2 = f2->end;
        const double a = (double(a2[0]) * double(f2->dy) - double(a2[1]) * double(f2->dx)) / det;
        const double b = (double(a1[0]) * double(f1->dy) - double(a1[1]) * double(f1->dx)) / det;
        const double x = a * double(f1->dx) - b * double(f2->dx);
        const double y = a * double(f1->dy) - b * double(f2->dy);
        const double ex = x - p.x();
        const double ey = y - p.y();
        if ((ex * ex + ey * ey) * 4 > m_miterLimit * m_miterLimit * double(m_width) * double(m_width))
            return false;
        const std::array<Point, 5> shape = {f2->start, f1->start, Point{roundAway(x), roundAway(y)}, f2->end, f1->end};
        m_area.addPolygon(shape);
        return true;
    }

    PenArea& m_area;
    int m_width;
    PenCap m_cap;
    PenJoin m_join;
    double m_miterLimit;
};

} // namespace

void Canvas::strokeGeometricPath(std::span<const QPoint> points, PathShape shape)
{
    // The farthest the area reaches from a path point: a mitre up to the
    // limit's half widths, a square cap or the corners' rounding otherwise.
    const double limit = m_pen.join == PenJoin::Mitre ? std::max(1.0, m_state.miterLimit) : 1.0;
    const int64_t reach = std::min<int64_t>(int64_t(limit * m_pen.width / 2.0) + m_pen.width + 2, kMaxCoordinate);
    Rect bounds;
    for (const QPoint& p : points) {
        bounds = bounds.united({clampCoordinate(p.x() - reach), clampCoordinate(p.y() - reach),
                                clampCoordinate(p.x() + reach + 1), clampCoordinate(p.y() + reach + 1)});
    }
    bounds = bounds.intersected(m_state.clip.boundingRect()).intersected(m_target.rect());
    if (bounds.isEmpty())
        return;
    PenArea area(bounds);
    const bool closed = shape == PathShape::Closed;
    if (m_pen.width <= 1) {
        // A one-pixel geometric pen covers the pixels a cosmetic pen would,
        // its dashes in the geometric pattern, and is painted like the rest.
        DashCursor dash(m_pen.areaDashes);
        auto plotOne = [&](int x, int y) {
            if (dash.step())
                area.addPixel(x, y);
        };
        for (size_t i = 1; i < points.size(); ++i)
            walkLine(points[i - 1], points[i], plotOne);
        if (closed && points.front() != points.back())
            walkLine(points.back(), points.front(), plotOne);
    } else {
        GeometricStroke stroke(area, m_pen.width, m_pen.cap, m_pen.join, m_state.miterLimit);
        if (m_pen.areaDashes.empty())
            stroke.solid(points, closed);
        else
            stroke.dashed(points, closed, m_pen.areaDashes);
    }
    forEachClipPass(bounds, [&] {
        for (int y = m_pass.top; y < m_pass.bottom; ++y) {
            int x = m_pass.left;
            while (x < m_pass.right) {
                if (!area.test(x, y)) {
                    ++x;
                    continue;
                }
                const int left = x;
                while (x < m_pass.right && area.test(x, y))
                    ++x;
                fillSpan(y, left, x, m_pen.paint);
            }
        }
    });
}

} // namespace lumeria::gdi
