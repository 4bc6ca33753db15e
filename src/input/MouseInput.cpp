// The work area's mouse handlers: a small state machine over press modes
// Idle, Button (held) and EditField, with the button's look following the
// pointer while it is held.
#include "input/InputController.h"

#include "platform/VirtualKeys.h"

#include <cstdlib>

namespace lumeria {

namespace {

uint8_t heldState(const Button_Rec& b)
{
    return b.Style == uint8_t(ButtonStyle::Push) ? 1 : 2;
}

} // namespace

void InputController::setCursor(WorkAreaCursor cursor)
{
    if (m_cursorKnown && m_cursor == cursor)
        return;
    m_cursorKnown = true;
    m_cursor = cursor;
    m_host.setWorkAreaCursor(cursor);
}

void InputController::WorkAreaMouseDown(Qt::MouseButton button, QPoint point)
{
    m_host.setTimerRunning(false);
    // A second mouse button pressed while one holds a button would otherwise
    // leave that button drawn down for good: put its look back first.
    if (m_pressMode == PressMode::Button && m_pressed) {
        if (Button_Rec* held = m_pressed.object->button(); held && held->State != m_savedState) {
            held->State = m_savedState;
            m_host.redrawObject(*m_pressed.object, m_areaRepaint ? Redraw::Area : Redraw::Alone);
        }
    }
    m_pressed = {};
    m_pressMode = PressMode::Idle;
    if (button != Qt::LeftButton)
        return;

    const QPoint p = point - m_host.pageOrigin();
    const ObjectRef hit = view().hitTest(p);
    if (!hit)
        return;
    m_pressed = hit;
    Object_Rec& o = *hit.object;
    const PublicationSettings& settings = m_host.publication().settings;

    if (Button_Rec* b = o.button()) {
        const auto style = ButtonStyle(b->Style);
        if (style == ButtonStyle::Push || style == ButtonStyle::CheckBox ||
            (style == ButtonStyle::RadioButton && b->State == 0)) {
            m_pressMode = PressMode::Button;
            m_savedState = b->State;
            m_areaRepaint = pressRedraw(o) == Redraw::Area;
            m_pointerOver = true;
            b->State = heldState(*b);
            m_host.redrawObject(o, m_areaRepaint ? Redraw::Area : Redraw::Alone);
            if (settings.TabButtons)
                changeFocus(hit);
        } else if (style == ButtonStyle::EditField) {
            m_pressMode = PressMode::EditField;
            changeFocus(hit, FocusAs::EditField);
        }
        return;
    }
    if (o.article()) {
        pressArticle(hit, p);
        return;
    }
    if (const Picture_Rec* pic = o.picture(); pic && pic->WindowFlags != 0) {
        if (settings.TabWindows && m_focus.object != &o)
            changeFocus(hit);
        // A press on the picture's bar belongs to the bar widget.
    }
}

void InputController::pressArticle(ObjectRef ref, QPoint p)
{
    const Object_Rec& o = *ref.object;
    const Article_Rec& a = *o.article();
    if (a.WindowFlags == 0) {
        if (m_host.publication().settings.TabWindows && m_focus.object != &o)
            changeFocus(ref);
    } else if (m_host.onScrollBar(o, p)) {
        return;
    }
    const QPoint local(p.x() - o.X1 - o.LineWidth, p.y() - o.Y1 - o.LineWidth);
    const std::optional<QString> target = m_host.articleLinkAt(o, local);
    if (target && !target->isEmpty())
        followLink(o, *target);
}

void InputController::followLink(const Object_Rec& article, const QString& target)
{
    if (!target.startsWith(QLatin1Char(':'))) {
        m_host.runScript(target);
        return;
    }
    if (m_host.hasScrollBar(article, ScrollAxis::Vertical)) {
        if (const std::optional<int> line = m_host.findAnchor(article, target.mid(1))) {
            m_host.scrollArticleToLine(article, *line);
            m_host.redrawObject(article, view().overlapped(article) ? Redraw::Area : Redraw::Alone);
            return;
        }
    }
    m_host.beep();
}

bool InputController::hoverWants(const Object_Rec& o, QPoint p, WorkAreaCursor& cursor) const
{
    if (const Button_Rec* b = o.button()) {
        cursor = b->Style == uint8_t(ButtonStyle::EditField) ? WorkAreaCursor::IBeam : WorkAreaCursor::Hotspot;
        return true;
    }
    cursor = WorkAreaCursor::Hotspot;
    if (o.article()) {
        if (m_host.onScrollBar(o, p))
            return true;
        const QPoint local(p.x() - o.X1 - o.LineWidth, p.y() - o.Y1 - o.LineWidth);
        return m_host.articleLinkAt(o, local).has_value();
    }
    if (o.picture())
        return m_host.onScrollBar(o, p);
    return false;
}

void InputController::WorkAreaMouseMove(QPoint point)
{
    const QPoint p = point - m_host.pageOrigin();
    const ObjectRef hit = view().hitTest(p);
    const bool holding = m_pressMode == PressMode::Button && m_pressed;
    bool reacts = false;
    if (hit) {
        if (holding) {
            m_pointerOver = hit.object == m_pressed.object && hit.object->button() != nullptr;
        } else if (!(m_pressMode == PressMode::EditField && m_pressed)) {
            WorkAreaCursor wanted = WorkAreaCursor::Application;
            reacts = hoverWants(*hit.object, p, wanted);
            if (reacts)
                setCursor(wanted);
        }
    } else if (holding) {
        m_pointerOver = false;
    }

    if (holding) {
        Object_Rec& o = *m_pressed.object;
        if (Button_Rec* b = o.button()) {
            const Redraw how = m_areaRepaint ? Redraw::Area : Redraw::Alone;
            if (!m_pointerOver && b->State != m_savedState) {
                b->State = m_savedState;
                m_host.redrawObject(o, how);
            } else if (m_pointerOver && b->State == m_savedState) {
                b->State = heldState(*b);
                m_host.redrawObject(o, how);
            }
        }
    } else if (!reacts && !(m_pressMode == PressMode::EditField && m_pressed && hit)) {
        setCursor(WorkAreaCursor::Application);
    }
    resetIdle();
}

void InputController::WorkAreaMouseUp(Qt::MouseButton button, QPoint)
{
    if (button == Qt::LeftButton) {
        if (m_pressMode == PressMode::Button && m_pressed) {
            m_pressMode = PressMode::Idle;
            Object_Rec& o = *m_pressed.object;
            if (Button_Rec* b = o.button()) {
                const bool clicked = b->State != m_savedState;
                if (clicked || b->Style == uint8_t(ButtonStyle::Push))
                    finishButton(o, m_savedState, clicked, m_areaRepaint ? Redraw::Area : Redraw::Alone);
            }
        } else {
            m_pressMode = PressMode::Idle;
        }
    }
    m_host.setTimerRunning(true);
}

bool InputController::WorkAreaWheel(QPoint point, QPoint angleDelta)
{
    resetIdle();
    const ObjectRef hit = view().hitTest(point - m_host.pageOrigin());
    const Object_Rec* o = hit.object;
    const bool windowed =
        o && ((o->article() && o->article()->WindowFlags != 0) || (o->picture() && o->picture()->WindowFlags != 0));
    if (!windowed ||
        !(m_host.hasScrollBar(*o, ScrollAxis::Vertical) || m_host.hasScrollBar(*o, ScrollAxis::Horizontal))) {
        m_wheelTarget = nullptr;
        return false;
    }
    if (o != m_wheelTarget) {
        m_wheelTarget = o;
        m_wheelVertical.reset();
        m_wheelHorizontal.reset();
    }
    const int lines = wheelScrollLines();
    wheelSteps(*o, ScrollAxis::Vertical, m_wheelVertical.add(angleDelta.y()) * lines);
    wheelSteps(*o, ScrollAxis::Horizontal, m_wheelHorizontal.add(angleDelta.x()) * lines);
    return true;
}

// Positive lines turn away from the reader: the text moves down, and the
// bar towards its start.
void InputController::wheelSteps(const Object_Rec& object, ScrollAxis axis, int lines)
{
    const bool vertical = axis == ScrollAxis::Vertical;
    const int key = lines > 0 ? (vertical ? vk::kUp : vk::kLeft) : (vertical ? vk::kDown : vk::kRight);
    for (int i = std::abs(lines); i > 0; --i) {
        if (!m_host.scrollBarKey(object, axis, key))
            return;
    }
}

} // namespace lumeria
