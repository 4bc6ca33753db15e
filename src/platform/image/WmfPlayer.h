#pragma once

#include "platform/Result.h"
#include "platform/gdi/Canvas.h"
#include "platform/image/DecodedPicture.h"

#include <cstddef>
#include <optional>
#include <span>

namespace lumeria {

// The frame a metafile draws in: from the placeable header when there is
// one (its bounding box at its units per inch, shown at 96 pixels to the
// inch), else from the window extent it sets, taken as pixels.
std::optional<QSize> metafileSize(std::span<const std::byte> bytes);

// Replays a Windows metafile's drawing records on a canvas, mapped into
// target through its map mode, window and viewport. Records the player does
// not know are passed over as Windows passes over them; only bytes that do
// not hold together (record sizes beyond the file, no end record) fail the
// picture.
Result<bool> playMetafile(std::span<const std::byte> bytes, gdi::Canvas& canvas, const gdi::Rect& target);

// A metafile drawn at its own size on white, for the places that need pixels.
// One that gives no size is drawn at one unit a pixel and takes the size of
// what it draws.
Result<DecodedPicture> decodeMetafile(std::span<const std::byte> bytes);

} // namespace lumeria
