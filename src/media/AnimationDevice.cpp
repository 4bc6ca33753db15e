#include "media/AnimationDevice.h"

#include "media/MciErrors.h"

#include <algorithm>
#include <chrono>

namespace lumeria::media {

std::optional<AnimationMeasure> measureAnimation(FrameSource& source, int64_t pixelBudget)
{
    if (!source.rewind())
        return std::nullopt;
    AnimationMeasure m;
    int64_t pixels = 0;
    while (std::optional<AnimationFrame> frame = source.next()) {
        if (m.frames++ == 0)
            m.size = frame->image.size();
        m.lengthMs += frame->delayMs > 0 ? frame->delayMs : kUnsetFrameDelayMs;
        pixels += int64_t(frame->image.width()) * frame->image.height();
        if (pixels > pixelBudget) {
            m.complete = false;
            break;
        }
    }
    if (m.frames == 0)
        return std::nullopt;
    return m;
}

AnimationDevice::AnimationDevice(std::unique_ptr<FrameSource> source, int64_t lengthMs, int frameDelayOverrideMs)
    : m_source(std::move(source)), m_size(m_source->size()), m_length(std::max<int64_t>(0, lengthMs)),
      m_delayOverride(frameDelayOverrideMs), m_worker([](bool) {}, [this](QImage&& picture, int64_t) { show(picture); })
{
}

void AnimationDevice::show(const QImage& picture)
{
    if (m_sink)
        m_sink->present(picture);
}

AnimationDevice::~AnimationDevice()
{
    m_sink = nullptr;
    m_worker.stop();
}

int AnimationDevice::play(int64_t from, int64_t to)
{
    const int64_t start = from < 0 ? m_position.load() : from;
    const int64_t end = to < 0 ? m_length : to;
    if (start > m_length || end > m_length || start > end)
        return mci::kOutOfRange;
    m_worker.stop();
    m_position = start;
    // Held while the frames before `from` are read, so the time that takes
    // does not count against the first frame's.
    m_worker.start([this, start, end](uint64_t generation) { run(generation, start, end); }, unsigned(Hold::Seek));
    return 0;
}

void AnimationDevice::stop()
{
    m_worker.stop();
}

DeviceMode AnimationDevice::mode() const
{
    return m_worker.paused() ? DeviceMode::Paused : m_worker.playing() ? DeviceMode::Playing : DeviceMode::Stopped;
}

int AnimationDevice::seek(int64_t position)
{
    stop();
    m_position = std::clamp<int64_t>(position, 0, m_length);
    return 0;
}

int64_t AnimationDevice::position() const
{
    return m_position.load();
}

bool AnimationDevice::reach(int64_t from, int64_t at)
{
    // Frames are due on the machine's clock from the start of the play, so
    // delays do not add up the time taken to decode and show them; time
    // spent paused does not count.
    const int64_t dueUs = (at - from) * 1000;
    for (;;) {
        if (!m_worker.waitWhileHeld())
            return false;
        const int64_t played = m_worker.playedUs();
        if (played >= dueUs)
            return true;
        if (!m_worker.waitFor(std::chrono::microseconds(dueUs - played)))
            return false;
    }
}

void AnimationDevice::run(uint64_t generation, int64_t from, int64_t to)
{
    if (!m_source->rewind())
        return;
    int64_t at = 0;
    while (true) {
        std::optional<AnimationFrame> frame = m_source->next();
        if (!frame)
            break;
        const int delay = m_delayOverride > 0  ? m_delayOverride
                          : frame->delayMs > 0 ? frame->delayMs
                                               : kUnsetFrameDelayMs;
        if (at + delay <= from) {
            at += delay;
            continue;
        }
        m_worker.release(Hold::Seek);
        if (!reach(from, std::max(at, from)))
            return;
        m_worker.publish(std::move(frame->image), std::max(at, from));
        ++m_shown;
        m_position = std::max(at, from);
        at += delay;
        if (at >= to)
            break;
    }
    m_worker.release(Hold::Seek);
    // The last picture stays for its time before the play is over.
    if (!reach(from, std::max(std::min(at, to), from)))
        return;
    m_position = std::min(at, to);
    m_worker.complete(generation, [this] { complete(); });
}

} // namespace lumeria::media
