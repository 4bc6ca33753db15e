#include "platform/image/IconDecoder.h"

#include "platform/ByteReader.h"
#include "platform/image/BmpDecoder.h"
#include "platform/image/PictureError.h"
#include "platform/image/PngDecoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace lumeria {

namespace {

constexpr int kSystemIconSize = 32;
constexpr int kScreenDepth = 32;
// Directories claiming thousands of images are not worth walking.
constexpr int kMaxIconImages = 256;
constexpr size_t kDirectoryEntrySize = 16;
constexpr std::array<uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool isPng(std::span<const std::byte> data)
{
    if (data.size() < kPngSignature.size())
        return false;
    for (size_t i = 0; i < kPngSignature.size(); ++i)
        if (uint8_t(data[i]) != kPngSignature[i])
            return false;
    return true;
}

} // namespace

std::optional<IconEntry> bestIconEntry(std::span<const std::byte> file)
{
    ByteReader r(file);
    const auto reserved = r.u16le(), type = r.u16le(), count = r.u16le();
    if (!count || *reserved != 0 || (*type != 1 && *type != 2) || *count == 0)
        return std::nullopt;

    std::optional<IconEntry> best;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < std::min<int>(*count, kMaxIconImages); ++i) {
        const auto entry = r.bytes(kDirectoryEntrySize);
        if (!entry)
            break;
        ByteReader e(*entry);
        const auto w = *e.u8(), h = *e.u8();
        e.skip(2);
        const auto planesOrX = *e.u16le(), bitsOrY = *e.u16le();
        const auto size = *e.u32le(), offset = *e.u32le();
        if (offset >= file.size() || size > file.size() - offset || size == 0)
            continue;
        IconEntry candidate;
        candidate.index = i;
        candidate.size = QSize(w == 0 ? 256 : w, h == 0 ? 256 : h);
        candidate.data = file.subspan(offset, size);
        candidate.png = isPng(candidate.data);
        candidate.depth = candidate.png ? 32 : iconBitmapDepth(candidate.data);
        if (candidate.depth == 0 && *type == 1)
            candidate.depth = bitsOrY;
        if (*type == 2)
            candidate.hotspot = QPoint(planesOrX, bitsOrY);

        const int distance =
            std::abs(candidate.size.width() - kSystemIconSize) + std::abs(candidate.size.height() - kSystemIconSize);
        bool better = !best || distance < bestDistance;
        if (best && distance == bestDistance) {
            const int area = candidate.size.width() * candidate.size.height();
            const int bestArea = best->size.width() * best->size.height();
            const auto depthScore = [](int depth) {
                // Deeper than the screen is worst; otherwise the deeper the better.
                return depth > kScreenDepth ? -1 : depth;
            };
            better = area > bestArea || (area == bestArea && depthScore(candidate.depth) > depthScore(best->depth));
        }
        if (better) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

Result<DecodedPicture> decodeIcon(std::span<const std::byte> file)
{
    const auto entry = bestIconEntry(file);
    if (!entry)
        return Failure{picture::kUndecodable};
    auto image = entry->png ? decodePngWithAlpha(entry->data) : decodeIconBitmap(entry->data);
    if (!image)
        return Failure{image.error()};
    DecodedPicture out;
    out.image = std::move(image).value();
    out.sourceDepth = 32;
    out.transparency = PictureTransparency::AlphaMask;
    return out;
}

std::optional<QSize> iconSize(std::span<const std::byte> file)
{
    auto decoded = decodeIcon(file);
    if (!decoded || decoded.value().image.isNull())
        return std::nullopt;
    return decoded.value().image.size();
}

} // namespace lumeria
