#pragma once

#include <fluidsynth.h>

namespace lumeria::media {

// Every FluidSynth function the MIDI device calls (one library). The
// pointers are typed from the headers, so a header that no longer matches a
// call fails to compile.
#define LUMERIA_FLUIDSYNTH_FUNCTIONS(X)                                                                                \
    X(delete_fluid_player)                                                                                             \
    X(delete_fluid_settings)                                                                                           \
    X(delete_fluid_synth)                                                                                              \
    X(fluid_player_add_mem)                                                                                            \
    X(fluid_player_get_status)                                                                                         \
    X(fluid_player_play)                                                                                               \
    X(fluid_player_seek)                                                                                               \
    X(fluid_set_log_function)                                                                                          \
    X(fluid_settings_setint)                                                                                           \
    X(fluid_settings_setnum)                                                                                           \
    X(fluid_settings_setstr)                                                                                           \
    X(fluid_synth_all_notes_off)                                                                                       \
    X(fluid_synth_all_sounds_off)                                                                                      \
    X(fluid_synth_sfload)                                                                                              \
    X(fluid_synth_write_float)                                                                                         \
    X(new_fluid_player)                                                                                                \
    X(new_fluid_settings)                                                                                              \
    X(new_fluid_synth)

struct FluidSynthApi {
#define LUMERIA_FLUIDSYNTH_POINTER(name) decltype(&::name) name = nullptr;
    LUMERIA_FLUIDSYNTH_FUNCTIONS(LUMERIA_FLUIDSYNTH_POINTER)
#undef LUMERIA_FLUIDSYNTH_POINTER
};

// Opens FluidSynth the first time it is asked, from any thread; false, then
// and for the rest of the run, when it cannot be loaded (the reason went to
// the console once).
bool loadFluidSynth();

// The functions, once loadFluidSynth() has returned true.
const FluidSynthApi& fluidSynth();

} // namespace lumeria::media
