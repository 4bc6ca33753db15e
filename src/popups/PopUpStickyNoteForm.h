#pragma once

#include <QWidget>

namespace lumeria {

class TLumeriaStickyNote;

// The sticky-note pop-up: one note filling the form, sized to its text.
class TPopUpStickyNoteForm : public QWidget {
    Q_OBJECT
public:
    explicit TPopUpStickyNoteForm(QWidget* owner = nullptr);

    TLumeriaStickyNote* stickyNote() const { return m_stickyNote; }

    // Sets the text and sizes the form to it: the text's label size plus the
    // margins on both sides and the shadow's band.
    void setText(const QString& text);

private:
    TLumeriaStickyNote* m_stickyNote = nullptr;
};

} // namespace lumeria
