#include "media/FluidSynthLibrary.h"

#include "media/MediaSonames.h"
#include "media/SharedLibrary.h"

#include <QtGlobal>

namespace lumeria::media {

namespace {

FluidSynthApi g_api;
bool g_loaded = false;

bool loadOnce()
{
    SharedLibrary library("FluidSynth", {soname::kFluidSynth});
    FluidSynthApi api;
#define LUMERIA_FLUIDSYNTH_RESOLVE(name) library.resolve(api.name, 0, #name);
    LUMERIA_FLUIDSYNTH_FUNCTIONS(LUMERIA_FLUIDSYNTH_RESOLVE)
#undef LUMERIA_FLUIDSYNTH_RESOLVE
    if (!library.finish())
        return false;
    g_api = api;
    g_loaded = true;
    return true;
}

} // namespace

bool loadFluidSynth()
{
    static const bool loaded = loadOnce();
    return loaded;
}

const FluidSynthApi& fluidSynth()
{
    Q_ASSERT(g_loaded);
    return g_api;
}

} // namespace lumeria::media
