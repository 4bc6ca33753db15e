// Keys on the page: the dispatch table, keyboard activation of buttons and
// the tab order.
#include "input/InputController.h"

#include "platform/VirtualKeys.h"

namespace lumeria {

bool InputController::keyDown(int virtualKey, uint16_t modifierBits)
{
    if (virtualKey == vk::kEscape)
        m_host.escapePressed();
    bool consumed = dispatchKey(virtualKey, modifierBits);
    if (!consumed && (virtualKey == vk::kPause || virtualKey == vk::kEscape) && m_host.scriptRunning()) {
        // The stop beeps itself.
        m_host.userStop();
        consumed = true;
    }
    resetIdle();
    return consumed;
}

bool InputController::pageKey(int virtualKey)
{
    Document& document = m_host.publication().document;
    const int count = document.pageCount();
    const int number = document.pageNumber(document.currentPage()); // 1-based, 0 when not in the list
    Page_Rec* target = nullptr;
    switch (virtualKey) {
    case vk::kPrior:
        if (number > 1)
            target = document.pages()[size_t(number - 2)].get();
        break;
    case vk::kNext:
        if (number >= 1 && number < count)
            target = document.pages()[size_t(number)].get();
        break;
    case vk::kHome:
        if (count > 0)
            target = document.pages().front().get();
        break;
    case vk::kEnd: target = document.lastPage(); break;
    default: return false;
    }
    if (target)
        m_host.goToPage(target);
    return true;
}

bool InputController::dispatchKey(int virtualKey, uint16_t modifierBits)
{
    const uint16_t key = uint16_t(virtualKey & vk::kKeyMask) | (modifierBits & ~vk::kKeyMask);
    const ObjectRef accelerated = view().findAccelerator(key);
    if (!accelerated && m_host.playerKey(virtualKey, modifierBits))
        return true;

    const PublicationSettings& s = m_host.publication().settings;
    switch (virtualKey) {
    case vk::kEscape:
        if (m_host.runsAsScreenSaver()) {
            m_host.closeMainWindow();
            return true;
        }
        if (s.AllowEsc) {
            // Esc first abandons a running script, as it does where Esc may
            // not close; the reader presses it again to leave. Closing under
            // a running script would tear the window down beneath it.
            if (m_host.scriptRunning())
                m_host.userStop();
            else
                m_host.closeMainWindow();
            return true;
        }
        break;
    case vk::kPrior:
    case vk::kNext:
        if (s.AllowPageUpDn)
            return pageKey(virtualKey);
        break;
    case vk::kHome:
    case vk::kEnd:
        if (s.AllowPageUpDn && !m_editActive)
            return pageKey(virtualKey);
        break;
    case vk::kTab:
        moveFocus((modifierBits & vk::kShiftBit) ? PageObjects::Direction::Backward : PageObjects::Direction::Forward);
        m_host.tabbedTo(m_focus);
        return true;
    case vk::kReturn:
    case vk::kSpace:
        if (m_focus && m_focus.object->button() && !m_editActive) {
            activateButton(m_focus);
            return true;
        }
        break;
    default: break;
    }

    if (m_focus && (m_focus.object->article() || m_focus.object->picture())) {
        switch (virtualKey) {
        case vk::kLeft:
        case vk::kRight: m_host.scrollBarKey(*m_focus.object, ScrollAxis::Horizontal, virtualKey); return true;
        case vk::kPrior:
        case vk::kNext:
        case vk::kEnd:
        case vk::kHome:
        case vk::kUp:
        case vk::kDown: m_host.scrollBarKey(*m_focus.object, ScrollAxis::Vertical, virtualKey); return true;
        default: break;
        }
    }

    if (accelerated) {
        activateButton(accelerated);
        return true;
    }
    return false;
}

void InputController::activateButton(ObjectRef ref)
{
    Button_Rec* b = ref ? ref.object->button() : nullptr;
    if (!b)
        return;
    Object_Rec& o = *ref.object;
    const auto style = ButtonStyle(b->Style);
    if (style == ButtonStyle::EditField) {
        changeFocus(ref, FocusAs::EditField);
        return;
    }
    if (style != ButtonStyle::Push && style != ButtonStyle::CheckBox &&
        !(style == ButtonStyle::RadioButton && b->State == 0))
        return;
    // Events run during the held look; a repeated Enter arriving then would
    // press the same button again from its held state and, for a check box,
    // undo the first press. One keyboard press at a time.
    if (m_activating)
        return;
    m_activating = true;
    const uint8_t saved = b->State;
    const Redraw how = pressRedraw(o);
    b->State = style == ButtonStyle::Push ? 1 : 2;
    m_host.redrawObject(o, how);
    if (m_host.publication().settings.TabButtons)
        changeFocus(ref);
    m_host.waitProcessingEvents(150);
    m_activating = false;
    finishButton(o, saved, true, how);
}

void InputController::moveFocus(PageObjects::Direction direction)
{
    const PublicationSettings& s = m_host.publication().settings;
    const ObjectRef next = view().nextTabStop(m_focus.object, direction, s.TabButtons, s.TabWindows);
    const Button_Rec* b = next ? next.object->button() : nullptr;
    changeFocus(next, b && b->Style == uint8_t(ButtonStyle::EditField) ? FocusAs::EditField : FocusAs::Object);
}

} // namespace lumeria
