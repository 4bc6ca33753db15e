#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureDecoder.h"
#include "platform/image/PictureError.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::asBytes;
using test::bmpFile;
using test::encodedImage;

Result<DecodedPicture> decodeBmp(const QByteArray& bytes)
{
    return decodePicture(QStringLiteral("PIC.BMP"), asBytes(bytes), {});
}

// Every depth decodes to its pixels, and the indexed ones bring the size of
// their colour table along (Qt widens 4-bit pixels, the table remains).
TEST(DecodeBmpDepths, EachDepthGivesItsPixelsAndTable)
{
    QImage mono(9, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 80), qRgb(250, 240, 0)});
    mono.fill(0);
    mono.setPixel(8, 1, 1);

    std::vector<uint32_t> table16(16, 0x808080);
    table16[3] = 0x708090;
    const QByteArray fourBit = bmpFile(3, 1, 4, 0, table16, QByteArray("\x12\x30\x00\x00", 4));

    QImage trueColour(2, 2, QImage::Format_RGB32);
    trueColour.fill(qRgb(1, 2, 3));

    struct Case {
        const char* what;
        QByteArray bytes;
        QPoint at;
        QRgb colour;
        int depth;
        int colours;
    };
    for (const Case& c : {Case{"1 bit", encodedImage(mono, "BMP"), {8, 1}, qRgb(250, 240, 0), 1, 2},
                          Case{"4 bits", fourBit, {2, 0}, qRgb(0x70, 0x80, 0x90), 4, 16},
                          Case{"24 bits", encodedImage(trueColour, "BMP"), {1, 1}, qRgb(1, 2, 3), 24, 0}}) {
        auto d = decodeBmp(c.bytes);
        ASSERT_TRUE(d) << c.what << ": " << d.error();
        EXPECT_EQ(d->image.format(), QImage::Format_RGB32) << c.what;
        EXPECT_EQ(d->image.pixel(c.at), c.colour) << c.what;
        EXPECT_EQ(d->sourceDepth, c.depth) << c.what;
        EXPECT_EQ(d->paletteColours, c.colours) << c.what;
        EXPECT_EQ(d->palette.has_value(), c.colours > 0) << c.what;
    }
}

TEST(DecodeBmpDepths, EightBitPicturesKeepTheirPalette)
{
    QImage indexed(3, 2, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgb(i, 255 - i, (i * 7) & 0xFF));
    indexed.setColorTable(table);
    indexed.fill(200);
    indexed.setPixel(1, 0, 3);
    for (const char* format : {"BMP", "PNG"}) {
        auto d =
            decodePicture(QStringLiteral("P.") + QLatin1String(format), asBytes(encodedImage(indexed, format)), {});
        ASSERT_TRUE(d) << format << ": " << d.error();
        EXPECT_EQ(d->image.pixel(1, 0), table[3]) << format;
        EXPECT_EQ(d->image.pixel(0, 1), table[200]) << format;
        ASSERT_TRUE(d->palette) << format;
        EXPECT_EQ(d->paletteColours, 256) << format;
        EXPECT_EQ((*d->palette)[200], (PaletteEntry{200, 55, 1400 & 0xFF, 0})) << format;
        EXPECT_EQ(d->transparentColour, uint32_t(200 | (55 << 8) | ((1400 & 0xFF) << 16))) << format;
    }
}

TEST(DecodeBmpRunLength, EightBitRunsAbsoluteRunsAndLineEndsDecode)
{
    // Bottom line: a run of four 1s. Top line: an absolute run 2 3 2 (padded
    // to a word), a run of one 1, then end of bitmap.
    const QByteArray rle("\x04\x01\x00\x00"
                         "\x00\x03\x02\x03\x02\x00"
                         "\x01\x01\x00\x01",
                         14);
    auto d = decodeBmp(bmpFile(4, 2, 8, 1, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF}, rle));
    ASSERT_TRUE(d) << d.error();
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
    const QRgb expected[2][4] = {{green, blue, green, red}, {red, red, red, red}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d->image.pixel(x, y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(d->paletteColours, 4);
}

TEST(DecodeBmpHostile, HugeOrTruncatedBitmapsFailCleanly)
{
    EXPECT_FALSE(decodeBmp(bmpFile(100000, 100000, 24, 0, {}, QByteArray(16, '\0'))).ok());
    EXPECT_EQ(decodeBmp(bmpFile(20000, 2, 24, 0, {}, QByteArray(16, '\0'))).error(), picture::kTooLarge);
    const QByteArray good = encodedImage(QImage(5, 5, QImage::Format_RGB32), "BMP");
    for (qsizetype cut = 0; cut < 54; ++cut)
        EXPECT_FALSE(decodeBmp(good.left(cut)).ok()) << cut;
}

} // namespace
} // namespace lumeria
