#include "popups/PopupPlacement.h"

namespace lumeria {

namespace {

// The offset rule of notes: past the screen's far edge it is pulled back,
// below zero it becomes zero.
int clampNoteOffset(int offset, int extent, int screenExtent)
{
    if (offset + extent > screenExtent)
        return screenExtent - extent;
    if (offset < 0)
        return 0;
    return offset;
}

} // namespace

BalloonPlacement placeBalloon(QPoint asked, QSize client, const gdi::Rect& screen, QPoint pointer)
{
    const int x = asked.x() == -1 ? pointer.x() : asked.x();
    const int y = asked.y() == -1 ? pointer.y() : asked.y();
    const int width = client.width();
    const int height = client.height();

    BalloonPlacement place;
    int top = y - height;
    if (top < screen.top) {
        place.stemPos = TBalloonStemPos::spTop;
        top = y;
    } else if (top + height > screen.bottom) {
        top = screen.bottom - height;
    }

    int left = x - width / 2;
    if (left + width > screen.right)
        left = screen.right - width;
    else if (left < screen.left)
        left = screen.left;

    place.topLeft = QPoint(left, top);
    place.stemOffset = x - left - width / 2;
    return place;
}

QPoint placeStickyNote(const gdi::Rect& reference, int x, int y, QSize client, const gdi::Rect& screen)
{
    int a = x;
    int b = y;
    if (a == -1)
        a = reference.width() / 2 - client.width() / 2;
    if (b == -1)
        b = reference.height() / 2 - client.height() / 2;
    b = clampNoteOffset(b, client.height(), screen.height());
    a = clampNoteOffset(a, client.width(), screen.width());
    return {reference.left + a, reference.top + b};
}

QPoint placePopupImage(const gdi::Rect& reference, int x, int y, QSize client)
{
    int a = x;
    int b = y;
    if (a == -1)
        a = (reference.width() - client.width()) / 2;
    if (b == -1)
        b = (reference.height() - client.height()) / 2;
    return {reference.left + a, reference.top + b};
}

QPoint keepOnScreenRightBottom(QPoint topLeft, QSize client, const gdi::Rect& screen)
{
    QPoint p = topLeft;
    if (p.x() + client.width() > screen.right)
        p.setX(screen.right - client.width());
    if (p.y() + client.height() > screen.bottom)
        p.setY(screen.bottom - client.height());
    return p;
}

} // namespace lumeria
