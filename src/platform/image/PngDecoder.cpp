#include "platform/image/PngDecoder.h"

#include "platform/image/PictureError.h"

#include <png.h>

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

namespace lumeria {

namespace {

constexpr size_t kSignatureSize = 8;
constexpr uint32_t kChunkIend = 0x49454E44;

// Whether every chunk up to IEND lies inside the bytes. libpng allocates
// and clears an ancillary chunk's claimed length before reading it, so a cut
// text chunk claiming two gigabytes would cost seconds before the read fails
// as it must.
bool chunksFit(std::span<const std::byte> data)
{
    const auto u32 = [&](size_t at) {
        return (uint32_t(uint8_t(data[at])) << 24) | (uint32_t(uint8_t(data[at + 1])) << 16) |
               (uint32_t(uint8_t(data[at + 2])) << 8) | uint32_t(uint8_t(data[at + 3]));
    };
    size_t pos = kSignatureSize;
    while (pos + 8 <= data.size()) {
        const uint32_t length = u32(pos);
        if (length > data.size() - pos - 8 || data.size() - pos - 8 - length < 4)
            return false;
        if (u32(pos + 4) == kChunkIend)
            return true;
        pos += 12 + size_t(length);
    }
    return false;
}

struct MemoryReader {
    std::span<const std::byte> data;
    size_t position = 0;
};

void readBytes(png_structp png, png_bytep out, size_t length)
{
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > r->data.size() - r->position)
        png_error(png, "truncated");
    std::memcpy(out, r->data.data() + r->position, length);
    r->position += length;
}

// libpng reports through these; the player has nobody to tell, and a
// failure returns to the setjmp of the reading function.
void onError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct PngPicture {
    QImage image; // ARGB32, colours not premultiplied
    std::optional<Palette> palette;
    int paletteColours = 0;
    int sourceDepth = 0;
};

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colourType = 0;
    bool transparency = false; // a tRNS chunk
};

// Everything libpng does runs here, between setjmp and the end: the objects
// a longjmp would skip are all made before setjmp, and every failure,
// whether libpng's or ours, comes back through it.
int readWithLibpng(std::span<const std::byte> data, PngHeader& header, std::vector<png_color>& plte, QImage& image,
                   std::vector<png_bytep>& rows)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (!png)
        return picture::kUndecodable;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return picture::kUndecodable;
    }
    MemoryReader reader{data};
    volatile int result = picture::kUndecodable;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return result;
    }
    png_set_read_fn(png, &reader, readBytes);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);
    int interlace = 0;
    png_get_IHDR(png, info, &header.width, &header.height, &header.bitDepth, &header.colourType, &interlace, nullptr,
                 nullptr);
    if (int64_t(header.width) * header.height > kMaxPicturePixels) {
        result = picture::kTooLarge;
        png_longjmp(png, 1);
    }
    header.transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_colorp palette = nullptr;
    int colours = 0;
    if (png_get_PLTE(png, info, &palette, &colours) && palette && colours > 0)
        plte.assign(palette, palette + std::min(colours, 256));

    // To 8-bit ARGB32 in memory order, whatever the file holds: palettes and
    // low depths expanded, a tRNS key made alpha, grey made RGB, opaque
    // pictures given an alpha of 255.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
#else
    png_set_swap_alpha(png);
#endif
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(header.width) * 4)
        png_longjmp(png, 1);

    image = QImage(int(header.width), int(header.height), QImage::Format_ARGB32);
    if (image.isNull()) {
        result = picture::kTooLarge;
        png_longjmp(png, 1);
    }
    // Zeroed first: rows a failing file leaves unread are never shown, but
    // are defined all the same.
    image.fill(0);
    rows.resize(header.height);
    for (png_uint_32 y = 0; y < header.height; ++y)
        rows[y] = image.scanLine(int(y));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
}

Result<PngPicture> readPng(std::span<const std::byte> data)
{
    PngHeader header;
    std::vector<png_color> plte;
    QImage image;
    std::vector<png_bytep> rows;
    if (!chunksFit(data))
        return Failure{picture::kUndecodable};
    const int failure = readWithLibpng(data, header, plte, image, rows);
    if (failure != 0)
        return Failure{failure};

    PngPicture out;
    out.image = std::move(image);
    const bool alpha = header.transparency || (header.colourType & PNG_COLOR_MASK_ALPHA);
    if (header.colourType == PNG_COLOR_TYPE_PALETTE && !plte.empty()) {
        Palette p{};
        for (size_t i = 0; i < plte.size(); ++i)
            p[i] = {plte[i].red, plte[i].green, plte[i].blue, 0};
        out.palette = p;
        out.paletteColours = int(plte.size());
        out.sourceDepth = header.bitDepth;
    } else if (header.colourType == PNG_COLOR_TYPE_GRAY && header.bitDepth <= 8 && !alpha) {
        const int count = 1 << header.bitDepth;
        Palette p{};
        for (int i = 0; i < count; ++i) {
            const auto v = uint8_t(i * 255 / (count - 1));
            p[size_t(i)] = {v, v, v, 0};
        }
        out.palette = p;
        out.paletteColours = count;
        out.sourceDepth = header.bitDepth;
    } else {
        out.sourceDepth = alpha ? 32 : 24;
    }
    return out;
}

} // namespace

Result<DecodedPicture> decodePng(std::span<const std::byte> data)
{
    auto read = readPng(data);
    if (!read)
        return Failure{read.error()};
    PngPicture& png = read.value();
    DecodedPicture out;
    out.image = std::move(png.image);
    // A page's device bitmaps have no alpha: the colours stay as stored.
    for (int y = 0; y < out.image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.image.scanLine(y));
        for (int x = 0; x < out.image.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    out.image.reinterpretAsFormat(QImage::Format_RGB32);
    out.palette = png.palette;
    out.paletteColours = png.paletteColours;
    out.sourceDepth = png.sourceDepth;
    out.transparency = PictureTransparency::ColourKey;
    setBottomLeftTransparentColour(out);
    return out;
}

Result<QImage> decodePngWithAlpha(std::span<const std::byte> data)
{
    auto read = readPng(data);
    if (!read)
        return Failure{read.error()};
    return std::move(read.value().image);
}

} // namespace lumeria
