#pragma once

#include <cstddef>
#include <optional>
#include <span>

namespace lumeria {

struct PictureDimensions {
    int width = 0;
    int height = 0;
};

// Reads a picture's pixel size from its header alone, whatever its name says:
// publications built with compressed images keep a picture's first extension
// while its bytes are PNG. Knows the formats the player decodes (PNG, BMP,
// JPEG, TIFF, ICO, GIF through Qt's readers; PCX and placeable WMF here).
std::optional<PictureDimensions> pictureDimensions(std::span<const std::byte> data);

} // namespace lumeria
