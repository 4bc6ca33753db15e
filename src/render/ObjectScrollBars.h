#pragma once

#include "document/Objects.h"
#include "platform/gdi/Rect.h"

#include <unordered_map>

namespace lumeria {

enum class ScrollBarSide { Left, Right, Top, Bottom };

// The state of one object scroll bar. The widget that shows it and reacts to
// the mouse lives in the window layer and reads and writes this model.
struct ObjectScrollBar {
    static constexpr int kThickness = 16;

    bool visible = false;
    ScrollBarSide side = ScrollBarSide::Right;
    int thickness = kThickness;
    int range = 0;    // pixels of content along the bar
    int page = 0;     // pixels of content shown at once
    int position = 0; // first content pixel shown, 0..range - page
    int unit = 1;     // pixels per arrow step
    gdi::Rect rect;   // page coordinates, empty when hidden

    int maxPosition() const { return range > page ? range - page : 0; }
};

struct ObjectScrollBars {
    ObjectScrollBar vertical;
    ObjectScrollBar horizontal;

    void hide()
    {
        vertical.visible = false;
        vertical.rect = {};
        horizontal.visible = false;
        horizontal.rect = {};
    }
};

// Which bars an object asks for and on which sides.
struct ScrollBarLayout {
    uint8_t WindowFlags = 0;
    uint8_t VScrollPos = 0;
    uint8_t HScrollPos = 0;
};

// Shows or hides the bars as the layout asks, places them inside the inner
// rectangle, sets their ranges and clamps their positions. Returns the inner
// rectangle less the visible bars.
gdi::Rect layoutScrollBars(ObjectScrollBars& bars, const ScrollBarLayout& layout, const gdi::Rect& inner,
                           int contentWidth, int contentHeight);

// The bars of every article and picture of the pages shown, keyed by the
// object; objects are held by pointer for their whole life, so the key stays
// valid while the page exists.
class ScrollBarStore {
public:
    ObjectScrollBars& of(const Object_Rec& object) { return m_bars[&object]; }
    const ObjectScrollBars* find(const Object_Rec& object) const;
    void forget(const Object_Rec& object) { m_bars.erase(&object); }
    void clear() { m_bars.clear(); }

private:
    std::unordered_map<const Object_Rec*, ObjectScrollBars> m_bars;
};

} // namespace lumeria
