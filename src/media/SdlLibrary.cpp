#include "media/SdlLibrary.h"

#include "media/MediaSonames.h"
#include "media/SharedLibrary.h"

#include <QtGlobal>

namespace lumeria::media {

namespace {

SdlApi g_api;
bool g_loaded = false;

bool loadOnce()
{
    SharedLibrary library("SDL", {soname::kSdl2});
    SdlApi api;
#define LUMERIA_SDL_RESOLVE(name) library.resolve(api.name, 0, #name);
    LUMERIA_SDL_FUNCTIONS(LUMERIA_SDL_RESOLVE)
#undef LUMERIA_SDL_RESOLVE
    if (!library.finish())
        return false;
    g_api = api;
    g_loaded = true;
    return true;
}

} // namespace

bool loadSdl()
{
    static const bool loaded = loadOnce();
    return loaded;
}

const SdlApi& sdl()
{
    Q_ASSERT(g_loaded);
    return g_api;
}

} // namespace lumeria::media
