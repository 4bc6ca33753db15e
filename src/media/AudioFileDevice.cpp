#include "media/AudioFileDevice.h"

#include "media/AudioResampler.h"
#include "media/FfmpegHandles.h"
#include "media/MciErrors.h"
#include "media/SdlLibrary.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace lumeria::media {

namespace {

// Below this probe score libavformat is guessing from a few bytes (garbage
// can pass as a raw MP3 stream); such a file is not a sound file to us.
constexpr int kMinProbeScore = AVPROBE_SCORE_RETRY;
// A file whose container gives no duration is measured from its packets; the
// scan stops here so a hostile file cannot keep open() busy.
constexpr int kMaxScanPackets = 1 << 20;
constexpr int kMaxBadPackets = 16;

} // namespace

struct AudioFileDevice::Decoder {
    FormatPtr format;
    CodecPtr codec;
    PacketPtr packet{ffmpeg().av_packet_alloc()};
    FramePtr frame{ffmpeg().av_frame_alloc()};
    int streamIndex = -1;
    AVRational timeBase{1, 1};
    int64_t startPts = 0;

    // The play in progress.
    int64_t skipBefore = 0; // input samples before this one are dropped
    bool skipping = false;
    int64_t nextInputSample = 0; // where a frame without a timestamp starts
    int64_t framesLeft = 0;      // output frames still to give before `to`
    bool inputEnded = false;     // the decoder was told no more packets come
    bool finished = false;
    int badPackets = 0; // rejected by the decoder in a row
    AudioResampler resampler;

    bool decodeMore();
    void acceptFrame(const AVFrame& f);
};

void AudioFileDevice::Decoder::acceptFrame(const AVFrame& f)
{
    if (f.nb_samples <= 0 || f.sample_rate <= 0)
        return;
    int64_t start = nextInputSample;
    if (f.best_effort_timestamp != AV_NOPTS_VALUE)
        start = ffmpeg().av_rescale_q(f.best_effort_timestamp - startPts, timeBase, AVRational{1, f.sample_rate});
    nextInputSample = start + f.nb_samples;

    int skip = 0;
    if (skipping) {
        if (start + f.nb_samples <= skipBefore)
            return;
        skip = static_cast<int>(std::clamp<int64_t>(skipBefore - start, 0, f.nb_samples));
        skipping = false; // later frames follow on; their stamps may jitter
    }
    resampler.push(f, skip);
}

// Decodes until some resampled frames are pending; false at the end of the
// file, or at a decoding error, which ends the play the same way.
bool AudioFileDevice::Decoder::decodeMore()
{
    while (resampler.available() == 0) {
        if (finished)
            return false;
        const int rc = ffmpeg().avcodec_receive_frame(codec.get(), frame.get());
        if (rc == 0) {
            acceptFrame(*frame);
            ffmpeg().av_frame_unref(frame.get());
            continue;
        }
        if (rc != AVERROR(EAGAIN) || inputEnded) {
            resampler.drain();
            finished = true;
            continue;
        }
        int read = ffmpeg().av_read_frame(format.get(), packet.get());
        if (read < 0) {
            inputEnded = true;
            ffmpeg().avcodec_send_packet(codec.get(), nullptr);
            continue;
        }
        if (packet->stream_index == streamIndex) {
            // A packet the decoder rejects is skipped, so one damaged frame
            // costs a click, not the rest of the sound; a run of them means
            // the rest is damaged, and the play ends there.
            if (ffmpeg().avcodec_send_packet(codec.get(), packet.get()) < 0) {
                if (++badPackets >= kMaxBadPackets)
                    inputEnded = true;
            } else {
                badPackets = 0;
            }
        }
        ffmpeg().av_packet_unref(packet.get());
    }
    return true;
}

Result<std::unique_ptr<AudioFileDevice>> AudioFileDevice::open(const QString& path, DeviceType type, Mixer& mixer)
{
    if (!QFileInfo(path).isFile())
        return Failure{mci::kFileNotFound};
    // A sound that could never be heard (no output library) is refused at
    // open, as a device whose driver does not load.
    if (!loadFfmpeg() || !loadSdl())
        return Failure{mci::kCannotLoadDriver};
    quietenFfmpeg();

    auto decoder = std::make_unique<Decoder>();
    if (!decoder->packet || !decoder->frame)
        return Failure{mci::kOutOfMemory};
    const QByteArray name = QFile::encodeName(path);
    AVFormatContext* formatContext = nullptr;
    if (ffmpeg().avformat_open_input(&formatContext, name.constData(), nullptr, nullptr) < 0)
        return Failure{mci::kInvalidFile};
    decoder->format.reset(formatContext);
    if (formatContext->probe_score < kMinProbeScore || ffmpeg().avformat_find_stream_info(formatContext, nullptr) < 0)
        return Failure{mci::kInvalidFile};

    const AVCodec* codec = nullptr;
    const int index = ffmpeg().av_find_best_stream(formatContext, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index < 0 || !codec)
        return Failure{mci::kInvalidFile};
    AVStream* stream = formatContext->streams[index];
    decoder->codec.reset(ffmpeg().avcodec_alloc_context3(codec));
    AVCodecContext* codecContext = decoder->codec.get();
    if (!codecContext || ffmpeg().avcodec_parameters_to_context(codecContext, stream->codecpar) < 0)
        return Failure{mci::kInvalidFile};
    codecContext->pkt_timebase = stream->time_base;
    if (ffmpeg().avcodec_open2(codecContext, codec, nullptr) < 0 || codecContext->sample_rate <= 0 ||
        codecContext->ch_layout.nb_channels <= 0)
        return Failure{mci::kInvalidFile};
    decoder->streamIndex = index;
    decoder->timeBase = stream->time_base;
    if (decoder->timeBase.num <= 0 || decoder->timeBase.den <= 0)
        return Failure{mci::kInvalidFile};
    decoder->startPts = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;

    int64_t lengthMs = -1;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        lengthMs = ffmpeg().av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
    else if (formatContext->duration != AV_NOPTS_VALUE && formatContext->duration > 0)
        lengthMs = ffmpeg().av_rescale(formatContext->duration, 1000, AV_TIME_BASE);
    if (lengthMs < 0) {
        // No duration in the container: the last packet's end, read without
        // decoding. Cheap even for long files.
        int64_t end = 0;
        AVPacket* packet = decoder->packet.get();
        for (int i = 0; i < kMaxScanPackets && ffmpeg().av_read_frame(formatContext, packet) >= 0; ++i) {
            if (packet->stream_index == index && packet->pts != AV_NOPTS_VALUE)
                end = std::max(end, packet->pts - decoder->startPts + std::max<int64_t>(packet->duration, 0));
            ffmpeg().av_packet_unref(packet);
        }
        lengthMs = ffmpeg().av_rescale_q(end, stream->time_base, AVRational{1, 1000});
        ffmpeg().av_seek_frame(formatContext, index, decoder->startPts, AVSEEK_FLAG_BACKWARD);
    }
    return std::unique_ptr<AudioFileDevice>(new AudioFileDevice(mixer, type, std::move(decoder), lengthMs));
}

AudioFileDevice::AudioFileDevice(Mixer& mixer, DeviceType type, std::unique_ptr<Decoder> decoder, int64_t lengthMs)
    : StreamingDevice(mixer, lengthMs), m_type(type), m_decoder(std::move(decoder))
{
}

AudioFileDevice::~AudioFileDevice()
{
    shutdown();
}

bool AudioFileDevice::startRender(int64_t fromMs, int64_t toMs, int rate, int channels)
{
    Decoder& d = *m_decoder;
    d.resampler.reset(rate, channels);
    d.inputEnded = false;
    d.finished = false;
    d.badPackets = 0;
    d.framesLeft = (toMs - fromMs) * rate / 1000;
    const int inRate = d.codec->sample_rate;
    d.skipBefore = fromMs * inRate / 1000;
    d.skipping = fromMs > 0;
    d.nextInputSample = 0;

    const int64_t target = d.startPts + ffmpeg().av_rescale_q(fromMs, AVRational{1, 1000}, d.timeBase);
    if (ffmpeg().av_seek_frame(d.format.get(), d.streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0) {
        // Some containers only seek by bytes; from the top, decoding drops
        // what lies before `from`.
        if (ffmpeg().av_seek_frame(d.format.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0)
            return false;
        d.skipping = true;
    }
    ffmpeg().avcodec_flush_buffers(d.codec.get());
    return d.framesLeft > 0;
}

size_t AudioFileDevice::render(float* out, size_t maxFrames)
{
    Decoder& d = *m_decoder;
    if (d.framesLeft <= 0 || !d.decodeMore())
        return 0;
    const size_t frames = d.resampler.take(out, std::min(maxFrames, static_cast<size_t>(d.framesLeft)));
    d.framesLeft -= static_cast<int64_t>(frames);
    return frames;
}

} // namespace lumeria::media
