#include "platform/image/WmfPlayer.h"
#include "../gdi/GdiTestSupport.h"
#include "platform/PictureHeader.h"
#include "platform/gdi/Canvas.h"
#include "platform/image/PictureDecoder.h"
#include "platform/image/PictureError.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <initializer_list>

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

} // namespace
} // namespace lumeria
