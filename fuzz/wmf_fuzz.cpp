// Feeds arbitrary bytes to the metafile player.
#include "platform/image/WmfPlayer.h"

#include <QGuiApplication>

#include <cstdint>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Text in a metafile needs fonts, and fonts a QGuiApplication.
    static int argc = 1;
    static char name[] = "fuzz_wmf";
    static char* argv[] = {name, nullptr};
    static const bool ready = (qInstallMessageHandler(quiet), qputenv("QT_QPA_PLATFORM", "offscreen"), true);
    static QGuiApplication app(argc, argv);
    (void)ready;
    const auto bytes = std::as_bytes(std::span(reinterpret_cast<const char*>(data), size));
    (void)lumeria::metafileSize(bytes);
    (void)lumeria::decodeMetafile(bytes);
    return 0;
}
