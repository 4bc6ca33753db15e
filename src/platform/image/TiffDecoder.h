#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <QSize>

#include <cstddef>
#include <optional>
#include <span>

namespace lumeria {

// Decodes the first image of a TIFF file through libtiff's RGBA reader, so
// that every layout libtiff reads (strips or tiles, contiguous or planar,
// 1 to 16 bits, palette, grey, RGB, CMYK, YCbCr, CIELab; any of its codecs)
// decodes as libtiff decodes it. The Orientation tag is honoured, all eight
// values: 5 to 8 swap width and height. Palette and grey pictures of 8 bits
// or fewer keep their colour table; alpha is dropped, colours un-premultiplied.
// Fails with picture::kUndecodable for what libtiff rejects and
// picture::kTooLarge beyond the limits of DecodedPicture.h.
Result<DecodedPicture> decodeTiff(std::span<const std::byte> data);

// The size decodeTiff gives, from the first directory alone.
std::optional<QSize> tiffSize(std::span<const std::byte> data);

} // namespace lumeria
