#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

namespace lumeria::media {

class AudioStream;

// Where a play of a video stands, in microseconds of the file. While the
// sound track plays, the sound leads: what the audio callback has taken from
// the stream, less the buffer it is still playing, plus the time since that
// buffer was taken. Without sound, or once it has all been heard, a
// monotonic wall clock carries on from there. Paused time does not count.
//
// Read from the worker that paces the pictures and from the UI thread that
// asks for the position, so every member is behind one mutex.
class PlaybackClock {
public:
    using Steady = std::chrono::steady_clock;

    // Still at startUs until first let go; audio, when given, leads from then.
    void reset(int64_t startUs, std::shared_ptr<AudioStream> audio, int rate);
    // Held clocks stand still: the play machine's holds (priming, pause).
    void setHeld(bool held);
    int64_t nowUs() const;

private:
    int64_t readLocked(Steady::time_point now) const;

    mutable std::mutex m_mutex;
    int64_t m_startUs = 0;
    bool m_running = false;
    bool m_paused = false;
    std::shared_ptr<AudioStream> m_audio;
    int m_rate = 0;
    // The audio callback takes a whole buffer at a time; between two takes
    // the position is interpolated, never further than the buffer's length.
    mutable int64_t m_lastPlayed = 0;
    mutable int64_t m_stepFrames = 0;
    mutable Steady::time_point m_lastTake;
    // Once the sound is over (or there is none) the wall clock leads.
    mutable bool m_wall = false;
    mutable int64_t m_wallBaseUs = 0;
    mutable Steady::time_point m_wallSince;
    mutable int64_t m_lastUs = 0; // never goes back within a play
};

} // namespace lumeria::media
