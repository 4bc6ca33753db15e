#pragma once

#include "media/FfmpegHandles.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumeria::media {

// Decoded sound into the mixer's format: interleaved float frames at one
// rate and channel count, whatever layout, rate and sample format each
// decoded frame arrives in (a file may change them midway). Converted frames
// wait here until the caller takes them.
class AudioResampler {
public:
    AudioResampler() = default;
    ~AudioResampler();
    AudioResampler(const AudioResampler&) = delete;
    AudioResampler& operator=(const AudioResampler&) = delete;

    // Starts a play: drops what is pending and the resampler itself, so no
    // tail of the previous play leaks in.
    void reset(int outRate, int outChannels);
    int outRate() const { return m_outRate; }
    int outChannels() const { return m_outChannels; }

    // Converts the frame's samples from `skip` on. A frame that cannot be
    // converted adds nothing.
    void push(const AVFrame& frame, int skip);
    // The resampler's delayed tail, at the end of the input.
    void drain();

    size_t available() const { return m_pending.size() / static_cast<size_t>(m_outChannels) - m_pendingFrame; }
    // Copies up to maxFrames pending frames to out; returns their count.
    size_t take(float* out, size_t maxFrames);

private:
    bool configure(const AVFrame& frame);
    void convert(const uint8_t** data, int samples);

    int m_outRate = 0;
    int m_outChannels = 1;
    SwrPtr m_swr;
    // The resampler's input, as last configured.
    int m_inRate = 0;
    int m_inFormat = -1;
    AVChannelLayout m_inLayout{};
    std::vector<float> m_pending; // converted frames not yet taken
    size_t m_pendingFrame = 0;
    std::vector<const uint8_t*> m_planes;
};

} // namespace lumeria::media
