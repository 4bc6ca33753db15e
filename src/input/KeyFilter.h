#pragma once

#include <QObject>

class QWheelEvent;
class QWidget;

namespace lumeria {

class InputController;
class InteractionHost;

// Sees key presses before any widget does, as long as they are meant for
// the main window (the widget with the focus lies in it) or for the edit
// control, and hands them to the controller's dispatch. A consumed key goes
// no further; any other goes on to the focused widget, so typing still
// reaches an edit field after its accelerators had their chance. Wheel
// turns over the work area, the widgets on it included, go to the
// controller the same way, so that the object under the pointer scrolls and
// not the bar widget or the window that happens to receive the turn.
class KeyFilter final : public QObject {
public:
    KeyFilter(InputController& controller, InteractionHost& host) : m_controller(controller), m_host(host) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool wheel(QWidget& widget, const QWheelEvent& wheel);

    InputController& m_controller;
    InteractionHost& m_host;
};

} // namespace lumeria
