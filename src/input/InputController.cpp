#include "input/InputController.h"

#include "input/KeyFilter.h"
#include "platform/gdi/Colour.h"
#include "platform/gdi/Font.h"

#include <QColor>
#include <QWidget>

namespace lumeria {

namespace {

QColor qcolour(int32_t colour)
{
    return QColor::fromRgb(gdi::pixelFromColour(gdi::ColorRef(colour)));
}

} // namespace

InputController::InputController(InteractionHost& host, const MillisecondClock* clock) : m_host(host), m_clock(clock)
{
    if (!m_clock) {
        m_ownClock = std::make_unique<SteadyMillisecondClock>();
        m_clock = m_ownClock.get();
    }
    m_lastActivity = m_clock->now();
    m_keyFilter = std::make_unique<KeyFilter>(*this, host);
}

InputController::~InputController() = default;

QObject* InputController::keyFilter() const
{
    return m_keyFilter.get();
}

PageObjects InputController::view() const
{
    Document& document = m_host.publication().document;
    return PageObjects(document, document.currentPage());
}

Redraw InputController::pressRedraw(const Object_Rec& o) const
{
    // A pressed look is drawn over the released one: with a frame and a
    // fill the page shows through, the old frame would show too.
    const bool seeThrough = o.LineWidth > 0 && o.fillShowsThrough();
    return seeThrough || view().overlapped(o) ? Redraw::Area : Redraw::Alone;
}

Redraw InputController::refreshRedraw(const Object_Rec& o) const
{
    return o.fillShowsThrough() || view().overlapped(o) ? Redraw::Area : Redraw::Alone;
}

// The end of a click, from the mouse or the keyboard: final state, look,
// variable, then the Action, which comes last because it may leave the page.
void InputController::finishButton(Object_Rec& object, uint8_t savedState, bool clicked, Redraw how)
{
    Button_Rec* b = object.button();
    if (!b)
        return;
    const auto style = ButtonStyle(b->Style);
    b->State = (style == ButtonStyle::Push || savedState != 0) ? 0 : 1;
    if (clicked)
        m_host.redrawObject(object, how);
    if (!b->VarName.isEmpty()) {
        if (style == ButtonStyle::CheckBox) {
            m_host.setVariable(b->VarName, b->State == 1 ? QStringLiteral("Checked") : QString());
        } else if (style == ButtonStyle::RadioButton) {
            m_host.setVariable(b->VarName, b->Text);
            clearRadioGroup(object);
        }
    }
    // The variable's listeners may have run scripts; the Action is read now.
    if (clicked && !b->Action.isEmpty())
        m_host.runScript(QString(b->Action));
}

void InputController::clearRadioGroup(const Object_Rec& selected)
{
    const Button_Rec* sb = selected.button();
    if (!sb)
        return;
    const QString group = sb->VarName;
    Document& document = m_host.publication().document;
    const PageObjects shown = view();
    auto clear = [&](Page_Rec& page) {
        for (auto& o : page.Objects) {
            Button_Rec* b = o->button();
            if (!b || o.get() == &selected || b->VarName != group || b->State != 1)
                continue;
            b->State = 0;
            if (shown.shows(*o))
                m_host.redrawObject(*o, refreshRedraw(*o));
        }
    };
    clear(document.master());
    for (const auto& page : document.pages())
        clear(*page);
}

EditField* InputController::editField()
{
    if (!m_edit) {
        QWidget* parent = m_host.editFieldParent();
        if (!parent)
            return nullptr;
        m_edit = std::make_unique<EditField>(parent);
    }
    return m_edit.get();
}

QRect InputController::editFieldRect(const Object_Rec& o, int mHeight, bool multiLine)
{
    const int lw = o.LineWidth;
    const int left = o.X1 + lw + 1;
    const int width = o.X2 - o.X1 - 2 * lw - 2;
    if (multiLine)
        return QRect(left, o.Y1 + lw + 1, width, o.Y2 - o.Y1 - 2 * lw - 2);
    // Both divisions truncate, as the field has always been centred.
    const int top = o.Y1 + lw + (o.Y2 - o.Y1 - 2 * lw) / 2 - mHeight / 2;
    return QRect(left, top, width, mHeight);
}

void InputController::changeFocus(ObjectRef target, FocusAs as)
{
    if (m_focus) {
        if (m_editActive) {
            m_editActive = false;
            if (m_edit) {
                m_edit->onChange = nullptr;
                // Keys must keep reaching the window once the control is
                // gone, not wander to whatever widget Qt picks next.
                QWidget* w = m_edit->widget();
                const bool hadFocus = w && w->hasFocus();
                m_edit->hide();
                if (hadFocus && m_edit->parent())
                    m_edit->parent()->setFocus(Qt::OtherFocusReason);
            }
            m_host.redrawObject(*m_focus.object, Redraw::Alone);
        }
        if (m_frameShown) {
            m_host.toggleFocusFrame(*m_focus.object);
            m_frameShown = false;
        }
    }
    m_focus = {};

    Button_Rec* b = target ? target.object->button() : nullptr;
    if (as == FocusAs::EditField && b) {
        if (EditField* edit = editField()) {
            const Object_Rec& o = *target.object;
            const gdi::Font font = gdi::Font::fromPoints(b->Font, b->FontSize, b->FontStyle);
            const int mHeight = font.textExtent(QStringLiteral("M")).height();
            EditFieldLook look;
            look.multiLine = b->WordWrap;
            QRect r = editFieldRect(o, mHeight, look.multiLine).translated(m_host.pageOrigin());
            r.setWidth(std::max(0, r.width()));
            r.setHeight(std::max(0, r.height()));
            look.geometry = r;
            look.font = font.qfont();
            look.textColour = qcolour(b->TextColor);
            look.background = qcolour(o.FillColor);
            look.maxLength = std::max(0, b->MaxLen);
            edit->show(look, b->EditText);
            edit->onChange = [this] { EditFieldChange(); };
            m_editActive = true;
        }
    }
    m_focus = target;
    // The flag changes only once the frame is drawn: the host may first
    // paint what is pending on the page, with the frame as the flag says
    // it is, and the XOR must find the pixels that are really there.
    if (m_focus && !m_editActive) {
        m_host.toggleFocusFrame(*m_focus.object);
        m_frameShown = true;
    }
}

void InputController::EditFieldChange()
{
    if (!m_editActive || !m_focus || !m_edit)
        return;
    Object_Rec* object = m_focus.object;
    Button_Rec* b = object->button();
    if (!b)
        return;
    b->EditText = m_edit->text();
    if (!b->VarName.isEmpty())
        m_host.setVariable(b->VarName, b->EditText);
    if (!b->Action.isEmpty())
        m_host.runScript(QString(b->Action));
}

void InputController::resetIdle()
{
    if (m_host.publication().settings.AutoReturn)
        m_lastActivity = m_clock->now();
}

void InputController::TimerTimer()
{
    refreshBoundObjects(QString());
    const PublicationSettings& s = m_host.publication().settings;
    if (m_idleSuspended || !s.AutoReturn || s.ReturnTime <= 0 || s.ReturnAction.isEmpty())
        return;
    // 64-bit: a ReturnTime of millions of minutes must not wrap into "now".
    const int64_t due = m_lastActivity + int64_t(s.ReturnTime) * 60000;
    if (m_clock->now() >= due)
        m_host.runScript(QString(s.ReturnAction));
}

void InputController::beforePageChange()
{
    clearFocus();
    m_shownTexts.clear();
}

void InputController::afterPageShown()
{
    if (m_focus)
        clearFocus();
    moveFocus(PageObjects::Direction::Forward);
    resetIdle();
}

} // namespace lumeria
