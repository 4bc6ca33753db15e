// Feeds arbitrary bytes to the bitmap decoder, as a file and as an icon's
// image, and checks what it accepts.
#include "platform/image/BmpDecoder.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto bytes = std::as_bytes(std::span(data, size));
    if (auto icon = lumeria::decodeIconBitmap(bytes)) {
        if (icon.value().isNull() || icon.value().format() != QImage::Format_ARGB32)
            __builtin_trap();
    }
    auto decoded = lumeria::decodeBmp(bytes);
    if (!decoded)
        return 0;
    const lumeria::DecodedPicture& d = decoded.value();
    const QImage& img = d.image;
    if (img.isNull() || img.format() != QImage::Format_RGB32 || img.width() > lumeria::kMaxPictureSide ||
        img.height() > lumeria::kMaxPictureSide)
        __builtin_trap();
    if (d.palette.has_value() != (d.sourceDepth <= 8) || d.paletteColours > 256)
        __builtin_trap();
    const QRgb key = img.pixel(0, img.height() - 1);
    if (d.transparentColour != (uint32_t(qRed(key)) | (uint32_t(qGreen(key)) << 8) | (uint32_t(qBlue(key)) << 16)))
        __builtin_trap();
    return 0;
}
