#pragma once

#include <QSize>

class QScreen;

namespace lumeria {

// Pages are pixels, so every window of the player shows at a whole factor
// of them, the same one for the main window, its floating windows and its
// boxes, and the factor changes while the player runs (full screen, a
// maximised or resized window). Qt fixes its own factors when it starts;
// the one it allows to change later is the factor of a screen, which this
// sets so that it and the desktop's own (rounded) factor multiply to the
// whole factor wanted.

// Remembers the desktop's own factor. Once, after the application exists
// and before any factor is set.
void notePlatformFactor();

// The whole factor windows on the screen show at now.
int wholeFactor(const QScreen* screen);

// Every window on the screen shows at factor from now on. Qt keeps each
// window's size in page pixels and does not tell the window system: the
// caller resizes the windows it wants to keep their size on the screen.
void setWholeFactor(QScreen* screen, int factor);

// The screen's size as the desktop gives it to every program, whatever
// factor the player's windows show at: what a publication asking for the
// screen's size is told, so that filling the window does not change it.
QSize desktopScreenSize(const QScreen& screen);

} // namespace lumeria
