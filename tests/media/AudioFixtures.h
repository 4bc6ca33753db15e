#pragma once

// Sound to feed the media layer and ears to check what it played: files
// written byte by byte, SDL's disk driver output read back, and the few
// measurements the tests need.

#include "media/AudioOutput.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <numbers>
#include <vector>

namespace lumeria::media::test {

// ---------------------------------------------------------------------------
// Byte building

inline void putLe(QByteArray& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline void putBe(QByteArray& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// ---------------------------------------------------------------------------
// WAV

enum class Waveform { Sine, Square };

struct WavFormat {
    int rate = 48000;
    int channels = 1;
    int bits = 16; // 8 (unsigned) or 16 (signed)
    double frequency = 1000.0;
    int durationMs = 500;
    double amplitude = 0.5;
    Waveform wave = Waveform::Sine;
};

// One tone after another, in the given format (its frequency and
// duration are ignored): lets a test tell which part of a file it heard.
struct ToneSegment {
    double frequency;
    int durationMs;
};

inline QByteArray wavBytes(const WavFormat& format, const std::vector<ToneSegment>& segments)
{
    const int bytesPerSample = format.bits / 8;
    QByteArray data;
    for (const ToneSegment& segment : segments) {
        const auto frames = std::llround(static_cast<double>(segment.durationMs) * format.rate / 1000.0);
        for (int64_t i = 0; i < frames; ++i) {
            double phase = segment.frequency * static_cast<double>(i) / format.rate;
            phase -= std::floor(phase);
            const double v =
                format.wave == Waveform::Sine ? std::sin(2.0 * std::numbers::pi * phase) : (phase < 0.5 ? 1.0 : -1.0);
            const double scaled = v * format.amplitude;
            for (int c = 0; c < format.channels; ++c) {
                if (format.bits == 8)
                    putLe(data, static_cast<uint32_t>(std::lround(128.0 + scaled * 127.0)), 1);
                else
                    putLe(data, static_cast<uint16_t>(static_cast<int16_t>(std::lround(scaled * 32767.0))), 2);
            }
        }
    }
    QByteArray out("RIFF");
    putLe(out, static_cast<uint32_t>(36 + data.size()), 4);
    out.append("WAVEfmt ");
    putLe(out, 16, 4);
    putLe(out, 1, 2); // PCM
    putLe(out, static_cast<uint32_t>(format.channels), 2);
    putLe(out, static_cast<uint32_t>(format.rate), 4);
    putLe(out, static_cast<uint32_t>(format.rate * format.channels * bytesPerSample), 4);
    putLe(out, static_cast<uint32_t>(format.channels * bytesPerSample), 2);
    putLe(out, static_cast<uint32_t>(format.bits), 2);
    out.append("data");
    putLe(out, static_cast<uint32_t>(data.size()), 4);
    out.append(data);
    return out;
}

inline QByteArray wavBytes(const WavFormat& format)
{
    return wavBytes(format, {{format.frequency, format.durationMs}});
}

// ---------------------------------------------------------------------------
// Standard MIDI files

// One track's events, with delta times written as variable-length numbers.
class MidiTrack {
public:
    MidiTrack& delta(uint32_t ticks)
    {
        uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = ticks & 0x7F;
            ticks >>= 7;
        } while (ticks != 0);
        while (n-- > 0)
            m_bytes.append(static_cast<char>(groups[n] | (n > 0 ? 0x80 : 0)));
        return *this;
    }
    MidiTrack& event(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            m_bytes.append(static_cast<char>(b));
        return *this;
    }
    MidiTrack& tempo(uint32_t ticks, uint32_t microsPerQuarter)
    {
        delta(ticks);
        m_bytes.append("\xFF\x51\x03", 3);
        putBe(m_bytes, microsPerQuarter, 3);
        return *this;
    }
    MidiTrack& end(uint32_t ticks = 0)
    {
        delta(ticks);
        m_bytes.append("\xFF\x2F\x00", 3);
        return *this;
    }
    QByteArray chunk() const
    {
        QByteArray out("MTrk");
        putBe(out, static_cast<uint32_t>(m_bytes.size()), 4);
        return out + m_bytes;
    }

private:
    QByteArray m_bytes;
};

inline QByteArray smfBytes(int format, int division, const std::vector<MidiTrack>& tracks)
{
    QByteArray out("MThd");
    putBe(out, 6, 4);
    putBe(out, static_cast<uint32_t>(format), 2);
    putBe(out, static_cast<uint32_t>(tracks.size()), 2);
    putBe(out, static_cast<uint32_t>(division), 2);
    for (const auto& t : tracks)
        out.append(t.chunk());
    return out;
}

// Type 0, 480 ticks a quarter at 120 bpm, so a millisecond is 0.96 ticks:
// one note of the pitch for the duration, on a piano.
inline QByteArray oneNoteMidi(int pitch, int durationMs, int velocity = 110)
{
    const auto ticks = static_cast<uint32_t>(std::llround(durationMs * 0.96));
    MidiTrack t;
    t.event({0x00, 0xC0, 0x00});
    t.event({0x00, 0x90, pitch, velocity});
    t.delta(ticks).event({0x80, pitch, 0x40});
    t.end();
    return smfBytes(0, 480, {t});
}

inline QByteArray rmiWrap(const QByteArray& smf)
{
    QByteArray out("RIFF");
    putLe(out, static_cast<uint32_t>(4 + 8 + smf.size() + (smf.size() & 1)), 4);
    out.append("RMIDdata");
    putLe(out, static_cast<uint32_t>(smf.size()), 4);
    out.append(smf);
    if (smf.size() & 1)
        out.append('\0');
    return out;
}

inline double midiPitchHz(int pitch)
{
    return 440.0 * std::pow(2.0, (pitch - 69) / 12.0);
}

// ---------------------------------------------------------------------------
// Listening through SDL's disk driver

// Points SDL at its disk driver writing into a file of this test's own, so
// parallel test processes do not share one output. Set before the Mixer.
class DiskAudio {
public:
    DiskAudio()
    {
        m_path = m_dir.filePath(QStringLiteral("out.raw"));
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_path));
    }
    ~DiskAudio() { qputenv("SDL_AUDIODRIVER", "dummy"); }
    QString path() const { return m_path; }
    QString tempPath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// What was played, as float samples of one channel.
struct Recording {
    int rate = 0;
    int channels = 0;
    std::vector<float> interleaved;

    size_t frames() const { return channels > 0 ? interleaved.size() / static_cast<size_t>(channels) : 0; }
    std::vector<float> channel(int c) const
    {
        std::vector<float> out(frames());
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = interleaved[i * static_cast<size_t>(channels) + static_cast<size_t>(c)];
        return out;
    }
    size_t frameAt(int64_t ms) const { return static_cast<size_t>(std::max<int64_t>(0, ms) * rate / 1000); }
};

// Reads the headerless output in the format the mixer reported.
inline Recording readDiskOutput(const QString& path, const AudioFormat& format)
{
    Recording rec;
    rec.rate = format.rate;
    rec.channels = format.channels;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return rec;
    const QByteArray raw = f.readAll();
    const auto* p = reinterpret_cast<const uint8_t*>(raw.constData());
    const auto n = static_cast<size_t>(raw.size());
    if (format.sampleFormat == QLatin1String("S16")) {
        for (size_t i = 0; i + 1 < n; i += 2) {
            int16_t v;
            std::memcpy(&v, p + i, 2);
            rec.interleaved.push_back(v / 32768.0f);
        }
    } else if (format.sampleFormat == QLatin1String("F32")) {
        for (size_t i = 0; i + 3 < n; i += 4) {
            float v;
            std::memcpy(&v, p + i, 4);
            rec.interleaved.push_back(v);
        }
    } else if (format.sampleFormat == QLatin1String("S32")) {
        for (size_t i = 0; i + 3 < n; i += 4) {
            int32_t v;
            std::memcpy(&v, p + i, 4);
            rec.interleaved.push_back(static_cast<float>(v / 2147483648.0));
        }
    } else if (format.sampleFormat == QLatin1String("U8")) {
        for (size_t i = 0; i < n; ++i)
            rec.interleaved.push_back((p[i] - 128) / 128.0f);
    }
    return rec;
}

// ---------------------------------------------------------------------------
// Measurements

// Upward zero crossings per second over [begin, end).
inline double zeroCrossingFrequency(const std::vector<float>& s, size_t begin, size_t end, int rate)
{
    end = std::min(end, s.size());
    size_t first = 0, last = 0, count = 0;
    for (size_t i = begin + 1; i < end; ++i) {
        if (s[i - 1] <= 0.0f && s[i] > 0.0f) {
            if (count == 0)
                first = i;
            last = i;
            ++count;
        }
    }
    if (count < 2)
        return 0.0;
    return static_cast<double>(count - 1) * rate / static_cast<double>(last - first);
}

inline double rms(const std::vector<float>& s, size_t begin, size_t count)
{
    const size_t end = std::min(s.size(), begin + count);
    if (begin >= end)
        return 0.0;
    double sum = 0.0;
    for (size_t i = begin; i < end; ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return std::sqrt(sum / static_cast<double>(end - begin));
}

inline double peak(const std::vector<float>& s, size_t begin, size_t end)
{
    float m = 0.0f;
    for (size_t i = begin; i < std::min(end, s.size()); ++i)
        m = std::max(m, std::fabs(s[i]));
    return m;
}

// First and one-past-last sample louder than the threshold; {0, 0} if none.
struct Span {
    size_t begin = 0;
    size_t end = 0;
    size_t length() const { return end - begin; }
};

inline Span nonSilent(const std::vector<float>& s, float threshold = 0.01f)
{
    Span span;
    bool any = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (std::fabs(s[i]) > threshold) {
            if (!any)
                span.begin = i;
            any = true;
            span.end = i + 1;
        }
    }
    return span;
}

inline double spanMs(const Span& span, int rate)
{
    return static_cast<double>(span.length()) * 1000.0 / rate;
}

// Power at one frequency over a window, normalised by its length so windows
// of different sizes compare.
inline double goertzel(const std::vector<float>& s, size_t begin, size_t count, int rate, double frequency)
{
    const size_t end = std::min(s.size(), begin + count);
    if (begin >= end)
        return 0.0;
    const double w = 2.0 * std::numbers::pi * frequency / rate;
    const double coeff = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (size_t i = begin; i < end; ++i) {
        const double s0 = s[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    const double n = static_cast<double>(end - begin);
    return power / (n * n);
}

// ---------------------------------------------------------------------------
// Waiting

// Spins the event loop (queued completions arrive there) until the
// condition holds or the time is up.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

inline void spinFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

} // namespace lumeria::media::test
