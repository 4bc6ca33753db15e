#include "media/PlaybackClock.h"

#include "media/AudioOutput.h"

#include <algorithm>

namespace lumeria::media {

namespace {

int64_t micros(PlaybackClock::Steady::duration d)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(d).count();
}

} // namespace

void PlaybackClock::reset(int64_t startUs, std::shared_ptr<AudioStream> audio, int rate)
{
    std::lock_guard lock(m_mutex);
    m_startUs = startUs;
    m_running = false;
    m_paused = false;
    m_audio = rate > 0 ? std::move(audio) : nullptr;
    m_rate = rate;
    m_lastPlayed = 0;
    m_stepFrames = 0;
    m_wall = !m_audio;
    m_wallBaseUs = startUs;
    m_lastUs = startUs;
}

void PlaybackClock::setHeld(bool held)
{
    std::lock_guard lock(m_mutex);
    const auto now = Steady::now();
    if (!m_running) {
        // The first release starts the play.
        if (!held) {
            m_running = true;
            m_lastTake = now;
            m_wallSince = now;
        }
        return;
    }
    if (held == m_paused)
        return;
    if (held) {
        m_lastUs = readLocked(now);
        m_paused = true;
        return;
    }
    m_paused = false;
    // Time spent held is not played: both clocks pick up where they froze.
    m_wallBaseUs = m_lastUs;
    m_wallSince = now;
    m_lastTake = now;
}

int64_t PlaybackClock::nowUs() const
{
    std::lock_guard lock(m_mutex);
    return readLocked(Steady::now());
}

int64_t PlaybackClock::readLocked(Steady::time_point now) const
{
    if (!m_running || m_paused)
        return m_lastUs;
    int64_t value = m_lastUs;
    if (!m_wall && m_audio && m_audio->drained()) {
        m_wall = true;
        m_wallBaseUs = m_lastUs;
        m_wallSince = now;
    }
    if (m_wall) {
        value = m_wallBaseUs + micros(now - m_wallSince);
    } else {
        const int64_t played = m_audio->framesPlayed();
        if (played != m_lastPlayed) {
            m_stepFrames = played - m_lastPlayed;
            m_lastPlayed = played;
            m_lastTake = now;
        }
        // What was taken last is being heard now, from its start.
        const int64_t heardFrames = played - m_stepFrames;
        const int64_t stepUs = m_stepFrames * 1'000'000 / m_rate;
        value = m_startUs + heardFrames * 1'000'000 / m_rate + std::min(micros(now - m_lastTake), stepUs);
    }
    m_lastUs = std::max(m_lastUs, value);
    return m_lastUs;
}

} // namespace lumeria::media
