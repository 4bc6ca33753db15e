#pragma once

// What each kind of device answers on its own. Each driver of the system
// kept its own time formats and its own state rules; these are them, as
// far as the player has the devices.

#include "media/DeviceTable.h"
#include "media/MciCommand.h"
#include "media/MciErrors.h"

#include <optional>

namespace lumeria::media {

struct DeviceKindRules {
    // Pause of a device that is neither playing nor paused (waveaudio
    // refuses it; the others pause where they are).
    int pauseWhenStopped = 0;
    // Resume of a device that is not paused: waveaudio finds it does not
    // apply, the CD drive reports its hardware.
    int resumeWhenStopped = 0;
    // Cue while playing or paused.
    int cueWhilePlaying = 0;
    // "status x" without an item.
    int statusWithoutItem = mci::kMissingParameter;
    bool compound = true; // opens an element (a file) of its own
};

inline DeviceKindRules kindRules(DeviceType type)
{
    switch (type) {
    case DeviceType::WaveAudio:
        return {mci::kNonapplicableFunction, mci::kNonapplicableFunction, mci::kNonapplicableFunction,
                mci::kMissingParameter, true};
    case DeviceType::Sequencer: return {0, 0, 0, mci::kMissingParameter, true};
    case DeviceType::AviVideo: return {0, 0, 0, mci::kUnsupportedFunction, true};
    case DeviceType::MpegVideo: return {0, 0, 0, mci::kMissingParameter, true};
    case DeviceType::CdAudio: return {0, mci::kHardware, 0, mci::kMissingParameter, false};
    }
    return {};
}

// The time format a device of the kind takes for the constant; nothing
// when its driver has no such format here.
inline std::optional<TimeFormat> kindTimeFormat(DeviceType type, MciTimeFormat format, bool hasFrames,
                                                const WaveFormat& wave)
{
    switch (format) {
    case MciTimeFormat::Milliseconds: return TimeFormat::Milliseconds;
    case MciTimeFormat::Frames:
        if (hasFrames && (type == DeviceType::AviVideo || type == DeviceType::MpegVideo))
            return TimeFormat::Frames;
        return std::nullopt;
    case MciTimeFormat::Msf:
        if (type == DeviceType::CdAudio)
            return TimeFormat::Msf;
        return std::nullopt;
    case MciTimeFormat::Tmsf:
        if (type == DeviceType::CdAudio)
            return TimeFormat::Tmsf;
        return std::nullopt;
    case MciTimeFormat::Bytes:
        if (type == DeviceType::WaveAudio && wave.bytesPerSec > 0)
            return TimeFormat::Bytes;
        return std::nullopt;
    case MciTimeFormat::Samples:
        if (type == DeviceType::WaveAudio && wave.samplesPerSec > 0)
            return TimeFormat::Samples;
        return std::nullopt;
    case MciTimeFormat::Hms:
    case MciTimeFormat::Smpte24:
    case MciTimeFormat::Smpte25:
    case MciTimeFormat::Smpte30:
    case MciTimeFormat::Smpte30Drop:
    case MciTimeFormat::SongPointer: return std::nullopt;
    }
    return std::nullopt;
}

} // namespace lumeria::media
