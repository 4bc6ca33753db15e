#pragma once

#include "platform/gdi/Brush.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Pen.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Rop.h"

#include <QPoint>

#include <memory>
#include <vector>

namespace lumeria::gdi {

enum class BackgroundMode { Transparent, Opaque };
// How a shrinking stretch merges the source pixels that fall on one
// destination pixel, numbered as SetStretchBltMode numbers them: AND
// (BLACKONWHITE), OR (WHITEONBLACK), or one of them (COLORONCOLOR;
// HALFTONE's averaging is drawn so too).
enum class StretchMode { AndScans = 1, OrScans = 2, DeleteScans = 3, Halftone = 4 };

// Everything a Windows device context carries that changes how drawing looks.
// A plain value: Canvas keeps a stack of them.
struct DcState {
    Pen pen;
    Brush brush;
    Rop2 rop2 = Rop2::CopyPen;
    ColorRef textColour = rgb(0, 0, 0);
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    ColorRef backgroundColour = rgb(255, 255, 255);
    Region clip; // device coordinates; only ever narrows
    Font font;
    QPoint origin;          // added to every logical coordinate
    QPoint currentPosition; // logical; where lineTo starts
    QPoint brushOrigin;     // device; where pattern brushes start
    // SetMiterLimit: how far a mitred join may reach, in half pen widths.
    double miterLimit = 10.0;
    // The selected logical palette's entries, which PALETTEINDEX colours
    // name; none: the default palette (kDefaultPalette).
    std::shared_ptr<const std::vector<ColorRef>> palette;
    StretchMode stretchMode = StretchMode::AndScans;
};

} // namespace lumeria::gdi
