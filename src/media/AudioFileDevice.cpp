#include "media/AudioFileDevice.h"

#include "media/AudioTrackReader.h"
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
constexpr AVRational kMillis{1, 1000};

// A sound track of its own file: sought on that track, its stamps counted
// from the track's start.
class AudioFileRenderer final : public SoundRenderer {
public:
    AudioFileRenderer(std::unique_ptr<FfmpegInput> input, int index, CodecPtr codec)
        : m_input(std::move(input)), m_track(m_input->stream(index)),
          m_startPts(m_track.start_time != AV_NOPTS_VALUE ? m_track.start_time : 0),
          m_reader(index, std::move(codec), m_track.time_base,
                   ffmpeg().av_rescale_q(m_startPts, m_track.time_base, AVRational{1, 1000000}))
    {
    }

    const AVCodecContext& codec() const { return m_reader.codec(); }
    const AVCodecParameters& parameters() const { return *m_track.codecpar; }

    int64_t measureLength()
    {
        if (m_track.duration != AV_NOPTS_VALUE && m_track.duration > 0)
            return ffmpeg().av_rescale_q(m_track.duration, m_track.time_base, kMillis);
        const AVFormatContext& format = *m_input->format();
        if (format.duration != AV_NOPTS_VALUE && format.duration > 0)
            return ffmpeg().av_rescale(format.duration, 1000, AV_TIME_BASE);
        // No duration in the container: the last packet's end, read without
        // decoding. Cheap even for long files.
        return ffmpeg().av_rescale_q(m_input->scanEnd(m_reader.index(), m_startPts), m_track.time_base, kMillis);
    }

    // Headers alone are no sound: one decoded frame or the file is refused.
    bool decodes()
    {
        return start(0, std::numeric_limits<int32_t>::max(), m_reader.codec().sample_rate,
                     m_reader.codec().ch_layout.nb_channels) &&
               m_reader.decodeMore(*m_input);
    }

    bool start(int64_t fromMs, int64_t toMs, int rate, int channels) override
    {
        const int64_t target = m_startPts + ffmpeg().av_rescale_q(fromMs, kMillis, m_track.time_base);
        // Some containers only seek by bytes: from the top, and the reader
        // drops what lies before `from`.
        if (ffmpeg().av_seek_frame(m_input->format(), m_reader.index(), target, AVSEEK_FLAG_BACKWARD) < 0 &&
            ffmpeg().av_seek_frame(m_input->format(), -1, 0, AVSEEK_FLAG_BYTE) < 0)
            return false;
        m_input->startReading({m_reader.index()});
        m_reader.start(fromMs * 1000, toMs * 1000, rate, channels);
        return toMs > fromMs;
    }

    size_t render(float* out, size_t maxFrames) override { return m_reader.read(*m_input, out, maxFrames); }

private:
    std::unique_ptr<FfmpegInput> m_input;
    const AVStream& m_track;
    int64_t m_startPts;
    AudioTrackReader m_reader;
};

std::unique_ptr<AudioFileRenderer> soundTrack(std::unique_ptr<FfmpegInput> input)
{
    CodecPtr codec;
    const int index = input->soundStream(-1, &codec);
    if (index < 0)
        return nullptr;
    return std::make_unique<AudioFileRenderer>(std::move(input), index, std::move(codec));
}

} // namespace

Result<std::unique_ptr<StreamingDevice>> openAudioFile(std::unique_ptr<FfmpegInput> input, DeviceType type,
                                                       Mixer& mixer)
{
    // A sound that could never be heard (no output library) is refused at
    // open, as a device whose driver does not load.
    if (!loadSdl())
        return Failure{mci::kCannotLoadDriver};
    auto renderer = soundTrack(std::move(input));
    if (!renderer)
        return Failure{mci::kInvalidFile};
    // What the container says of the coding; a RIFF wave's tag is its own.
    const AVCodecParameters& par = renderer->parameters();
    WaveFormat wave;
    wave.formatTag = par.codec_tag;
    wave.channels = uint32_t(std::max(0, par.ch_layout.nb_channels));
    wave.samplesPerSec = uint32_t(std::max(0, par.sample_rate));
    wave.bytesPerSec = uint32_t(std::clamp<int64_t>(par.bit_rate / 8, 0, std::numeric_limits<int32_t>::max()));
    wave.alignment = uint32_t(std::max(0, par.block_align));
    wave.bitsPerSample = uint32_t(std::max(0, par.bits_per_coded_sample));
    const int64_t lengthMs = renderer->measureLength();
    if (!renderer->decodes())
        return Failure{mci::kInvalidFile};
    return std::make_unique<StreamingDevice>(mixer, type, lengthMs, std::move(renderer), wave);
}

Result<std::unique_ptr<StreamingDevice>> openCdTrack(const QString& file, int64_t offset, int64_t length, Mixer& mixer)
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
    auto renderer = soundTrack(std::move(input).value());
    if (!renderer)
        return Failure{mci::kInvalidFile};
    const AVCodecContext& codec = renderer->codec();
    if (codec.sample_rate != kCdRate || codec.ch_layout.nb_channels != kCdChannels)
        return Failure{mci::kInvalidFile};
    return std::make_unique<StreamingDevice>(mixer, DeviceType::WaveAudio, cdAudioMs(length), std::move(renderer));
}

} // namespace lumeria::media
