#include "popups/PopUpImageForm.h"

#include "platform/gdi/Canvas.h"
#include "platform/image/PictureDecoder.h"
#include "popups/PopupWindow.h"
#include "render/PictureBlit.h"

#include <QPaintEvent>

#include <QPainter>
#include <exception>

namespace lumeria {

namespace {

// The form's face, what shows before the picture is revealed over it.
constexpr gdi::ColorRef kFormFace = gdi::systemColour(gdi::SystemColour::ButtonFace);

bool drawsAsBitmap(const QString& file, const DecodedPicture& picture)
{
    if (picture.transparency == PictureTransparency::AlphaMask)
        return false;
    // Icons and metafiles keep their own format under compression, so the
    // name alone tells them apart whatever the publication's settings.
    const PictureFormat format = pictureFormatFor(file, false);
    return format != PictureFormat::Icon && format != PictureFormat::Metafile;
}

} // namespace

TPopUpImageForm::TPopUpImageForm(const QString& file, const DecodedPicture& picture, QWidget* owner)
    : m_picture(picture.image.width(), picture.image.height(), kFormFace),
      m_screen(picture.image.width(), picture.image.height(), kFormFace), m_bitmap(drawsAsBitmap(file, picture))
{
    makePopupWindow(*this, owner);
    setObjectName(QStringLiteral("PopUpImageForm"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!m_picture.isNull()) {
        gdi::Canvas canvas(m_picture);
        blitPicture(canvas, picture, m_picture.rect(), PictureDrawing::Plain);
    }
    setFixedSize(m_picture.width(), m_picture.height());
}

void TPopUpImageForm::reveal(const Reveal& reveal)
{
    if (m_picture.isNull())
        return;
    if (reveal && m_bitmap) {
        // An effect that fails part way costs the effect, not the picture:
        // the plain copy below still shows all of it.
        try {
            gdi::Canvas canvas(m_screen);
            reveal(canvas, m_screen.rect(), m_picture, [this](const gdi::Rect& r) { repaint(gdi::toQRect(r)); });
        } catch (const std::exception&) {
        }
    }
    gdi::Canvas canvas(m_screen);
    canvas.bitBlt(m_screen.rect(), m_picture.view(), QPoint(0, 0));
    repaint();
}

void TPopUpImageForm::paintEvent(QPaintEvent* event)
{
    if (m_screen.isNull())
        return;
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area.topLeft(), m_screen.image(), area);
}

} // namespace lumeria
