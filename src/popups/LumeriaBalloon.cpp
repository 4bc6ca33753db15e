#include "popups/LumeriaBalloon.h"

#include "platform/gdi/Canvas.h"

#include <array>

namespace lumeria {

TLumeriaBalloon::TLumeriaBalloon(QWidget* parent) : PopupControl(parent)
{
    setBackgroundColor(gdi::rgb(255, 255, 255));
    setXOffset(5);
    setYOffset(3);
    resize(65, 17);
}

void TLumeriaBalloon::setCornerSize(int value)
{
    m_cornerSize = value;
    update();
}

void TLumeriaBalloon::setStemPos(TBalloonStemPos value)
{
    m_stemPos = value;
    update();
}

void TLumeriaBalloon::setStemSize(int value)
{
    m_stemSize = value;
    update();
}

void TLumeriaBalloon::setStemWidth(int value)
{
    m_stemWidth = value;
    update();
}

void TLumeriaBalloon::setStemOffset(int value)
{
    m_stemOffset = value;
    update();
}

gdi::Rect TLumeriaBalloon::bodyRect() const
{
    gdi::Rect body{0, 0, width(), height()};
    switch (m_stemPos) {
    case TBalloonStemPos::spLeft: body.left += m_stemSize; break;
    case TBalloonStemPos::spTop: body.top += m_stemSize; break;
    case TBalloonStemPos::spRight: body.right -= m_stemSize; break;
    case TBalloonStemPos::spBottom: body.bottom -= m_stemSize; break;
    }
    return body;
}

void TLumeriaBalloon::paintShape(gdi::Canvas& canvas, const gdi::Rect& client)
{
    const gdi::Rect body = bodyRect();
    canvas.setPen(gdi::Pen::solid(gdi::rgb(0, 0, 0)));
    canvas.setBrush(gdi::Brush::solid(backgroundColor()));
    canvas.drawRoundRect(body, m_cornerSize, m_cornerSize);
    drawStem(canvas, client);

    drawCaption(canvas, textBox(body));
}

void TLumeriaBalloon::drawStem(gdi::Canvas& canvas, const gdi::Rect& client) const
{
    const int mx = client.left + client.width() / 2 + m_stemOffset;
    const int my = client.top + client.height() / 2 + m_stemOffset;
    const int s = m_stemSize;
    const int w = m_stemWidth;
    const int l = client.left;
    const int t = client.top;
    const int r = client.right;
    const int b = client.bottom;

    // The base sits on the body's outline (the right and bottom sides one
    // pixel in, as exclusive edges put that outline there).
    std::array<QPoint, 3> stem;
    switch (m_stemPos) {
    case TBalloonStemPos::spLeft: stem = {QPoint(l, my), QPoint(l + s, my - w), QPoint(l + s, my + w)}; break;
    case TBalloonStemPos::spTop: stem = {QPoint(mx, t), QPoint(mx - w, t + s), QPoint(mx + w, t + s)}; break;
    case TBalloonStemPos::spRight: stem = {QPoint(r, my), QPoint(r - s - 1, my - w), QPoint(r - s - 1, my + w)}; break;
    case TBalloonStemPos::spBottom:
        stem = {QPoint(mx, b - 1), QPoint(mx - w, b - s - 1), QPoint(mx + w, b - s - 1)};
        break;
    }
    canvas.setPen(gdi::Pen::solid(gdi::rgb(0, 0, 0)));
    canvas.setBrush(gdi::Brush::solid(backgroundColor()));
    canvas.drawPolygon(stem);

    // Redrawing the base in the fill colour opens the stem into the body.
    canvas.setPen(gdi::Pen::solid(backgroundColor()));
    canvas.drawLine(stem[1], stem[2]);
}

} // namespace lumeria
