#pragma once

#include <array>
#include <cstdint>

namespace lumeria {

struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette = std::array<PaletteEntry, 256>;

// The Windows flag that keeps an entry from being merged with an equal colour
// of the system palette; every entry the player writes carries it.
inline constexpr uint8_t kNoCollapse = 0x04;

// A Windows colour value: red in the low byte, then green, then blue.
inline uint32_t colourValue(const PaletteEntry& e)
{
    return e.red | (uint32_t(e.green) << 8) | (uint32_t(e.blue) << 16);
}

inline PaletteEntry paletteEntryFromColour(uint32_t colour, uint8_t flags = kNoCollapse)
{
    return {uint8_t(colour & 0xFF), uint8_t((colour >> 8) & 0xFF), uint8_t((colour >> 16) & 0xFF), flags};
}

// The palette a 256-colour display starts with: the twenty static colours at
// both ends and colour and grey ramps between them.
const Palette& defaultPalette256();

// The palette of a 16-colour display: the sixteen VGA colours, then black.
const Palette& sixteenColourPalette();

} // namespace lumeria
