#pragma once

#include <SDL.h>

namespace lumeria::media {

// Every SDL function the audio output calls (one library). The pointers are
// typed from the headers, so a header that no longer matches a call fails to
// compile.
#define LUMERIA_SDL_FUNCTIONS(X)                                                                                       \
    X(SDL_CloseAudioDevice)                                                                                            \
    X(SDL_InitSubSystem)                                                                                               \
    X(SDL_LockAudioDevice)                                                                                             \
    X(SDL_OpenAudioDevice)                                                                                             \
    X(SDL_PauseAudioDevice)                                                                                            \
    X(SDL_QuitSubSystem)                                                                                               \
    X(SDL_ResetHint)                                                                                                   \
    X(SDL_SetHintWithPriority)                                                                                         \
    X(SDL_UnlockAudioDevice)

struct SdlApi {
#define LUMERIA_SDL_POINTER(name) decltype(&::name) name = nullptr;
    LUMERIA_SDL_FUNCTIONS(LUMERIA_SDL_POINTER)
#undef LUMERIA_SDL_POINTER
};

// Opens SDL the first time it is asked, from any thread; false, then and for
// the rest of the run, when it cannot be loaded (the reason went to the
// console once).
bool loadSdl();

// The functions, once loadSdl() has returned true.
const SdlApi& sdl();

} // namespace lumeria::media
