#include "platform/image/IconDecoder.h"

#include "platform/ByteReader.h"
#include "platform/image/BmpDecoder.h"
#include "platform/image/PictureError.h"
#include "platform/image/PngDecoder.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace lumeria {

namespace {

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

// Windows counts a PNG image with alpha as 32 bits and every other one as 24.
int pngIconDepth(std::span<const std::byte> data)
{
    constexpr size_t kColourTypeAt = 25;
    constexpr uint8_t kRgbAlpha = 6;
    return data.size() > kColourTypeAt && uint8_t(data[kColourTypeAt]) == kRgbAlpha ? 32 : 24;
}

} // namespace

std::vector<IconEntry> iconEntries(std::span<const std::byte> file)
{
    ByteReader r(file);
    const auto reserved = r.u16le(), type = r.u16le(), count = r.u16le();
    if (!count || *reserved != 0 || (*type != 1 && *type != 2) || *count == 0)
        return {};

    std::vector<IconEntry> entries;
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
        candidate.depth = candidate.png ? pngIconDepth(candidate.data) : iconBitmapDepth(candidate.data);
        if (candidate.depth == 0 && *type == 1)
            candidate.depth = bitsOrY;
        if (*type == 2)
            candidate.hotspot = QPoint(planesOrX, bitsOrY);
        entries.push_back(candidate);
    }
    return entries;
}

std::optional<IconEntry> bestIconEntry(std::span<const std::byte> file, QSize wanted, int screenDepth)
{
    const std::vector<IconEntry> entries = iconEntries(file);
    if (entries.empty())
        return std::nullopt;

    // Windows' own choice: the first entry of the smallest summed width and
    // height difference fixes both differences; of the entries with those
    // same differences (the mirror size counts too), the first of the
    // colour depth nearest the screen's.
    const auto dx = [&](const IconEntry& e) { return std::abs(wanted.width() - e.size.width()); };
    const auto dy = [&](const IconEntry& e) { return std::abs(wanted.height() - e.size.height()); };
    const IconEntry* nearest = &entries.front();
    for (const IconEntry& e : entries)
        if (dx(e) + dy(e) < dx(*nearest) + dy(*nearest))
            nearest = &e;
    const IconEntry* best = nullptr;
    for (const IconEntry& e : entries) {
        if (dx(e) != dx(*nearest) || dy(e) != dy(*nearest))
            continue;
        if (!best || std::abs(screenDepth - e.depth) < std::abs(screenDepth - best->depth))
            best = &e;
    }
    return *best;
}

std::optional<IconEntry> bestCursorEntry(std::span<const std::byte> file, QSize wanted)
{
    const std::vector<IconEntry> entries = iconEntries(file);
    if (entries.empty())
        return std::nullopt;
    // Of two entries of one size, the one of more bits per pixel.
    const IconEntry* best = nullptr;
    auto better = [&](const IconEntry& e) { return !best || e.size != best->size || e.depth > best->depth; };
    // The largest that fits the size asked for...
    for (const IconEntry& e : entries) {
        if (e.size.width() > wanted.width() || e.size.height() > wanted.height())
            continue;
        if (best && (e.size.width() < best->size.width() || e.size.height() < best->size.height()))
            continue;
        if (better(e))
            best = &e;
    }
    if (best)
        return *best;
    // ...else the smallest larger one (none at all past 255 pixels a side),
    // else the first.
    QSize smallest(255, 255);
    for (const IconEntry& e : entries) {
        if (e.size.width() > smallest.width() || e.size.height() > smallest.height())
            continue;
        if (better(e)) {
            best = &e;
            smallest = e.size;
        }
    }
    return best ? *best : entries.front();
}

Result<DecodedPicture> decodeIconEntry(const IconEntry& entry)
{
    bool masked = false;
    auto image = entry.png ? decodePngWithAlpha(entry.data) : decodeIconBitmap(entry.data, &masked);
    if (!image)
        return Failure{image.error()};
    DecodedPicture out;
    out.image = std::move(image).value();
    out.xorMasked = masked;
    out.sourceDepth = 32;
    out.transparency = PictureTransparency::AlphaMask;
    return out;
}

Result<DecodedPicture> decodeIcon(std::span<const std::byte> file)
{
    const auto entry = bestIconEntry(file);
    if (!entry)
        return Failure{picture::kUndecodable};
    return decodeIconEntry(*entry);
}

std::optional<QSize> iconSize(std::span<const std::byte> file)
{
    auto decoded = decodeIcon(file);
    if (!decoded || decoded.value().image.isNull())
        return std::nullopt;
    return decoded.value().image.size();
}

} // namespace lumeria
