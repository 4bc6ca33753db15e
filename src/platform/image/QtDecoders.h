#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <cstddef>
#include <span>

namespace lumeria {

// Formats read through Qt's image readers: JPEG, and the TIFF files libtiff's
// RGBA reader refuses (floating-point and odd sample depths); every other
// format has a reader of its own. The format is always given: the extension
// decides how a picture is read, never its content, as publications expect.
enum class QtBitmapFormat : uint8_t { Jpeg, Tiff };

// Reads a bitmap: an opaque RGB32 image keyed on its bottom-left colour, with
// the colour table of an indexed picture kept as its palette.
Result<DecodedPicture> decodeQtBitmap(std::span<const std::byte> data, QtBitmapFormat format);

} // namespace lumeria
