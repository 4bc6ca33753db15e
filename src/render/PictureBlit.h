#pragma once

#include "platform/gdi/Colour.h"
#include "platform/gdi/Rect.h"
#include "platform/image/DecodedPicture.h"

namespace lumeria {

namespace gdi {
class Canvas;
}

enum class PictureDrawing {
    Plain,
    // A bitmap leaves out its key colour; an icon is always drawn through
    // its alpha mask.
    Transparent,
};

// Draws the picture stretched to the target (at its own size when the sizes
// agree), within the canvas clip. Only the visible part of the target is
// ever built, so a picture stretched over an absurd rectangle costs no more
// than the pixels on the surface.
void blitPicture(gdi::Canvas& canvas, const DecodedPicture& picture, const gdi::Rect& target, PictureDrawing drawing);

// Draws a bitmap with its key colour replaced by a solid colour: a
// transparent image on a button face of one colour.
void blitPictureOnColour(gdi::Canvas& canvas, const DecodedPicture& picture, const gdi::Rect& target,
                         gdi::ColorRef background);

} // namespace lumeria
