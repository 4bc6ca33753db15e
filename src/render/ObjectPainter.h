#pragma once

#include "document/Objects.h"
#include "platform/gdi/Rect.h"
#include "render/PaintContext.h"

#include <QPoint>
#include <QSize>

namespace lumeria {

namespace gdi {
class Canvas;
}

struct ObjectScrollBars;

enum class PicturePaint {
    // Scroll bars laid out and, for a missing picture, the placeholder drawn.
    Full,
    // Only the picture's pixels, as a moved scroll bar repaints them.
    ContentsOnly,
};

enum class ScrollBarPaint { Paint, Keep };

// Paints the objects of a page on a canvas, one at a time, in the order the
// page lists them. The page origin is added to every object coordinate.
// Each entry point leaves the canvas state as it found it. The painter keeps
// references to the canvas and the context, which must outlive it.
class ObjectPainter {
public:
    ObjectPainter(gdi::Canvas& canvas, const PaintContext& context) : m_canvas(canvas), m_context(context) {}

    void paintObject(QPoint origin, const Object_Rec& object);
    void paintArticleFrame(QPoint origin, const Object_Rec& object, ScrollBarPaint bars);
    void paintPicture(QPoint origin, const Object_Rec& object, PicturePaint mode);
    void paintButton(QPoint origin, const Object_Rec& object);
    // White inside, a black outline and both diagonals: where a picture
    // that cannot be loaded would be. The rectangle is in canvas coordinates.
    void paintMissingPicture(const gdi::Rect& r);

    // Whether an object's rectangle meets the canvas clip at that origin;
    // the cheap test that keeps objects outside a repaint from costing more.
    bool meetsClip(QPoint origin, const Object_Rec& object) const;

private:
    void setUpFill(const Object_Rec& object);
    void setUpOutline(const Object_Rec& object);
    void drawFrameShape(const Object_Rec& object);
    void drawLine(const Object_Rec& object);
    void drawText(const Object_Rec& object);

    // Inside the page translation (ButtonPainter.cpp).
    void drawButton(const Object_Rec& object);
    void drawPushButton(const Object_Rec& object, const Button_Rec& button);
    void drawEditField(const Object_Rec& object, const Button_Rec& button);
    void drawCheckOrRadio(const Object_Rec& object, const Button_Rec& button);
    void drawButtonImage(const Object_Rec& object, const Button_Rec& button, const DecodedPicture& picture,
                         const gdi::Rect& place);

    // Inside the page translation (PicturePainter.cpp).
    void drawPicture(const Object_Rec& object, PicturePaint mode);
    void drawArticleFrame(const Object_Rec& object, ScrollBarPaint bars);
    ObjectScrollBars* scrollBarsOf(const Object_Rec& object);

    gdi::Canvas& m_canvas;
    const PaintContext& m_context;
};

// The largest rectangle at the box's top-left corner with the picture's
// proportions: a whole number of pixels wide, its height the width divided
// by the picture's width/height ratio (rounded to the nearest pixel).
gdi::Rect aspectFit(const gdi::Rect& box, QSize picture);

} // namespace lumeria
