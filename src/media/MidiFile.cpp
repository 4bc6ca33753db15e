#include "media/MidiFile.h"

#include "media/MciErrors.h"
#include "platform/ByteReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <optional>

namespace lumeria::media {

namespace {

constexpr uint32_t kDefaultMicrosPerQuarter = 500000; // 120 beats a minute
// More tracks than this is not a file anyone wrote; it is a file to refuse
// before the parse walks millions of chunk headers.
constexpr int kMaxTracks = 4096;

constexpr uint32_t fourCc(const char (&s)[5])
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 8) | static_cast<uint8_t>(s[3]);
}

std::optional<uint32_t> readVarLen(ByteReader& r)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const auto b = r.u8();
        if (!b)
            return std::nullopt;
        value = (value << 7) | (*b & 0x7F);
        if ((*b & 0x80) == 0)
            return value;
    }
    return std::nullopt; // a fifth continuation byte: not a MIDI quantity
}

// The standard MIDI file inside an RMID wrapper, or the bytes themselves.
std::optional<std::span<const std::byte>> unwrapRiff(std::span<const std::byte> bytes)
{
    ByteReader r(bytes);
    const auto riff = r.u32be();
    if (!riff || *riff != fourCc("RIFF"))
        return bytes;
    const auto size = r.u32le();
    const auto form = r.u32be();
    if (!size || !form || *form != fourCc("RMID"))
        return std::nullopt;
    // Trust the outer size only as far as the file goes; chunk sizes inside
    // are checked one by one.
    while (r.remaining() >= 8) {
        const auto id = r.u32be();
        const auto chunkSize = r.u32le();
        if (*id == fourCc("data")) {
            const auto data = r.bytes(*chunkSize);
            if (!data)
                return std::nullopt;
            return data;
        }
        if (!r.skip(static_cast<size_t>(*chunkSize) + (*chunkSize & 1u)))
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

bool MidiFile::sniff(std::span<const std::byte> head)
{
    ByteReader r(head);
    const auto id = r.u32be();
    if (!id)
        return false;
    if (*id == fourCc("MThd"))
        return true;
    if (*id != fourCc("RIFF"))
        return false;
    const auto form = r.skip(4) ? r.u32be() : std::nullopt;
    return form && *form == fourCc("RMID");
}

Result<MidiFile> MidiFile::parse(std::span<const std::byte> bytes)
{
    const Failure invalid{mci::kInvalidFile};
    const auto smf = unwrapRiff(bytes);
    if (!smf)
        return invalid;

    MidiFile file;
    ByteReader r(*smf);
    const auto headerId = r.u32be();
    const auto headerSize = r.u32be();
    if (!headerId || *headerId != fourCc("MThd") || !headerSize || *headerSize < 6)
        return invalid;
    const auto format = r.u16be();
    const auto tracks = r.u16be();
    const auto division = r.u16be();
    if (!format || !tracks || !division || !r.skip(*headerSize - 6))
        return invalid;
    // Type 2 (independent patterns) is refused: nothing here plays it.
    if (*format > 1 || *tracks == 0 || *tracks > kMaxTracks || (*format == 0 && *tracks != 1))
        return invalid;
    if (*division & 0x8000) {
        const int fps = -static_cast<int8_t>(*division >> 8);
        const int ticksPerFrame = *division & 0xFF;
        if (fps != 24 && fps != 25 && fps != 29 && fps != 30)
            return invalid;
        if (ticksPerFrame == 0)
            return invalid;
        // 29 names drop-frame time code, 29.97 frames a second.
        file.m_ticksPerSecond = (fps == 29 ? 29.97 : fps) * ticksPerFrame;
    } else {
        if (*division == 0)
            return invalid;
        file.m_ticksPerQuarter = *division;
    }

    int found = 0;
    while (found < *tracks) {
        const auto id = r.u32be();
        const auto size = r.u32be();
        if (!id || !size)
            return invalid; // fewer tracks than the header promised
        const auto body = r.bytes(*size);
        if (!body)
            return invalid;
        if (*id != fourCc("MTrk"))
            continue; // chunks of other kinds are for other readers

        ByteReader t(*body);
        int64_t tick = 0;
        uint8_t running = 0;
        bool ended = false;
        while (!t.atEnd() && !ended) {
            const auto delta = readVarLen(t);
            const auto first = t.u8();
            if (!delta || !first)
                return invalid;
            tick += *delta;
            uint8_t status = *first;
            if (status < 0x80) {
                if (running == 0)
                    return invalid;
                status = running;
                t.seek(t.position() - 1); // the byte was data
            }
            if (status == 0xFF) {
                const auto type = t.u8();
                const auto length = type ? readVarLen(t) : std::nullopt;
                const auto data = length ? t.bytes(*length) : std::nullopt;
                if (!data)
                    return invalid;
                if (*type == 0x2F) {
                    ended = true;
                } else if (*type == 0x51) {
                    if (data->size() != 3)
                        return invalid;
                    const uint32_t micros = (static_cast<uint32_t>((*data)[0]) << 16) |
                                            (static_cast<uint32_t>((*data)[1]) << 8) |
                                            static_cast<uint32_t>((*data)[2]);
                    if (micros == 0)
                        return invalid;
                    file.m_tempo.push_back({tick, micros});
                }
                running = 0; // meta and sysex events cancel running status
            } else if (status == 0xF0 || status == 0xF7) {
                const auto length = readVarLen(t);
                if (!length || !t.skip(*length))
                    return invalid;
                running = 0;
            } else if (status >= 0xF0) {
                return invalid; // real-time and common messages have no place in a file
            } else {
                const int dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
                for (int i = 0; i < dataBytes; ++i) {
                    const auto b = t.u8();
                    if (!b || *b >= 0x80)
                        return invalid;
                }
                running = status;
            }
        }
        file.m_lengthTicks = std::max(file.m_lengthTicks, tick);
        ++found;
    }

    std::stable_sort(file.m_tempo.begin(), file.m_tempo.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    if (file.m_tempo.empty() || file.m_tempo.front().tick != 0)
        file.m_tempo.insert(file.m_tempo.begin(), {0, kDefaultMicrosPerQuarter});
    file.m_format = *format;
    file.m_trackCount = *tracks;
    file.m_smf.assign(smf->begin(), smf->end());
    return file;
}

Result<MidiFile> MidiFile::load(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return Failure{mci::kFileNotFound};
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Failure{mci::kFileRead};
    const QByteArray data = f.readAll();
    return parse(std::as_bytes(std::span(data.constData(), static_cast<size_t>(data.size()))));
}

int64_t MidiFile::ticksToMs(int64_t ticks) const
{
    if (m_ticksPerQuarter == 0)
        return m_ticksPerSecond > 0 ? std::llround(static_cast<double>(ticks) * 1000.0 / m_ticksPerSecond) : 0;
    // Sum whole tempo segments in microseconds, then round once.
    double micros = 0.0;
    for (size_t i = 0; i < m_tempo.size() && m_tempo[i].tick < ticks; ++i) {
        const int64_t segmentEnd = i + 1 < m_tempo.size() ? std::min(ticks, m_tempo[i + 1].tick) : ticks;
        micros += static_cast<double>(segmentEnd - m_tempo[i].tick) * m_tempo[i].microsPerQuarter / m_ticksPerQuarter;
    }
    return std::llround(micros / 1000.0);
}

int64_t MidiFile::msToTicks(int64_t ms) const
{
    if (ms <= 0)
        return 0;
    if (m_ticksPerQuarter == 0)
        return std::llround(static_cast<double>(ms) * m_ticksPerSecond / 1000.0);
    double remaining = static_cast<double>(ms) * 1000.0; // in microseconds
    for (size_t i = 0; i < m_tempo.size(); ++i) {
        const double perTick = static_cast<double>(m_tempo[i].microsPerQuarter) / m_ticksPerQuarter;
        const bool last = i + 1 == m_tempo.size();
        const double span = last ? 0.0 : static_cast<double>(m_tempo[i + 1].tick - m_tempo[i].tick) * perTick;
        if (last || remaining < span)
            return m_tempo[i].tick + std::llround(remaining / perTick);
        remaining -= span;
    }
    return 0;
}

} // namespace lumeria::media
