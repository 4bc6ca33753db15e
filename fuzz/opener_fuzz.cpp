// Feeds arbitrary bytes to the media file opener as a file: whatever it is
// taken for (video, sound, animated PNG), opening either succeeds with a
// device of sane measures or is refused, within the limits, never a crash.
#include "media/AudioOutput.h"
#include "media/CartoonSource.h"
#include "media/DeviceFactory.h"
#include "media/MediaLimits.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lumeria::media;
    static const bool quiet = [] {
        qputenv("SDL_AUDIODRIVER", "dummy");
        return true;
    }();
    (void)quiet;
    static QTemporaryDir dir;
    static Mixer mixer;
    const QString path = dir.filePath(QStringLiteral("input"));
    {
        FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
        if (!f)
            return 0;
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    if (auto device = openDevice(path, std::nullopt, DeviceServices{&mixer, {}})) {
        const QSize natural = device.value()->naturalSize();
        if (natural.width() > kMaxPictureSide || natural.height() > kMaxPictureSide || device.value()->length() < 0)
            __builtin_trap();
    }
    if (auto animation = openCartoon(path)) {
        FrameSource& source = *animation.value().source;
        for (int i = 0; i < 8; ++i) {
            const auto frame = source.next();
            if (!frame)
                break;
            if (frame->image.width() > kMaxPictureSide || frame->image.height() > kMaxPictureSide)
                __builtin_trap();
        }
    }
    return 0;
}
