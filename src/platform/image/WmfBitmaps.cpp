// The records that make pattern brushes and draw bitmaps.
#include "platform/image/WmfPlayback.h"

#include "platform/image/BmpDecoder.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <array>

namespace lumeria::wmf {

using gdi::Brush;
using gdi::Rect;

namespace {

// A packed DIB (header, colour table, pixels), as metafile records carry
// bitmaps, decoded by the bitmap file reader: given a file header with the
// offset of its pixels, it reads the DIB exactly as it reads a .BMP file.
struct PackedDib {
    QImage image;
    bool bottomUp = false;                 // rows stored from the bottom, as most DIBs are
    std::vector<uint8_t> runLengthWritten; // see DecodedPicture
};

std::optional<PackedDib> decodePackedDib(std::span<const std::byte> dib)
{
    ByteReader h(dib);
    const auto headerSize = h.u32le();
    if (!headerSize || *headerSize < 12 || *headerSize > dib.size())
        return std::nullopt;
    uint32_t tableBytes = 0;
    int height = 0;
    if (*headerSize == 12) {
        h.skip(2);
        height = int16_t(h.u16le().value_or(0));
        h.skip(2);
        const auto bits = h.u16le();
        tableBytes = bits && *bits <= 8 ? (1u << *bits) * 3 : 0;
    } else {
        h.skip(4);
        height = h.i32le().value_or(0);
        h.skip(2);
        const auto bits = h.u16le();
        const auto compression = h.u32le();
        h.skip(4 + 4 + 4);
        const auto used = h.u32le();
        if (!used)
            return std::nullopt;
        if (*bits <= 8)
            tableBytes = (*used != 0 && *used <= 256u ? *used : 1u << *bits) * 4;
        else if (*compression == 3 && *headerSize == 40)
            tableBytes = 12; // the three colour masks of a bit-field bitmap
    }
    QByteArray file("BM");
    auto put32 = [&file](uint32_t v) {
        for (int s = 0; s < 32; s += 8)
            file.append(char((v >> s) & 0xFF));
    };
    put32(uint32_t(14 + dib.size()));
    put32(0);
    put32(14 + *headerSize + tableBytes);
    file.append(reinterpret_cast<const char*>(dib.data()), qsizetype(dib.size()));
    auto decoded = decodeBmp(std::as_bytes(std::span(file.constData(), size_t(file.size()))));
    if (!decoded)
        return std::nullopt;
    return PackedDib{std::move(decoded->image), height > 0, std::move(decoded->runLengthWritten)};
}

// A bitmap pattern as a brush of the bitmap's size (past the size a brush
// keeps, its top-left part). Two colours make a two-colour pattern in its
// own colours; more make a colour pattern brush.
GdiObject patternBrush(const QImage& image)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Brush;
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        o.brush = Brush::solid(gdi::rgb(0, 0, 0));
        return o;
    }
    const int w = std::min(image.width(), Brush::kMaxPatternSide);
    const int h = std::min(image.height(), Brush::kMaxPatternSide);
    std::vector<QRgb> colours;
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    std::vector<uint32_t> bits(pixels.size(), 0);
    const bool rgb32 = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32;
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = (rgb32 ? line[x] : image.pixel(x, y)) & 0xFFFFFF;
            const size_t i = size_t(y) * size_t(w) + size_t(x);
            pixels[i] = gdi::pixelFromColour(gdi::rgb(qRed(c), qGreen(c), qBlue(c)));
            auto at = std::find(colours.begin(), colours.end(), c);
            if (at == colours.end() && colours.size() < 3) {
                colours.push_back(c);
                at = colours.end() - 1;
            }
            bits[i] = at - colours.begin() == 1 ? 1 : 0;
        }
    }
    if (colours.size() > 2) {
        o.brush = Brush::colourPattern(w, h, std::move(pixels));
        return o;
    }
    o.brush = Brush::monochromePattern(w, h, std::move(bits));
    o.colours = GdiObject::Colours::Own;
    o.fore = gdi::rgb(qRed(colours[0]), qGreen(colours[0]), qBlue(colours[0]));
    o.back = colours.size() > 1 ? gdi::rgb(qRed(colours[1]), qGreen(colours[1]), qBlue(colours[1])) : o.fore;
    return o;
}

} // namespace

// --- Pattern brushes -------------------------------------------------------

bool Player::createPatternBrush(ByteReader& p)
{
    // A device bitmap: type, width, height, bytes per row, planes and bits
    // per pixel, a pointer's worth of padding and 18 reserved bytes, then
    // the rows top down. Monochrome ones take the DC's colours as a
    // monochrome pattern brush does.
    p.skip(2);
    const auto width = s16(p), height = s16(p), rowBytes = s16(p);
    const auto planes = p.u8(), bits = p.u8();
    GdiObject o;
    o.kind = GdiObject::Kind::Brush;
    o.brush = Brush::solid(gdi::rgb(0, 0, 0));
    bool ok = false;
    if (bits && p.skip(4 + 18) && *width > 0 && *height > 0 && *rowBytes > 0 && *planes == 1 && *bits == 1 &&
        p.remaining() >= size_t(*rowBytes) * size_t(*height)) {
        const auto pixels = *p.bytes(size_t(*rowBytes) * size_t(*height));
        const int w = std::min(*width, std::min(*rowBytes * 8, Brush::kMaxPatternSide));
        const int h = std::min(*height, Brush::kMaxPatternSide);
        std::vector<uint32_t> pattern(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const auto byte = uint8_t(pixels[size_t(y) * size_t(*rowBytes) + size_t(x / 8)]);
                pattern[size_t(y) * size_t(w) + size_t(x)] = (byte >> (7 - x % 8)) & 1;
            }
        }
        o.brush = Brush::monochromePattern(w, h, std::move(pattern));
        ok = true;
    }
    return create(o) && ok;
}

bool Player::dibCreatePatternBrush(ByteReader& p)
{
    // The style (a pattern of a device bitmap, or a DIB) and the colour use
    // come first; writers put a DIB after both.
    std::optional<PackedDib> dib;
    if (p.skip(4))
        dib = decodePackedDib(p.bytes(p.remaining()).value_or(std::span<const std::byte>()));
    GdiObject o = patternBrush(dib ? dib->image : QImage());
    return create(o) && dib;
}

// --- Bitmaps ---------------------------------------------------------------

bool Player::patBlt(ByteReader& p)
{
    const auto rop = p.u32le();
    return rop && patternBlit(p, *rop);
}

bool Player::patternBlit(ByteReader& p, uint32_t rop)
{
    const auto h = s16(p), w = s16(p), y = s16(p), x = s16(p);
    if (!x)
        return false;
    const Rect r = mapRect(*x, *y, *x + *w, *y + *h);
    withBrushColours([&] { m_canvas.patBlt(r, rop); });
    return true;
}

bool Player::dibBitBlt(ByteReader& p)
{
    const auto rop = p.u32le();
    // Without a bitmap the record is a pattern blit, with a reserved word.
    if (p.remaining() == 14) {
        p.skip(6);
        return patternBlit(p, *rop);
    }
    const auto srcY = s16(p), srcX = s16(p), h = s16(p), w = s16(p), dstY = s16(p), dstX = s16(p);
    if (!dstX)
        return false;
    const Rect dest = mapRect(*dstX, *dstY, *dstX + *w, *dstY + *h);
    return drawDib(p.bytes(p.remaining()).value_or(std::span<const std::byte>()), dest, *srcX, *srcY, *w, *h, *rop,
                   false);
}

namespace {

// A device-dependent bitmap as the old BITBLT and STRETCHBLT records carry
// it: type, width, height, bytes per row, planes and bits per pixel, then
// the rows top down. A monochrome one is blitted as GDI blits one onto a
// colour surface: its 0 bits take the DC's text colour, its 1 bits the
// background colour (zero and one). 24- and 32-bit ones are read as blue,
// green, red; other depths belonged to a device the file no longer has.
std::optional<gdi::Surface> deviceBitmap(ByteReader& p, uint32_t zero, uint32_t one)
{
    p.skip(2); // type
    const auto width = s16(p), height = s16(p), rowBytes = s16(p);
    const auto planes = p.u8(), bits = p.u8();
    if (!bits || *width <= 0 || *height <= 0 || *planes != 1 || (*bits != 1 && *bits != 24 && *bits != 32))
        return std::nullopt;
    if (*rowBytes < (int64_t(*width) * *bits + 7) / 8 || p.remaining() < size_t(*rowBytes) * size_t(*height))
        return std::nullopt;
    gdi::Surface out(*width, *height);
    if (out.isNull())
        return std::nullopt;
    const auto data = *p.bytes(size_t(*rowBytes) * size_t(*height));
    for (int y = 0; y < *height; ++y) {
        const std::byte* row = data.data() + size_t(y) * size_t(*rowBytes);
        for (int x = 0; x < *width; ++x) {
            if (*bits == 1) {
                const bool set = (uint8_t(row[x / 8]) >> (7 - x % 8)) & 1;
                out.setPixel(x, y, set ? one : zero);
            } else {
                const std::byte* px = row + size_t(x) * size_t(*bits / 8);
                out.setPixel(x, y,
                             0xFF000000u | uint32_t(uint8_t(px[2])) << 16 | uint32_t(uint8_t(px[1])) << 8 |
                                 uint32_t(uint8_t(px[0])));
            }
        }
    }
    return out;
}

} // namespace

bool Player::bitBlt(ByteReader& p)
{
    const auto rop = p.u32le();
    if (p.remaining() == 14) {
        // No bitmap: a pattern blit, with a reserved word.
        p.skip(6);
        return patternBlit(p, *rop);
    }
    const auto srcY = s16(p), srcX = s16(p), h = s16(p), w = s16(p), dstY = s16(p), dstX = s16(p);
    if (!dstX)
        return false;
    return drawDeviceBitmap(p, mapRect(*dstX, *dstY, *dstX + *w, *dstY + *h), {*srcX, *srcY, *w, *h}, *rop);
}

bool Player::stretchBltRecord(ByteReader& p)
{
    const auto rop = p.u32le();
    const auto srcH = s16(p), srcW = s16(p), srcY = s16(p), srcX = s16(p);
    const auto dstH = s16(p), dstW = s16(p), dstY = s16(p), dstX = s16(p);
    if (!dstX)
        return false;
    return drawDeviceBitmap(p, mapRect(*dstX, *dstY, *dstX + *dstW, *dstY + *dstH), {*srcX, *srcY, *srcW, *srcH}, *rop);
}

bool Player::drawDeviceBitmap(ByteReader& p, const Rect& dest, const gdi::BlitArea& source, uint32_t rop)
{
    const gdi::DcState& dc = m_canvas.state();
    const auto bitmap = deviceBitmap(p, m_canvas.devicePixel(dc.textColour), m_canvas.devicePixel(dc.backgroundColour));
    if (!bitmap)
        return false;
    m_canvas.stretchBlt({dest.left, dest.top, dest.width(), dest.height()}, bitmap->view(), source, rop);
    return true;
}

bool Player::dibStretchBlt(ByteReader& p)
{
    const auto rop = p.u32le();
    const auto srcH = s16(p), srcW = s16(p), srcY = s16(p), srcX = s16(p);
    const auto dstH = s16(p), dstW = s16(p), dstY = s16(p), dstX = s16(p);
    if (!dstX)
        return false;
    const Rect dest = mapRect(*dstX, *dstY, *dstX + *dstW, *dstY + *dstH);
    return drawDib(p.bytes(p.remaining()).value_or(std::span<const std::byte>()), dest, *srcX, *srcY, *srcW, *srcH,
                   *rop, false);
}

bool Player::stretchDib(ByteReader& p)
{
    // StretchDIBits: the colour use comes before the source area, and the
    // source is counted in the DIB's own rows.
    const auto rop = p.u32le();
    p.skip(2);
    const auto srcH = s16(p), srcW = s16(p), srcY = s16(p), srcX = s16(p);
    const auto dstH = s16(p), dstW = s16(p), dstY = s16(p), dstX = s16(p);
    if (!dstX)
        return false;
    // The corners as given: a negative extent, or a flipping mapping, mirrors.
    const QPoint a = map(*dstX, *dstY), b = map(*dstX + *dstW, *dstY + *dstH);
    const Rect dest{a.x(), a.y(), b.x(), b.y()};
    return drawDib(p.bytes(p.remaining()).value_or(std::span<const std::byte>()), dest, *srcX, *srcY, *srcW, *srcH,
                   *rop, true);
}

bool Player::setDibToDev(ByteReader& p)
{
    // SetDIBitsToDevice: the colour use, the scan lines the record carries
    // (a count and the first, counted from the bitmap's bottom), the source
    // corner from the bottom left, the size and the destination corner.
    p.skip(2);
    const auto lines = p.u16le(), startScan = p.u16le();
    const auto srcY = s16(p), srcX = s16(p), h = s16(p), w = s16(p), dstY = s16(p), dstX = s16(p);
    if (!dstX)
        return false;
    std::vector<std::byte> dib(p.remaining());
    const auto bytes = p.bytes(p.remaining()).value_or(std::span<const std::byte>());
    std::copy(bytes.begin(), bytes.end(), dib.begin());
    ByteReader header(dib);
    const auto headerSize = header.u32le();
    if (!headerSize || (*headerSize != 12 && *headerSize < 40) || dib.size() < 16)
        return false;
    const bool core = *headerSize == 12;
    ByteReader fields(std::span<const std::byte>(dib).subspan(4));
    const int64_t width = core ? int64_t(int16_t(fields.u16le().value_or(0))) : int64_t(fields.i32le().value_or(0));
    const int64_t height = core ? int64_t(int16_t(fields.u16le().value_or(0))) : int64_t(fields.i32le().value_or(0));
    fields.skip(2);
    const int bits = fields.u16le().value_or(0);
    const uint32_t compression = core ? 0 : fields.u32le().value_or(0);
    fields.skip(12);
    const uint32_t used = core ? 0 : fields.u32le().value_or(0);
    if (compression == 1 || compression == 2)
        return false; // run-length bits are not set this way
    if (width <= 0 || bits <= 0 || bits > 32)
        return false;
    uint64_t tableBytes = 0;
    if (bits <= 8)
        tableBytes = core ? (uint64_t(1) << bits) * 3 : uint64_t(used != 0 && used <= 256 ? used : 1u << bits) * 4;
    else if (compression == 3 && *headerSize == 40)
        tableBytes = 12;
    const uint64_t stride = (uint64_t(width) * uint64_t(bits) + 31) / 32 * 4;
    const bool bottomUp = height > 0;
    const int64_t fullHeight = height < 0 ? -height : height;
    if (*lines == 0 || *startScan >= fullHeight)
        return true;
    // Only the carried rows are in the record: decode it as a bitmap of
    // that many, the way the call reads its bits.
    const int carried = int(bottomUp ? std::min<int64_t>(*lines, fullHeight - *startScan) : *lines);
    // A record short of the rows it says it carries was cut: GDI would read
    // past its end, so it is not played.
    if (dib.size() < *headerSize + tableBytes + stride * uint64_t(carried))
        return false;
    const int64_t patched = bottomUp ? carried : -int64_t(carried);
    if (core) {
        if (patched > INT16_MAX || patched < INT16_MIN)
            return false;
        const auto v = uint16_t(int16_t(patched));
        dib[6] = std::byte(v & 0xFF);
        dib[7] = std::byte(v >> 8);
    } else {
        const auto v = uint32_t(int32_t(patched));
        for (int i = 0; i < 4; ++i)
            dib[size_t(8 + i)] = std::byte((v >> (8 * i)) & 0xFF);
    }
    const auto decoded = decodePackedDib(dib);
    if (!decoded)
        return false;
    const gdi::Surface rows = gdi::Surface::fromImage(decoded->image);
    m_canvas.setDibitsToDevice(map(*dstX, *dstY), QSize(*w, *h), QPoint(*srcX, *srcY), *startScan,
                               gdi::Dib{rows.view(), bottomUp, nullptr});
    return true;
}

bool Player::drawDib(std::span<const std::byte> dibBytes, const Rect& dest, int srcX, int srcY, int srcW, int srcH,
                     uint32_t rop, bool stretchDibits)
{
    const auto decoded = decodePackedDib(dibBytes);
    if (!decoded)
        return false;
    const gdi::Surface source = gdi::Surface::fromImage(decoded->image);
    if (stretchDibits) {
        gdi::BitMask written;
        const int w = source.width(), h = source.height();
        if (decoded->runLengthWritten.size() == size_t(w) * size_t(h)) {
            written = gdi::BitMask(w, h);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x)
                    written.set(x, y, decoded->runLengthWritten[size_t(y) * size_t(w) + size_t(x)] != 0);
            }
        }
        const gdi::Dib dib{source.view(), decoded->bottomUp, written.width() > 0 ? &written : nullptr};
        m_canvas.stretchDibits({dest.left, dest.top, dest.width(), dest.height()}, dib, {srcX, srcY, srcW, srcH}, rop);
        return true;
    }
    m_canvas.stretchBlt({dest.left, dest.top, dest.width(), dest.height()}, source.view(), {srcX, srcY, srcW, srcH},
                        rop);
    return true;
}

} // namespace lumeria::wmf
