#include "platform/PictureHeader.h"

#include "platform/ByteReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace lumeria {

namespace {

// ZSoft PCX: manufacturer 10, then version, encoding 1, bits per pixel and the
// inclusive window Xmin, Ymin, Xmax, Ymax.
std::optional<PictureDimensions> pcxDimensions(std::span<const std::byte> data)
{
    ByteReader r(data);
    const auto maker = r.u8();
    const auto version = r.u8();
    const auto encoding = r.u8();
    if (!maker || *maker != 10 || !version || *version > 5 || !encoding || *encoding != 1 || !r.skip(1))
        return std::nullopt;
    const auto xmin = r.u16le(), ymin = r.u16le(), xmax = r.u16le(), ymax = r.u16le();
    if (!ymax || *xmax < *xmin || *ymax < *ymin)
        return std::nullopt;
    return PictureDimensions{*xmax - *xmin + 1, *ymax - *ymin + 1};
}

// An Aldus placeable metafile gives its frame in logical units and the units
// per inch; the player's screen has 96 pixels to the inch.
std::optional<PictureDimensions> placeableWmfDimensions(std::span<const std::byte> data)
{
    ByteReader r(data);
    const auto key = r.u32le();
    if (!key || *key != 0x9AC6CDD7u || !r.skip(2))
        return std::nullopt;
    const auto left = r.u16le(), top = r.u16le(), right = r.u16le(), bottom = r.u16le(), inch = r.u16le();
    if (!inch || *inch == 0)
        return std::nullopt;
    const int w = int16_t(*right) - int16_t(*left);
    const int h = int16_t(*bottom) - int16_t(*top);
    if (w <= 0 || h <= 0)
        return std::nullopt;
    return PictureDimensions{(w * 96 + *inch / 2) / *inch, (h * 96 + *inch / 2) / *inch};
}

} // namespace

std::optional<PictureDimensions> pictureDimensions(std::span<const std::byte> data)
{
    if (auto pcx = pcxDimensions(data))
        return pcx;
    if (auto wmf = placeableWmfDimensions(data))
        return wmf;

    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    return PictureDimensions{size.width(), size.height()};
}

} // namespace lumeria
