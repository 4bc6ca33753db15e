#pragma once

// Builds FLI and FLC files byte by byte for the decoder's tests, the fuzz
// seeds and the speed measurement: a little-endian byte builder, chunk and
// frame wrappers, and two small encoders for pictures of some size.

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

namespace lumeria::media::test {

class Bytes {
public:
    Bytes() = default;
    Bytes(std::initializer_list<int> bytes)
    {
        for (const int b : bytes)
            u8(b);
    }

    Bytes& u8(int v)
    {
        m_data.push_back(std::byte(uint8_t(v)));
        return *this;
    }
    Bytes& s8(int v) { return u8(int(uint8_t(int8_t(v)))); }
    Bytes& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(uint32_t v) { return u16(int(v & 0xFFFF)).u16(int(v >> 16)); }
    Bytes& fill(int v, size_t count)
    {
        m_data.insert(m_data.end(), count, std::byte(uint8_t(v)));
        return *this;
    }
    Bytes& append(const Bytes& other)
    {
        m_data.insert(m_data.end(), other.m_data.begin(), other.m_data.end());
        return *this;
    }
    Bytes& append(std::span<const uint8_t> raw)
    {
        for (const uint8_t b : raw)
            u8(b);
        return *this;
    }
    void patchU16(size_t at, int v)
    {
        m_data.at(at) = std::byte(uint8_t(v));
        m_data.at(at + 1) = std::byte(uint8_t(v >> 8));
    }

    size_t size() const { return m_data.size(); }
    const std::vector<std::byte>& data() const { return m_data; }
    QByteArray toQByteArray() const
    {
        return QByteArray(reinterpret_cast<const char*>(m_data.data()), qsizetype(size()));
    }

private:
    std::vector<std::byte> m_data;
};

enum class FlicKind { Fli, Flc };

inline constexpr uint16_t kColor256 = 4;
inline constexpr uint16_t kDeltaFlc = 7;
inline constexpr uint16_t kColor64 = 11;
inline constexpr uint16_t kDeltaFli = 12;
inline constexpr uint16_t kBlack = 13;
inline constexpr uint16_t kByteRun = 15;
inline constexpr uint16_t kFliCopy = 16;
inline constexpr uint16_t kPostageStamp = 18;
inline constexpr uint16_t kFrameType = 0xF1FA;
inline constexpr uint16_t kPrefixType = 0xF100;

// A chunk: size (header included unless forced), type, data.
inline Bytes chunk(uint16_t type, const Bytes& data, std::optional<uint32_t> size = std::nullopt)
{
    Bytes out;
    out.u32(size ? *size : uint32_t(6 + data.size())).u16(type).append(data);
    return out;
}

// A frame chunk holding the given sub-chunks.
inline Bytes frame(std::initializer_list<Bytes> chunks, std::optional<int> count = std::nullopt)
{
    Bytes body;
    for (const Bytes& c : chunks)
        body.append(c);
    Bytes head;
    head.u16(count ? *count : int(chunks.size())).fill(0, 8);
    return chunk(kFrameType, Bytes(head).append(body));
}

class FlicWriter {
public:
    FlicWriter(FlicKind kind, int width, int height, uint32_t speed)
        : m_kind(kind), m_width(width), m_height(height), m_speed(speed)
    {
    }

    FlicWriter& addFrame(const Bytes& frameChunk)
    {
        m_body.append(frameChunk);
        ++m_frames;
        return *this;
    }
    // Anything between frames that is not counted as one.
    FlicWriter& addRaw(const Bytes& bytes)
    {
        m_body.append(bytes);
        return *this;
    }
    FlicWriter& setFrameCount(int frames)
    {
        m_frameOverride = frames;
        return *this;
    }
    // FLC only: padding between header and first frame, reached through oframe1.
    FlicWriter& setGapBeforeFirstFrame(size_t gap)
    {
        m_gap = gap;
        return *this;
    }

    Bytes build() const
    {
        Bytes out;
        const size_t first = 128 + m_gap;
        out.u32(uint32_t(first + m_body.size()));
        out.u16(m_kind == FlicKind::Fli ? 0xAF11 : 0xAF12);
        out.u16(m_frameOverride ? *m_frameOverride : m_frames);
        out.u16(m_width).u16(m_height).u16(8).u16(0);
        if (m_kind == FlicKind::Fli)
            out.u16(int(m_speed)).u16(0);
        else
            out.u32(m_speed);
        out.fill(0, 80 - out.size());
        out.u32(m_kind == FlicKind::Flc ? uint32_t(first) : 0).u32(0);
        out.fill(0, 128 - out.size());
        out.fill(0xEE, m_gap); // garbage a decoder must not take for a frame
        out.append(m_body);
        return out;
    }

private:
    FlicKind m_kind;
    int m_width;
    int m_height;
    uint32_t m_speed;
    int m_frames = 0;
    std::optional<int> m_frameOverride;
    size_t m_gap = 0;
    Bytes m_body;
};

// BYTE_RUN data for a whole picture: runs of two or more equal bytes
// replicate, the rest is copied.
inline Bytes encodeByteRun(std::span<const uint8_t> pixels, int width, int height)
{
    Bytes out;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels.data() + size_t(y) * size_t(width);
        out.u8(0);
        int x = 0;
        while (x < width) {
            int run = 1;
            while (x + run < width && run < 127 && row[x + run] == row[x])
                ++run;
            if (run >= 2) {
                out.s8(run).u8(row[x]);
                x += run;
                continue;
            }
            int lit = 1;
            while (x + lit < width && lit < 127 && !(x + lit + 1 < width && row[x + lit] == row[x + lit + 1]))
                ++lit;
            out.s8(-lit).append(std::span<const uint8_t>(row + x, size_t(lit)));
            x += lit;
        }
    }
    return out;
}

// DELTA_FLC data taking `before` to `after` (even width): unchanged lines
// become line skips, changed words copy packets or, three alike or more,
// replicate packets.
inline Bytes encodeDeltaFlc(std::span<const uint8_t> before, std::span<const uint8_t> after, int width, int height)
{
    auto word = [width](std::span<const uint8_t> p, int y, int x) {
        const size_t i = size_t(y) * size_t(width) + size_t(x);
        return uint16_t(p[i] | (p[i + 1] << 8));
    };
    Bytes lines;
    int lineCount = 0;
    int skipped = 0;
    for (int y = 0; y < height; ++y) {
        Bytes packets;
        int packetCount = 0;
        int x = 0;
        int gap = 0;
        while (x < width) {
            if (word(before, y, x) == word(after, y, x)) {
                gap += 2;
                x += 2;
                continue;
            }
            while (gap > 254) {
                packets.u8(254).s8(0);
                ++packetCount;
                gap -= 254;
            }
            int same = 1;
            while (x + 2 * same < width && same < 127 && word(after, y, x + 2 * same) == word(after, y, x))
                ++same;
            if (same >= 3) {
                packets.u8(gap).s8(-same).u16(word(after, y, x));
                x += 2 * same;
            } else {
                int n = 0;
                Bytes data;
                while (x < width && n < 127 && word(before, y, x) != word(after, y, x)) {
                    data.u16(word(after, y, x));
                    x += 2;
                    ++n;
                }
                packets.u8(gap).s8(n).append(data);
            }
            ++packetCount;
            gap = 0;
        }
        if (packetCount == 0) {
            ++skipped;
            continue;
        }
        if (skipped > 0)
            lines.u16(0x10000 - skipped);
        skipped = 0;
        lines.u16(packetCount).append(packets);
        ++lineCount;
    }
    Bytes out;
    out.u16(lineCount).append(lines);
    return out;
}

} // namespace lumeria::media::test
