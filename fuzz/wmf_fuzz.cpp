// Feeds arbitrary bytes to the metafile player.
#include "FuzzSupport.h"
#include "platform/image/WmfPlayer.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    lumeria::fuzz::startGuiApplication("fuzz_wmf");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto bytes = std::as_bytes(std::span(reinterpret_cast<const char*>(data), size));
    // Every record is played on a small canvas whatever size the file
    // claims; decoding at the claimed size only when it is small, so the
    // fuzzer spends its time in the player rather than in filling pixels.
    // Clipping and every raster path behave the same on a canvas this size
    // as on a page; a larger one only multiplies the pixels each record fills.
    static lumeria::gdi::Surface surface(64, 64);
    lumeria::gdi::Canvas canvas(surface);
    (void)lumeria::playMetafile(bytes, canvas, surface.rect());
    const auto claimed = lumeria::metafileSize(bytes);
    if (claimed && int64_t(claimed->width()) * claimed->height() <= 128 * 128)
        (void)lumeria::decodeMetafile(bytes);
    return 0;
}
