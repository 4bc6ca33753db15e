#pragma once

#include "media/MediaDevice.h"
#include "media/PlayWorker.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace lumeria::media {

class AudioStream;
class Mixer;

// What a streaming device plays: the sound of one play at a time, rendered
// on the device's worker, never while the UI thread calls into it.
class SoundRenderer {
public:
    virtual ~SoundRenderer() = default;
    // Prepares a play of [fromMs, toMs) at the mixer's rate and channel count.
    // False: nothing can be played, the play ends at once.
    virtual bool start(int64_t fromMs, int64_t toMs, int rate, int channels) = 0;
    // Up to maxFrames interleaved frames; 0 when the play has nothing more.
    virtual size_t render(float* out, size_t maxFrames) = 0;
    // On the UI thread after a play was cut short, the worker gone.
    virtual void stopped() {}
};

// A device that feeds one mixer stream from its renderer (sound files, CD
// tracks, MIDI): the worker thread that keeps the stream's ring full,
// play/stop/pause/seek, the position from frames heard, and a completion that
// reaches the UI thread only for the play that is still current.
class StreamingDevice final : public MediaDevice {
public:
    StreamingDevice(Mixer& mixer, DeviceType type, int64_t lengthMs, std::unique_ptr<SoundRenderer> renderer,
                    std::optional<WaveFormat> wave = std::nullopt);
    ~StreamingDevice() override;

    DeviceType type() const override { return m_type; }
    std::optional<WaveFormat> waveFormat() const override { return m_wave; }
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
    int64_t length() const override { return m_length; }
    void setAudioEnabled(bool enabled) override;

    // How long the last play() took to put its first frames into the ring;
    // -1 before any. For the latency measurements of the tests.
    int64_t firstBlockMicros() const { return m_firstBlockMicros.load(std::memory_order_relaxed); }

private:
    void stopPlayback();
    void run(uint64_t generation, std::shared_ptr<AudioStream> stream, int64_t from, int64_t to, int rate,
             int channels);
    void finished();
    int64_t streamPosition() const;

    Mixer& m_mixer;
    DeviceType m_type;
    std::optional<WaveFormat> m_wave;
    int64_t m_length;
    // The worker renders from the renderer and pauses the stream: both are
    // declared before it, so it is joined before either goes.
    std::unique_ptr<SoundRenderer> m_renderer;
    std::shared_ptr<AudioStream> m_stream;
    std::atomic<int64_t> m_firstBlockMicros{-1};
    PlayWorker m_worker;
    int m_rate = 0;
    int64_t m_start = 0;
    int64_t m_end = 0;
    int64_t m_position = 0;
    bool m_audioEnabled = true;
};

} // namespace lumeria::media
