#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <QImage>

#include <cstddef>
#include <span>

namespace lumeria {

// Decodes a PNG picture through libpng for a page: every colour type and
// depth, interlaced or not, 16-bit samples rounded to 8 bits, a tRNS colour
// key or palette alpha applied like an alpha channel and then dropped with
// it (colours are kept as stored). Palette pictures keep their PLTE table,
// grey ones of 8 bits or fewer a grey ramp. No gamma is applied. Fails with
// picture::kUndecodable for what libpng rejects and picture::kTooLarge beyond
// the limits of DecodedPicture.h.
Result<DecodedPicture> decodePng(std::span<const std::byte> data);

// The same picture as ARGB32 with its alpha, for icon images.
Result<QImage> decodePngWithAlpha(std::span<const std::byte> data);

} // namespace lumeria
