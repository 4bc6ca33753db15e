#pragma once

#include "platform/Result.h"
#include "platform/image/DecodedPicture.h"
#include "platform/image/PictureDecoder.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace lumeria {

class Container;

// The largest entry read whole into memory as a picture. The container's
// own checks already keep entries inside the file; this keeps a huge file
// from being loaded for one picture.
inline constexpr int64_t kMaxPictureEntrySize = int64_t(256) * 1024 * 1024;

// All the bytes of an entry. Fails with io::kNotInContainer for a name the
// container lacks, picture::kTooLarge above maxSize, or the I/O code of a
// failed read.
Result<std::vector<std::byte>> readEntryBytes(const Container& container, const QString& name, int64_t maxSize);

// Loads a picture the publication carries: finds the entry by name, reads
// all its bytes and decodes them as the requested name's extension says.
// Fails with io::kNotInContainer for a name the container lacks, the I/O code
// of a failed read, or a picture code of PictureError.h.
Result<DecodedPicture> loadPicture(const Container& container, const QString& name, const PictureOptions& options);

} // namespace lumeria
