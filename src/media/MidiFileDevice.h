#pragma once

#include "media/StreamingDevice.h"
#include "platform/Result.h"

#include <QString>

#include <memory>

namespace lumeria::media {

// A MIDI file played by a General MIDI synthesizer into the mixer: the
// sequencer device of the command strings. kFileNotFound, kInvalidFile for
// a damaged file, kCannotLoadDriver when the synthesizer or its SoundFont
// cannot be loaded.
Result<std::unique_ptr<StreamingDevice>> openMidiFile(const QString& path, const QString& soundFont, Mixer& mixer);

} // namespace lumeria::media
