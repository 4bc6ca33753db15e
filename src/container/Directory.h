#pragma once

#include "platform/Result.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumeria {

// Kinds the authoring side writes. The player never selects by kind; lookups
// go by name only.
enum class EntryType : uint8_t {
    Publication = 0,
    Text = 1,
    Picture = 2,
    Library = 7,
    FormattedCompanion = 8,
};

struct ContainerEntry {
    QString Name; // as stored: upper case, no folder
    uint8_t Type = 0;
    int32_t Offset = 0;
    int32_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool Extracted = false;
    QString ExtractedPath; // where Extract wrote it, when Extracted
};

struct Directory {
    std::vector<ContainerEntry> entries; // directory order
    int rejected = 0;                    // entries whose data lie outside the file
};

// The fixed part of an entry after its name: type, offset, size, width, height.
inline constexpr size_t kEntryFixedSize = 1 + 4 * 4;

// Reads the directory that occupies [directoryOffset, fileSize - 4) of a
// container. The bytes are untrusted: a truncated entry fails the whole read
// with the read-error code, and an entry whose data would lie outside the
// space before the directory is left out, so it reads as absent.
Result<Directory> parseDirectory(std::span<const std::byte> directory, int64_t directoryOffset);

} // namespace lumeria
