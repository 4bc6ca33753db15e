#pragma once

#include "media/MediaDevice.h"
#include "media/PlayWorker.h"

#include <QImage>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace lumeria::media {

// One picture of an animation and how long it stays.
struct AnimationFrame {
    QImage image; // RGB32, or ARGB32_Premultiplied where the page shows through
    int delayMs = 0;
};

// The frames of an animation file in order. Used on the player's worker
// thread only, one call at a time.
class FrameSource {
public:
    virtual ~FrameSource() = default;
    virtual QSize size() const = 0;
    // Back to the first frame; false when the file cannot be read again.
    virtual bool rewind() = 0;
    // The next frame, nothing at the end (or where the file is damaged: an
    // animation plays what it has).
    virtual std::optional<AnimationFrame> next() = 0;
    // How many frames the file says it has, read without decoding them; 0
    // when it does not say.
    virtual int frameCountHint() const { return 0; }
};

// A frame that asks for no time at all stays a tenth of a second, as
// browsers and the old players alike did: files written that way expect it.
inline constexpr int kUnsetFrameDelayMs = 100;

struct AnimationMeasure {
    int frames = 0;
    int64_t lengthMs = 0; // one pass at the frames' own delays
    QSize size;           // of the first frame
    // False when the budget ran out before the last frame: frames and
    // lengthMs then count only the frames decoded.
    bool complete = true;
};

// Reads the source once from its start, decoding frames until their pixels
// pass pixelBudget; nothing when it has no frame.
std::optional<AnimationMeasure> measureAnimation(FrameSource& source, int64_t pixelBudget);

// Plays a FrameSource on the play machine, as the animation players did:
// each frame is handed to the UI thread, which shows it in the sink; one
// pass over the frames is one play, and the media list repeats it. The
// position counts the frame delays shown, so from/to are milliseconds too.
class AnimationDevice : public MediaDevice {
public:
    AnimationDevice(std::unique_ptr<FrameSource> source, int64_t lengthMs, int frameDelayOverrideMs = 0);
    ~AnimationDevice() override;

    DeviceType type() const override { return DeviceType::AviVideo; }
    bool hasVideo() const override { return true; }
    QSize naturalSize() const override { return m_size; }
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
    int64_t length() const override { return m_length; }
    void setAudioEnabled(bool) override {}

    // Frames shown and frames skipped because they came too late.
    int64_t framesShown() const { return m_shown.load(); }

private:
    void run(uint64_t generation, int64_t from, int64_t to);
    // Worker side: sleeps until the play has moved to `at`; false on a stop.
    bool reach(int64_t from, int64_t at);
    void show(const QImage& picture);

    std::unique_ptr<FrameSource> m_source;
    QSize m_size;
    int64_t m_length;
    int m_delayOverride;
    FrameSink* m_sink = nullptr;
    PlayWorker m_worker;
    std::atomic<int64_t> m_position{0};
    std::atomic<int64_t> m_shown{0};
};

} // namespace lumeria::media
