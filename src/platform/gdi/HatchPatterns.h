#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace lumeria::gdi {

// The 47 fill patterns a page object can name, numbered as publications
// store them (2..48). Rows top first, most significant bit
// leftmost; a 0 bit is ink, a 1 bit background, matching Brush::pattern.
std::optional<std::array<uint8_t, 8>> hatchPattern(int fillPattern);

} // namespace lumeria::gdi
