#include "render/TextAreaScroll.h"

#include "platform/gdi/Canvas.h"

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
            // Moving down the text lifts the pixels by the line's height.
            return {TextScrollKind::Scroll, 0, delta > 0 ? -change.lineHeight : change.lineHeight};
        }
        return {TextScrollKind::Whole, 0, 0};
    }
    const int64_t distance = delta * change.unit;
    if (distance != 0 && std::llabs(distance) < textArea.width())
        return {TextScrollKind::Scroll, int(-distance), 0};
    return {TextScrollKind::Whole, 0, 0};
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
