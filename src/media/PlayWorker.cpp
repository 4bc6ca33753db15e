#include "media/PlayWorker.h"

#include "media/AudioOutput.h"

#include <QMetaObject>

#include <chrono>

namespace lumeria::media {

namespace {

// A stop waits at most this long for the gain ramp to play out.
constexpr auto kFadeWait = std::chrono::milliseconds(25);
constexpr int64_t kFadeFrames = 128;

void fadeOut(AudioStream& stream)
{
    if (stream.paused() || stream.drained())
        return;
    stream.setGain(0.0f);
    const int64_t from = stream.framesPlayed();
    const auto deadline = std::chrono::steady_clock::now() + kFadeWait;
    while (stream.framesPlayed() - from < kFadeFrames && !stream.drained() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

PlayWorker::PlayWorker() : m_context(std::make_unique<QObject>()) {}

PlayWorker::~PlayWorker()
{
    stop();
}

void PlayWorker::start(std::function<void(uint64_t generation)> body)
{
    Q_ASSERT(!running());
    m_stopRequested.store(false, std::memory_order_release);
    m_thread = std::thread([generation = m_generation, body = std::move(body)] { body(generation); });
}

bool PlayWorker::stop(AudioStream* sound)
{
    ++m_generation;
    if (!m_thread.joinable())
        return false;
    if (sound)
        fadeOut(*sound);
    m_stopRequested.store(true, std::memory_order_release);
    m_thread.join();
    return true;
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
        onUi();
    });
}

void PlayWorker::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(m_context.get(), std::move(fn), Qt::QueuedConnection);
}

} // namespace lumeria::media
