#pragma once

#include "media/AudioResampler.h"
#include "media/FfmpegHandles.h"

#include <cstddef>
#include <cstdint>

namespace lumeria::media {

class FfmpegInput;

// One sound track of an opened file, decoded and resampled for a play: a
// sound file and the sound of a video are read by the same loop. Not
// thread-safe: one play at a time, on the worker that plays it.
class AudioTrackReader {
public:
    // Stamps count in microseconds from originUs: the file's start for a
    // video, so sound and picture share a time line, the track's own start
    // for a sound file.
    AudioTrackReader(int index, CodecPtr codec, AVRational timeBase, int64_t originUs);
    AudioTrackReader(const AudioTrackReader&) = delete;
    AudioTrackReader& operator=(const AudioTrackReader&) = delete;

    int index() const { return m_index; }
    const AVCodecContext& codec() const { return *m_codec; }

    // A play of [fromUs, toUs) at outRate and outChannels, the input sought
    // to fromUs or before it (what lies before is dropped).
    void start(int64_t fromUs, int64_t toUs, int outRate, int outChannels);
    // Up to maxFrames interleaved frames; 0 when the track has nothing more
    // before toUs.
    size_t read(FfmpegInput& input, float* out, size_t maxFrames);
    // Decodes until some sound is ready; false at the end of the track.
    bool decodeMore(FfmpegInput& input);

private:
    void accept(const AVFrame& frame);

    int m_index;
    CodecPtr m_codec;
    FramePtr m_frame;
    AVRational m_timeBase;
    int64_t m_originUs;

    // The play in progress.
    int64_t m_fromUs = 0;
    int64_t m_nextUs = 0;    // where a frame without a stamp starts
    bool m_first = true;     // the first sound of a play is lined up with fromUs
    bool m_draining = false; // the decoder was told no more packets come
    bool m_ended = false;
    bool m_gaveUp = false;
    int m_badPackets = 0; // rejected by the decoder in a row
    int64_t m_framesLeft = 0;
    int64_t m_silenceFrames = 0; // the track starts after fromUs
    AudioResampler m_resampler;
};

} // namespace lumeria::media
