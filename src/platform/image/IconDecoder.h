#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <QPoint>
#include <QSize>

#include <cstddef>
#include <optional>
#include <span>

namespace lumeria {

// One image of an icon or cursor file, as its directory describes it.
struct IconEntry {
    int index = 0;
    // The size the directory gives (a byte of 0 means 256).
    QSize size;
    // Bits per pixel of the stored image; a PNG image counts as 32.
    int depth = 0;
    // A cursor's hotspot; meaningless for icons.
    QPoint hotspot;
    bool png = false;
    std::span<const std::byte> data;
};

// The image Windows shows for an icon or cursor file at the system icon size
// on a true-colour screen: the size nearest 32 by 32 (the sum of the width and
// height differences; of two equally near, the larger, which shrinks rather
// than grows), then of that size the colour depth nearest the screen's 32
// bits, then the first. Entries whose data lie outside the file are passed
// over. Nothing for a file that is not an icon or cursor directory.
std::optional<IconEntry> bestIconEntry(std::span<const std::byte> file);

// Reads an icon or cursor file's best image as ARGB32: PNG images with their
// alpha, bitmaps with their alpha or AND mask (BmpDecoder.h).
Result<DecodedPicture> decodeIcon(std::span<const std::byte> file);

// The size decodeIcon gives.
std::optional<QSize> iconSize(std::span<const std::byte> file);

} // namespace lumeria
