#include "media/PlayWorker.h"

#include <QMetaObject>

namespace lumeria::media {

namespace {

int64_t micros(PlayWorker::Steady::duration d)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(d).count();
}

} // namespace

PlayWorker::PlayWorker(HoldListener onHold, FrameReceiver onFrame)
    : m_onHold(std::move(onHold)), m_onFrame(std::move(onFrame)), m_context(std::make_unique<QObject>())
{
}

PlayWorker::PlayWorker(HoldListener onHold) : PlayWorker(std::move(onHold), [](QImage&&, int64_t) {}) {}

PlayWorker::PlayWorker() : PlayWorker([](bool) {}) {}

PlayWorker::~PlayWorker()
{
    stop();
}

void PlayWorker::start(std::function<void(uint64_t generation)> body, unsigned holds, bool play)
{
    Q_ASSERT(!running());
    m_playing = play;
    m_stopRequested.store(false, std::memory_order_release);
    {
        std::lock_guard lock(m_mutex);
        m_playedUs = 0;
        m_since = Steady::now();
        m_holds = holds;
        m_onHold(holds != 0);
    }
    m_thread = std::thread([generation = m_generation, body = std::move(body)] { body(generation); });
}

bool PlayWorker::stop()
{
    ++m_generation;
    m_playing = false;
    {
        std::lock_guard lock(m_mutex);
        m_picture.reset();
    }
    if (!m_thread.joinable())
        return false;
    {
        // Set under the lock so a worker between its check and its wait
        // cannot miss the notice.
        std::lock_guard lock(m_mutex);
        m_stopRequested.store(true, std::memory_order_release);
    }
    m_wake.notify_all();
    m_thread.join();
    std::lock_guard lock(m_mutex);
    m_holds = 0;
    m_picture.reset();
    return true;
}

void PlayWorker::setHolds(unsigned holds, Steady::time_point now)
{
    const bool was = m_holds != 0;
    const bool is = holds != 0;
    m_holds = holds;
    if (was == is)
        return;
    if (is)
        m_playedUs += micros(now - m_since);
    else
        m_since = now;
    m_onHold(is);
}

void PlayWorker::hold(Hold why)
{
    {
        std::lock_guard lock(m_mutex);
        setHolds(m_holds | static_cast<unsigned>(why), Steady::now());
    }
    m_wake.notify_all();
}

void PlayWorker::release(Hold why)
{
    {
        std::lock_guard lock(m_mutex);
        setHolds(m_holds & ~static_cast<unsigned>(why), Steady::now());
    }
    m_wake.notify_all();
}

bool PlayWorker::held() const
{
    std::lock_guard lock(m_mutex);
    return m_holds != 0;
}

bool PlayWorker::heldFor(Hold why) const
{
    std::lock_guard lock(m_mutex);
    return (m_holds & static_cast<unsigned>(why)) != 0;
}

int64_t PlayWorker::playedUs() const
{
    std::lock_guard lock(m_mutex);
    return m_holds != 0 ? m_playedUs : m_playedUs + micros(Steady::now() - m_since);
}

bool PlayWorker::waitUntil(Steady::time_point until)
{
    std::unique_lock lock(m_mutex);
    const unsigned holds = m_holds;
    m_wake.wait_until(lock, until, [&] { return stopping() || m_holds != holds; });
    return !stopping();
}

bool PlayWorker::waitWhileHeld()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [&] { return stopping() || m_holds == 0; });
    return !stopping();
}

bool PlayWorker::publish(QImage picture, int64_t atMs)
{
    bool replaced = false;
    bool notify = false;
    {
        std::lock_guard lock(m_mutex);
        if (stopping())
            return false;
        replaced = m_picture.has_value();
        m_picture = std::move(picture);
        m_pictureMs = atMs;
        notify = !m_notified;
        m_notified = true;
    }
    if (notify)
        post([this] { deliver(); });
    return replaced;
}

void PlayWorker::deliver()
{
    std::optional<QImage> picture;
    int64_t atMs = 0;
    {
        std::lock_guard lock(m_mutex);
        picture.swap(m_picture);
        atMs = m_pictureMs;
        m_notified = false;
    }
    if (picture)
        m_onFrame(std::move(*picture), atMs);
}

void PlayWorker::complete(uint64_t generation, std::function<void()> onUi)
{
    if (stopping())
        return;
    post([this, generation, onUi = std::move(onUi)] {
        if (generation != m_generation || !m_thread.joinable())
            return;
        m_thread.join(); // it has posted this and is returning
        ++m_generation;
        m_playing = false;
        onUi();
    });
}

void PlayWorker::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(m_context.get(), std::move(fn), Qt::QueuedConnection);
}

} // namespace lumeria::media
