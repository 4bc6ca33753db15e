#include "platform/image/PngDecoder.h"
#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureDecoder.h"
#include "platform/image/PictureError.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::asBytes;
using test::pngFile;

void appendU16be(QByteArray& out, unsigned v)
{
    out.append(char((v >> 8) & 0xFF));
    out.append(char(v & 0xFF));
}

// 5 x 3, 16 bits a sample: a checkerboard of the key colour and of colours
// that differ in every column.
QByteArray keyedRgb16()
{
    QByteArray rows;
    for (int y = 0; y < 3; ++y) {
        rows.append('\0');
        for (int x = 0; x < 5; ++x) {
            const bool key = (x + y) % 2 == 0;
            appendU16be(rows, key ? 0x1234 : 0xFFFF);
            appendU16be(rows, key ? 0x5678 : 0x8080);
            appendU16be(rows, key ? 0x9ABC : unsigned(x * 0x1111));
        }
    }
    QByteArray trns;
    appendU16be(trns, 0x1234);
    appendU16be(trns, 0x5678);
    appendU16be(trns, 0x9ABC);
    return pngFile(5, 3, 16, 2, rows, trns);
}

TEST(DecodePng, SixteenBitColourKeyedPicturesKeepEveryPixel)
{
    const QByteArray file = keyedRgb16();
    auto first = decodePicture(QStringLiteral("K.PNG"), asBytes(file), {});
    auto again = decodePicture(QStringLiteral("K.PNG"), asBytes(file), {});
    ASSERT_TRUE(first && again) << first.error();
    EXPECT_EQ(first->image, again->image);
    EXPECT_EQ(first->sourceDepth, 32);
    auto alpha = decodePngWithAlpha(asBytes(file));
    ASSERT_TRUE(alpha) << alpha.error();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool key = (x + y) % 2 == 0;
            // 16-bit levels round to the nearest 8-bit one.
            const QRgb colour = key ? qRgb(0x12, 0x56, 0x9A) : qRgb(0xFF, 0x80, x * 0x11);
            EXPECT_EQ(first->image.pixel(x, y), colour) << x << "," << y;
            EXPECT_EQ(alpha.value().pixel(x, y), key ? colour & 0x00FFFFFFu : colour) << x << "," << y;
        }
    }
}

TEST(DecodePng, PalettesGreyAndInterlacedPictures)
{
    // 2-bit palette: the table is kept, its alpha only in the icon form.
    const QByteArray plte("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9);
    const QByteArray indexed = pngFile(3, 1, 2, 3, QByteArray("\x00\x1B", 2), QByteArray("\xFF\x00", 2), plte);
    auto pal = decodePng(asBytes(indexed));
    ASSERT_TRUE(pal) << pal.error();
    EXPECT_EQ(pal->image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(pal->image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(pal->image.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(pal->paletteColours, 3);
    EXPECT_EQ(pal->sourceDepth, 2);
    EXPECT_EQ(qAlpha(decodePngWithAlpha(asBytes(indexed)).value().pixel(1, 0)), 0);

    // 4-bit grey: a ramp of 16.
    auto grey = decodePng(asBytes(pngFile(2, 1, 4, 0, QByteArray("\x00\xF5", 2))));
    ASSERT_TRUE(grey) << grey.error();
    EXPECT_EQ(grey->image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(grey->image.pixel(1, 0), qRgb(0x55, 0x55, 0x55));
    EXPECT_EQ(grey->paletteColours, 16);

    // Adam7 with a 3 x 3 grey picture: passes 1, 4, 6 and 7 hold pixels.
    // Pass 1: (0,0); pass 4: (2,0); pass 6: (1,0),(1,2)... laid out by hand.
    QByteArray passes;
    passes += QByteArray("\x00\x10", 2);         // pass 1: (0,0)
    passes += QByteArray("\x00\x20", 2);         // pass 4: (2,0)
    passes += QByteArray("\x00\x30\x40", 3);     // pass 5: (0,2),(2,2)
    passes += QByteArray("\x00\x50\x00\x60", 4); // pass 6: (1,0); (1,2)
    passes += QByteArray("\x00\x70\x80\x90", 4); // pass 7: row 1
    auto interlaced = decodePng(asBytes(pngFile(3, 3, 8, 0, passes, {}, {}, 1)));
    ASSERT_TRUE(interlaced) << interlaced.error();
    const int expected[3][3] = {{0x10, 0x50, 0x20}, {0x70, 0x80, 0x90}, {0x30, 0x60, 0x40}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(qRed(interlaced->image.pixel(x, y)), expected[y][x]) << x << "," << y;
}

TEST(DecodePng, BrokenAndHugeFilesFailCleanly)
{
    const QByteArray good = keyedRgb16();
    for (qsizetype cut : {qsizetype(0), qsizetype(8), qsizetype(20), qsizetype(40), good.size() - 13})
        EXPECT_FALSE(decodePng(asBytes(good.left(cut))).ok()) << cut;
    QByteArray badCrc = good;
    badCrc[30] = char(badCrc[30] ^ 1);
    EXPECT_FALSE(decodePng(asBytes(badCrc)).ok());
    EXPECT_EQ(decodePng(asBytes(pngFile(16000, 16000, 8, 0, QByteArray(1, '\0')))).error(), picture::kTooLarge);
    // A cut text chunk claiming 2 GiB where IEND was fails (and fast); bytes
    // after IEND are no concern.
    QByteArray claims = good.left(good.size() - 12);
    test::appendU32be(claims, 0x7FFFFFF0);
    claims += "tEXtTitle";
    EXPECT_EQ(decodePng(asBytes(claims)).error(), picture::kUndecodable);
    EXPECT_TRUE(decodePng(asBytes(good + claims.right(13))).ok());
}

} // namespace
} // namespace lumeria
