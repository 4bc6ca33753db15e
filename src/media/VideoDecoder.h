#pragma once

#include "platform/Result.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace lumeria::media {

class FfmpegInput;

// One picture of a video, converted for the surface, with where it belongs
// on the play's time line (microseconds from the start of the file).
struct DecodedFrame {
    QImage image;
    int64_t ptsUs = 0;
    int64_t durationUs = 0;
};

// What a video file holds, measured once when it opens.
struct VideoProperties {
    QSize naturalSize;
    double frameRate = 0;
    int64_t lengthMs = 0;
    bool hasAudio = false;
    bool mpeg = false; // an MPEG program or elementary stream rather than AVI/QuickTime
};

// The demuxer and both decoders of one video file: pictures converted by
// libswscale, sound resampled to the mixer's format. Not thread-safe: after
// open() only the device's worker uses it, one play (or one seek preview) at
// a time.
//
// Pictures and sound are pulled at their own pace from one interleaved
// file: the input keeps each track's packets until it asks, and the sound
// is read by the same AudioTrackReader as a sound file's.
class VideoDecoder {
public:
    // kInvalidFile when the file has no picture track that can be decoded
    // (cover art of a sound file is no picture track) or its first picture
    // does not decode. On failure the input is left to the caller.
    static Result<std::unique_ptr<VideoDecoder>> open(std::unique_ptr<FfmpegInput>& input);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    const VideoProperties& properties() const { return m_props; }

    // Positions the file for a play of [fromUs, toUs). Sound is resampled to
    // outRate/outChannels; outRate 0 leaves the sound track alone. False when
    // nothing can be decoded from there.
    bool start(int64_t fromUs, int64_t toUs, int outRate, int outChannels);

    // The next picture, the first one covering fromUs first; none at the end
    // of the file, at toUs, or at a decoding error (the play ends there as if
    // the file did).
    std::optional<DecodedFrame> nextFrame();
    // Up to maxFrames interleaved frames of sound; 0 when the track has no
    // more before toUs.
    size_t readAudio(float* out, size_t maxFrames);

private:
    struct Impl;
    explicit VideoDecoder(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> m_impl;
    VideoProperties m_props;
};

} // namespace lumeria::media
