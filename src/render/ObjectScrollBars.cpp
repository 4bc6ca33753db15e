#include "render/ObjectScrollBars.h"

#include <algorithm>

namespace lumeria {

namespace {

constexpr uint8_t kVScrollLeft = 1;
constexpr uint8_t kHScrollTop = 8;

void setRange(ObjectScrollBar& bar, int range, int page)
{
    bar.range = std::max(0, range);
    bar.page = std::max(0, page);
    bar.position = std::clamp(bar.position, 0, bar.maxPosition());
}

} // namespace

gdi::Rect layoutScrollBars(ObjectScrollBars& bars, const ScrollBarLayout& layout, const gdi::Rect& inner,
                           int contentWidth, int contentHeight)
{
    ObjectScrollBar& v = bars.vertical;
    ObjectScrollBar& h = bars.horizontal;
    v.visible = (layout.WindowFlags & windowflags::kVerticalBar) != 0;
    h.visible = (layout.WindowFlags & windowflags::kHorizontalBar) != 0;
    v.side = layout.VScrollPos == kVScrollLeft ? ScrollBarSide::Left : ScrollBarSide::Right;
    h.side = layout.HScrollPos == kHScrollTop ? ScrollBarSide::Top : ScrollBarSide::Bottom;

    gdi::Rect content = inner;
    if (v.visible) {
        v.rect = v.side == ScrollBarSide::Left
                     ? gdi::Rect{inner.left, inner.top, inner.left + v.thickness, inner.bottom}
                     : gdi::Rect{inner.right - v.thickness, inner.top, inner.right, inner.bottom};
        if (v.side == ScrollBarSide::Left)
            content.left += v.thickness;
        else
            content.right -= v.thickness;
    } else {
        v.rect = {};
    }
    if (h.visible) {
        // The horizontal bar stops where the vertical one begins, so the two
        // leave the corner square to neither.
        h.rect = h.side == ScrollBarSide::Top
                     ? gdi::Rect{content.left, inner.top, content.right, inner.top + h.thickness}
                     : gdi::Rect{content.left, inner.bottom - h.thickness, content.right, inner.bottom};
        if (h.side == ScrollBarSide::Top)
            content.top += h.thickness;
        else
            content.bottom -= h.thickness;
        if (v.visible) {
            if (h.side == ScrollBarSide::Top)
                v.rect.top += h.thickness;
            else
                v.rect.bottom -= h.thickness;
        }
    } else {
        h.rect = {};
    }
    setRange(v, contentHeight, content.height());
    setRange(h, contentWidth, content.width());
    return content;
}

const ObjectScrollBars* ScrollBarStore::find(const Object_Rec& object) const
{
    const auto it = m_bars.find(&object);
    return it == m_bars.end() ? nullptr : &it->second;
}

} // namespace lumeria
