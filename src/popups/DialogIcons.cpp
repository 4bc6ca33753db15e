#include "popups/DialogIcons.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace lumeria {

namespace {

void drawSymbol(QPainter& p, const QRect& r, const QString& symbol, const QColor& colour)
{
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, symbol);
}

void drawLock(QPainter& p, bool open)
{
    p.setPen(QPen(QColor(64, 64, 64), 3));
    p.setBrush(Qt::NoBrush);
    // The shackle: an arch over the body, lifted and turned aside when open.
    const QRect shackle = open ? QRect(14, 2, 12, 16) : QRect(9, 4, 14, 16);
    p.drawArc(shackle, 0, 180 * 16);
    p.drawLine(shackle.left(), shackle.center().y(), shackle.left(), open ? 12 : 15);
    p.drawLine(shackle.right() + 1, shackle.center().y(), shackle.right() + 1, 15);
    p.setPen(QPen(QColor(96, 64, 0), 1));
    p.setBrush(QColor(224, 176, 32));
    p.drawRect(QRect(5, 15, 22, 15));
    p.setBrush(Qt::black);
    p.drawEllipse(QRect(14, 19, 4, 4));
    p.drawRect(QRect(15, 22, 2, 5));
}

} // namespace

QPixmap dialogIcon(DialogIcon which)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case DialogIcon::Question:
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1.5, 1.5, 28, 28));
        drawSymbol(p, QRect(1, 1, 29, 29), QStringLiteral("?"), QColor(0, 0, 128));
        break;
    case DialogIcon::Alert: {
        QPainterPath triangle;
        triangle.moveTo(16, 2);
        triangle.lineTo(30, 29);
        triangle.lineTo(2, 29);
        triangle.closeSubpath();
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(255, 255, 0));
        p.drawPath(triangle);
        drawSymbol(p, QRect(2, 8, 28, 22), QStringLiteral("!"), Qt::black);
        break;
    }
    case DialogIcon::LockClosed: drawLock(p, false); break;
    case DialogIcon::LockOpen: drawLock(p, true); break;
    }
    return pixmap;
}

} // namespace lumeria
