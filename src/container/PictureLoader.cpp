#include "container/PictureLoader.h"

#include "container/Container.h"
#include "platform/IoError.h"
#include "platform/image/PictureError.h"

#include <vector>

namespace lumeria {

Result<std::vector<std::byte>> readEntryBytes(const Container& container, const QString& name, int64_t maxSize)
{
    const ContainerEntry* entry = container.find(name);
    if (!entry)
        return Failure{io::kNotInContainer};
    if (entry->Size < 0 || entry->Size > maxSize)
        return Failure{picture::kTooLarge};

    std::vector<std::byte> bytes(size_t(entry->Size));
    size_t done = 0;
    while (done < bytes.size()) {
        const int64_t got = container.readAt(*entry, int64_t(done), std::span(bytes).subspan(done));
        if (got < 0)
            return Failure{int(-got)};
        if (got == 0)
            return Failure{io::kReadError}; // the file ended inside the entry
        done += size_t(got);
    }
    return bytes;
}

Result<DecodedPicture> loadPicture(const Container& container, const QString& name, const PictureOptions& options)
{
    auto bytes = readEntryBytes(container, name, kMaxPictureEntrySize);
    if (!bytes)
        return Failure{bytes.error()};
    // The requested name, not the stored one, chooses the reader: they only
    // differ by a folder part and letter case, which the extension ignores.
    return decodePicture(name, bytes.value(), options);
}

} // namespace lumeria
