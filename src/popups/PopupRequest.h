#pragma once

#include "platform/gdi/Canvas.h"
#include "platform/gdi/Rect.h"
#include "platform/image/DecodedPicture.h"

#include <QString>

#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

namespace lumeria {

// Reveals a new image on a canvas with one of the page transition effects.
// area is where the image goes on the canvas (its size is the image's);
// speed and effect are passed as the command gave them, so the runner clamps
// the speed and draws nothing for effect 0 or an unknown number. The runner
// blocks until the effect is over and calls present(rect) after each step to
// put that part of the canvas on screen at once; it need not leave the final
// image in place (the caller copies it afterwards anyway). An exception it
// throws drops the effect and the picture is shown plainly.
using TransitionRunner =
    std::function<void(gdi::Canvas& canvas, const gdi::Rect& area, const gdi::Surface& newImage, int speed, int effect,
                       const std::function<void(const gdi::Rect&)>& present)>;

// Reads a picture of the publication by the name a script gave; nothing when
// it is missing or does not decode.
using PictureLoader = std::function<std::optional<DecodedPicture>(const QString& file)>;

// What the main window hands every pop-up command.
struct PopupContext {
    // The page surface in screen coordinates: the reference of sticky notes
    // and pop-up pictures.
    gdi::Rect reference;
    // The window the pop-ups stay over. It does not own them.
    QWidget* window = nullptr;
    // The screen pop-ups are kept on; when empty, the screen geometry of the
    // window (or the primary screen).
    std::optional<gdi::Rect> screen;
    PictureLoader loadPicture;
    // May be empty: pictures then appear without their effect.
    TransitionRunner runTransition;
    // Called once the pop-up is on screen and the script waits for the reader
    // (the window suspends its idle return and tells automation), and once
    // the wait is over, whatever ended it, also when it is left by an
    // exception. A display time of -1 still calls both.
    std::function<void(QWidget* popup)> onWaitBegins;
    std::function<void()> onWaitEnds;
    std::function<bool(const QKeyEvent& key)> keptKey; // see PopupWaitHooks
};

// The Balloon command: the text in a balloon whose stem points at (x, y) in
// screen coordinates; -1 on an axis takes the mouse pointer's position. The
// text's CR, LF or CRLF break lines. Returns when the reader clicks the
// balloon or presses a key, or when the application quits.
void showBalloon(const PopupContext& context, const QString& text, int x, int y);

// The StickyNote command: the note at offset (x, y) from the reference's
// corner, -1 centring it on the reference on that axis. displayTime > 0 ends
// it after that many milliseconds if the reader has not; -1 shows it and
// takes it away at once; 0 waits for the reader.
void showStickyNote(const PopupContext& context, int x, int y, const QString& text, int displayTime);

// The PopupImage command: the picture at its own size at (x, y) from the
// reference's corner (-1 centres on the reference on that axis), kept on the
// screen at the right and bottom, revealed with the effect at the speed when
// it is a bitmap (icons and metafiles ignore the effect), then the same wait
// as a note. Returns false, having shown nothing, when the picture cannot be
// loaded; the caller reports the file as the script error.
bool showPopupImage(const PopupContext& context, int x, int y, const QString& file, int displayTime, int effect,
                    int speed);

} // namespace lumeria
