#include "media/VideoDecoder.h"

#include "media/AudioTrackReader.h"
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

} // namespace

struct VideoDecoder::Impl {
    std::unique_ptr<FfmpegInput> input;
    AVFormatContext* format = nullptr;
    CodecPtr video;
    std::unique_ptr<AudioTrackReader> audio;
    SwsPtr sws;
    PacketPtr packet{ffmpeg().av_packet_alloc()};
    FramePtr frame{ffmpeg().av_frame_alloc()};
    int videoIndex = -1;
    AVRational videoTimeBase{1, 1};
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
    bool videoDraining = false;
    bool videoEnded = false;
    int64_t nextVideoUs = 0;
    bool audioWanted = false;

    int64_t toMicros(int64_t ts, AVRational tb) const { return ffmpeg().av_rescale_q(ts, tb, kMicros) - originUs; }
    PacketPtr nextPacket();
    void capturePalette();
    std::optional<DecodedFrame> receiveVideo();
    bool convertPicture(const AVFrame& f, QImage& out);
};

PacketPtr VideoDecoder::Impl::nextPacket()
{
    PacketPtr p = input->nextPacket(videoIndex);
    if (p && paletteDue && !palette.empty() &&
        !ffmpeg().av_packet_get_side_data(p.get(), AV_PKT_DATA_PALETTE, nullptr)) {
        if (uint8_t* side = ffmpeg().av_packet_new_side_data(p.get(), AV_PKT_DATA_PALETTE, palette.size()))
            std::memcpy(side, palette.data(), palette.size());
    }
    if (p)
        paletteDue = false;
    return p;
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
                if (converted)
                    return out;
                input->endReading();
                break;
            }
            ffmpeg().av_frame_unref(frame.get());
            continue;
        }
        if (rc == AVERROR(EAGAIN)) {
            if (PacketPtr p = videoDraining ? nullptr : nextPacket()) {
                if (ffmpeg().avcodec_send_packet(video.get(), p.get()) < 0) {
                    // A damaged picture ends the play where it stands, as
                    // if the file ended there.
                    input->endReading();
                    ffmpeg().avcodec_send_packet(video.get(), nullptr);
                    videoDraining = true;
                }
            } else if (videoDraining) {
                videoEnded = true;
            } else {
                ffmpeg().avcodec_send_packet(video.get(), nullptr);
                videoDraining = true;
            }
            continue;
        }
        // The end of the drained decoder, or an error it cannot get past.
        if (rc != AVERROR_EOF)
            input->endReading();
        videoEnded = true;
    }
    input->dropTrack(videoIndex);
    return std::nullopt;
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

    if (formatContext->start_time != AV_NOPTS_VALUE)
        impl->originUs = formatContext->start_time;
    CodecPtr audio;
    if (const int index = impl->input->soundStream(impl->videoIndex, &audio); index >= 0)
        impl->audio = std::make_unique<AudioTrackReader>(index, std::move(audio),
                                                         formatContext->streams[index]->time_base, impl->originUs);
    if (videoStream->start_time != AV_NOPTS_VALUE)
        impl->videoStartUs = std::max<int64_t>(0, impl->toMicros(videoStream->start_time, impl->videoTimeBase));
    impl->capturePalette();

    VideoProperties props;
    props.hasAudio = impl->audio != nullptr;
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
    for (int index : {impl->videoIndex, impl->audio ? impl->audio->index() : -1}) {
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
    d.videoDraining = d.videoEnded = false;
    d.nextVideoUs = fromUs;
    d.audioWanted = d.audio && outRate > 0 && outChannels > 0;
    if (d.audioWanted)
        d.audio->start(fromUs, toUs, outRate, outChannels);
    d.input->startReading({d.videoIndex, d.audioWanted ? d.audio->index() : -1});

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
    return toUs > fromUs;
}

std::optional<DecodedFrame> VideoDecoder::nextFrame()
{
    return m_impl->receiveVideo();
}

size_t VideoDecoder::readAudio(float* out, size_t maxFrames)
{
    Impl& d = *m_impl;
    return d.audioWanted ? d.audio->read(*d.input, out, maxFrames) : 0;
}

} // namespace lumeria::media
