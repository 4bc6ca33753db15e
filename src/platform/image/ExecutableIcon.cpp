#include "platform/image/ExecutableIcon.h"

#include "platform/ByteReader.h"

#include <QHash>

#include <vector>

namespace lumeria {

namespace {

constexpr uint32_t kGroupIcon = 14; // RT_GROUP_ICON
constexpr uint32_t kIcon = 3;       // RT_ICON
constexpr int kMaxEntries = 4096;
constexpr qsizetype kMaxIconBytes = qsizetype(1) << 20;

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

class PeImage {
public:
    explicit PeImage(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    bool read();
    // The file offset of an address of the loaded image, when a section
    // holds size bytes of it.
    std::optional<size_t> fileOffset(uint32_t rva, uint32_t size) const;
    std::span<const std::byte> bytes() const { return m_bytes; }
    uint32_t resourceRva() const { return m_resourceRva; }

private:
    std::span<const std::byte> m_bytes;
    std::vector<Section> m_sections;
    uint32_t m_resourceRva = 0;
};

bool PeImage::read()
{
    ByteReader r(m_bytes);
    if (r.u16le() != 0x5A4D || !r.seek(0x3C))
        return false;
    const std::optional<uint32_t> peOffset = r.u32le();
    if (!peOffset || !r.seek(*peOffset) || r.u32le() != 0x00004550)
        return false;
    // The file header: machine, section count, three fields, optional size.
    r.u16le();
    const std::optional<uint16_t> sections = r.u16le();
    if (!sections || !r.seek(r.position() + 12))
        return false;
    const std::optional<uint16_t> optionalSize = r.u16le();
    if (!optionalSize || !r.seek(r.position() + 2))
        return false;
    const size_t optionalStart = r.position();
    const std::optional<uint16_t> magic = r.u16le();
    // The data directories start at 96 in PE32 and at 112 in PE32+; the
    // resources are the third.
    const size_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
    if (directories == 0 || *optionalSize < directories + 3 * 8)
        return false;
    if (!r.seek(optionalStart + directories + 2 * 8))
        return false;
    const std::optional<uint32_t> rva = r.u32le();
    if (!rva || *rva == 0)
        return false;
    m_resourceRva = *rva;
    if (!r.seek(optionalStart + *optionalSize))
        return false;
    for (uint16_t i = 0; i < *sections && i < 96; ++i) {
        if (!r.seek(r.position() + 8))
            return false;
        const auto virtualSize = r.u32le();
        const auto virtualAddress = r.u32le();
        const auto rawSize = r.u32le();
        const auto rawOffset = r.u32le();
        if (!rawOffset || !r.seek(r.position() + 16))
            return false;
        m_sections.push_back({*virtualAddress, *virtualSize, *rawSize, *rawOffset});
    }
    return !m_sections.empty();
}

std::optional<size_t> PeImage::fileOffset(uint32_t rva, uint32_t size) const
{
    for (const Section& s : m_sections) {
        const uint64_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva < s.virtualAddress || uint64_t(rva) + size > uint64_t(s.virtualAddress) + extent)
            continue;
        const uint64_t offset = uint64_t(s.rawOffset) + (rva - s.virtualAddress);
        if (uint64_t(rva - s.virtualAddress) + size > s.rawSize || offset + size > m_bytes.size())
            return std::nullopt;
        return size_t(offset);
    }
    return std::nullopt;
}

// One level of the resource tree: its entries' ids (named entries are
// skipped: icons are found by number) and their offsets in the tree.
struct DirectoryEntry {
    uint32_t id;
    uint32_t offset;
    bool subdirectory;
};

std::vector<DirectoryEntry> directoryAt(const PeImage& pe, size_t treeStart, uint32_t offset)
{
    std::vector<DirectoryEntry> out;
    ByteReader r(pe.bytes());
    if (!r.seek(treeStart + offset + 12))
        return out;
    const auto named = r.u16le();
    const auto ids = r.u16le();
    if (!named || !ids)
        return out;
    const int count = std::min(int(*named) + int(*ids), kMaxEntries);
    for (int i = 0; i < count; ++i) {
        const auto name = r.u32le();
        const auto target = r.u32le();
        if (!name || !target)
            break;
        if (*name & 0x80000000U)
            continue;
        out.push_back({*name, *target & 0x7FFFFFFFU, (*target & 0x80000000U) != 0});
    }
    return out;
}

// The data of the first leaf under a directory entry (its first language).
std::optional<std::span<const std::byte>> leafData(const PeImage& pe, size_t treeStart, DirectoryEntry entry)
{
    for (int level = 0; level < 2 && entry.subdirectory; ++level) {
        const std::vector<DirectoryEntry> below = directoryAt(pe, treeStart, entry.offset);
        if (below.empty())
            return std::nullopt;
        entry = below.front();
    }
    if (entry.subdirectory)
        return std::nullopt;
    ByteReader r(pe.bytes());
    if (!r.seek(treeStart + entry.offset))
        return std::nullopt;
    const auto rva = r.u32le();
    const auto size = r.u32le();
    if (!rva || !size || *size > kMaxIconBytes)
        return std::nullopt;
    const std::optional<size_t> at = pe.fileOffset(*rva, *size);
    if (!at)
        return std::nullopt;
    return pe.bytes().subspan(*at, *size);
}

void put16(QByteArray& out, uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(QByteArray& out, uint32_t v)
{
    put16(out, uint16_t(v & 0xFFFF));
    put16(out, uint16_t(v >> 16));
}

} // namespace

std::optional<QByteArray> iconFileFromExecutable(std::span<const std::byte> exe)
{
    PeImage pe(exe);
    if (!pe.read())
        return std::nullopt;
    const std::optional<size_t> tree = pe.fileOffset(pe.resourceRva(), 16);
    if (!tree)
        return std::nullopt;

    std::optional<DirectoryEntry> groups;
    std::optional<DirectoryEntry> icons;
    for (const DirectoryEntry& type : directoryAt(pe, *tree, 0)) {
        if (type.id == kGroupIcon && type.subdirectory)
            groups = type;
        else if (type.id == kIcon && type.subdirectory)
            icons = type;
    }
    if (!groups || !icons)
        return std::nullopt;
    const std::vector<DirectoryEntry> groupNames = directoryAt(pe, *tree, groups->offset);
    if (groupNames.empty())
        return std::nullopt;
    const std::optional<std::span<const std::byte>> group = leafData(pe, *tree, groupNames.front());
    if (!group)
        return std::nullopt;
    QHash<uint32_t, DirectoryEntry> iconById;
    for (const DirectoryEntry& e : directoryAt(pe, *tree, icons->offset))
        iconById.insert(e.id, e);

    // The group is an icon file's directory whose entries name their image
    // by resource number instead of by offset.
    ByteReader g(*group);
    if (g.u16le() != 0 || g.u16le() != 1)
        return std::nullopt;
    const std::optional<uint16_t> count = g.u16le();
    if (!count || *count == 0)
        return std::nullopt;
    QByteArray directory;
    QByteArray images;
    int kept = 0;
    const uint32_t headerSize = 6 + 16 * uint32_t(*count);
    for (uint16_t i = 0; i < *count; ++i) {
        const std::optional<std::span<const std::byte>> fields = g.bytes(12);
        const std::optional<uint16_t> id = g.u16le();
        if (!fields || !id)
            return std::nullopt;
        const auto it = iconById.constFind(*id);
        if (it == iconById.constEnd())
            continue;
        const std::optional<std::span<const std::byte>> image = leafData(pe, *tree, *it);
        if (!image || images.size() + qsizetype(image->size()) > kMaxIconBytes)
            continue;
        // Width, height, colours, reserved, planes, bits: as the group has
        // them; then the image's real size and where it now lies.
        directory.append(reinterpret_cast<const char*>(fields->data()), 8);
        put32(directory, uint32_t(image->size()));
        put32(directory, headerSize + uint32_t(images.size()));
        images.append(reinterpret_cast<const char*>(image->data()), qsizetype(image->size()));
        ++kept;
    }
    if (kept == 0)
        return std::nullopt;
    QByteArray file;
    put16(file, 0);
    put16(file, 1);
    put16(file, uint16_t(kept));
    // Offsets were counted for every entry the group lists; with some left
    // out the images sit that much nearer.
    const uint32_t missing = 16 * (uint32_t(*count) - uint32_t(kept));
    for (int i = 0; i < kept; ++i) {
        const qsizetype at = 16 * i + 12;
        uint32_t offset = uint8_t(directory[at]) | uint8_t(directory[at + 1]) << 8 | uint8_t(directory[at + 2]) << 16 |
                          uint32_t(uint8_t(directory[at + 3])) << 24;
        offset -= missing;
        for (int b = 0; b < 4; ++b)
            directory[at + b] = char((offset >> (8 * b)) & 0xFF);
    }
    return file + directory + images;
}

} // namespace lumeria
