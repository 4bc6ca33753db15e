#pragma once

#include "media/StreamingDevice.h"
#include "platform/Result.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace lumeria::media {

class FfmpegInput;

// CD audio: 44.1 kHz, 16-bit stereo, 2352 bytes (1/75 s) a sector.
constexpr int64_t kCdBytesPerSecond = 44100 * 2 * 2;

// So many bytes of CD audio in milliseconds, rounded up: a length of whole
// sectors then reads back as those sectors in minutes, seconds and frames.
constexpr int64_t cdAudioMs(int64_t bytes)
{
    return bytes <= 0 ? 0 : (bytes * 1000 + kCdBytesPerSecond - 1) / kCdBytesPerSecond;
}

// A sound file FFmpeg decodes (wave in its many codings, AIFF, AU, VOC, MP3,
// Ogg Vorbis, FLAC, the audio of a video), resampled to the mixer's format.
class AudioFileDevice final : public StreamingDevice {
public:
    // Plays the sound track of an opened file; kInvalidFile when nothing in
    // it can be decoded as sound.
    static Result<std::unique_ptr<AudioFileDevice>> open(std::unique_ptr<FfmpegInput> input, DeviceType type,
                                                         Mixer& mixer);
    // A track of a disc image: length bytes of raw CD audio from offset in
    // the file, played where they lie. kFileNotFound, or kInvalidFile when
    // the extent is empty or reaches past the file's end.
    static Result<std::unique_ptr<AudioFileDevice>> openCdTrack(const QString& file, int64_t offset, int64_t length,
                                                                Mixer& mixer);
    ~AudioFileDevice() override;

    DeviceType type() const override { return m_type; }
    std::optional<WaveFormat> waveFormat() const override { return m_wave; }

protected:
    bool startRender(int64_t fromMs, int64_t toMs, int rate, int channels) override;
    size_t render(float* out, size_t maxFrames) override;

private:
    struct Decoder;
    AudioFileDevice(Mixer& mixer, DeviceType type, std::unique_ptr<Decoder> decoder, int64_t lengthMs);

    DeviceType m_type;
    std::unique_ptr<Decoder> m_decoder;
    std::optional<WaveFormat> m_wave;
};

} // namespace lumeria::media
