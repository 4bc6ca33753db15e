#pragma once

#include "popups/PopupControl.h"

namespace lumeria {

// A sticky note: a framed coloured rectangle over a grey shadow band, the
// caption centred in it.
class TLumeriaStickyNote : public PopupControl {
    Q_OBJECT
public:
    explicit TLumeriaStickyNote(QWidget* parent = nullptr);

    gdi::ColorRef backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(gdi::ColorRef value);
    int xOffset() const { return m_xOffset; }
    void setXOffset(int value);
    int yOffset() const { return m_yOffset; }
    void setYOffset(int value);
    int shadowSize() const { return m_shadowSize; }
    void setShadowSize(int value);

    gdi::Rect noteRect() const { return {0, 0, width(), height() - m_shadowSize}; }

protected:
    void paintShape(gdi::Canvas& canvas, const gdi::Rect& client) override;

private:
    gdi::ColorRef m_backgroundColor = gdi::rgb(255, 255, 0);
    int m_xOffset = 8;
    int m_yOffset = 8;
    int m_shadowSize = 5;
};

} // namespace lumeria
