#pragma once

#include <QPrintDialog>

namespace lumeria {

// The print dialog, placed where the player's dialogs stand: centred
// across the screen with its top a third of the way down the space the
// dialog leaves free.
class TPrintSetupDialog : public QPrintDialog {
    Q_OBJECT
public:
    TPrintSetupDialog(QPrinter& printer, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace lumeria
