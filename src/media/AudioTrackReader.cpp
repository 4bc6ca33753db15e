#include "media/AudioTrackReader.h"

#include "media/FfmpegInput.h"
#include "media/MediaLimits.h"

#include <algorithm>

namespace lumeria::media {

namespace {

constexpr AVRational kMicros{1, 1000000};

} // namespace

AudioTrackReader::AudioTrackReader(int index, CodecPtr codec, AVRational timeBase, int64_t originUs)
    : m_index(index), m_codec(std::move(codec)), m_frame(ffmpeg().av_frame_alloc()), m_timeBase(timeBase),
      m_originUs(originUs)
{
}

void AudioTrackReader::start(int64_t fromUs, int64_t toUs, int outRate, int outChannels)
{
    m_fromUs = m_nextUs = fromUs;
    m_first = true;
    m_draining = m_gaveUp = false;
    m_ended = !m_frame;
    m_badPackets = 0;
    m_framesLeft = ffmpeg().av_rescale(std::max<int64_t>(0, toUs - fromUs), outRate, 1000000);
    m_silenceFrames = 0;
    m_resampler.reset(outRate, outChannels);
    ffmpeg().avcodec_flush_buffers(m_codec.get());
}

void AudioTrackReader::accept(const AVFrame& f)
{
    if (f.nb_samples <= 0 || f.sample_rate <= 0)
        return;
    int64_t start = m_nextUs;
    if (f.best_effort_timestamp != AV_NOPTS_VALUE)
        start = ffmpeg().av_rescale_q(f.best_effort_timestamp, m_timeBase, kMicros) - m_originUs;
    m_nextUs = start + ffmpeg().av_rescale(f.nb_samples, 1000000, f.sample_rate);

    // A seek lands on a key frame or a packet before `from`, and a track may
    // start after it; the sound is cut or padded once, here, so its first
    // sample plays at fromUs. After that it follows on: stamps of later
    // packets jitter and must not open gaps.
    int skip = 0;
    if (m_first) {
        if (m_nextUs <= m_fromUs)
            return;
        if (start > m_fromUs)
            m_silenceFrames = ffmpeg().av_rescale(start - m_fromUs, m_resampler.outRate(), 1000000);
        else
            skip = static_cast<int>(std::clamp<int64_t>(ffmpeg().av_rescale(m_fromUs - start, f.sample_rate, 1000000),
                                                        0, f.nb_samples - 1));
        m_first = false;
    }
    m_resampler.push(f, skip);
}

bool AudioTrackReader::decodeMore(FfmpegInput& input)
{
    while (!m_ended && m_silenceFrames == 0 && m_resampler.available() == 0) {
        const int rc = ffmpeg().avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (rc == 0) {
            accept(*m_frame);
            ffmpeg().av_frame_unref(m_frame.get());
            continue;
        }
        if (rc != AVERROR(EAGAIN) || m_draining) {
            // The end of the drained decoder, or an error it cannot get past.
            m_resampler.drain();
            m_ended = true;
            continue;
        }
        PacketPtr p = m_gaveUp ? nullptr : input.nextPacket(m_index);
        if (!p) {
            ffmpeg().avcodec_send_packet(m_codec.get(), nullptr);
            m_draining = true;
            continue;
        }
        // A packet the decoder rejects is skipped, so one damaged frame costs
        // a click, not the rest of the sound; a run of them means the rest
        // is damaged, and the track ends there.
        if (ffmpeg().avcodec_send_packet(m_codec.get(), p.get()) < 0) {
            if (++m_badPackets >= kMaxBadPackets) {
                m_gaveUp = true;
                input.dropTrack(m_index);
            }
        } else {
            m_badPackets = 0;
        }
    }
    return m_silenceFrames > 0 || m_resampler.available() > 0;
}

size_t AudioTrackReader::read(FfmpegInput& input, float* out, size_t maxFrames)
{
    const auto channels = static_cast<size_t>(m_resampler.outChannels());
    size_t given = 0;
    while (given < maxFrames && m_framesLeft > 0 && decodeMore(input)) {
        const auto room = static_cast<size_t>(std::min<int64_t>(int64_t(maxFrames - given), m_framesLeft));
        size_t n = 0;
        if (m_silenceFrames > 0) {
            n = static_cast<size_t>(std::min<int64_t>(int64_t(room), m_silenceFrames));
            std::fill_n(out + given * channels, n * channels, 0.0f);
            m_silenceFrames -= int64_t(n);
        } else {
            n = m_resampler.take(out + given * channels, room);
        }
        m_framesLeft -= int64_t(n);
        given += n;
    }
    // Done: the packets of this track are no longer kept for it.
    if (given < maxFrames)
        input.dropTrack(m_index);
    return given;
}

} // namespace lumeria::media
