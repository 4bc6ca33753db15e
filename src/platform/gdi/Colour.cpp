#include "platform/gdi/Colour.h"

#include <array>

namespace lumeria::gdi {

namespace {

// The Windows 95 standard scheme, indexed by system colour number.
constexpr std::array<ColorRef, 29> kClassicScheme = {
    rgb(192, 192, 192), // scroll bar
    rgb(0, 128, 128),   // desktop
    rgb(0, 0, 128),     // active caption
    rgb(128, 128, 128), // inactive caption
    rgb(192, 192, 192), // menu
    rgb(255, 255, 255), // window
    rgb(0, 0, 0),       // window frame
    rgb(0, 0, 0),       // menu text
    rgb(0, 0, 0),       // window text
    rgb(255, 255, 255), // caption text
    rgb(192, 192, 192), // active border
    rgb(192, 192, 192), // inactive border
    rgb(128, 128, 128), // application workspace
    rgb(0, 0, 128),     // highlight
    rgb(255, 255, 255), // highlight text
    rgb(192, 192, 192), // button face
    rgb(128, 128, 128), // button shadow
    rgb(128, 128, 128), // gray text
    rgb(0, 0, 0),       // button text
    rgb(192, 192, 192), // inactive caption text
    rgb(255, 255, 255), // button highlight
    rgb(0, 0, 0),       // 3D dark shadow
    rgb(192, 192, 192), // 3D light
    rgb(0, 0, 0),       // info text
    rgb(255, 255, 225), // info background
    rgb(192, 192, 192), // (unused slot 25)
    rgb(0, 0, 128),     // hot-tracked item
    rgb(0, 0, 128),     // gradient active caption
    rgb(128, 128, 128), // gradient inactive caption
};

ColorRef resolveSystemColour(ColorRef colour)
{
    const uint32_t index = colour & ~kSystemColourFlag;
    if (index >= kClassicScheme.size())
        return rgb(0, 0, 0);
    return kClassicScheme[index];
}

} // namespace

uint32_t pixelFromColour(ColorRef colour)
{
    if (colour & kSystemColourFlag)
        colour = resolveSystemColour(colour);
    // The high byte otherwise flags palette-relative values; without a
    // palette of our own they are taken as the RGB they carry.
    const uint32_t red = colour & 0xFF;
    const uint32_t green = (colour >> 8) & 0xFF;
    const uint32_t blue = (colour >> 16) & 0xFF;
    return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

ColorRef colourFromGdi(uint32_t value)
{
    constexpr uint32_t kPaletteIndexBit = 0x01000000u;
    constexpr uint32_t kDibIndex = 0x10FFu;
    if (value & kPaletteIndexBit)
        return kPaletteIndexBit | (value & 0xFFFFu);
    if ((value >> 16) == kDibIndex)
        return rgb(0, 0, 0);
    return value & 0x00FFFFFFu;
}

const std::array<ColorRef, 20> kDefaultPalette = {
    rgb(0, 0, 0),       rgb(128, 0, 0),     rgb(0, 128, 0),     rgb(128, 128, 0),   rgb(0, 0, 128),
    rgb(128, 0, 128),   rgb(0, 128, 128),   rgb(192, 192, 192), rgb(192, 220, 192), rgb(166, 202, 240),
    rgb(255, 251, 240), rgb(160, 160, 164), rgb(128, 128, 128), rgb(255, 0, 0),     rgb(0, 255, 0),
    rgb(255, 255, 0),   rgb(0, 0, 255),     rgb(255, 0, 255),   rgb(0, 255, 255),   rgb(255, 255, 255),
};

ColorRef colourFromPixel(uint32_t pixel)
{
    return rgb(int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF), int(pixel & 0xFF));
}

} // namespace lumeria::gdi
