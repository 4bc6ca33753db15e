#pragma once

#include <QImage>
#include <QPoint>

#include <cstddef>
#include <optional>
#include <span>

namespace lumeria {

// A cursor ready for the window system: its picture with its alpha mask, and
// the pixel that is the pointer's position.
struct CursorImage {
    QImage image;
    QPoint hotspot;
};

// Reads a .CUR cursor (its hotspot from the chosen image's directory
// entry), an .ICO icon used as a cursor (hotspot at its centre, as Windows
// gives one), or the first frame of an .ANI animated cursor. Nothing for
// anything else or for damaged files.
std::optional<CursorImage> decodeCursor(std::span<const std::byte> bytes);

} // namespace lumeria
