#pragma once

#include "platform/gdi/Rect.h"

#include <optional>
#include <vector>

namespace lumeria::gdi {

// Where the reference point sits on the text, as SetTextAlign sets it.
enum class TextHorizontalAlign { Left, Centre, Right };
enum class TextVerticalAlign { Top, Baseline, Bottom };

// ExtTextOut's choices beyond the text itself. Distances are device pixels.
struct ExtTextOptions {
    TextHorizontalAlign align = TextHorizontalAlign::Left;
    TextVerticalAlign verticalAlign = TextVerticalAlign::Top;
    // Distance from each character's origin to the next; characters past
    // the end of the list take the font's advance.
    std::vector<int> advances;
    // SetTextCharacterExtra: added to every character's advance.
    int characterExtra = 0;
    // SetTextJustification: breakExtra pixels shared among the break
    // characters (spaces), the first ones taking the remainder.
    int breakExtra = 0;
    int breakCount = 0;
    // Tenths of a degree, counter-clockwise from the x axis.
    int escapement = 0;
    // Filled with the background colour before the text, whatever the
    // background mode.
    std::optional<Rect> opaque;
    // The text shows only inside this rectangle.
    std::optional<Rect> clip;
};

} // namespace lumeria::gdi
