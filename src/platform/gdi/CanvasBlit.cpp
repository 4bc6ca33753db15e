#include "platform/gdi/Canvas.h"

#include <algorithm>
#include <cstring>

namespace lumeria::gdi {

namespace {

// A private copy of part of a surface, for blits whose source and
// destination share pixels (the rows would otherwise be read after being
// overwritten).
Surface copyOf(SurfaceView source, const Rect& r)
{
    Surface copy(r.width(), r.height());
    SurfaceView view = copy.view();
    for (int y = 0; y < r.height(); ++y)
        std::memcpy(view.scanLine(y), source.scanLine(r.top + y) + r.left, size_t(r.width()) * 4);
    return copy;
}

bool sharesPixels(SurfaceView a, SurfaceView b)
{
    return !a.isNull() && a.bits() == b.bits();
}

// Runs body once with the masks function of the plan's kind: body loops
// over the pixels, and each kind gets a loop of its own with its masks
// inlined, so nothing about the code is looked at per pixel.
template <class Body>
void withMasksOf(const Rop3Plan& plan, Body&& body)
{
    constexpr uint32_t kAll = ~0u;
    switch (plan.kind) {
    case Rop3Kind::Blackness: body([](uint32_t, uint32_t) { return PixelMasks{0, 0}; }); return;
    case Rop3Kind::Whiteness: body([](uint32_t, uint32_t) { return PixelMasks{0, kAll}; }); return;
    case Rop3Kind::DstInvert: body([](uint32_t, uint32_t) { return PixelMasks{kAll, kAll}; }); return;
    case Rop3Kind::PatCopy: body([](uint32_t p, uint32_t) { return PixelMasks{0, p}; }); return;
    case Rop3Kind::PatInvert: body([](uint32_t p, uint32_t) { return PixelMasks{kAll, p}; }); return;
    case Rop3Kind::PatPaint: // P | ~S | D
        body([](uint32_t p, uint32_t s) { return PixelMasks{~(p | ~s), p | ~s}; });
        return;
    case Rop3Kind::SrcCopy: body([](uint32_t, uint32_t s) { return PixelMasks{0, s}; }); return;
    case Rop3Kind::NotSrcCopy: body([](uint32_t, uint32_t s) { return PixelMasks{0, ~s}; }); return;
    case Rop3Kind::SrcPaint: body([](uint32_t, uint32_t s) { return PixelMasks{~s, s}; }); return;
    case Rop3Kind::SrcAnd: body([](uint32_t, uint32_t s) { return PixelMasks{s, 0}; }); return;
    case Rop3Kind::SrcInvert: body([](uint32_t, uint32_t s) { return PixelMasks{kAll, s}; }); return;
    case Rop3Kind::SrcErase: body([](uint32_t, uint32_t s) { return PixelMasks{s, s}; }); return;      // S & ~D
    case Rop3Kind::NotSrcErase: body([](uint32_t, uint32_t s) { return PixelMasks{~s, ~s}; }); return; // ~(S | D)
    case Rop3Kind::MergeCopy: body([](uint32_t p, uint32_t s) { return PixelMasks{0, p & s}; }); return;
    case Rop3Kind::MergePaint: body([](uint32_t, uint32_t s) { return PixelMasks{s, ~s}; }); return; // ~S | D
    case Rop3Kind::PatternSelect: // S where P is 0, D where P is 1
        body([](uint32_t p, uint32_t s) { return PixelMasks{p, s & ~p}; });
        return;
    case Rop3Kind::Generic: break;
    }
    body([&plan](uint32_t p, uint32_t s) { return rop3Masks(plan, p, s); });
}

} // namespace

Canvas::BlitPattern Canvas::blitPattern() const
{
    // The brush's pixels, worked out once per blit: a pattern brush takes
    // the DC's colours as they are now.
    BlitPattern pattern;
    const Brush& brush = m_state.brush;
    switch (brush.style) {
    case BrushStyle::Solid: pattern.pixels[0] = devicePixel(brush.colour); break;
    case BrushStyle::Pattern: {
        const uint32_t zero = devicePixel(m_state.textColour);
        const uint32_t one = devicePixel(m_state.backgroundColour);
        pattern.width = brush.tile->width;
        pattern.height = brush.tile->height;
        pattern.pixels.resize(brush.tile->pixels.size());
        std::transform(brush.tile->pixels.begin(), brush.tile->pixels.end(), pattern.pixels.begin(),
                       [&](uint32_t bit) { return bit ? one : zero; });
        break;
    }
    case BrushStyle::ColourPattern:
        pattern.width = brush.tile->width;
        pattern.height = brush.tile->height;
        pattern.pixels = brush.tile->pixels;
        break;
    case BrushStyle::Null: break; // no pattern: all bits 0
    }
    pattern.origin = m_state.brushOrigin;
    return pattern;
}

void Canvas::BlitPattern::fillRow(int y, int left, std::vector<uint32_t>& row) const
{
    const int ty = (((y - origin.y()) % height) + height) % height;
    const uint32_t* from = pixels.data() + size_t(ty) * size_t(width);
    int tx = (((left - origin.x()) % width) + width) % width;
    for (uint32_t& p : row) {
        p = from[tx];
        tx = tx + 1 == width ? 0 : tx + 1;
    }
}

void Canvas::blitRows(const Rect& d, SurfaceView source, QPoint offset, Rop3 rop, const BitMask* written)
{
    const Rop3Plan plan = planRop3(rop);
    const QPoint writtenOffset = offset;
    Surface copy;
    if (plan.usesSource && sharesPixels(source, m_target)) {
        copy = copyOf(source, d.translated(offset.x(), offset.y()));
        source = copy.view();
        offset = QPoint(-d.left, -d.top);
    }
    const BlitPattern tile = blitPattern();
    std::vector<uint32_t> patternRow;
    withMasksOf(plan, [&](auto masksOf) {
        forEachClipPass(d, [&] {
            patternRow.resize(size_t(m_pass.width()));
            const int left = m_pass.left;
            for (int y = m_pass.top; y < m_pass.bottom; ++y) {
                uint32_t* line = m_target.scanLine(y);
                tile.fillRow(y, m_pass.left, patternRow);
                if (written) {
                    const uint32_t* src = plan.usesSource ? source.scanLine(y + offset.y()) + offset.x() : nullptr;
                    for (int x = m_pass.left; x < m_pass.right; ++x) {
                        if (written->opaque(x + writtenOffset.x(), y + writtenOffset.y()))
                            writePixel(line[x], masksOf(patternRow[size_t(x - left)], src ? src[x] : 0));
                    }
                } else if (plan.usesSource) {
                    const uint32_t* src = source.scanLine(y + offset.y()) + offset.x();
                    for (int x = m_pass.left; x < m_pass.right; ++x)
                        writePixel(line[x], masksOf(patternRow[size_t(x - left)], src[x]));
                } else {
                    for (int x = m_pass.left; x < m_pass.right; ++x)
                        writePixel(line[x], masksOf(patternRow[size_t(x - left)], 0));
                }
            }
        });
    });
}

void Canvas::patBlt(const Rect& r, Rop3 rop)
{
    if (rop3UsesSource(rop))
        return;
    blitRows(toDevice(r.normalized()), {}, {}, rop);
}

void Canvas::bitBlt(const Rect& dest, SurfaceView source, QPoint sourcePos, Rop3 rop)
{
    Rect d = toDevice(dest.normalized());
    if (!rop3UsesSource(rop)) {
        blitRows(d, {}, {}, rop);
        return;
    }
    if (source.isNull())
        return;
    const QPoint offset(clampCoordinate(sourcePos.x()) - d.left, clampCoordinate(sourcePos.y()) - d.top);
    // Only the part of the destination that has source pixels behind it.
    d = d.intersected(source.rect().translated(-offset.x(), -offset.y()));
    if (d.isEmpty())
        return;
    blitRows(d, source, offset, rop);
}

void Canvas::transparentBlt(const Rect& dest, SurfaceView source, QPoint sourcePos, const BitMask& mask)
{
    if (source.isNull())
        return;
    Rect d = toDevice(dest.normalized());
    const QPoint offset(clampCoordinate(sourcePos.x()) - d.left, clampCoordinate(sourcePos.y()) - d.top);
    d = d.intersected(source.rect().translated(-offset.x(), -offset.y()));
    if (d.isEmpty())
        return;
    Surface copy;
    QPoint shift = offset;
    if (sharesPixels(source, m_target)) {
        copy = copyOf(source, d.translated(offset.x(), offset.y()));
        source = copy.view();
        shift = QPoint(-d.left, -d.top);
    }
    forEachClipPass(d, [&] {
        for (int y = m_pass.top; y < m_pass.bottom; ++y) {
            uint32_t* line = m_target.scanLine(y);
            const uint32_t* src = source.scanLine(y + shift.y());
            for (int x = m_pass.left; x < m_pass.right; ++x) {
                if (mask.opaque(x + offset.x(), y + offset.y()))
                    writePixel(line[x], {0, src[x + shift.x()]});
            }
        }
    });
}

void Canvas::transparentBlt(const Rect& dest, SurfaceView source, QPoint sourcePos, ColorRef keyColour)
{
    transparentBlt(dest, source, sourcePos, BitMask::fromColourKey(source, keyColour));
}

Region Canvas::scroll(const Rect& area, int dx, int dy)
{
    const Rect a = toDevice(area.normalized()).intersected(m_target.rect());
    if (a.isEmpty())
        return {};
    dx = clampCoordinate(dx);
    dy = clampCoordinate(dy);
    const Region affected = m_state.clip.intersected(a);
    // Destination pixels whose source lies inside the area.
    const Region moved = affected.intersected(a.translated(dx, dy));
    if (moved.rects().size() == 1) {
        // One rectangle moving over itself, as a slide moves the page at
        // every step: each row is moved in place, in the order that reads a
        // row before it is written over (bottom up when moving down), so no
        // copy of the area is needed.
        const Rect r = moved.rects().front();
        const size_t bytes = size_t(r.width()) * sizeof(uint32_t);
        auto moveRow = [&](int y) {
            std::memmove(m_target.scanLine(y) + r.left, m_target.scanLine(y - dy) + (r.left - dx), bytes);
        };
        if (dy > 0) {
            for (int y = r.bottom - 1; y >= r.top; --y)
                moveRow(y);
        } else {
            for (int y = r.top; y < r.bottom; ++y)
                moveRow(y);
        }
        return affected.subtracted(moved).translated(-m_state.origin.x(), -m_state.origin.y());
    }
    const Surface before = copyOf(m_target, a);
    const SurfaceView from = before.view();
    for (const Rect& r : moved.rects()) {
        for (int y = r.top; y < r.bottom; ++y) {
            uint32_t* line = m_target.scanLine(y);
            const uint32_t* src = from.scanLine(y - dy - a.top);
            for (int x = r.left; x < r.right; ++x)
                line[x] = src[x - dx - a.left];
        }
    }
    return affected.subtracted(moved).translated(-m_state.origin.x(), -m_state.origin.y());
}

} // namespace lumeria::gdi
