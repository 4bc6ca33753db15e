#pragma once

#include "platform/gdi/Rect.h"

#include <QPoint>
#include <cstdint>
#include <vector>

namespace lumeria::gdi {

// A shape that is one run of pixels per row (rectangles, ellipses, rounded
// rectangles), in device coordinates. Outlines and wide-pen rings are row
// differences of two such shapes, so every pixel is produced once.
class SpanShape {
public:
    struct Span {
        int left = 0;
        int right = 0; // exclusive
        bool isEmpty() const { return right <= left; }
    };

    SpanShape() = default;
    static SpanShape rectangle(const Rect& r);
    // Pixels whose centres lie inside the ellipse inscribed in r, its axes
    // pulled in a quarter pixel so small ellipses are not squares.
    static SpanShape ellipse(const Rect& r);
    static SpanShape roundRect(const Rect& r, int cornerWidth, int cornerHeight);

    int top() const { return m_top; }
    int bottom() const { return m_top + int(m_rows.size()); }
    Span row(int y) const
    {
        if (y < m_top || y >= bottom())
            return {};
        return m_rows[size_t(y - m_top)];
    }
    Rect bounds() const;

    // The shape less its outline: the pixels whose four neighbours are all in
    // the shape. What is removed is a thin, 8-connected outline.
    SpanShape interior() const;

    // Calls f(y, left, right) for the pixels of this shape outside inner.
    template <class F>
    void forEachSpanOutside(const SpanShape& inner, F&& f) const
    {
        for (int y = m_top; y < bottom(); ++y) {
            const Span o = row(y);
            const Span i = inner.row(y);
            if (o.isEmpty())
                continue;
            if (i.isEmpty()) {
                f(y, o.left, o.right);
                continue;
            }
            if (o.left < i.left)
                f(y, o.left, std::min(o.right, i.left));
            if (i.right < o.right)
                f(y, std::max(o.left, i.right), o.right);
        }
    }

    // The outline pixels ordered counter-clockwise (on screen) from the
    // rightmost point, for dashed outlines.
    std::vector<QPoint> orderedOutline(const SpanShape& inner) const;

private:
    int m_top = 0;
    std::vector<Span> m_rows;
};

// True when a figure confined to its frame, give or take reach pixels of
// pen, cannot touch the clip's bounds: building the outline of a figure far
// larger than the surface is the costly part of drawing it, and is skipped.
inline bool outsideClip(const Rect& clipBounds, const Rect& frame, int reach)
{
    return clipBounds.isEmpty() || int64_t(frame.left) - reach >= clipBounds.right ||
           int64_t(frame.right) + reach <= clipBounds.left || int64_t(frame.top) - reach >= clipBounds.bottom ||
           int64_t(frame.bottom) + reach <= clipBounds.top;
}

} // namespace lumeria::gdi
