#pragma once

#include "platform/gdi/Rect.h"
#include "platform/gdi/Surface.h"

#include <functional>

namespace lumeria {

namespace gdi {
class Canvas;
}

inline constexpr int kEffectCount = 16; // 0 is none
inline constexpr int kMaxEffectSpeed = 10;

// Where a transition draws and how its steps reach the reader.
struct TransitionTarget {
    // The canvas showing the old page; the transition leaves the new one on
    // it. Its state is left as found.
    gdi::Canvas& canvas;
    // The page rectangle on that canvas; the new image is its size.
    gdi::Rect area;
    // Puts a changed part of the canvas on screen at once (a synchronous
    // repaint), so every step is seen.
    std::function<void(const gdi::Rect&)> present;
    // Pauses between steps without letting input run, as the effects always
    // have: a click made meanwhile waits until the page is in place.
    std::function<void(int milliseconds)> wait;
};

// Brings the new image onto the canvas's page rectangle piece by piece,
// with the effect of that number (1 to 15) at that speed (0, the fastest,
// to 10; beyond 10 counts as 10). Effect 0 and numbers above 15 draw
// nothing and return false: the caller paints the page normally. A new
// image whose size is not the rectangle's draws nothing either.
bool runTransition(const TransitionTarget& target, const gdi::Surface& newImage, int speed, int effect);

} // namespace lumeria
