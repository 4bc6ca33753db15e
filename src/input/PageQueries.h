#pragma once

#include "document/Document.h"

#include <QPoint>

#include <cstdint>

namespace lumeria {

// The objects the reader can reach on a page: the master page's (when the
// page shows it) below the page's own, each in list order. The queries
// below are pure functions of the model so that the controller, the window
// and the tests share one reading of "what is under the pointer".
class PageObjects {
public:
    PageObjects(const Document& document, const Page_Rec* page);

    const Page_Rec* page() const { return m_page; }
    const Page_Rec* master() const { return m_master; }

    // Both edges inclusive: a point on X2 or Y2 still hits. The topmost
    // object wins, so a page object always beats a master-page one.
    ObjectRef hitTest(QPoint pagePoint) const;

    // Whether an object painted after this one intersects its rectangle, in
    // which case redrawing it alone would paint over the later object.
    bool overlapped(const Object_Rec& object) const;

    // The next tab stop after current (from the start when current is none),
    // wrapping once. Buttons count when tabButtons is on, edit fields always;
    // articles and pictures with WindowFlags when tabWindows is on. A stop
    // whose rectangle a later object covers whole is skipped: the reader
    // could not see where the focus went.
    enum class Direction { Forward, Backward };
    ObjectRef nextTabStop(const Object_Rec* current, Direction direction, bool tabButtons, bool tabWindows) const;

    // The first button whose Key equals key (virtual key plus Shift, Ctrl,
    // Alt bits), master page first so that its shortcuts win.
    ObjectRef findAccelerator(uint16_t key) const;

    // Whether the object is on the master page or the page shown.
    bool shows(const Object_Rec& object) const;

private:
    bool covered(const Object_Rec& object, bool onMaster) const;

    const Page_Rec* m_page = nullptr;
    const Page_Rec* m_master = nullptr;
};

// Point-in-object with both edges inclusive.
bool contains(const Object_Rec& object, QPoint pagePoint);
// Rectangles with inclusive X2/Y2 meeting in at least one pixel.
bool intersects(const Object_Rec& a, const Object_Rec& b);

} // namespace lumeria
