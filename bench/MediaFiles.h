#pragma once

// Sound files for the media benchmarks, written byte by byte so the run
// needs nothing but itself: PCM WAVs of a tone and a small type 0 MIDI tune
// on four channels, the kind of music the old publications carried.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace lumeria::bench {

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

struct Tone {
    int rate = 22050;
    int channels = 1;
    int bits = 16; // 8 (unsigned) or 16 (signed)
    double frequency = 440.0;
    int durationMs = 1000;
    double amplitude = 0.4;
};

// The sample data alone, interleaved, as the WAV holds it.
inline QByteArray pcmBytes(const Tone& tone)
{
    const auto frames = std::llround(static_cast<double>(tone.durationMs) * tone.rate / 1000.0);
    QByteArray data;
    data.reserve(static_cast<qsizetype>(frames * tone.channels * tone.bits / 8));
    for (int64_t i = 0; i < frames; ++i) {
        const double v =
            tone.amplitude * std::sin(2.0 * std::numbers::pi * tone.frequency * static_cast<double>(i) / tone.rate);
        for (int c = 0; c < tone.channels; ++c) {
            if (tone.bits == 8)
                putLe(data, static_cast<uint32_t>(std::lround(128.0 + v * 127.0)), 1);
            else
                putLe(data, static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767.0))), 2);
        }
    }
    return data;
}

inline QByteArray wavBytes(const Tone& tone)
{
    const int bytesPerSample = tone.bits / 8;
    const QByteArray data = pcmBytes(tone);
    QByteArray out("RIFF");
    putLe(out, static_cast<uint32_t>(36 + data.size()), 4);
    out.append("WAVEfmt ");
    putLe(out, 16, 4);
    putLe(out, 1, 2); // PCM
    putLe(out, static_cast<uint32_t>(tone.channels), 2);
    putLe(out, static_cast<uint32_t>(tone.rate), 4);
    putLe(out, static_cast<uint32_t>(tone.rate * tone.channels * bytesPerSample), 4);
    putLe(out, static_cast<uint32_t>(tone.channels * bytesPerSample), 2);
    putLe(out, static_cast<uint32_t>(tone.bits), 2);
    out.append("data");
    putLe(out, static_cast<uint32_t>(data.size()), 4);
    out.append(data);
    return out;
}

// A type 0 file at 480 ticks a quarter, 120 bpm: `bars` bars of 4/4 (two
// seconds each) of a piano melody in eighths, string chords, a walking bass
// and a drum kit, about a dozen voices sounding at once.
inline QByteArray tuneMidi(int bars)
{
    struct Event {
        uint32_t tick;
        int order; // note-offs before note-ons at the same tick
        std::vector<int> bytes;
    };
    constexpr uint32_t kQuarter = 480;
    constexpr uint32_t kEighth = kQuarter / 2;
    constexpr uint32_t kBar = kQuarter * 4;
    std::vector<Event> events;
    const auto note = [&](uint32_t at, uint32_t length, int channel, int pitch, int velocity) {
        events.push_back({at, 1, {0x90 | channel, pitch, velocity}});
        events.push_back({at + length, 0, {0x80 | channel, pitch, 0x40}});
    };
    events.push_back({0, 0, {0xC0, 0}});  // acoustic grand
    events.push_back({0, 0, {0xC1, 48}}); // string ensemble
    events.push_back({0, 0, {0xC2, 33}}); // finger bass

    // C, A minor, F, G: roots, then the melody walks each chord's tones.
    static constexpr int kRoots[4] = {48, 45, 41, 43};
    static constexpr int kMinor[4] = {false, true, false, false};
    static constexpr int kWalk[8] = {0, 2, 4, 7, 12, 7, 4, 2};
    for (int bar = 0; bar < bars; ++bar) {
        const uint32_t start = static_cast<uint32_t>(bar) * kBar;
        const int root = kRoots[bar % 4];
        const int third = kMinor[bar % 4] ? 3 : 4;
        const int chordTones[4] = {0, third, 7, 12};
        for (int i = 0; i < 8; ++i) {
            const int degree = kWalk[i];
            const int pitch = root + 24 + (degree == 4 ? third : degree == 2 ? 2 : degree);
            note(start + static_cast<uint32_t>(i) * kEighth, kEighth - 20, 0, pitch, 96 + (i % 2 == 0 ? 12 : 0));
        }
        for (int t = 0; t < 4; ++t)
            note(start, kBar - 10, 1, root + 12 + chordTones[t], 70);
        for (int beat = 0; beat < 4; ++beat)
            note(start + static_cast<uint32_t>(beat) * kQuarter, kQuarter - 30, 2, root - 12 + chordTones[beat % 3],
                 100);
        for (int i = 0; i < 8; ++i) {
            const uint32_t at = start + static_cast<uint32_t>(i) * kEighth;
            note(at, kEighth / 2, 9, 42, 80); // closed hi-hat
            if (i % 4 == 0)
                note(at, kEighth, 9, 36, 110); // kick
            if (i % 4 == 2)
                note(at, kEighth, 9, 38, 100); // snare
        }
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });

    QByteArray track;
    const auto delta = [&track](uint32_t ticks) {
        uint8_t groups[5];
        int n = 0;
        do {
            groups[n++] = ticks & 0x7F;
            ticks >>= 7;
        } while (ticks != 0);
        while (n-- > 0)
            track.append(static_cast<char>(groups[n] | (n > 0 ? 0x80 : 0)));
    };
    delta(0);
    track.append("\xFF\x51\x03", 3);
    putBe(track, 500000, 3); // 120 bpm
    uint32_t now = 0;
    for (const Event& e : events) {
        delta(e.tick - now);
        now = e.tick;
        for (int b : e.bytes)
            track.append(static_cast<char>(b));
    }
    delta(static_cast<uint32_t>(bars) * kBar - std::min(now, static_cast<uint32_t>(bars) * kBar));
    track.append("\xFF\x2F\x00", 3);

    QByteArray out("MThd");
    putBe(out, 6, 4);
    putBe(out, 0, 2); // format 0
    putBe(out, 1, 2);
    putBe(out, kQuarter, 2);
    out.append("MTrk");
    putBe(out, static_cast<uint32_t>(track.size()), 4);
    out.append(track);
    return out;
}

} // namespace lumeria::bench
