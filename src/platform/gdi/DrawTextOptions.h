#pragma once

#include "platform/gdi/Rect.h"

namespace lumeria::gdi {

enum class HorizontalAlign { Left, Centre, Right };
// Vertical placement applies to single-line text only, as in DrawText.
enum class VerticalAlign { Top, Centre, Bottom };
enum class LineBreaking { WordBreak, NewlinesOnly, SingleLine };
enum class BoxClipping { Clip, NoClip };
enum class Tabs { Expand, Literal };
enum class TextMeasure { Draw, CalcRect };

// The DrawText flags the player uses. Prefix characters are never processed:
// '&' is literal text.
struct DrawTextOptions {
    HorizontalAlign align = HorizontalAlign::Left;
    VerticalAlign verticalAlign = VerticalAlign::Top;
    LineBreaking breaking = LineBreaking::WordBreak;
    BoxClipping clipping = BoxClipping::Clip;
    Tabs tabs = Tabs::Expand;
    TextMeasure measure = TextMeasure::Draw;
};

struct DrawTextResult {
    int height = 0; // height of the text drawn (or that would be drawn)
    Rect bounds;    // the box as DrawText's calc-rect mode leaves it
};

} // namespace lumeria::gdi
