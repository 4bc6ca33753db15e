#include "popups/PopupControl.h"

#include "platform/gdi/Canvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumeria {

PopupControl::PopupControl(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    remeasure();
}

void PopupControl::setCaption(const QString& text)
{
    m_caption.text = text;
    remeasure();
    update();
}

void PopupControl::setPopupFont(const gdi::Font& font)
{
    m_caption.font = font;
    remeasure();
    update();
}

void PopupControl::setAlignment(gdi::HorizontalAlign alignment)
{
    m_caption.alignment = alignment;
    update();
}

void PopupControl::setColor(gdi::ColorRef color)
{
    m_color = color;
    update();
}

void PopupControl::setBackgroundColor(gdi::ColorRef value)
{
    m_backgroundColor = value;
    update();
}

void PopupControl::setXOffset(int value)
{
    m_xOffset = value;
    update();
}

void PopupControl::setYOffset(int value)
{
    m_yOffset = value;
    update();
}

void PopupControl::remeasure()
{
    m_textHeight = measureTextHeight(m_caption.font, m_caption.text, width());
}

void PopupControl::paintOn(gdi::Canvas& canvas)
{
    m_caption.enabled = isEnabled();
    const gdi::Rect client{0, 0, width(), height()};
    canvas.fillRect(client, gdi::Brush::solid(m_color));
    paintShape(canvas, client);
}

void PopupControl::drawCaption(gdi::Canvas& canvas, const gdi::Rect& box) const
{
    drawPopupCaption(canvas, box, m_textHeight, m_caption);
}

void PopupControl::paintEvent(QPaintEvent*)
{
    // A text too long for any screen can ask for a control no surface may
    // hold; then there is nothing to show rather than a failed allocation.
    gdi::Surface surface(width(), height());
    if (surface.isNull())
        return;
    gdi::Canvas canvas(surface);
    paintOn(canvas);
    QPainter painter(this);
    painter.drawImage(0, 0, surface.image());
}

void PopupControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    remeasure();
}

void PopupControl::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        update();
}

void PopupControl::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void PopupControl::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release both on the control.
    const bool inside = rect().contains(event->position().toPoint());
    if (m_pressed && event->button() == Qt::LeftButton && inside)
        emit clicked();
    m_pressed = false;
}

} // namespace lumeria
