#include "media/VideoDecoder.h"

#include "media/AudioResampler.h"
#include "media/FfmpegHandles.h"
#include "media/FfmpegInput.h"
#include "media/MciErrors.h"
#include "media/MediaLimits.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <vector>

namespace lumeria::media {

namespace {

constexpr AVRational kMicros{1, 1000000};
// When the frame rate is unknown a picture lasts this long.
constexpr int64_t kDefaultFrameUs = 66'667;

int64_t frameDuration(const AVFrame& f)
{
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
    return f.duration;
#else
    return f.pkt_duration;
#endif
}

// Compressed packets of one track waiting to be decoded.
class PacketQueue {
public:
    void push(AVPacket* from)
    {
        PacketPtr p(ffmpeg().av_packet_alloc());
        if (!p)
            return;
        ffmpeg().av_packet_move_ref(p.get(), from);
        m_bytes += static_cast<size_t>(p->size);
        m_packets.push_back(std::move(p));
        while (m_bytes > kMaxQueuedBytes && m_packets.size() > 1)
            pop();
    }
    PacketPtr pop()
    {
        if (m_packets.empty())
            return nullptr;
        PacketPtr p = std::move(m_packets.front());
        m_packets.pop_front();
        m_bytes -= static_cast<size_t>(p->size);
        return p;
    }
    bool empty() const { return m_packets.empty(); }
    void clear()
    {
        m_packets.clear();
        m_bytes = 0;
    }

private:
    std::deque<PacketPtr> m_packets;
    size_t m_bytes = 0;
};

} // namespace

struct VideoDecoder::Impl {
    std::unique_ptr<FfmpegInput> input;
    AVFormatContext* format = nullptr;
    CodecPtr video;
    CodecPtr audio;
    SwsPtr sws;
    PacketPtr packet{ffmpeg().av_packet_alloc()};
    FramePtr frame{ffmpeg().av_frame_alloc()};
    int videoIndex = -1;
    int audioIndex = -1;
    AVRational videoTimeBase{1, 1};
    AVRational audioTimeBase{1, 1};
    int64_t originUs = 0;
    int64_t videoStartUs = 0; // the picture track's own start on the play's time line
    bool mpeg = false;
    int64_t frameUs = kDefaultFrameUs;
    QSize natural;
    // QuickTime and AVI give a paletted track's palette once, beside the
    // first packet; after a seek the decoder is handed it again.
    std::vector<uint8_t> palette;
    bool paletteDue = false;

    // The play in progress.
    int64_t fromUs = 0;
    int64_t toUs = 0;
    bool inputEnded = false; // the demuxer has no more packets
    bool failed = false;     // a picture could not be decoded: the file ends here
    PacketQueue videoPackets;
    bool videoDraining = false;
    bool videoEnded = false;
    int64_t nextVideoUs = 0;

    PacketQueue audioPackets;
    bool audioWanted = false;
    bool audioDraining = false;
    bool audioEnded = false;
    bool audioFirst = true; // the first sound after start() is aligned to fromUs
    bool audioGaveUp = false;
    int badAudioPackets = 0;
    int64_t audioFramesLeft = 0;
    int64_t silenceFrames = 0; // the sound track starts after the picture
    int64_t nextAudioUs = 0;
    AudioResampler resampler;

    int64_t toMicros(int64_t ts, AVRational tb) const { return ffmpeg().av_rescale_q(ts, tb, kMicros) - originUs; }
    bool readPacket();
    void capturePalette();
    std::optional<DecodedFrame> receiveVideo();
    bool convertPicture(const AVFrame& f, QImage& out);

    void acceptAudio(const AVFrame& f);
    bool decodeAudio();
};

bool VideoDecoder::Impl::readPacket()
{
    if (inputEnded || failed)
        return false;
    if (ffmpeg().av_read_frame(format, packet.get()) < 0) {
        inputEnded = true;
        return false;
    }
    // An empty chunk in an AVI repeats the previous picture; to a decoder an
    // empty packet would mean "flush", so it goes nowhere.
    if (packet->size > 0) {
        if (packet->stream_index == videoIndex && !videoEnded) {
            if (paletteDue && !palette.empty() &&
                !ffmpeg().av_packet_get_side_data(packet.get(), AV_PKT_DATA_PALETTE, nullptr)) {
                if (uint8_t* side = ffmpeg().av_packet_new_side_data(packet.get(), AV_PKT_DATA_PALETTE, palette.size()))
                    std::memcpy(side, palette.data(), palette.size());
            }
            paletteDue = false;
            videoPackets.push(packet.get());
        } else if (packet->stream_index == audioIndex && audioWanted && !audioEnded)
            audioPackets.push(packet.get());
    }
    ffmpeg().av_packet_unref(packet.get());
    return true;
}

void VideoDecoder::Impl::capturePalette()
{
    const AVPixFmtDescriptor* desc = ffmpeg().av_pix_fmt_desc_get(video->pix_fmt);
    if (desc && (desc->flags & AV_PIX_FMT_FLAG_PAL) == 0 && video->pix_fmt != AV_PIX_FMT_NONE)
        return;
    // The first few packets: the one with the palette is the first picture.
    for (int i = 0; i < 64 && ffmpeg().av_read_frame(format, packet.get()) >= 0; ++i) {
        const bool ours = packet->stream_index == videoIndex;
        size_t size = 0;
        if (const uint8_t* side = ffmpeg().av_packet_get_side_data(packet.get(), AV_PKT_DATA_PALETTE, &size);
            ours && side)
            palette.assign(side, side + size);
        ffmpeg().av_packet_unref(packet.get());
        if (ours)
            break;
    }
}

bool VideoDecoder::Impl::convertPicture(const AVFrame& f, QImage& out)
{
    const auto pixelFormat = static_cast<AVPixelFormat>(f.format);
    const AVPixFmtDescriptor* desc = ffmpeg().av_pix_fmt_desc_get(pixelFormat);
    if (!desc || f.width <= 0 || f.height <= 0)
        return false;
    const bool paletted = (desc->flags & AV_PIX_FMT_FLAG_PAL) != 0;
    // Palettes of the era leave the fourth byte zero (it was "reserved"), so
    // a paletted picture is opaque whatever that byte says.
    const bool alpha = !paletted && (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    sws.reset(ffmpeg().sws_getCachedContext(sws.release(), f.width, f.height, pixelFormat, natural.width(),
                                            natural.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr,
                                            nullptr));
    if (!sws)
        return false;
    out = QImage(natural, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return false;

    std::array<const uint8_t*, 4> src{f.data[0], f.data[1], f.data[2], f.data[3]};
    std::array<uint32_t, 256> palette{};
    if (paletted && f.data[1]) {
        std::memcpy(palette.data(), f.data[1], sizeof(palette));
        for (uint32_t& entry : palette)
            entry |= 0xFF000000u;
        src[1] = reinterpret_cast<const uint8_t*>(palette.data());
    }
    uint8_t* dst[4] = {out.bits(), nullptr, nullptr, nullptr};
    const int dstStride[4] = {static_cast<int>(out.bytesPerLine()), 0, 0, 0};
    if (ffmpeg().sws_scale(sws.get(), src.data(), f.linesize, 0, f.height, dst, dstStride) <= 0)
        return false;
    if (alpha)
        out.convertTo(QImage::Format_ARGB32_Premultiplied);
    return true;
}

std::optional<DecodedFrame> VideoDecoder::Impl::receiveVideo()
{
    while (!videoEnded) {
        const int rc = ffmpeg().avcodec_receive_frame(video.get(), frame.get());
        if (rc == 0) {
            const AVFrame& f = *frame;
            int64_t pts = nextVideoUs;
            if (f.best_effort_timestamp != AV_NOPTS_VALUE)
                pts = toMicros(f.best_effort_timestamp, videoTimeBase);
            int64_t duration =
                frameDuration(f) > 0 ? ffmpeg().av_rescale_q(frameDuration(f), videoTimeBase, kMicros) : 0;
            if (duration <= 0 || duration > kMaxFrameUs)
                duration = frameUs;
            nextVideoUs = pts + duration;
            if (pts >= toUs) {
                videoEnded = true;
                ffmpeg().av_frame_unref(frame.get());
                break;
            }
            if (pts + duration > fromUs) {
                DecodedFrame out{{}, pts, duration};
                const bool converted = convertPicture(f, out.image);
                ffmpeg().av_frame_unref(frame.get());
                if (!converted) {
                    failed = videoEnded = true;
                    return std::nullopt;
                }
                return out;
            }
            ffmpeg().av_frame_unref(frame.get());
            continue;
        }
        if (rc == AVERROR(EAGAIN)) {
            if (PacketPtr p = videoPackets.pop()) {
                if (ffmpeg().avcodec_send_packet(video.get(), p.get()) < 0) {
                    // A damaged picture ends the play where it stands, as
                    // if the file ended there.
                    failed = true;
                    videoPackets.clear();
                    ffmpeg().avcodec_send_packet(video.get(), nullptr);
                    videoDraining = true;
                }
            } else if (!readPacket() && videoPackets.empty()) {
                if (videoDraining) {
                    videoEnded = true;
                } else {
                    ffmpeg().avcodec_send_packet(video.get(), nullptr);
                    videoDraining = true;
                }
            }
            continue;
        }
        // The end of the drained decoder, or an error it cannot get past.
        if (rc != AVERROR_EOF)
            failed = true;
        videoEnded = true;
    }
    return std::nullopt;
}

void VideoDecoder::Impl::acceptAudio(const AVFrame& f)
{
    if (f.nb_samples <= 0 || f.sample_rate <= 0)
        return;
    int64_t start = nextAudioUs;
    if (f.best_effort_timestamp != AV_NOPTS_VALUE)
        start = toMicros(f.best_effort_timestamp, audioTimeBase);
    nextAudioUs = start + ffmpeg().av_rescale(f.nb_samples, 1000000, f.sample_rate);

    // The seek lands on a picture's key frame; the sound is cut or padded
    // once, here, so its first sample plays at fromUs. After that it follows
    // on: stamps of later packets jitter and must not open gaps.
    int skip = 0;
    if (audioFirst) {
        if (nextAudioUs <= fromUs)
            return;
        if (start > fromUs)
            silenceFrames = ffmpeg().av_rescale(start - fromUs, resampler.outRate(), 1000000);
        else
            skip = static_cast<int>(
                std::clamp<int64_t>(ffmpeg().av_rescale(fromUs - start, f.sample_rate, 1000000), 0, f.nb_samples - 1));
        audioFirst = false;
    }
    resampler.push(f, skip);
}

// Decodes until some sound is pending; false at the end of the track.
bool VideoDecoder::Impl::decodeAudio()
{
    while (!audioEnded) {
        const int rc = ffmpeg().avcodec_receive_frame(audio.get(), frame.get());
        if (rc == 0) {
            acceptAudio(*frame);
            ffmpeg().av_frame_unref(frame.get());
            if (silenceFrames > 0 || resampler.available() > 0)
                return true;
            continue;
        }
        if (rc == AVERROR(EAGAIN)) {
            if (PacketPtr p = audioPackets.pop()) {
                // A damaged sound packet costs a click, a run of them the
                // rest of the track.
                if (ffmpeg().avcodec_send_packet(audio.get(), p.get()) < 0) {
                    if (++badAudioPackets >= kMaxBadPackets) {
                        audioPackets.clear();
                        audioGaveUp = true;
                    }
                } else {
                    badAudioPackets = 0;
                }
            } else if (audioGaveUp || (!readPacket() && audioPackets.empty())) {
                if (audioDraining)
                    audioEnded = true;
                else
                    ffmpeg().avcodec_send_packet(audio.get(), nullptr);
                audioDraining = true;
            }
            continue;
        }
        resampler.drain();
        audioEnded = true;
    }
    return resampler.available() > 0;
}

Result<std::unique_ptr<VideoDecoder>> VideoDecoder::open(std::unique_ptr<FfmpegInput>& input)
{
    auto impl = std::make_unique<Impl>();
    if (!impl->packet || !impl->frame)
        return Failure{mci::kOutOfMemory};
    impl->videoIndex = input->pictureStream(&impl->video);
    if (impl->videoIndex < 0)
        return Failure{mci::kInvalidFile};
    impl->input = std::move(input);
    impl->format = impl->input->format();
    AVFormatContext* formatContext = impl->format;
    AVStream* videoStream = formatContext->streams[impl->videoIndex];
    impl->videoTimeBase = videoStream->time_base;
    if (impl->videoTimeBase.num <= 0 || impl->videoTimeBase.den <= 0)
        return Failure{mci::kInvalidFile};

    impl->audioIndex = impl->input->soundStream(impl->videoIndex, &impl->audio);
    if (impl->audioIndex >= 0)
        impl->audioTimeBase = formatContext->streams[impl->audioIndex]->time_base;
    if (formatContext->start_time != AV_NOPTS_VALUE)
        impl->originUs = formatContext->start_time;
    if (videoStream->start_time != AV_NOPTS_VALUE)
        impl->videoStartUs = std::max<int64_t>(0, impl->toMicros(videoStream->start_time, impl->videoTimeBase));
    impl->capturePalette();

    VideoProperties props;
    props.hasAudio = impl->audioIndex >= 0;
    const char* formatName = formatContext->iformat ? formatContext->iformat->name : "";
    props.mpeg = std::strstr(formatName, "mpeg") != nullptr;
    impl->mpeg = props.mpeg;

    // Pixels of old capture cards were seldom square; the picture shows at
    // its display shape.
    int width = videoStream->codecpar->width;
    const int height = videoStream->codecpar->height;
    const AVRational sar = ffmpeg().av_guess_sample_aspect_ratio(formatContext, videoStream, nullptr);
    if (sar.num > 0 && sar.den > 0 && sar.num != sar.den) {
        const double stretch = av_q2d(sar);
        if (stretch <= kMaxAspectStretch && stretch >= 1.0 / kMaxAspectStretch)
            width = std::clamp(static_cast<int>(std::lround(width * stretch)), 1, kMaxPictureSide);
    }
    props.naturalSize = QSize(width, height);
    impl->natural = props.naturalSize;

    const AVRational rate = ffmpeg().av_guess_frame_rate(formatContext, videoStream, nullptr);
    if (rate.num > 0 && rate.den > 0 && av_q2d(rate) <= 1000.0) {
        props.frameRate = av_q2d(rate);
        impl->frameUs = std::max<int64_t>(1000, std::llround(1e6 / props.frameRate));
    }

    // The length is the longer track's end.
    int64_t endUs = 0;
    for (int index : {impl->videoIndex, impl->audioIndex}) {
        if (index < 0)
            continue;
        const AVStream& s = *formatContext->streams[index];
        if (s.duration == AV_NOPTS_VALUE || s.duration <= 0)
            continue;
        const int64_t start = s.start_time != AV_NOPTS_VALUE ? s.start_time : 0;
        endUs = std::max(endUs, impl->toMicros(start + s.duration, s.time_base));
    }
    if (endUs <= 0 && formatContext->duration != AV_NOPTS_VALUE && formatContext->duration > 0)
        endUs = formatContext->duration;
    if (endUs <= 0) {
        // No duration anywhere: the last picture's end, from the packets.
        const int64_t end = impl->input->scanEnd(impl->videoIndex, 0);
        if (end > 0)
            endUs = impl->toMicros(end, impl->videoTimeBase);
    }
    props.lengthMs = std::max<int64_t>(0, endUs / 1000);
    auto decoder = std::unique_ptr<VideoDecoder>(new VideoDecoder(std::move(impl)));
    decoder->m_props = props;
    // Headers promise what the data may not hold (an index claiming minutes
    // over a cut-off file): the file is a video once one picture decodes.
    if (!decoder->start(0, std::numeric_limits<int64_t>::max() / 2, 0, 0) || !decoder->nextFrame()) {
        // Given back: its sound may still play.
        input = std::move(decoder->m_impl->input);
        return Failure{mci::kInvalidFile};
    }
    return decoder;
}

VideoDecoder::VideoDecoder(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

VideoDecoder::~VideoDecoder() = default;

bool VideoDecoder::start(int64_t fromUs, int64_t toUs, int outRate, int outChannels)
{
    Impl& d = *m_impl;
    d.fromUs = fromUs;
    d.toUs = toUs;
    d.inputEnded = false;
    d.failed = false;
    d.videoPackets.clear();
    d.audioPackets.clear();
    d.videoDraining = d.videoEnded = false;
    d.nextVideoUs = fromUs;
    d.audioWanted = d.audio && outRate > 0 && outChannels > 0;
    d.audioDraining = false;
    d.audioEnded = !d.audioWanted;
    d.audioFirst = true;
    d.audioGaveUp = false;
    d.badAudioPackets = 0;
    d.audioFramesLeft = d.audioWanted ? ffmpeg().av_rescale(toUs - fromUs, outRate, 1000000) : 0;
    d.silenceFrames = 0;
    d.nextAudioUs = fromUs;
    d.resampler.reset(outRate, outChannels);

    AVFormatContext* fmt = d.format;
    // A program stream is sought by its packets' positions: a seek on the
    // picture track lands on its first key frame, past the sound packets
    // that lead it in the file, and the start of the sound would be lost.
    // Before the first picture the play starts at the first byte instead,
    // and decoding drops what lies before `from`.
    const auto seek = [&] {
        if (d.mpeg && fromUs <= d.videoStartUs)
            return ffmpeg().av_seek_frame(fmt, -1, 0, AVSEEK_FLAG_BYTE) >= 0;
        const int64_t at = fromUs + d.originUs;
        return ffmpeg().av_seek_frame(fmt, d.videoIndex, ffmpeg().av_rescale_q(at, kMicros, d.videoTimeBase),
                                      AVSEEK_FLAG_BACKWARD) >= 0 ||
               ffmpeg().avformat_seek_file(fmt, -1, std::numeric_limits<int64_t>::min(), at, at, 0) >= 0;
    };
    // Some files only seek by bytes: from the top, and decoding drops what
    // lies before `from`.
    if (!seek() && ffmpeg().av_seek_frame(fmt, -1, 0, AVSEEK_FLAG_BYTE) < 0)
        return false;
    ffmpeg().avcodec_flush_buffers(d.video.get());
    d.paletteDue = true;
    if (d.audio)
        ffmpeg().avcodec_flush_buffers(d.audio.get());
    return toUs > fromUs;
}

std::optional<DecodedFrame> VideoDecoder::nextFrame()
{
    return m_impl->receiveVideo();
}

size_t VideoDecoder::readAudio(float* out, size_t maxFrames)
{
    Impl& d = *m_impl;
    const auto ch = static_cast<size_t>(d.resampler.outChannels());
    size_t given = 0;
    while (given < maxFrames && d.audioFramesLeft > 0) {
        const auto room =
            static_cast<int64_t>(std::min<uint64_t>(maxFrames - given, static_cast<uint64_t>(d.audioFramesLeft)));
        if (d.silenceFrames > 0) {
            const int64_t n = std::min(room, d.silenceFrames);
            std::fill_n(out + given * ch, static_cast<size_t>(n) * ch, 0.0f);
            d.silenceFrames -= n;
            d.audioFramesLeft -= n;
            given += static_cast<size_t>(n);
            continue;
        }
        if (d.resampler.available() == 0) {
            if (!d.decodeAudio())
                break;
            continue;
        }
        const size_t n = d.resampler.take(out + given * ch, static_cast<size_t>(room));
        d.audioFramesLeft -= static_cast<int64_t>(n);
        given += n;
    }
    return given;
}

} // namespace lumeria::media
