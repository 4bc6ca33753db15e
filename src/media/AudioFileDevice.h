#pragma once

#include "media/StreamingDevice.h"
#include "platform/Result.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace lumeria::media {

class FfmpegInput;

// CD audio: 44.1 kHz, 16-bit stereo, 2352 bytes (1/75 s) a sector.
constexpr int64_t kCdBytesPerSecond = 44100 * 2 * 2;

// So many bytes of CD audio in milliseconds, rounded up: a length of whole
// sectors then reads back as those sectors in minutes, seconds and frames.
constexpr int64_t cdAudioMs(int64_t bytes)
{
    return bytes <= 0 ? 0 : (bytes * 1000 + kCdBytesPerSecond - 1) / kCdBytesPerSecond;
}

// A sound file FFmpeg decodes (wave in its many codings, AIFF, AU, VOC, MP3,
// Ogg Vorbis, FLAC, the audio of a video), resampled to the mixer's format:
// a streaming device whose renderer reads the file's sound track.
//
// Plays the sound track of an opened file; kInvalidFile when nothing in it
// can be decoded as sound.
Result<std::unique_ptr<StreamingDevice>> openAudioFile(std::unique_ptr<FfmpegInput> input, DeviceType type,
                                                       Mixer& mixer);
// A track of a disc image: length bytes of raw CD audio from offset in the
// file, played where they lie. kFileNotFound, or kInvalidFile when the
// extent is empty or reaches past the file's end.
Result<std::unique_ptr<StreamingDevice>> openCdTrack(const QString& file, int64_t offset, int64_t length, Mixer& mixer);

} // namespace lumeria::media
