#pragma once

#include <array>
#include <cstdint>

namespace lumeria::gdi {

// A Windows colour value: 0x00BBGGRR, red in the low byte. With the top bit set
// the low bits name a system colour instead.
using ColorRef = uint32_t;

inline constexpr ColorRef kSystemColourFlag = 0x80000000u;
// What GetPixel answers outside the clip (CLR_INVALID).
inline constexpr ColorRef kInvalidColour = 0xFFFFFFFFu;

// The Windows system colour indices the player can be asked for.
enum class SystemColour : uint32_t {
    ScrollBar = 0,
    Desktop = 1,
    ActiveCaption = 2,
    InactiveCaption = 3,
    Menu = 4,
    Window = 5,
    WindowFrame = 6,
    MenuText = 7,
    WindowText = 8,
    CaptionText = 9,
    ActiveBorder = 10,
    InactiveBorder = 11,
    AppWorkspace = 12,
    Highlight = 13,
    HighlightText = 14,
    ButtonFace = 15,
    ButtonShadow = 16,
    GrayText = 17,
    ButtonText = 18,
    InactiveCaptionText = 19,
    ButtonHighlight = 20,
    DarkShadow3D = 21,
    Light3D = 22,
    InfoText = 23,
    InfoBackground = 24,
};

constexpr ColorRef systemColour(SystemColour c)
{
    return kSystemColourFlag | static_cast<uint32_t>(c);
}

constexpr ColorRef rgb(int red, int green, int blue)
{
    return uint32_t(red & 0xFF) | (uint32_t(green & 0xFF) << 8) | (uint32_t(blue & 0xFF) << 16);
}

// The only conversions between Windows colour values and surface pixels
// (0xFFRRGGBB as QImage::Format_RGB32 holds them). System colours come from
// the classic Windows 95 scheme, never from the desktop theme.
uint32_t pixelFromColour(ColorRef colour);
ColorRef colourFromPixel(uint32_t pixel);

// A colour value as GDI itself reads one (a metafile's, or any handed to a
// GDI call) turned into this canvas's form, for a true-colour surface. Bit 24
// makes the low word an index into the DC's palette (PALETTEINDEX, and any
// other high byte with that bit); 0x10FF in the high word (DIBINDEX) names an
// entry of a colour table such a surface has not, and draws black; every
// other high byte, PALETTERGB's and the system-colour bit included, is
// ignored, so the value is the RGB it carries.
ColorRef colourFromGdi(uint32_t value);

// The palette a DC has before any is selected: the twenty static colours.
// A palette index past its end, as past any palette's end, takes entry 0.
extern const std::array<ColorRef, 20> kDefaultPalette;

} // namespace lumeria::gdi
