// Feeds arbitrary bytes to the cursor reader the player's custom cursors go
// through: .CUR, .ICO used as a cursor, and the first frame of an .ANI.
#include "platform/image/CursorImage.h"

#include <QtGlobal>

#include <cstdint>
#include <span>

namespace {

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Broken files make the readers log what they skip; the fuzzer's own
    // output should not drown in it.
    qInstallMessageHandler(quiet);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto bytes = std::as_bytes(std::span(data, size));
    const auto cursor = lumeria::decodeCursor(bytes);
    if (!cursor)
        return 0;
    // The window system is handed the picture and a hotspot on it: a
    // cursor without pixels, or pointing off its picture, must never leave
    // the reader.
    if (cursor->image.isNull() || !cursor->image.rect().contains(cursor->hotspot))
        __builtin_trap();
    return 0;
}
