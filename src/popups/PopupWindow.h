#pragma once

class QWidget;

namespace lumeria {

// Makes a widget a borderless stay-on-top pop-up that never takes the focus.
// The owner only decides which window the pop-up stays over: it is never the
// pop-up's Qt parent, so a window torn down during the wait cannot delete a
// pop-up that its command still holds.
void makePopupWindow(QWidget& popup, QWidget* owner);

} // namespace lumeria
