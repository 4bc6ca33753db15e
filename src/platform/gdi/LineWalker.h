#pragma once

#include <QPoint>
#include <cstdlib>

namespace lumeria::gdi {

// Steps a line from a to b the way GDI does: integer Bresenham along the major
// axis, one pixel per major step, and the end point itself left out (GDI
// excludes the last pixel of a line so that joined segments meet once).
// Where the true line passes exactly half-way between two pixels, the one with
// the smaller minor coordinate is taken, whichever way the line runs.
template <class Plot>
void walkLine(QPoint a, QPoint b, Plot&& plot)
{
    const int dx = std::abs(b.x() - a.x());
    const int dy = std::abs(b.y() - a.y());
    const int sx = b.x() >= a.x() ? 1 : -1;
    const int sy = b.y() >= a.y() ? 1 : -1;
    int x = a.x();
    int y = a.y();
    if (dx >= dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < dx; ++i) {
            plot(x, y);
            if (err > 0 || (err == 0 && sy < 0)) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < dy; ++i) {
            plot(x, y);
            if (err > 0 || (err == 0 && sx < 0)) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

} // namespace lumeria::gdi
