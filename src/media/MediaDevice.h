#pragma once

#include "media/FrameSink.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace lumeria::media {

// The kinds of device a command string can name, and the kind a file opens
// as when no type is given.
enum class DeviceType { WaveAudio, Sequencer, AviVideo, MpegVideo, CdAudio };

// What "status ... mode" answers.
enum class DeviceMode { NotReady, Stopped, Playing, Paused, Seeking, Open };

// How wave audio is coded, as "status ... samplespersec" and its kin answer
// and "set" may change on a new element: 8-bit mono PCM at 11025 Hz unless
// a file or a set says otherwise.
struct WaveFormat {
    uint32_t formatTag = 1;
    uint32_t channels = 1;
    uint32_t samplesPerSec = 11025;
    uint32_t bytesPerSec = 11025;
    uint32_t alignment = 1;
    uint32_t bitsPerSample = 8;
};

// One opened media file: what the Windows media control interface gave the
// player, on this system. Positions and lengths are milliseconds. Every call
// comes from the UI thread; a device may decode and play on threads of its
// own, but its completion handler runs on the UI thread.
class MediaDevice {
public:
    virtual ~MediaDevice() = default;

    virtual DeviceType type() const = 0;
    virtual bool hasVideo() const { return false; }
    // The size of the picture a video shows unscaled; empty for sound.
    virtual QSize naturalSize() const { return {}; }
    // Frames per second of a video: what the "frames" time format counts.
    virtual double frameRate() const { return 0; }
    // Where a video's pictures go: a surface the device does not own, set
    // before play() and cleared (null) before the surface goes. A device
    // with no sink decodes and keeps time all the same.
    virtual void setFrameSink(FrameSink*) {}

    // Starts playing from `from` (the current position when negative) up to
    // `to` (the end when negative) and returns at once. Returns 0 or an MCI
    // error code (the codes of MciErrors.h).
    virtual int play(int64_t from, int64_t to) = 0;
    // Stops where it is; the position stays.
    virtual void stop() = 0;
    virtual int pause() = 0;
    virtual int resume() = 0;
    // Stops and moves to the position (clamped to 0..length).
    virtual int seek(int64_t position) = 0;

    virtual DeviceMode mode() const = 0;
    virtual int64_t position() const = 0;
    virtual int64_t length() const = 0;

    // Sound on or off without stopping ("set ... audio all off").
    virtual void setAudioEnabled(bool enabled) = 0;

    // The tracks a device has, as "status ... track N" asks for them: a
    // file is one track that starts at 0; a CD drive has the disc's, and
    // none while it has no disc. Tracks count from 1.
    virtual bool mediaPresent() const { return true; }
    virtual int trackCount() const { return 1; }
    virtual int64_t trackStart(int) const { return 0; }
    virtual int64_t trackLength(int track) const { return track == 1 ? length() : 0; }
    virtual bool isAudioTrack(int track) const { return track == 1; }
    virtual int currentTrack() const { return 1; }
    // How the sound of a file is coded, when the device knows.
    virtual std::optional<WaveFormat> waveFormat() const { return std::nullopt; }

    // Called on the UI thread when a play started by play() reaches its `to`
    // or the end by itself; never after stop(), seek(), a newer play() or the
    // device's destruction.
    void setCompletionHandler(std::function<void()> handler) { m_completion = std::move(handler); }

protected:
    void complete()
    {
        if (m_completion)
            m_completion();
    }

private:
    std::function<void()> m_completion;
};

} // namespace lumeria::media
