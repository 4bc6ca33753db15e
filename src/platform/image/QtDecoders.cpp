#include "platform/image/QtDecoders.h"

#include "platform/image/PictureError.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace lumeria {

namespace {

bool withinLimits(QSize size)
{
    return size.width() <= kMaxPictureSide && size.height() <= kMaxPictureSide &&
           int64_t(size.width()) * size.height() <= kMaxPicturePixels;
}

Result<QImage> readImage(std::span<const std::byte> data, const char* format)
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

} // namespace lumeria
