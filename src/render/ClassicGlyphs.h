#pragma once

#include <QPoint>

namespace lumeria {

namespace gdi {
class Canvas;
}

enum class GlyphKind { CheckBox, RadioButton };
enum class GlyphState { Clear, Set, Held };

inline constexpr int kGlyphSize = 13;

// The classic 13 x 13 check box and radio button: a white well sunken by a
// shadow and a dark-shadow edge, lit by white and button-face edges; a check
// mark or a dot in black when set; the well in button face while held down.
void drawClassicGlyph(gdi::Canvas& canvas, QPoint topLeft, GlyphKind kind, GlyphState state);

} // namespace lumeria
