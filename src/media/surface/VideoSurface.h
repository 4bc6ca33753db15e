#pragma once

#include "media/FrameSink.h"

#include <QImage>
#include <QWidget>

namespace lumeria::media {

// The one widget of media: a child of the work area where a video or an
// animation shows, over the page and never in it, so the page is there again
// when it goes. Clicks pass through to the page beneath, and transparent
// pixels of an animation let the page show through.
class VideoSurface final : public QWidget, public FrameSink {
    Q_OBJECT
public:
    VideoSurface(QWidget* parent, const QRect& display);

    void present(const QImage& frame) override;
    void setRectangle(const QRect& display) override { setGeometry(display); }
    QRect rectangle() const override { return geometry(); }
    void setVisible(bool visible) override { QWidget::setVisible(visible); }

    const QImage& frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_frame;
};

} // namespace lumeria::media
