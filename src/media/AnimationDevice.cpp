#include "media/AnimationDevice.h"

#include "media/MciErrors.h"

#include <algorithm>
#include <chrono>

namespace lumeria::media {

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

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
      m_delayOverride(frameDelayOverrideMs), m_context(std::make_unique<QObject>())
{
}

AnimationDevice::~AnimationDevice()
{
    m_sink = nullptr;
    stopWorker();
}

void AnimationDevice::stopWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        ++m_generation; // what the old worker posted is stale now
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    std::lock_guard lock(m_mutex);
    m_stop = false;
    m_paused = false;
    m_pending.reset();
    m_notified = false;
}

int AnimationDevice::play(int64_t from, int64_t to)
{
    const int64_t start = from < 0 ? m_position.load() : from;
    const int64_t end = to < 0 ? m_length : to;
    if (start > m_length || end > m_length || start > end)
        return mci::kOutOfRange;
    stopWorker();
    uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        generation = m_generation;
    }
    m_position = start;
    m_mode = DeviceMode::Playing;
    m_worker = std::thread([this, generation, start, end] { run(generation, start, end); });
    return 0;
}

void AnimationDevice::stop()
{
    stopWorker();
    m_mode = DeviceMode::Stopped;
}

int AnimationDevice::pause()
{
    if (m_mode != DeviceMode::Playing)
        return 0;
    {
        std::lock_guard lock(m_mutex);
        m_paused = true;
    }
    m_mode = DeviceMode::Paused;
    return 0;
}

int AnimationDevice::resume()
{
    if (m_mode != DeviceMode::Paused)
        return 0;
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
    }
    m_wake.notify_all();
    m_mode = DeviceMode::Playing;
    return 0;
}

int AnimationDevice::seek(int64_t position)
{
    stop();
    m_position = std::clamp<int64_t>(position, 0, m_length);
    return 0;
}

DeviceMode AnimationDevice::mode() const
{
    return m_mode;
}

int64_t AnimationDevice::position() const
{
    return m_position.load();
}

void AnimationDevice::run(uint64_t generation, int64_t from, int64_t to)
{
    // Frames are due on one clock from the start of the play, so delays do
    // not add up the time taken to decode and show them; time spent paused
    // moves the clock on.
    Clock::time_point start = Clock::now();
    auto waitFor = [&](int64_t at) {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (m_stop)
                return false;
            if (m_paused) {
                const Clock::time_point pausedAt = Clock::now();
                m_wake.wait(lock, [&] { return m_stop || !m_paused; });
                start += Clock::now() - pausedAt;
                continue;
            }
            const Clock::time_point due = start + std::chrono::milliseconds(at - from);
            if (Clock::now() >= due)
                return true;
            m_wake.wait_until(lock, due);
        }
    };
    auto publish = [&](const QImage& image) {
        std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        m_pending = image;
        if (!m_notified) {
            m_notified = true;
            QMetaObject::invokeMethod(
                m_context.get(), [this, generation] { deliver(generation); }, Qt::QueuedConnection);
        }
    };

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
        if (!waitFor(std::max(at, from)))
            return;
        publish(frame->image);
        ++m_shown;
        m_position = std::max(at, from);
        at += delay;
        if (at >= to)
            break;
    }
    // The last picture stays for its time before the play is over.
    if (!waitFor(std::max(std::min(at, to), from)))
        return;
    m_position = std::min(at, to);
    QMetaObject::invokeMethod(
        m_context.get(),
        [this, generation] {
            {
                std::lock_guard lock(m_mutex);
                if (generation != m_generation)
                    return;
            }
            m_mode = DeviceMode::Stopped;
            complete();
        },
        Qt::QueuedConnection);
}

void AnimationDevice::deliver(uint64_t generation)
{
    std::optional<QImage> image;
    {
        std::lock_guard lock(m_mutex);
        m_notified = false;
        if (generation != m_generation)
            return;
        image.swap(m_pending);
    }
    if (image && m_sink)
        m_sink->present(*image);
}

} // namespace lumeria::media
