#include "render/ClassicGlyphs.h"

#include "platform/gdi/Canvas.h"

#include <array>

namespace lumeria {

namespace {

// One character a pixel: s shadow, d dark shadow, w white, f button face,
// i the well, k the mark (black when set, the well otherwise), '.' left as
// it is.
using GlyphMap = std::array<const char*, kGlyphSize>;

constexpr GlyphMap kCheckBox = {{
    "ssssssssssssw",
    "sddddddddddfw",
    "sdiiiiiiiiifw",
    "sdiiiiiiikifw",
    "sdiiiiiikkifw",
    "sdikiiikkkifw",
    "sdikkikkkiifw",
    "sdikkkkkiiifw",
    "sdiikkkiiiifw",
    "sdiiikiiiiifw",
    "sdiiiiiiiiifw",
    "sfffffffffffw",
    "wwwwwwwwwwwww",
}};

// Twelve pixels round, in the top-left of the 13 x 13 cell as the classic
// control draws it.
constexpr GlyphMap kRadioButton = {{
    "....ssss.....",
    "..ssddddss...",
    ".sddiiiiddw..",
    ".sdiiiiiifw..",
    "sdiiikkiiifw.",
    "sdiikkkkiifw.",
    "sdiikkkkiifw.",
    "sdiiikkiiifw.",
    ".sdiiiiiifw..",
    ".sffiiiiffw..",
    "..wwffffww...",
    "....wwww.....",
    ".............",
}};

} // namespace

void drawClassicGlyph(gdi::Canvas& canvas, QPoint topLeft, GlyphKind kind, GlyphState state)
{
    const gdi::ColorRef shadow = gdi::systemColour(gdi::SystemColour::ButtonShadow);
    const gdi::ColorRef darkShadow = gdi::systemColour(gdi::SystemColour::DarkShadow3D);
    const gdi::ColorRef face = gdi::systemColour(gdi::SystemColour::ButtonFace);
    const gdi::ColorRef white = gdi::rgb(255, 255, 255);
    const gdi::ColorRef well = state == GlyphState::Held ? face : white;
    const gdi::ColorRef mark = state == GlyphState::Set ? gdi::rgb(0, 0, 0) : well;

    const GlyphMap& map = kind == GlyphKind::CheckBox ? kCheckBox : kRadioButton;
    for (int y = 0; y < kGlyphSize; ++y) {
        for (int x = 0; x < kGlyphSize; ++x) {
            gdi::ColorRef c = 0;
            switch (map[size_t(y)][x]) {
            case 's': c = shadow; break;
            case 'd': c = darkShadow; break;
            case 'w': c = white; break;
            case 'f': c = face; break;
            case 'i': c = well; break;
            case 'k': c = mark; break;
            default: continue;
            }
            canvas.setPixel(topLeft + QPoint(x, y), c);
        }
    }
}

} // namespace lumeria
