#pragma once

#include "document/Document.h"
#include "platform/gdi/Rect.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "render/PageRenderer.h"

#include <QSize>

#include <functional>

namespace lumeria {

namespace gdi {
class Canvas;
}

// When a changed part of the page reaches the screen: with the next paint,
// or at once, for effects whose every step must be seen.
enum class Present { Later, Now };

// How an object whose look changed is brought back on screen.
enum class Redraw {
    // Its rectangle is marked and the next paint draws it through the page.
    Later,
    // The object alone, at once, straight over what the screen shows (with
    // the page's palette selected).
    Alone,
    // The page area under the object's rectangle at once, through the page
    // pipeline, so transparent and overlapped objects come out right.
    Area,
};

// The page as the screen shows it: the backbuffer the page is painted into,
// the part of it waiting to be painted again, and every drawing that changes
// it between paints. It owns no widget: the window presents the rectangles
// it is given, in page coordinates, wherever it shows the page.
class PageView {
public:
    struct Focus {
        const Object_Rec* object = nullptr;
        FocusMarker marker = FocusMarker::Hide;
    };
    struct Callbacks {
        std::function<void(const gdi::Rect& area, Present when)> present;
        // The focused object and whether its marker shows, asked at every
        // repaint through the page.
        std::function<Focus()> focus;
        // The pause between steps of transitions and flashes; input does not
        // run during it.
        std::function<void(int milliseconds)> pause;
    };

    // The document and the renderer must outlive the view.
    PageView(const Document& document, const PageRenderer& renderer, QSize pageSize, Callbacks callbacks);

    // The backbuffer as the window draws it, shared, not copied.
    QImage image() { return m_backbuffer.image(); }
    gdi::Rect rect() const { return m_backbuffer.rect(); }
    bool inTransition() const { return m_inTransition; }

    // Marks a page rectangle to paint again with the next paint.
    void invalidate(const gdi::Rect& area);
    void invalidateAll();
    // An object that moved: its old place and its new one.
    void invalidateMove(const gdi::Rect& before, const gdi::Rect& after);
    // Paints what is marked into the backbuffer.
    void renderDirty();

    void redrawObject(const Object_Rec& object, Redraw how);
    // Draws straight into the page as it stands, what is marked painted
    // first, and presents the area with the next paint.
    void paintNow(const gdi::Rect& area, const std::function<void(gdi::Canvas&)>& paint);
    // The focus marker drawn in XOR: a second call takes it away again.
    void toggleFocusFrame(const Object_Rec& object);
    // Inverts a page rectangle eight times, 50 ms apart: a found place
    // flashes and is left as it was.
    void flash(const gdi::Rect& area);
    // Draws the page over the one shown with its effect; false when it
    // cannot (no page image), and the page must then be painted normally.
    // beforeEffect runs once the effect is sure to start.
    bool transitionTo(const Page_Rec& page, const std::function<void()>& beforeEffect);

private:
    void renderArea(const gdi::Region& area);

    const Document& m_document;
    const PageRenderer& m_renderer;
    Callbacks m_callbacks;
    gdi::Surface m_backbuffer;
    gdi::Region m_dirty;
    bool m_inTransition = false;
};

} // namespace lumeria
