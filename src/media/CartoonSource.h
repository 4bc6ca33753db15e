#pragma once

#include "media/AnimationDevice.h"
#include "platform/Result.h"

#include <QString>

#include <memory>

namespace lumeria::media {

// The cartoon player's files: animated GIF, WebP and MNG through Qt's image
// readers, animated PNG through FFmpeg, each with its transparency. A still
// picture in one of these formats is a cartoon of one frame.
struct OpenedAnimation {
    std::unique_ptr<FrameSource> source;
    int64_t lengthMs = 0; // one pass over the frames, at their own delays
    int frames = 0;
};

// Fails with kFileNotFound or kInvalidFile. The file is read once here, to
// know its frames and length, up to a bound on the pixels decoded; playing
// reads it again.
Result<OpenedAnimation> openCartoon(const QString& path);

} // namespace lumeria::media
