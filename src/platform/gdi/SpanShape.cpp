#include "platform/gdi/SpanShape.h"

#include <algorithm>
#include <cstdint>

namespace lumeria::gdi {

namespace {

// Beyond this the squared terms of the ellipse test no longer fit 64 bits;
// no page is anywhere near it.
constexpr int kMaxExtent = 32767;

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
    const int w = std::min(r.width(), kMaxExtent);
    const int h = std::min(r.height(), kMaxExtent);
    // Quarter-pixel units around the centre of r: a pixel centre x sits at
    // 4x + 2 - 2(left + right); the semi-axes are (w - 1)/2 + 1/4 pixels.
    const uint64_t a = uint64_t(2 * w - 1);
    const uint64_t b = uint64_t(2 * h - 1);
    const uint64_t a2 = a * a;
    const uint64_t b2 = b * b;
    const int right = r.left + w;
    s.m_top = r.top;
    s.m_rows.resize(size_t(h));
    for (int j = 0; j < h; ++j) {
        const int64_t yq = 4 * int64_t(j) + 2 - 2 * int64_t(h);
        const uint64_t y2 = uint64_t(yq * yq);
        Span span;
        if (y2 <= b2) {
            // Inside when x^2 b^2 + y^2 a^2 <= a^2 b^2, i.e. x^2 b^2 <= a^2 (b^2 - y^2).
            const uint64_t limit = a2 * (b2 - y2);
            int x = r.left;
            const int mid = r.left + (w - 1) / 2;
            for (; x <= mid; ++x) {
                const int64_t xq = 4 * int64_t(x - r.left) + 2 - 2 * int64_t(w);
                if (uint64_t(xq * xq) * b2 <= limit)
                    break;
            }
            // Rows are symmetric about the centre column(s).
            if (x <= mid)
                span = {x, r.left + right - x};
        }
        s.m_rows[size_t(j)] = span;
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
