#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureDecoder.h"
#include "platform/image/PictureError.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::asBytes;
using test::bmpFile;
using test::encodedImage;

constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;

Result<DecodedPicture> decodeBmp(const QByteArray& bytes)
{
    return decodePicture(QStringLiteral("PIC.BMP"), asBytes(bytes), {});
}

const std::vector<uint32_t> kTable = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

TEST(DecodeBmpDepths, OneBitKeepsItsTwoColours)
{
    QImage mono(9, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 80), qRgb(250, 240, 0)});
    mono.fill(0);
    mono.setPixel(8, 1, 1);
    auto d = decodeBmp(encodedImage(mono, "BMP"));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(8, 1), qRgb(250, 240, 0));
    EXPECT_EQ(d->image.pixel(7, 1), qRgb(0, 0, 80));
    ASSERT_TRUE(d->palette);
    EXPECT_EQ(d->paletteColours, 2);
    // Qt's writer may store the two colours in either order.
    const PaletteEntry yellow{250, 240, 0, 0}, navy{0, 0, 80, 0};
    const Palette& p = *d->palette;
    EXPECT_TRUE((p[0] == navy && p[1] == yellow) || (p[0] == yellow && p[1] == navy));
    EXPECT_EQ(d->sourceDepth, 1);
}

TEST(DecodeBmpDepths, FourBitPixelsIndexTheirTable)
{
    std::vector<uint32_t> table(16, 0x808080);
    table[1] = 0x102030;
    table[2] = 0x405060;
    table[3] = 0x708090;
    auto d = decodeBmp(bmpFile(3, 1, 4, 0, table, QByteArray("\x12\x30\x00\x00", 4)));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(0, 0), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(d->image.pixel(1, 0), qRgb(0x40, 0x50, 0x60));
    EXPECT_EQ(d->image.pixel(2, 0), qRgb(0x70, 0x80, 0x90));
    EXPECT_EQ(d->paletteColours, 16);
    EXPECT_EQ(d->sourceDepth, 4);
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
        auto d = decodePicture(format == QByteArray("BMP") ? QStringLiteral("P.BMP") : QStringLiteral("P.PNG"),
                               asBytes(encodedImage(indexed, format)), {});
        ASSERT_TRUE(d) << format << ": " << d.error();
        EXPECT_EQ(d->image.format(), QImage::Format_RGB32);
        EXPECT_EQ(d->image.pixel(1, 0), table[3]) << format;
        EXPECT_EQ(d->image.pixel(0, 1), table[200]) << format;
        ASSERT_TRUE(d->palette) << format;
        EXPECT_EQ(d->paletteColours, 256) << format;
        EXPECT_EQ((*d->palette)[200], (PaletteEntry{200, 55, uint8_t(1400 & 0xFF), 0})) << format;
        EXPECT_EQ(d->transparentColour, uint32_t(200 | (55 << 8) | ((1400 & 0xFF) << 16))) << format;
    }
}

TEST(DecodeBmpDepths, TrueColourHasNoPalette)
{
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    auto d = decodeBmp(encodedImage(image, "BMP"));
    ASSERT_TRUE(d) << d.error();
    EXPECT_FALSE(d->palette);
    EXPECT_EQ(d->sourceDepth, 24);
}

TEST(DecodeBmpRunLength, EightBitRunsAbsoluteRunsAndLineEndsDecode)
{
    // Bottom line: a run of four 1s. Top line: an absolute run 2 3 2 (padded
    // to a word), a run of one 1, then end of bitmap.
    const QByteArray rle("\x04\x01\x00\x00"
                         "\x00\x03\x02\x03\x02\x00"
                         "\x01\x01\x00\x01",
                         14);
    auto d = decodeBmp(bmpFile(4, 2, 8, kBiRle8, kTable, rle));
    ASSERT_TRUE(d) << d.error();
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
    EXPECT_EQ(d->image.pixel(0, 0), green);
    EXPECT_EQ(d->image.pixel(1, 0), blue);
    EXPECT_EQ(d->image.pixel(2, 0), green);
    EXPECT_EQ(d->image.pixel(3, 0), red);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(d->image.pixel(x, 1), red) << x;
    EXPECT_EQ(d->paletteColours, 4);
}

TEST(DecodeBmpRunLength, FourBitRunsAlternateTheirTwoIndexes)
{
    auto d = decodeBmp(bmpFile(4, 1, 4, kBiRle4, kTable, QByteArray("\x04\x12\x00\x01", 4)));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(d->image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(d->image.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(d->image.pixel(3, 0), qRgb(0, 255, 0));
}

TEST(DecodeBmpHostile, HugeOrTruncatedBitmapsFailCleanly)
{
    EXPECT_EQ(decodeBmp(bmpFile(100000, 100000, 24, 0, {}, QByteArray(16, '\0'))).ok(), false);
    EXPECT_EQ(decodeBmp(bmpFile(20000, 2, 24, 0, {}, QByteArray(16, '\0'))).error(), picture::kTooLarge);
    const QByteArray good = encodedImage(QImage(5, 5, QImage::Format_RGB32), "BMP");
    for (qsizetype cut = 0; cut < 54; ++cut)
        EXPECT_FALSE(decodeBmp(good.left(cut)).ok()) << cut;
}

} // namespace
} // namespace lumeria
