#include "media/FfmpegLibrary.h"

#include "media/MediaSonames.h"
#include "media/SharedLibrary.h"

#include <QtGlobal>

namespace lumeria::media {

namespace {

FfmpegApi g_api;
bool g_loaded = false;

bool loadOnce()
{
    SharedLibrary library(
        "FFmpeg", {soname::kAvutil, soname::kSwresample, soname::kSwscale, soname::kAvcodec, soname::kAvformat});
    FfmpegApi api;
#define LUMERIA_FFMPEG_RESOLVE(part, name) library.resolve(api.name, size_t(FfmpegPart::part), #name);
    LUMERIA_FFMPEG_FUNCTIONS(LUMERIA_FFMPEG_RESOLVE)
#undef LUMERIA_FFMPEG_RESOLVE
    if (!library.finish())
        return false;
    g_api = api;
    g_loaded = true;
    return true;
}

} // namespace

bool loadFfmpeg()
{
    static const bool loaded = loadOnce();
    return loaded;
}

const FfmpegApi& ffmpeg()
{
    Q_ASSERT(g_loaded);
    return g_api;
}

} // namespace lumeria::media
