#pragma once

#include "input/InteractionHost.h"

#include <QCursor>
#include <QString>

namespace lumeria {

class Container;

// The two cursors a publication may bring; the I-beam is the system's.
struct PlayerCursors {
    QCursor application{Qt::ArrowCursor};
    QCursor hotspot;

    QCursor cursor(WorkAreaCursor which) const;
};

// The application cursor from the file APPCURSOR= names, else the arrow;
// the hotspot cursor from HOTSPOTCURSOR=, else the pointing hand. A file
// that is missing or damaged falls back silently.
PlayerCursors loadPlayerCursors(const Container& container, const QString& appCursor, const QString& hotspotCursor);

// The player's own pointing hand ("CHANDPOINT"), pointing with the tip of
// its index finger.
QCursor handPointCursor();

} // namespace lumeria
