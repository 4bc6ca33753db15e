#pragma once

#include "platform/gdi/BitMask.h"
#include "platform/gdi/DcState.h"
#include "platform/gdi/DrawTextOptions.h"
#include "platform/gdi/ExtTextOptions.h"
#include "platform/gdi/Surface.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace lumeria::gdi {

class SpanShape;
class DashCursor;
class DcStateSaver;

enum class TextAnchor { TopLeft, Baseline };
enum class PolyFillMode { Alternate, Winding };
// ExtFloodFill: up to a border colour, or over the pixels of one colour.
enum class FloodMode { Border, Surface };

// A blit rectangle whose width or height may be negative to mirror, as
// StretchBlt takes it.
struct BlitArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A device-independent bitmap as StretchDIBits reads it.
struct Dib {
    SurfaceView pixels;   // top row first, whichever way the rows are stored
    bool bottomUp = true; // stored bottom row first (a positive height)
    // Run-length bitmaps: which pixels the codes wrote (null: all). Copying
    // the whole bitmap unstretched leaves the destination under the others.
    const BitMask* written = nullptr;
};

// GDI-like drawing on a surface. Coordinates are logical (device = logical +
// origin); every primitive translates, intersects with the clip and returns
// early when nothing is left. Pens and brushes are turned into pixel masks
// when they are selected, not when they are used.
class Canvas {
public:
    explicit Canvas(SurfaceView target);
    explicit Canvas(Surface& target) : Canvas(target.view()) {}

    SurfaceView target() const { return m_target; }
    const DcState& state() const { return m_state; }
    // Puts back a state taken with state(), clip included. For callers whose
    // saves do not nest with their scopes, as a metafile's SaveDC and
    // RestoreDC records do not; everyone else saves with DcStateSaver.
    void setState(const DcState& state);

    void setPen(const Pen& pen);
    void setBrush(const Brush& brush);
    void setRop2(Rop2 rop);
    void setTextColour(ColorRef colour);
    void setBackgroundMode(BackgroundMode mode);
    void setBackgroundColour(ColorRef colour);
    void setFont(const Font& font);
    void setOrigin(QPoint origin);
    // SetMiterLimit; limits below 1 are refused, as GDI refuses them.
    bool setMiterLimit(double limit);
    // SelectPalette, and SetPaletteEntries or AnimatePalette on the selected
    // palette: every PALETTEINDEX colour of the DC (pen, brush, text and
    // background) takes the palette's entry from now on, as GDI looks
    // colours up when it draws, not when an object is made.
    void setPalette(std::vector<ColorRef> entries);
    // The pixel a colour of this DC draws: system colours, palette indices
    // through the selected (or else the default) palette, PALETTERGB values
    // as their RGB. Colours in GDI's own form go through colourFromGdi first.
    uint32_t devicePixel(ColorRef colour) const;
    // Where pattern brushes start, in device pixels (SetBrushOrgEx).
    void setBrushOrigin(QPoint origin) { m_state.brushOrigin = origin; }
    void translate(int dx, int dy) { setOrigin(m_state.origin + QPoint(dx, dy)); }
    // Narrow the clip (logical coordinates); it can never grow back except by
    // restoring a saved state.
    void clipTo(const Rect& r);
    void clipTo(const Region& r);

    void setPixel(QPoint p, ColorRef colour);
    ColorRef pixel(QPoint p) const;

    // GDI excludes the last pixel of every line segment.
    void drawLine(QPoint from, QPoint to);
    void moveTo(QPoint p) { m_state.currentPosition = p; }
    void lineTo(QPoint p)
    {
        drawLine(m_state.currentPosition, p);
        m_state.currentPosition = p;
    }
    void drawPolyline(std::span<const QPoint> points);
    void drawPolygon(std::span<const QPoint> points, PolyFillMode mode = PolyFillMode::Alternate);
    // One figure of several closed rings, filled together under the fill
    // mode (so a ring inside another can be a hole), each ring outlined.
    void drawPolyPolygon(std::span<const std::vector<QPoint>> polygons, PolyFillMode mode = PolyFillMode::Alternate);
    void drawRectangle(const Rect& r);
    // The corner ellipse is given by its width and height, not a radius.
    void drawRoundRect(const Rect& r, int cornerWidth, int cornerHeight);
    void drawEllipse(const Rect& r);
    // Elliptic arcs run counter-clockwise from the radial through start to
    // the radial through end; equal radials give the whole ellipse.
    void drawArc(const Rect& r, QPoint start, QPoint end);
    void drawPie(const Rect& r, QPoint start, QPoint end);
    void drawChord(const Rect& r, QPoint start, QPoint end);

    // Fills the 4-connected pixels reached from start that are not the
    // border colour (Border) or are the surface colour (Surface), within the
    // clip. False when start is outside the clip or not such a pixel.
    bool floodFill(QPoint start, ColorRef colour, FloodMode mode);

    void fillRect(const Rect& r, const Brush& brush);
    void fillRegion(const Region& region, const Brush& brush);
    void invertRect(const Rect& r);
    // XOR dotted frame: drawing it twice restores every pixel.
    void drawFocusRect(const Rect& r);

    // The pattern of every blit is the selected brush.
    void patBlt(const Rect& r, Rop3 rop);
    void bitBlt(const Rect& dest, SurfaceView source, QPoint sourcePos, Rop3 rop = kSrcCopy);
    void stretchBlt(const BlitArea& dest, SurfaceView source, const BlitArea& sourceArea, Rop3 rop = kSrcCopy);
    // StretchDIBits: the source area is counted from the bitmap's first
    // stored row, negative extents mirror, and shrinking merges pixels by
    // the stretch mode. Returns what GDI returns: 0 when the source area
    // misses the bitmap, else its height (SRCCOPY) or its signed height
    // (other codes: negative for a top-down bitmap).
    int stretchDibits(const BlitArea& dest, const Dib& dib, const BlitArea& sourceArea, Rop3 rop = kSrcCopy);
    void setStretchMode(StretchMode mode) { m_state.stretchMode = mode; }
    // SetDIBitsToDevice: copies size pixels unstretched, ignoring the ROP
    // and the mapping's scale. rows holds the scan lines of a bitmap from
    // startScan up; source counts from the whole bitmap's lower-left corner.
    // Returns the number of scan lines GDI reports as set.
    int setDibitsToDevice(QPoint dest, QSize size, QPoint source, int startScan, const Dib& rows);
    void transparentBlt(const Rect& dest, SurfaceView source, QPoint sourcePos, const BitMask& mask);
    void transparentBlt(const Rect& dest, SurfaceView source, QPoint sourcePos, ColorRef keyColour);
    // Moves the pixels of area by (dx, dy), staying within area and the clip,
    // and returns the part of area (logical coordinates) left uncovered.
    Region scroll(const Rect& area, int dx, int dy);

    void textOut(QPoint p, const QString& text, TextAnchor anchor = TextAnchor::TopLeft);
    // ExtTextOut: text placed by its alignment around p, spaced, rotated and
    // clipped as options say. Returns the vector from the start of the text
    // to its end along the baseline, for callers that keep a current position.
    QPoint extTextOut(QPoint p, const QString& text, const ExtTextOptions& options);
    DrawTextResult drawText(const Rect& box, const QString& text, const DrawTextOptions& options = {});

private:
    // Only DcStateSaver saves and restores, so every save has its restore.
    friend class DcStateSaver;
    void save();
    void restore();

    struct BrushPlan {
        BrushStyle style = BrushStyle::Solid;
        PixelMasks fore; // solid colour, or the pattern's 0 bits
        PixelMasks back; // the pattern's 1 bits
        // A colour pattern's pixels, top row first; shared, and made only
        // for such brushes, and kept while the brush and the ROP2 stay, as
        // plans are made at every change of the state.
        std::shared_ptr<const std::vector<PixelMasks>> colours;
        Rop2 rop = Rop2::CopyPen;
        Brush brush;
    };

    struct PenPlan {
        bool visible = true;
        bool wide = false;
        int width = 1;
        PixelMasks ink;
        PixelMasks gap;
        bool paintGaps = false;
        std::span<const int> dashes;
        // Geometric pens: the area is built from these and painted with
        // paint (the pen's colour or its brush).
        bool geometric = false;
        PenCap cap = PenCap::Round;
        PenJoin join = PenJoin::Round;
        std::vector<int> areaDashes; // dash, gap, ... in pixels; empty: solid
        BrushPlan paint;
    };

    void selectPen();
    void selectBrush();
    BrushPlan planBrush(const Brush& brush, Rop2 rop) const;

    // Windows 95 kept device coordinates in 16 bits. Clamping to that range
    // keeps absurd coordinates from a publication from overflowing the
    // rasterisers' arithmetic or making them walk billions of pixels.
    static int clampCoordinate(int64_t v) { return int(std::clamp<int64_t>(v, kMinCoordinate, kMaxCoordinate)); }
    QPoint toDevice(QPoint p) const
    {
        return {clampCoordinate(int64_t(p.x()) + m_state.origin.x()),
                clampCoordinate(int64_t(p.y()) + m_state.origin.y())};
    }
    Rect toDevice(const Rect& r) const
    {
        const QPoint tl = toDevice(QPoint(r.left, r.top));
        const QPoint br = toDevice(QPoint(r.right, r.bottom));
        return {tl.x(), tl.y(), br.x(), br.y()};
    }

    static constexpr int64_t kMinCoordinate = -32768;
    static constexpr int64_t kMaxCoordinate = 32767;

    // Runs draw once per clip rectangle that meets bounds, with m_pass set to
    // that part; the plot hooks below write only inside m_pass.
    template <class Draw>
    void forEachClipPass(const Rect& bounds, Draw&& draw);

    void plot(int x, int y, const PixelMasks& m)
    {
        if (m_pass.contains(x, y))
            writePixel(m_target.scanLine(y)[x], m);
    }
    void plotPen(int x, int y, DashCursor& dash);
    void fillSpan(int y, int x0, int x1, const BrushPlan& brush);
    void fillShape(const SpanShape& shape, const BrushPlan& brush);
    void strokeRing(const SpanShape& outer, const SpanShape& inner);

    enum class PathShape { Open, Closed };
    void strokePath(std::span<const QPoint> devicePoints, PathShape shape);
    void strokeStraightSegment(QPoint from, QPoint to);
    void strokeThinRectangle(const Rect& deviceRect);
    void strokeWidePath(std::span<const QPoint> devicePoints, PathShape shape);
    // CanvasPenArea.cpp: the area a geometric pen covers, then painted once.
    void strokeGeometricPath(std::span<const QPoint> devicePoints, PathShape shape);
    // Rounded figures: shapeOf gives the figure's pixels for a frame, so a
    // wide pen's inner edge is the same figure on the deflated frame.
    void drawSpanFigure(const Rect& deviceRect, const std::function<SpanShape(const Rect&)>& shapeOf);
    void fillPolygon(std::span<const std::vector<QPoint>> deviceRings, PolyFillMode mode);
    enum class ArcFigure { Arc, Pie, Chord };
    void drawArcFigure(const Rect& r, QPoint start, QPoint end, ArcFigure figure);

    // The selected brush's pixels as a blit reads them: one tile of the
    // pattern (one pixel for a solid brush) laid from the brush origin.
    struct BlitPattern {
        int width = 1;
        int height = 1;
        QPoint origin;
        std::vector<uint32_t> pixels{0};
        // The pattern's pixels of row y from column left on, one per entry of row.
        void fillRow(int y, int left, std::vector<uint32_t>& row) const;
    };
    BlitPattern blitPattern() const;
    // written, when given, is in source coordinates: only its set pixels are drawn.
    void blitRows(const Rect& deviceDest, SurfaceView source, QPoint sourceOffset, Rop3 rop,
                  const BitMask* written = nullptr);
    // Both stretch blits once their areas are in device pixels and the
    // source is counted from its top row. False when the source area misses
    // the source.
    bool stretchDevice(const BlitArea& dest, SurfaceView source, const BlitArea& sourceArea, Rop3 rop,
                       const BitMask* written);

    SurfaceView m_target;
    DcState m_state;
    std::vector<DcState> m_saved;
    PenPlan m_pen;
    BrushPlan m_brush;
    Rect m_pass;
};

template <class Draw>
void Canvas::forEachClipPass(const Rect& bounds, Draw&& draw)
{
    if (bounds.isEmpty())
        return;
    for (const Rect& clip : m_state.clip.rects()) {
        m_pass = clip.intersected(bounds);
        if (!m_pass.isEmpty())
            draw();
    }
    m_pass = {};
}

} // namespace lumeria::gdi
