#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <QPoint>
#include <QSize>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace lumeria {

// One image of an icon or cursor file, as its directory describes it.
struct IconEntry {
    int index = 0;
    // The size the directory gives (a byte of 0 means 256).
    QSize size;
    // Bits per pixel of the stored image; a PNG image counts as 32 with an
    // alpha channel, else 24.
    int depth = 0;
    // A cursor's hotspot; meaningless for icons.
    QPoint hotspot;
    bool png = false;
    std::span<const std::byte> data;
};

// What an icon is looked for at unless a size is asked for: the system icon
// size on a true-colour screen.
inline constexpr QSize kSystemIconSize{32, 32};
inline constexpr int kScreenDepth = 32;

// The image Windows picks from an icon or cursor file for a size and screen
// depth (LookupIconIdFromDirectoryEx's rules): the first entry nearest the
// size by the sum of the width and height differences, then, of the entries
// that far off in both directions, the first whose colour depth is nearest
// the screen's. Sizes are the directory's (a byte of 0 means 256), depths
// the images' own. Entries whose data lie outside the file are passed over.
// Nothing for a file that is not an icon or cursor directory.
std::optional<IconEntry> bestIconEntry(std::span<const std::byte> file, QSize wanted = kSystemIconSize,
                                       int screenDepth = kScreenDepth);

// Every image of an icon or cursor directory whose data lie inside the file,
// in directory order; none for anything else.
std::vector<IconEntry> iconEntries(std::span<const std::byte> file);

// The image Windows loads from a file as a cursor (LoadCursorFromFile, at
// the system cursor size): the largest entry no larger than the size asked
// for, else the smallest larger one up to 255 pixels a side, else the
// first; of entries of one size, the one of most bits per pixel. Unlike an
// icon's, the choice ignores the screen's depth.
inline constexpr QSize kSystemCursorSize{32, 32};
std::optional<IconEntry> bestCursorEntry(std::span<const std::byte> file, QSize wanted = kSystemCursorSize);

// One image of an icon or cursor file as ARGB32, as decodeIcon reads it.
Result<DecodedPicture> decodeIconEntry(const IconEntry& entry);

// Reads an icon or cursor file's best image as ARGB32: PNG images with their
// alpha, bitmaps with their alpha or, marked xorMasked, their AND mask
// (BmpDecoder.h).
Result<DecodedPicture> decodeIcon(std::span<const std::byte> file);

// The size decodeIcon gives.
std::optional<QSize> iconSize(std::span<const std::byte> file);

} // namespace lumeria
