#include "popups/PopUpBalloonForm.h"

#include "popups/LumeriaBalloon.h"
#include "popups/PopupText.h"
#include "popups/PopupWindow.h"

namespace lumeria {

TPopUpBalloonForm::TPopUpBalloonForm(QWidget* owner)
{
    makePopupWindow(*this, owner);
    setObjectName(QStringLiteral("PopUpBalloonForm"));
    m_textBalloon = new TLumeriaBalloon(this);
    m_textBalloon->setObjectName(QStringLiteral("TextBalloon"));
    m_textBalloon->setAlignment(gdi::HorizontalAlign::Centre);
    m_textBalloon->setXOffset(8);
    m_textBalloon->setYOffset(8);
    m_textBalloon->setStemPos(TBalloonStemPos::spBottom);
    m_textBalloon->setStemSize(16);
    m_textBalloon->setStemOffset(0);
    resize(171, 131);
    m_textBalloon->setGeometry(rect());
}

void TPopUpBalloonForm::setText(const QString& text)
{
    const QSize label = measureLabel(m_textBalloon->popupFont(), text);
    m_textBalloon->setCaption(text);
    const int width = label.width() + 2 * m_textBalloon->xOffset();
    const int height = label.height() + 2 * m_textBalloon->yOffset() + m_textBalloon->stemSize();
    setFixedSize(width, height);
    m_textBalloon->setGeometry(0, 0, width, height);
}

} // namespace lumeria
