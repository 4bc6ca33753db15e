#pragma once

#include "media/MediaDevice.h"
#include "platform/Result.h"

#include <QString>

#include <memory>
#include <optional>

namespace lumeria::media {

class Mixer;

// What opening a device needs from the run.
struct DeviceServices {
    Mixer* mixer = nullptr;
    // The General MIDI SoundFont for sequencer files; empty: the best one
    // installed (see defaultSoundFont()).
    QString soundFont;
};

// Opens a media file as a device. The file's contents decide: a standard
// MIDI file or a RIFF-wrapped one is a sequencer, a file with pictures (not
// only cover art) a video whatever type was asked, anything else FFmpeg can
// decode wave audio; a type the command string asked for that the contents
// cannot be is refused. Fails with an MCI code: kFileNotFound when the file
// does not exist, kInvalidFile (or kCannotLoadDriver) when it cannot be
// decoded.
Result<std::unique_ptr<MediaDevice>> openDevice(const QString& path, std::optional<DeviceType> type,
                                                const DeviceServices& services);

// The SoundFont used when none is chosen: a larger General MIDI set when
// one is installed, else the small one the player's dependencies bring.
QString defaultSoundFont();

} // namespace lumeria::media
