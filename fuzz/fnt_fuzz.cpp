// Feeds arbitrary bytes to the Windows bitmap font reader: what it returns
// is the input with only ANSI charset bytes turned Macintosh.
#include "platform/gdi/FontWinFnt.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto marked = lumeria::gdi::drawableBitmapFont(std::as_bytes(std::span(data, size)));
    if (!marked)
        return 0;
    if (size_t(marked->size()) != size)
        __builtin_trap();
    for (size_t i = 0; i < size; ++i) {
        const auto now = uint8_t(marked->at(qsizetype(i)));
        if (now != data[i] && !(data[i] == 0 && now == 77))
            __builtin_trap();
    }
    return 0;
}
