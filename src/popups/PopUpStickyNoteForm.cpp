#include "popups/PopUpStickyNoteForm.h"

#include "popups/LumeriaStickyNote.h"
#include "popups/PopupText.h"
#include "popups/PopupWindow.h"

namespace lumeria {

namespace {

// Red and green full, blue half: paler than the component's own yellow.
constexpr gdi::ColorRef kNoteYellow = 8454143;

} // namespace

TPopUpStickyNoteForm::TPopUpStickyNoteForm(QWidget* owner)
{
    makePopupWindow(*this, owner);
    setObjectName(QStringLiteral("PopUpStickyNoteForm"));
    m_stickyNote = new TLumeriaStickyNote(this);
    m_stickyNote->setObjectName(QStringLiteral("StickyNote"));
    m_stickyNote->setBackgroundColor(kNoteYellow);
    resize(181, 96);
    m_stickyNote->setGeometry(rect());
}

void TPopUpStickyNoteForm::setText(const QString& text)
{
    const QSize label = measureLabel(m_stickyNote->popupFont(), text);
    m_stickyNote->setCaption(text);
    const int width = label.width() + 2 * m_stickyNote->xOffset();
    const int height = label.height() + 2 * m_stickyNote->yOffset() + m_stickyNote->shadowSize();
    setFixedSize(width, height);
    m_stickyNote->setGeometry(0, 0, width, height);
}

} // namespace lumeria
