#pragma once

// The metafile player's insides, shared by the files that play its records.

#include "platform/ByteReader.h"
#include "platform/Result.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/SymbolFonts.h"

#include <QSize>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace lumeria::wmf {

// Record functions, by the numbers metafiles store.
enum : uint16_t {
    kEof = 0x0000,
    kSaveDc = 0x001E,
    kRealizePalette = 0x0035,
    kSetPalEntries = 0x0037,
    kCreatePalette = 0x00F7,
    kCreateBrush = 0x00F8,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetRelAbs = 0x0105,
    kSetPolyFillMode = 0x0106,
    kSetStretchBltMode = 0x0107,
    kSetTextCharExtra = 0x0108,
    kRestoreDc = 0x0127,
    kSelectClipRegion = 0x012C,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kResizePalette = 0x0139,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetTextJustification = 0x020A,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kOffsetViewportOrg = 0x0211,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kOffsetClipRgn = 0x0220,
    kSetMapperFlags = 0x0231,
    kSelectPalette = 0x0234,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kCreateBitmapIndirect = 0x02FD,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kScaleViewportExt = 0x0412,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kFloodFill = 0x0419,
    kRectangle = 0x041B,
    kSetPixel = 0x041F,
    kAnimatePalette = 0x0436,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kExtFloodFill = 0x0548,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kEscape = 0x0626,
    kCreateBitmap = 0x06FE,
    kCreateRegion = 0x06FF,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kBitBlt = 0x0922,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kStretchBlt = 0x0B23,
    kDibStretchBlt = 0x0B41,
    kSetDibToDev = 0x0D33,
    kStretchDib = 0x0F43,
};

using gdi::SymbolSet;

struct GdiObject {
    enum class Kind { Empty, Pen, Brush, Font, Region, Palette, Other } kind = Kind::Empty;
    gdi::Pen pen;
    gdi::Brush brush;
    // Hatches draw in their own colour over the background colour; pattern
    // brushes made from a bitmap carry both of their colours.
    enum class Colours { Dc, Hatch, Own } colours = Colours::Dc;
    gdi::ColorRef fore = 0; // the pattern's 0 bits
    gdi::ColorRef back = 0; // the pattern's 1 bits
    int fontHeight = 0;
    int fontWidth = 0; // the average character width asked for, 0 for the font's own
    int fontEscapement = 0;
    gdi::FontStyles fontStyles = 0;
    QString fontFace;
    SymbolSet symbols = SymbolSet::None;
    uint8_t charset = 0;
    std::vector<gdi::Rect> region; // logical units, as the record gives them
    // A palette's entries and their flags (PC_RESERVED entries are the ones
    // AnimatePalette may change).
    std::vector<gdi::ColorRef> paletteEntries;
    std::vector<uint8_t> paletteFlags;
};

// How logical units become pixels of the picture's frame (the frame is the
// picture at its own size; the target is where it is drawn).
struct Mapping {
    int mode = 8; // MM_ANISOTROPIC: the window extent spans the viewport
    QPoint windowOrg;
    QSize windowExt;
    QPoint viewportOrg;
    QSize viewportExt;
};

// What SaveDC keeps besides the canvas's own state.
struct PlayerState {
    Mapping mapping;
    gdi::PolyFillMode fillMode = gdi::PolyFillMode::Alternate;
    uint16_t textAlign = 0;
    int charExtra = 0;
    int breakExtra = 0;
    int breakCount = 0;
    GdiObject::Colours brushColours = GdiObject::Colours::Dc;
    gdi::ColorRef brushFore = 0;
    gdi::ColorRef brushBack = 0;
    int fontEscapement = 0;
    SymbolSet symbols = SymbolSet::None;
    uint8_t charset = 0;
    std::optional<gdi::Region> clip; // canvas coordinates; none: the whole target
    int palette = -1;                // the object slot of the selected palette
};

// A signed 16-bit parameter, as most records store coordinates.
inline std::optional<int> s16(ByteReader& p)
{
    const auto v = p.u16le();
    return v ? std::optional<int>(int16_t(*v)) : std::nullopt;
}

class Player;
using RecordHandler = bool (Player::*)(ByteReader&);
// The handler of a record function, or null for records not played.
RecordHandler handlerFor(uint16_t function);

class Player {
public:
    Player(gdi::Canvas& canvas, const gdi::Rect& target, QSize frame, std::optional<gdi::Rect> placeableBox,
           int objects);

    Result<bool> play(std::span<const std::byte> records);
    int skippedRecords() const { return m_skipped; }

    // Record handlers. Each returns false when it could not play its record,
    // which is then skipped like an unknown one.
    bool setWindowOrg(ByteReader& p);
    bool setWindowExt(ByteReader& p);
    bool setViewportOrg(ByteReader& p);
    bool setViewportExt(ByteReader& p);
    bool offsetWindowOrg(ByteReader& p);
    bool offsetViewportOrg(ByteReader& p);
    bool scaleWindowExt(ByteReader& p);
    bool scaleViewportExt(ByteReader& p);
    bool setMapMode(ByteReader& p);
    bool setBkColor(ByteReader& p);
    bool setTextColor(ByteReader& p);
    bool setBkMode(ByteReader& p);
    bool setRop2(ByteReader& p);
    bool setStretchBltMode(ByteReader& p);
    bool setPolyFillMode(ByteReader& p);
    bool setTextAlign(ByteReader& p);
    bool setTextCharExtra(ByteReader& p);
    bool setTextJustification(ByteReader& p);
    bool ignore(ByteReader& p);
    bool createPenIndirect(ByteReader& p);
    bool createBrushIndirect(ByteReader& p);
    bool createPatternBrush(ByteReader& p);
    bool dibCreatePatternBrush(ByteReader& p);
    bool createFontIndirect(ByteReader& p);
    bool createPalette(ByteReader& p);
    bool selectPalette(ByteReader& p);
    bool setPalEntries(ByteReader& p);
    bool animatePalette(ByteReader& p);
    bool changePaletteEntries(ByteReader& p, bool reservedOnly);
    bool createRegion(ByteReader& p);
    // Objects the player cannot draw with still take their slot, so later
    // object numbers keep pointing where the file meant them to.
    bool createPlaceholder(ByteReader& p);
    bool selectObject(ByteReader& p);
    bool deleteObject(ByteReader& p);
    bool saveDc(ByteReader& p);
    bool restoreDc(ByteReader& p);
    bool intersectClipRect(ByteReader& p);
    bool excludeClipRect(ByteReader& p);
    bool selectClipRegion(ByteReader& p);
    bool offsetClipRgn(ByteReader& p);
    bool moveTo(ByteReader& p);
    bool lineTo(ByteReader& p);
    bool rectangle(ByteReader& p);
    bool ellipse(ByteReader& p);
    bool roundRect(ByteReader& p);
    bool arc(ByteReader& p);
    bool pie(ByteReader& p);
    bool chord(ByteReader& p);
    bool polygon(ByteReader& p);
    bool polyline(ByteReader& p);
    bool polyPolygon(ByteReader& p);
    bool setPixel(ByteReader& p);
    bool floodFill(ByteReader& p);
    bool extFloodFill(ByteReader& p);
    bool patBlt(ByteReader& p);
    // A PATBLT record's rectangle, read from p, painted with the brush.
    bool patternBlit(ByteReader& p, uint32_t rop);
    bool bitBlt(ByteReader& p);
    bool stretchBltRecord(ByteReader& p);
    bool dibBitBlt(ByteReader& p);
    bool dibStretchBlt(ByteReader& p);
    bool stretchDib(ByteReader& p);
    bool setDibToDev(ByteReader& p);
    bool textOut(ByteReader& p);
    bool extTextOut(ByteReader& p);

private:
    Result<bool> playRecords(ByteReader& r);

    QPoint map(int x, int y) const;
    gdi::Rect mapRect(int left, int top, int right, int bottom) const;
    int mapLength(int v, bool vertical) const;
    // Pixels of the target per logical unit, as a fraction, on one axis.
    struct Scale {
        int64_t num;
        int64_t den;
    };
    Scale scale(bool vertical) const;

    bool readPoints(ByteReader& p, int count, std::vector<QPoint>& out) const;
    bool create(GdiObject object);
    GdiObject* objectAt(ByteReader& p);
    void select(const GdiObject& o);
    void selectFont(const GdiObject& o);
    // Runs draw with the selected brush's colours in the DC where the
    // canvas's pattern brushes look for them.
    void withBrushColours(const std::function<void()>& draw);
    // Puts the canvas into state (a saved one, or the current one with a new
    // clip): the canvas's clip only narrows, so the player's clip is applied
    // afresh on the clip of the target.
    void applyCanvasState(const gdi::DcState& state);
    void setClip(std::optional<gdi::Region> clip);
    gdi::Region currentClip() const;

    // Text at (x, y), or at the current position under TA_UPDATECP; dx are
    // the file's character distances in logical units, if it gave them.
    bool drawText(int x, int y, std::span<const std::byte> chars, std::span<const int> dx, gdi::ExtTextOptions options);
    QString decodeText(std::span<const std::byte> chars) const;
    bool drawDib(std::span<const std::byte> dib, const gdi::Rect& dest, int srcX, int srcY, int srcW, int srcH,
                 uint32_t rop, bool stretchDibits);
    bool fill(int x, int y, gdi::ColorRef colour, bool surface);
    bool drawDeviceBitmap(ByteReader& p, const gdi::Rect& dest, const gdi::BlitArea& source, uint32_t rop);

    gdi::Canvas& m_canvas;
    gdi::DcState m_callerState; // what the canvas held when play began
    gdi::Rect m_target;
    QSize m_frame;
    // A placeable file is drawn into its frame: the frame is its viewport,
    // and its own viewport records do not move it.
    bool m_placeable = false;
    std::vector<GdiObject> m_objects;
    PlayerState m_state;
    std::vector<std::pair<gdi::DcState, PlayerState>> m_saved;
    int m_skipped = 0;
};

} // namespace lumeria::wmf
