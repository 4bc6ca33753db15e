#pragma once

#include "container/ByteSource.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/Rect.h"
#include "text/HyperLink.h"

namespace lumeria::gdi {
class Canvas;
}

namespace lumeria::text {

// The painter's option bits, as callers combine them.
namespace paintoption {
inline constexpr int kFreeLinks = 1;      // empty the link list before painting
inline constexpr int kSequential = 2;     // reach the first line by reading, not seeking
inline constexpr int kFromDisk = 2 | 4;   // the text is a disk file (the caller opens it)
inline constexpr int kWholeLinesOnly = 8; // draw only lines that fit wholly
} // namespace paintoption

struct TextPaintRequest {
    gdi::Rect rect; // where the text goes, canvas coordinates
    int options = 0;
    int firstLine = 0;
    int offset = 0; // horizontal scroll, pixels
    gdi::ColorRef background = 0;
    gdi::ColorRef textColour = 0;
};

struct TextPaintResult {
    int linesShown = 0;      // lines whose bottom is within the rectangle
    int firstLineHeight = 0; // the first line drawn, 0 when none was
    int lineAboveHeight = 0; // the line before the first, 0 when there is none
};

// Draws a formatted text from a given line into a rectangle with the
// canvas's current font as the object's font, and rebuilds the link list.
// recordLength caches the length of one line plus its CR LF for seeking;
// 0 means not known yet. The canvas state is left as found. A text that
// cannot be read paints nothing from where it failed.
TextPaintResult paintFormattedText(gdi::Canvas& canvas, ByteSource& text, const TextPaintRequest& request,
                                   HyperLinkList& links, int& recordLength);

} // namespace lumeria::text
