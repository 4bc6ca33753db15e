#pragma once

#include "document/TextWrap.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Rect.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace lumeria {

namespace gdi {
class Canvas;
}

using SubstituteText = std::function<QString(const QString&)>;

// A block of text as texts, buttons and check-box labels carry it: "|"
// separates lines, variables are expanded before layout.
struct TextBlock {
    QString text;
    QString font;
    int32_t fontSize = 0; // points
    uint8_t fontStyle = 0;
    gdi::ColorRef colour = 0;
    uint8_t align = 0; // 2 centred, 4 right, anything else left
    TextWrap wrap = TextWrap::None;
};

struct TextBlockSize {
    int width = 0;  // the widest line
    int height = 0; // every line at least one line height
};

// The publication's font of a text, a button or an article. Sizes beyond any
// screen are limited so that a bad size costs nothing.
gdi::Font objectFont(const QString& face, int32_t points, uint8_t fontStyle);

// Both select the block's font into the canvas. The width is the box width
// lines are wrapped to when the block wraps.
TextBlockSize measureTextBlock(gdi::Canvas& canvas, const TextBlock& block, int boxWidth,
                               const SubstituteText& substitute);
void paintTextBlock(gdi::Canvas& canvas, const gdi::Rect& box, const TextBlock& block,
                    const SubstituteText& substitute);

// Floor division by a positive divisor: halves and centring stay on the same
// pixel grid for boxes left of or above the origin.
inline int floorDiv(int n, int d)
{
    return n >= 0 ? n / d : -((-n + d - 1) / d);
}

} // namespace lumeria
