#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <QImage>

#include <cstddef>
#include <span>

namespace lumeria {

// Decodes a Windows or OS/2 bitmap file: BITMAPCOREHEADER (OS/2 1.x), the
// OS/2 2.x header and BITMAPINFOHEADER up to version 5; 1, 2, 4 and 8 bits
// through a colour table, 16, 24 and 32 bits plain or with bit-field masks of
// any width, and 4- and 8-bit run-length data. Every pixel is defined:
// pixels the run-length codes skip, and rows a cut file lacks, take colour
// index 0 (black for true colour). Alpha is dropped, as on a page's device
// bitmaps. Fails with picture::kUndecodable for a malformed header and
// picture::kTooLarge beyond the limits of DecodedPicture.h.
Result<DecodedPicture> decodeBmp(std::span<const std::byte> data);

// The device-independent bitmap of one icon or cursor image: its header
// gives twice the image's height, and a 1-bit AND mask follows the colour
// pixels. Gives ARGB32: a 32-bit image with any alpha uses its alpha, every
// other one is opaque where the mask is 0 and transparent where it is 1,
// where it keeps the colour pixel's value (alpha 0) for DrawIcon's XOR.
// masked tells which of the two it was.
Result<QImage> decodeIconBitmap(std::span<const std::byte> dib, bool* masked = nullptr);

// Bits per pixel of an icon image's bitmap, 0 when its header is unreadable.
int iconBitmapDepth(std::span<const std::byte> dib);

} // namespace lumeria
