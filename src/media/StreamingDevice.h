#pragma once

#include "media/MediaDevice.h"
#include "media/PlayWorker.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace lumeria::media {

class AudioStream;
class Mixer;

// What every device that feeds one mixer stream shares: the worker thread
// that keeps the stream's ring full, play/stop/pause/seek, the position from
// frames heard, and a completion that reaches the UI thread only for the play
// that is still current.
//
// A subclass renders: startRender() and render() run on the worker, one play
// at a time, never while the UI thread calls into the subclass's decoder.
// Subclasses call shutdown() first thing in their destructor so the worker
// does not outlive the state it renders from.
class StreamingDevice : public MediaDevice {
public:
    StreamingDevice(Mixer& mixer, int64_t lengthMs);
    ~StreamingDevice() override;

    int play(int64_t from, int64_t to) override;
    void stop() override;
    int pause() override;
    int resume() override;
    int seek(int64_t position) override;
    DeviceMode mode() const override { return m_mode; }
    int64_t position() const override;
    int64_t length() const override { return m_length; }
    void setAudioEnabled(bool enabled) override;

    // How long the last play() took to put its first frames into the ring;
    // -1 before any. For the latency measurements of the tests.
    int64_t firstBlockMicros() const { return m_firstBlockMicros.load(std::memory_order_relaxed); }

protected:
    // Prepares a play of [fromMs, toMs) at the mixer's rate and channel count.
    // False: nothing can be played, the play ends at once.
    virtual bool startRender(int64_t fromMs, int64_t toMs, int rate, int channels) = 0;
    // Up to maxFrames interleaved frames; 0 when the play has nothing more.
    virtual size_t render(float* out, size_t maxFrames) = 0;
    // On the UI thread after a play was cut short, the worker gone.
    virtual void renderStopped() {}

    void shutdown();

private:
    void stopPlayback();
    void run(uint64_t generation, std::shared_ptr<AudioStream> stream, int64_t from, int64_t to, int rate,
             int channels);
    void finished();
    int64_t streamPosition() const;

    Mixer& m_mixer;
    int64_t m_length;
    PlayWorker m_worker;
    std::atomic<int64_t> m_firstBlockMicros{-1};
    std::shared_ptr<AudioStream> m_stream;
    int m_rate = 0;
    int64_t m_start = 0;
    int64_t m_end = 0;
    int64_t m_position = 0;
    DeviceMode m_mode = DeviceMode::Stopped;
    bool m_audioEnabled = true;
};

} // namespace lumeria::media
