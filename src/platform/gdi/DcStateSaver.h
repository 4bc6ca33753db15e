#pragma once

#include "platform/gdi/Canvas.h"

namespace lumeria::gdi {

// Saves the canvas state on construction and restores it on destruction, so
// a helper that narrows the clip or swaps the pen cannot leak either.
class DcStateSaver {
public:
    explicit DcStateSaver(Canvas& canvas) : m_canvas(canvas) { m_canvas.save(); }
    ~DcStateSaver() { m_canvas.restore(); }

    DcStateSaver(const DcStateSaver&) = delete;
    DcStateSaver& operator=(const DcStateSaver&) = delete;

private:
    Canvas& m_canvas;
};

} // namespace lumeria::gdi
