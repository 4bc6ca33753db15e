#include "platform/image/BmpDecoder.h"

#include "platform/ByteReader.h"
#include "platform/gdi/BitFields.h"
#include "platform/image/PictureError.h"

#include <QRgb>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace lumeria {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint16_t kFileMagic = 0x4D42; // "BM"

// Compression codes of BITMAPINFOHEADER. OS/2 2.x headers use 3 and 4 for
// Huffman (not read) and 24-bit run-length data instead; the latter is kept
// under a code of its own that no Windows header uses.
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;
constexpr uint32_t kBiAlphaBitfields = 6;
constexpr uint32_t kOs2Rle24Stored = 4;
constexpr uint32_t kOs2Rle24 = 0x10004;

constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kV2HeaderSize = 52; // with red, green and blue masks
constexpr size_t kV3HeaderSize = 56; // and an alpha mask
constexpr size_t kOs2MaxHeaderSize = 64;

// One colour channel of a bit-field pixel: where its bits are and how many.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

Channel channelFor(uint32_t mask)
{
    if (mask == 0)
        return {};
    const int shift = std::countr_zero(mask);
    // A mask with holes counts from its lowest to its highest bit; nobody
    // writes one, and this keeps the value in range.
    return {mask, shift, 32 - std::countl_zero(mask) - shift};
}

// A channel widened to 8 bits as GDI widens it.
uint8_t widen(const Channel& c, uint32_t pixel)
{
    return gdi::widenField(pixel, c.mask);
}

struct DibHeader {
    size_t headerSize = 0;
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kBiRgb;
    bool core = false; // OS/2 1.x: 16-bit sizes and three-byte colour entries
    uint32_t coloursUsed = 0;
    Channel red, green, blue, alpha;
    size_t paletteOffset = 0; // from the start of the header
};

bool isValidDepth(int bits)
{
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads the header at the start of `dib`. An icon's header counts the AND
// mask's rows in its height.
Result<DibHeader> readDibHeader(std::span<const std::byte> dib, bool icon)
{
    ByteReader r(dib);
    const auto size = r.u32le();
    if (!size || *size < kCoreHeaderSize || *size > dib.size())
        return Failure{picture::kUndecodable};
    DibHeader h;
    h.headerSize = *size;
    int64_t width = 0, height = 0;
    uint16_t planes = 0;
    if (h.headerSize == kCoreHeaderSize) {
        h.core = true;
        width = *r.u16le();
        height = *r.u16le();
        planes = *r.u16le();
        h.bits = *r.u16le();
    } else if (h.headerSize >= 16) {
        // Fields past the end of a short OS/2 2.x header are zero.
        std::array<std::byte, kV3HeaderSize> fields{};
        std::memcpy(fields.data(), dib.data(), std::min(h.headerSize, fields.size()));
        ByteReader f(fields);
        f.skip(4);
        width = *f.i32le();
        height = *f.i32le();
        planes = *f.u16le();
        h.bits = *f.u16le();
        h.compression = *f.u32le();
        f.skip(12); // image size, resolution
        h.coloursUsed = *f.u32le();
        f.skip(4);
        const bool os2 = h.headerSize != kInfoHeaderSize && h.headerSize <= kOs2MaxHeaderSize &&
                         h.headerSize != kV2HeaderSize && h.headerSize != kV3HeaderSize;
        if (os2 && h.compression == kOs2Rle24Stored)
            h.compression = kOs2Rle24;
        else if (os2 && h.compression != kBiRgb && h.compression != kBiRle8 && h.compression != kBiRle4)
            return Failure{picture::kUndecodable};
        if (h.headerSize >= kV2HeaderSize && !os2) {
            h.red = channelFor(*f.u32le());
            h.green = channelFor(*f.u32le());
            h.blue = channelFor(*f.u32le());
            if (h.headerSize >= kV3HeaderSize)
                h.alpha = channelFor(*f.u32le());
        }
    } else {
        return Failure{picture::kUndecodable};
    }
    h.paletteOffset = h.headerSize;

    if (!isValidDepth(h.bits) || planes != 1)
        return Failure{picture::kUndecodable};
    const bool masks = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    switch (h.compression) {
    case kBiRgb: break;
    case kBiRle8:
        if (h.bits != 8)
            return Failure{picture::kUndecodable};
        break;
    case kBiRle4:
        if (h.bits != 4)
            return Failure{picture::kUndecodable};
        break;
    case kOs2Rle24:
        if (h.bits != 24)
            return Failure{picture::kUndecodable};
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        if (h.bits != 16 && h.bits != 32)
            return Failure{picture::kUndecodable};
        break;
    default: return Failure{picture::kUndecodable};
    }
    if (masks && h.headerSize == kInfoHeaderSize) {
        // The masks follow a plain info header, before the colour table.
        ByteReader m(dib.subspan(kInfoHeaderSize));
        const auto red = m.u32le(), green = m.u32le(), blue = m.u32le();
        if (!blue)
            return Failure{picture::kUndecodable};
        h.red = channelFor(*red);
        h.green = channelFor(*green);
        h.blue = channelFor(*blue);
        h.paletteOffset += 12;
        if (h.compression == kBiAlphaBitfields) {
            const auto alpha = m.u32le();
            if (!alpha)
                return Failure{picture::kUndecodable};
            h.alpha = channelFor(*alpha);
            h.paletteOffset += 4;
        }
    } else if (!masks) {
        h.red = h.green = h.blue = h.alpha = {};
        if (h.bits == 16) {
            h.red = channelFor(0x7C00);
            h.green = channelFor(0x03E0);
            h.blue = channelFor(0x001F);
        } else if (h.bits == 32) {
            h.red = channelFor(0x00FF0000);
            h.green = channelFor(0x0000FF00);
            h.blue = channelFor(0x000000FF);
            // Plain 32-bit bitmaps have no alpha; icons keep theirs there.
            if (icon)
                h.alpha = channelFor(0xFF000000);
        }
    }

    if (icon)
        height /= 2;
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return Failure{picture::kUndecodable};
    h.topDown = height < 0;
    if (h.topDown)
        height = -height;
    if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
        return Failure{picture::kTooLarge};
    h.width = int(width);
    h.height = int(height);
    return h;
}

size_t rowStride(const DibHeader& h)
{
    return (size_t(h.width) * size_t(h.bits) + 31) / 32 * 4;
}

// The colour table: as many entries as the header asks for (all an index of
// the depth can reach when it says 0) that fit before `end`; the rest of 256
// are black, which is also what an index beyond the table shows.
struct ColourTable {
    std::array<QRgb, 256> colours{};
    int defined = 0;
};

ColourTable readColourTable(const DibHeader& h, std::span<const std::byte> dib, size_t end)
{
    ColourTable t;
    t.colours.fill(qRgb(0, 0, 0));
    if (h.bits > 8)
        return t;
    const size_t entrySize = h.core ? 3 : 4;
    size_t wanted = h.coloursUsed != 0 ? h.coloursUsed : size_t(1) << h.bits;
    wanted = std::min<size_t>(wanted, 256);
    end = std::min(end, dib.size());
    const size_t fit = end > h.paletteOffset ? (end - h.paletteOffset) / entrySize : 0;
    const size_t count = std::min(wanted, fit);
    for (size_t i = 0; i < count; ++i) {
        const std::byte* e = dib.data() + h.paletteOffset + i * entrySize;
        t.colours[i] = qRgb(uint8_t(e[2]), uint8_t(e[1]), uint8_t(e[0]));
    }
    t.defined = int(count);
    return t;
}

size_t paletteBytes(const DibHeader& h)
{
    if (h.bits > 8)
        return 0;
    const size_t wanted = h.coloursUsed != 0 ? std::min<size_t>(h.coloursUsed, 256) : size_t(1) << h.bits;
    return wanted * (h.core ? 3 : 4);
}

// Run-length data into one colour index per pixel, rows in stored order.
// Indexes start at 0, so whatever the codes skip (deltas, early line and
// bitmap ends, data that stops short) is colour 0, as is every pixel of a run
// that runs past the right edge: such runs are cut there, never carried into
// the next row. `written` gets 1 for every pixel a code wrote, for blits
// that leave the skipped ones alone.
std::vector<uint8_t> decodeRunLength(const DibHeader& h, std::span<const std::byte> in, std::vector<uint8_t>& written)
{
    const size_t width = size_t(h.width), height = size_t(h.height);
    std::vector<uint8_t> out(width * height, 0);
    written.assign(width * height, 0);
    const bool four = h.compression == kBiRle4;
    size_t x = 0, y = 0, pos = 0;
    auto put = [&](uint8_t index) {
        if (x < width && y < height) {
            out[y * width + x] = index;
            written[y * width + x] = 1;
        }
        ++x;
    };
    while (pos + 1 < in.size() && y < height) {
        const auto count = uint8_t(in[pos]);
        const auto value = uint8_t(in[pos + 1]);
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < width; ++i)
                put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return out;
        case 2: { // move right and up (down the stored rows)
            if (pos + 1 >= in.size())
                return out;
            x += uint8_t(in[pos]);
            y += uint8_t(in[pos + 1]);
            pos += 2;
            break;
        }
        default: { // a literal run of `value` pixels, padded to a word
            const size_t bytes = four ? (size_t(value) + 1) / 2 : value;
            const size_t available = std::min(bytes, in.size() - pos);
            for (unsigned i = 0; i < value; ++i) {
                const size_t at = four ? i / 2 : i;
                if (at >= available)
                    break;
                const auto b = uint8_t(in[pos + at]);
                put(four ? ((i & 1) ? b & 0x0F : b >> 4) : b);
            }
            pos += bytes + (bytes & 1);
            break;
        }
        }
    }
    return out;
}

// OS/2 24-bit run-length data, rows in stored order: the codes of RLE8 with
// three-byte blue, green, red pixels. Whatever the codes skip is black, and
// 0 in `written`.
std::vector<QRgb> decodeRunLength24(const DibHeader& h, std::span<const std::byte> in, std::vector<uint8_t>& written)
{
    const size_t width = size_t(h.width), height = size_t(h.height);
    std::vector<QRgb> out(width * height, qRgb(0, 0, 0));
    written.assign(width * height, 0);
    size_t x = 0, y = 0, pos = 0;
    const auto colourAt = [&](size_t at) { return qRgb(uint8_t(in[at + 2]), uint8_t(in[at + 1]), uint8_t(in[at])); };
    while (pos + 1 < in.size() && y < height) {
        const auto count = uint8_t(in[pos]);
        if (count > 0) {
            if (pos + 4 > in.size())
                break;
            const QRgb colour = colourAt(pos + 1);
            pos += 4;
            for (unsigned i = 0; i < count && x < width; ++i, ++x) {
                out[y * width + x] = colour;
                written[y * width + x] = 1;
            }
            continue;
        }
        const auto value = uint8_t(in[pos + 1]);
        pos += 2;
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (pos + 1 >= in.size())
                break;
            x += uint8_t(in[pos]);
            y += uint8_t(in[pos + 1]);
            pos += 2;
        } else {
            const size_t bytes = size_t(value) * 3;
            for (size_t i = 0; i < value && pos + 3 * i + 3 <= in.size(); ++i, ++x) {
                if (x < width) {
                    out[y * width + x] = colourAt(pos + 3 * i);
                    written[y * width + x] = 1;
                }
            }
            pos += bytes + (bytes & 1);
        }
    }
    return out;
}

uint8_t indexAt(const uint8_t* row, int bits, int x)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
    default: return row[x];
    }
}

struct DibPixels {
    QImage image;
    ColourTable table;
    bool anyAlpha = false;
    std::vector<uint8_t> written; // run-length data only, rows top down
};

// The written flags of run-length rows (stored order) in the image's order.
std::vector<uint8_t> writtenTopDown(const DibHeader& h, const std::vector<uint8_t>& stored)
{
    if (h.topDown)
        return stored;
    std::vector<uint8_t> rows(stored.size());
    const size_t width = size_t(h.width);
    for (size_t s = 0; s < size_t(h.height); ++s)
        std::memcpy(rows.data() + (size_t(h.height) - 1 - s) * width, stored.data() + s * width, width);
    return rows;
}

// Decodes the pixels at `pixels` (an offset into `dib`) into ARGB32, or into
// RGB32 when `keepAlpha` is false. Rows the data lacks are colour 0.
Result<DibPixels> decodePixels(const DibHeader& h, std::span<const std::byte> dib, size_t pixels, bool keepAlpha)
{
    if (pixels >= dib.size())
        return Failure{picture::kUndecodable};
    DibPixels out;
    out.table = readColourTable(h, dib, pixels);
    out.image = QImage(h.width, h.height, keepAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.image.isNull())
        return Failure{picture::kTooLarge};
    const std::span<const std::byte> data = dib.subspan(pixels);
    const auto rowOf = [&](size_t stored) { return h.topDown ? int(stored) : h.height - 1 - int(stored); };
    const bool alphaChannel = keepAlpha && h.alpha.bits > 0;

    if (h.compression == kOs2Rle24) {
        std::vector<uint8_t> written;
        const std::vector<QRgb> colours = decodeRunLength24(h, data, written);
        for (size_t s = 0; s < size_t(h.height); ++s)
            std::memcpy(out.image.scanLine(rowOf(s)), colours.data() + s * size_t(h.width), size_t(h.width) * 4);
        out.written = writtenTopDown(h, written);
        return out;
    }
    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        std::vector<uint8_t> written;
        const std::vector<uint8_t> indexes = decodeRunLength(h, data, written);
        out.written = writtenTopDown(h, written);
        for (size_t s = 0; s < size_t(h.height); ++s) {
            auto* dst = reinterpret_cast<QRgb*>(out.image.scanLine(rowOf(s)));
            const uint8_t* src = indexes.data() + s * size_t(h.width);
            for (int x = 0; x < h.width; ++x)
                dst[x] = out.table.colours[src[x]];
        }
        return out;
    }

    const size_t stride = rowStride(h);
    std::vector<uint8_t> row(stride);
    for (size_t s = 0; s < size_t(h.height); ++s) {
        // A cut file keeps the bytes it has; the rest of the row is zero.
        std::fill(row.begin(), row.end(), uint8_t(0));
        const uint64_t start = uint64_t(s) * stride;
        if (start < data.size())
            std::memcpy(row.data(), data.data() + start, std::min<uint64_t>(stride, data.size() - start));
        auto* dst = reinterpret_cast<QRgb*>(out.image.scanLine(rowOf(s)));
        const uint8_t* src = row.data();
        switch (h.bits) {
        case 16:
        case 32:
            for (int x = 0; x < h.width; ++x) {
                const uint32_t p = h.bits == 16
                                       ? uint32_t(src[2 * x] | (src[2 * x + 1] << 8))
                                       : uint32_t(src[4 * x]) | (uint32_t(src[4 * x + 1]) << 8) |
                                             (uint32_t(src[4 * x + 2]) << 16) | (uint32_t(src[4 * x + 3]) << 24);
                const uint8_t a = alphaChannel ? widen(h.alpha, p) : 255;
                out.anyAlpha = out.anyAlpha || a != 0;
                dst[x] = qRgba(widen(h.red, p), widen(h.green, p), widen(h.blue, p), a);
            }
            break;
        case 24:
            for (int x = 0; x < h.width; ++x)
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
            break;
        default:
            for (int x = 0; x < h.width; ++x)
                dst[x] = out.table.colours[indexAt(src, h.bits, x)];
            break;
        }
    }
    return out;
}

} // namespace

Result<DecodedPicture> decodeBmp(std::span<const std::byte> data)
{
    ByteReader r(data);
    const auto magic = r.u16le();
    if (!magic || *magic != kFileMagic || !r.skip(8))
        return Failure{picture::kUndecodable};
    const auto offBits = r.u32le();
    if (!offBits || data.size() < kFileHeaderSize + kCoreHeaderSize)
        return Failure{picture::kUndecodable};
    const std::span<const std::byte> dib = data.subspan(kFileHeaderSize);
    auto header = readDibHeader(dib, false);
    if (!header)
        return Failure{header.error()};
    const DibHeader& h = header.value();

    // The pixels are where the file header says, unless that points into the
    // headers or past the end; then they follow the colour table.
    size_t pixels = h.paletteOffset + paletteBytes(h);
    if (*offBits >= kFileHeaderSize + h.paletteOffset && *offBits < data.size())
        pixels = *offBits - kFileHeaderSize;
    auto decoded = decodePixels(h, dib, pixels, false);
    if (!decoded)
        return Failure{decoded.error()};

    DecodedPicture out;
    out.image = std::move(decoded.value().image);
    out.runLengthWritten = std::move(decoded.value().written);
    out.sourceDepth = h.bits;
    if (h.bits <= 8) {
        Palette p{};
        const ColourTable& t = decoded.value().table;
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = {uint8_t(qRed(t.colours[i])), uint8_t(qGreen(t.colours[i])), uint8_t(qBlue(t.colours[i])), 0};
        out.palette = p;
        out.paletteColours = t.defined;
    }
    out.transparency = PictureTransparency::ColourKey;
    setBottomLeftTransparentColour(out);
    return out;
}

Result<QImage> decodeIconBitmap(std::span<const std::byte> dib, bool* masked)
{
    if (masked)
        *masked = false;
    auto header = readDibHeader(dib, true);
    if (!header)
        return Failure{header.error()};
    const DibHeader& h = header.value();
    const size_t pixels = h.paletteOffset + paletteBytes(h);
    auto decoded = decodePixels(h, dib, pixels, true);
    if (!decoded)
        return Failure{decoded.error()};
    QImage image = std::move(decoded.value().image);

    // A 32-bit image whose alpha is all zero was made before icons had alpha:
    // its mask decides, as for every other depth. The AND mask follows the
    // colour rows, bottom-up; where it is cut short the image stays opaque.
    if (h.bits == 32 && decoded.value().anyAlpha)
        return image;
    if (masked)
        *masked = true;
    const bool compressed = h.compression == kBiRle8 || h.compression == kBiRle4 || h.compression == kOs2Rle24;
    const size_t maskStride = (size_t(h.width) + 31) / 32 * 4;
    const uint64_t maskStart = uint64_t(pixels) + uint64_t(rowStride(h)) * uint64_t(h.height);
    for (int s = 0; s < h.height; ++s) {
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(h.topDown ? s : h.height - 1 - s));
        const uint64_t rowStart = maskStart + uint64_t(s) * maskStride;
        for (int x = 0; x < h.width; ++x) {
            const uint64_t at = rowStart + uint64_t(x >> 3);
            const bool transparent =
                !compressed && at < dib.size() && ((uint8_t(dib[size_t(at)]) >> (7 - (x & 7))) & 1);
            // A masked pixel keeps its colour: DrawIcon XORs it onto what
            // lies below, so a white one inverts the background.
            dst[x] = transparent ? (dst[x] & 0x00FFFFFFu) : (dst[x] | 0xFF000000u);
        }
    }
    return image;
}

int iconBitmapDepth(std::span<const std::byte> dib)
{
    ByteReader r(dib);
    const auto size = r.u32le();
    if (!size)
        return 0;
    const size_t at = *size == kCoreHeaderSize ? 10 : 14;
    if (!r.seek(at))
        return 0;
    const auto bits = r.u16le();
    return bits ? *bits : 0;
}

} // namespace lumeria
