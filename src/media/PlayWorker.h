#pragma once

#include <QImage>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace lumeria::media {

// Why a play is held still. Each reason is held or not; the play moves only
// while none is, so a reader's pause taken during priming outlasts it and a
// priming that ends during a pause does not start the sound.
enum class Hold : unsigned {
    Reader = 1,  // pause
    Priming = 2, // the worker has not queued enough to start cleanly
    Seek = 4,    // the worker is still finding the play's first moment
};

// The play machine every device runs on: one worker thread at a time, the
// holds that keep a play still, the clock of held-free time, the latest
// picture on its way to the UI thread, and completions that reach the UI
// thread once, for the play that is still current.
//
// Each start is a generation; a completion travels with the generation it
// belongs to, and one that arrives after a stop, a seek or a newer play finds
// the generation moved on and is dropped. start, stop and the Reader hold are
// for the UI thread; the waits, publish and complete for the worker.
class PlayWorker {
public:
    using Steady = std::chrono::steady_clock;
    // Told under the machine's lock whenever the play becomes held or free:
    // where a device pauses its sound and its clock, in step with the holds.
    using HoldListener = std::function<void(bool held)>;
    // On the UI thread: the newest picture, and the file time (ms) it shows.
    using FrameReceiver = std::function<void(QImage&& picture, int64_t atMs)>;

    PlayWorker(HoldListener onHold, FrameReceiver onFrame);
    explicit PlayWorker(HoldListener onHold); // a play without pictures
    PlayWorker();
    ~PlayWorker();
    PlayWorker(const PlayWorker&) = delete;
    PlayWorker& operator=(const PlayWorker&) = delete;

    bool running() const { return m_thread.joinable(); }
    // Worker side: the UI thread has asked the worker to end.
    bool stopping() const { return m_stopRequested.load(std::memory_order_acquire); }

    // Runs body(generation) on a new thread, held for the reasons given (a
    // mask of Hold) until the worker lets go; the previous one must be stopped.
    // A play (not a seek's preview) is what pause and resume act on.
    void start(std::function<void(uint64_t generation)> body, unsigned holds = 0, bool play = true);
    // Makes any queued completion and undelivered picture stale, then asks a
    // running worker to end and waits for it; true when there was one. Sound
    // is faded by the mixer (Mixer::fadeOutStream), never waited for here.
    bool stop();

    void hold(Hold why);
    void release(Hold why);
    // UI side: a play runs from its start until a stop or its completion;
    // the reader pauses and resumes it, and nothing else.
    bool playing() const { return m_playing; }
    bool paused() const { return m_playing && heldFor(Hold::Reader); }
    void pause()
    {
        if (m_playing)
            hold(Hold::Reader);
    }
    void resume()
    {
        if (m_playing)
            release(Hold::Reader);
    }
    bool held() const;
    bool heldFor(Hold why) const;
    // Microseconds the current play has moved: time since start, less the
    // time it was held.
    int64_t playedUs() const;

    // Worker side: sleep until the moment, a stop, or a change of holds.
    // False once asked to stop.
    bool waitUntil(Steady::time_point until);
    bool waitFor(std::chrono::microseconds span) { return waitUntil(Steady::now() + span); }
    // Worker side: sleep while the play is held. False once asked to stop.
    bool waitWhileHeld();

    // Worker side: the newest picture replaces one the UI has not taken yet,
    // and at most one notice is ever on its way. True when it replaced one.
    bool publish(QImage picture, int64_t atMs);

    // Worker side, as it returns: unless it was asked to stop, onUi runs on
    // the UI thread once the worker is joined, if the play is still current.
    void complete(uint64_t generation, std::function<void()> onUi);
    // fn runs on the UI thread, unless the device is gone.
    void post(std::function<void()> fn);

private:
    void setHolds(unsigned holds, Steady::time_point now);
    void deliver();

    HoldListener m_onHold;
    FrameReceiver m_onFrame;
    std::unique_ptr<QObject> m_context; // lives on the UI thread; posts are queued to it
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    uint64_t m_generation = 0;
    bool m_playing = false;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    unsigned m_holds = 0;
    int64_t m_playedUs = 0;     // before the last release
    Steady::time_point m_since; // of the last release
    std::optional<QImage> m_picture;
    int64_t m_pictureMs = 0;
    bool m_notified = false;
};

} // namespace lumeria::media
