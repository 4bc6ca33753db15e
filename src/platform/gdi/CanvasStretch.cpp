// StretchDIBits as GDI draws it. The rules for the source area, mirroring,
// clipping and the walk that maps destination pixels to source pixels were
// learnt from Wine's gdi32/win32u (dib.c, bitblt.c, dibdrv/bitblt.c, LGPL),
// whose output for them matches the hashes recorded on Windows that the
// drawing-hash test holds this code to; the code is our own.
#include "platform/gdi/Canvas.h"
#include "platform/gdi/StretchWalk.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace lumeria::gdi {

namespace {

// One side of a blit: the signed area, and the part of it that is visible
// (on the surface and in the clip for the destination, inside the bitmap
// for the source).
struct Side {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Rect vis;
};

// The pixels a signed area covers. A negative extent counts back from the
// pixel before its start, so x = 5, width = -2 covers 4 and 5.
Rect coveredRect(int x, int y, int width, int height)
{
    Rect r{x, y, x + width, y + height};
    if (r.left > r.right)
        r = {r.right + 1, r.top, r.left + 1, r.bottom};
    if (r.top > r.bottom)
        r = {r.left, r.bottom + 1, r.right, r.top + 1};
    return r;
}

Rect ordered(Rect r)
{
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

// Unlike Rect::intersected, keeps the (empty) overlap's coordinates: the
// caller only asks whether anything is left.
bool intersectInto(Rect& into, const Rect& a, const Rect& b)
{
    into = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    return !into.isEmpty();
}

int64_t scaled(int64_t v, int numerator, int denominator)
{
    return v * numerator / denominator; // truncates toward zero, as GDI does
}

int fit(int64_t v)
{
    return int(std::clamp<int64_t>(v, INT32_MIN / 4, INT32_MAX / 4));
}

// Narrows both visible rectangles to what the other side can give. Without
// stretching the two are the same pixels moved; with stretching each is
// mapped through the scale into the other, with a pixel of slack either side
// for the rounding.
bool meetVisibleParts(Side& dst, Side& src)
{
    if (src.width == dst.width && src.height == dst.height) {
        const int dx = dst.x - src.x, dy = dst.y - src.y;
        Rect both;
        if (!intersectInto(both, src.vis.translated(dx, dy), dst.vis))
            return false;
        dst.vis = both;
        src.vis = both.translated(-dx, -dy);
        return true;
    }
    Rect r = src.vis.translated(-src.x - (src.width < 0 ? 1 : 0), -src.y - (src.height < 0 ? 1 : 0));
    r = ordered({fit(scaled(r.left, dst.width, src.width)), fit(scaled(r.top, dst.height, src.height)),
                 fit(scaled(r.right, dst.width, src.width)), fit(scaled(r.bottom, dst.height, src.height))});
    // A mirrored source that does not fit in the bitmap does not mirror the
    // destination: its area moves instead.
    if (src.width < 0 && dst.width > 0 && (src.x + src.width + 1 < src.vis.left || src.x > src.vis.right))
        dst.x += (dst.width - r.right) - r.left;
    else if (src.width > 0 && dst.width < 0 && (src.x < src.vis.left || src.x + src.width > src.vis.right))
        dst.x -= r.right - (dst.width - r.left);
    if (src.height < 0 && dst.height > 0 && (src.y + src.height + 1 < src.vis.top || src.y > src.vis.bottom))
        dst.y += (dst.height - r.bottom) - r.top;
    else if (src.height > 0 && dst.height < 0 && (src.y < src.vis.top || src.y + src.height > src.vis.bottom))
        dst.y -= r.bottom - (dst.height - r.top);
    r = r.translated(dst.x, dst.y);
    if (!intersectInto(dst.vis, {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}, dst.vis))
        return false;

    r = dst.vis.translated(-dst.x - (dst.width < 0 ? 1 : 0), -dst.y - (dst.height < 0 ? 1 : 0));
    r = ordered({fit(src.x + scaled(r.left, src.width, dst.width)), fit(src.y + scaled(r.top, src.height, dst.height)),
                 fit(src.x + scaled(r.right, src.width, dst.width)),
                 fit(src.y + scaled(r.bottom, src.height, dst.height))});
    return intersectInto(src.vis, {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}, src.vis);
}

} // namespace

// One axis of a stretch, walked like a line from (source start, destination
// start) to the far ends: the longer side steps every pixel, the shorter one
// when the error term says the next pixel centre is nearer. The error starts
// half a step later than a line's, so each destination pixel takes the
// source pixel under its centre. Only cells inside both visible ranges are
// kept; they come out contiguous.
std::vector<AxisCell> walkAxis(int dstStart, int dstLength, int dstVisStart, int dstVisEnd, int srcStart, int srcLength,
                               int srcVisStart, int srcVisEnd)
{
    std::vector<AxisCell> cells;
    const int64_t dx = std::abs(int64_t(srcLength)), dy = std::abs(int64_t(dstLength));
    const int srcInc = srcLength < 0 ? -1 : 1, dstInc = dstLength < 0 ? -1 : 1;
    const bool shrinking = dx > dy;
    const int64_t major = shrinking ? dx : dy, minor = shrinking ? dy : dx;
    int64_t err = 3 * minor - 2 * major;
    const int64_t addStep = 2 * minor - 2 * major, addStay = 2 * minor;
    int64_t s = srcStart, d = dstStart;
    for (int64_t i = 0; i < major; ++i) {
        if (s >= srcVisStart && s < srcVisEnd && d >= dstVisStart && d < dstVisEnd) {
            if (!cells.empty() && cells.back().dst == int(d))
                cells.back().last = int(s);
            else
                cells.push_back({int(d), int(s), int(s)});
        }
        const bool step = err > 0;
        err += step ? addStep : addStay;
        if (shrinking) {
            s += srcInc;
            if (step)
                d += dstInc;
        } else {
            d += dstInc;
            if (step)
                s += srcInc;
        }
    }
    return cells;
}

namespace {

// The source pixels of one cell merged by the stretch mode.
uint32_t mergedPixel(SurfaceView source, const AxisCell& row, const AxisCell& column, StretchMode mode)
{
    if (mode == StretchMode::DeleteScans) {
        // The first row of those that merge, the last pixel along it.
        return source.pixel(column.last, row.first);
    }
    const int rowStep = row.last >= row.first ? 1 : -1, columnStep = column.last >= column.first ? 1 : -1;
    if (mode == StretchMode::Halftone) {
        // On a true-colour surface each destination pixel is the mean of the
        // source pixels it covers, channel by channel, rounded.
        uint64_t red = 0, green = 0, blue = 0, count = 0;
        for (int y = row.first;; y += rowStep) {
            const uint32_t* line = source.scanLine(y);
            for (int x = column.first;; x += columnStep) {
                red += (line[x] >> 16) & 0xFF;
                green += (line[x] >> 8) & 0xFF;
                blue += line[x] & 0xFF;
                ++count;
                if (x == column.last)
                    break;
            }
            if (y == row.last)
                break;
        }
        auto mean = [count](uint64_t sum) { return uint32_t((sum + count / 2) / count); };
        return 0xFF000000u | mean(red) << 16 | mean(green) << 8 | mean(blue);
    }
    uint32_t merged = mode == StretchMode::AndScans ? ~0u : 0u;
    for (int y = row.first;; y += rowStep) {
        const uint32_t* line = source.scanLine(y);
        for (int x = column.first;; x += columnStep) {
            merged = mode == StretchMode::AndScans ? merged & line[x] : merged | line[x];
            if (x == column.last)
                break;
        }
        if (y == row.last)
            break;
    }
    return merged;
}

} // namespace

int Canvas::stretchDibits(const BlitArea& dest, const Dib& dib, const BlitArea& sourceArea, Rop3 rop)
{
    if (dib.pixels.isNull())
        return 0;
    const int height = dib.pixels.height();
    const bool srcCopy = ((rop >> 16) & 0xFF) == 0xCC;

    const QPoint from = toDevice(QPoint(clampCoordinate(dest.x), clampCoordinate(dest.y)));
    const QPoint to =
        toDevice(QPoint(clampCoordinate(int64_t(dest.x) + dest.width), clampCoordinate(int64_t(dest.y) + dest.height)));
    Side dst{from.x(), from.y(), to.x() - from.x(), to.y() - from.y(), {}};
    Side src{clampCoordinate(sourceArea.x),
             clampCoordinate(sourceArea.y),
             clampCoordinate(sourceArea.width),
             clampCoordinate(sourceArea.height),
             {}};

    const bool wholeUnstretched = src.x == 0 && src.y == 0 && src.width == dst.width && src.height == dst.height;
    const BitMask* written = dib.written && wholeUnstretched && srcCopy ? dib.written : nullptr;
    // A one-pixel destination takes one source pixel less.
    if (!srcCopy || wholeUnstretched) {
        if (dst.width == 1 && src.width > 1)
            --src.width;
        if (dst.height == 1 && src.height > 1)
            --src.height;
    }
    // Both mirrored by the same amount is no mirroring: other codes than
    // SRCCOPY turn such areas around, one pixel further along than their
    // cover.
    if (!srcCopy) {
        if (dst.width < 0 && dst.width == src.width) {
            dst.x += dst.width;
            src.x += src.width;
            dst.width = -dst.width;
            src.width = -src.width;
        }
        if (dst.height < 0 && dst.height == src.height) {
            dst.y += dst.height;
            src.y += src.height;
            dst.height = -dst.height;
            src.height = -src.height;
        }
    }
    // The source's y counts from the first stored row: the bottom one of a
    // bottom-up bitmap. Windows also counts a top-down bitmap's rows from the
    // bottom for a SRCCOPY of anything but the whole bitmap unstretched.
    if (dib.bottomUp || (srcCopy && !wholeUnstretched))
        src.y = height - src.y - src.height;
    if (src.y >= height && src.y + src.height + 1 < height)
        src.y = height - 1;
    else if (src.y > 0 && src.y + src.height + 1 < 0)
        src.y = -src.height - 1;

    const int lines = srcCopy || dib.bottomUp ? height : -height;
    if (!stretchDevice({dst.x, dst.y, dst.width, dst.height}, dib.pixels, {src.x, src.y, src.width, src.height}, rop,
                       written))
        return 0;
    return lines;
}

void Canvas::stretchBlt(const BlitArea& dest, SurfaceView source, const BlitArea& sourceArea, Rop3 rop)
{
    if (dest.width == 0 || dest.height == 0 || sourceArea.width == 0 || sourceArea.height == 0)
        return;
    if (!rop3UsesSource(rop)) {
        // The pixels a mirrored area covers, as a copy would fill them.
        patBlt(coveredRect(fit(dest.x), fit(dest.y), fit(int64_t(dest.width)), fit(int64_t(dest.height))), rop);
        return;
    }
    if (source.isNull())
        return;
    const QPoint from = toDevice(QPoint(clampCoordinate(dest.x), clampCoordinate(dest.y)));
    const QPoint to =
        toDevice(QPoint(clampCoordinate(int64_t(dest.x) + dest.width), clampCoordinate(int64_t(dest.y) + dest.height)));
    // A device bitmap's rows run top down, so the source area is as given.
    stretchDevice({from.x(), from.y(), to.x() - from.x(), to.y() - from.y()}, source,
                  {clampCoordinate(sourceArea.x), clampCoordinate(sourceArea.y), clampCoordinate(sourceArea.width),
                   clampCoordinate(sourceArea.height)},
                  rop, nullptr);
}

bool Canvas::stretchDevice(const BlitArea& dest, SurfaceView source, const BlitArea& sourceArea, Rop3 rop,
                           const BitMask* written)
{
    Side dst{dest.x, dest.y, dest.width, dest.height, {}};
    Side src{sourceArea.x, sourceArea.y, sourceArea.width, sourceArea.height, {}};
    if (!intersectInto(src.vis, Rect{0, 0, source.width(), source.height()},
                       coveredRect(src.x, src.y, src.width, src.height)))
        return false;
    const Rect visible = m_target.rect().intersected(m_state.clip.boundingRect());
    if (!intersectInto(dst.vis, coveredRect(dst.x, dst.y, dst.width, dst.height), visible))
        return true;
    if (!meetVisibleParts(dst, src))
        return true;

    if (src.width == dst.width && src.height == dst.height) {
        // The same pixels moved, even where both extents are negative.
        blitRows(dst.vis, source, {src.vis.left - dst.vis.left, src.vis.top - dst.vis.top}, rop, written);
        return true;
    }
    const std::vector<AxisCell> rows =
        walkAxis(dst.y, dst.height, dst.vis.top, dst.vis.bottom, src.y, src.height, src.vis.top, src.vis.bottom);
    const std::vector<AxisCell> columns =
        walkAxis(dst.x, dst.width, dst.vis.left, dst.vis.right, src.x, src.width, src.vis.left, src.vis.right);
    if (rows.empty() || columns.empty())
        return true;
    const auto [minRow, maxRow] = std::minmax({rows.front().dst, rows.back().dst});
    const auto [minColumn, maxColumn] = std::minmax({columns.front().dst, columns.back().dst});
    const Rect area{minColumn, minRow, maxColumn + 1, maxRow + 1};
    // Built apart before it is blitted, so a source that is the target
    // itself is read before any of it is written.
    Surface stretched(area.width(), area.height());
    SurfaceView out = stretched.view();
    if (out.isNull())
        return true;
    for (const AxisCell& row : rows) {
        uint32_t* line = out.scanLine(row.dst - area.top);
        for (const AxisCell& column : columns)
            line[column.dst - area.left] = mergedPixel(source, row, column, m_state.stretchMode);
    }
    blitRows(area, out, {-area.left, -area.top}, rop);
    return true;
}

int Canvas::setDibitsToDevice(QPoint dest, QSize size, QPoint source, int startScan, const Dib& rows)
{
    if (rows.pixels.isNull())
        return 0;
    int lines = rows.pixels.height();
    // Flip the source to the carried rows' top-down order. A bottom-up
    // bitmap sheds the rows above the area; a top-down one keeps its count.
    const int64_t sourceTop = int64_t(startScan) + lines - (int64_t(source.y()) + size.height());
    int64_t top = sourceTop;
    int64_t firstRow = 0;
    if (top > 0) {
        if (top >= lines)
            return rows.bottomUp ? 0 : lines;
        if (rows.bottomUp) {
            lines -= int(top);
            firstRow = top;
            top = 0;
        }
    }
    auto fit = [](int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN / 4, INT32_MAX / 4)); };
    Rect src{fit(source.x()), fit(top), fit(int64_t(source.x()) + size.width()), fit(top + size.height())};
    Rect vis;
    if (!intersectInto(vis, src, Rect{0, 0, rows.pixels.width(), lines}))
        return 0;
    if (size.width() <= 0 || size.height() <= 0)
        return lines;
    const QPoint to = toDevice(QPoint(clampCoordinate(dest.x()), clampCoordinate(dest.y())));
    const int dx = to.x() - src.left, dy = to.y() - src.top;
    const Rect visible = m_target.rect().intersected(m_state.clip.boundingRect());
    Rect area;
    if (!intersectInto(area, vis.translated(dx, dy), visible))
        return lines;
    if (!intersectInto(area, area,
                       Rect{to.x(), to.y(), fit(int64_t(to.x()) + size.width()), fit(int64_t(to.y()) + size.height())}))
        return lines;
    blitRows(area, rows.pixels, {-dx, int(firstRow) - dy}, kSrcCopy);
    return lines;
}

} // namespace lumeria::gdi
