#include "platform/gdi/Region.h"

namespace lumeria::gdi {

namespace {

// Appends the parts of r outside cut: a band above, a band below and the two
// pieces beside it, none of which overlap.
void appendDifference(std::vector<Rect>& out, const Rect& r, const Rect& cut)
{
    const Rect i = r.intersected(cut);
    if (i.isEmpty()) {
        out.push_back(r);
        return;
    }
    if (r.top < i.top)
        out.push_back({r.left, r.top, r.right, i.top});
    if (i.bottom < r.bottom)
        out.push_back({r.left, i.bottom, r.right, r.bottom});
    if (r.left < i.left)
        out.push_back({r.left, i.top, i.left, i.bottom});
    if (i.right < r.right)
        out.push_back({i.right, i.top, r.right, i.bottom});
}

} // namespace

Region::Region(const Rect& r)
{
    if (!r.isEmpty())
        m_rects.push_back(r);
}

Rect Region::boundingRect() const
{
    Rect bounds;
    for (const Rect& r : m_rects)
        bounds = bounds.united(r);
    return bounds;
}

bool Region::contains(int x, int y) const
{
    for (const Rect& r : m_rects) {
        if (r.contains(x, y))
            return true;
    }
    return false;
}

Region Region::intersected(const Rect& r) const
{
    Region out;
    for (const Rect& mine : m_rects) {
        const Rect i = mine.intersected(r);
        if (!i.isEmpty())
            out.m_rects.push_back(i);
    }
    return out;
}

Region Region::intersected(const Region& other) const
{
    Region out;
    for (const Rect& theirs : other.m_rects) {
        const Region part = intersected(theirs);
        out.m_rects.insert(out.m_rects.end(), part.m_rects.begin(), part.m_rects.end());
    }
    return out;
}

Region Region::subtracted(const Rect& cut) const
{
    Region out;
    for (const Rect& r : m_rects)
        appendDifference(out.m_rects, r, cut);
    return out;
}

Region Region::subtracted(const Region& other) const
{
    Region out = *this;
    for (const Rect& cut : other.m_rects)
        out = out.subtracted(cut);
    return out;
}

Region Region::united(const Region& other) const
{
    // Keep only what the other region lacks, so the rectangles stay disjoint.
    Region out = subtracted(other);
    out.m_rects.insert(out.m_rects.end(), other.m_rects.begin(), other.m_rects.end());
    return out;
}

Region Region::translated(int dx, int dy) const
{
    Region out;
    out.m_rects.reserve(m_rects.size());
    for (const Rect& r : m_rects)
        out.m_rects.push_back(r.translated(dx, dy));
    return out;
}

long long Region::area() const
{
    long long total = 0;
    for (const Rect& r : m_rects)
        total += static_cast<long long>(r.width()) * r.height();
    return total;
}

} // namespace lumeria::gdi
