#pragma once

#include "popups/PopupControl.h"
#include "popups/PopupPlacement.h"

namespace lumeria {

// A speech balloon: a rounded body with a triangular stem out of one side,
// the caption centred in the body.
class TLumeriaBalloon : public PopupControl {
    Q_OBJECT
public:
    explicit TLumeriaBalloon(QWidget* parent = nullptr);

    int cornerSize() const { return m_cornerSize; }
    void setCornerSize(int value);
    TBalloonStemPos stemPos() const { return m_stemPos; }
    void setStemPos(TBalloonStemPos value);
    int stemSize() const { return m_stemSize; }
    void setStemSize(int value);
    int stemWidth() const { return m_stemWidth; }
    void setStemWidth(int value);
    int stemOffset() const { return m_stemOffset; }
    void setStemOffset(int value);

    // The body: the client less the band the stem takes.
    gdi::Rect bodyRect() const;

protected:
    void paintShape(gdi::Canvas& canvas, const gdi::Rect& client) override;

private:
    void drawStem(gdi::Canvas& canvas, const gdi::Rect& client) const;

    int m_cornerSize = 16;
    TBalloonStemPos m_stemPos = TBalloonStemPos::spLeft;
    int m_stemSize = 12;
    int m_stemWidth = 4;
    int m_stemOffset = 0;
};

} // namespace lumeria
