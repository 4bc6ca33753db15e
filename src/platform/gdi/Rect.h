#pragma once

#include <QRect>
#include <algorithm>

namespace lumeria::gdi {

// A rectangle with exclusive right and bottom edges, as GDI draws them: the
// pixels covered are left..right-1 by top..bottom-1.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Rect fromSize(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }

    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool contains(const Rect& r) const
    {
        return r.isEmpty() || (r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom);
    }

    Rect intersected(const Rect& r) const
    {
        const Rect i{std::max(left, r.left), std::max(top, r.top), std::min(right, r.right),
                     std::min(bottom, r.bottom)};
        return i.isEmpty() ? Rect{} : i;
    }

    // The smallest rectangle holding both; an empty operand adds nothing.
    Rect united(const Rect& r) const
    {
        if (r.isEmpty())
            return *this;
        if (isEmpty())
            return r;
        return {std::min(left, r.left), std::min(top, r.top), std::max(right, r.right), std::max(bottom, r.bottom)};
    }

    Rect translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }

    // Shrinks every side by d (grows for negative d).
    Rect deflated(int d) const { return {left + d, top + d, right - d, bottom - d}; }

    // GDI accepts rectangles given corner-first in any order.
    Rect normalized() const
    {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// QRect's right() and bottom() are inclusive; these are the only crossings.
inline QRect toQRect(const Rect& r)
{
    return QRect(r.left, r.top, r.width(), r.height());
}

inline Rect rectFromQRect(const QRect& r)
{
    return Rect::fromSize(r.x(), r.y(), r.width(), r.height());
}

} // namespace lumeria::gdi
