#pragma once

#include "platform/gdi/Rect.h"

#include <vector>

namespace lumeria::gdi {

// A set of pixels held as non-overlapping rectangles. Clip regions and
// invalid areas stay small (a handful of rectangles), so the operations are
// plain pairwise ones.
class Region {
public:
    Region() = default;
    explicit Region(const Rect& r);

    const std::vector<Rect>& rects() const { return m_rects; }
    bool isEmpty() const { return m_rects.empty(); }
    Rect boundingRect() const;
    bool contains(int x, int y) const;

    Region intersected(const Region& other) const;
    Region intersected(const Rect& r) const;
    Region united(const Region& other) const;
    Region united(const Rect& r) const { return united(Region(r)); }
    Region subtracted(const Region& other) const;
    Region subtracted(const Rect& r) const;
    Region translated(int dx, int dy) const;

    // Pixel area, for tests and for deciding whether a repaint is worth it.
    long long area() const;

private:
    std::vector<Rect> m_rects;
};

} // namespace lumeria::gdi
