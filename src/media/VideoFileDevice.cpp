#include "media/VideoFileDevice.h"

#include "media/AudioOutput.h"
#include "media/MciErrors.h"
#include "media/VideoDecoder.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <vector>

namespace lumeria::media {

namespace {

// Pictures decoded ahead of the clock: enough to ride out a slow one, few
// enough that memory stays flat whatever the length.
constexpr size_t kQueuedFrames = 3;
constexpr size_t kBlockFrames = 1024;
// The worker wakes at least this often to keep the sound ring (a quarter of
// a second) full and to see the end; between two pictures it sleeps until
// the next is due. A stop or a pause wakes it at once.
constexpr int64_t kPollUs = 20'000;
constexpr int64_t kMinSleepUs = 500;
// When the decoder cannot keep up, late pictures are dropped, but never all
// of them: one is shown at least this often so the picture does not freeze.
constexpr int64_t kMaxFreezeUs = 250'000;

} // namespace

std::unique_ptr<VideoFileDevice> VideoFileDevice::open(std::unique_ptr<VideoDecoder> decoder,
                                                       std::optional<DeviceType> type, Mixer& mixer)
{
    DeviceType kind = decoder->properties().mpeg ? DeviceType::MpegVideo : DeviceType::AviVideo;
    if (type == DeviceType::AviVideo || type == DeviceType::MpegVideo)
        kind = *type;
    return std::unique_ptr<VideoFileDevice>(new VideoFileDevice(mixer, kind, std::move(decoder)));
}

VideoFileDevice::VideoFileDevice(Mixer& mixer, DeviceType type, std::unique_ptr<VideoDecoder> decoder)
    : m_mixer(mixer), m_type(type), m_decoder(std::move(decoder)),
      m_worker(
          [this](bool held) {
              if (m_stream)
                  m_stream->setPaused(held);
              m_clock.setHeld(held);
          },
          [this](QImage&& picture, int64_t atMs) { deliver(std::move(picture), atMs); })
{
    m_end = length();
}

VideoFileDevice::~VideoFileDevice()
{
    stopPlayback();
}

QSize VideoFileDevice::naturalSize() const
{
    return m_decoder->properties().naturalSize;
}

double VideoFileDevice::frameRate() const
{
    return m_decoder->properties().frameRate;
}

int64_t VideoFileDevice::length() const
{
    return m_decoder->properties().lengthMs;
}

VideoFileDevice::Statistics VideoFileDevice::statistics() const
{
    return {m_decoded.load(std::memory_order_relaxed), m_dropped.load(std::memory_order_relaxed), m_presented};
}

int64_t VideoFileDevice::clampedPosition(int64_t ms) const
{
    return std::clamp(ms, int64_t{0}, std::min(m_end, length()));
}

int64_t VideoFileDevice::position() const
{
    if (m_worker.running() && m_worker.playing())
        return clampedPosition(m_clock.nowUs() / 1000);
    return m_position;
}

void VideoFileDevice::stopPlayback()
{
    m_mixer.fadeOutStream(m_stream);
    const bool played = m_worker.playing();
    if (m_worker.stop() && played)
        m_position = clampedPosition(m_clock.nowUs() / 1000);
    m_stream.reset();
}

int VideoFileDevice::play(int64_t from, int64_t to)
{
    const int64_t start = from < 0 ? position() : from;
    const int64_t end = to < 0 ? length() : to;
    if (start > length() || end > length() || end < start)
        return mci::kOutOfRange;
    stopPlayback();

    // A video whose sound cannot be heard still plays, on the wall clock.
    std::shared_ptr<AudioStream> stream;
    AudioFormat format;
    if (m_decoder->properties().hasAudio && m_mixer.open()) {
        format = m_mixer.format();
        stream = m_mixer.addStream();
    }
    if (stream)
        stream->setGain(m_audioEnabled ? 1.0f : 0.0f);
    m_clock.reset(start * 1000, stream, stream ? format.rate : 0);
    m_stream = stream;
    m_end = end;
    m_position = start;
    m_worker.start(
        [this, stream, start, end, format](uint64_t generation) {
            run(generation, stream, start * 1000, end * 1000, format.rate, format.channels);
        },
        unsigned(Hold::Priming));
    return mci::kOk;
}

void VideoFileDevice::run(uint64_t generation, std::shared_ptr<AudioStream> stream, int64_t fromUs, int64_t toUs,
                          int rate, int channels)
{
    VideoDecoder& decoder = *m_decoder;
    const auto stopping = [this] { return m_worker.stopping(); };
    const bool started = decoder.start(fromUs, toUs, stream ? rate : 0, channels);

    std::deque<DecodedFrame> queue;
    bool videoDone = !started;
    int64_t videoEndUs = fromUs; // where the last picture stops covering
    const auto fillVideo = [&] {
        while (!videoDone && queue.size() < kQueuedFrames && !stopping()) {
            std::optional<DecodedFrame> frame = decoder.nextFrame();
            if (!frame) {
                videoDone = true;
                break;
            }
            m_decoded.fetch_add(1, std::memory_order_relaxed);
            videoEndUs = std::max(videoEndUs, std::min(toUs, frame->ptsUs + frame->durationUs));
            queue.push_back(std::move(*frame));
        }
    };

    bool audioDone = !stream;
    std::vector<float> block(kBlockFrames * static_cast<size_t>(std::max(channels, 1)));
    const auto fillAudio = [&] {
        while (!audioDone && !stopping()) {
            const size_t room = std::min(stream->freeFrames(), kBlockFrames);
            if (room == 0)
                return;
            const size_t frames = started ? decoder.readAudio(block.data(), room) : 0;
            if (frames == 0) {
                stream->finish();
                audioDone = true;
                return;
            }
            stream->write(block.data(), frames);
        }
    };

    // Primed: the first picture is up and the sound ring full before the
    // clock moves, so neither starts behind the other. A first picture that
    // starts later (sound leads it in the file) waits for its moment.
    fillVideo();
    fillAudio();
    int64_t shownAtUs = fromUs;
    if (!queue.empty() && queue.front().ptsUs <= fromUs) {
        publish(std::move(queue.front()));
        queue.pop_front();
    }
    m_worker.release(Hold::Priming);

    while (m_worker.waitWhileHeld()) {
        fillAudio();
        const int64_t now = m_clock.nowUs();
        // Of the pictures due, only the newest is shown; one already a frame
        // late is dropped rather than shown out of step with the sound.
        while (!queue.empty() && queue.front().ptsUs <= now) {
            DecodedFrame frame = std::move(queue.front());
            queue.pop_front();
            const bool nextDue = !queue.empty() && queue.front().ptsUs <= now;
            const bool late = now - frame.ptsUs > frame.durationUs;
            const bool last = queue.empty() && videoDone;
            if (nextDue || (late && !last && now - shownAtUs < kMaxFreezeUs)) {
                m_dropped.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            publish(std::move(frame));
            shownAtUs = now;
        }
        fillVideo();
        if (videoDone && queue.empty() && audioDone && (!stream || stream->drained()) && now >= videoEndUs)
            break;
        int64_t waitUs = kPollUs;
        if (!queue.empty())
            waitUs = std::clamp(queue.front().ptsUs - m_clock.nowUs(), kMinSleepUs, kPollUs);
        m_worker.waitFor(std::chrono::microseconds(waitUs));
    }
    if (stream)
        stream->finish();
    m_worker.complete(generation, [this] { finished(); });
}

void VideoFileDevice::finished()
{
    if (m_stream) {
        m_mixer.removeStream(m_stream);
        m_stream.reset();
    }
    m_position = clampedPosition(m_end);
    complete();
}

void VideoFileDevice::preview(int64_t atUs)
{
    VideoDecoder& decoder = *m_decoder;
    if (!decoder.start(atUs, length() * 1000 + 1, 0, 0))
        return;
    std::optional<DecodedFrame> frame = decoder.nextFrame();
    if (frame && !m_worker.stopping())
        publish(std::move(*frame));
}

void VideoFileDevice::publish(DecodedFrame&& frame)
{
    if (m_worker.publish(std::move(frame.image), frame.ptsUs / 1000))
        m_dropped.fetch_add(1, std::memory_order_relaxed);
}

void VideoFileDevice::deliver(QImage&& picture, int64_t atMs)
{
    ++m_presented;
    m_presentedMs = atMs;
    if (m_sink)
        m_sink->present(picture);
}

void VideoFileDevice::stop()
{
    stopPlayback();
}

DeviceMode VideoFileDevice::mode() const
{
    return m_worker.paused() ? DeviceMode::Paused : m_worker.playing() ? DeviceMode::Playing : DeviceMode::Stopped;
}

int VideoFileDevice::seek(int64_t position)
{
    stopPlayback();
    m_end = length();
    m_position = std::clamp(position, int64_t{0}, length());
    if (m_sink) {
        // The picture at the new place shows before any play, so "seek" and
        // then "play" never flash the old one. The last picture of the file
        // stands for its end.
        const int64_t atUs = std::max<int64_t>(0, std::min(m_position * 1000, length() * 1000 - 1));
        // Held for the seek: the preview shows a picture and moves no clock.
        m_worker.start([this, atUs](uint64_t) { preview(atUs); }, unsigned(Hold::Seek), false);
    }
    return mci::kOk;
}

void VideoFileDevice::setAudioEnabled(bool enabled)
{
    m_audioEnabled = enabled;
    if (m_stream)
        m_stream->setGain(enabled ? 1.0f : 0.0f);
}

} // namespace lumeria::media
