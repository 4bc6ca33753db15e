#include "media/surface/VideoSurface.h"

#include <QPainter>

namespace lumeria::media {

VideoSurface::VideoSurface(QWidget* parent, const QRect& display) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(display);
    // Nothing shows until the first picture: a video's area does not go
    // blank before its first frame is decoded.
    hide();
}

void VideoSurface::present(const QImage& frame)
{
    m_frame = frame;
    if (isHidden())
        show();
    update();
}

void VideoSurface::paintEvent(QPaintEvent*)
{
    if (m_frame.isNull())
        return;
    QPainter painter(this);
    // Pixels are scaled as the page's are, without smoothing: animations
    // are drawn in a palette and were meant to be seen crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), m_frame);
}

} // namespace lumeria::media
