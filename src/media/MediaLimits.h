#pragma once

// What a media file may make the player take: every reader of outside media
// bytes (sound, video, animated PNG) checks against these, so a damaged or
// hostile file meets the same walls whichever device opens it.

#include <cstddef>
#include <cstdint>

namespace lumeria::media {

// Below this probe score (libavformat's own retry threshold) the demuxer is
// guessing from a few bytes: garbage can pass as a raw MP3 stream.
inline constexpr int kMinProbeScore = 25;
// A file whose container gives no duration is measured from its packets;
// the scan stops here so a hostile file cannot keep an open busy.
inline constexpr int kMaxScanPackets = 1 << 18;
// Pictures larger than this are refused rather than allocated: no file of
// the era comes near, and a damaged header can claim anything.
inline constexpr int kMaxPictureSide = 8192;
// Packets a decoder rejects in a row before the rest of the track is taken
// for damage.
inline constexpr int kMaxBadPackets = 16;
// Packets waiting for the other track of an interleaved file. Only a badly
// interleaved file gets near this; past it the oldest wait is given up.
inline constexpr size_t kMaxQueuedBytes = 32u << 20;
// More frames than any animation has: a file that claims more is damaged,
// and playing stops there.
inline constexpr int kMaxAnimationFrames = 100000;
// Animations hold a picture for seconds; longer than this is damage.
inline constexpr int64_t kMaxFrameUs = 10'000'000;
// A sample aspect ratio further from square than this is taken for damage.
inline constexpr double kMaxAspectStretch = 4.0;

} // namespace lumeria::media
