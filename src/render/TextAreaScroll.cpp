#include "render/TextAreaScroll.h"
#include "render/PageLayout.h"

#include "platform/gdi/Canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace lumeria {

TextScrollPlan planTextScroll(const TextScrollChange& change, const gdi::Rect& textArea)
{
    const int64_t delta = int64_t(change.newPosition) - change.oldPosition;
    if (delta == 0 || textArea.isEmpty())
        return {};
    if (change.axis == ScrollAxis::Vertical) {
        if ((delta == 1 || delta == -1) && change.lineHeight > 0 && change.lineHeight < textArea.height()) {
            // Moving down the text lifts the pixels by the line's height. A
            // line as tall as the area would uncover all of it: see below.
            return {TextScrollKind::Scroll, 0, delta > 0 ? -change.lineHeight : change.lineHeight};
        }
        return {TextScrollKind::Whole, 0, 0};
    }
    const int64_t distance = delta * change.unit;
    if (distance != 0 && std::llabs(distance) < textArea.width())
        return {TextScrollKind::Scroll, int(-distance), 0};
    return {TextScrollKind::Whole, 0, 0};
}

TextScrollChange barChange(ScrollAxis axis, const ObjectScrollBar& bar, int oldPosition)
{
    // Horizontal positions of the model are pixels already.
    if (axis == ScrollAxis::Horizontal)
        return {axis, oldPosition, bar.position, 1, 0};
    const int64_t delta = int64_t(bar.position) - oldPosition;
    if (delta == 0)
        return {axis, 0, 0, bar.unit, 0};
    if (bar.unit > 0 && (delta == bar.unit || delta == -bar.unit))
        return {axis, 0, delta > 0 ? 1 : -1, bar.unit, bar.unit};
    // Anything but one step: two lines stand for every such move.
    return {axis, 0, 2, bar.unit, 0};
}

gdi::Rect articleTextArea(const Object_Rec& object, const ObjectScrollBars* bars)
{
    gdi::Rect r = objectInterior(object);
    if (bars && bars->vertical.visible) {
        if (bars->vertical.side == ScrollBarSide::Left)
            r.left += bars->vertical.thickness;
        else
            r.right -= bars->vertical.thickness;
    }
    if (bars && bars->horizontal.visible) {
        if (bars->horizontal.side == ScrollBarSide::Top)
            r.top += bars->horizontal.thickness;
        else
            r.bottom -= bars->horizontal.thickness;
    }
    return r.isEmpty() ? gdi::Rect{} : r;
}

void scrollTextArea(gdi::Canvas& canvas, const gdi::Rect& textArea, const TextScrollChange& change,
                    const std::function<void(const gdi::Region&)>& repaint)
{
    const TextScrollPlan plan = planTextScroll(change, textArea);
    gdi::Region dirty;
    switch (plan.kind) {
    case TextScrollKind::None: return;
    case TextScrollKind::Scroll: dirty = canvas.scroll(textArea, plan.dx, plan.dy); break;
    case TextScrollKind::Whole: dirty = gdi::Region(textArea); break;
    }
    if (!dirty.isEmpty() && repaint)
        repaint(dirty);
}

} // namespace lumeria
