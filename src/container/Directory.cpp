#include "container/Directory.h"

#include "platform/ByteReader.h"
#include "platform/Codepage.h"
#include "platform/IoError.h"

#include <string_view>

namespace lumeria {

Result<Directory> parseDirectory(std::span<const std::byte> bytes, int64_t directoryOffset)
{
    Directory dir;
    // An entry takes at least 18 bytes, so this never reserves more than the
    // file justifies.
    dir.entries.reserve(bytes.size() / (kEntryFixedSize + 1));
    ByteReader r(bytes);
    while (!r.atEnd()) {
        const auto nameLength = r.u8();
        const auto name = r.bytes(*nameLength);
        if (!name || r.remaining() < kEntryFixedSize)
            return Failure{io::kReadError};
        ContainerEntry e;
        e.Name = activeCodepage().decode(std::string_view(reinterpret_cast<const char*>(name->data()), name->size()));
        e.Type = *r.u8();
        e.Offset = *r.i32le();
        e.Size = *r.i32le();
        e.Width = *r.i32le();
        e.Height = *r.i32le();
        const int64_t end = int64_t(e.Offset) + int64_t(e.Size);
        if (e.Offset < 0 || e.Size < 0 || end > directoryOffset) {
            ++dir.rejected;
            continue;
        }
        dir.entries.push_back(std::move(e));
    }
    return dir;
}

} // namespace lumeria
