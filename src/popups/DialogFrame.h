#pragma once

#include <QString>
#include <Qt>

class QFont;

namespace lumeria {

// The frame of the player's dialogs: a title bar with the system menu and a
// close box, fixed in size, and typed as a dialog for the window manager;
// nothing to minimise or maximise, as the classic dialogs had it.
Qt::WindowFlags dialogWindowFlags(bool stayOnTop = false);

// The client width at which the window manager has room for the whole
// title beside its window icon and close box. The title bar's font is the
// desktop's, so the measure takes the wider of that font in bold and the
// dialog's own, and stops at the screen's width; the application's name
// that the window system adds after it counts too.
int widthForTitle(const QString& title, const QFont& dialogFont);

} // namespace lumeria
