#pragma once

#include "document/Objects.h"
#include "platform/gdi/Rect.h"
#include "platform/gdi/Region.h"
#include "render/ObjectScrollBars.h"

#include <functional>

namespace lumeria {

namespace gdi {
class Canvas;
}

enum class ScrollAxis { Vertical, Horizontal };

// A scroll bar of an article that changed position, with what the text
// engine knows about the move. A vertical bar's positions count lines here,
// so one step is a change of exactly one.
struct TextScrollChange {
    ScrollAxis axis = ScrollAxis::Vertical;
    int oldPosition = 0;
    int newPosition = 0;
    // Pixels per position of a horizontal bar.
    int unit = 1;
    // Height of the line a one-step vertical move brings into view.
    int lineHeight = 0;
};

enum class TextScrollKind {
    None,   // the bar did not move
    Scroll, // move the pixels by (dx, dy) and repaint what is uncovered
    Whole,  // repaint the whole text area
};

struct TextScrollPlan {
    TextScrollKind kind = TextScrollKind::None;
    int dx = 0;
    int dy = 0;
};

// Moving pixels is only worth it for one line down or up, or for a sideways
// move shorter than the area is wide; anything else leaves little of the old
// picture on screen and repaints the whole area.
TextScrollPlan planTextScroll(const TextScrollChange& change, const gdi::Rect& textArea);

// The change of a bar of the scroll bar model, whose positions are pixels.
// The vertical bar steps by its unit (the article's tallest line): a move of
// exactly one unit is one line of that height, and any other vertical move
// is expressed so that it repaints the whole area. Horizontal moves keep
// their pixel distance.
TextScrollChange barChange(ScrollAxis axis, const ObjectScrollBar& bar, int oldPosition);

// Where an article's text is drawn, in page coordinates: the object's
// rectangle inset by its LineWidth, less the visible bars.
gdi::Rect articleTextArea(const Object_Rec& object, const ObjectScrollBars* bars);

// Carries the plan out on the canvas: scrolls the pixels of the text area
// (in the canvas's logical coordinates) and hands the region left to paint,
// the uncovered strip or the whole area, to repaint. The repaint callback
// is expected to clip to the region and paint the object again.
void scrollTextArea(gdi::Canvas& canvas, const gdi::Rect& textArea, const TextScrollChange& change,
                    const std::function<void(const gdi::Region&)>& repaint);

} // namespace lumeria
