#include "platform/image/IconDecoder.h"
#include "platform/image/CursorImage.h"
#include "platform/image/PictureBuilders.h"

#include <gtest/gtest.h>

#include <QFile>

namespace lumeria {
namespace {

using test::appendU16;
using test::appendU32;
using test::asBytes;

// An icon image's bitmap: info header with the doubled height, colour table,
// colour rows and AND-mask rows, both bottom-up, written as given.
QByteArray iconBitmap(int side, int bits, const QByteArray& table, const QByteArray& colourRows,
                      const QByteArray& maskRows)
{
    QByteArray b;
    appendU32(b, 40);
    appendU32(b, uint32_t(side));
    appendU32(b, uint32_t(2 * side));
    appendU16(b, 1);
    appendU16(b, unsigned(bits));
    b.append(QByteArray(24, '\0'));
    return b + table + colourRows + maskRows;
}

struct Image {
    int side = 0;
    QByteArray data;
    int hotX = 0, hotY = 0;
};

// An icon (type 1) or cursor (type 2) file; the directory's depth byte
// fields are left 0, as many writers leave them.
QByteArray iconFile(const std::vector<Image>& images, int type = 1)
{
    QByteArray dir;
    appendU16(dir, 0);
    appendU16(dir, unsigned(type));
    appendU16(dir, unsigned(images.size()));
    QByteArray body;
    const auto start = uint32_t(6 + 16 * images.size());
    for (const Image& i : images) {
        dir.append(char(i.side & 0xFF));
        dir.append(char(i.side & 0xFF));
        dir.append(QByteArray(2, '\0'));
        appendU16(dir, unsigned(i.hotX));
        appendU16(dir, unsigned(i.hotY));
        appendU32(dir, uint32_t(i.data.size()));
        appendU32(dir, start + uint32_t(body.size()));
        body += i.data;
    }
    return dir + body;
}

// A 2 x 2 image of one colour, 24 or 32 bits, with the given alpha bytes
// and mask rows (4 bytes each, bottom row first).
QByteArray solid(int bits, QRgb colour, uint8_t alpha, uint8_t maskBottom, uint8_t maskTop)
{
    QByteArray rows;
    for (int y = 0; y < 2; ++y) {
        QByteArray row;
        for (int x = 0; x < 2; ++x) {
            row.append(char(qBlue(colour)));
            row.append(char(qGreen(colour)));
            row.append(char(qRed(colour)));
            if (bits == 32)
                row.append(char(alpha));
        }
        rows += row.leftJustified(8, '\0');
    }
    QByteArray mask;
    appendU32(mask, maskBottom);
    appendU32(mask, maskTop);
    return iconBitmap(2, bits, {}, rows, mask);
}

QImage decoded(const QByteArray& file)
{
    auto d = decodeIcon(asBytes(file));
    EXPECT_TRUE(d) << d.error();
    return d ? d->image : QImage();
}

TEST(IconMask, TrueColourImagesHonourTheirAndMask)
{
    // Mask bit 7 of the first byte is pixel 0 of its row: the bottom-left
    // pixel, then the top-right one, are transparent.
    const QRgb teal = qRgb(0, 128, 128);
    for (int bits : {24, 32}) {
        const QImage image = decoded(iconFile({{2, solid(bits, teal, 0, 0x80, 0x40)}}));
        ASSERT_EQ(image.size(), QSize(2, 2)) << bits;
        // Masked pixels keep their colour for DrawIcon's XOR pass.
        EXPECT_EQ(image.pixel(0, 1), qRgba(0, 128, 128, 0)) << bits;
        EXPECT_EQ(image.pixel(1, 0), qRgba(0, 128, 128, 0)) << bits;
        EXPECT_EQ(image.pixel(0, 0), teal) << bits;
        EXPECT_EQ(image.pixel(1, 1), teal) << bits;
    }
    // A 32-bit image with alpha uses it, whatever its mask says.
    const QImage alpha = decoded(iconFile({{2, solid(32, teal, 0x80, 0xC0, 0x00)}}));
    EXPECT_EQ(alpha.pixel(0, 1), qRgba(0, 128, 128, 0x80));
    // A mask cut off by the end of the file leaves the image opaque.
    QByteArray cut = solid(24, teal, 0, 0xFF, 0xFF);
    cut.chop(8);
    EXPECT_EQ(decoded(iconFile({{2, cut}})).pixel(0, 1), teal);
}

TEST(IconImages, PngCompressedImagesDecodeWithTheirAlpha)
{
    QImage source(64, 64, QImage::Format_ARGB32);
    source.fill(qRgba(10, 20, 30, 255));
    source.setPixel(3, 4, qRgba(200, 100, 0, 0x40));
    const QImage image = decoded(iconFile({{0x40, test::encodedImage(source, "PNG")}}));
    ASSERT_EQ(image.size(), QSize(64, 64));
    EXPECT_EQ(image.pixel(3, 4), qRgba(200, 100, 0, 0x40));
    EXPECT_EQ(image.pixel(0, 0), qRgba(10, 20, 30, 255));
}

TEST(IconImages, TheBestImageIsChosenBySizeThenDepth)
{
    const QByteArray red = solid(32, qRgb(255, 0, 0), 0, 0, 0);
    const QByteArray green = solid(24, qRgb(0, 255, 0), 0, 0, 0);
    const QByteArray blue = solid(32, qRgb(0, 0, 255), 0, 0, 0);
    // The directory's sizes decide (the images themselves are all 2 x 2).
    struct Case {
        const char* what;
        std::vector<Image> images;
        QRgb shown;
    };
    for (const Case& c : {
             Case{"nearest size", {{16, green}, {30, red}, {48, blue}}, qRgb(255, 0, 0)},
             // Equally far off in both directions: the depth decides, then
             // the order, never the larger size.
             Case{"equally near: the deeper", {{24, green}, {40, blue}}, qRgb(0, 0, 255)},
             Case{"equally near and deep: the first", {{24, blue}, {40, red}}, qRgb(0, 0, 255)},
             Case{"the same, other order", {{40, red}, {24, blue}}, qRgb(255, 0, 0)},
             Case{"same size: the deeper", {{32, green}, {32, blue}, {32, red}}, qRgb(0, 0, 255)},
             Case{"0 means 256", {{0, blue}, {200, green}}, qRgb(0, 255, 0)},
         }) {
        EXPECT_EQ(decoded(iconFile(c.images)).pixel(0, 0), c.shown) << c.what;
    }
    // An entry whose data lie outside the file is passed over.
    QByteArray file = iconFile({{32, red}, {16, green}});
    file[6 + 12] = char(0x7F);
    EXPECT_EQ(decoded(file).pixel(0, 0), qRgb(0, 255, 0));
}

QByteArray iconData(const char* name)
{
    QFile f(QStringLiteral(LUMERIA_TEST_DATA "/icons/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

int chosen(const QByteArray& file, QSize wanted, int depth = kScreenDepth)
{
    const auto entry = bestIconEntry(asBytes(file), wanted, depth);
    return entry ? entry->index : -1;
}

TEST(IconImages, AFileOfNineImagesShowsTheOneWindowsPicks)
{
    // Images in file order: 32x32 4 bits, 16 4, 48 8, 32 8, 16 8, 48 32,
    // 32 32, 24 32, 16 32.
    const QByteArray file = iconData("multiple_entries_with_different_bit_depth.ico");
    EXPECT_EQ(chosen(file, kSystemIconSize), 6);
    EXPECT_EQ(chosen(file, {16, 16}), 8);
    EXPECT_EQ(chosen(file, {48, 48}), 5);
    // 40 is 8 off both 32 and 48: all five images of those sizes compete
    // on depth, and the 48x48 32-bit one comes first in the file.
    EXPECT_EQ(chosen(file, {40, 40}), 5);
    EXPECT_EQ(chosen(file, {40, 40}, 8), 2);
    EXPECT_EQ(chosen(file, {44, 44}), 5);
    // The screen's depth picks among the images of that size, the nearer
    // depth even when it is deeper than the screen.
    EXPECT_EQ(chosen(file, kSystemIconSize, 8), 3);
    EXPECT_EQ(chosen(file, kSystemIconSize, 4), 0);
    EXPECT_EQ(chosen(file, kSystemIconSize, 16), 3);
    EXPECT_EQ(chosen(file, kSystemIconSize, 24), 6);
    // 24x24 exists only at 32 bits; on a 4-bit screen it is still the size
    // that decides first.
    EXPECT_EQ(chosen(file, {24, 24}, 4), 7);

    auto decoded = decodeIcon(asBytes(file));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->image.size(), QSize(32, 32));
    EXPECT_FALSE(decoded->xorMasked) << "a 32-bit image with alpha draws with its alpha";
}

TEST(IconImages, ImagesWithoutAlphaAreMarkedForTheMaskAndXorPasses)
{
    // Masked pixels of this 24-bit icon are white, the rest greys.
    auto inverting = decodeIcon(asBytes(iconData("bmp-24bpp-mask.ico")));
    ASSERT_TRUE(inverting);
    EXPECT_TRUE(inverting->xorMasked);
    int white = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            white += inverting->image.pixel(x, y) == qRgba(255, 255, 255, 0);
    EXPECT_EQ(white, 464);

    auto plain = decodeIcon(asBytes(iconData("favicon.ico")));
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->xorMasked);
    EXPECT_EQ(plain->image.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(plain->image.pixel(0, 0)), 0);
}

TEST(IconImages, PngImagesCountAs24BitsWithoutAlpha)
{
    QImage rgb(32, 32, QImage::Format_RGB888);
    rgb.fill(qRgb(0, 0, 255));
    const QByteArray red = solid(32, qRgb(255, 0, 0), 0, 0, 0);
    const QByteArray green = solid(24, qRgb(0, 255, 0), 0, 0, 0);
    // A true-colour PNG ties with a 24-bit bitmap and comes first; a 32-bit
    // bitmap is nearer the screen than either.
    const QByteArray png = test::encodedImage(rgb, "PNG");
    EXPECT_EQ(decoded(iconFile({{32, png}, {32, green}})).pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(decoded(iconFile({{32, png}, {32, red}})).pixel(0, 0), qRgb(255, 0, 0));
}

TEST(IconImages, ACursorPointsWithTheHotspotOfTheImageShown)
{
    const QByteArray small = solid(24, qRgb(1, 2, 3), 0, 0, 0);
    const QByteArray file = iconFile({{16, small, 0, 1}, {32, small, 1, 1}, {48, small, 1, 0}}, 2);
    const auto cursor = decodeCursor(asBytes(file));
    ASSERT_TRUE(cursor);
    EXPECT_EQ(cursor->hotspot, QPoint(1, 1));
}

// LoadCursorFromFile's rule is not the icon's: the largest image that fits
// the cursor size, the deepest of that size, whatever the screen's depth;
// only when none fits the smallest larger one.
TEST(CursorImages, ACursorIsTheLargestImageThatFitsWhateverTheScreen)
{
    const QByteArray file = iconData("multiple_entries_with_different_bit_depth.ico");
    auto cursorChoice = [&](QSize wanted) {
        const auto entry = bestCursorEntry(asBytes(file), wanted);
        return entry ? entry->index : -1;
    };
    EXPECT_EQ(cursorChoice(kSystemCursorSize), 6);
    EXPECT_EQ(cursorChoice({16, 16}), 8);
    // 40 is nearer 48 (the icon rule's choice) but only 32 fits.
    EXPECT_EQ(cursorChoice({40, 40}), 6);
    EXPECT_EQ(chosen(file, {40, 40}), 5);
    EXPECT_EQ(cursorChoice({20, 20}), 8);
    // Nothing fits 8 x 8: the smallest larger, the deepest of that size.
    EXPECT_EQ(cursorChoice({8, 8}), 8);

    const QByteArray red = solid(32, qRgb(255, 0, 0), 0, 0, 0);
    const QByteArray green = solid(24, qRgb(0, 255, 0), 0, 0, 0);
    const QByteArray blue = solid(32, qRgb(0, 0, 255), 0, 0, 0);
    auto shown = [](const QByteArray& f) {
        const auto cursor = decodeCursor(asBytes(f));
        return cursor ? cursor->image.pixel(0, 0) : 0u;
    };
    EXPECT_EQ(shown(iconFile({{64, red}, {48, blue}, {96, green}}, 2)), qRgb(0, 0, 255));
    EXPECT_EQ(shown(iconFile({{16, green}, {24, red}, {48, blue}}, 2)), qRgb(255, 0, 0));
    EXPECT_EQ(shown(iconFile({{32, green}, {32, blue}}, 2)), qRgb(0, 0, 255));
    // An icon file loaded as a cursor is chosen the same way.
    EXPECT_EQ(shown(iconFile({{24, red}, {40, blue}})), qRgb(255, 0, 0));
    // Past 255 pixels a side nothing is smaller: the first image.
    EXPECT_EQ(shown(iconFile({{0, green}, {0, blue}}, 2)), qRgb(0, 255, 0));
}

} // namespace
} // namespace lumeria
