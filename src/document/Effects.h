#pragma once

#include <array>
#include <string_view>

namespace lumeria {

// Page transition effects by number, as PageEffect= and scripts name them.
inline constexpr std::array<std::string_view, 16> kEffectNames = {
    "None",      "Dissolve",   "Slide Left",       "Slide Right",    "Slide Up",         "Slide Down",
    "Explode",   "Implode",    "Weave Horizontal", "Weave Vertical", "Split Horizontal", "Split Vertical",
    "Wipe Left", "Wipe Right", "Wipe Up",          "Wipe Down",
};

} // namespace lumeria
