#include "popups/PopupWindow.h"

#include <QWidget>
#include <QWindow>

namespace lumeria {

void makePopupWindow(QWidget& popup, QWidget* owner)
{
    popup.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    popup.setAttribute(Qt::WA_ShowWithoutActivating);
    popup.setFocusPolicy(Qt::NoFocus);
    if (!owner)
        return;
    QWidget* top = owner->window();
    popup.winId();
    if (QWindow* handle = popup.windowHandle(); handle && top && top->windowHandle())
        handle->setTransientParent(top->windowHandle());
}

} // namespace lumeria
