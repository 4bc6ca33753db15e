#pragma once

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace lumeria::media {

class AudioStream;

// The one worker thread of a device, and what keeps its completions honest.
// Each start is a generation; a completion travels to the UI thread with the
// generation it belongs to, and one that arrives after a stop, a seek or a
// newer play finds the generation moved on and is dropped. Everything but
// stopping() and the posting calls is for the UI thread.
class PlayWorker {
public:
    PlayWorker();
    ~PlayWorker();
    PlayWorker(const PlayWorker&) = delete;
    PlayWorker& operator=(const PlayWorker&) = delete;

    bool running() const { return m_thread.joinable(); }
    // Worker side: the UI thread has asked the worker to end.
    bool stopping() const { return m_stopRequested.load(std::memory_order_acquire); }

    // Runs body(generation) on a new thread; the previous one must be stopped.
    void start(std::function<void(uint64_t generation)> body);
    // Makes any queued completion stale, then asks a running worker to end
    // and waits for it; true when there was one. A playing stream is given
    // its gain ramp first, so cut sound fades instead of clicking.
    bool stop(AudioStream* sound = nullptr);

    // Worker side, as it returns: unless it was asked to stop, onUi runs on
    // the UI thread once the worker is joined, if the play is still current.
    void complete(uint64_t generation, std::function<void()> onUi);
    // Worker side: fn runs on the UI thread, unless the device is gone.
    void post(std::function<void()> fn);

private:
    std::unique_ptr<QObject> m_context; // lives on the UI thread; posts are queued to it
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    uint64_t m_generation = 0;
};

} // namespace lumeria::media
