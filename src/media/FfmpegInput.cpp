#include "media/FfmpegInput.h"

#include "media/MciErrors.h"
#include "media/MediaLimits.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace lumeria::media {

namespace {

// A wave tagged as plain PCM may hold MP3, AC-3 or DTS behind that tag, so
// libavformat looks at its first packets for another coding. Left alone it
// runs every demuxer's probe over up to 32 packets (128 KiB of a 48 kHz
// stereo file), which was most of the time a short sound took to start;
// 16 KiB still finds each of those codings.
constexpr int64_t kPcmWaveProbeBytes = 16 << 10;

bool isPcmWave(const AVFormatContext& context)
{
    return context.iformat && std::strcmp(context.iformat->name, "wav") == 0 && context.nb_streams == 1 &&
           context.streams[0]->codecpar->codec_id == AV_CODEC_ID_PCM_S16LE;
}

} // namespace

static_assert(kMinProbeScore == AVPROBE_SCORE_RETRY);

bool pictureSizeAllowed(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

Result<std::unique_ptr<FfmpegInput>> FfmpegInput::openFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return Failure{mci::kFileNotFound};
    return open(QFile::encodeName(path), nullptr, nullptr);
}

Result<std::unique_ptr<FfmpegInput>> FfmpegInput::open(const QByteArray& url, const AVInputFormat* forced,
                                                       AVDictionary** options)
{
    if (!loadFfmpeg())
        return Failure{mci::kCannotLoadDriver};
    quietenFfmpeg();
    AVFormatContext* context = nullptr;
    if (ffmpeg().avformat_open_input(&context, url.constData(), forced, options) < 0)
        return Failure{mci::kInvalidFile};
    FormatPtr format(context);
    if (!forced && context->probe_score < kMinProbeScore)
        return Failure{mci::kInvalidFile};
    const bool taggedPcm = isPcmWave(*context);
    if (taggedPcm)
        context->probesize = std::min(context->probesize, kPcmWaveProbeBytes);
    if (ffmpeg().avformat_find_stream_info(context, nullptr) < 0)
        return Failure{mci::kInvalidFile};
    if (taggedPcm && !isPcmWave(*context)) {
        // The header's length counts the bytes at the PCM rate; a coding found
        // behind the tag runs at its own, so the length comes from the packets.
        context->streams[0]->duration = AV_NOPTS_VALUE;
        context->duration = AV_NOPTS_VALUE;
    }
    return std::unique_ptr<FfmpegInput>(new FfmpegInput(std::move(format)));
}

CodecPtr FfmpegInput::openDecoder(const AVStream& stream)
{
    if (stream.time_base.num <= 0 || stream.time_base.den <= 0)
        return nullptr;
    const AVCodec* codec = ffmpeg().avcodec_find_decoder(stream.codecpar->codec_id);
    if (!codec)
        return nullptr;
    CodecPtr ctx(ffmpeg().avcodec_alloc_context3(codec));
    if (!ctx || ffmpeg().avcodec_parameters_to_context(ctx.get(), stream.codecpar) < 0)
        return nullptr;
    ctx->pkt_timebase = stream.time_base;
    ctx->thread_type = FF_THREAD_SLICE;
    ctx->thread_count = 0;
    if (ffmpeg().avcodec_open2(ctx.get(), codec, nullptr) < 0)
        return nullptr;
    return ctx;
}

int FfmpegInput::pictureStream(CodecPtr* decoder) const
{
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream& s = *m_format->streams[i];
        if (s.codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (s.disposition & AV_DISPOSITION_ATTACHED_PIC) != 0 ||
            !pictureSizeAllowed(s.codecpar->width, s.codecpar->height))
            continue;
        if (CodecPtr codec = openDecoder(s)) {
            if (decoder)
                *decoder = std::move(codec);
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FfmpegInput::soundStream(int picture, CodecPtr* decoder) const
{
    const int index = ffmpeg().av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, picture, nullptr, 0);
    if (index < 0)
        return -1;
    CodecPtr codec = openDecoder(*m_format->streams[index]);
    if (!codec || codec->sample_rate <= 0 || codec->ch_layout.nb_channels <= 0)
        return -1;
    if (decoder)
        *decoder = std::move(codec);
    return index;
}

int64_t FfmpegInput::scanEnd(int index, int64_t originPts)
{
    PacketPtr packet(ffmpeg().av_packet_alloc());
    if (!packet)
        return 0;
    int64_t end = 0;
    for (int i = 0; i < kMaxScanPackets && ffmpeg().av_read_frame(m_format.get(), packet.get()) >= 0; ++i) {
        if (packet->stream_index == index && packet->pts != AV_NOPTS_VALUE)
            end = std::max(end, packet->pts - originPts + std::max<int64_t>(packet->duration, 0));
        ffmpeg().av_packet_unref(packet.get());
    }
    return end;
}

void FfmpegInput::startReading(std::initializer_list<int> tracks)
{
    auto index = tracks.begin();
    for (Track& t : m_tracks) {
        t.index = index != tracks.end() ? *index++ : -1;
        t.packets.clear();
        t.bytes = 0;
    }
    m_ended = false;
}

FfmpegInput::Track* FfmpegInput::track(int index)
{
    for (Track& t : m_tracks) {
        if (index >= 0 && t.index == index)
            return &t;
    }
    return nullptr;
}

void FfmpegInput::dropTrack(int index)
{
    if (Track* t = track(index)) {
        t->index = -1;
        t->packets.clear();
        t->bytes = 0;
    }
}

PacketPtr FfmpegInput::nextPacket(int index)
{
    while (Track* wanted = track(index)) {
        if (!wanted->packets.empty()) {
            PacketPtr p = std::move(wanted->packets.front());
            wanted->packets.pop_front();
            wanted->bytes -= static_cast<size_t>(p->size);
            return p;
        }
        PacketPtr p(m_ended ? nullptr : ffmpeg().av_packet_alloc());
        if (!p || ffmpeg().av_read_frame(m_format.get(), p.get()) < 0) {
            m_ended = true;
            return nullptr;
        }
        // An empty chunk in an AVI repeats the previous picture; to a decoder
        // an empty packet would mean "flush", so it goes nowhere.
        Track* owner = p->size > 0 ? track(p->stream_index) : nullptr;
        if (!owner)
            continue;
        owner->bytes += static_cast<size_t>(p->size);
        owner->packets.push_back(std::move(p));
        // Only a badly interleaved file gets here: the oldest wait is given up.
        while (owner->bytes > kMaxQueuedBytes && owner->packets.size() > 1) {
            owner->bytes -= static_cast<size_t>(owner->packets.front()->size);
            owner->packets.pop_front();
        }
    }
    return nullptr;
}

} // namespace lumeria::media
