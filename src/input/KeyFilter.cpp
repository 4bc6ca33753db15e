#include "input/KeyFilter.h"

#include "input/InputController.h"
#include "platform/VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace lumeria {

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);

    // A key event travels up the parents of the focus widget and passes the
    // application's filters at each step; only its first receiver counts.
    EditField* edit = m_controller.editActive() ? m_controller.editField() : nullptr;
    const bool toEdit = edit && widget == edit->widget();
    if (!toEdit) {
        QWidget* main = m_host.mainWindow();
        if (!main || widget->window() != main)
            return false;
        QWidget* focus = QApplication::focusWidget();
        if (focus ? widget != focus : widget != main)
            return false;
    }

    const auto* key = static_cast<QKeyEvent*>(event);
    const int code = vk::fromQtKey(key->key(), key->modifiers());
    if (code == 0) {
        m_controller.resetIdle();
        return false;
    }
    return m_controller.keyDown(code, vk::modifierBits(key->modifiers()));
}

} // namespace lumeria
