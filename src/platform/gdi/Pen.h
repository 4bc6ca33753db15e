#pragma once

#include "platform/gdi/Brush.h"
#include "platform/gdi/Colour.h"

#include <optional>

namespace lumeria::gdi {

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null };
// How a wide pen ends an open figure and meets itself at a vertex
// (PS_ENDCAP_* and PS_JOIN_*); round is what a plain pen does.
enum class PenCap { Round, Square, Flat };
enum class PenJoin { Round, Bevel, Mitre };

// A GDI pen. Width 0 and 1 are cosmetic one-pixel pens and honour the dash
// style; from width 2 a plain pen is solid and closed figures keep it inside
// their frame (PS_INSIDEFRAME), which is how the player's objects use it.
// A geometric pen (ExtCreatePen's PS_GEOMETRIC, or a pen with an end cap or
// join of its own) outlines lines and polylines as Windows fills them: its
// area is built from segments, caps and joins and painted once, with its
// brush when it has one (a pattern takes the DC's colours as a brush does).
struct Pen {
    PenStyle style = PenStyle::Solid;
    int width = 1;
    ColorRef colour = 0;
    bool geometric = false;
    PenCap cap = PenCap::Round;
    PenJoin join = PenJoin::Round;
    std::optional<Brush> brush = std::nullopt;

    static Pen none() { return {PenStyle::Null, 0, 0}; }
    static Pen solid(ColorRef colour, int width = 1) { return {PenStyle::Solid, width, colour}; }
    static Pen styled(PenStyle style, ColorRef colour) { return {style, 1, colour}; }
    static Pen geometricPen(PenStyle style, int width, ColorRef colour, PenCap cap, PenJoin join)
    {
        Pen p{style, width, colour};
        p.geometric = true;
        p.cap = cap;
        p.join = join;
        return p;
    }
    static Pen geometricPen(PenStyle style, int width, const Brush& brush, PenCap cap, PenJoin join)
    {
        Pen p = geometricPen(style, width, brush.colour, cap, join);
        if (brush.style == BrushStyle::Null)
            return none();
        if (brush.style != BrushStyle::Solid)
            p.brush = brush;
        return p;
    }

    bool isNull() const { return style == PenStyle::Null; }
    bool isWide() const { return !isNull() && width >= 2; }
    // Drawn as an area (segments, caps and joins) rather than as a line walk
    // or a round tip swept along the path.
    bool isGeometric() const
    {
        return !isNull() && (geometric || (isWide() && (cap != PenCap::Round || join != PenJoin::Round)));
    }

    friend bool operator==(const Pen&, const Pen&) = default;
};

} // namespace lumeria::gdi
