#include "platform/image/CursorImage.h"

#include "platform/ByteReader.h"
#include "platform/image/IconDecoder.h"

#include <algorithm>

namespace lumeria {

namespace {

constexpr int kMaxAniChunks = 4096;

std::optional<CursorImage> decodeIconOrCursor(std::span<const std::byte> bytes)
{
    ByteReader r(bytes);
    r.skip(2);
    const auto type = r.u16le();
    // A cursor is chosen by the cursor rule whatever the file says it is,
    // as Windows loads any file it is given as a cursor.
    const auto entry = bestCursorEntry(bytes);
    if (!type || !entry)
        return std::nullopt;
    auto decoded = decodeIconEntry(*entry);
    if (!decoded)
        return std::nullopt;
    CursorImage cursor;
    cursor.image = std::move(decoded).value().image;
    // An icon used as a cursor points with its centre, as Windows makes it;
    // a cursor with the hotspot of the image shown, kept on the image.
    const QPoint hotspot = *type == 1 ? QPoint(cursor.image.width() / 2, cursor.image.height() / 2) : entry->hotspot;
    cursor.hotspot = QPoint(std::clamp(hotspot.x(), 0, std::max(0, cursor.image.width() - 1)),
                            std::clamp(hotspot.y(), 0, std::max(0, cursor.image.height() - 1)));
    return cursor;
}

// The first 'icon' chunk inside the 'fram' list of a RIFF ACON file.
std::optional<std::span<const std::byte>> firstAniFrame(std::span<const std::byte> bytes)
{
    ByteReader r(bytes);
    const auto riff = r.u32be();
    r.skip(4);
    const auto acon = r.u32be();
    if (!acon || *riff != 0x52494646u || *acon != 0x41434F4Eu) // "RIFF", "ACON"
        return std::nullopt;
    for (int chunks = 0; chunks < kMaxAniChunks && r.remaining() >= 8; ++chunks) {
        const auto id = r.u32be();
        const auto size = r.u32le();
        if (*id == 0x4C495354u) { // "LIST": look inside a frame list
            const auto listType = r.u32be();
            if (!listType || *size < 4)
                return std::nullopt;
            if (*listType != 0x6672616Du) { // "fram"
                if (!r.skip(*size - 4 + (*size & 1)))
                    return std::nullopt;
                continue;
            }
            continue; // its sub-chunks follow in the same reader
        }
        const auto data = r.bytes(*size);
        if (!data)
            return std::nullopt;
        if (*id == 0x69636F6Eu) // "icon"
            return *data;
        if (*size & 1)
            r.skip(1);
    }
    return std::nullopt;
}

} // namespace

std::optional<CursorImage> decodeCursor(std::span<const std::byte> bytes)
{
    if (const auto frame = firstAniFrame(bytes))
        return decodeIconOrCursor(*frame);
    return decodeIconOrCursor(bytes);
}

} // namespace lumeria
