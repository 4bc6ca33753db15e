#include "platform/image/WmfPlayer.h"

#include "platform/ByteReader.h"
#include "platform/image/PictureError.h"
#include "platform/image/WmfPlayback.h"

#include <algorithm>

namespace lumeria {

namespace {

using gdi::Rect;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr int kMaxObjects = 4096;

struct Header {
    size_t recordsStart = 0;
    int objects = 0;
    std::optional<Rect> placeableBox;
    int unitsPerInch = 0;
};

std::optional<Header> readHeader(std::span<const std::byte> bytes)
{
    ByteReader r(bytes);
    Header h;
    if (r.u32le() == kPlaceableKey) {
        r.skip(2);
        const auto left = r.u16le(), top = r.u16le(), right = r.u16le(), bottom = r.u16le(), inch = r.u16le();
        if (!inch || *inch == 0 || !r.skip(4 + 2))
            return std::nullopt;
        h.placeableBox = Rect{int16_t(*left), int16_t(*top), int16_t(*right), int16_t(*bottom)};
        h.unitsPerInch = *inch;
    } else {
        r.seek(0);
    }
    const size_t start = r.position();
    const auto type = r.u16le();
    const auto headerWords = r.u16le();
    const auto version = r.u16le();
    if (!type || (*type != 1 && *type != 2) || headerWords != 9 || !version || !r.skip(4))
        return std::nullopt;
    const auto objects = r.u16le();
    if (!objects || !r.skip(4 + 2))
        return std::nullopt;
    h.recordsStart = start + 18;
    h.objects = std::min<int>(*objects, kMaxObjects);
    return h;
}

// The window extent of a metafile without a placeable header: the first
// SetWindowExt record.
std::optional<QSize> windowExtent(std::span<const std::byte> records)
{
    ByteReader r(records);
    while (!r.atEnd()) {
        const auto sizeWords = r.u32le();
        const auto function = r.u16le();
        if (!function || *sizeWords < 3)
            return std::nullopt;
        const auto params = r.bytes(size_t(*sizeWords - 3) * 2);
        if (!params || *function == wmf::kEof)
            return std::nullopt;
        if (*function == wmf::kSetWindowExt && params->size() >= 4) {
            ByteReader p(*params);
            const int h = int16_t(*p.u16le()), w = int16_t(*p.u16le());
            return QSize(std::abs(w), std::abs(h));
        }
    }
    return std::nullopt;
}

// A metafile that gives no size at all (no placeable header, no window
// extent) draws in pixels from the origin, as on a screen: its size is what
// it draws. It is played on a scratch page twice, on white and on black, so
// that ink of either colour shows; what lies past the scratch page is cut.
constexpr int kScratchSide = 1024;

std::optional<QSize> drawnExtent(std::span<const std::byte> bytes)
{
    int right = 0, bottom = 0;
    for (const gdi::ColorRef background : {gdi::rgb(255, 255, 255), gdi::rgb(0, 0, 0)}) {
        gdi::Surface scratch(kScratchSide, kScratchSide, background);
        gdi::Canvas canvas(scratch);
        if (!playMetafile(bytes, canvas, scratch.rect()))
            return std::nullopt;
        const QImage image = scratch.image();
        const QRgb empty = gdi::pixelFromColour(background);
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (row[x] != empty) {
                    right = std::max(right, x + 1);
                    bottom = std::max(bottom, y + 1);
                }
            }
        }
    }
    if (right == 0 || bottom == 0)
        return std::nullopt;
    return QSize(right, bottom);
}

} // namespace

std::optional<QSize> metafileSize(std::span<const std::byte> bytes)
{
    const auto header = readHeader(bytes);
    if (!header)
        return std::nullopt;
    if (header->placeableBox) {
        const int inch = header->unitsPerInch;
        return QSize((std::abs(header->placeableBox->width()) * 96 + inch / 2) / inch,
                     (std::abs(header->placeableBox->height()) * 96 + inch / 2) / inch);
    }
    return windowExtent(bytes.subspan(std::min(header->recordsStart, bytes.size())));
}

Result<bool> playMetafile(std::span<const std::byte> bytes, gdi::Canvas& canvas, const gdi::Rect& target)
{
    const auto header = readHeader(bytes);
    if (!header || header->recordsStart > bytes.size())
        return Failure{picture::kUndecodable};
    const QSize frame = metafileSize(bytes).value_or(QSize());
    wmf::Player player(canvas, target, frame, header->placeableBox, header->objects);
    return player.play(bytes.subspan(header->recordsStart));
}

Result<DecodedPicture> decodeMetafile(std::span<const std::byte> bytes)
{
    std::optional<QSize> size = metafileSize(bytes);
    if (!size && readHeader(bytes))
        size = drawnExtent(bytes);
    if (!size || size->isEmpty() || size->width() > kMaxPictureSide || size->height() > kMaxPictureSide ||
        int64_t(size->width()) * size->height() > kMaxPicturePixels)
        return Failure{picture::kUndecodable};
    gdi::Surface surface(size->width(), size->height(), gdi::rgb(255, 255, 255));
    gdi::Canvas canvas(surface);
    const auto played = playMetafile(bytes, canvas, surface.rect());
    if (!played)
        return Failure{played.error()};
    DecodedPicture picture;
    picture.image = surface.image().copy();
    picture.sourceDepth = 32;
    setBottomLeftTransparentColour(picture);
    return picture;
}

} // namespace lumeria
