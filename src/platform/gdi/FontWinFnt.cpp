#include "platform/gdi/FontWinFnt.h"

#include "platform/ByteReader.h"

namespace lumeria::gdi {

namespace {

// Offsets in a FNT header, the same in versions 2 and 3.
constexpr size_t kTypeOffset = 66;
constexpr size_t kCharsetOffset = 85;
constexpr uint8_t kAnsiCharset = 0;
constexpr uint8_t kMacCharset = 77;
constexpr uint16_t kVectorType = 1;

constexpr uint16_t kFontResource = 0x8008;
// Resource offsets are in units of 1 << shift; beyond 2^15 no 16-bit file
// could be addressed.
constexpr uint16_t kMaxResourceShift = 15;

// Marks the FNT at offset when it is an ANSI raster font; false otherwise.
bool markFnt(QByteArray& out, std::span<const std::byte> bytes, size_t offset)
{
    if (offset > bytes.size())
        return false;
    ByteReader r(bytes.subspan(offset));
    const auto version = r.u16le();
    if (!version || (*version != 0x200 && *version != 0x300))
        return false;
    if (r.remaining() + 2 <= kCharsetOffset)
        return false;
    ByteReader type(bytes.subspan(offset + kTypeOffset));
    const auto typeBits = type.u16le();
    if (!typeBits || (*typeBits & kVectorType))
        return false;
    if (uint8_t(bytes[offset + kCharsetOffset]) != kAnsiCharset)
        return false;
    out[qsizetype(offset + kCharsetOffset)] = char(kMacCharset);
    return true;
}

// The FNT resources of an NE executable; false when it is not one or holds
// no ANSI raster font.
bool markFon(QByteArray& out, std::span<const std::byte> bytes)
{
    ByteReader mz(bytes);
    const auto magic = mz.u16le();
    if (!magic || *magic != 0x5A4D || bytes.size() < 0x40)
        return false;
    ByteReader lfanew(bytes.subspan(0x3C));
    const auto neOffset = lfanew.u32le();
    if (!neOffset || *neOffset > bytes.size())
        return false;
    ByteReader ne(bytes.subspan(*neOffset));
    const auto neMagic = ne.u16le();
    if (!neMagic || *neMagic != 0x454E || ne.remaining() < 0x24)
        return false;
    ByteReader tableAt(bytes.subspan(*neOffset + 0x24));
    const auto tableOffset = tableAt.u16le();
    if (!tableOffset || size_t(*neOffset) + *tableOffset > bytes.size())
        return false;
    ByteReader table(bytes.subspan(size_t(*neOffset) + *tableOffset));
    const auto shift = table.u16le();
    if (!shift || *shift > kMaxResourceShift)
        return false;
    bool marked = false;
    // Each type and each resource takes bytes of the table, so the walk
    // ends with the file at the latest.
    for (;;) {
        const auto typeId = table.u16le();
        if (!typeId || *typeId == 0)
            break;
        const auto count = table.u16le();
        if (!count || !table.u32le())
            break;
        for (uint16_t i = 0; i < *count; ++i) {
            const auto offset = table.u16le();
            const auto length = table.u16le();
            const auto flags = table.u16le();
            const auto id = table.u16le();
            if (!offset || !length || !flags || !id || !table.u32le())
                return marked;
            if (*typeId == kFontResource)
                marked |= markFnt(out, bytes, size_t(*offset) << *shift);
        }
    }
    return marked;
}

} // namespace

std::optional<QByteArray> drawableBitmapFont(std::span<const std::byte> bytes)
{
    QByteArray out(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    if (markFnt(out, bytes, 0) || markFon(out, bytes))
        return out;
    return std::nullopt;
}

} // namespace lumeria::gdi
