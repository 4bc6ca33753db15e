#include "platform/image/WmfPlayer.h"
#include "../gdi/GdiTestSupport.h"
#include "platform/PictureHeader.h"
#include "platform/gdi/Canvas.h"
#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureDecoder.h"
#include "platform/image/PictureError.h"
#include "platform/image/WmfPlayback.h"

#include <QByteArray>
#include <QFontMetrics>

#include <cstring>

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

namespace lumeria {
namespace {

// Writes a metafile record by record: parameters are 16-bit words, in the
// reversed order metafiles store them.
class MetafileBuilder {
public:
    explicit MetafileBuilder(int objects = 4) : m_objects(objects) {}

    MetafileBuilder& placeable(int left, int top, int right, int bottom, int inch)
    {
        m_placeable.clear();
        put32(m_placeable, 0x9AC6CDD7u);
        put16(m_placeable, 0);
        for (int v : {left, top, right, bottom, inch})
            put16(m_placeable, uint16_t(v));
        put32(m_placeable, 0);
        put16(m_placeable, 0);
        return *this;
    }
    MetafileBuilder& record(uint16_t function, std::initializer_list<int> words)
    {
        put32(m_records, uint32_t(3 + words.size()));
        put16(m_records, function);
        for (int w : words)
            put16(m_records, uint16_t(w));
        return *this;
    }
    MetafileBuilder& raw(uint16_t function, const QByteArray& params)
    {
        put32(m_records, uint32_t(3 + params.size() / 2));
        put16(m_records, function);
        m_records.append(params);
        return *this;
    }
    QByteArray bytes() const
    {
        QByteArray out = m_placeable;
        put16(out, 1);
        put16(out, 9);
        put16(out, 0x0300);
        put32(out, 0);
        put16(out, uint16_t(m_objects));
        put32(out, 0);
        put16(out, 0);
        out.append(m_records);
        put32(out, 3);
        put16(out, 0);
        return out;
    }
    static void put16(QByteArray& b, uint16_t v)
    {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    }
    static void put32(QByteArray& b, uint32_t v)
    {
        put16(b, uint16_t(v & 0xFFFF));
        put16(b, uint16_t(v >> 16));
    }

private:
    int m_objects;
    QByteArray m_placeable;
    QByteArray m_records;
};

std::span<const std::byte> span(const QByteArray& b)
{
    return std::as_bytes(std::span(b.constData(), size_t(b.size())));
}

// A 20x20 picture at 1440 units to the inch: 300 units per 20 pixels.
MetafileBuilder redBoxWithBlueLine()
{
    MetafileBuilder m;
    m.placeable(0, 0, 300, 300, 1440)
        .record(0x020B, {0, 0})             // window origin
        .record(0x020C, {300, 300})         // window extent
        .record(0x02FA, {0, 0, 0, 0xFF, 0}) // pen: solid, width 0, red
        .record(0x02FC, {0, 0x00FF, 0, 0})  // brush: solid red
        .record(0x012D, {0})
        .record(0x012D, {1})
        .record(0x041B, {150, 150, 0, 0}) // rectangle 0,0 - 150,150
        .record(0x01F0, {0})
        .record(0x02FA, {0, 15, 0, 0x0000, 0xFF}) // pen: solid, blue
        .record(0x012D, {0})
        .record(0x0214, {225, 0})    // move to (0, 225)
        .record(0x0213, {225, 300}); // line to (300, 225)
    return m;
}

TEST(Metafile, SizeComesFromThePlaceableHeaderAtNinetySixDpi)
{
    const QByteArray wmf = redBoxWithBlueLine().bytes();
    ASSERT_TRUE(metafileSize(span(wmf)));
    EXPECT_EQ(*metafileSize(span(wmf)), QSize(20, 20));

    MetafileBuilder plain;
    plain.record(0x020C, {40, 64});
    EXPECT_EQ(*metafileSize(span(plain.bytes())), QSize(64, 40));

    // The pack tool records the size the player draws at.
    const auto packed = pictureDimensions(span(wmf));
    ASSERT_TRUE(packed);
    EXPECT_EQ(packed->width, 20);
    EXPECT_EQ(packed->height, 20);
    EXPECT_EQ(pictureDimensions(span(plain.bytes()))->width, 64);
}

// A metafile with neither a placeable header nor a window extent draws in
// pixels from the origin and takes the size of what it draws; white ink on
// the white page counts too. One that draws nothing has no size at all.
TEST(Metafile, WithoutAnySizeItTakesTheSizeOfWhatItDraws)
{
    MetafileBuilder m;
    m.record(0x02FA, {0, 0, 0, 0xFFFF, 0x00FF}) // pen: solid, white
        .record(0x02FC, {0, 0xFFFF, 0x00FF, 0}) // brush: solid white
        .record(0x012D, {0})
        .record(0x012D, {1})
        .record(0x041B, {20, 30, 10, 10}); // rectangle (10,10)-(30,20)
    const QByteArray wmf = m.bytes();
    EXPECT_FALSE(metafileSize(span(wmf)));
    const auto decoded = decodeMetafile(span(wmf));
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(decoded->image.size(), QSize(30, 20));
    EXPECT_EQ(decoded->image.pixel(15, 15) & 0xFFFFFFu, 0xFFFFFFu);

    EXPECT_FALSE(decodeMetafile(span(MetafileBuilder().bytes())).ok());
}

TEST(Metafile, RecordsAreMappedThroughTheWindow)
{
    const auto picture = decodeMetafile(span(redBoxWithBlueLine().bytes()));
    ASSERT_TRUE(picture) << picture.error();
    const QImage& image = picture->image;
    ASSERT_EQ(image.size(), QSize(20, 20));
    auto at = [&](int x, int y) { return uint32_t(image.pixel(x, y)) & 0xFFFFFF; };
    // Rectangle 0..150 in window units is 0..10 pixels, right/bottom excluded.
    EXPECT_EQ(at(0, 0), 0xFF0000u); // Qt's RGB: red
    EXPECT_EQ(at(9, 9), 0xFF0000u);
    EXPECT_EQ(at(10, 10), 0xFFFFFFu);
    // The line at 225 units is row 15.
    EXPECT_EQ(at(5, 15), 0x0000FFu);
    EXPECT_EQ(at(5, 14), 0xFFFFFFu);
    EXPECT_EQ(picture->transparentColour, 0xFFFFFFu);
}

TEST(Metafile, ReplaysIntoAnyTarget)
{
    gdi::Surface surface(40, 40, gdi::rgb(255, 255, 255));
    gdi::Canvas canvas(surface);
    ASSERT_TRUE(playMetafile(span(redBoxWithBlueLine().bytes()), canvas, {20, 20, 40, 40}));
    EXPECT_EQ(surface.colourAt(25, 25), gdi::rgb(255, 0, 0));
    EXPECT_EQ(surface.colourAt(5, 5), gdi::rgb(255, 255, 255)); // nothing outside the target
    EXPECT_EQ(surface.colourAt(25, 35), gdi::rgb(0, 0, 255));
}

TEST(Metafile, TheDispatchPlaysMetafiles)
{
    const auto picture = decodePicture(QStringLiteral("ART\\LOGO.WMF"), span(redBoxWithBlueLine().bytes()), {});
    ASSERT_TRUE(picture) << picture.error();
    EXPECT_EQ(picture->image.size(), QSize(20, 20));
}

TEST(Metafile, UnknownRecordsAreSkippedButBrokenFilesFail)
{
    // A record no player knows, and one whose object was never created: the
    // rest of the picture still draws.
    MetafileBuilder odd = redBoxWithBlueLine();
    odd.record(0x0777, {1, 2, 3}).record(0x012D, {9});
    const auto picture = decodeMetafile(span(odd.bytes()));
    ASSERT_TRUE(picture) << picture.error();
    EXPECT_EQ(uint32_t(picture->image.pixel(5, 5)) & 0xFFFFFF, 0xFF0000u);

    const QByteArray good = redBoxWithBlueLine().bytes();
    for (int cut : {0, 10, 22, 40, 60, int(good.size()) - 7})
        EXPECT_FALSE(decodeMetafile(span(good.left(cut)))) << cut;

    // A placeable header claiming no units per inch has no size.
    MetafileBuilder noInch = redBoxWithBlueLine();
    noInch.placeable(0, 0, 300, 300, 0);
    EXPECT_FALSE(metafileSize(span(noInch.bytes())));
    EXPECT_FALSE(decodeMetafile(span(noInch.bytes())));
    // A record claiming more words than the file has.
    QByteArray tooLong = good;
    tooLong[40] = char(0x7F);
    EXPECT_EQ(decodeMetafile(span(tooLong)).error(), picture::kUndecodable);
    // A record shorter than its own header.
    QByteArray tiny = good;
    tiny[40] = char(2);
    tiny[41] = tiny[42] = tiny[43] = 0;
    EXPECT_FALSE(decodeMetafile(span(tiny)));
}

TEST(Metafile, PiesAreFilledWithTheBrush)
{
    MetafileBuilder m;
    // A pie of the full 20x20 frame from the right-hand point round to the
    // top: its upper right quarter.
    m.placeable(0, 0, 20, 20, 96)
        .record(0x02FC, {0, 0, 0, 0}) // solid black brush
        .record(0x012D, {0})
        .record(0x081A, {0, 10, 10, 20, 20, 20, 0, 0});
    const auto picture = decodeMetafile(span(m.bytes()));
    ASSERT_TRUE(picture) << picture.error();
    EXPECT_EQ(uint32_t(picture->image.pixel(14, 5)) & 0xFFFFFF, 0u);
    EXPECT_EQ(uint32_t(picture->image.pixel(5, 14)) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Metafile, TextAndPolygonsDraw)
{
    gdi::test::ensureGuiApplication();
    MetafileBuilder m;
    QByteArray font(18, '\0');
    font[0] = char(0xF6); // height -10 in window units... at 1:1 mapping
    font[1] = char(0xFF);
    font.append("Liberation Sans");
    font.append(QByteArray(32 - 15, '\0'));
    m.placeable(0, 0, 96, 48, 96)
        .record(0x02FC, {0, 0, 0, 0}) // brush: solid black
        .record(0x012D, {0})
        .record(0x02FA, {5, 0, 0, 0, 0}) // null pen
        .record(0x012D, {1})
        .record(0x0324, {3, 0, 0, 20, 0, 0, 20}) // triangle
        .raw(0x02FB, font)
        .record(0x012D, {2})
        .record(0x0102, {1})                            // transparent background
        .record(0x0521, {2, 'H' | ('i' << 8), 10, 40}); // "Hi" at (40, 10)
    const auto picture = decodeMetafile(span(m.bytes()));
    ASSERT_TRUE(picture) << picture.error();
    const QImage& image = picture->image;
    EXPECT_EQ(uint32_t(image.pixel(2, 2)) & 0xFFFFFF, 0u);
    EXPECT_EQ(uint32_t(image.pixel(18, 18)) & 0xFFFFFF, 0xFFFFFFu);
    bool ink = false;
    for (int y = 10; y < 24 && !ink; ++y)
        for (int x = 40; x < 60; ++x)
            ink |= (uint32_t(image.pixel(x, y)) & 0xFFFFFF) != 0xFFFFFFu;
    EXPECT_TRUE(ink);
}

// --- Records drawn on a small canvas, one metafile unit to the pixel ------

gdi::Surface played(const MetafileBuilder& m, int width, int height)
{
    gdi::Surface surface(width, height, gdi::rgb(255, 255, 255));
    gdi::Canvas canvas(surface);
    const auto result = playMetafile(span(m.bytes()), canvas, surface.rect());
    EXPECT_TRUE(result) << result.error();
    return surface;
}

// Objects 0 and 1: a solid brush of the given colour and a null pen, both
// selected. Without a pen GDI fills a rectangle one pixel short of its right
// and bottom edges, which the expected pixels below show.
MetafileBuilder filled(int size, uint16_t colourLow = 0, uint16_t colourHigh = 0)
{
    MetafileBuilder m(8);
    m.placeable(0, 0, size, size, 96)
        .record(0x02FC, {0, colourLow, colourHigh, 0})
        .record(0x012D, {0})
        .record(0x02FA, {5, 0, 0, 0, 0})
        .record(0x012D, {1});
    return m;
}

QByteArray words(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        MetafileBuilder::put16(b, uint16_t(v));
    return b;
}

TEST(MetafileRecords, ClipRectanglesRegionsAndSavedStates)
{
    using gdi::test::picture;
    MetafileBuilder m = filled(10);
    m.record(0x001E, {})                 // SaveDC
        .record(0x0416, {8, 8, 2, 2})    // IntersectClipRect 2,2 - 8,8
        .record(0x0415, {6, 6, 4, 4})    // ExcludeClipRect 4,4 - 6,6
        .record(0x041B, {10, 10, 0, 0}); // Rectangle over everything
    EXPECT_EQ(picture(played(m, 10, 10)), "..........\n"
                                          "..........\n"
                                          "..######..\n"
                                          "..######..\n"
                                          "..##..##..\n"
                                          "..##..##..\n"
                                          "..######..\n"
                                          "..######..\n"
                                          "..........\n"
                                          "..........\n");
    // RestoreDC gives the whole picture back.
    m.record(0x0127, {0xFFFF}).record(0x041B, {10, 10, 0, 0});
    EXPECT_EQ(gdi::test::countOf(played(m, 10, 10), gdi::rgb(0, 0, 0)), 81);

    // A region of two rectangles on rows 1-2, selected as the clip, then
    // moved down by five.
    MetafileBuilder region = filled(10);
    region.raw(0x06FF, words({0, 6, 0, 0, 0, 1, 0, 1, 1, 8, 3, 4, 1, 3, 1, 3, 6, 8, 4}))
        .record(0x012C, {2})
        .record(0x041B, {10, 10, 0, 0})
        .record(0x0220, {5, 0}) // OffsetClipRgn by (0, 5)
        .record(0x02FC, {0, 0x00FF, 0, 0})
        .record(0x012D, {3})
        .record(0x041B, {10, 10, 0, 0});
    const gdi::Surface s = played(region, 10, 10);
    EXPECT_EQ(picture(s), "..........\n"
                          ".##...##..\n"
                          ".##...##..\n"
                          "..........\n"
                          "..........\n"
                          "..........\n"
                          "..........\n"
                          "..........\n"
                          "..........\n"
                          "..........\n");
    EXPECT_EQ(picture(s, gdi::rgb(255, 0, 0)), "..........\n"
                                               "..........\n"
                                               "..........\n"
                                               "..........\n"
                                               "..........\n"
                                               "..........\n"
                                               ".##...##..\n"
                                               ".##...##..\n"
                                               "..........\n"
                                               "..........\n");
    // Selecting anything but a region as the clip takes the clip away.
    region.record(0x012C, {0}).record(0x041B, {10, 10, 0, 0});
    EXPECT_EQ(gdi::test::countOf(played(region, 10, 10), gdi::rgb(255, 0, 0)), 81);
}

TEST(MetafileRecords, PolyPolygonIsOneFigureUnderTheFillMode)
{
    // A square inside a square, both drawn the same way round.
    auto rings = [](int mode) {
        MetafileBuilder m = filled(10);
        m.record(0x0106, {mode}).record(0x0538, {2, 4, 4, 1, 1, 9, 1, 9, 9, 1, 9, 3, 3, 7, 3, 7, 7, 3, 7});
        return gdi::test::picture(played(m, 10, 10));
    };
    EXPECT_EQ(rings(1), "..........\n"
                        ".########.\n"
                        ".########.\n"
                        ".##....##.\n"
                        ".##....##.\n"
                        ".##....##.\n"
                        ".##....##.\n"
                        ".########.\n"
                        ".########.\n"
                        "..........\n");
    EXPECT_EQ(
        gdi::test::countOf(
            played(
                [] {
                    MetafileBuilder m = filled(10);
                    m.record(0x0106, {2}).record(0x0538, {2, 4, 4, 1, 1, 9, 1, 9, 9, 1, 9, 3, 3, 7, 3, 7, 7, 3, 7});
                    return m;
                }(),
                10, 10),
            gdi::rgb(0, 0, 0)),
        64);
}

TEST(MetafileRecords, MapModesAndWindowViewportChanges)
{
    // Twips: 15 to the pixel at 96 dpi, y growing upwards.
    MetafileBuilder twips = filled(10);
    twips.record(0x0103, {6}).record(0x041B, {-75, 75, 0, 0});
    EXPECT_EQ(gdi::test::inkBounds(played(twips, 10, 10)), (gdi::Rect{0, 0, 4, 4}));

    // Window extent doubled and its origin moved: (-10,-10)-(0,0) is the
    // top-left quarter.
    MetafileBuilder window = filled(10);
    window.record(0x0410, {1, 2, 1, 2}).record(0x020F, {-10, -10}).record(0x041B, {0, 0, -10, -10});
    EXPECT_EQ(gdi::test::inkBounds(played(window, 10, 10)), (gdi::Rect{0, 0, 4, 4}));

    // The viewport scaled by half and moved: the whole window lands in the
    // bottom-right quarter.
    MetafileBuilder viewport = filled(10);
    viewport.record(0x0412, {2, 1, 2, 1}).record(0x0211, {5, 5}).record(0x041B, {10, 10, 0, 0});
    EXPECT_EQ(gdi::test::inkBounds(played(viewport, 10, 10)), (gdi::Rect{5, 5, 9, 9}));

    // Isotropic: the smaller scale wins on both axes.
    MetafileBuilder iso = filled(10);
    iso.record(0x0103, {7}).record(0x020C, {10, 20}).record(0x041B, {10, 20, 0, 0});
    EXPECT_EQ(gdi::test::inkBounds(played(iso, 10, 10)), (gdi::Rect{0, 0, 9, 4}));
}

TEST(MetafileRecords, PixelsAndFloodFills)
{
    using gdi::test::picture;
    MetafileBuilder m(8);
    m.placeable(0, 0, 8, 8, 96)
        .record(0x02FC, {1, 0, 0, 0}) // hollow brush
        .record(0x012D, {0})
        .record(0x041B, {7, 7, 1, 1})      // black frame 1,1 - 7,7
        .record(0x02FC, {0, 0x00FF, 0, 0}) // red brush
        .record(0x012D, {1})
        .record(0x0419, {0, 0, 3, 3})       // FloodFill to the black border
        .record(0x041F, {0xFF00, 0, 0, 7}); // SetPixel (7, 0) green
    const gdi::Surface s = played(m, 8, 8);
    EXPECT_EQ(picture(s, gdi::rgb(255, 0, 0)), "........\n"
                                               "........\n"
                                               "..####..\n"
                                               "..####..\n"
                                               "..####..\n"
                                               "..####..\n"
                                               "........\n"
                                               "........\n");
    EXPECT_EQ(s.colourAt(7, 0), gdi::rgb(0, 255, 0));
    EXPECT_EQ(s.colourAt(1, 1), gdi::rgb(0, 0, 0));

    // Surface mode fills the white outside, through to the set pixel.
    m.record(0x0548, {1, 0xFFFF, 0x00FF, 0, 0});
    const gdi::Surface t = played(m, 8, 8);
    EXPECT_EQ(gdi::test::countOf(t, gdi::rgb(255, 255, 255)), 0);
    EXPECT_EQ(gdi::test::countOf(t, gdi::rgb(0, 0, 0)), 20);
}

// A pen's style word carries its end cap (bits 8-11) and join (12-15); a
// wide pen keeps them, and styles past PS_INSIDEFRAME keep their width.
TEST(MetafileRecords, PenStyleBitsGiveWidePensTheirEndsAndJoins)
{
    using gdi::test::picture;
    auto line = [](int style) {
        MetafileBuilder m;
        m.placeable(0, 0, 12, 12, 96)
            .record(0x02FA, {style, 4, 0, 0x00FF, 0}) // red pen, 4 wide
            .record(0x012D, {0})
            .record(0x0214, {6, 2})   // move to (2, 6)
            .record(0x0213, {6, 10}); // line to (10, 6)
        return played(m, 12, 12);
    };
    const gdi::ColorRef red = gdi::rgb(255, 0, 0);
    const std::string blank = "............\n";
    // PS_ENDCAP_FLAT | PS_JOIN_MITER: the line ends where it ends.
    EXPECT_EQ(picture(line(0x2200), red), blank + blank + blank + blank +
                                              "..########..\n"
                                              "..########..\n"
                                              "..########..\n"
                                              "..########..\n" +
                                              blank + blank + blank + blank);
    // PS_ENDCAP_SQUARE: half the width further at both ends.
    EXPECT_EQ(picture(line(0x0100), red), blank + blank + blank + blank +
                                              "############\n"
                                              "############\n"
                                              "############\n"
                                              "############\n" +
                                              blank + blank + blank + blank);
    // Round ends (style 0) reach past the ends, but not in their corners.
    const gdi::Surface round = line(0);
    EXPECT_EQ(round.colourAt(1, 5), red);
    EXPECT_NE(round.colourAt(0, 3), red);
    // A user style (7) cannot be replayed: a solid pen of the same width.
    EXPECT_EQ(gdi::test::countOf(line(0x2207), red), 32);

    // Mitred and bevelled corners of a polyline (0x0325) differ only at the
    // outer corner of the turn.
    auto corner = [](int style) {
        MetafileBuilder m;
        m.placeable(0, 0, 16, 16, 96)
            .record(0x02FA, {style, 6, 0, 0x00FF, 0})
            .record(0x012D, {0})
            .record(0x0325, {3, 2, 4, 10, 4, 10, 14}); // (2,4) (10,4) (10,14)
        return played(m, 16, 16);
    };
    const gdi::Surface mitred = corner(0x2200);
    const gdi::Surface bevelled = corner(0x1200);
    EXPECT_EQ(mitred.colourAt(12, 1), red);
    EXPECT_NE(bevelled.colourAt(12, 1), red);
    EXPECT_EQ(bevelled.colourAt(10, 4), red);
    EXPECT_GT(gdi::test::countOf(mitred, red), gdi::test::countOf(bevelled, red));
}

TEST(MetafileRecords, PatternBrushesAndDeletingTheSelectedBrush)
{
    // An 8x8 one-bit DIB of vertical stripes, red and blue.
    QByteArray dib = words({5, 0}); // DIB pattern brush, RGB colours
    dib += words({40, 0, 8, 0, 8, 0, 1, 1, 0, 0, 32, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    dib += words({0, 0xFF, 0xFF, 0}); // palette: red, then blue
    for (int row = 0; row < 8; ++row)
        dib += words({0xAA, 0});
    MetafileBuilder m = filled(8);
    m.raw(0x0142, dib).record(0x012D, {2}).record(0x041B, {8, 8, 0, 0});
    const gdi::Surface s = played(m, 8, 8);
    EXPECT_EQ(gdi::test::rowOf(s, 3, gdi::rgb(0, 0, 255)), "#.#.#.#.");
    EXPECT_EQ(gdi::test::rowOf(s, 3, gdi::rgb(255, 0, 0)), ".#.#.#..");

    // A pattern of four colours keeps every one of them where the DIB puts it.
    QByteArray four = words({5, 0});
    four += words({40, 0, 8, 0, 8, 0, 1, 4, 0, 0, 32, 0, 0, 0, 0, 0, 4, 0, 0, 0});
    four += words({0, 0xFF, 0xFF00, 0, 0xFF, 0, 0xFF00, 0xFF}); // red, green, blue, yellow
    const auto index = [](int x, int y) { return (x + y) % 4; };
    for (int row = 0; row < 8; ++row) {
        const int y = 7 - row; // bottom-up rows
        for (int x = 0; x < 8; x += 2)
            four += char(index(x, y) << 4 | index(x + 1, y));
    }
    MetafileBuilder fourFile = filled(8);
    fourFile.raw(0x0142, four).record(0x012D, {2}).record(0x041B, {8, 8, 0, 0});
    const gdi::Surface f = played(fourFile, 8, 8);
    const gdi::ColorRef colours[] = {gdi::rgb(255, 0, 0), gdi::rgb(0, 255, 0), gdi::rgb(0, 0, 255),
                                     gdi::rgb(255, 255, 0)};
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(f.colourAt(x, y), colours[index(x, y)]) << x << "," << y;
    }

    // A monochrome device bitmap: 0 bits in the text colour, 1 bits in the
    // background colour.
    QByteArray mono = words({0, 8, 8, 2}) + QByteArray(1, char(1)) + QByteArray(1, char(1));
    mono += QByteArray(4 + 18, '\0');
    for (int row = 0; row < 8; ++row)
        mono += words({0x0F});
    MetafileBuilder monoFile = filled(8);
    monoFile.raw(0x01F9, mono).record(0x012D, {2}).record(0x041B, {8, 8, 0, 0});
    EXPECT_EQ(gdi::test::rowOf(played(monoFile, 8, 8), 5), "####....");

    // Patterns of other sizes than 8 x 8 repeat at their own size: a 12 x 2
    // one-bit DIB with one red column in blue, and a 16-pixel-wide device
    // bitmap with its last column set.
    QByteArray twelve = words({5, 0});
    twelve += words({40, 0, 12, 0, 2, 0, 1, 1, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    twelve += words({0, 0xFF, 0xFF, 0}); // red, blue
    for (int row = 0; row < 2; ++row)
        twelve += words({0xFF7F, 0xFFF0}); // 0111 1111 1111 1111: x 0 red
    MetafileBuilder twelveFile = filled(30);
    twelveFile.raw(0x0142, twelve).record(0x012D, {2}).record(0x041B, {30, 30, 0, 0});
    EXPECT_EQ(gdi::test::rowOf(played(twelveFile, 30, 30), 5, gdi::rgb(255, 0, 0)), "#...........#...........#.....");
    QByteArray wideMono = words({0, 16, 1, 2}) + QByteArray(1, char(1)) + QByteArray(1, char(1));
    wideMono += QByteArray(4 + 18, '\0') + words({0x0100});
    MetafileBuilder wideFile = filled(40);
    wideFile.raw(0x01F9, wideMono).record(0x012D, {2}).record(0x041B, {40, 40, 0, 0});
    EXPECT_EQ(gdi::test::rowOf(played(wideFile, 40, 40), 3, gdi::rgb(255, 255, 255)),
              "...............#...............#.......#"); // 39 is left unfilled

    // A deleted brush that is still selected goes on drawing; its slot is
    // taken by the next object.
    MetafileBuilder deleted = filled(8, 0x00FF); // red brush in slot 0
    deleted.record(0x01F0, {0})
        .record(0x02FC, {0, 0, 0x00FF, 0}) // blue brush, slot 0 again
        .record(0x041B, {4, 8, 0, 0})
        .record(0x012D, {0})
        .record(0x041B, {8, 8, 4, 0});
    const gdi::Surface d = played(deleted, 8, 8);
    EXPECT_EQ(d.colourAt(3, 1), gdi::rgb(255, 0, 0));
    EXPECT_EQ(d.colourAt(3, 6), gdi::rgb(0, 0, 255));
}

TEST(MetafileRecords, PaletteIndexColoursFollowTheSelectedPalettesEntries)
{
    const auto entry = [](int r, int g, int b, int flags) {
        return QByteArray(1, char(r)) + char(g) + char(b) + char(flags);
    };
    constexpr int kReserved = 1;
    MetafileBuilder m = filled(16);
    m.raw(0x00F7, words({0x300, 3}) + entry(255, 0, 0, 0) + entry(0, 255, 0, kReserved) + entry(0, 0, 255, 0))
        .record(0x0234, {2})              // SelectPalette
        .record(0x02FC, {0, 1, 0x100, 0}) // brush: PALETTEINDEX(1)
        .record(0x012D, {3})
        .record(0x041B, {16, 4, 0, 0})
        .raw(0x0037, words({1, 1}) + entry(255, 255, 0, kReserved)) // SetPaletteEntries: 1 is yellow
        .record(0x041B, {16, 8, 0, 4})
        // AnimatePalette moves only reserved entries: 1 turns black, 2 stays blue.
        .raw(0x0436, words({1, 2}) + entry(0, 0, 0, 0) + entry(255, 255, 255, 0))
        .record(0x041B, {16, 12, 0, 8})
        .record(0x02FC, {0, 2, 0x100, 0}) // brush: PALETTEINDEX(2)
        .record(0x012D, {4})
        .record(0x041B, {16, 16, 0, 12})
        .raw(0x0037, words({5, 1}) + entry(9, 9, 9, 0)); // past the end: nothing to change
    const gdi::Surface s = played(m, 16, 16);
    EXPECT_EQ(s.colourAt(1, 5), gdi::rgb(0, 255, 0)); // drawn pixels keep their colour
    EXPECT_EQ(s.colourAt(5, 5), gdi::rgb(255, 255, 0));
    EXPECT_EQ(s.colourAt(9, 5), gdi::rgb(0, 0, 0));
    EXPECT_EQ(s.colourAt(13, 5), gdi::rgb(0, 0, 255));

    // RestoreDC brings back the palette selected at the save: entry changes
    // after it go to that palette, not to the one selected in between.
    MetafileBuilder restored = filled(4);
    restored
        .raw(0x00F7, words({0x300, 2}) + entry(255, 0, 0, 0) + entry(255, 0, 0, 0)) // slot 2: red
        .raw(0x00F7, words({0x300, 2}) + entry(0, 255, 0, 0) + entry(0, 255, 0, 0)) // slot 3: green
        .record(0x0234, {2})
        .record(0x001E, {}) // SaveDC
        .record(0x0234, {3})
        .record(0x0127, {-1})                             // RestoreDC
        .raw(0x0037, words({1, 1}) + entry(0, 0, 255, 0)) // SetPaletteEntries: entry 1 blue
        .record(0x02FC, {0, 0, 0x100, 0})                 // brush: PALETTEINDEX(0)
        .record(0x012D, {4})
        .record(0x041B, {4, 4, 0, 0});
    EXPECT_EQ(played(restored, 4, 4).colourAt(1, 1), gdi::rgb(255, 0, 0));

    // Without a selected palette, indices name the default palette's entries.
    MetafileBuilder defaults = filled(4);
    defaults.record(0x02FC, {0, 13, 0x100, 0}).record(0x012D, {2}).record(0x041B, {4, 4, 0, 0});
    EXPECT_EQ(played(defaults, 4, 4).colourAt(1, 1), gdi::rgb(255, 0, 0));

    // Entry changes without a selected palette, and a palette record too
    // short for its entries, are skipped; the picture still plays.
    MetafileBuilder none = filled(4);
    none.raw(0x0037, words({0, 1}) + entry(1, 2, 3, 0)).raw(0x00F7, words({0x300, 9}) + entry(1, 2, 3, 0));
    played(none, 4, 4);
}

// A bitmap record's DIB is the bitmap file without its 14-byte file header.
QByteArray dibOf(const QByteArray& bmpFile)
{
    QByteArray dib = bmpFile.mid(14);
    if (dib.size() & 1)
        dib.append('\0');
    return dib;
}

// StretchDIBits (bottomUpRows) or DibStretchBlt of source rows srcY..srcY+h
// of a DIB w pixels wide, copied one to one at the top left.
MetafileBuilder bitmapPicture(const QByteArray& dib, int w, int h, int srcY, bool bottomUpRows)
{
    MetafileBuilder m(8);
    m.placeable(0, 0, w, h, 96);
    QByteArray params = words({0x0020, 0x00CC}); // SRCCOPY
    if (bottomUpRows)
        params += words({0}); // colour use: RGB
    params += words({h, w, srcY, 0, h, w, 0, 0});
    return m.raw(bottomUpRows ? 0x0F43 : 0x0B41, params + dib);
}

TEST(MetafileRecords, BitmapsShowEveryPixelAsTheBitmapFileReaderDecodesIt)
{
    using test::bmpFile;
    const QByteArray rle8("\x03\x01\x00\x02\x01\x01\x00\x00\x02\x02\x00\x01", 12); // with a delta
    const QByteArray red555("\x00\x7C\xFF\x7F\x21\x04\x00\x00", 8);                // 31 is 255, not 248
    const struct {
        const char* name;
        int w, h;
        QByteArray file;
    } cases[] = {
        {"1-bit", 5, 2, bmpFile(5, 2, 1, 0, {0xFF0000, 0x00FF00}, QByteArray("\xA8\0\0\0\x50\0\0\0", 8))},
        {"4-bit", 3, 2, bmpFile(3, 2, 4, 0, {0, 0x0000FF, 0xFFFF00}, QByteArray("\x12\x00\0\0\x21\x10\0\0", 8))},
        {"RLE8", 4, 2, bmpFile(4, 2, 8, 1, {0x000000, 0xFF0000, 0x00FF00}, rle8)},
        {"16-bit", 3, 1, bmpFile(3, 1, 16, 0, {}, red555)},
        {"24-bit", 2, 2,
         bmpFile(2, 2, 24, 0, {}, QByteArray("\x01\x02\x03\x04\x05\x06\0\0\x07\x08\x09\x0A\x0B\x0C\0\0", 16))},
    };
    for (const auto& c : cases) {
        const auto reference = decodePicture(QStringLiteral("PIC.BMP"), span(c.file), {});
        ASSERT_TRUE(reference) << c.name;
        const gdi::Surface s = played(bitmapPicture(dibOf(c.file), c.w, c.h, 0, true), c.w, c.h);
        // StretchDIBits of a whole run-length bitmap leaves the pixels its
        // codes skip as they were (white here), where the reader gives colour 0.
        const std::vector<uint8_t>& written = reference->runLengthWritten;
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const QRgb want = reference->image.pixel(x, y);
                const bool skipped = !written.empty() && !written[size_t(y * c.w + x)];
                EXPECT_EQ(s.colourAt(x, y),
                          skipped ? gdi::rgb(255, 255, 255) : gdi::rgb(qRed(want), qGreen(want), qBlue(want)))
                    << c.name << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(written.empty(), std::string(c.name) != "RLE8") << c.name;
    }
    EXPECT_EQ(played(bitmapPicture(dibOf(cases[3].file), 3, 1, 0, true), 3, 1).colourAt(0, 0), gdi::rgb(255, 0, 0));

    // Four rows of one colour each, stored bottom row first. StretchDIBits
    // counts source rows from the bottom of such a DIB; DibStretchBlt from
    // the top of the picture.
    QByteArray rows;
    for (uint8_t blue : {10, 20, 30, 40})
        rows += QByteArray(1, char(blue)) + QByteArray(2, '\0') + QByteArray(1, '\0');
    const QByteArray stripes = dibOf(bmpFile(1, 4, 24, 0, {}, rows));
    EXPECT_EQ(played(bitmapPicture(stripes, 1, 1, 0, true), 1, 1).colourAt(0, 0), gdi::rgb(0, 0, 10));
    EXPECT_EQ(played(bitmapPicture(stripes, 1, 1, 0, false), 1, 1).colourAt(0, 0), gdi::rgb(0, 0, 40));
    EXPECT_EQ(played(bitmapPicture(stripes, 1, 1, 3, true), 1, 1).colourAt(0, 0), gdi::rgb(0, 0, 40));
}

TEST(MetafileRecords, SetDibToDevCopiesTheCarriedScanLinesUnstretched)
{
    using test::bmpFile;
    // Scan lines 1 and 2 (from the bottom) of a 1 x 4 bitmap, blue 20 and
    // 30, asked for whole at the origin of a picture played at twice its size.
    const QByteArray carried = QByteArray("\x14\0\0\0\x1E\0\0\0", 8);
    auto record = [&](int height, int startScan, int lines, const QByteArray& bits) {
        MetafileBuilder m(8);
        m.placeable(0, 0, 1, 4, 96);
        const QByteArray params = words({0, lines, startScan, 0, 0, 4, 1, 0, 0});
        return m.raw(0x0D33, params + dibOf(bmpFile(1, height, 24, 0, {}, bits)));
    };
    const gdi::Surface s = played(record(4, 1, 2, carried), 2, 8);
    EXPECT_EQ(s.colourAt(0, 1), gdi::rgb(0, 0, 30));
    EXPECT_EQ(s.colourAt(0, 2), gdi::rgb(0, 0, 20));
    EXPECT_EQ(gdi::test::inkBounds(s), gdi::Rect({0, 1, 1, 3}));

    // A top-down bitmap's carried rows come top row first, counted the same way.
    const gdi::Surface topDown = played(record(-4, 1, 2, carried), 2, 8);
    EXPECT_EQ(topDown.colourAt(0, 1), gdi::rgb(0, 0, 20));
    EXPECT_EQ(topDown.colourAt(0, 2), gdi::rgb(0, 0, 30));

    // Counts past the bitmap or the record draw nothing and read nothing
    // beyond the record.
    for (const auto& [height, startScan, lines] :
         {std::tuple{4, 4, 1}, std::tuple{4, 0, 0}, std::tuple{-4, 0, 65535}, std::tuple{-0x7FFF, 0, 0x7FFF}}) {
        const gdi::Surface none = played(record(height, startScan, lines, carried), 2, 8);
        EXPECT_EQ(gdi::test::inkBounds(none), gdi::Rect()) << height << " " << startScan << " " << lines;
    }
}

TEST(MetafileRecords, MonochromeDeviceBitmapsTakeTheTextAndBackgroundColours)
{
    // BITBLT of an 8 x 2 one-bit device bitmap: 1 bits are the background
    // colour, 0 bits the text colour, as GDI blits such bitmaps.
    const auto blit = [](int rowBytes) {
        MetafileBuilder m(8);
        m.placeable(0, 0, 8, 2, 96)
            .record(0x0209, {0x00FF, 0})  // text colour red
            .record(0x0201, {0, 0x00FF}); // background blue
        QByteArray params = words({0x0020, 0x00CC, 0, 0, 2, 8, 0, 0});
        params += words({0, 8, 2, rowBytes}) + QByteArray(1, 1) + QByteArray(1, 1);
        params += QByteArray("\xF0\x00\x0F\x00", 4);
        return m.raw(0x0922, params);
    };
    const gdi::Surface s = played(blit(2), 8, 2);
    EXPECT_EQ(gdi::test::rowOf(s, 0, gdi::rgb(0, 0, 255)), "####....");
    EXPECT_EQ(gdi::test::rowOf(s, 1, gdi::rgb(255, 0, 0)), "####....");
    // Rows too short for the width are refused, and nothing is drawn.
    EXPECT_EQ(gdi::test::countOf(played(blit(0), 8, 2), gdi::rgb(0, 0, 255)), 0);
}

// CreateFontIndirect's parameters: a 20-pixel em, the escapement and the
// character set.
QByteArray fontRecord(const char* face, int escapement = 0, int charset = 0)
{
    QByteArray f = words({uint16_t(-20), 0, escapement, escapement, 400});
    f += QByteArray(1, 0) + QByteArray(1, 0) + QByteArray(1, 0) + QByteArray(1, char(charset));
    f += QByteArray(4, '\0');
    QByteArray name(face);
    name.append(QByteArray(32 - name.size(), '\0'));
    return f + name;
}

// A transparent-background picture with a Liberation Sans font selected,
// 120 by 60 units.
MetafileBuilder textPicture(int escapement = 0)
{
    MetafileBuilder m(8);
    m.placeable(0, 0, 120, 60, 96).raw(0x02FB, fontRecord("Liberation Sans", escapement)).record(0x012D, {0});
    m.record(0x0102, {1});
    return m;
}

QByteArray textOutWords(const char* text, int x, int y)
{
    const int n = int(strlen(text));
    QByteArray b = words({n});
    b.append(text);
    if (n & 1)
        b.append('\0');
    return b + words({y, x});
}

TEST(MetafileRecords, TextAlignmentAndTheCurrentPosition)
{
    gdi::test::ensureGuiApplication();
    MetafileBuilder whole = textPicture();
    whole.raw(0x0521, textOutWords("ABCD", 5, 10));
    // TA_UPDATECP: the first call starts at the current position, the
    // second where the first ended; the coordinates given are ignored.
    MetafileBuilder pieces = textPicture();
    pieces.record(0x012E, {1}).record(0x0214, {10, 5});
    pieces.raw(0x0521, textOutWords("AB", 90, 40)).raw(0x0521, textOutWords("CD", 90, 40));
    EXPECT_EQ(gdi::test::picture(played(pieces, 120, 60)), gdi::test::picture(played(whole, 120, 60)));

    auto bounds = [](int align, int x, int y) {
        MetafileBuilder m = textPicture();
        m.record(0x012E, {align}).raw(0x0521, textOutWords("HIH", x, y));
        return gdi::test::inkBounds(played(m, 120, 60));
    };
    const gdi::Rect left = bounds(0, 60, 10), right = bounds(2, 60, 10), centre = bounds(6, 60, 10);
    EXPECT_GE(left.left, 60);
    EXPECT_LE(right.right, 60);
    EXPECT_GT(right.right, 55);
    EXPECT_LT(centre.left, 60);
    EXPECT_GT(centre.right, 60);
    EXPECT_LE(std::abs((centre.left + centre.right) / 2 - 60), 1);
    // Capitals sit on the baseline: their ink ends on the row above it.
    EXPECT_EQ(bounds(0x18, 10, 40).bottom, 40);
    EXPECT_GT(bounds(0, 10, 10).top, 10);
    EXPECT_LT(bounds(8, 10, 40).bottom, 40);
}

TEST(MetafileRecords, ExtTextOutRectanglesSpacingAndRotation)
{
    gdi::test::ensureGuiApplication();
    // An opaque rectangle with no text fills exactly that rectangle with
    // the background colour, whatever the background mode.
    MetafileBuilder opaque = textPicture();
    opaque.record(0x0201, {0x00FF, 0}).record(0x0A32, {0, 0, 0, 2, 10, 5, 30, 15});
    EXPECT_EQ(gdi::test::inkBounds(played(opaque, 120, 60)), (gdi::Rect{10, 5, 30, 15}));
    EXPECT_EQ(gdi::test::countOf(played(opaque, 120, 60), gdi::rgb(255, 0, 0)), 200);

    // The clipping rectangle cuts the text.
    MetafileBuilder clipped = textPicture();
    clipped.raw(0x0A32, words({10, 5, 4, 4, 0, 0, 20, 60}) + QByteArray("WWWW"));
    const gdi::Rect cut = gdi::test::inkBounds(played(clipped, 120, 60));
    EXPECT_FALSE(cut.isEmpty());
    EXPECT_LE(cut.right, 20);

    // Character distances place each character.
    MetafileBuilder spaced = textPicture();
    spaced.raw(0x0A32, words({10, 5, 2, 0}) + QByteArray("II") + words({50, 50}));
    const gdi::Rect wide = gdi::test::inkBounds(played(spaced, 120, 60));
    EXPECT_GE(wide.width(), 50);
    EXPECT_LT(wide.width(), 60);

    // SetTextCharacterExtra spreads text without distances.
    MetafileBuilder extra = textPicture();
    extra.record(0x0108, {20}).raw(0x0521, textOutWords("II", 5, 10));
    EXPECT_GE(gdi::test::inkBounds(played(extra, 120, 60)).width(), 20);

    // Escapement 90 degrees: the text runs upwards from its start.
    MetafileBuilder rotated = textPicture(900);
    rotated.raw(0x0521, textOutWords("ABCDE", 20, 55));
    const gdi::Rect up = gdi::test::inkBounds(played(rotated, 120, 60));
    EXPECT_GT(up.height(), 2 * up.width());
    EXPECT_LE(up.bottom, 56);
}

TEST(MetafileRecords, SymbolFontsShowTheirOwnCharacters)
{
    gdi::test::ensureGuiApplication();
    // A Symbol 'D' is not a Latin D.
    auto drawn = [](const char* face, int charset) {
        MetafileBuilder m(8);
        m.placeable(0, 0, 60, 40, 96).raw(0x02FB, fontRecord(face, 0, charset)).record(0x012D, {0});
        m.raw(0x0521, textOutWords("D", 10, 5));
        return gdi::test::picture(played(m, 60, 40));
    };
    EXPECT_NE(drawn("Symbol", 2), drawn("Liberation Sans", 0));
}

} // namespace
} // namespace lumeria
