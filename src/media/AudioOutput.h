#pragma once

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lumeria::media {

// How the player's sound leaves the machine: the command line's --mute and
// --audio-device.
struct AudioOutputOptions {
    bool mute = false;  // plays through SDL's dummy driver: timing, no sound
    QString deviceName; // an output device by SDL's name; empty: the default
};

// The format the device was opened with, as SDL gives it.
struct AudioFormat {
    int rate = 0;
    int channels = 0;
    QString sampleFormat; // "S16", "S32", "F32", "U8", ...
};

// One source of samples for the mixer: a single-producer, single-consumer
// ring of interleaved float frames at the device's rate and channel count.
// The producer (a decoder's worker thread) writes; the audio callback reads
// without locking or allocating.
class AudioStream {
public:
    AudioStream(int channels, size_t capacityFrames);

    int channels() const { return m_channels; }
    // Producer side. Copies as many whole frames as fit; returns their count.
    size_t write(const float* frames, size_t frameCount);
    size_t freeFrames() const;
    // No more frames will be written; once the callback has played what is
    // queued the stream is drained.
    void finish() { m_finished.store(true, std::memory_order_release); }
    bool drained() const { return m_drained.load(std::memory_order_acquire); }

    // A paused stream is skipped by the callback and keeps its frames.
    void setPaused(bool paused) { m_paused.store(paused, std::memory_order_relaxed); }
    bool paused() const { return m_paused.load(std::memory_order_relaxed); }
    // Silenced frames still play out (time passes), at gain 0.
    void setGain(float gain) { m_gain.store(gain, std::memory_order_relaxed); }
    // A stop: the callback glides the stream to silence over the gain ramp,
    // then it is done for good and the mixer lets it go by itself, so the
    // one stopping never waits for the fade.
    void fadeOut();
    bool faded() const { return m_faded.load(std::memory_order_acquire); }
    // Frames the callback has taken so far: the play position.
    int64_t framesPlayed() const { return m_played.load(std::memory_order_acquire); }

    // Consumer side, for the audio callback only: adds up to frameCount
    // frames into out (interleaved, same channel count), returns how many.
    size_t mixInto(float* out, size_t frameCount);

private:
    int m_channels;
    size_t m_capacity; // in frames
    std::vector<float> m_buffer;
    std::atomic<size_t> m_readFrame{0};
    std::atomic<size_t> m_writeFrame{0};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_drained{false};
    std::atomic<bool> m_paused{false};
    std::atomic<float> m_gain{1.0f};
    std::atomic<int64_t> m_played{0};
    std::atomic<bool> m_fading{false};
    std::atomic<bool> m_faded{false};
    float m_appliedGain = 1.0f; // the callback's own: where the gain ramp stands
};

// The one audio device of the run, opened on first use, and the mixer that
// adds every stream into it with clipping.
class Mixer {
public:
    explicit Mixer(AudioOutputOptions options = {});
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Opens the device if it is not open yet: 48 000 Hz, stereo, 16-bit
    // asked for, what the device gives taken. When no device opens, SDL's
    // dummy driver is used, so timing and completion still work. False only
    // when not even that opens.
    bool open();
    bool isOpen() const;
    AudioFormat format() const;
    // Told once, when the device opens (the automation log writes it).
    void setOpenListener(std::function<void(const AudioFormat&)> listener);

    // A new stream at the device's format, mixed from now on. Opens the
    // device when needed; null when no device could be opened.
    std::shared_ptr<AudioStream> addStream(size_t capacityFrames = 0);
    // Stops mixing the stream; when this returns the callback no longer
    // touches it.
    void removeStream(const std::shared_ptr<AudioStream>& stream);
    // Fades the stream out in the callback and drops it once silent; the
    // caller may let go of it at once and its producer may stop writing.
    void fadeOutStream(const std::shared_ptr<AudioStream>& stream);

    // A square wave of the frequency (Hz) for the duration (ms). The stream
    // is drained when the tone has been heard.
    std::shared_ptr<AudioStream> playTone(double frequency, int milliseconds);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace lumeria::media
