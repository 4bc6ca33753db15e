#include "input/KeyFilter.h"

#include "input/InputController.h"
#include "platform/VirtualKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

namespace lumeria {

bool KeyFilter::wheel(QWidget& widget, const QWheelEvent& wheel)
{
    QWidget* area = m_host.editFieldParent();
    if (!area || (&widget != area && !area->isAncestorOf(&widget)))
        return false;
    const QPoint point = area->mapFromGlobal(wheel.globalPosition().toPoint());
    if (!area->rect().contains(point))
        return false;
    // A turn nothing takes travels on to the parents, passing here again
    // with the same answer, and ends at the window's own scrolling.
    return m_controller.WorkAreaWheel(point, wheel.angleDelta());
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && watched->isWidgetType())
        return wheel(*static_cast<QWidget*>(watched), *static_cast<QWheelEvent*>(event));
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
