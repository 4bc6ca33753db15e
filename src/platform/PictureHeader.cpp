#include "platform/PictureHeader.h"

#include "platform/ByteReader.h"
#include "platform/image/IconDecoder.h"
#include "platform/image/TiffDecoder.h"
#include "platform/image/WmfPlayer.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <cstdint>

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

// A Windows bitmap measured from its own header: Qt's reader gives no size
// for a top-down bitmap (negative height), which the player draws all the
// same. OS/2 1.x headers hold 16-bit sizes, all later ones 32-bit.
std::optional<PictureDimensions> bmpDimensions(std::span<const std::byte> data)
{
    ByteReader r(data);
    const auto magic = r.u16le();
    if (!magic || *magic != 0x4D42 || !r.skip(12))
        return std::nullopt;
    const auto headerSize = r.u32le();
    if (!headerSize)
        return std::nullopt;
    int64_t width = 0, height = 0;
    if (*headerSize == 12) {
        const auto w = r.u16le(), h = r.u16le();
        if (!h)
            return std::nullopt;
        width = *w;
        height = *h;
    } else if (*headerSize >= 16) {
        const auto w = r.i32le(), h = r.i32le();
        if (!h)
            return std::nullopt;
        width = *w;
        height = *h < 0 ? -int64_t(*h) : int64_t(*h);
    } else {
        return std::nullopt;
    }
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX)
        return std::nullopt;
    return PictureDimensions{int(width), int(height)};
}

// An icon or cursor directory: reserved 0, type 1 (icon) or 2 (cursor), and
// at least one image. Such a file shows the image nearest the system icon
// size, not necessarily its first.
std::optional<PictureDimensions> iconDimensions(std::span<const std::byte> data)
{
    ByteReader r(data);
    const auto reserved = r.u16le(), type = r.u16le(), count = r.u16le();
    if (!count || *reserved != 0 || (*type != 1 && *type != 2) || *count == 0)
        return std::nullopt;
    const auto size = iconSize(data);
    if (!size)
        return std::nullopt;
    return PictureDimensions{size->width(), size->height()};
}

} // namespace

std::optional<PictureDimensions> pictureDimensions(std::span<const std::byte> data)
{
    if (auto pcx = pcxDimensions(data))
        return pcx;
    // A metafile's size is the one the player draws it at.
    if (const auto wmf = metafileSize(data); wmf && !wmf->isEmpty())
        return PictureDimensions{wmf->width(), wmf->height()};
    if (auto bmp = bmpDimensions(data))
        return bmp;
    if (auto icon = iconDimensions(data))
        return icon;
    if (const auto tiff = tiffSize(data))
        return PictureDimensions{tiff->width(), tiff->height()};

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
