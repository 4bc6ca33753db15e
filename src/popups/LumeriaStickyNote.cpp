#include "popups/LumeriaStickyNote.h"

#include "platform/gdi/Canvas.h"

namespace lumeria {

TLumeriaStickyNote::TLumeriaStickyNote(QWidget* parent) : PopupControl(parent)
{
    resize(65, 17);
}

void TLumeriaStickyNote::setBackgroundColor(gdi::ColorRef value)
{
    m_backgroundColor = value;
    update();
}

void TLumeriaStickyNote::setXOffset(int value)
{
    m_xOffset = value;
    update();
}

void TLumeriaStickyNote::setYOffset(int value)
{
    m_yOffset = value;
    update();
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
    canvas.setBrush(gdi::Brush::solid(m_backgroundColor));
    canvas.drawRectangle(note);

    const gdi::Rect shadow{client.left + 4, note.bottom, client.right - 4, client.bottom};
    canvas.fillRect(shadow, gdi::Brush::solid(gdi::systemColour(gdi::SystemColour::ButtonShadow)));

    const gdi::Rect textBox{note.left + m_xOffset, note.top + m_yOffset, note.right - m_xOffset,
                            note.bottom - m_yOffset};
    drawCaption(canvas, textBox);
}

} // namespace lumeria
