#pragma once

#include "platform/gdi/DrawTextOptions.h"
#include "platform/gdi/Font.h"

#include <QSize>
#include <QString>

namespace lumeria {

namespace gdi {
class Canvas;
}

// What the balloon and the note share: the text they show, measured and
// drawn the same way.
struct PopupCaption {
    QString text;
    gdi::Font font; // the System font: bold sans serif, 13 pixels
    gdi::HorizontalAlign alignment = gdi::HorizontalAlign::Left;
    bool enabled = true;
};

// The size an auto-sized label takes for the text: lines break only at line
// ends, the widest line gives the width. An empty text measures as one space,
// so an empty pop-up still has one line's height.
QSize measureLabel(const gdi::Font& font, const QString& text);

// The height of the text broken into words over the width.
int measureTextHeight(const gdi::Font& font, const QString& text, int width);

// Draws the caption in the box, the block of lines centred vertically by the
// measured height and each line aligned on its own; no fill behind it.
void drawPopupCaption(gdi::Canvas& canvas, const gdi::Rect& box, int measuredHeight, const PopupCaption& caption);

} // namespace lumeria
