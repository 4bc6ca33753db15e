#include "platform/image/WmfPlayer.h"

#include "platform/ByteReader.h"
#include "platform/image/PictureError.h"
#include "platform/image/QtDecoders.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

namespace lumeria {

namespace {

using gdi::Brush;
using gdi::ColorRef;
using gdi::Pen;
using gdi::Rect;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr int kMaxObjects = 4096;
constexpr int kMaxPoints = 65536;
constexpr int64_t kMaxLength = 2048;
// Wider pens than this draw nothing a page could tell apart from a fill,
// and a ring of a wider pen costs the rasteriser its area in pixels.
constexpr int kMaxPenWidth = 64;

// Record functions, by the numbers metafiles store.
enum : uint16_t {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kRealizePalette = 0x0035,
    kSetPalEntries = 0x0037,
    kCreatePalette = 0x00F7,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetRelAbs = 0x0105,
    kSetPolyFillMode = 0x0106,
    kSetStretchBltMode = 0x0107,
    kSetTextCharExtra = 0x0108,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDeleteObject = 0x01F0,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetTextJustification = 0x020A,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kSetMapperFlags = 0x0231,
    kSelectPalette = 0x0234,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kTextOut = 0x0521,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kPolyPolygon = 0x0538,
    kEscape = 0x0626,
    kRoundRect = 0x061C,
    kExtTextOut = 0x0A32,
    kDibBitBlt = 0x0940,
    kDibStretchBlt = 0x0B41,
    kStretchDib = 0x0F43,
};

// The 8x8 patterns of the six standard hatch styles; a 0 bit is ink.
constexpr std::array<std::array<uint8_t, 8>, 6> kHatches = {{
    {0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}, // horizontal
    {0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7, 0xF7}, // vertical
    {0x7F, 0xBF, 0xDF, 0xEF, 0xF7, 0xFB, 0xFD, 0xFE}, // forward diagonal
    {0xFE, 0xFD, 0xFB, 0xF7, 0xEF, 0xDF, 0xBF, 0x7F}, // backward diagonal
    {0xF7, 0xF7, 0xF7, 0x00, 0xF7, 0xF7, 0xF7, 0xF7}, // cross
    {0x7E, 0xBD, 0xDB, 0xE7, 0xE7, 0xDB, 0xBD, 0x7E}, // diagonal cross
}};

struct GdiObject {
    enum class Kind { Empty, Pen, Brush, Font, Other } kind = Kind::Empty;
    Pen pen;
    Brush brush;
    ColorRef hatchColour = 0;
    int fontHeight = 0;
    gdi::FontStyles fontStyles = 0;
    QString fontFace;
};

struct Header {
    size_t recordsStart = 0;
    int objects = 0;
    std::optional<Rect> placeableBox;
    int unitsPerInch = 0;
};

std::optional<Header> readHeader(std::span<const std::byte> bytes)
{
    ByteReader r(bytes);
    Header h;
    if (r.u32le() == kPlaceableKey) {
        r.skip(2);
        const auto left = r.u16le(), top = r.u16le(), right = r.u16le(), bottom = r.u16le(), inch = r.u16le();
        if (!inch || *inch == 0 || !r.skip(4 + 2))
            return std::nullopt;
        h.placeableBox = Rect{int16_t(*left), int16_t(*top), int16_t(*right), int16_t(*bottom)};
        h.unitsPerInch = *inch;
    } else {
        r.seek(0);
    }
    const size_t start = r.position();
    const auto type = r.u16le();
    const auto headerWords = r.u16le();
    const auto version = r.u16le();
    if (!type || (*type != 1 && *type != 2) || headerWords != 9 || !version || !r.skip(4))
        return std::nullopt;
    const auto objects = r.u16le();
    if (!objects || !r.skip(4 + 2))
        return std::nullopt;
    h.recordsStart = start + 18;
    h.objects = std::min<int>(*objects, kMaxObjects);
    return h;
}

class Player {
public:
    Player(gdi::Canvas& canvas, const Rect& target, const Header& header)
        : m_canvas(canvas), m_target(target), m_objects(size_t(std::max(header.objects, 1)))
    {
        if (header.placeableBox) {
            m_windowOrg = QPoint(header.placeableBox->left, header.placeableBox->top);
            m_windowExt = QSize(header.placeableBox->width(), header.placeableBox->height());
        } else {
            m_windowExt = QSize(target.width(), target.height());
        }
    }

    Result<bool> play(std::span<const std::byte> records)
    {
        ByteReader r(records);
        m_canvas.save();
        m_canvas.clipTo(m_target);
        const Result<bool> result = playRecords(r);
        m_canvas.restore();
        return result;
    }

private:
    static Failure corrupt() { return Failure{picture::kUndecodable}; }

    Result<bool> playRecords(ByteReader& r)
    {
        while (!r.atEnd()) {
            const auto sizeWords = r.u32le();
            const auto function = r.u16le();
            if (!function || *sizeWords < 3 || *sizeWords > r.remaining() / 2 + 3)
                return corrupt();
            const auto params = r.bytes(size_t(*sizeWords - 3) * 2);
            if (!params)
                return corrupt();
            if (*function == kEof)
                return true;
            ByteReader p(*params);
            if (!playRecord(*function, p))
                return corrupt();
        }
        // Every metafile ends with its end record; without it the file was
        // cut short.
        return corrupt();
    }

    // Window coordinates to the canvas, through the window origin and extent.
    // Points are held to a margin around the target: a figure reaching far
    // beyond the picture shows nothing more, and a hostile file must not
    // make the rasterisers walk shapes of billions of pixels.
    QPoint map(int x, int y) const
    {
        const int w = m_windowExt.width() == 0 ? 1 : m_windowExt.width();
        const int h = m_windowExt.height() == 0 ? 1 : m_windowExt.height();
        const int64_t margin = 2 * int64_t(std::max(m_target.width(), m_target.height())) + 256;
        const int64_t dx = m_target.left + int64_t(x - m_windowOrg.x()) * m_target.width() / w;
        const int64_t dy = m_target.top + int64_t(y - m_windowOrg.y()) * m_target.height() / h;
        return {int(std::clamp<int64_t>(dx, m_target.left - margin, m_target.right + margin)),
                int(std::clamp<int64_t>(dy, m_target.top - margin, m_target.bottom + margin))};
    }
    // Lengths (pen widths, corner sizes, font heights) are held to what a
    // page could show.
    int mapLength(int v, bool vertical) const
    {
        const int ext = vertical ? m_windowExt.height() : m_windowExt.width();
        const int dev = vertical ? m_target.height() : m_target.width();
        const int64_t length = ext == 0 ? std::abs(int64_t(v)) : std::abs(int64_t(v) * dev / ext);
        return int(std::min<int64_t>(length, kMaxLength));
    }
    Rect mapRect(int left, int top, int right, int bottom) const
    {
        const QPoint a = map(left, top), b = map(right, bottom);
        return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
    }

    static std::optional<int> s16(ByteReader& p)
    {
        const auto v = p.u16le();
        return v ? std::optional<int>(int16_t(*v)) : std::nullopt;
    }
    static std::optional<ColorRef> colour(ByteReader& p)
    {
        const auto v = p.u32le();
        return v ? std::optional<ColorRef>(*v & 0x00FFFFFF) : std::nullopt;
    }

    bool readPoints(ByteReader& p, int count, std::vector<QPoint>& out) const
    {
        if (count < 0 || count > kMaxPoints || p.remaining() < size_t(count) * 4)
            return false;
        for (int i = 0; i < count; ++i) {
            const int x = *s16(p), y = *s16(p);
            out.push_back(map(x, y));
        }
        return true;
    }

    int freeSlot() const
    {
        for (size_t i = 0; i < m_objects.size(); ++i) {
            if (m_objects[i].kind == GdiObject::Kind::Empty)
                return int(i);
        }
        return -1;
    }
    bool create(GdiObject object)
    {
        const int slot = freeSlot();
        if (slot < 0)
            return false;
        m_objects[size_t(slot)] = std::move(object);
        return true;
    }

    void select(const GdiObject& o)
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
            if (o.brush.style == gdi::BrushStyle::Pattern) {
                // Hatched brushes draw their lines in the brush colour over
                // the background colour, like a monochrome pattern whose ink
                // is the text colour.
                m_hatchColour = o.hatchColour;
            }
            m_canvas.setBrush(o.brush);
            m_brushIsHatch = o.brush.style == gdi::BrushStyle::Pattern;
            break;
        case GdiObject::Kind::Font:
            m_canvas.setFont(gdi::Font::fromPixels(o.fontFace.isEmpty() ? QStringLiteral("Arial") : o.fontFace,
                                                   std::max(1, mapLength(std::abs(o.fontHeight), true)), o.fontStyles));
            break;
        default: break;
        }
    }

    template <class Draw>
    void withHatchColours(Draw&& draw)
    {
        if (!m_brushIsHatch) {
            draw();
            return;
        }
        const ColorRef text = m_canvas.state().textColour;
        m_canvas.setTextColour(m_hatchColour);
        draw();
        m_canvas.setTextColour(text);
    }

    bool text(int x, int y, const QByteArray& bytes)
    {
        const QPoint at = map(x, y);
        m_canvas.textOut(at, QString::fromLatin1(bytes),
                         (m_textAlign & 0x18) == 0x18 ? gdi::TextAnchor::Baseline : gdi::TextAnchor::TopLeft);
        return true;
    }

    bool dib(std::span<const std::byte> dibBytes, const Rect& dest, int srcX, int srcY, int srcW, int srcH)
    {
        // A packed DIB: header, colour table, pixels. Given a file header with
        // the offset of its pixels, the bitmap reader decodes it.
        ByteReader h(dibBytes);
        const auto headerSize = h.u32le();
        if (!headerSize || *headerSize < 12 || *headerSize > dibBytes.size())
            return false;
        uint32_t tableBytes = 0;
        if (*headerSize == 12) {
            h.skip(4 + 2);
            const auto bits = h.u16le();
            tableBytes = bits && *bits <= 8 ? (1u << *bits) * 3 : 0;
        } else {
            h.skip(4 + 4 + 2);
            const auto bits = h.u16le();
            const auto compression = h.u32le();
            h.skip(4 + 4 + 4);
            const auto used = h.u32le();
            if (!used)
                return false;
            if (*bits <= 8)
                tableBytes = (*used != 0 && *used <= 256u ? *used : 1u << *bits) * 4;
            else if (*compression == 3 && *headerSize == 40)
                tableBytes = 12; // the three colour masks of a bit-field bitmap
        }
        const uint32_t offset = 14 + *headerSize + tableBytes;
        QByteArray file("BM");
        auto put32 = [&file](uint32_t v) {
            for (int s = 0; s < 32; s += 8)
                file.append(char((v >> s) & 0xFF));
        };
        put32(uint32_t(14 + dibBytes.size()));
        put32(0);
        put32(offset);
        file.append(reinterpret_cast<const char*>(dibBytes.data()), qsizetype(dibBytes.size()));
        const auto decoded =
            decodeQtBitmap(std::as_bytes(std::span(file.constData(), size_t(file.size()))), QtBitmapFormat::Bmp);
        if (!decoded)
            return false;
        const gdi::Surface source = gdi::Surface::fromImage(decoded->image);
        m_canvas.stretchBlt({dest.left, dest.top, dest.width(), dest.height()}, source.view(),
                            {srcX, srcY, srcW, srcH});
        return true;
    }

    bool playRecord(uint16_t function, ByteReader& p)
    {
        switch (function) {
        case kSetWindowOrg: {
            const auto y = s16(p), x = s16(p);
            if (!x)
                return false;
            m_windowOrg = QPoint(*x, *y);
            return true;
        }
        case kSetWindowExt: {
            const auto y = s16(p), x = s16(p);
            if (!x)
                return false;
            m_windowExt = QSize(*x, *y);
            return true;
        }
        case kSetBkColor: {
            const auto c = colour(p);
            if (c)
                m_canvas.setBackgroundColour(*c);
            return bool(c);
        }
        case kSetTextColor: {
            const auto c = colour(p);
            if (c)
                m_canvas.setTextColour(*c);
            return bool(c);
        }
        case kSetBkMode: {
            const auto mode = p.u16le();
            if (mode)
                m_canvas.setBackgroundMode(*mode == 2 ? gdi::BackgroundMode::Opaque : gdi::BackgroundMode::Transparent);
            return bool(mode);
        }
        case kSetRop2: {
            const auto rop = p.u16le();
            if (!rop || *rop < 1 || *rop > 16)
                return false;
            m_canvas.setRop2(static_cast<gdi::Rop2>(*rop));
            return true;
        }
        case kSetPolyFillMode: {
            const auto mode = p.u16le();
            m_fillMode = mode && *mode == 2 ? gdi::PolyFillMode::Winding : gdi::PolyFillMode::Alternate;
            return bool(mode);
        }
        case kSetTextAlign: {
            const auto align = p.u16le();
            m_textAlign = align.value_or(0);
            return bool(align);
        }
        case kCreatePenIndirect: {
            const auto style = p.u16le(), width = p.u16le();
            p.skip(2);
            const auto c = colour(p);
            if (!c)
                return false;
            GdiObject o;
            o.kind = GdiObject::Kind::Pen;
            const int s = *style & 0x0F;
            const gdi::PenStyle styles[] = {gdi::PenStyle::Solid,   gdi::PenStyle::Dash,       gdi::PenStyle::Dot,
                                            gdi::PenStyle::DashDot, gdi::PenStyle::DashDotDot, gdi::PenStyle::Null,
                                            gdi::PenStyle::Solid};
            o.pen = s <= 6 ? Pen{styles[s], int(*width), *c} : Pen::solid(*c);
            return create(o);
        }
        case kCreateBrushIndirect: {
            const auto style = p.u16le();
            const auto c = colour(p);
            const auto hatch = p.u16le();
            if (!hatch)
                return false;
            GdiObject o;
            o.kind = GdiObject::Kind::Brush;
            if (*style == 1)
                o.brush = Brush::none();
            else if (*style == 2 && *hatch < kHatches.size()) {
                o.brush = Brush::pattern(kHatches[*hatch]);
                o.hatchColour = *c;
            } else
                o.brush = Brush::solid(*c);
            return create(o);
        }
        case kCreateFontIndirect: {
            const auto height = s16(p);
            p.skip(2 + 2 + 2);
            const auto weight = p.u16le();
            const auto italic = p.u8(), underline = p.u8(), strike = p.u8();
            p.skip(5);
            if (!strike)
                return false;
            const auto face = p.bytes(std::min<size_t>(32, p.remaining()));
            QByteArray name(reinterpret_cast<const char*>(face->data()), qsizetype(face->size()));
            if (const qsizetype nul = name.indexOf('\0'); nul >= 0)
                name.truncate(nul);
            GdiObject o;
            o.kind = GdiObject::Kind::Font;
            o.fontHeight = *height;
            o.fontFace = QString::fromLatin1(name);
            o.fontStyles =
                uint8_t((*weight >= 600 ? 1 : 0) | (*italic ? 2 : 0) | (*underline ? 4 : 0) | (*strike ? 8 : 0));
            return create(o);
        }
        case kCreatePalette: {
            GdiObject palette;
            palette.kind = GdiObject::Kind::Other;
            return create(palette);
        }
        case kSelectObject:
        case kDeleteObject: {
            const auto index = p.u16le();
            if (!index || *index >= m_objects.size())
                return false;
            if (function == kSelectObject)
                select(m_objects[*index]);
            else
                m_objects[*index] = GdiObject{};
            return true;
        }
        case kSaveDc:
            m_canvas.save();
            ++m_saved;
            return true;
        case kRestoreDc:
            if (m_saved > 0) {
                m_canvas.restore();
                --m_saved;
            }
            return true;
        case kMoveTo: {
            const auto y = s16(p), x = s16(p);
            if (!x)
                return false;
            m_canvas.moveTo(map(*x, *y));
            return true;
        }
        case kLineTo: {
            const auto y = s16(p), x = s16(p);
            if (!x)
                return false;
            m_canvas.lineTo(map(*x, *y));
            return true;
        }
        case kRectangle:
        case kEllipse: {
            const auto bottom = s16(p), right = s16(p), top = s16(p), left = s16(p);
            if (!left)
                return false;
            const Rect r = mapRect(*left, *top, *right, *bottom);
            withHatchColours([&] {
                if (function == kRectangle)
                    m_canvas.drawRectangle(r);
                else
                    m_canvas.drawEllipse(r);
            });
            return true;
        }
        case kRoundRect: {
            const auto h = s16(p), w = s16(p), bottom = s16(p), right = s16(p), top = s16(p), left = s16(p);
            if (!left)
                return false;
            const Rect r = mapRect(*left, *top, *right, *bottom);
            withHatchColours([&] { m_canvas.drawRoundRect(r, mapLength(*w, false), mapLength(*h, true)); });
            return true;
        }
        case kArc:
        case kPie:
        case kChord: {
            const auto yEnd = s16(p), xEnd = s16(p), yStart = s16(p), xStart = s16(p);
            const auto bottom = s16(p), right = s16(p), top = s16(p), left = s16(p);
            if (!left)
                return false;
            const Rect r = mapRect(*left, *top, *right, *bottom);
            const QPoint start = map(*xStart, *yStart), end = map(*xEnd, *yEnd);
            if (function == kArc)
                m_canvas.drawArc(r, start, end);
            else if (function == kPie)
                withHatchColours([&] { m_canvas.drawPie(r, start, end); });
            else
                withHatchColours([&] { m_canvas.drawChord(r, start, end); });
            return true;
        }
        case kPolygon:
        case kPolyline: {
            const auto count = s16(p);
            std::vector<QPoint> points;
            if (!count || !readPoints(p, *count, points))
                return false;
            if (function == kPolyline)
                m_canvas.drawPolyline(points);
            else
                withHatchColours([&] { m_canvas.drawPolygon(points, m_fillMode); });
            return true;
        }
        case kPolyPolygon: {
            const auto polygons = s16(p);
            if (!polygons || *polygons < 0 || p.remaining() < size_t(*polygons) * 2)
                return false;
            std::vector<int> counts;
            for (int i = 0; i < *polygons; ++i)
                counts.push_back(*s16(p));
            for (int count : counts) {
                std::vector<QPoint> points;
                if (!readPoints(p, count, points))
                    return false;
                withHatchColours([&] { m_canvas.drawPolygon(points, m_fillMode); });
            }
            return true;
        }
        case kTextOut: {
            const auto count = s16(p);
            if (!count || *count < 0)
                return false;
            const auto chars = p.bytes(size_t(*count + (*count & 1)));
            const auto y = s16(p), x = s16(p);
            if (!chars || !x)
                return false;
            return text(*x, *y, QByteArray(reinterpret_cast<const char*>(chars->data()), *count));
        }
        case kExtTextOut: {
            const auto y = s16(p), x = s16(p), count = s16(p);
            const auto options = p.u16le();
            if (!options || *count < 0)
                return false;
            if ((*options & 0x0006) && !p.skip(8))
                return false;
            const auto chars = p.bytes(size_t(*count));
            if (!chars)
                return false;
            return text(*x, *y, QByteArray(reinterpret_cast<const char*>(chars->data()), *count));
        }
        case kDibStretchBlt:
        case kStretchDib: {
            // StretchDIB carries the DIB colour use before the source area.
            p.skip(4); // raster operation
            if (function == kStretchDib)
                p.skip(2);
            const auto srcH = s16(p), srcW = s16(p), srcY = s16(p), srcX = s16(p);
            const auto dstH = s16(p), dstW = s16(p), dstY = s16(p), dstX = s16(p);
            if (!dstX)
                return false;
            const Rect dest = mapRect(*dstX, *dstY, *dstX + *dstW, *dstY + *dstH);
            return dib(p.bytes(p.remaining()).value_or(std::span<const std::byte>()), dest, *srcX, *srcY, *srcW, *srcH);
        }
        case kDibBitBlt: {
            p.skip(4);
            const auto srcY = s16(p), srcX = s16(p), h = s16(p), w = s16(p), dstY = s16(p), dstX = s16(p);
            if (!dstX)
                return false;
            const Rect dest = mapRect(*dstX, *dstY, *dstX + *w, *dstY + *h);
            return dib(p.bytes(p.remaining()).value_or(std::span<const std::byte>()), dest, *srcX, *srcY, *w, *h);
        }
        // Records that change nothing a replay on our canvas can show.
        case kSetMapMode:
        case kSetRelAbs:
        case kSetStretchBltMode:
        case kSetTextCharExtra:
        case kSetTextJustification:
        case kSetViewportOrg:
        case kSetViewportExt:
        case kSetMapperFlags:
        case kSelectPalette:
        case kRealizePalette:
        case kSetPalEntries:
        case kEscape: return true;
        default: return false;
        }
    }

    gdi::Canvas& m_canvas;
    Rect m_target;
    std::vector<GdiObject> m_objects;
    QPoint m_windowOrg;
    QSize m_windowExt;
    gdi::PolyFillMode m_fillMode = gdi::PolyFillMode::Alternate;
    uint16_t m_textAlign = 0;
    ColorRef m_hatchColour = 0;
    bool m_brushIsHatch = false;
    int m_saved = 0;
};

// The window extent of a metafile without a placeable header: the first
// SetWindowExt record.
std::optional<QSize> windowExtent(std::span<const std::byte> records)
{
    ByteReader r(records);
    while (!r.atEnd()) {
        const auto sizeWords = r.u32le();
        const auto function = r.u16le();
        if (!function || *sizeWords < 3)
            return std::nullopt;
        const auto params = r.bytes(size_t(*sizeWords - 3) * 2);
        if (!params || *function == kEof)
            return std::nullopt;
        if (*function == kSetWindowExt && params->size() >= 4) {
            ByteReader p(*params);
            const int h = int16_t(*p.u16le()), w = int16_t(*p.u16le());
            return QSize(std::abs(w), std::abs(h));
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QSize> metafileSize(std::span<const std::byte> bytes)
{
    const auto header = readHeader(bytes);
    if (!header)
        return std::nullopt;
    if (header->placeableBox) {
        const int inch = header->unitsPerInch;
        return QSize((std::abs(header->placeableBox->width()) * 96 + inch / 2) / inch,
                     (std::abs(header->placeableBox->height()) * 96 + inch / 2) / inch);
    }
    return windowExtent(bytes.subspan(std::min(header->recordsStart, bytes.size())));
}

Result<bool> playMetafile(std::span<const std::byte> bytes, gdi::Canvas& canvas, const gdi::Rect& target)
{
    const auto header = readHeader(bytes);
    if (!header || header->recordsStart > bytes.size())
        return Failure{picture::kUndecodable};
    Player player(canvas, target, *header);
    return player.play(bytes.subspan(header->recordsStart));
}

Result<DecodedPicture> decodeMetafile(std::span<const std::byte> bytes)
{
    const auto size = metafileSize(bytes);
    if (!size || size->isEmpty() || size->width() > kMaxPictureSide || size->height() > kMaxPictureSide ||
        int64_t(size->width()) * size->height() > kMaxPicturePixels)
        return Failure{picture::kUndecodable};
    gdi::Surface surface(size->width(), size->height(), gdi::rgb(255, 255, 255));
    gdi::Canvas canvas(surface);
    const auto played = playMetafile(bytes, canvas, surface.rect());
    if (!played)
        return Failure{played.error()};
    DecodedPicture picture;
    picture.image = surface.image().copy();
    picture.sourceDepth = 32;
    setBottomLeftTransparentColour(picture);
    return picture;
}

} // namespace lumeria
