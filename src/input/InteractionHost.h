#pragma once

#include "document/Publication.h"
#include "render/PageView.h"
#include "render/TextAreaScroll.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>

class QWidget;

namespace lumeria {

enum class WorkAreaCursor {
    Application, // the publication's AppCursor, else the arrow
    Hotspot,     // the publication's HotspotCursor, else the pointing hand
    IBeam,       // over edit fields
};

// Everything the interaction layer asks of the main window. Coordinates are
// page pixels unless a method says otherwise; objects are the document's
// own, which live as long as the publication. Calls that run scripts or
// process events may re-enter the layer (a click handled inside them), and
// the layer is written to cope with that.
class InteractionHost {
public:
    virtual ~InteractionHost() = default;

    // The publication being played. Its document's current page is the page
    // shown; the layer reads settings and objects and writes only the
    // run-time fields of buttons (State, EditText).
    virtual Publication& publication() = 0;

    // Where page pixel (0, 0) lies in work-area pixels: the page surface's
    // position plus the window's scroll positions. Mouse points arrive in
    // work-area pixels and are turned into page pixels with it.
    virtual QPoint pageOrigin() const = 0;

    // Brings one object's current look on screen; the layer asks for it at
    // once (Alone or Area), never later.
    virtual void redrawObject(const Object_Rec& object, Redraw how) = 0;

    // Runs an action script to its end; it may change the page, set
    // variables, or run nested scripts.
    virtual void runScript(const QString& script) = 0;

    // The run's variables; names may carry brackets. An empty value removes
    // the variable. Setting one notifies refreshBoundObjects of the layer
    // when the host has wired the store's listener to it.
    virtual QString variable(const QString& name) const = 0;
    virtual void setVariable(const QString& name, const QString& value) = 0;
    // A displayed text with every [name] replaced, as it is painted now.
    virtual QString substitute(const QString& text) const = 0;

    virtual void beep() = 0;
    virtual void setWorkAreaCursor(WorkAreaCursor cursor) = 0;

    // The window's one-second timer that drives InputController::TimerTimer;
    // stopped while a mouse button is held on the work area.
    virtual void setTimerRunning(bool running) = 0;

    // The page change: nothing when page is null or already shown; else the
    // current page's ExitAction runs with the target, or the target is shown.
    // The host calls InputController::beforePageChange/afterPageShown around
    // the actual switch.
    virtual void goToPage(Page_Rec* page) = 0;
    virtual void closeMainWindow() = 0;
    virtual bool runsAsScreenSaver() const = 0;

    // Whether an action script is running, and the reader's stop of it
    // (Esc or Pause while it runs), which beeps: every active run ends at its
    // next step.
    virtual bool scriptRunning() const = 0;
    virtual void userStop() = 0;

    // The player's own keys (full screen, screenshots, reading aloud), after
    // the page's: the controller offers a key here only when no button of
    // the current or master page has it as its accelerator, and before its
    // own meaning (Enter, Esc, the page keys). True when the key was taken.
    virtual bool playerKey(int virtualKey, uint16_t modifierBits)
    {
        (void)virtualKey;
        (void)modifierBits;
        return false;
    }

    // Waits while letting pending events run (input, timers, repaints).
    virtual void waitProcessingEvents(int milliseconds) = 0;

    // Object scroll bars of articles and pictures. The bar widgets get their
    // own mouse presses; the layer only needs to know whether a page point
    // falls on one, to leave it alone.
    virtual bool onScrollBar(const Object_Rec& object, QPoint pagePoint) const = 0;
    virtual bool hasScrollBar(const Object_Rec& object, ScrollAxis axis) const = 0;
    // Hands a navigation key (virtual-key code: PgUp, PgDn, Home, End or an
    // arrow) to that bar's keyboard handling, which scrolls and repaints the
    // object. Returns false when the object has no such bar.
    virtual bool scrollBarKey(const Object_Rec& object, ScrollAxis axis, int virtualKey) = 0;

    // Article links. articlePoint is relative to the article's text origin
    // (its rectangle's top-left inset by LineWidth). The target text of the
    // first link there, or nothing.
    virtual std::optional<QString> articleLinkAt(const Object_Rec& article, QPoint articlePoint) = 0;
    // The line holding the anchor marker of that name (case ignored), or
    // nothing when the article has none.
    virtual std::optional<int> findAnchor(const Object_Rec& article, const QString& name) = 0;
    // Sets the vertical bar so that the line is the top line, without
    // repainting; the layer redraws the article afterwards.
    virtual void scrollArticleToLine(const Object_Rec& article, int line) = 0;

    // Draws the focus frame of an object in XOR (white, dotted, 2 pixels
    // outside its rectangle); drawing it again removes it. Full repaints of
    // the page draw it themselves when InputController::focusFrameShown(),
    // and the host may run such a repaint of what is pending before the XOR,
    // so during this call the flag still says what the screen shows.
    virtual void toggleFocusFrame(const Object_Rec& object) = 0;

    // The widget EditField is a child of (the work area); its (0, 0) is the
    // work area's, so the field sits at pageOrigin() plus page position.
    virtual QWidget* editFieldParent() = 0;
    // The top-level window whose keys the key filter handles.
    virtual QWidget* mainWindow() = 0;

    // Esc pressed, before the dispatch gives it its meaning for the
    // publication, which this does not change.
    virtual void escapePressed() {}
    // Tab moved the focus to this object, or to nothing.
    virtual void tabbedTo(ObjectRef /*target*/) {}
};

} // namespace lumeria
