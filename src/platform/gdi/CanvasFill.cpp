#include "platform/gdi/Canvas.h"

#include <vector>

namespace lumeria::gdi {

namespace {

// One bit per pixel of an area: pixels the fill has taken or must never
// take (outside the clip). Its size is the area's, so a fill asked of a huge
// picture costs an eighth of a byte per pixel of the surface and no more.
class PixelBits {
public:
    explicit PixelBits(const Rect& area)
        : m_area(area), m_bits((size_t(area.width()) * size_t(area.height()) + 63) / 64, ~uint64_t(0))
    {
    }
    bool test(int x, int y) const
    {
        const size_t i = index(x, y);
        return (m_bits[i / 64] >> (i % 64)) & 1;
    }
    void set(int x, int y)
    {
        const size_t i = index(x, y);
        m_bits[i / 64] |= uint64_t(1) << (i % 64);
    }
    void clear(int x, int y)
    {
        const size_t i = index(x, y);
        m_bits[i / 64] &= ~(uint64_t(1) << (i % 64));
    }

private:
    size_t index(int x, int y) const
    {
        return size_t(y - m_area.top) * size_t(m_area.width()) + size_t(x - m_area.left);
    }
    Rect m_area;
    std::vector<uint64_t> m_bits;
};

} // namespace

bool Canvas::floodFill(QPoint start, ColorRef colour, FloodMode mode)
{
    const QPoint s = toDevice(start);
    const Rect area = m_state.clip.boundingRect().intersected(m_target.rect());
    if (!m_state.clip.contains(s.x(), s.y()) || !area.contains(s.x(), s.y()))
        return false;
    const uint32_t key = devicePixel(colour) & 0x00FFFFFFu;
    auto matches = [&](int x, int y) {
        const bool same = (m_target.pixel(x, y) & 0x00FFFFFFu) == key;
        return mode == FloodMode::Surface ? same : !same;
    };
    if (!matches(s.x(), s.y()))
        return false;

    // Every pixel starts taken; those inside the clip are freed. A pixel is
    // taken again when its span is filled, so the fill never reads back what
    // it painted (a pattern or an ink of the same colour cannot make it run
    // on) and never visits a pixel twice.
    PixelBits taken(area);
    for (const Rect& r : m_state.clip.rects()) {
        const Rect part = r.intersected(area);
        for (int y = part.top; y < part.bottom; ++y) {
            for (int x = part.left; x < part.right; ++x)
                taken.clear(x, y);
        }
    }
    auto open = [&](int x, int y) { return !taken.test(x, y) && matches(x, y); };

    // FloodFill paints with the brush as PatBlt's PATCOPY does.
    const BrushPlan brush = planBrush(m_state.brush, Rop2::CopyPen);
    m_pass = area;
    // Seeds: one pixel of a run still to fill. A run is pushed once from
    // each filled span beside it, so there are never more seeds than twice
    // the runs of the area.
    std::vector<QPoint> seeds{s};
    while (!seeds.empty()) {
        const QPoint p = seeds.back();
        seeds.pop_back();
        if (!open(p.x(), p.y()))
            continue;
        int left = p.x();
        int right = p.x() + 1;
        while (left > area.left && open(left - 1, p.y()))
            --left;
        while (right < area.right && open(right, p.y()))
            ++right;
        for (int x = left; x < right; ++x)
            taken.set(x, p.y());
        fillSpan(p.y(), left, right, brush);
        for (const int y : {p.y() - 1, p.y() + 1}) {
            if (y < area.top || y >= area.bottom)
                continue;
            bool inRun = false;
            for (int x = left; x < right; ++x) {
                const bool o = open(x, y);
                if (o && !inRun)
                    seeds.emplace_back(x, y);
                inRun = o;
            }
        }
    }
    m_pass = {};
    return true;
}

} // namespace lumeria::gdi
