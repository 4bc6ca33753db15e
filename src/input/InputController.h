#pragma once

#include "input/EditField.h"
#include "input/InteractionHost.h"
#include "input/MillisecondClock.h"
#include "input/PageQueries.h"
#include "platform/WheelNotches.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace lumeria {

// What the left button is doing on the work area.
enum class PressMode : uint8_t {
    Idle = 0,
    Button = 6,    // a button is held down
    EditField = 7, // an edit field was clicked
};

// The reader's mouse and keyboard on the page: hit testing, button
// animation, check boxes and radio groups, keyboard focus and the one edit
// control, accelerators, variable-bound fields and the idle return. The
// main window forwards its work-area mouse events, installs keyFilter() on
// the application, ticks TimerTimer once a second, wires the variable
// store's listener to refreshBoundObjects, and calls beforePageChange and
// afterPageShown around every page switch, and clearFocus when it closes.
// Keys the layer dispatches (Esc, Tab, Enter, the page keys, accelerators)
// must not also be bound as window shortcuts, which Qt would fire first.
// Everything else goes out through InteractionHost.
class InputController {
public:
    // The clock defaults to a steady one; a test passes one it moves.
    explicit InputController(InteractionHost& host, const MillisecondClock* clock = nullptr);
    ~InputController();
    InputController(const InputController&) = delete;
    InputController& operator=(const InputController&) = delete;

    // Mouse, in work-area pixels.
    void WorkAreaMouseDown(Qt::MouseButton button, QPoint point);
    void WorkAreaMouseMove(QPoint point);
    void WorkAreaMouseUp(Qt::MouseButton button, QPoint point);
    // A wheel turned over the work area, with Qt's angle delta: the article
    // or picture under the pointer scrolls by the desktop's lines a notch,
    // each line one step of its bar, as the arrow keys move it. Returns
    // whether an object took the turn; a page with nothing to scroll there
    // leaves it to the window.
    bool WorkAreaWheel(QPoint point, QPoint angleDelta);

    // A key-down as the key filter sees it: the dispatch, then the reader's
    // stop of a running script with Esc or Pause. Always counts as activity.
    // Returns whether the key was consumed.
    bool keyDown(int virtualKey, uint16_t modifierBits);
    // The dispatch table alone, first match wins.
    bool dispatchKey(int virtualKey, uint16_t modifierBits);

    // Presses a button from the keyboard: held look, a short wait with
    // events running, final look, variable, Action.
    void activateButton(ObjectRef button);
    void moveFocus(PageObjects::Direction direction);
    // How a focused button takes the keyboard: as itself, or with the edit
    // control laid over it.
    enum class FocusAs { Object, EditField };
    // Gives the focus to an object (or to nothing).
    void changeFocus(ObjectRef target, FocusAs as = FocusAs::Object);
    void clearFocus() { changeFocus({}); }

    // The edit control's change handler: the field text, its variable and
    // its Action follow every change the reader makes.
    void EditFieldChange();

    // At load, before the timer starts: field texts, check boxes and radio
    // buttons from their Text and InitState, with their variables.
    void initialiseFieldStates();
    // After a variable changed (its bracket-free name) or on the clock tick
    // (empty name): bound buttons follow their variables, and shown objects
    // whose text names the variable or reads the clock are redrawn.
    void refreshBoundObjects(const QString& name);
    // The buttons bound to a variable, in list order (master page first),
    // found through an index built once per shape of the document; the
    // refresh after every variable write costs what that variable binds,
    // not the size of the publication.
    const std::vector<Object_Rec*>& boundButtons(const QString& bareName);

    // The window's one-second tick.
    void TimerTimer();
    // Mouse moves, keys and page changes restart the idle countdown.
    void resetIdle();
    // While a modal pop-up is up the idle return waits.
    void setIdleSuspended(bool suspended) { m_idleSuspended = suspended; }

    // Around a page switch: the focus is dropped before the new page shows,
    // and the first tab stop of the new page takes it afterwards.
    void beforePageChange();
    void afterPageShown();

    const Object_Rec* focusedObject() const { return m_focus.object; }
    bool focusOnMaster() const { return m_focus.onMaster; }
    bool editActive() const { return m_editActive; }
    bool focusFrameShown() const { return m_frameShown; }
    PressMode pressMode() const { return m_pressMode; }
    const Object_Rec* pressedObject() const { return m_pressed.object; }
    // The edit control, made on first use as a child of the host's
    // editFieldParent(); nullptr when the host gives no parent.
    EditField* editField();

    // The key filter the window installs on the application.
    QObject* keyFilter() const;

    // Where the edit control lies over an edit-field button, in page pixels:
    // inset by LineWidth + 1, and a single line centred on the "M" height.
    static QRect editFieldRect(const Object_Rec& object, int mHeight, bool multiLine);

private:
    PageObjects view() const;
    Redraw pressRedraw(const Object_Rec& object) const;
    Redraw refreshRedraw(const Object_Rec& object) const;
    void finishButton(Object_Rec& object, uint8_t savedState, bool clicked, Redraw how);
    void clearRadioGroup(const Object_Rec& selected);
    bool pageKey(int virtualKey);
    bool hoverWants(const Object_Rec& object, QPoint pagePoint, WorkAreaCursor& cursor) const;
    void setCursor(WorkAreaCursor cursor);
    void pressArticle(ObjectRef ref, QPoint pagePoint);
    void followLink(const Object_Rec& article, const QString& target);
    void wheelSteps(const Object_Rec& object, ScrollAxis axis, int lines);

    InteractionHost& m_host;
    std::unique_ptr<SteadyMillisecondClock> m_ownClock;
    const MillisecondClock* m_clock;
    std::unique_ptr<EditField> m_edit;
    std::unique_ptr<QObject> m_keyFilter;

    ObjectRef m_pressed;
    PressMode m_pressMode = PressMode::Idle;
    uint8_t m_savedState = 0;
    bool m_areaRepaint = false;
    bool m_pointerOver = false;
    bool m_cursorKnown = false;
    WorkAreaCursor m_cursor = WorkAreaCursor::Application;

    // Parts of a notch count toward the object they were turned over.
    const Object_Rec* m_wheelTarget = nullptr;
    WheelNotches m_wheelVertical;
    WheelNotches m_wheelHorizontal;

    ObjectRef m_focus;
    bool m_editActive = false;
    bool m_frameShown = false;
    bool m_activating = false;

    int64_t m_lastActivity = 0;
    bool m_idleSuspended = false;

    // What each text-bearing object of the shown page read at the last
    // refresh, so that a text showing the time is redrawn when it changes.
    std::unordered_map<const Object_Rec*, QString> m_shownTexts;

    // Buttons by their VarName without brackets, case-folded; rebuilt when
    // the document's shape version moves (pages and objects come and go
    // only while a publication loads).
    void indexBoundButtons();
    uint64_t m_boundVersion = 0;
    std::unordered_map<QString, std::vector<Object_Rec*>> m_bound;
};

} // namespace lumeria
