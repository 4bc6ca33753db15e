#include "media/AudioOutput.h"

#include "media/SdlLibrary.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace lumeria::media {

namespace {

// Gain changes glide over this many frames so muting, unmuting and the fade
// before a stop do not click.
constexpr int kGainRampFrames = 96;
constexpr int kWantedRate = 48000;
constexpr int kWantedChannels = 2;
constexpr int kWantedSamples = 512;
constexpr float kToneAmplitude = 0.25f;

QString formatName(SDL_AudioFormat format)
{
    QString name = SDL_AUDIO_ISFLOAT(format)    ? QStringLiteral("F")
                   : SDL_AUDIO_ISSIGNED(format) ? QStringLiteral("S")
                                                : QStringLiteral("U");
    name += QString::number(SDL_AUDIO_BITSIZE(format));
    // Only a byte order other than the machine's is worth naming.
    const bool bigEndian = SDL_AUDIO_ISBIGENDIAN(format);
    if (SDL_AUDIO_BITSIZE(format) > 8 && bigEndian != (SDL_BYTEORDER == SDL_BIG_ENDIAN))
        name += bigEndian ? QStringLiteral("BE") : QStringLiteral("LE");
    return name;
}

// A clipped sample at so many bits, rounded half away from zero. v * scale
// and the added half are exact in double (a float's 24 bits shifted by at
// most 31), so truncating gives what lround gives, without its call.
// A NaN from a damaged float file comes out as full scale down, as lround's
// answer for it used to clamp to.
inline int64_t quantize(float v, double scale)
{
    const float clipped = v >= -1.0f ? std::min(v, 1.0f) : -1.0f;
    const double x = static_cast<double>(clipped) * scale;
    const auto s = static_cast<int64_t>(x < 0 ? x - 0.5 : x + 0.5);
    return std::clamp<int64_t>(s, static_cast<int64_t>(-scale), static_cast<int64_t>(scale) - 1);
}

// Writes clipped float samples in the device's format. Handles every format
// SDL can hand back when any change is allowed, byte order included. Runs in
// the callback for every sample heard: the format is looked at once, not per
// sample, and the usual 16-bit native case has a loop of its own.
void convertSamples(const float* in, size_t count, SDL_AudioFormat format, Uint8* out)
{
    const int bits = SDL_AUDIO_BITSIZE(format);
    const int bytes = bits / 8;
    const bool swap = bytes > 1 && (SDL_AUDIO_ISBIGENDIAN(format) != (SDL_BYTEORDER == SDL_BIG_ENDIAN));
    if (format == AUDIO_S16SYS) {
        for (size_t i = 0; i < count; ++i) {
            const auto w = static_cast<int16_t>(quantize(in[i], 32768.0));
            std::memcpy(out + i * 2, &w, 2);
        }
        return;
    }
    const bool isFloat = SDL_AUDIO_ISFLOAT(format);
    const bool isSigned = SDL_AUDIO_ISSIGNED(format);
    const double scale = std::ldexp(1.0, bits - 1);
    for (size_t i = 0; i < count; ++i) {
        Uint8* dst = out + i * bytes;
        if (isFloat) {
            const float v = std::clamp(in[i], -1.0f, 1.0f);
            std::memcpy(dst, &v, sizeof v);
        } else {
            // Scale to the signed range, then shift unsigned formats by half.
            int64_t s = quantize(in[i], scale);
            if (!isSigned)
                s += static_cast<int64_t>(scale);
            const auto u = static_cast<uint32_t>(s);
            switch (bytes) {
            case 1: dst[0] = static_cast<Uint8>(u); break;
            case 2: {
                const auto w = static_cast<uint16_t>(u);
                std::memcpy(dst, &w, 2);
                break;
            }
            default: std::memcpy(dst, &u, 4); break;
            }
        }
        if (swap)
            std::reverse(dst, dst + bytes);
    }
}

} // namespace

// ---------------------------------------------------------------------------
// AudioStream

AudioStream::AudioStream(int channels, size_t capacityFrames)
    : m_channels(std::max(1, channels)), m_capacity(std::max<size_t>(1, capacityFrames)),
      m_buffer(m_capacity * static_cast<size_t>(m_channels), 0.0f)
{
}

size_t AudioStream::freeFrames() const
{
    const size_t used = m_writeFrame.load(std::memory_order_relaxed) - m_readFrame.load(std::memory_order_acquire);
    return m_capacity - used;
}

size_t AudioStream::write(const float* frames, size_t frameCount)
{
    const size_t writeAt = m_writeFrame.load(std::memory_order_relaxed);
    const size_t count = std::min(frameCount, freeFrames());
    const auto ch = static_cast<size_t>(m_channels);
    size_t done = 0;
    while (done < count) {
        const size_t slot = (writeAt + done) % m_capacity;
        const size_t run = std::min(count - done, m_capacity - slot);
        std::memcpy(&m_buffer[slot * ch], frames + done * ch, run * ch * sizeof(float));
        done += run;
    }
    m_writeFrame.store(writeAt + count, std::memory_order_release);
    return count;
}

void AudioStream::fadeOut()
{
    m_gain.store(0.0f, std::memory_order_relaxed);
    m_fading.store(true, std::memory_order_release);
}

size_t AudioStream::mixInto(float* out, size_t frameCount)
{
    if (m_faded.load(std::memory_order_relaxed))
        return 0;
    const bool fading = m_fading.load(std::memory_order_acquire);
    // A paused or unheard stream is silent already: nothing to glide.
    if (fading && (m_paused.load(std::memory_order_relaxed) || m_played.load(std::memory_order_relaxed) == 0)) {
        m_faded.store(true, std::memory_order_release);
        return 0;
    }
    if (m_paused.load(std::memory_order_relaxed))
        return 0;
    // Finished is read before the write index: when it is set, every frame
    // the producer wrote is visible, so an empty ring really is the end.
    const bool finished = m_finished.load(std::memory_order_acquire);
    const size_t readAt = m_readFrame.load(std::memory_order_relaxed);
    const size_t available = m_writeFrame.load(std::memory_order_acquire) - readAt;
    const size_t count = std::min(frameCount, available);
    const auto ch = static_cast<size_t>(m_channels);
    const float target = m_gain.load(std::memory_order_relaxed);
    const float step = 1.0f / kGainRampFrames;
    // A stream muted before its first frame starts muted, not with a blip.
    if (m_played.load(std::memory_order_relaxed) == 0)
        m_appliedGain = target;

    size_t done = 0;
    while (done < count) {
        const size_t slot = (readAt + done) % m_capacity;
        const size_t run = std::min(count - done, m_capacity - slot);
        const float* src = &m_buffer[slot * ch];
        float* dst = out + done * ch;
        for (size_t f = 0; f < run; ++f) {
            if (m_appliedGain < target)
                m_appliedGain = std::min(target, m_appliedGain + step);
            else if (m_appliedGain > target)
                m_appliedGain = std::max(target, m_appliedGain - step);
            for (size_t c = 0; c < ch; ++c)
                dst[f * ch + c] += src[f * ch + c] * m_appliedGain;
        }
        done += run;
    }
    m_readFrame.store(readAt + count, std::memory_order_release);
    m_played.fetch_add(static_cast<int64_t>(count), std::memory_order_acq_rel);
    if (finished && count == available)
        m_drained.store(true, std::memory_order_release);
    if (fading && (m_appliedGain <= 0.0f || count == available))
        m_faded.store(true, std::memory_order_release);
    return count;
}

// ---------------------------------------------------------------------------
// Mixer

struct Mixer::Impl {
    AudioOutputOptions options;
    std::mutex openMutex; // open() and registration may come from any thread
    bool attempted = false;
    bool subsystemUp = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec have{};
    AudioFormat format;
    std::function<void(const AudioFormat&)> openListener;
    bool announced = false;

    // Touched by the callback; changed only under SDL_LockAudioDevice.
    std::vector<std::shared_ptr<AudioStream>> streams;
    std::vector<float> mix; // one device buffer of float samples
    size_t mixFrames = 0;

    bool openLocked();
    void announce();
    bool openDevice(const char* deviceName);
    void render(Uint8* out, int len);
    // Under the device lock: streams done for good (played out with nobody
    // holding them, or faded after a stop) move to released, to be freed
    // outside the lock so the callback never waits on a free.
    void sweepLocked(std::vector<std::shared_ptr<AudioStream>>& released);
    static void callback(void* user, Uint8* out, int len) { static_cast<Impl*>(user)->render(out, len); }
};

void Mixer::Impl::render(Uint8* out, int len)
{
    const int frameBytes = SDL_AUDIO_BITSIZE(have.format) / 8 * have.channels;
    if (frameBytes <= 0)
        return;
    auto remaining = static_cast<size_t>(len / frameBytes);
    const auto ch = static_cast<size_t>(have.channels);
    // SDL may ask for more than the buffer it announced; take it in chunks.
    while (remaining > 0) {
        const size_t chunk = std::min(remaining, mixFrames);
        std::fill_n(mix.begin(), chunk * ch, 0.0f);
        for (const auto& stream : streams)
            stream->mixInto(mix.data(), chunk);
        convertSamples(mix.data(), chunk * ch, have.format, out);
        out += chunk * static_cast<size_t>(frameBytes);
        remaining -= chunk;
    }
}

void Mixer::Impl::sweepLocked(std::vector<std::shared_ptr<AudioStream>>& released)
{
    for (auto it = streams.begin(); it != streams.end();) {
        if ((it->use_count() == 1 && (*it)->drained()) || (*it)->faded()) {
            released.push_back(std::move(*it));
            it = streams.erase(it);
        } else {
            ++it;
        }
    }
}

bool Mixer::Impl::openDevice(const char* deviceName)
{
    SDL_AudioSpec want{};
    want.freq = kWantedRate;
    want.format = AUDIO_S16SYS;
    want.channels = kWantedChannels;
    want.samples = kWantedSamples;
    want.callback = &Impl::callback;
    want.userdata = this;
    // The callback only runs once the device is unpaused, after the buffer
    // below exists, so a format change is safe to take here.
    device = sdl().SDL_OpenAudioDevice(deviceName, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
    return device != 0;
}

bool Mixer::Impl::openLocked()
{
    if (device != 0)
        return true;
    if (attempted)
        return false;
    attempted = true;
    if (!loadSdl())
        return false;

    bool opened = false;
    if (!options.mute && sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        subsystemUp = true;
        const QByteArray name = options.deviceName.toUtf8();
        opened = openDevice(options.deviceName.isEmpty() ? nullptr : name.constData());
        if (!opened && !options.deviceName.isEmpty())
            opened = openDevice(nullptr);
        if (!opened) {
            sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystemUp = false;
        }
    }
    if (!opened) {
        // The dummy driver consumes samples in real time, so plays still
        // take their time and complete when nothing can be heard.
        sdl().SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            subsystemUp = true;
            opened = openDevice(nullptr);
            if (!opened) {
                sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
                subsystemUp = false;
            }
        }
        // Back to what the environment says, for the next Mixer of the run.
        sdl().SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    }
    if (!opened)
        return false;

    mixFrames = std::max<size_t>(have.samples, 64);
    mix.assign(mixFrames * have.channels, 0.0f);
    format = {have.freq, have.channels, formatName(have.format)};
    sdl().SDL_PauseAudioDevice(device, 0);
    return true;
}

// Outside the lock: the listener may well ask the mixer for its format.
void Mixer::Impl::announce()
{
    std::function<void(const AudioFormat&)> listener;
    AudioFormat opened;
    {
        std::lock_guard lock(openMutex);
        if (announced || device == 0 || !openListener)
            return;
        announced = true;
        listener = openListener;
        opened = format;
    }
    listener(opened);
}

Mixer::Mixer(AudioOutputOptions options) : m_impl(std::make_unique<Impl>())
{
    m_impl->options = std::move(options);
}

Mixer::~Mixer()
{
    if (m_impl->device != 0)
        sdl().SDL_CloseAudioDevice(m_impl->device);
    if (m_impl->subsystemUp)
        sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool Mixer::open()
{
    bool opened = false;
    {
        std::lock_guard lock(m_impl->openMutex);
        opened = m_impl->openLocked();
    }
    m_impl->announce();
    return opened;
}

bool Mixer::isOpen() const
{
    std::lock_guard lock(m_impl->openMutex);
    return m_impl->device != 0;
}

AudioFormat Mixer::format() const
{
    std::lock_guard lock(m_impl->openMutex);
    return m_impl->format;
}

void Mixer::setOpenListener(std::function<void(const AudioFormat&)> listener)
{
    std::lock_guard lock(m_impl->openMutex);
    m_impl->openListener = std::move(listener);
}

std::shared_ptr<AudioStream> Mixer::addStream(size_t capacityFrames)
{
    if (!open())
        return nullptr;
    std::lock_guard lock(m_impl->openMutex);
    if (capacityFrames == 0)
        capacityFrames = static_cast<size_t>(m_impl->have.freq / 4) + m_impl->mixFrames;
    auto stream = std::make_shared<AudioStream>(m_impl->have.channels, capacityFrames);
    // Streams nobody holds any more (a tone whose caller let go) leave here;
    // they are released after the lock so the callback never waits on a free.
    std::vector<std::shared_ptr<AudioStream>> released;
    sdl().SDL_LockAudioDevice(m_impl->device);
    m_impl->sweepLocked(released);
    m_impl->streams.push_back(stream);
    sdl().SDL_UnlockAudioDevice(m_impl->device);
    return stream;
}

void Mixer::removeStream(const std::shared_ptr<AudioStream>& stream)
{
    std::lock_guard lock(m_impl->openMutex);
    if (!stream || m_impl->device == 0)
        return;
    // SDL holds the same lock around the callback, so once it is ours the
    // callback is not inside the stream and will not see it again.
    sdl().SDL_LockAudioDevice(m_impl->device);
    std::erase(m_impl->streams, stream);
    sdl().SDL_UnlockAudioDevice(m_impl->device);
}

void Mixer::fadeOutStream(const std::shared_ptr<AudioStream>& stream)
{
    if (!stream)
        return;
    stream->fadeOut();
    std::lock_guard lock(m_impl->openMutex);
    if (m_impl->device == 0)
        return;
    // Streams whose fade is over leave now; this one leaves at a later call.
    std::vector<std::shared_ptr<AudioStream>> released;
    sdl().SDL_LockAudioDevice(m_impl->device);
    m_impl->sweepLocked(released);
    sdl().SDL_UnlockAudioDevice(m_impl->device);
}

std::shared_ptr<AudioStream> Mixer::playTone(double frequency, int milliseconds)
{
    if (!open())
        return nullptr;
    const AudioFormat fmt = format();
    const auto frames =
        static_cast<size_t>(std::max<int64_t>(0, std::llround(static_cast<double>(milliseconds) * fmt.rate / 1000.0)));
    auto stream = addStream(std::max<size_t>(frames, 1));
    if (!stream)
        return nullptr;
    std::vector<float> samples(frames * static_cast<size_t>(fmt.channels));
    const double cycles = frequency > 0 ? frequency / fmt.rate : 0.0;
    for (size_t i = 0; i < frames; ++i) {
        double phase = cycles * static_cast<double>(i);
        phase -= std::floor(phase);
        const float v = frequency > 0 ? (phase < 0.5 ? kToneAmplitude : -kToneAmplitude) : 0.0f;
        std::fill_n(samples.begin() + static_cast<ptrdiff_t>(i * fmt.channels), fmt.channels, v);
    }
    stream->write(samples.data(), frames);
    stream->finish();
    return stream;
}

} // namespace lumeria::media
