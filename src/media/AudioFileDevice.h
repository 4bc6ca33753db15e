#pragma once

#include "media/StreamingDevice.h"
#include "platform/Result.h"

#include <QString>

#include <memory>

namespace lumeria::media {

// A sound file FFmpeg decodes (wave in its many codings, AIFF, AU, VOC, MP3,
// Ogg Vorbis, FLAC, the audio of a video), resampled to the mixer's format.
class AudioFileDevice final : public StreamingDevice {
public:
    // Probes the file on the caller's thread: kFileNotFound, or kInvalidFile
    // when nothing in it can be decoded as sound.
    static Result<std::unique_ptr<AudioFileDevice>> open(const QString& path, DeviceType type, Mixer& mixer);
    ~AudioFileDevice() override;

    DeviceType type() const override { return m_type; }

protected:
    bool startRender(int64_t fromMs, int64_t toMs, int rate, int channels) override;
    size_t render(float* out, size_t maxFrames) override;

private:
    struct Decoder;
    AudioFileDevice(Mixer& mixer, DeviceType type, std::unique_ptr<Decoder> decoder, int64_t lengthMs);

    DeviceType m_type;
    std::unique_ptr<Decoder> m_decoder;
};

} // namespace lumeria::media
