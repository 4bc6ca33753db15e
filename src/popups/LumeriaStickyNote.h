#pragma once

#include "popups/PopupControl.h"

namespace lumeria {

// A sticky note: a framed coloured rectangle over a grey shadow band, the
// caption centred in it.
class TLumeriaStickyNote : public PopupControl {
    Q_OBJECT
public:
    explicit TLumeriaStickyNote(QWidget* parent = nullptr);

    int shadowSize() const { return m_shadowSize; }
    void setShadowSize(int value);

    gdi::Rect noteRect() const { return {0, 0, width(), height() - m_shadowSize}; }

protected:
    void paintShape(gdi::Canvas& canvas, const gdi::Rect& client) override;

private:
    int m_shadowSize = 5;
};

} // namespace lumeria
