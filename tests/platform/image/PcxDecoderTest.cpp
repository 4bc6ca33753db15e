#include "platform/image/PcxDecoder.h"
#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureError.h"

#include <gtest/gtest.h>

namespace lumeria {
namespace {

using test::asBytes;
using test::pcxHeader;
using test::PcxLayout;
using test::pcxLayout;
using test::pcxRle;
using test::vgaPalette;

Result<DecodedPicture> decode(const QByteArray& file)
{
    return decodePcx(asBytes(file));
}

QRgb rgb(uint32_t v)
{
    return 0xFF000000u | v;
}

QRgb rgbOf(const PaletteEntry& e)
{
    return qRgb(e.red, e.green, e.blue);
}

// A 16-colour header palette whose entries are all different from the
// standard colours: entry i is (16 i, 255 - 16 i, i).
QByteArray distinctEgaPalette()
{
    QByteArray ega;
    for (int i = 0; i < 16; ++i) {
        ega.append(char(16 * i));
        ega.append(char(255 - 16 * i));
        ega.append(char(i));
    }
    return ega;
}

TEST(PcxDepths, OneBitIsBlackAndWhiteWithAnInclusiveWindow)
{
    // Window 10..19 by 5..6: 10 x 2 pixels in lines of 2 bytes.
    PcxLayout l = pcxLayout(1, 1, 10, 2, 2);
    l.xmin = 10;
    l.xmax = 19;
    l.ymin = 5;
    l.ymax = 6;
    const QByteArray raw("\xAA\xC0\x0F\x00", 4); // 1010101011, 0000111100
    auto d = decode(pcxHeader(l) + pcxRle(raw));
    ASSERT_TRUE(d) << d.error();
    const QImage& img = d->image;
    ASSERT_EQ(img.size(), QSize(10, 2));
    EXPECT_EQ(img.format(), QImage::Format_RGB32);
    const char* expected[2] = {"1010101011", "0000111100"};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(img.pixel(x, y), expected[y][x] == '1' ? rgb(0xFFFFFF) : rgb(0)) << x << "," << y;
    EXPECT_EQ(d->sourceDepth, 1);
    EXPECT_EQ(d->paletteColours, 2);
}

TEST(PcxDepths, FourPlanesOfOneBitIndexTheHeaderPalette)
{
    // Indexes 1, 10, 15 and 0: plane p holds bit p of each.
    PcxLayout l = pcxLayout(1, 4, 4, 1, 2);
    l.ega = distinctEgaPalette();
    QByteArray raw;
    raw.append("\xA0\x00", 2); // plane 0: 1 0 1 0
    raw.append("\x60\x00", 2); // plane 1: 0 1 1 0
    raw.append("\x20\x00", 2); // plane 2: 0 0 1 0
    raw.append("\x60\x00", 2); // plane 3: 0 1 1 0
    auto d = decode(pcxHeader(l) + pcxRle(raw));
    ASSERT_TRUE(d) << d.error();
    const int indexes[4] = {1, 10, 15, 0};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(d->image.pixel(x, 0), qRgb(16 * indexes[x], 255 - 16 * indexes[x], indexes[x])) << x;
    ASSERT_TRUE(d->palette);
    EXPECT_EQ(d->paletteColours, 16);
    EXPECT_EQ((*d->palette)[10], (PaletteEntry{160, 95, 10, 0}));
}

TEST(PcxDepths, FourBitPackedPixelsOfAVersionWithoutPaletteUseTheStandardColours)
{
    PcxLayout l = pcxLayout(4, 1, 3, 1, 2);
    l.version = 3;
    l.ega = distinctEgaPalette(); // version 3 carries none: ignored
    auto d = decode(pcxHeader(l) + pcxRle(QByteArray("\x2E\x70", 2)));
    ASSERT_TRUE(d) << d.error();
    const Palette& standard = sixteenColourPalette();
    EXPECT_EQ(d->image.pixel(0, 0), rgbOf(standard[2]));
    EXPECT_EQ(d->image.pixel(1, 0), rgbOf(standard[14]));
    EXPECT_EQ(d->image.pixel(2, 0), rgbOf(standard[7]));
    EXPECT_EQ(d->sourceDepth, 4);
}

TEST(PcxDepths, EightBitsUseTheTrailingPaletteAndKeepIt)
{
    PcxLayout l = pcxLayout(8, 1, 3, 2, 4);
    const QByteArray raw("\x00\x01\xC8\x00" // 0xC8 must travel as a run of one
                         "\xFF\x02\x01\x00",
                         8);
    std::vector<uint32_t> colours(256, 0x101010);
    colours[0] = 0x000000;
    colours[1] = 0x123456;
    colours[2] = 0xABCDEF;
    colours[0xC8] = 0x00FF00;
    colours[0xFF] = 0xFF0000;
    auto d = decode(pcxHeader(l) + pcxRle(raw) + vgaPalette(colours));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(0, 0), rgb(0x000000));
    EXPECT_EQ(d->image.pixel(1, 0), rgb(0x123456));
    EXPECT_EQ(d->image.pixel(2, 0), rgb(0x00FF00));
    EXPECT_EQ(d->image.pixel(0, 1), rgb(0xFF0000));
    EXPECT_EQ(d->image.pixel(1, 1), rgb(0xABCDEF));
    EXPECT_EQ(d->image.pixel(2, 1), rgb(0x123456));
    ASSERT_TRUE(d->palette);
    EXPECT_EQ(d->paletteColours, 256);
    EXPECT_EQ((*d->palette)[2], (PaletteEntry{0xAB, 0xCD, 0xEF, 0}));
    EXPECT_EQ(d->sourceDepth, 8);
}

TEST(PcxDepths, EightBitsWithoutTrailingPaletteFallBackToGreyOrTheHeaderColours)
{
    PcxLayout l = pcxLayout(8, 1, 2, 1, 2);
    l.ega = distinctEgaPalette();
    const QByteArray pixels = pcxRle(QByteArray("\x03\x50", 2));
    // Header colours below 16, a grey ramp above.
    auto colour = decode(pcxHeader(l) + pixels);
    ASSERT_TRUE(colour) << colour.error();
    EXPECT_EQ(colour->image.pixel(0, 0), qRgb(48, 207, 3));
    EXPECT_EQ(colour->image.pixel(1, 0), qRgb(0x50, 0x50, 0x50));
    // A greyscale scan says so in its header.
    l.paletteInfo = 2;
    auto grey = decode(pcxHeader(l) + pixels);
    ASSERT_TRUE(grey) << grey.error();
    EXPECT_EQ(grey->image.pixel(0, 0), qRgb(3, 3, 3));
}

TEST(PcxDepths, AMarkerByteAmongThePixelsIsNotTakenForAPalette)
{
    // 800 literal pixels, the one 769 bytes before the end being 0x0C.
    PcxLayout l = pcxLayout(8, 1, 800, 1, 800);
    l.paletteInfo = 2;
    QByteArray raw;
    for (int i = 0; i < 800; ++i)
        raw.append(char(i % 2 ? 0x20 : 0x21));
    raw[31] = 0x0C;
    const QByteArray file = pcxHeader(l) + pcxRle(raw);
    ASSERT_EQ(file.size(), 128 + 800);
    auto d = decode(file);
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(31, 0), qRgb(12, 12, 12));
    EXPECT_EQ(d->image.pixel(799, 0), qRgb(0x20, 0x20, 0x20));
}

TEST(PcxDepths, TwentyFourBitsAreThreePlanesWithPaddedLines)
{
    // 3 x 2 pixels; each plane line is padded to 4 bytes with junk.
    PcxLayout l = pcxLayout(8, 3, 3, 2, 4);
    QByteArray raw;
    raw.append("\x10\x20\x30\x77", 4); // red of line 0
    raw.append("\x11\x21\x31\x77", 4); // green
    raw.append("\x12\x22\x32\x77", 4); // blue
    raw.append("\x40\x50\x60\x77", 4);
    raw.append("\x41\x51\x61\x77", 4);
    raw.append("\x42\x52\x62\x77", 4);
    auto d = decode(pcxHeader(l) + pcxRle(raw));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(0, 0), qRgb(0x10, 0x11, 0x12));
    EXPECT_EQ(d->image.pixel(2, 0), qRgb(0x30, 0x31, 0x32));
    EXPECT_EQ(d->image.pixel(1, 1), qRgb(0x50, 0x51, 0x52));
    EXPECT_FALSE(d->palette);
    EXPECT_EQ(d->sourceDepth, 24);
    // The key colour is the bottom-left pixel, red in the low byte.
    EXPECT_EQ(d->transparency, PictureTransparency::ColourKey);
    EXPECT_EQ(d->transparentColour, 0x424140u);
}

TEST(PcxRuns, ARunMayCrossTheEndOfALine)
{
    // 3 x 2 pixels at 8 bits, lines of 4 bytes. The run of three 9s fills the
    // padding of line 0 and the first two pixels of line 1.
    PcxLayout l = pcxLayout(8, 1, 3, 2, 4);
    l.paletteInfo = 2;
    const QByteArray stream("\x01\x02\x03\xC3\x09\x04\x00", 7);
    auto d = decode(pcxHeader(l) + stream);
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(2, 0), qRgb(3, 3, 3));
    EXPECT_EQ(d->image.pixel(0, 1), qRgb(9, 9, 9));
    EXPECT_EQ(d->image.pixel(1, 1), qRgb(9, 9, 9));
    EXPECT_EQ(d->image.pixel(2, 1), qRgb(4, 4, 4));
}

TEST(PcxRuns, ARunLongerThanThePictureIsCutAtItsEnd)
{
    PcxLayout l = pcxLayout(8, 1, 2, 2, 2);
    l.paletteInfo = 2;
    auto d = decode(pcxHeader(l) + QByteArray("\xFF\x07", 2));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.pixel(1, 1), qRgb(7, 7, 7));
}

TEST(PcxHostile, EveryTruncationFailsCleanly)
{
    PcxLayout l = pcxLayout(8, 3, 6, 5, 6);
    QByteArray raw;
    for (int i = 0; i < 5 * 3 * 6; ++i)
        raw.append(char((i * 37) & 0xFF));
    const QByteArray file = pcxHeader(l) + pcxRle(raw);
    ASSERT_TRUE(decode(file));
    // Short of the header the file is no PCX; short of the pixels it is too
    // small for its window, either before decoding or when the runs run out.
    for (qsizetype cut = 0; cut < file.size(); ++cut) {
        const int error = decode(file.left(cut)).error();
        EXPECT_TRUE(error == picture::kUndecodable || error == picture::kTooLarge) << cut << ": " << error;
    }
    EXPECT_EQ(decode(file.left(file.size() - 1)).error(), picture::kUndecodable);
}

TEST(PcxHostile, HugeWindowsAreRefusedBeforeAllocating)
{
    PcxLayout huge = pcxLayout(8, 1, 65536, 65536, 65535);
    EXPECT_EQ(decode(pcxHeader(huge) + QByteArray(64, '\x01')).error(), picture::kTooLarge);

    // Within the side limits, but far more pixels than 200 bytes of runs can
    // give.
    PcxLayout big = pcxLayout(8, 1, 4000, 4000, 4000);
    EXPECT_EQ(decode(pcxHeader(big) + QByteArray(200, '\xFF')).error(), picture::kTooLarge);
}

TEST(PcxHostile, InconsistentHeadersAreRejected)
{
    PcxLayout good = pcxLayout(8, 1, 4, 1, 4);
    good.paletteInfo = 2;
    const QByteArray pixels("\x01\x02\x03\x04", 4);
    ASSERT_TRUE(decode(pcxHeader(good) + pixels));

    PcxLayout narrow = good;
    narrow.bytesPerLine = 3; // shorter than the window
    EXPECT_EQ(decode(pcxHeader(narrow) + pixels).error(), picture::kUndecodable);

    PcxLayout twoPlanes = good;
    twoPlanes.planes = 2;
    EXPECT_EQ(decode(pcxHeader(twoPlanes) + pixels + pixels).error(), picture::kUndecodable);

    PcxLayout reversed = good;
    reversed.xmin = 4;
    EXPECT_EQ(decode(pcxHeader(reversed) + pixels).error(), picture::kUndecodable);

    QByteArray notPcx = pcxHeader(good) + pixels;
    notPcx[0] = 'B';
    EXPECT_EQ(decode(notPcx).error(), picture::kUndecodable);

    QByteArray unencoded = pcxHeader(good) + pixels;
    unencoded[2] = 0;
    EXPECT_EQ(decode(unencoded).error(), picture::kUndecodable);
}

} // namespace
} // namespace lumeria
