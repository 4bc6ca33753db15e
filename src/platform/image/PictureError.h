#pragma once

#include "platform/IoError.h"

#include <QString>

namespace lumeria {

// Why a picture did not load. Loading a picture only ever reports success or
// failure to the publication, so these codes never reach the reader; they
// exist for diagnostics and tests. Codes shared with the I/O layer keep their
// I/O meaning (IoError.h): a missing entry, a read error, memory.
namespace picture {
// The bytes are not a valid picture of the format the name selects.
inline constexpr int kUndecodable = io::kInvalidFormat;
// The picture is larger than any page could show, or than its bytes could
// describe; refused before allocating.
inline constexpr int kTooLarge = io::kOutOfMemory;
// The extension is not one the player decodes (.GIF, .JPEG, none).
inline constexpr int kUnknownExtension = 20001;
// The publication names an image library other than the standard one, which
// reads PNG only; its other formats do not load.
inline constexpr int kNotInLibrary = 20002;
// A Windows metafile: played by the drawing layer, not decoded to pixels.
inline constexpr int kMetafile = 20003;
} // namespace picture

// An English explanation of a picture failure code, for logs.
QString pictureErrorText(int code);

} // namespace lumeria
