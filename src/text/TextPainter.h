#pragma once

#include "container/ByteSource.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/Rect.h"
#include "text/HyperLink.h"
#include "text/TextFonts.h"

#include <QPoint>
#include <QString>

#include <optional>

namespace lumeria::gdi {
class Canvas;
class Font;
} // namespace lumeria::gdi

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

// Where a formatted text is drawn. Every run is measured with the screen's
// metrics before it reaches a target, and a target only puts each run where
// it was measured to go: a printed line breaks and aligns where the same
// line does in an article, whatever the device draws glyphs with.
class TextTarget {
public:
    virtual ~TextTarget() = default;
    // Whether any part of r could show; lines that cannot are only parsed.
    virtual bool shows(const gdi::Rect& r) const = 0;
    // One run whose baseline starts at `at`. With a background, the run's
    // cell, `width` pixels as measured, is filled with it first; without
    // one the width is not measured and reads 0.
    virtual void drawRun(QPoint at, const QString& text, const TextFonts::Entry& font, int width, gdi::ColorRef colour,
                         std::optional<gdi::ColorRef> background) = 0;
    // The band under a link, drawn so it shows on the given background.
    virtual void drawLinkBand(const gdi::Rect& area, gdi::ColorRef background) = 0;
};

// Draws a formatted text from a given line into a rectangle with the
// canvas's current font as the object's font, and rebuilds the link list.
// recordLength caches the length of one line plus its CR LF for seeking;
// 0 means not known yet. The canvas state is left as found. A text that
// cannot be read paints nothing from where it failed.
TextPaintResult paintFormattedText(gdi::Canvas& canvas, ByteSource& text, const TextPaintRequest& request,
                                   HyperLinkList& links, int& recordLength);

// The same onto any target, with the object's font given.
TextPaintResult paintFormattedText(TextTarget& target, const gdi::Font& objectFont, ByteSource& text,
                                   const TextPaintRequest& request, HyperLinkList& links, int& recordLength);

} // namespace lumeria::text
