#pragma once

#include "platform/Palette.h"

#include <QImage>

#include <cstdint>
#include <optional>
#include <vector>

namespace lumeria {

// Limits every decoder applies before allocating: no page comes near them,
// and a hostile header must not make the player allocate gigabytes. The
// pixel limit matches the allocation limit of Qt's readers.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPicturePixels = int64_t(32) * 1024 * 1024; // 128 MiB at 32 bits

// How a picture is drawn transparently when its component asks for it.
enum class PictureTransparency : uint8_t {
    // A bitmap: pixels of the key colour are left out of a transparent blit.
    ColourKey,
    // An icon or cursor: the image's alpha channel is its mask.
    AlphaMask,
};

// A picture decoded from a publication's bytes, ready for the drawing layer.
struct DecodedPicture {
    // Format_RGB32 for bitmaps, Format_ARGB32 for icons and cursors. Bitmaps
    // never carry alpha: pages are drawn with device bitmaps, so a PNG's
    // alpha channel is dropped and its colours kept.
    QImage image;

    // The colour table of a picture of 8 bits per pixel or fewer, padded with
    // black to 256 entries; paletteColours says how many entries the picture
    // defined. Flags are left 0: realising the palette is the drawing layer's
    // business.
    std::optional<Palette> palette;
    int paletteColours = 0;

    // Bits per pixel of the stored picture (1, 4, 8, 24 or 32) before it was
    // widened to 32 bits; for indexed pictures read through Qt, the fewest
    // bits that hold the colour table. Icons report 32.
    int sourceDepth = 0;

    // Run-length bitmaps: one byte per pixel, rows top down, 1 where the
    // codes wrote the pixel and 0 where they skipped it (and the image holds
    // colour 0). StretchDIBits leaves the skipped pixels of the destination
    // alone when it copies the whole bitmap unstretched. Empty otherwise.
    std::vector<uint8_t> runLengthWritten;

    PictureTransparency transparency = PictureTransparency::ColourKey;
    // An AlphaMask icon drawn as DrawIcon draws one without alpha: the mask
    // ANDs the background, then every pixel's colour XORs it, so the pixels
    // of alpha 0 change what lies below unless their colour is black.
    bool xorMasked = false;
    // The key colour of a ColourKey picture as a Windows colour value (red in
    // the low byte): the bottom-left pixel, the convention publications were
    // made for. 0 for AlphaMask pictures.
    uint32_t transparentColour = 0;
};

// Fills in the key colour from the image's bottom-left pixel.
void setBottomLeftTransparentColour(DecodedPicture& picture);

} // namespace lumeria
