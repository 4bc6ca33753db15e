#include "popups/LumeriaStickyNote.h"

#include "platform/gdi/Canvas.h"

namespace lumeria {

TLumeriaStickyNote::TLumeriaStickyNote(QWidget* parent) : PopupControl(parent)
{
    setBackgroundColor(gdi::rgb(255, 255, 0));
    setXOffset(8);
    setYOffset(8);
    resize(65, 17);
}

void TLumeriaStickyNote::setShadowSize(int value)
{
    m_shadowSize = value;
    update();
}

void TLumeriaStickyNote::paintShape(gdi::Canvas& canvas, const gdi::Rect& client)
{
    const gdi::Rect note{client.left, client.top, client.right, client.bottom - m_shadowSize};
    canvas.setPen(gdi::Pen::solid(gdi::rgb(0, 0, 0)));
    canvas.setBrush(gdi::Brush::solid(backgroundColor()));
    canvas.drawRectangle(note);

    const gdi::Rect shadow{client.left + 4, note.bottom, client.right - 4, client.bottom};
    canvas.fillRect(shadow, gdi::Brush::solid(gdi::systemColour(gdi::SystemColour::ButtonShadow)));

    drawCaption(canvas, textBox(note));
}

} // namespace lumeria
