#pragma once

#include "document/Objects.h"
#include "platform/gdi/Rect.h"

#include <QPoint>
#include <QSize>

#include <cstdint>

#include <vector>

namespace lumeria {

namespace gdi {
class Canvas;
}

// Where the window and the page go on a screen. Every rectangle is in
// screen pixels; the page rectangle is relative to the client area.
struct PagePlacement {
    gdi::Rect window; // the whole window, frame included
    QSize client;
    gdi::Rect page;
};

// Where the page goes in a client larger than it: centred, each halving
// truncated, but never at negative coordinates, so a page larger than the
// client starts at (0, 0) and is scrolled to see the rest.
QPoint centredPageOrigin(QSize client, QSize page);

// The borderless window covers the screen and the page is centred in it,
// but never at negative coordinates: a page larger than the screen starts
// at (0, 0) and is scrolled to see the rest.
PagePlacement placeFullScreen(QSize screen, QSize page);

// The client area is the page, cut to the screen each way; the page sits at
// the client's origin and the window (client plus frame) is centred on the
// screen. Centring uses integer halves of each size, as the division that
// placed the window truncated them.
PagePlacement placeWindowed(QSize screen, QSize page, QSize frame = QSize(0, 0));

// The largest whole factor at which the page fits the room, each way; at
// least 1, so a page larger than the room shows at its own size, scrolled.
int largestWholeFactor(QSize room, QSize page);

struct ScrollBarNeed {
    bool horizontal = false;
    bool vertical = false;
};

// A bar shows only when the page is larger than the client that way.
ScrollBarNeed scrollBarsNeeded(QSize client, QSize page);

enum class ScreenMode { Windowed, FullScreen };
enum class FirstPage { Shown, Pending };

struct MarginRequest {
    QSize client;
    gdi::Rect page; // in client coordinates
    ScreenMode mode = ScreenMode::Windowed;
    FirstPage firstPage = FirstPage::Shown;
};

// The four bands of the client around the page: above and below across the
// full width, left and right at the page's height. Empty bands are left out.
std::vector<gdi::Rect> marginBands(QSize client, const gdi::Rect& page);

// Black in full screen and while the first page is pending (then the whole
// client, the page's place too, since nothing is on it yet); the button
// face colour otherwise.
void paintMargins(gdi::Canvas& canvas, const MarginRequest& request);

// The range of device coordinates the raster keeps (16 bits, as Windows 95
// kept them); objects are held to it before any arithmetic on them.
inline constexpr int32_t kMinCoordinate = -32768;
inline constexpr int32_t kMaxCoordinate = 32767;
int heldCoordinate(int64_t v);

// An object's rectangle as it is painted: corners in any order, each
// coordinate held to the raster's range.
gdi::Rect objectFrame(const Object_Rec& object);
// The outline's width held to what a pen can be (0 to 32767).
int objectLineWidth(const Object_Rec& object);
// The frame less the outline: where a picture or an article's text goes.
gdi::Rect objectInterior(const Object_Rec& object);

// The rectangle to invalidate for an object at the page origin. X2 and Y2
// are inclusive for hit tests, and some objects paint that column and row
// (an article frame without an outline fills to X2 and Y2), so the repaint
// rectangle reaches one pixel past them; this also gives a horizontal or
// vertical line its one-pixel strip. A line drawn with a pen of width 2 or
// more spreads around its end points by half the width plus one pixel and
// is widened by that. Closed figures keep wide pens inside their frame.
// Text that overflows its box is not covered, as it never was.
gdi::Rect objectRepaintRect(const Object_Rec& object, QPoint origin);

// What to invalidate when a rectangle moves: one rectangle, the union, when
// the old and the new place overlap; else both on their own. Empty
// rectangles are left out.
std::vector<gdi::Rect> movedRepaintRects(const gdi::Rect& before, const gdi::Rect& after);

} // namespace lumeria
