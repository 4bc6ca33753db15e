#include "platform/image/QtDecoders.h"

#include "platform/image/PictureError.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace lumeria {

namespace {

bool withinLimits(QSize size)
{
    return size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide &&
           int64_t(size.width()) * size.height() <= kMaxPicturePixels;
}

// Windows shows an icon at the system icon size, 32 by 32, made from the
// image of the file nearest to it; a file holding several sizes shows that
// one. Directories claiming thousands of images are not worth walking.
constexpr int kSystemIconSize = 32;
constexpr int kMaxIconImages = 64;

void jumpToIconNearestSystemSize(QImageReader& reader)
{
    const int count = std::min(reader.imageCount(), kMaxIconImages);
    if (count <= 1)
        return;
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        if (!size.isValid())
            continue;
        const int distance = std::abs(size.width() - kSystemIconSize) + std::abs(size.height() - kSystemIconSize);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    reader.jumpToImage(best);
}

enum class Kind { Bitmap, Icon };

Result<QImage> readImage(std::span<const std::byte> data, const char* format, Kind kind = Kind::Bitmap)
{
    // fromRawData does not copy; the buffer only lives for this call.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return Failure{picture::kUndecodable};
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    // Publications were laid out with Exif orientation ignored.
    reader.setAutoTransform(false);
    if (kind == Kind::Icon)
        jumpToIconNearestSystemSize(reader);
    const QSize declared = reader.size();
    if (declared.isValid() && !withinLimits(declared))
        return Failure{picture::kTooLarge};
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return Failure{picture::kUndecodable};
    if (!withinLimits(image.size()))
        return Failure{picture::kTooLarge};
    return image;
}

// Bits per pixel that hold a colour table of this many entries: Qt widens 4-bit
// pictures to 8 bits, and the count is all that remains of their depth.
int depthForColours(qsizetype colours)
{
    if (colours <= 2)
        return 1;
    if (colours <= 16)
        return 4;
    return 8;
}

// Keeps the colours of every pixel and makes the image opaque. A plain
// conversion would premultiply first and blacken transparent pixels, whereas
// a page's device bitmaps simply have no alpha.
QImage opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] |= 0xFF000000u;
    }
    out.reinterpretAsFormat(QImage::Format_RGB32);
    return out;
}

const char* formatName(QtBitmapFormat format)
{
    switch (format) {
    case QtBitmapFormat::Png: return "png";
    case QtBitmapFormat::Bmp: return "bmp";
    case QtBitmapFormat::Jpeg: return "jpeg";
    case QtBitmapFormat::Tiff: return "tiff";
    }
    return "";
}

} // namespace

Result<DecodedPicture> decodeQtBitmap(std::span<const std::byte> data, QtBitmapFormat format)
{
    auto read = readImage(data, formatName(format));
    if (!read)
        return Failure{read.error()};
    const QImage& image = read.value();

    DecodedPicture out;
    const QList<QRgb> table = image.colorTable();
    if (!table.isEmpty() && table.size() <= 256) {
        Palette p{};
        for (qsizetype i = 0; i < table.size(); ++i)
            p[size_t(i)] = {uint8_t(qRed(table[i])), uint8_t(qGreen(table[i])), uint8_t(qBlue(table[i])), 0};
        out.palette = p;
        out.paletteColours = int(table.size());
        out.sourceDepth = depthForColours(table.size());
    } else if (image.format() == QImage::Format_Grayscale8) {
        // A greyscale picture is an 8-bit picture with a grey ramp for a table.
        Palette p{};
        for (int i = 0; i < 256; ++i)
            p[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
        out.palette = p;
        out.paletteColours = 256;
        out.sourceDepth = 8;
    } else {
        out.sourceDepth = image.hasAlphaChannel() ? 32 : 24;
    }

    out.image = opaque(image);
    if (out.image.isNull())
        return Failure{picture::kTooLarge};
    out.transparency = PictureTransparency::ColourKey;
    setBottomLeftTransparentColour(out);
    return out;
}

Result<DecodedPicture> decodeIcon(std::span<const std::byte> data)
{
    // Qt's icon reader takes cursors too: they differ only in the type field
    // and in the hotspot, which the cursor code reads itself.
    auto read = readImage(data, "ico", Kind::Icon);
    if (!read)
        return Failure{read.error()};
    DecodedPicture out;
    out.image = read.value().convertToFormat(QImage::Format_ARGB32);
    if (out.image.isNull())
        return Failure{picture::kTooLarge};
    out.sourceDepth = 32;
    out.transparency = PictureTransparency::AlphaMask;
    return out;
}

std::optional<QSize> iconSize(std::span<const std::byte> data)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer, "ico");
    reader.setDecideFormatFromContent(false);
    jumpToIconNearestSystemSize(reader);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    return size;
}

} // namespace lumeria
