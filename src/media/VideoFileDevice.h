#pragma once

#include "media/MediaDevice.h"
#include "media/PlayWorker.h"
#include "media/PlaybackClock.h"
#include "platform/Result.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace lumeria::media {

class AudioStream;
class Mixer;
class VideoDecoder;
struct DecodedFrame;

// A video file FFmpeg can read (AVI and QuickTime with the codecs of their
// day, MPEG-1, and whatever else it opens): pictures decoded on a worker and
// handed to the frame sink on the UI thread when the play's clock reaches
// them, sound through the mixer leading that clock.
class VideoFileDevice final : public MediaDevice {
public:
    // Plays an opened file. The type asked for is kept; without one, MPEG
    // files are MpegVideo and the rest AviVideo.
    static std::unique_ptr<VideoFileDevice> open(std::unique_ptr<VideoDecoder> decoder, std::optional<DeviceType> type,
                                                 Mixer& mixer);
    ~VideoFileDevice() override;

    DeviceType type() const override { return m_type; }
    bool hasVideo() const override { return true; }
    QSize naturalSize() const override;
    double frameRate() const override;
    void setFrameSink(FrameSink* sink) override { m_sink = sink; }

    int play(int64_t from, int64_t to) override;
    void stop() override;
    int pause() override
    {
        m_worker.pause();
        return 0;
    }
    int resume() override
    {
        m_worker.resume();
        return 0;
    }
    int seek(int64_t position) override;
    DeviceMode mode() const override;
    int64_t position() const override;
    int64_t length() const override;
    void setAudioEnabled(bool enabled) override;

    // Counted over the life of the device, for status and the tests.
    struct Statistics {
        int64_t decoded = 0;   // pictures the worker decoded and converted
        int64_t dropped = 0;   // of those, never shown: late, or replaced before the UI took them
        int64_t presented = 0; // reached the UI thread (the sink, when there was one)
    };
    Statistics statistics() const;
    // Where in the file (ms) the picture last handed to the sink belongs; -1
    // before any. Read inside FrameSink::present it is that picture's time.
    int64_t presentedPosition() const { return m_presentedMs; }

private:
    VideoFileDevice(Mixer& mixer, DeviceType type, std::unique_ptr<VideoDecoder> decoder);

    void stopPlayback();
    void run(uint64_t generation, std::shared_ptr<AudioStream> stream, int64_t fromUs, int64_t toUs, int rate,
             int channels);
    void preview(int64_t atUs);
    void finished();
    void publish(DecodedFrame&& frame);
    void deliver(QImage&& picture, int64_t atMs);
    int64_t clampedPosition(int64_t ms) const;

    Mixer& m_mixer;
    DeviceType m_type;
    std::unique_ptr<VideoDecoder> m_decoder;
    FrameSink* m_sink = nullptr;
    PlayWorker m_worker; // frames and completions reach the UI thread through it
    std::shared_ptr<AudioStream> m_stream;
    PlaybackClock m_clock;

    std::atomic<int64_t> m_decoded{0};
    std::atomic<int64_t> m_dropped{0};
    int64_t m_presented = 0;
    int64_t m_presentedMs = -1;

    int64_t m_end = 0;
    int64_t m_position = 0;
    bool m_audioEnabled = true;
};

} // namespace lumeria::media
