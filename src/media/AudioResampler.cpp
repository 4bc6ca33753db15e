#include "media/AudioResampler.h"

#include <algorithm>
#include <cstring>

namespace lumeria::media {

AudioResampler::~AudioResampler()
{
    ffmpeg().av_channel_layout_uninit(&m_inLayout);
}

void AudioResampler::reset(int outRate, int outChannels)
{
    m_outRate = outRate;
    m_outChannels = std::max(outChannels, 1);
    m_swr.reset();
    m_pending.clear();
    m_pendingFrame = 0;
}

bool AudioResampler::configure(const AVFrame& f)
{
    AVChannelLayout in{};
    if (f.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || ffmpeg().av_channel_layout_check(&f.ch_layout) == 0)
        ffmpeg().av_channel_layout_default(&in, std::max(1, f.ch_layout.nb_channels));
    else if (ffmpeg().av_channel_layout_copy(&in, &f.ch_layout) < 0)
        return false;
    if (m_swr && m_inRate == f.sample_rate && m_inFormat == f.format &&
        ffmpeg().av_channel_layout_compare(&in, &m_inLayout) == 0) {
        ffmpeg().av_channel_layout_uninit(&in);
        return true;
    }
    AVChannelLayout out{};
    ffmpeg().av_channel_layout_default(&out, m_outChannels);
    SwrContext* ctx = nullptr;
    const int rc = ffmpeg().swr_alloc_set_opts2(&ctx, &out, AV_SAMPLE_FMT_FLT, m_outRate, &in,
                                                static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
    ffmpeg().av_channel_layout_uninit(&out);
    m_swr.reset(ctx);
    if (rc < 0 || !ctx || ffmpeg().swr_init(ctx) < 0) {
        m_swr.reset();
        ffmpeg().av_channel_layout_uninit(&in);
        return false;
    }
    m_inRate = f.sample_rate;
    m_inFormat = f.format;
    ffmpeg().av_channel_layout_uninit(&m_inLayout);
    m_inLayout = in;
    return true;
}

void AudioResampler::convert(const uint8_t** data, int samples)
{
    const int room = ffmpeg().swr_get_out_samples(m_swr.get(), samples);
    if (room <= 0)
        return;
    const auto ch = static_cast<size_t>(m_outChannels);
    const size_t used = m_pending.size();
    m_pending.resize(used + static_cast<size_t>(room) * ch);
    auto* dst = reinterpret_cast<uint8_t*>(m_pending.data() + used);
    const int got = ffmpeg().swr_convert(m_swr.get(), &dst, room, data, samples);
    m_pending.resize(used + static_cast<size_t>(std::max(got, 0)) * ch);
}

void AudioResampler::push(const AVFrame& f, int skip)
{
    if (!configure(f))
        return;
    const auto sampleFormat = static_cast<AVSampleFormat>(f.format);
    const int bytes = ffmpeg().av_get_bytes_per_sample(sampleFormat);
    const int channels = f.ch_layout.nb_channels;
    const bool planar = ffmpeg().av_sample_fmt_is_planar(sampleFormat) != 0;
    const int planeCount = planar ? channels : 1;
    if (planeCount <= 0 || bytes <= 0)
        return;
    m_planes.assign(static_cast<size_t>(planeCount), nullptr);
    const size_t offset =
        static_cast<size_t>(skip) * static_cast<size_t>(bytes) * (planar ? 1u : static_cast<size_t>(channels));
    for (int p = 0; p < planeCount; ++p) {
        if (!f.extended_data[p])
            return;
        m_planes[static_cast<size_t>(p)] = f.extended_data[p] + offset;
    }
    convert(m_planes.data(), f.nb_samples - skip);
}

void AudioResampler::drain()
{
    if (!m_swr)
        return;
    for (int guard = 0; guard < 64; ++guard) {
        const size_t before = m_pending.size();
        convert(nullptr, 0);
        if (m_pending.size() == before)
            break;
    }
}

size_t AudioResampler::take(float* out, size_t maxFrames)
{
    const auto ch = static_cast<size_t>(m_outChannels);
    const size_t frames = std::min(maxFrames, available());
    if (frames == 0)
        return 0;
    std::memcpy(out, m_pending.data() + m_pendingFrame * ch, frames * ch * sizeof(float));
    m_pendingFrame += frames;
    if (available() == 0) {
        m_pending.clear();
        m_pendingFrame = 0;
    }
    return frames;
}

} // namespace lumeria::media
