// The records that set up the device context, create and select objects,
// clip and draw figures, and the table of every record's handler.
#include "platform/image/WmfPlayback.h"

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace lumeria::wmf {

using gdi::Brush;
using gdi::ColorRef;
using gdi::Pen;
using gdi::Rect;
using gdi::Region;

namespace {

// Wider pens than this draw nothing a page could tell apart from a fill,
// and a ring of a wider pen costs the rasteriser its area in pixels.
constexpr int kMaxPenWidth = 64;
// Clip regions are kept as rectangles combined pairwise; a file cutting
// holes without end must not make each record cost more than the last.
constexpr size_t kMaxClipRects = 512;
constexpr int kMaxRegionScans = 4096;

// The 8x8 patterns of the six standard hatch styles; a 0 bit is ink.
constexpr std::array<std::array<uint8_t, 8>, 6> kHatches = {{
    {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, // horizontal
    {0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7}, // vertical
    {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE}, // forward diagonal
    {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F}, // backward diagonal
    {0xF7, 0xF7, 0xF7, 0x00, 0xF7, 0xF7, 0xF7, 0xF7}, // cross
    {0x7E, 0xBD, 0xDB, 0xE7, 0xE7, 0xDB, 0xBD, 0x7E}, // diagonal cross
}};

// A file's colour, read as GDI reads it: an RGB value, or a palette index
// the canvas looks up in the selected palette. A file's high bytes never
// name the player's system colours.
std::optional<ColorRef> colour(ByteReader& p)
{
    const auto v = p.u32le();
    if (!v)
        return std::nullopt;
    return gdi::colourFromGdi(*v);
}

// Four coordinates stored bottom, right, top, left.
struct Box {
    int left, top, right, bottom;
};
std::optional<Box> box(ByteReader& p)
{
    const auto bottom = s16(p), right = s16(p), top = s16(p), left = s16(p);
    if (!left)
        return std::nullopt;
    return Box{*left, *top, *right, *bottom};
}

} // namespace

// --- Mapping ---------------------------------------------------------------

bool Player::setWindowOrg(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    m_state.mapping.windowOrg = QPoint(*x, *y);
    return true;
}

bool Player::setWindowExt(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    m_state.mapping.windowExt = QSize(*x, *y);
    return true;
}

// A placeable file's viewport is the frame it is shown in, whatever the
// file says: writers that set the viewport to their window extent (so one
// unit is one pixel of a screen they never knew) would otherwise draw the
// picture many times its size, all of it outside the frame.
bool Player::setViewportOrg(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    if (!m_placeable)
        m_state.mapping.viewportOrg = QPoint(*x, *y);
    return true;
}

bool Player::setViewportExt(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    if (!m_placeable)
        m_state.mapping.viewportExt = QSize(*x, *y);
    return true;
}

bool Player::offsetWindowOrg(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    m_state.mapping.windowOrg += QPoint(*x, *y);
    return true;
}

bool Player::offsetViewportOrg(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    m_state.mapping.viewportOrg += QPoint(*x, *y);
    return true;
}

namespace {

// ScaleWindowExt and ScaleViewportExt: each extent times num / den, stored
// yDenom, yNum, xDenom, xNum. A zero denominator leaves the extent alone.
bool scaleExtent(ByteReader& p, QSize& extent)
{
    const auto yDen = s16(p), yNum = s16(p), xDen = s16(p), xNum = s16(p);
    if (!xNum || *xDen == 0 || *yDen == 0)
        return false;
    auto scaled = [](int v, int num, int den) {
        return int(std::clamp<int64_t>(int64_t(v) * num / den, -32768, 32767));
    };
    extent = QSize(scaled(extent.width(), *xNum, *xDen), scaled(extent.height(), *yNum, *yDen));
    return true;
}

} // namespace

bool Player::scaleWindowExt(ByteReader& p)
{
    return scaleExtent(p, m_state.mapping.windowExt);
}

bool Player::scaleViewportExt(ByteReader& p)
{
    return scaleExtent(p, m_state.mapping.viewportExt);
}

bool Player::setMapMode(ByteReader& p)
{
    const auto mode = p.u16le();
    if (!mode || *mode < 1 || *mode > 8)
        return false;
    m_state.mapping.mode = *mode;
    return true;
}

// --- Device context --------------------------------------------------------

bool Player::setBkColor(ByteReader& p)
{
    const auto c = colour(p);
    if (c)
        m_canvas.setBackgroundColour(*c);
    return bool(c);
}

bool Player::setTextColor(ByteReader& p)
{
    const auto c = colour(p);
    if (c)
        m_canvas.setTextColour(*c);
    return bool(c);
}

bool Player::setBkMode(ByteReader& p)
{
    const auto mode = p.u16le();
    if (mode)
        m_canvas.setBackgroundMode(*mode == 2 ? gdi::BackgroundMode::Opaque : gdi::BackgroundMode::Transparent);
    return bool(mode);
}

bool Player::setRop2(ByteReader& p)
{
    const auto rop = p.u16le();
    if (!rop || *rop < 1 || *rop > 16)
        return false;
    m_canvas.setRop2(static_cast<gdi::Rop2>(*rop));
    return true;
}

bool Player::setStretchBltMode(ByteReader& p)
{
    const auto mode = p.u16le();
    if (!mode || *mode < 1 || *mode > 4)
        return false;
    m_canvas.setStretchMode(static_cast<gdi::StretchMode>(*mode));
    return true;
}

bool Player::setPolyFillMode(ByteReader& p)
{
    const auto mode = p.u16le();
    if (!mode || (*mode != 1 && *mode != 2))
        return false;
    m_state.fillMode = *mode == 2 ? gdi::PolyFillMode::Winding : gdi::PolyFillMode::Alternate;
    return true;
}

bool Player::setTextAlign(ByteReader& p)
{
    const auto align = p.u16le();
    if (align)
        m_state.textAlign = *align;
    return bool(align);
}

bool Player::setTextCharExtra(ByteReader& p)
{
    const auto extra = s16(p);
    if (extra)
        m_state.charExtra = *extra;
    return bool(extra);
}

bool Player::setTextJustification(ByteReader& p)
{
    const auto count = s16(p), extra = s16(p);
    if (!extra)
        return false;
    m_state.breakCount = std::max(0, *count);
    m_state.breakExtra = m_state.breakCount > 0 ? *extra : 0;
    return true;
}

// Records that change nothing a replay on a true-colour canvas can show:
// realizing and resizing palettes, printer escapes, the font mapper's aspect flags.
bool Player::ignore(ByteReader&)
{
    return true;
}

bool Player::saveDc(ByteReader&)
{
    constexpr size_t kMaxSaved = 1024;
    if (m_saved.size() >= kMaxSaved)
        return false;
    m_saved.emplace_back(m_canvas.state(), m_state);
    return true;
}

bool Player::restoreDc(ByteReader& p)
{
    // A negative count goes back that many saves; a positive one names the
    // save by its number, the first being 1.
    const auto which = s16(p);
    if (!which || *which == 0 || m_saved.empty())
        return false;
    const int64_t keep = *which < 0 ? int64_t(m_saved.size()) + *which : int64_t(*which) - 1;
    if (keep < 0 || keep >= int64_t(m_saved.size()))
        return false;
    auto [canvasState, playerState] = m_saved[size_t(keep)];
    m_saved.resize(size_t(keep));
    m_state = std::move(playerState);
    applyCanvasState(canvasState);
    // The palette selected then comes back as it is now: entries set since
    // the save stay set.
    if (m_state.palette >= 0 && size_t(m_state.palette) < m_objects.size() &&
        m_objects[size_t(m_state.palette)].kind == GdiObject::Kind::Palette)
        m_canvas.setPalette(m_objects[size_t(m_state.palette)].paletteEntries);
    return true;
}

// --- Objects ---------------------------------------------------------------

bool Player::createPenIndirect(ByteReader& p)
{
    const auto style = p.u16le(), width = p.u16le();
    p.skip(2);
    const auto c = colour(p);
    GdiObject o;
    o.kind = GdiObject::Kind::Pen;
    if (c) {
        const int s = *style & 0x0F;
        // Styles past PS_INSIDEFRAME (a user style, PS_ALTERNATE, undefined
        // ones) make a solid pen of the width asked for.
        const gdi::PenStyle styles[] = {gdi::PenStyle::Solid,   gdi::PenStyle::Dash,       gdi::PenStyle::Dot,
                                        gdi::PenStyle::DashDot, gdi::PenStyle::DashDotDot, gdi::PenStyle::Null,
                                        gdi::PenStyle::Solid};
        o.pen = Pen{s <= 6 ? styles[s] : gdi::PenStyle::Solid, int(*width), *c};
        // The end cap (PS_ENDCAP_*) and join (PS_JOIN_*) bits, which a
        // wide pen honours; unknown values are round, as plain pens are.
        const int cap = (*style >> 8) & 0x0F;
        const int join = (*style >> 12) & 0x0F;
        o.pen.cap = cap == 1 ? gdi::PenCap::Square : cap == 2 ? gdi::PenCap::Flat : gdi::PenCap::Round;
        o.pen.join = join == 1 ? gdi::PenJoin::Bevel : join == 2 ? gdi::PenJoin::Mitre : gdi::PenJoin::Round;
    }
    // A record too short still takes its slot, so later object numbers
    // keep pointing where the file meant them to.
    return create(o) && c;
}

bool Player::createBrushIndirect(ByteReader& p)
{
    const auto style = p.u16le();
    const auto c = colour(p);
    const auto hatch = p.u16le();
    GdiObject o;
    o.kind = GdiObject::Kind::Brush;
    if (hatch) {
        if (*style == 1)
            o.brush = Brush::none();
        else if (*style == 2 && *hatch < kHatches.size()) {
            o.brush = Brush::pattern(kHatches[*hatch]);
            o.colours = GdiObject::Colours::Hatch;
            o.fore = *c;
        } else
            o.brush = Brush::solid(*c);
    }
    return create(o) && hatch;
}

bool Player::createFontIndirect(ByteReader& p)
{
    const auto height = s16(p), width = s16(p);
    const auto escapement = s16(p);
    p.skip(2); // orientation
    const auto weight = p.u16le();
    const auto italic = p.u8(), underline = p.u8(), strike = p.u8(), charset = p.u8();
    p.skip(4);
    GdiObject o;
    o.kind = GdiObject::Kind::Font;
    if (!charset)
        return create(o) && false;
    const auto face = p.bytes(std::min<size_t>(32, p.remaining()));
    QByteArray name(reinterpret_cast<const char*>(face->data()), qsizetype(face->size()));
    if (const qsizetype nul = name.indexOf('\0'); nul >= 0)
        name.truncate(nul);
    o.fontHeight = *height;
    o.fontWidth = std::abs(int(*width));
    o.fontEscapement = *escapement;
    o.fontFace = QString::fromLatin1(name).trimmed();
    o.charset = *charset;
    o.fontStyles = uint8_t((*weight >= 600 ? 1 : 0) | (*italic ? 2 : 0) | (*underline ? 4 : 0) | (*strike ? 8 : 0));
    // The symbol fonts draw their own pictures whatever character set the
    // file asks for with them (only a national one sends the font mapper
    // elsewhere).
    constexpr uint8_t kSymbolCharset = 2, kDefaultCharset = 1;
    if (*charset == kSymbolCharset || *charset <= kDefaultCharset)
        o.symbols = gdi::symbolSetOf(o.fontFace);
    return create(o);
}

namespace {

// A palette's entries as records carry them: first index and count, then
// red, green, blue and flags for each.
struct PaletteEntries {
    int start = 0;
    std::vector<gdi::ColorRef> colours;
    std::vector<uint8_t> flags;
};

std::optional<PaletteEntries> paletteEntries(ByteReader& p)
{
    const auto start = p.u16le(), count = p.u16le();
    if (!count || p.remaining() < size_t(*count) * 4)
        return std::nullopt;
    PaletteEntries e{int(*start), {}, {}};
    for (int i = 0; i < *count; ++i) {
        const auto r = p.u8(), g = p.u8(), b = p.u8(), f = p.u8();
        e.colours.push_back(gdi::rgb(*r, *g, *b));
        e.flags.push_back(*f);
    }
    return e;
}

} // namespace

bool Player::createPalette(ByteReader& p)
{
    // The version word comes first; a palette the player cannot read still
    // takes its slot.
    GdiObject palette;
    palette.kind = GdiObject::Kind::Palette;
    const auto entries = paletteEntries(p);
    if (entries) {
        palette.paletteEntries = entries->colours;
        palette.paletteFlags = entries->flags;
    }
    return create(palette) && entries;
}

bool Player::selectPalette(ByteReader& p)
{
    const auto index = p.u16le();
    if (!index || *index >= m_objects.size() || m_objects[*index].kind != GdiObject::Kind::Palette)
        return false;
    m_state.palette = *index;
    m_canvas.setPalette(m_objects[*index].paletteEntries);
    return true;
}

// SetPaletteEntries and AnimatePalette change the selected palette; what is
// drawn from then on takes the new entries. Entries past the palette's end
// are not added, as GDI does not add them. AnimatePalette moves only the
// entries made with PC_RESERVED.
bool Player::changePaletteEntries(ByteReader& p, bool reservedOnly)
{
    constexpr uint8_t kReserved = 0x01;
    const auto entries = paletteEntries(p);
    const int selected = m_state.palette;
    if (!entries || selected < 0 || m_objects[size_t(selected)].kind != GdiObject::Kind::Palette)
        return false;
    GdiObject& palette = m_objects[size_t(selected)];
    for (size_t i = 0; i < entries->colours.size(); ++i) {
        const size_t at = size_t(entries->start) + i;
        if (at >= palette.paletteEntries.size())
            break;
        if (reservedOnly && !(palette.paletteFlags[at] & kReserved))
            continue;
        palette.paletteEntries[at] = entries->colours[i];
        if (!reservedOnly)
            palette.paletteFlags[at] = entries->flags[i];
    }
    m_canvas.setPalette(palette.paletteEntries);
    return true;
}

bool Player::setPalEntries(ByteReader& p)
{
    return changePaletteEntries(p, false);
}

bool Player::animatePalette(ByteReader& p)
{
    return changePaletteEntries(p, true);
}

bool Player::createPlaceholder(ByteReader&)
{
    GdiObject o;
    o.kind = GdiObject::Kind::Other;
    create(o);
    return false;
}

bool Player::createRegion(ByteReader& p)
{
    // A region: a header, its bounds, then scans of equal height each with
    // left/right pairs of x coordinates.
    GdiObject o;
    o.kind = GdiObject::Kind::Region;
    p.skip(2 + 2 + 4 + 2);
    const auto scans = s16(p);
    p.skip(2);
    // The bounds are a rectangle object, stored left first, unlike the
    // parameters of a record.
    const auto left = s16(p), top = s16(p), right = s16(p), bottom = s16(p);
    const std::optional<Box> bounds = bottom ? std::optional<Box>(Box{*left, *top, *right, *bottom}) : std::nullopt;
    bool ok = bounds && *scans >= 0 && *scans <= kMaxRegionScans;
    for (int i = 0; ok && i < *scans; ++i) {
        const auto count = s16(p), top = s16(p), bottom = s16(p);
        if (!bottom || *count < 0 || *count % 2 != 0 || p.remaining() < size_t(*count) * 2 + 2) {
            ok = false;
            break;
        }
        for (int k = 0; k < *count / 2; ++k) {
            const int left = *s16(p), right = *s16(p);
            if (o.region.size() < kMaxClipRects)
                o.region.push_back({left, *top, right, *bottom});
        }
        p.skip(2);
    }
    // Bounds alone (no scans) describe a rectangular region.
    if (ok && *scans == 0)
        o.region.push_back({bounds->left, bounds->top, bounds->right, bounds->bottom});
    return create(o) && ok;
}

void Player::selectFont(const GdiObject& o)
{
    QString face = o.fontFace.isEmpty() ? QStringLiteral("Arial") : o.fontFace;
    // A symbol face asked for with a national character set is not given:
    // the font mapper finds a face with that set's letters instead.
    if (o.symbols == SymbolSet::None && gdi::symbolSetOf(face) != SymbolSet::None)
        face = QStringLiteral("Arial");
    const int pixels = mapLength(o.fontHeight, true);
    // A width narrows or widens the glyphs, as equation editors ask for
    // their tall thin brackets.
    const gdi::Font font =
        gdi::Font::fromLogicalHeight(face, o.fontHeight < 0 ? -std::max(1, pixels) : pixels, o.fontStyles);
    m_canvas.setFont(o.fontWidth == 0 ? font : font.withAverageCharWidth(std::max(1, mapLength(o.fontWidth, false))));
    m_state.fontEscapement = o.fontEscapement;
    m_state.symbols = o.symbols;
    m_state.charset = o.charset;
}

void Player::select(const GdiObject& o)
{
    switch (o.kind) {
    case GdiObject::Kind::Pen: {
        Pen pen = o.pen;
        if (!pen.isNull())
            pen.width = std::clamp(mapLength(pen.width, false), 1, kMaxPenWidth);
        m_canvas.setPen(pen);
        break;
    }
    case GdiObject::Kind::Brush:
        m_canvas.setBrush(o.brush);
        m_state.brushColours = o.colours;
        m_state.brushFore = o.fore;
        m_state.brushBack = o.back;
        break;
    case GdiObject::Kind::Font: selectFont(o); break;
    case GdiObject::Kind::Region: {
        Region region;
        for (const Rect& r : o.region)
            region = region.united(mapRect(r.left, r.top, r.right, r.bottom));
        setClip(region.intersected(m_target));
        break;
    }
    default: break;
    }
}

bool Player::selectObject(ByteReader& p)
{
    const GdiObject* o = objectAt(p);
    if (!o)
        return false;
    select(*o);
    return true;
}

bool Player::deleteObject(ByteReader& p)
{
    // The slot is freed for the next object created; an object still
    // selected goes on drawing until something else is selected, as the
    // canvas holds its own copy.
    GdiObject* o = objectAt(p);
    if (!o)
        return false;
    *o = GdiObject{};
    return true;
}

// --- Clipping --------------------------------------------------------------

bool Player::intersectClipRect(ByteReader& p)
{
    const auto b = box(p);
    if (!b)
        return false;
    setClip(currentClip().intersected(mapRect(b->left, b->top, b->right, b->bottom)));
    return true;
}

bool Player::excludeClipRect(ByteReader& p)
{
    const auto b = box(p);
    if (!b)
        return false;
    const Region clip = currentClip().subtracted(mapRect(b->left, b->top, b->right, b->bottom));
    if (clip.rects().size() > kMaxClipRects)
        return false;
    setClip(clip);
    return true;
}

bool Player::selectClipRegion(ByteReader& p)
{
    // Anything but a region (the null region of a reset included) takes the
    // clip back to the whole picture.
    const GdiObject* o = objectAt(p);
    if (o && o->kind == GdiObject::Kind::Region)
        select(*o);
    else
        setClip(std::nullopt);
    return true;
}

bool Player::offsetClipRgn(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    if (!m_state.clip)
        return true;
    const QPoint offset = map(*x, *y) - map(0, 0);
    setClip(m_state.clip->translated(offset.x(), offset.y()).intersected(m_target));
    return true;
}

// --- Figures ---------------------------------------------------------------

bool Player::moveTo(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    m_canvas.moveTo(map(*x, *y));
    return true;
}

bool Player::lineTo(ByteReader& p)
{
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    m_canvas.lineTo(map(*x, *y));
    return true;
}

bool Player::rectangle(ByteReader& p)
{
    const auto b = box(p);
    if (!b)
        return false;
    const Rect r = mapRect(b->left, b->top, b->right, b->bottom);
    withBrushColours([&] { m_canvas.drawRectangle(r); });
    return true;
}

bool Player::ellipse(ByteReader& p)
{
    const auto b = box(p);
    if (!b)
        return false;
    const Rect r = mapRect(b->left, b->top, b->right, b->bottom);
    withBrushColours([&] { m_canvas.drawEllipse(r); });
    return true;
}

bool Player::roundRect(ByteReader& p)
{
    const auto h = s16(p), w = s16(p);
    const auto b = box(p);
    if (!b)
        return false;
    const Rect r = mapRect(b->left, b->top, b->right, b->bottom);
    withBrushColours([&] { m_canvas.drawRoundRect(r, mapLength(*w, false), mapLength(*h, true)); });
    return true;
}

namespace {

struct ArcParams {
    Box frame;
    int xStart, yStart, xEnd, yEnd;
};
std::optional<ArcParams> arcParams(ByteReader& p)
{
    const auto yEnd = s16(p), xEnd = s16(p), yStart = s16(p), xStart = s16(p);
    const auto b = box(p);
    if (!b)
        return std::nullopt;
    return ArcParams{*b, *xStart, *yStart, *xEnd, *yEnd};
}

} // namespace

bool Player::arc(ByteReader& p)
{
    const auto a = arcParams(p);
    if (!a)
        return false;
    m_canvas.drawArc(mapRect(a->frame.left, a->frame.top, a->frame.right, a->frame.bottom), map(a->xStart, a->yStart),
                     map(a->xEnd, a->yEnd));
    return true;
}

bool Player::pie(ByteReader& p)
{
    const auto a = arcParams(p);
    if (!a)
        return false;
    withBrushColours([&] {
        m_canvas.drawPie(mapRect(a->frame.left, a->frame.top, a->frame.right, a->frame.bottom),
                         map(a->xStart, a->yStart), map(a->xEnd, a->yEnd));
    });
    return true;
}

bool Player::chord(ByteReader& p)
{
    const auto a = arcParams(p);
    if (!a)
        return false;
    withBrushColours([&] {
        m_canvas.drawChord(mapRect(a->frame.left, a->frame.top, a->frame.right, a->frame.bottom),
                           map(a->xStart, a->yStart), map(a->xEnd, a->yEnd));
    });
    return true;
}

bool Player::polygon(ByteReader& p)
{
    const auto count = s16(p);
    std::vector<QPoint> points;
    if (!count || !readPoints(p, *count, points))
        return false;
    withBrushColours([&] { m_canvas.drawPolygon(points, m_state.fillMode); });
    return true;
}

bool Player::polyline(ByteReader& p)
{
    const auto count = s16(p);
    std::vector<QPoint> points;
    if (!count || !readPoints(p, *count, points))
        return false;
    m_canvas.drawPolyline(points);
    return true;
}

bool Player::polyPolygon(ByteReader& p)
{
    const auto polygons = s16(p);
    if (!polygons || *polygons < 0 || p.remaining() < size_t(*polygons) * 2)
        return false;
    std::vector<int> counts;
    for (int i = 0; i < *polygons; ++i)
        counts.push_back(*s16(p));
    std::vector<std::vector<QPoint>> figures;
    for (int count : counts) {
        std::vector<QPoint> points;
        if (!readPoints(p, count, points))
            return false;
        figures.push_back(std::move(points));
    }
    withBrushColours([&] { m_canvas.drawPolyPolygon(figures, m_state.fillMode); });
    return true;
}

bool Player::setPixel(ByteReader& p)
{
    const auto c = colour(p);
    const auto y = s16(p), x = s16(p);
    if (!x)
        return false;
    m_canvas.setPixel(map(*x, *y), *c);
    return true;
}

bool Player::floodFill(ByteReader& p)
{
    const auto c = colour(p);
    const auto y = s16(p), x = s16(p);
    return x && fill(*x, *y, *c, false);
}

bool Player::extFloodFill(ByteReader& p)
{
    const auto mode = p.u16le();
    const auto c = colour(p);
    const auto y = s16(p), x = s16(p);
    return x && fill(*x, *y, *c, *mode == 1);
}

// --- The table -------------------------------------------------------------

namespace {

struct Entry {
    uint16_t function;
    RecordHandler handler;
};

// Sorted by function number.
constexpr Entry kHandlers[] = {
    {kSaveDc, &Player::saveDc},
    {kRealizePalette, &Player::ignore},
    {kSetPalEntries, &Player::setPalEntries},
    {kCreatePalette, &Player::createPalette},
    {kCreateBrush, &Player::createPlaceholder},
    {kSetBkMode, &Player::setBkMode},
    {kSetMapMode, &Player::setMapMode},
    {kSetRop2, &Player::setRop2},
    {kSetRelAbs, &Player::ignore},
    {kSetPolyFillMode, &Player::setPolyFillMode},
    {kSetStretchBltMode, &Player::setStretchBltMode},
    {kSetTextCharExtra, &Player::setTextCharExtra},
    {kRestoreDc, &Player::restoreDc},
    {kSelectClipRegion, &Player::selectClipRegion},
    {kSelectObject, &Player::selectObject},
    {kSetTextAlign, &Player::setTextAlign},
    {kResizePalette, &Player::ignore},
    {kDibCreatePatternBrush, &Player::dibCreatePatternBrush},
    {kDeleteObject, &Player::deleteObject},
    {kCreatePatternBrush, &Player::createPatternBrush},
    {kSetBkColor, &Player::setBkColor},
    {kSetTextColor, &Player::setTextColor},
    {kSetTextJustification, &Player::setTextJustification},
    {kSetWindowOrg, &Player::setWindowOrg},
    {kSetWindowExt, &Player::setWindowExt},
    {kSetViewportOrg, &Player::setViewportOrg},
    {kSetViewportExt, &Player::setViewportExt},
    {kOffsetWindowOrg, &Player::offsetWindowOrg},
    {kOffsetViewportOrg, &Player::offsetViewportOrg},
    {kLineTo, &Player::lineTo},
    {kMoveTo, &Player::moveTo},
    {kOffsetClipRgn, &Player::offsetClipRgn},
    {kSetMapperFlags, &Player::ignore},
    {kSelectPalette, &Player::selectPalette},
    {kCreatePenIndirect, &Player::createPenIndirect},
    {kCreateFontIndirect, &Player::createFontIndirect},
    {kCreateBrushIndirect, &Player::createBrushIndirect},
    {kCreateBitmapIndirect, &Player::createPlaceholder},
    {kPolygon, &Player::polygon},
    {kPolyline, &Player::polyline},
    {kScaleWindowExt, &Player::scaleWindowExt},
    {kScaleViewportExt, &Player::scaleViewportExt},
    {kExcludeClipRect, &Player::excludeClipRect},
    {kIntersectClipRect, &Player::intersectClipRect},
    {kEllipse, &Player::ellipse},
    {kFloodFill, &Player::floodFill},
    {kRectangle, &Player::rectangle},
    {kSetPixel, &Player::setPixel},
    {kAnimatePalette, &Player::animatePalette},
    {kTextOut, &Player::textOut},
    {kPolyPolygon, &Player::polyPolygon},
    {kExtFloodFill, &Player::extFloodFill},
    {kRoundRect, &Player::roundRect},
    {kPatBlt, &Player::patBlt},
    {kEscape, &Player::ignore},
    {kCreateBitmap, &Player::createPlaceholder},
    {kCreateRegion, &Player::createRegion},
    {kArc, &Player::arc},
    {kPie, &Player::pie},
    {kChord, &Player::chord},
    {kBitBlt, &Player::bitBlt},
    {kDibBitBlt, &Player::dibBitBlt},
    {kExtTextOut, &Player::extTextOut},
    {kStretchBlt, &Player::stretchBltRecord},
    {kDibStretchBlt, &Player::dibStretchBlt},
    {kSetDibToDev, &Player::setDibToDev},
    {kStretchDib, &Player::stretchDib},
};

} // namespace

RecordHandler handlerFor(uint16_t function)
{
    const auto* end = std::end(kHandlers);
    const auto* at = std::lower_bound(std::begin(kHandlers), end, function,
                                      [](const Entry& e, uint16_t f) { return e.function < f; });
    return at != end && at->function == function ? at->handler : nullptr;
}

} // namespace lumeria::wmf
