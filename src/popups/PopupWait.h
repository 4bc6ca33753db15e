#pragma once

#include "platform/gdi/Rect.h"

#include <QPoint>

#include <functional>

class QKeyEvent;
class QWidget;

namespace lumeria {

// What ended a pop-up's wait.
enum class PopupEnd {
    Click,     // a click on the pop-up
    Key,       // a key pressed anywhere in the application
    TimeOut,   // the display time ran out
    Immediate, // a display time of -1: shown and taken away at once
    Closed,    // the application is quitting, or the pop-up went away
    Inactive,  // the reader switched to another application
};

// Told when a pop-up starts waiting for the reader (with the pop-up shown)
// and when the wait is over, whatever ended it.
struct PopupWaitHooks {
    std::function<void(QWidget* popup)> onWaitBegins;
    std::function<void()> onWaitEnds;
    // A key the player keeps for itself while a pop-up waits (a screenshot
    // of the pop-up): true when it took the key, and the wait goes on.
    std::function<bool(const QKeyEvent& key)> keptKey;
};

// Shows a pop-up at topLeft (pulled back onto the screen at the right and
// bottom) without taking the activation from the window, and waits in a
// nested event loop. The wait ends on a click on the pop-up, on any key
// pressed in the application (the key is consumed: it must not also act on
// the page under the pop-up), when displayTime milliseconds have passed (a
// positive time), when the application quits, or when it stops being the
// active one (the reader went elsewhere: nobody is there to dismiss the
// pop-up, and the script must not stay held). A display time of -1 ends
// the wait at once; 0 and other negative times wait for the reader only. A
// mouse grab held by one of our widgets passes to the pop-up for the wait.
// The pop-up is hidden before returning; it is not destroyed.
PopupEnd showPopupAndWait(QWidget& popup, QPoint topLeft, int displayTime, const gdi::Rect& screen,
                          const PopupWaitHooks& hooks);

} // namespace lumeria
