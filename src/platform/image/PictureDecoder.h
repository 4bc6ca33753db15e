#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"

#include <QString>

#include <cstddef>
#include <span>

namespace lumeria {

// The image library a publication names with RUNTIMEDLL=. No library code is
// ever loaded; the name only decides which formats its pictures may use.
enum class ImageLibrary : uint8_t {
    // The standard library: every format decodes.
    Standard,
    // Any other library was only asked for its PNG reader.
    PngOnly,
};

// The standard library's file name, matched upper-cased on the file-name part
// of RUNTIMEDLL=.
inline constexpr char kStandardImageLibrary[] = "SKY32V3C.DLL";

// Empty (no library named) or the standard library's name, in any letter case
// and with any folder, gives Standard; anything else PngOnly.
ImageLibrary imageLibraryFor(const QString& runtimeDll);

struct PictureOptions {
    // CompressImages= of the publication: pictures other than icons,
    // metafiles, JPEG and PNG were stored as PNG under their first name.
    bool compressImages = false;
    ImageLibrary library = ImageLibrary::Standard;
};

enum class PictureFormat : uint8_t { None, Icon, Metafile, Png, Bmp, Pcx, Tiff, Jpeg };

// The format a picture is read as, from its requested name alone.
PictureFormat pictureFormatFor(const QString& requestedName, bool compressImages);

// Decodes a picture's bytes as its name says. Fails with a code of
// PictureError.h: an extension outside the list (.GIF, .JPEG) without
// looking at the bytes; a format the publication's library lacks; a metafile;
// or bytes the format's reader rejects.
Result<DecodedPicture> decodePicture(const QString& requestedName, std::span<const std::byte> bytes,
                                     const PictureOptions& options);

} // namespace lumeria
