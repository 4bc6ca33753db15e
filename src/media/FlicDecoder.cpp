#include "media/FlicDecoder.h"

#include "media/MciErrors.h"
#include "platform/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace lumeria::media {

namespace {

constexpr size_t kHeaderSize = 128;
constexpr uint16_t kFliMagic = 0xAF11;
constexpr uint16_t kFlcMagic = 0xAF12;
constexpr uint16_t kFrameMagic = 0xF1FA;
constexpr size_t kChunkHeaderSize = 6;  // size u32, type u16
constexpr size_t kFrameHeaderSize = 16; // chunk header, sub-chunk count, 8 reserved
// FLI speeds count vertical blanks; this player has always waited 15 ms per
// unit, and publications were timed against that, not against 1/70 s.
constexpr int kFliTickMs = 15;
// A delay past an hour is a damaged header, not a slide show; capping it
// keeps lengths (frames × delay) far from overflowing.
constexpr uint32_t kMaxDelayMs = 3'600'000;
// Larger than any screen of the period, small enough that a forged header
// cannot ask for gigabytes.
constexpr int kMaxSide = 2048;

enum class ChunkType : uint16_t {
    Color256 = 4,
    DeltaFlc = 7,
    Color64 = 11,
    DeltaFli = 12,
    Black = 13,
    ByteRun = 15,
    FliCopy = 16,
    PostageStamp = 18,
};

struct Canvas {
    std::span<uint8_t> pixels;
    int width;
    int height;

    std::span<uint8_t> row(int y) const { return pixels.subspan(size_t(y) * size_t(width), size_t(width)); }
};

// Packets address columns freely (skips add up past the edge), so every
// write is cut to the row here and nowhere else.
void copyClipped(std::span<uint8_t> row, int x, std::span<const std::byte> src)
{
    if (x >= int(row.size()))
        return;
    const size_t n = std::min(src.size(), row.size() - size_t(x));
    std::memcpy(row.data() + x, src.data(), n);
}

void fillClipped(std::span<uint8_t> row, int x, uint8_t value, int count)
{
    if (x >= int(row.size()))
        return;
    const int n = std::min(count, int(row.size()) - x);
    std::fill_n(row.begin() + x, n, value);
}

// A replicated word lays its low byte first, as it sat in memory.
void fillWordsClipped(std::span<uint8_t> row, int x, uint8_t low, uint8_t high, int words)
{
    const int end = std::min(int(row.size()), x + 2 * words);
    for (int i = x; i < end; i += 2) {
        row[size_t(i)] = low;
        if (i + 1 < end)
            row[size_t(i) + 1] = high;
    }
}

uint8_t scale6to8(uint8_t v)
{
    // The VGA DAC ignores the top two bits; replicating the top bits into the
    // bottom maps 0 to 0 and 63 to 255 without a division.
    v &= 0x3F;
    return uint8_t((v << 2) | (v >> 4));
}

bool decodeColor(ByteReader& in, std::array<QRgb, 256>& palette, bool sixBit)
{
    const auto packets = in.u16le();
    if (!packets)
        return false;
    int index = 0;
    for (int p = 0; p < *packets; ++p) {
        const auto skip = in.u8();
        const auto count = in.u8();
        if (!skip || !count)
            return false;
        index += *skip;
        const int n = *count == 0 ? 256 : *count;
        const auto rgb = in.bytes(size_t(n) * 3);
        if (!rgb)
            return false;
        for (int i = 0; i < n; ++i, ++index) {
            if (index >= 256)
                continue;
            uint8_t c[3];
            for (int k = 0; k < 3; ++k) {
                const auto v = uint8_t((*rgb)[size_t(i) * 3 + size_t(k)]);
                c[k] = sixBit ? scale6to8(v) : v;
            }
            palette[size_t(index)] = qRgb(c[0], c[1], c[2]);
        }
    }
    return true;
}

// Word-oriented delta of FLC files. Line words carry an opcode in their top
// two bits: 11 skips lines (the word is minus the count), 10 holds the last
// byte of an odd-width line, which word packets cannot reach, 00 is the
// packet count of the line.
bool decodeDeltaFlc(ByteReader& in, const Canvas& canvas)
{
    const auto lines = in.u16le();
    if (!lines)
        return false;
    int y = 0;
    int lastByte = -1;
    for (int line = 0; line < *lines;) {
        const auto word = in.u16le();
        if (!word)
            return false;
        const int opcode = *word & 0xC000;
        if (opcode == 0xC000) {
            y += 0x10000 - *word;
            if (y >= canvas.height)
                return true;
            continue;
        }
        if (opcode == 0x8000) {
            lastByte = *word & 0xFF;
            continue;
        }
        if (opcode == 0x4000)
            continue; // undefined; writers never emit it, nothing to apply
        if (y >= canvas.height)
            return true; // the rest would land below the canvas
        const auto row = canvas.row(y);
        int x = 0;
        for (int p = 0; p < *word; ++p) {
            const auto skip = in.u8();
            const auto count = in.u8();
            if (!skip || !count)
                return false;
            x += *skip;
            const int n = int8_t(*count);
            if (n >= 0) {
                const auto src = in.bytes(size_t(n) * 2);
                if (!src)
                    return false;
                copyClipped(row, x, *src);
                x += 2 * n;
            } else {
                const auto low = in.u8();
                const auto high = in.u8();
                if (!low || !high)
                    return false;
                fillWordsClipped(row, x, *low, *high, -n);
                x += -2 * n;
            }
        }
        if (lastByte >= 0) {
            row.back() = uint8_t(lastByte);
            lastByte = -1;
        }
        ++y;
        ++line;
    }
    return true;
}

// Byte-oriented delta of FLI files: a band of lines from a first line on.
bool decodeDeltaFli(ByteReader& in, const Canvas& canvas)
{
    const auto first = in.u16le();
    const auto lines = in.u16le();
    if (!first || !lines)
        return false;
    for (int y = *first; y < *first + *lines; ++y) {
        if (y >= canvas.height)
            return true;
        const auto packets = in.u8();
        if (!packets)
            return false;
        const auto row = canvas.row(y);
        int x = 0;
        for (int p = 0; p < *packets; ++p) {
            const auto skip = in.u8();
            const auto size = in.u8();
            if (!skip || !size)
                return false;
            x += *skip;
            const int n = int8_t(*size);
            if (n >= 0) {
                const auto src = in.bytes(size_t(n));
                if (!src)
                    return false;
                copyClipped(row, x, *src);
                x += n;
            } else {
                const auto value = in.u8();
                if (!value)
                    return false;
                fillClipped(row, x, *value, -n);
                x += -n;
            }
        }
    }
    return true;
}

// Run-length picture, line by line. The leading packet count is ignored: it
// overflows a byte on wide lines, so writers stopped keeping it; each line
// ends when its width is filled.
bool decodeByteRun(ByteReader& in, const Canvas& canvas)
{
    for (int y = 0; y < canvas.height; ++y) {
        if (!in.u8())
            return false;
        const auto row = canvas.row(y);
        int x = 0;
        while (x < canvas.width) {
            const auto count = in.u8();
            if (!count)
                return false;
            const int n = int8_t(*count);
            if (n > 0) {
                const auto value = in.u8();
                if (!value)
                    return false;
                fillClipped(row, x, *value, n);
                x += n;
            } else if (n < 0) {
                const auto src = in.bytes(size_t(-n));
                if (!src)
                    return false;
                copyClipped(row, x, *src);
                x += -n;
            }
        }
    }
    return true;
}

bool decodeCopy(ByteReader& in, const Canvas& canvas)
{
    const auto src = in.bytes(canvas.pixels.size());
    if (!src)
        return false;
    std::memcpy(canvas.pixels.data(), src->data(), src->size());
    return true;
}

} // namespace

Result<FlicDecoder> FlicDecoder::open(std::span<const std::byte> file)
{
    const Failure invalid{mci::kInvalidFile};
    if (file.size() < kHeaderSize)
        return invalid;
    ByteReader in(file);
    in.skip(4); // the header's file size: writers got it wrong often enough
    const uint16_t magic = *in.u16le();
    const uint16_t frames = *in.u16le();
    const uint16_t width = *in.u16le();
    const uint16_t height = *in.u16le();
    const uint16_t depth = *in.u16le();
    in.skip(2); // flags
    if (magic != kFliMagic && magic != kFlcMagic)
        return invalid;
    // Early FLI writers left the depth 0; anything else but 8 is a
    // high-colour variant with chunk types of its own.
    if (depth != 8 && !(depth == 0 && magic == kFliMagic))
        return invalid;
    if (frames == 0 || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide)
        return invalid;

    FlicDecoder decoder;
    decoder.m_file = file;
    decoder.m_width = width;
    decoder.m_height = height;
    decoder.m_frameCount = frames;
    decoder.m_firstFrame = kHeaderSize;
    if (magic == kFliMagic) {
        decoder.m_kind = Kind::Fli;
        decoder.m_delayMs = int(std::min<uint32_t>(uint32_t{*in.u16le()} * kFliTickMs, kMaxDelayMs));
    } else {
        decoder.m_kind = Kind::Flc;
        decoder.m_delayMs = int(std::min(*in.u32le(), kMaxDelayMs));
        in.seek(80);
        const uint32_t frame1 = *in.u32le();
        // Some writers leave the offset 0 and put the frames right after the header.
        if (frame1 != 0) {
            if (frame1 < kHeaderSize || frame1 > file.size() - kChunkHeaderSize)
                return invalid;
            decoder.m_firstFrame = frame1;
        }
    }
    decoder.m_pixels.resize(size_t(width) * height);
    decoder.rewind();
    return decoder;
}

void FlicDecoder::rewind()
{
    m_pos = m_firstFrame;
    m_decoded = 0;
    m_failed = false;
    std::fill(m_pixels.begin(), m_pixels.end(), uint8_t{0});
    m_palette.fill(qRgb(0, 0, 0));
}

Result<bool> FlicDecoder::next()
{
    const Failure damaged{mci::kInvalidFile};
    if (m_failed)
        return damaged;
    if (m_decoded >= m_frameCount)
        return false;
    // Chunks other than frames (the FLC prefix chunk, a writer's own data)
    // sit between frames; they are passed over by their size. Each step
    // moves on by at least a chunk header, so this ends with the file.
    ByteReader in(m_file);
    for (;;) {
        in.seek(m_pos);
        const auto size = in.u32le();
        const auto type = in.u16le();
        if (!size || !type || *size < kChunkHeaderSize || *size > m_file.size() - m_pos) {
            m_failed = true;
            return damaged;
        }
        const auto chunk = m_file.subspan(m_pos, *size);
        m_pos += *size;
        if (*type != kFrameMagic)
            continue;
        if (!decodeFrame(chunk)) {
            m_failed = true;
            return damaged;
        }
        ++m_decoded;
        return true;
    }
}

bool FlicDecoder::decodeFrame(std::span<const std::byte> frame)
{
    if (frame.size() < kFrameHeaderSize)
        return false;
    ByteReader in(frame);
    in.skip(kChunkHeaderSize);
    const uint16_t chunks = *in.u16le();
    in.skip(8);
    const Canvas canvas{m_pixels, m_width, m_height};
    for (int i = 0; i < chunks; ++i) {
        // A count larger than what follows ends the frame with what was there.
        if (in.remaining() < kChunkHeaderSize)
            break;
        const size_t start = in.position();
        const uint32_t size = *in.u32le();
        const uint16_t type = *in.u16le();
        if (size < kChunkHeaderSize)
            return false;
        // Writers have overstated the last chunk of a frame; its data end
        // with the frame whatever the size says.
        const size_t end = start + std::min<size_t>(size, frame.size() - start);
        ByteReader data(frame.subspan(start + kChunkHeaderSize, end - start - kChunkHeaderSize));
        bool ok = true;
        switch (ChunkType(type)) {
        case ChunkType::Color256: ok = decodeColor(data, m_palette, false); break;
        case ChunkType::Color64: ok = decodeColor(data, m_palette, true); break;
        case ChunkType::DeltaFlc: ok = decodeDeltaFlc(data, canvas); break;
        case ChunkType::DeltaFli: ok = decodeDeltaFli(data, canvas); break;
        case ChunkType::Black: std::fill(m_pixels.begin(), m_pixels.end(), uint8_t{0}); break;
        case ChunkType::ByteRun: ok = decodeByteRun(data, canvas); break;
        case ChunkType::FliCopy: ok = decodeCopy(data, canvas); break;
        case ChunkType::PostageStamp: break; // a thumbnail for file browsers
        default: break;                      // kinds this player never drew
        }
        if (!ok)
            return false;
        in.seek(end);
    }
    return true;
}

QImage FlicDecoder::image() const
{
    QImage out(m_width, m_height, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    for (int y = 0; y < m_height; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        const uint8_t* src = m_pixels.data() + size_t(y) * size_t(m_width);
        for (int x = 0; x < m_width; ++x)
            dst[x] = m_palette[src[x]];
    }
    return out;
}

} // namespace lumeria::media
