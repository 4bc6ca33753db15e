#include "platform/image/TiffDecoder.h"

#include "platform/image/PictureError.h"
#include "platform/image/QtDecoders.h"

#include <tiffio.h>

#include <QRgb>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace lumeria {

namespace {

// libtiff's own allocations for one picture (strip buffers, decoder state):
// well above what a page picture needs, far below what a hostile header asks.
constexpr tmsize_t kMaxTiffAllocation = tmsize_t(256) * 1024 * 1024;

// The bytes libtiff reads through its client callbacks.
struct MemoryFile {
    std::span<const std::byte> data;
    toff_t position = 0;
};

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* f = static_cast<MemoryFile*>(handle);
    if (size <= 0 || f->position >= f->data.size())
        return 0;
    const size_t n = std::min<size_t>(size_t(size), f->data.size() - size_t(f->position));
    std::memcpy(buffer, f->data.data() + f->position, n);
    f->position += n;
    return tmsize_t(n);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* f = static_cast<MemoryFile*>(handle);
    uint64_t base = 0;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = f->position; break;
    case SEEK_END: base = f->data.size(); break;
    default: return toff_t(-1);
    }
    // libtiff passes negative moves as wrapped unsigned values.
    const uint64_t target = base + offset;
    if (target > uint64_t(INT64_MAX))
        return toff_t(-1);
    f->position = target;
    return f->position;
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return static_cast<MemoryFile*>(handle)->data.size();
}

// The bytes are handed over as a read-only mapping: libtiff reads some
// layouts (16-bit planar tiles among them) correctly only from a mapped
// file, and never writes to one opened for reading.
int mapProc(thandle_t handle, void** base, toff_t* size)
{
    auto* f = static_cast<MemoryFile*>(handle);
    *base = const_cast<std::byte*>(f->data.data());
    *size = f->data.size();
    return 1;
}

void unmapProc(thandle_t, void*, toff_t) {}

// libtiff reports every oddity of a file; the player has nobody to tell.
int quiet(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

TiffHandle openTiff(MemoryFile& file)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quiet, nullptr);
    TIFF* tif = TIFFClientOpenExt("picture", "r", &file, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc,
                                  unmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
}

bool swapsSides(uint16_t orientation)
{
    return orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT;
}

struct Layout {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
};

Result<Layout> readLayout(TIFF* tif)
{
    Layout l;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height) ||
        l.width == 0 || l.height == 0)
        return Failure{picture::kUndecodable};
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
    if (l.orientation < ORIENTATION_TOPLEFT || l.orientation > ORIENTATION_LEFTBOT)
        l.orientation = ORIENTATION_TOPLEFT;
    if (l.width > uint32_t(kMaxPictureSide) || l.height > uint32_t(kMaxPictureSide) ||
        int64_t(l.width) * l.height > kMaxPicturePixels)
        return Failure{picture::kTooLarge};
    return l;
}

// Where stored pixel (c, r) of a w x h image shows for an orientation: the
// tag names the visual side of the stored first row, then of the first
// column.
QPoint shownAt(uint16_t orientation, int c, int r, int w, int h)
{
    switch (orientation) {
    case ORIENTATION_TOPRIGHT: return {w - 1 - c, r};
    case ORIENTATION_BOTRIGHT: return {w - 1 - c, h - 1 - r};
    case ORIENTATION_BOTLEFT: return {c, h - 1 - r};
    case ORIENTATION_LEFTTOP: return {r, c};
    case ORIENTATION_RIGHTTOP: return {h - 1 - r, c};
    case ORIENTATION_RIGHTBOT: return {h - 1 - r, w - 1 - c};
    case ORIENTATION_LEFTBOT: return {r, w - 1 - c};
    default: return {c, r};
    }
}

// libtiff's RGBA pixel (red in the low byte, alpha associated) as an opaque
// colour with alpha taken out again.
QRgb opaqueColour(uint32_t abgr, bool hasAlpha)
{
    int red = int(TIFFGetR(abgr)), green = int(TIFFGetG(abgr)), blue = int(TIFFGetB(abgr));
    const int alpha = int(TIFFGetA(abgr));
    if (hasAlpha && alpha > 0 && alpha < 255) {
        red = std::min(255, (red * 255 + alpha / 2) / alpha);
        green = std::min(255, (green * 255 + alpha / 2) / alpha);
        blue = std::min(255, (blue * 255 + alpha / 2) / alpha);
    }
    return qRgb(red, green, blue);
}

// The colour table of a palette or grey picture of 8 bits or fewer, the way
// libtiff's RGBA reader colours its pixels.
std::optional<Palette> colourTable(TIFF* tif, int& colours, int& depth)
{
    uint16_t bits = 0, samples = 0, photometric = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) || samples != 1 || bits == 0 || bits > 8)
        return std::nullopt;
    const int count = 1 << bits;
    Palette p{};
    if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
            return std::nullopt;
        // Old writers stored 8-bit values; libtiff detects and keeps them.
        bool eightBit = true;
        for (int i = 0; i < count; ++i)
            eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
        const auto level = [eightBit](uint16_t v) { return uint8_t(eightBit ? v : v >> 8); };
        for (int i = 0; i < count; ++i)
            p[size_t(i)] = {level(red[i]), level(green[i]), level(blue[i]), 0};
    } else if (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) {
        for (int i = 0; i < count; ++i) {
            const auto grey = uint8_t(i * 255 / (count - 1));
            const uint8_t v = photometric == PHOTOMETRIC_MINISWHITE ? uint8_t(255 - grey) : grey;
            p[size_t(i)] = {v, v, v, 0};
        }
    } else {
        return std::nullopt;
    }
    colours = count;
    depth = bits;
    return p;
}

} // namespace

Result<DecodedPicture> decodeTiff(std::span<const std::byte> data)
{
    MemoryFile file{data};
    TiffHandle tif = openTiff(file);
    if (!tif)
        return Failure{picture::kUndecodable};
    auto layout = readLayout(tif.get());
    if (!layout)
        return Failure{layout.error()};
    const Layout& l = layout.value();

    char message[1024] = {};
    TIFFRGBAImage reader{};
    if (!TIFFRGBAImageOK(tif.get(), message) || !TIFFRGBAImageBegin(&reader, tif.get(), 0, message)) {
        // The RGBA reader takes 1, 2, 4, 8 and 16-bit integer samples only;
        // Qt's reader still shows floating-point and odd depths, which is
        // better than the placeholder.
        return decodeQtBitmap(data, QtBitmapFormat::Tiff);
    }
    // 16-bit samples show as the same picture stored in 8 bits would: their
    // top byte, not libtiff's rounding to the nearest level, so that faint
    // colours under associated alpha come out of the division as they do
    // from an 8-bit file.
    if (reader.Bitdepth16To8) {
        for (uint32_t level = 0; level <= UINT16_MAX; ++level)
            reader.Bitdepth16To8[level] = uint8_t(level >> 8);
    }
    // Asking for the file's own orientation makes libtiff hand over the rows
    // as stored; the turn is ours, since libtiff only mirrors.
    reader.req_orientation = l.orientation;
    // Zeroed first: whatever libtiff does not write stays defined.
    std::vector<uint32_t> raster(size_t(l.width) * l.height, 0);
    const int ok = TIFFRGBAImageGet(&reader, raster.data(), l.width, l.height);
    const bool hasAlpha = reader.alpha != 0;
    TIFFRGBAImageEnd(&reader);
    if (!ok)
        return Failure{picture::kUndecodable};

    const int w = int(l.width), h = int(l.height);
    const bool swap = swapsSides(l.orientation);
    DecodedPicture out;
    out.image = QImage(swap ? h : w, swap ? w : h, QImage::Format_RGB32);
    if (out.image.isNull())
        return Failure{picture::kTooLarge};
    for (int r = 0; r < h; ++r) {
        const uint32_t* src = raster.data() + size_t(r) * l.width;
        for (int c = 0; c < w; ++c) {
            const QPoint at = shownAt(l.orientation, c, r, w, h);
            reinterpret_cast<QRgb*>(out.image.scanLine(at.y()))[at.x()] = opaqueColour(src[c], hasAlpha);
        }
    }

    int colours = 0, depth = 0;
    out.palette = colourTable(tif.get(), colours, depth);
    out.paletteColours = colours;
    out.sourceDepth = out.palette ? depth : (hasAlpha ? 32 : 24);
    out.transparency = PictureTransparency::ColourKey;
    setBottomLeftTransparentColour(out);
    return out;
}

std::optional<QSize> tiffSize(std::span<const std::byte> data)
{
    // Byte order mark and version 42, or 43 for BigTIFF: other formats are
    // not handed to libtiff at all.
    if (data.size() < 4)
        return std::nullopt;
    const auto b = [&](size_t i) { return uint8_t(data[i]); };
    const bool little = b(0) == 'I' && b(1) == 'I' && b(3) == 0 && (b(2) == 42 || b(2) == 43);
    const bool big = b(0) == 'M' && b(1) == 'M' && b(2) == 0 && (b(3) == 42 || b(3) == 43);
    if (!little && !big)
        return std::nullopt;
    MemoryFile file{data};
    TiffHandle tif = openTiff(file);
    if (!tif)
        return std::nullopt;
    auto layout = readLayout(tif.get());
    if (!layout)
        return std::nullopt;
    const Layout& l = layout.value();
    return swapsSides(l.orientation) ? QSize(int(l.height), int(l.width)) : QSize(int(l.width), int(l.height));
}

} // namespace lumeria
