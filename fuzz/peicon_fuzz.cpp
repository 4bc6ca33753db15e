// Feeds arbitrary bytes to the reader of a Windows executable's icon, and
// what it puts together to the icon decoder: a made icon file must be one
// the decoder reads, or refuses, without reading outside it.
#include "platform/image/ExecutableIcon.h"
#include "platform/image/IconDecoder.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto bytes = std::as_bytes(std::span(data, size));
    const std::optional<QByteArray> icon = lumeria::iconFileFromExecutable(bytes);
    if (!icon)
        return 0;
    if (icon->size() < 6 + 16)
        __builtin_trap(); // a directory and one entry at least
    (void)lumeria::decodeIcon(std::as_bytes(std::span(icon->constData(), size_t(icon->size()))));
    return 0;
}
