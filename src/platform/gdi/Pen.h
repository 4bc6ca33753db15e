#pragma once

#include "platform/gdi/Colour.h"

namespace lumeria::gdi {

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null };

// A GDI pen. Width 0 and 1 are cosmetic one-pixel pens and honour the dash
// style; from width 2 the pen is solid and closed figures keep it inside
// their frame (PS_INSIDEFRAME), which is how the player's objects use it.
struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    ColorRef colour = 0;

    static Pen none() { return {PenStyle::Null, 0, 0}; }
    static Pen solid(ColorRef colour, int width = 1) { return {PenStyle::Solid, width, colour}; }
    static Pen styled(PenStyle style, ColorRef colour) { return {style, 1, colour}; }

    bool isNull() const { return style == PenStyle::Null; }
    bool isWide() const { return !isNull() && width >= 2; }

    friend bool operator==(const Pen&, const Pen&) = default;
};

} // namespace lumeria::gdi
