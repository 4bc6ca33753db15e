#pragma once

#include "platform/gdi/Rect.h"

#include <QPoint>
#include <QSize>

namespace lumeria {

// The side of a balloon's body its stem points out from.
enum class TBalloonStemPos { spLeft, spTop, spRight, spBottom };

// Where a balloon goes and how its stem must be set so its tip stays on the
// point asked for.
struct BalloonPlacement {
    QPoint topLeft;
    TBalloonStemPos stemPos = TBalloonStemPos::spBottom;
    int stemOffset = 0;
};

// x or y of -1 take the pointer's position on that axis. The balloon sits
// above the point with its stem down, and flips below the point (stem up)
// only when it would leave the top of the screen.
BalloonPlacement placeBalloon(QPoint asked, QSize client, const gdi::Rect& screen, QPoint pointer);

// Offsets are relative to the reference rectangle; -1 centres on that axis.
// The offsets themselves are held between 0 and the screen's extent, so a
// note larger than its reference meets the reference's corner instead of
// spilling to its left or above it.
QPoint placeStickyNote(const gdi::Rect& reference, int x, int y, QSize client, const gdi::Rect& screen);

// x and y are relative to the reference rectangle's corner; -1 centres the
// picture on the reference (never on the screen) on that axis.
QPoint placePopupImage(const gdi::Rect& reference, int x, int y, QSize client);

// Every pop-up is pulled back onto the screen at its right and bottom edges
// before it shows; the left and top are left to the caller's rules.
QPoint keepOnScreenRightBottom(QPoint topLeft, QSize client, const gdi::Rect& screen);

} // namespace lumeria
