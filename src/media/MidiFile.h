#pragma once

#include "platform/Result.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumeria::media {

// A standard MIDI file (type 0 or 1, or RIFF-wrapped as RMID), checked event
// by event, with the timing needed to turn ticks into milliseconds.
class MidiFile {
public:
    // kInvalidFile for anything that is not a complete, well-formed file.
    static Result<MidiFile> parse(std::span<const std::byte> bytes);
    // kFileNotFound / kFileRead as the file system answers, else as parse().
    static Result<MidiFile> load(const QString& path);

    // True when the bytes start like a MIDI file (bare or RIFF RMID).
    static bool sniff(std::span<const std::byte> head);

    // The bare standard MIDI file, unwrapped from RIFF when it was.
    const std::vector<std::byte>& smf() const { return m_smf; }
    int format() const { return m_format; }
    int trackCount() const { return m_trackCount; }
    int64_t lengthTicks() const { return m_lengthTicks; }
    int64_t lengthMs() const { return ticksToMs(m_lengthTicks); }

    int64_t ticksToMs(int64_t ticks) const;
    int64_t msToTicks(int64_t ms) const;

private:
    struct TempoChange {
        int64_t tick;
        uint32_t microsPerQuarter;
    };

    std::vector<std::byte> m_smf;
    int m_format = 0;
    int m_trackCount = 0;
    int m_ticksPerQuarter = 0;     // 0 when the division is SMPTE
    double m_ticksPerSecond = 0.0; // SMPTE division: frames/s × ticks/frame
    int64_t m_lengthTicks = 0;
    std::vector<TempoChange> m_tempo; // sorted by tick, first at tick 0
};

} // namespace lumeria::media
