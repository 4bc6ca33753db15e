// Feeds arbitrary bytes to the FLIC decoder: every frame it accepts decodes
// within the canvas, and a second pass after a rewind gives the same
// pictures as the first.
#include "media/FlicDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace {

// Hashing the canvas after each frame lets the second pass be compared
// without keeping every frame.
uint64_t hashCanvas(const lumeria::media::FlicDecoder& decoder)
{
    uint64_t h = 1469598103934665603ull;
    for (const uint8_t b : decoder.pixels())
        h = (h ^ b) * 1099511628211ull;
    for (const QRgb c : decoder.palette())
        h = (h ^ c) * 1099511628211ull;
    return h;
}

std::vector<uint64_t> decodeAll(lumeria::media::FlicDecoder& decoder)
{
    std::vector<uint64_t> hashes;
    for (;;) {
        const lumeria::Result<bool> more = decoder.next();
        if (!more || !more.value())
            break;
        hashes.push_back(hashCanvas(decoder));
    }
    return hashes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using lumeria::media::FlicDecoder;
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    lumeria::Result<FlicDecoder> decoder = FlicDecoder::open(bytes);
    if (!decoder)
        return 0;
    if (decoder->pixels().size() != size_t(decoder->width()) * size_t(decoder->height()))
        __builtin_trap();
    const std::vector<uint64_t> first = decodeAll(decoder.value());
    if (first.size() > size_t(decoder->frameCount()))
        __builtin_trap();
    // The picture conversion reads the canvas through the palette; once per
    // input keeps it covered without slowing every frame.
    if (!first.empty() && decoder->image().isNull())
        __builtin_trap();
    decoder->rewind();
    const std::vector<uint64_t> second = decodeAll(decoder.value());
    if (first != second)
        __builtin_trap();
    return 0;
}
