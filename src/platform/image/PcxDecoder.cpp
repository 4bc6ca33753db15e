#include "platform/image/PcxDecoder.h"

#include "platform/ByteReader.h"
#include "platform/image/PictureError.h"

#include <QRgb>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumeria {

namespace {

constexpr size_t kHeaderSize = 128;
// An 8-bit picture's colour table follows the pixel data: a 0x0C marker and
// 256 RGB triples, so the marker sits 769 bytes before the end.
constexpr size_t kVgaPaletteSize = 1 + 256 * 3;
constexpr uint8_t kVgaPaletteMarker = 0x0C;
constexpr uint16_t kPaletteInfoGreyscale = 2;

struct PcxHeader {
    uint8_t version = 0;
    int bitsPerPixel = 0;
    int planes = 0;
    int width = 0;
    int height = 0;
    size_t bytesPerLine = 0;
    uint16_t paletteInfo = 0;
    std::span<const std::byte> egaPalette; // 16 RGB triples
};

bool isSupportedLayout(int bitsPerPixel, int planes)
{
    switch (bitsPerPixel) {
    case 1: return planes >= 1 && planes <= 4;
    case 2:
    case 4: return planes == 1;
    case 8: return planes == 1 || planes == 3 || planes == 4;
    default: return false;
    }
}

Result<PcxHeader> readHeader(std::span<const std::byte> data)
{
    ByteReader r(data);
    const auto maker = r.u8(), version = r.u8(), encoding = r.u8(), bits = r.u8();
    const auto xmin = r.u16le(), ymin = r.u16le(), xmax = r.u16le(), ymax = r.u16le();
    if (!ymax || !r.skip(4))
        return Failure{picture::kUndecodable};
    const auto ega = r.bytes(48);
    const auto reserved = r.u8(), planes = r.u8();
    const auto bytesPerLine = r.u16le(), paletteInfo = r.u16le();
    if (!paletteInfo || data.size() < kHeaderSize)
        return Failure{picture::kUndecodable};
    (void)reserved;
    if (*maker != 10 || *version > 5 || *encoding != 1)
        return Failure{picture::kUndecodable};
    if (!isSupportedLayout(*bits, *planes) || *xmax < *xmin || *ymax < *ymin)
        return Failure{picture::kUndecodable};

    PcxHeader h;
    h.version = *version;
    h.bitsPerPixel = *bits;
    h.planes = *planes;
    h.width = *xmax - *xmin + 1;
    h.height = *ymax - *ymin + 1;
    h.bytesPerLine = *bytesPerLine;
    h.paletteInfo = *paletteInfo;
    h.egaPalette = *ega;
    if (h.width > kMaxPictureSide || h.height > kMaxPictureSide || int64_t(h.width) * h.height > kMaxPicturePixels)
        return Failure{picture::kTooLarge};
    // Each plane of a line must hold the line's pixels; writers pad it to an
    // even count, so more is normal, less is a broken file.
    if (h.bytesPerLine < (size_t(h.width) * size_t(h.bitsPerPixel) + 7) / 8)
        return Failure{picture::kUndecodable};
    return h;
}

// A run-length decoder that keeps its state between calls, so that a run
// crossing the end of a scan line (many writers let them) continues into the
// next one; lines are decoded one at a time to keep memory to one line.
class RleStream {
public:
    explicit RleStream(std::span<const std::byte> in) : m_in(in) {}

    bool fill(std::span<uint8_t> out)
    {
        size_t o = 0;
        while (o < out.size()) {
            if (m_runLeft == 0) {
                if (m_pos >= m_in.size())
                    return false;
                auto b = uint8_t(m_in[m_pos++]);
                if ((b & 0xC0) == 0xC0) {
                    if (m_pos >= m_in.size())
                        return false;
                    m_runLeft = b & 0x3F;
                    m_runValue = uint8_t(m_in[m_pos++]);
                } else {
                    m_runLeft = 1;
                    m_runValue = b;
                }
                continue;
            }
            const size_t n = std::min(m_runLeft, out.size() - o);
            std::fill_n(out.begin() + std::ptrdiff_t(o), n, m_runValue);
            o += n;
            m_runLeft -= n;
        }
        return true;
    }

    // The most bytes `size` bytes of encoded data can give: two bytes make a
    // run of at most 63.
    static uint64_t maxDecoded(size_t size) { return uint64_t(size / 2) * 63 + size % 2; }

private:
    std::span<const std::byte> m_in;
    size_t m_pos = 0;
    size_t m_runLeft = 0;
    uint8_t m_runValue = 0;
};

PaletteEntry entryAt(std::span<const std::byte> rgb, size_t i)
{
    return {uint8_t(rgb[3 * i]), uint8_t(rgb[3 * i + 1]), uint8_t(rgb[3 * i + 2]), 0};
}

Palette greyscale()
{
    Palette p{};
    for (int i = 0; i < 256; ++i)
        p[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    return p;
}

// The 16-colour palette of the header. Versions 0 and 3 carry none (nor does
// 1, which no release wrote), and some writers leave it zeroed; those
// pictures were shown in the standard colours.
Palette headerPalette(const PcxHeader& h)
{
    const bool blank =
        std::all_of(h.egaPalette.begin(), h.egaPalette.end(), [](std::byte b) { return b == std::byte{0}; });
    if (h.version <= 1 || h.version == 3 || blank)
        return sixteenColourPalette();
    Palette p{};
    for (size_t i = 0; i < 16; ++i)
        p[i] = entryAt(h.egaPalette, i);
    return p;
}

// An 8-bit picture without its trailing table: a greyscale scan when the
// header says so or gives no colours; otherwise the header's sixteen colours
// with a grey ramp above them, so pictures that use only the low indexes
// still look right.
Palette fallbackPalette256(const PcxHeader& h)
{
    Palette p = greyscale();
    const bool blank =
        std::all_of(h.egaPalette.begin(), h.egaPalette.end(), [](std::byte b) { return b == std::byte{0}; });
    if (h.paletteInfo == kPaletteInfoGreyscale || blank)
        return p;
    for (size_t i = 0; i < 16; ++i)
        p[i] = entryAt(h.egaPalette, i);
    return p;
}

// Index of pixel x of a decoded line for the planar and packed layouts.
uint8_t indexAt(const PcxHeader& h, const uint8_t* line, int x)
{
    switch (h.bitsPerPixel) {
    case 1: {
        uint8_t index = 0;
        const int shift = 7 - (x & 7);
        for (int p = 0; p < h.planes; ++p)
            index |= uint8_t(((line[size_t(p) * h.bytesPerLine + size_t(x >> 3)] >> shift) & 1) << p);
        return index;
    }
    case 2: return (line[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (line[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    default: return line[x];
    }
}

// Decodes the run-length lines of `encoded` through `palette` (none for true
// colour).
Result<DecodedPicture> decodeLines(const PcxHeader& h, std::span<const std::byte> encoded,
                                   const std::optional<Palette>& palette)
{
    const bool trueColour = !palette.has_value();
    const size_t lineBytes = h.bytesPerLine * size_t(h.planes);
    if (uint64_t(lineBytes) * uint64_t(h.height) > RleStream::maxDecoded(encoded.size()))
        return Failure{picture::kTooLarge};

    DecodedPicture out;
    out.image = QImage(h.width, h.height, QImage::Format_RGB32);
    if (out.image.isNull())
        return Failure{picture::kTooLarge};
    out.palette = palette;
    out.sourceDepth = trueColour ? 24 : h.bitsPerPixel * h.planes;
    out.paletteColours = trueColour ? 0 : 1 << out.sourceDepth;

    std::array<QRgb, 256> lookup{};
    if (palette) {
        for (size_t i = 0; i < lookup.size(); ++i)
            lookup[i] = qRgb((*palette)[i].red, (*palette)[i].green, (*palette)[i].blue);
    }

    RleStream rle(encoded);
    std::vector<uint8_t> line(lineBytes);
    for (int y = 0; y < h.height; ++y) {
        if (!rle.fill(line))
            return Failure{picture::kUndecodable};
        auto* dst = reinterpret_cast<QRgb*>(out.image.scanLine(y));
        if (trueColour) {
            const uint8_t* red = line.data();
            const uint8_t* green = red + h.bytesPerLine;
            const uint8_t* blue = green + h.bytesPerLine;
            for (int x = 0; x < h.width; ++x)
                dst[x] = qRgb(red[x], green[x], blue[x]);
        } else {
            for (int x = 0; x < h.width; ++x)
                dst[x] = lookup[indexAt(h, line.data(), x)];
        }
    }
    setBottomLeftTransparentColour(out);
    return out;
}

} // namespace

Result<DecodedPicture> decodePcx(std::span<const std::byte> data)
{
    auto header = readHeader(data);
    if (!header)
        return Failure{header.error()};
    const PcxHeader& h = header.value();
    const std::span<const std::byte> encoded = data.subspan(kHeaderSize);

    if (h.bitsPerPixel == 8 && h.planes >= 3)
        return decodeLines(h, encoded, std::nullopt);
    const int indexBits = h.bitsPerPixel * h.planes;
    if (indexBits == 1) {
        Palette mono{};
        mono[1] = {255, 255, 255, 0};
        return decodeLines(h, encoded, mono);
    }
    if (indexBits < 8)
        return decodeLines(h, encoded, headerPalette(h));

    const bool hasTable = data.size() >= kHeaderSize + kVgaPaletteSize &&
                          uint8_t(data[data.size() - kVgaPaletteSize]) == kVgaPaletteMarker;
    if (hasTable) {
        const auto table = data.last(kVgaPaletteSize - 1);
        Palette p{};
        for (size_t i = 0; i < 256; ++i)
            p[i] = entryAt(table, i);
        auto decoded = decodeLines(h, encoded.first(encoded.size() - kVgaPaletteSize), p);
        if (decoded)
            return decoded;
        // The marker byte may just be pixel data of a file without a table,
        // whose lines then run into the last 769 bytes.
    }
    return decodeLines(h, encoded, fallbackPalette256(h));
}

} // namespace lumeria
