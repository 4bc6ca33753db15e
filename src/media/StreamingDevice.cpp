#include "media/StreamingDevice.h"

#include "media/AudioOutput.h"
#include "media/MciErrors.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace lumeria::media {

namespace {

// Frames rendered per step of the worker: small, so the first block reaches
// the ring quickly and a stop request is seen soon.
constexpr size_t kBlockFrames = 1024;
// The stream is held back until this much is queued (or the play has no more),
// so a worker that loses the processor just after its first block does not
// leave a gap in the first buffers heard.
constexpr size_t kPrimeFrames = 4096;

} // namespace

StreamingDevice::StreamingDevice(Mixer& mixer, DeviceType type, int64_t lengthMs,
                                 std::unique_ptr<SoundRenderer> renderer, std::optional<WaveFormat> wave)
    : m_mixer(mixer), m_type(type), m_wave(wave), m_length(std::max<int64_t>(0, lengthMs)),
      m_renderer(std::move(renderer)), m_worker([this](bool held) {
          // Only the UI thread replaces the stream, and never while a worker runs.
          if (m_stream)
              m_stream->setPaused(held);
      })
{
}

StreamingDevice::~StreamingDevice()
{
    // Fades what is heard; the members' order alone keeps the worker from
    // outliving what it renders from.
    stopPlayback();
}

int64_t StreamingDevice::streamPosition() const
{
    if (!m_stream || m_rate <= 0)
        return m_position;
    const int64_t played = m_stream->framesPlayed() * 1000 / m_rate;
    return std::clamp(m_start + played, int64_t{0}, std::min(m_end, m_length));
}

int64_t StreamingDevice::position() const
{
    return streamPosition();
}

void StreamingDevice::stopPlayback()
{
    if (m_stream) {
        m_position = streamPosition();
        m_mixer.fadeOutStream(m_stream);
    }
    if (m_worker.stop())
        m_renderer->stopped();
    m_stream.reset();
}

int StreamingDevice::play(int64_t from, int64_t to)
{
    const int64_t current = position();
    const int64_t start = from < 0 ? current : from;
    const int64_t end = to < 0 ? m_length : to;
    if (start > m_length || end > m_length || end < start)
        return mci::kOutOfRange;

    stopPlayback();
    if (!m_mixer.open())
        return mci::kHardware;
    const AudioFormat format = m_mixer.format();
    auto stream = m_mixer.addStream();
    if (!stream)
        return mci::kHardware;
    stream->setGain(m_audioEnabled ? 1.0f : 0.0f);
    m_stream = stream;
    m_rate = format.rate;
    m_start = start;
    m_end = end;
    m_position = start;
    m_firstBlockMicros.store(-1, std::memory_order_relaxed);
    m_worker.start([this, stream, start, end,
                    format](uint64_t generation) { run(generation, stream, start, end, format.rate, format.channels); },
                   unsigned(Hold::Priming));
    return mci::kOk;
}

void StreamingDevice::run(uint64_t generation, std::shared_ptr<AudioStream> stream, int64_t from, int64_t to, int rate,
                          int channels)
{
    const auto began = std::chrono::steady_clock::now();
    // How long the callback takes to make room for a block: the worker sleeps
    // that long when the ring is full instead of looking again and again.
    const auto blockTime = std::chrono::microseconds(int64_t(kBlockFrames) * 1'000'000 / std::max(rate, 1));
    // With the ring full the worker sleeps until the callback has played a
    // quarter of it and then tops it up in one go, rather than waking for
    // every buffer the callback takes; three quarters stay queued meanwhile.
    const auto refillTime = std::max(
        blockTime / 2, std::chrono::microseconds(int64_t(stream->freeFrames() / 4) * 1'000'000 / std::max(rate, 1)));
    std::vector<float> block(kBlockFrames * static_cast<size_t>(channels));
    bool first = true;
    size_t queued = 0;
    if (m_renderer->start(from, to, rate, channels)) {
        while (!m_worker.stopping()) {
            const size_t room = std::min(stream->freeFrames(), kBlockFrames);
            if (room == 0) {
                m_worker.release(Hold::Priming);
                if (!m_worker.waitWhileHeld() || !m_worker.waitFor(refillTime))
                    break;
                continue;
            }
            const size_t frames = m_renderer->render(block.data(), room);
            if (frames == 0)
                break;
            stream->write(block.data(), frames);
            queued += frames;
            if (queued >= kPrimeFrames)
                m_worker.release(Hold::Priming);
            if (first) {
                first = false;
                const auto waited = std::chrono::steady_clock::now() - began;
                m_firstBlockMicros.store(std::chrono::duration_cast<std::chrono::microseconds>(waited).count(),
                                         std::memory_order_relaxed);
            }
        }
    }
    stream->finish();
    m_worker.release(Hold::Priming);
    // What is queued plays out; the worker wakes when it should be heard.
    while (!stream->drained()) {
        const int64_t left = std::max<int64_t>(0, int64_t(queued) - stream->framesPlayed());
        const auto span = std::chrono::microseconds(left * 1'000'000 / std::max(rate, 1));
        if (!m_worker.waitWhileHeld() ||
            !m_worker.waitFor(std::clamp(span, std::chrono::microseconds(1000), blockTime)))
            break;
    }
    m_worker.complete(generation, [this] { finished(); });
}

void StreamingDevice::finished()
{
    m_mixer.removeStream(m_stream);
    m_stream.reset();
    m_position = std::min(m_end, m_length);
    complete();
}

void StreamingDevice::stop()
{
    stopPlayback();
}

DeviceMode StreamingDevice::mode() const
{
    return m_worker.paused() ? DeviceMode::Paused : m_worker.playing() ? DeviceMode::Playing : DeviceMode::Stopped;
}

int StreamingDevice::seek(int64_t position)
{
    stopPlayback();
    m_position = std::clamp(position, int64_t{0}, m_length);
    return mci::kOk;
}

void StreamingDevice::setAudioEnabled(bool enabled)
{
    m_audioEnabled = enabled;
    if (m_stream)
        m_stream->setGain(enabled ? 1.0f : 0.0f);
}

} // namespace lumeria::media
