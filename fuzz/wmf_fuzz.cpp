// Feeds arbitrary bytes to the metafile player.
#include "platform/image/WmfPlayer.h"

#include <QGuiApplication>

#include <cstdint>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

// Text in a metafile needs fonts, and fonts a QGuiApplication: made once,
// before any input runs.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quiet);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_wmf";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto bytes = std::as_bytes(std::span(reinterpret_cast<const char*>(data), size));
    // Every record is played on a small canvas whatever size the file
    // claims; decoding at the claimed size only when it is small, so the
    // fuzzer spends its time in the player rather than in filling pixels.
    static lumeria::gdi::Surface surface(256, 256);
    lumeria::gdi::Canvas canvas(surface);
    (void)lumeria::playMetafile(bytes, canvas, surface.rect());
    const auto claimed = lumeria::metafileSize(bytes);
    if (claimed && int64_t(claimed->width()) * claimed->height() <= 512 * 512)
        (void)lumeria::decodeMetafile(bytes);
    return 0;
}
