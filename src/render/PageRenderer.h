#pragma once

#include "document/Document.h"
#include "platform/gdi/Rect.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "render/PaintContext.h"

#include <QPoint>
#include <QSize>

namespace lumeria {

namespace gdi {
class Canvas;
}

class SharedPalette;

enum class FocusMarker { Hide, Show };

// Paints whole pages: the background, the master page's objects when the
// page shows them, the page's own objects and the keyboard-focus marker.
// Only what meets the canvas clip is drawn, so a repaint of a few invalid
// rectangles costs what they cover. Every entry point leaves the canvas
// state as it found it. The document and the context must outlive the
// renderer.
class PageRenderer {
public:
    PageRenderer(const Document& document, const PaintContext& context, QSize pageSize)
        : m_document(document), m_context(context), m_pageSize(pageSize)
    {
    }

    QSize pageSize() const { return m_pageSize; }

    // PageStyle 0 fills the page with PageColor; any other style tiles the
    // wallpaper from the page origin at the picture's own size, and a
    // wallpaper that does not load leaves the page white.
    void paintBackground(gdi::Canvas& canvas, QPoint origin, const Page_Rec& page) const;

    // The master page's objects first when the page's ShowMaster is set,
    // then the page's own, each in list order; then the marker around the
    // focused object when one is given and asked for.
    void paintObjects(gdi::Canvas& canvas, QPoint origin, const Page_Rec& page, const Object_Rec* focused = nullptr,
                      FocusMarker marker = FocusMarker::Hide) const;

    // One object painted again inside an area only (canvas coordinates), over
    // what is there: the strip a scroll uncovered, or an object whose state
    // changed and is repainted at once rather than invalidated.
    void paintObjectIn(gdi::Canvas& canvas, const gdi::Region& area, QPoint origin, const Object_Rec& object) const;

    // Background and objects, as a paint of the page shows them.
    void paintPage(gdi::Canvas& canvas, QPoint origin, const Page_Rec& page, const Object_Rec* focused = nullptr,
                   FocusMarker marker = FocusMarker::Hide) const;

    // A new surface of the page's size holding the page at (0, 0) without
    // the focus marker: what a transition reveals and what is printed.
    // Null when the page size is empty or too large for a surface.
    gdi::Surface renderOffScreen(const Page_Rec& page) const;

private:
    void paintWallpaper(gdi::Canvas& canvas, const Page_Rec& page) const;

    const Document& m_document;
    const PaintContext& m_context;
    QSize m_pageSize;
};

// The keyboard-focus marker: a white dotted frame two pixels outside the
// object's rectangle, drawn in XOR, so a second call removes it.
void paintFocusMarker(gdi::Canvas& canvas, QPoint origin, const Object_Rec& object);

// The rectangle the focus marker's pixels lie in, for invalidating it.
gdi::Rect focusMarkerRect(const Object_Rec& object, QPoint origin);

// Loads the page's palette into the shared one when it differs in any red,
// green or blue value; the colour mode is the publication's ScreenColors.
// Returns whether it loaded (and the window should realize it again).
bool showPagePalette(SharedPalette& shared, const Page_Rec& page, int screenColors);

} // namespace lumeria
