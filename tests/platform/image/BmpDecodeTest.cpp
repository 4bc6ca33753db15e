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

// A bitmap file around any info header: `header` starts with its own size,
// `extra` (masks, colour table) follows it, then the pixel data.
QByteArray dibFile(const QByteArray& header, const QByteArray& extra, const QByteArray& pixels)
{
    const auto offset = uint32_t(14 + header.size() + extra.size());
    QByteArray b("BM");
    test::appendU32(b, offset + uint32_t(pixels.size()));
    test::appendU32(b, 0);
    test::appendU32(b, offset);
    return b + header + extra + pixels;
}

// BITMAPINFOHEADER, or its first `size` bytes for an OS/2 2.x header.
QByteArray infoHeader(int width, int height, int bits, uint32_t compression, uint32_t colours = 0, int size = 40)
{
    QByteArray h;
    test::appendU32(h, uint32_t(size));
    test::appendU32(h, uint32_t(width));
    test::appendU32(h, uint32_t(height));
    test::appendU16(h, 1);
    test::appendU16(h, unsigned(bits));
    test::appendU32(h, compression);
    test::appendU32(h, 0);
    test::appendU32(h, 2835);
    test::appendU32(h, 2835);
    test::appendU32(h, colours);
    test::appendU32(h, 0);
    return h.left(size).leftJustified(size, '\0');
}

QByteArray words(std::initializer_list<uint32_t> values)
{
    QByteArray out;
    for (uint32_t v : values)
        test::appendU32(out, v);
    return out;
}

void expectRow(const QImage& image, int y, const std::vector<QRgb>& colours)
{
    ASSERT_EQ(image.width(), int(colours.size()));
    for (int x = 0; x < image.width(); ++x)
        EXPECT_EQ(image.pixel(x, y), colours[size_t(x)]) << x << "," << y;
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

TEST(DecodeBmpRunLength, SkippedPixelsTakeIndexZeroAndLongRowsAreCut)
{
    // 5 x 3, bottom-up. Bottom row: a run of 9 (cut at the edge, not carried
    // into the next row), end of line. Middle row: a delta two right and one
    // up, which skips the rest of it and the start of the top row; then two
    // 3s and end of bitmap, leaving the last pixel unwritten.
    const QByteArray rle("\x09\x02\x00\x00"
                         "\x00\x02\x02\x01"
                         "\x02\x03\x00\x01",
                         12);
    const std::vector<uint32_t> table{0x405060, 0xFF0000, 0x00FF00, 0x0000FF};
    const QByteArray file = bmpFile(5, 3, 8, 1, table, rle);
    for (int run = 0; run < 2; ++run) {
        auto d = decodeBmp(file);
        ASSERT_TRUE(d) << d.error();
        const QRgb zero = qRgb(0x40, 0x50, 0x60), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
        expectRow(d->image, 2, {green, green, green, green, green});
        expectRow(d->image, 1, {zero, zero, zero, zero, zero});
        expectRow(d->image, 0, {zero, zero, blue, blue, zero});
        // Which pixels the codes wrote, rows top down, for blits that leave
        // the others alone.
        const std::vector<uint8_t> written{0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1};
        EXPECT_EQ(d->runLengthWritten, written);
    }
    // Bitmaps that are not run-length coded have no such flags.
    auto plain = decodeBmp(bmpFile(1, 1, 8, 0, table, QByteArray(4, '\1')));
    ASSERT_TRUE(plain) << plain.error();
    EXPECT_TRUE(plain->runLengthWritten.empty());
}

TEST(DecodeBmpRunLength, FourBitRunsAlternateAndLiteralRunsArePadded)
{
    // One row of 7: a run of 3 alternating 1 and 2, a literal run of 3
    // (2 bytes, padded to 4) giving 3 1 2, then a literal that claims 9
    // pixels with only one byte left: it gives what is there and stops.
    const QByteArray rle("\x03\x12"
                         "\x00\x03\x31\x20"
                         "\x00\x09\x33",
                         9);
    const std::vector<uint32_t> table{0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    auto d = decodeBmp(bmpFile(7, 1, 4, 2, table, rle));
    ASSERT_TRUE(d) << d.error();
    const QRgb r = qRgb(255, 0, 0), g = qRgb(0, 255, 0), b = qRgb(0, 0, 255);
    expectRow(d->image, 0, {r, g, r, b, r, g, b});
    EXPECT_EQ(d->sourceDepth, 4);
}

TEST(DecodeBmpRunLength, Os2TwentyFourBitRuns)
{
    // 3 x 3 under an OS/2 2.x header: a run of 5 blue cut at the edge, end
    // of line; a literal run of 3 (9 bytes, padded), then end of bitmap
    // before the top row, which stays black.
    const QByteArray rle("\x05\xFF\x00\x00\x00\x00"
                         "\x00\x03\x00\x00\xFF\x00\xFF\x00\x01\x02\x03\x00"
                         "\x00\x01",
                         20);
    auto d = decodeBmp(dibFile(infoHeader(3, 3, 24, 4, 0, 64), {}, rle));
    ASSERT_TRUE(d) << d.error();
    const QRgb blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0);
    expectRow(d->image, 2, {blue, blue, blue});
    expectRow(d->image, 1, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(3, 2, 1)});
    expectRow(d->image, 0, {black, black, black});
    // The same code in a Windows header is JPEG data, which bitmaps never hold.
    EXPECT_FALSE(decodeBmp(dibFile(infoHeader(3, 3, 24, 4), {}, rle)).ok());
}

TEST(DecodeBmpBitFields, SixteenBitChannelsReachFullWhite)
{
    // 5-5-5 by default; 5-6-5 through masks. Levels widen as GDI widens
    // them, the field repeated below itself: 31 is 255 and 3 is 24.
    QByteArray pixels555;
    test::appendU16(pixels555, 0x7FFF);
    test::appendU16(pixels555, 3 << 10 | 3 << 5 | 3);
    auto plain = decodeBmp(dibFile(infoHeader(2, 1, 16, 0), {}, pixels555));
    ASSERT_TRUE(plain) << plain.error();
    expectRow(plain->image, 0, {qRgb(255, 255, 255), qRgb(24, 24, 24)});

    QByteArray pixels565;
    test::appendU16(pixels565, 0xFFFF);
    test::appendU16(pixels565, 1 << 5);
    auto masked = decodeBmp(dibFile(infoHeader(2, 1, 16, 3), words({0xF800, 0x07E0, 0x001F}), pixels565));
    ASSERT_TRUE(masked) << masked.error();
    expectRow(masked->image, 0, {qRgb(255, 255, 255), qRgb(0, 4, 0)});
    EXPECT_EQ(masked->sourceDepth, 16);
    EXPECT_FALSE(masked->palette);
}

TEST(DecodeBmpBitFields, MasksOfAnyWidthIncludingTenBitChannels)
{
    // 10-10-10-2 with alpha bit-fields (alpha dropped); a one-bit red over a
    // whole-word blue, and no green; a version 4 header with its masks.
    auto tenBit = decodeBmp(dibFile(infoHeader(2, 1, 32, 6), words({0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}),
                                    words({0xFFFFFFFF, 514u << 20 | 1023u << 10 | 0})));
    ASSERT_TRUE(tenBit) << tenBit.error();
    expectRow(tenBit->image, 0, {qRgb(255, 255, 255), qRgb(128, 255, 0)});

    auto odd = decodeBmp(
        dibFile(infoHeader(2, 1, 32, 3), words({0x80000000, 0, 0xFFFFFFFF}), words({0x80000000, 0x7FFFFFFF})));
    ASSERT_TRUE(odd) << odd.error();
    expectRow(odd->image, 0, {qRgb(255, 0, 128), qRgb(0, 0, 127)});

    QByteArray v4 = infoHeader(1, 1, 32, 3, 0, 108);
    v4.replace(40, 16, words({0x000000FF, 0x0000FF00, 0x00FF0000, 0}));
    auto swapped = decodeBmp(dibFile(v4, {}, words({0x00332211})));
    ASSERT_TRUE(swapped) << swapped.error();
    EXPECT_EQ(swapped->image.pixel(0, 0), qRgb(0x11, 0x22, 0x33));
}

TEST(DecodeBmpHeaders, Os2HeadersAndShortColourTables)
{
    // OS/2 1.x: 16-bit sizes and three-byte colours; this table has two of
    // 256 entries, the rest black.
    QByteArray core;
    test::appendU32(core, 12);
    test::appendU16(core, 3);
    test::appendU16(core, 1);
    test::appendU16(core, 1);
    test::appendU16(core, 8);
    auto d = decodeBmp(dibFile(core, QByteArray("\x30\x20\x10\xFF\xFF\xFF", 6), QByteArray("\x01\x00\x07\x00", 4)));
    ASSERT_TRUE(d) << d.error();
    expectRow(d->image, 0, {qRgb(255, 255, 255), qRgb(0x10, 0x20, 0x30), qRgb(0, 0, 0)});
    EXPECT_EQ(d->paletteColours, 2);

    // OS/2 2.x cut to its first 16 bytes: no compression, no colour count.
    auto os2 = decodeBmp(dibFile(infoHeader(2, 1, 1, 0, 0, 16), words({0x0000FF, 0x00FF00}), words({0x40})));
    ASSERT_TRUE(os2) << os2.error();
    expectRow(os2->image, 0, {qRgb(0, 0, 255), qRgb(0, 255, 0)});
}

TEST(DecodeBmpRows, TopDownAndCutBitmapsDefineEveryPixel)
{
    // A negative height stores the top row first.
    const QByteArray header = infoHeader(1, -2, 8, 0, 2);
    const QByteArray rows("\x01\x00\x00\x00\x00\x00\x00\x00", 8);
    auto topDown = decodeBmp(dibFile(header, words({0x000000, 0xFFFFFF}), rows));
    ASSERT_TRUE(topDown) << topDown.error();
    EXPECT_EQ(topDown->image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(topDown->image.pixel(0, 1), qRgb(0, 0, 0));

    // Pixel data that stops inside the second of four rows: what is there
    // decodes, the rest is colour 0, the same on every run.
    const QByteArray cut =
        bmpFile(3, 4, 24, 0, {}, QByteArray("\x10\x20\x30\x11\x21\x31\x12\x22\x32\x00\x00\x00\x44", 13));
    auto first = decodeBmp(cut), second = decodeBmp(cut);
    ASSERT_TRUE(first && second);
    expectRow(first->image, 3, {qRgb(0x30, 0x20, 0x10), qRgb(0x31, 0x21, 0x11), qRgb(0x32, 0x22, 0x12)});
    expectRow(first->image, 2, {qRgb(0, 0, 0x44), qRgb(0, 0, 0), qRgb(0, 0, 0)});
    expectRow(first->image, 0, {qRgb(0, 0, 0), qRgb(0, 0, 0), qRgb(0, 0, 0)});
    EXPECT_EQ(first->image, second->image);
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
