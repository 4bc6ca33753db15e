#pragma once

#include "platform/gdi/Font.h"

#include <QPoint>
#include <QString>

class QPainter;

namespace lumeria::gdi {

// Draws runs of text on a painter exactly as QPainter::drawText(point, run)
// draws them, without shaping a run again each time it is drawn: the glyphs
// of a run are shaped once per font and kept. Runs whose drawing the kept
// glyphs could not reproduce (scripts written right to left or needing more
// than Latin shaping, control characters, underlined or struck-out fonts)
// are drawn by QPainter as before. The painter is given the font only when
// such a run needs it.
class TextRunPainter {
public:
    TextRunPainter(QPainter& painter, const Font& font);

    void draw(QPoint baselineStart, const QString& run);

private:
    QPainter& m_painter;
    const Font& m_font;
    bool m_keeps = false;
    bool m_fontSet = false;
};

} // namespace lumeria::gdi
