#include "media/AudioFileDevice.h"

#include "media/AudioResampler.h"
#include "media/FfmpegHandles.h"
#include "media/FfmpegInput.h"
#include "media/MciErrors.h"
#include "media/MediaLimits.h"
#include "media/SdlLibrary.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace lumeria::media {

namespace {

constexpr int kCdRate = 44100;
constexpr int kCdChannels = 2;

} // namespace

struct AudioFileDevice::Decoder {
    std::unique_ptr<FfmpegInput> input;
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

    AVFormatContext* format() const { return input->format(); }
    // 0, or why the input cannot be played.
    int open(std::unique_ptr<FfmpegInput> opened);
    int64_t measureLength();
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
        int read = ffmpeg().av_read_frame(format(), packet.get());
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

int AudioFileDevice::Decoder::open(std::unique_ptr<FfmpegInput> opened)
{
    if (!packet || !frame)
        return mci::kOutOfMemory;
    input = std::move(opened);
    const int index = input->soundStream(-1, &codec);
    if (index < 0)
        return mci::kInvalidFile;
    const AVStream& stream = input->stream(index);
    streamIndex = index;
    timeBase = stream.time_base;
    startPts = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
    return 0;
}

int64_t AudioFileDevice::Decoder::measureLength()
{
    const AVStream* stream = format()->streams[streamIndex];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return ffmpeg().av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
    if (format()->duration != AV_NOPTS_VALUE && format()->duration > 0)
        return ffmpeg().av_rescale(format()->duration, 1000, AV_TIME_BASE);
    // No duration in the container: the last packet's end, read without
    // decoding. Cheap even for long files.
    const int64_t end = input->scanEnd(streamIndex, startPts);
    ffmpeg().av_seek_frame(format(), streamIndex, startPts, AVSEEK_FLAG_BACKWARD);
    return ffmpeg().av_rescale_q(end, stream->time_base, AVRational{1, 1000});
}

Result<std::unique_ptr<AudioFileDevice>> AudioFileDevice::open(std::unique_ptr<FfmpegInput> input, DeviceType type,
                                                               Mixer& mixer)
{
    // A sound that could never be heard (no output library) is refused at
    // open, as a device whose driver does not load.
    if (!loadSdl())
        return Failure{mci::kCannotLoadDriver};
    auto decoder = std::make_unique<Decoder>();
    if (const int rc = decoder->open(std::move(input)))
        return Failure{rc};
    // What the container says of the coding; a RIFF wave's tag is its own.
    const AVCodecParameters& par = *decoder->format()->streams[decoder->streamIndex]->codecpar;
    WaveFormat wave;
    wave.formatTag = par.codec_tag;
    wave.channels = uint32_t(std::max(0, par.ch_layout.nb_channels));
    wave.samplesPerSec = uint32_t(std::max(0, par.sample_rate));
    wave.bytesPerSec = uint32_t(std::clamp<int64_t>(par.bit_rate / 8, 0, std::numeric_limits<int32_t>::max()));
    wave.alignment = uint32_t(std::max(0, par.block_align));
    wave.bitsPerSample = uint32_t(std::max(0, par.bits_per_coded_sample));
    const int64_t lengthMs = decoder->measureLength();
    // Headers alone are no sound: one decoded frame or the file is refused.
    // The input may come from a look for pictures: sound starts at the top.
    ffmpeg().av_seek_frame(decoder->format(), decoder->streamIndex, decoder->startPts, AVSEEK_FLAG_BACKWARD);
    decoder->resampler.reset(decoder->codec->sample_rate, decoder->codec->ch_layout.nb_channels);
    if (!decoder->decodeMore())
        return Failure{mci::kInvalidFile};
    std::unique_ptr<AudioFileDevice> device(new AudioFileDevice(mixer, type, std::move(decoder), lengthMs));
    device->m_wave = wave;
    return device;
}

Result<std::unique_ptr<AudioFileDevice>> AudioFileDevice::openCdTrack(const QString& file, int64_t offset,
                                                                      int64_t length, Mixer& mixer)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return Failure{mci::kFileNotFound};
    if (offset < 0 || length <= 0 || offset > info.size() || length > info.size() - offset)
        return Failure{mci::kInvalidFile};
    if (!loadFfmpeg() || !loadSdl())
        return Failure{mci::kCannotLoadDriver};
    quietenFfmpeg();

    const AVInputFormat* raw = ffmpeg().av_find_input_format("s16le");
    if (!raw)
        return Failure{mci::kCannotLoadDriver};
    // The track is read where it lies in the image, its extent cut out by
    // the subfile protocol (end exclusive); "file:" keeps a colon in the
    // path from being taken for a protocol.
    const QByteArray url = "subfile,,start," + QByteArray::number(offset) + ",end," +
                           QByteArray::number(offset + length) +
                           ",,:file:" + QFile::encodeName(info.absoluteFilePath());
    AVDictionary* options = nullptr;
    ffmpeg().av_dict_set(&options, "sample_rate", "44100", 0);
    ffmpeg().av_dict_set(&options, "ch_layout", "stereo", 0);
    auto input = FfmpegInput::open(url, raw, &options);
    ffmpeg().av_dict_free(&options);
    if (!input)
        return Failure{input.error()};
    auto decoder = std::make_unique<Decoder>();
    if (const int rc = decoder->open(std::move(input).value()))
        return Failure{rc};
    const AVCodecContext& codec = *decoder->codec;
    if (codec.sample_rate != kCdRate || codec.ch_layout.nb_channels != kCdChannels)
        return Failure{mci::kInvalidFile};
    return std::unique_ptr<AudioFileDevice>(
        new AudioFileDevice(mixer, DeviceType::WaveAudio, std::move(decoder), cdAudioMs(length)));
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
    if (ffmpeg().av_seek_frame(d.format(), d.streamIndex, target, AVSEEK_FLAG_BACKWARD) < 0) {
        // Some containers only seek by bytes; from the top, decoding drops
        // what lies before `from`.
        if (ffmpeg().av_seek_frame(d.format(), -1, 0, AVSEEK_FLAG_BYTE) < 0)
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
