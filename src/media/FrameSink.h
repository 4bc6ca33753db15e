#pragma once

#include <QImage>
#include <QRect>

namespace lumeria::media {

// Where a video or an animation shows its pictures: a surface over the page
// that the window owns, never the page's own pixels, so the page is there
// again, unchanged, when the surface goes. Every call comes on the UI thread.
class FrameSink {
public:
    virtual ~FrameSink() = default;

    // The picture to show now, scaled to the rectangle. Pixels with alpha
    // below 255 (Format_ARGB32_Premultiplied) let the page show through.
    virtual void present(const QImage& frame) = 0;
    // Where it shows, in window coordinates.
    virtual void setRectangle(const QRect& display) = 0;
    virtual QRect rectangle() const = 0;
    virtual void setVisible(bool visible) = 0;
};

} // namespace lumeria::media
