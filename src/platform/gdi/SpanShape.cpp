#include "platform/gdi/SpanShape.h"

#include <algorithm>
#include <cstdint>

namespace lumeria::gdi {

namespace {

// Products of four 17-bit terms; GCC and Clang provide the type, and
// __extension__ keeps -Wpedantic quiet about it.
__extension__ typedef unsigned __int128 Wide;

} // namespace

SpanShape SpanShape::rectangle(const Rect& r)
{
    SpanShape s;
    if (r.isEmpty())
        return s;
    s.m_top = r.top;
    s.m_rows.assign(size_t(r.height()), Span{r.left, r.right});
    return s;
}

SpanShape SpanShape::ellipse(const Rect& r)
{
    SpanShape s;
    if (r.isEmpty())
        return s;
    const int64_t w = r.width();
    const int64_t h = r.height();
    // Quarter-pixel units around the centre of r: the pixel i columns from
    // the left has its centre at 4i + 2 - 2w; the semi-axes are
    // (w - 1)/2 + 1/4 and (h - 1)/2 + 1/4 pixels, i.e. 2w - 1 and 2h - 1.
    const Wide a = Wide(2 * w - 1);
    const Wide b = Wide(2 * h - 1);
    const Wide a2 = a * a;
    const Wide b2 = b * b;
    s.m_top = r.top;
    s.m_rows.resize(size_t(h));
    for (int64_t j = 0; j < h; ++j) {
        const int64_t yq = 4 * j + 2 - 2 * h;
        const Wide y2 = Wide(yq * yq);
        if (y2 > b2)
            continue;
        // Inside when x^2 b^2 + y^2 a^2 <= a^2 b^2, i.e. x^2 b^2 <= a^2 (b^2 - y^2).
        const Wide limit = a2 * (b2 - y2);
        auto inside = [&](int64_t i) {
            const int64_t xq = 4 * i + 2 - 2 * w;
            return Wide(xq * xq) * b2 <= limit;
        };
        // Columns 0..mid form the left half; being inside is monotonic there,
        // so the first inside column is found by bisection.
        const int64_t mid = (w - 1) / 2;
        if (!inside(mid))
            continue;
        int64_t lo = 0;
        int64_t hi = mid;
        while (lo < hi) {
            const int64_t m = (lo + hi) / 2;
            if (inside(m))
                hi = m;
            else
                lo = m + 1;
        }
        // Rows are symmetric about the centre column(s).
        s.m_rows[size_t(j)] = {int(r.left + lo), int(r.right - lo)};
    }
    return s;
}

SpanShape SpanShape::roundRect(const Rect& r, int cornerWidth, int cornerHeight)
{
    if (r.isEmpty())
        return {};
    const int cw = std::min(cornerWidth, r.width());
    const int ch = std::min(cornerHeight, r.height());
    if (cw <= 1 || ch <= 1)
        return rectangle(r);
    const SpanShape corner = ellipse({0, 0, cw, ch});
    SpanShape s;
    s.m_top = r.top;
    s.m_rows.resize(size_t(r.height()));
    const int h = r.height();
    for (int j = 0; j < h; ++j) {
        // The top half of the corner ellipse rounds the top rows, its bottom
        // half the bottom rows; rows between run the full width.
        int inset = 0;
        if (j < ch / 2)
            inset = corner.row(j).left;
        else if (h - 1 - j < ch / 2)
            inset = corner.row(ch - h + j).left;
        s.m_rows[size_t(j)] = {r.left + inset, r.right - inset};
    }
    return s;
}

Rect SpanShape::bounds() const
{
    Rect b;
    for (int y = m_top; y < bottom(); ++y) {
        const Span s = row(y);
        if (!s.isEmpty())
            b = b.united({s.left, y, s.right, y + 1});
    }
    return b;
}

SpanShape SpanShape::interior() const
{
    SpanShape s;
    s.m_top = m_top;
    s.m_rows.resize(m_rows.size());
    for (int y = m_top; y < bottom(); ++y) {
        const Span here = row(y);
        const Span above = row(y - 1);
        const Span below = row(y + 1);
        if (here.isEmpty() || above.isEmpty() || below.isEmpty())
            continue;
        const int left = std::max({here.left + 1, above.left, below.left});
        const int right = std::min({here.right - 1, above.right, below.right});
        if (left < right)
            s.m_rows[size_t(y - m_top)] = {left, right};
    }
    return s;
}

std::vector<QPoint> SpanShape::orderedOutline(const SpanShape& inner) const
{
    std::vector<QPoint> points;
    forEachSpanOutside(inner, [&](int y, int left, int right) {
        for (int x = left; x < right; ++x)
            points.emplace_back(x, y);
    });
    const Rect b = bounds();
    // Doubled coordinates keep the centre of an even-sized shape integral.
    const int cx2 = b.left + b.right - 1;
    const int cy2 = b.top + b.bottom - 1;
    auto vec = [&](const QPoint& p) { return std::pair<int64_t, int64_t>{2 * p.x() - cx2, cy2 - 2 * p.y()}; };
    auto half = [](const std::pair<int64_t, int64_t>& v) {
        return (v.second > 0 || (v.second == 0 && v.first > 0)) ? 0 : 1;
    };
    std::stable_sort(points.begin(), points.end(), [&](const QPoint& p, const QPoint& q) {
        const auto u = vec(p);
        const auto v = vec(q);
        const int hu = half(u);
        const int hv = half(v);
        if (hu != hv)
            return hu < hv;
        return u.first * v.second - u.second * v.first > 0;
    });
    return points;
}

} // namespace lumeria::gdi
