#include "platform/image/TiffDecoder.h"
#include "platform/PictureHeader.h"
#include "platform/image/PictureBuilders.h"
#include "platform/image/PictureDecoder.h"
#include "platform/image/PictureError.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace lumeria {
namespace {

using test::appendU16;
using test::appendU32;
using test::asBytes;

constexpr uint16_t kShort = 3, kLong = 4;

// A little-endian TIFF of one image directory. `tags` maps tag numbers to
// SHORT values unless listed in `longTags`; each block of `blocks` is one
// strip or tile, laid out in order, and their offsets and byte counts are
// filled in under `offsetTag` and `countTag`.
QByteArray tiffFile(std::map<uint16_t, std::vector<uint32_t>> tags, const std::vector<QByteArray>& blocks,
                    uint16_t offsetTag = 273, uint16_t countTag = 279)
{
    tags[offsetTag] = std::vector<uint32_t>(blocks.size(), 0);
    tags[countTag] = {};
    for (const QByteArray& b : blocks)
        tags[countTag].push_back(uint32_t(b.size()));
    const auto isLong = [&](uint16_t tag) { return tag == offsetTag || tag == countTag || tag == 256 || tag == 257; };

    const uint32_t ifdSize = 2 + 12 * uint32_t(tags.size()) + 4;
    uint32_t extraAt = 8 + ifdSize;
    QByteArray extra;
    // Values that do not fit in four bytes go after the directory, then the
    // pixel data; offsets are known once the out-of-line values are sized.
    uint32_t outOfLine = 0;
    for (const auto& [tag, values] : tags) {
        const uint32_t bytes = uint32_t(values.size()) * (isLong(tag) ? 4 : 2);
        if (bytes > 4)
            outOfLine += bytes;
    }
    uint32_t dataAt = extraAt + outOfLine;
    for (size_t i = 0; i < blocks.size(); ++i) {
        tags[offsetTag][i] = dataAt;
        dataAt += uint32_t(blocks[i].size());
    }

    QByteArray out("II*\0", 4);
    appendU32(out, 8);
    appendU16(out, unsigned(tags.size()));
    for (const auto& [tag, values] : tags) {
        const bool wide = isLong(tag);
        QByteArray packed;
        for (uint32_t v : values)
            wide ? appendU32(packed, v) : appendU16(packed, v);
        appendU16(out, tag);
        appendU16(out, wide ? kLong : kShort);
        appendU32(out, uint32_t(values.size()));
        if (packed.size() <= 4) {
            out += packed.leftJustified(4, '\0');
        } else {
            appendU32(out, extraAt + uint32_t(extra.size()));
            extra += packed;
        }
    }
    appendU32(out, 0);
    out += extra;
    for (const QByteArray& b : blocks)
        out += b;
    return out;
}

std::map<uint16_t, std::vector<uint32_t>> baseTags(int w, int h, std::vector<uint32_t> bits, int photometric)
{
    return {{256, {uint32_t(w)}},           {257, {uint32_t(h)}},           {258, bits},         {259, {1}},
            {262, {uint32_t(photometric)}}, {277, {uint32_t(bits.size())}}, {278, {uint32_t(h)}}};
}

Result<DecodedPicture> decode(const QByteArray& file)
{
    return decodePicture(QStringLiteral("P.TIF"), asBytes(file), {});
}

TEST(DecodeTiffOrientation, AllEightOrientationsShowTheStoredCornerWhereTheTagSays)
{
    // Stored 3 x 2: red first, then the rest grey, blue last.
    QByteArray rgb;
    for (int i = 0; i < 6; ++i)
        rgb += i == 0 ? QByteArray("\xFF\x00\x00", 3) : i == 5 ? QByteArray("\x00\x00\xFF", 3) : QByteArray(3, '\x80');
    struct Case {
        int orientation;
        QSize size;
        QPoint red, blue;
    };
    for (const Case& c :
         {Case{1, {3, 2}, {0, 0}, {2, 1}}, Case{2, {3, 2}, {2, 0}, {0, 1}}, Case{3, {3, 2}, {2, 1}, {0, 0}},
          Case{4, {3, 2}, {0, 1}, {2, 0}}, Case{5, {2, 3}, {0, 0}, {1, 2}}, Case{6, {2, 3}, {1, 0}, {0, 2}},
          Case{7, {2, 3}, {1, 2}, {0, 0}}, Case{8, {2, 3}, {0, 2}, {1, 0}}}) {
        auto tags = baseTags(3, 2, {8, 8, 8}, 2);
        tags[274] = {uint32_t(c.orientation)};
        const QByteArray file = tiffFile(tags, {rgb});
        auto d = decode(file);
        ASSERT_TRUE(d) << c.orientation << ": " << d.error();
        ASSERT_EQ(d->image.size(), c.size) << c.orientation;
        EXPECT_EQ(d->image.pixel(c.red), qRgb(255, 0, 0)) << c.orientation;
        EXPECT_EQ(d->image.pixel(c.blue), qRgb(0, 0, 255)) << c.orientation;
        const auto measured = pictureDimensions(asBytes(file));
        ASSERT_TRUE(measured);
        EXPECT_EQ(QSize(measured->width, measured->height), c.size) << c.orientation;
    }
}

TEST(DecodeTiffLayouts, PlanarTiled16BitRgbDecodes)
{
    // 3 x 2 in one 16 x 16 tile per plane, 16 bits a sample, big values
    // reduced to their 8-bit level.
    auto tags = baseTags(3, 2, {16, 16, 16}, 2);
    tags.erase(278);
    tags[284] = {2}; // planar
    tags[322] = {16};
    tags[323] = {16};
    std::vector<QByteArray> planes;
    for (uint16_t level : {0xFFFF, 0x8080, 0x0000}) {
        QByteArray tile;
        for (int i = 0; i < 16 * 16; ++i)
            appendU16(tile, i == 1 ? 0x0000 : level);
        planes.push_back(tile);
    }
    auto d = decode(tiffFile(tags, planes, 324, 325));
    ASSERT_TRUE(d) << d.error();
    EXPECT_EQ(d->image.size(), QSize(3, 2));
    EXPECT_EQ(d->image.pixel(0, 0), qRgb(255, 128, 0));
    EXPECT_EQ(d->image.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(d->image.pixel(2, 1), qRgb(255, 128, 0));
    EXPECT_EQ(d->sourceDepth, 24);
}

TEST(DecodeTiffLayouts, CmykLabPaletteAndAlphaAsLibtiffColoursThem)
{
    auto cmyk = decode(tiffFile(baseTags(2, 1, {8, 8, 8, 8}, 5), {QByteArray("\xFF\x00\x00\x00\x00\x00\x00\xFF", 8)}));
    ASSERT_TRUE(cmyk) << cmyk.error();
    EXPECT_EQ(cmyk->image.pixel(0, 0), qRgb(0, 255, 255));
    EXPECT_EQ(cmyk->image.pixel(1, 0), qRgb(0, 0, 0));

    auto lab = decode(tiffFile(baseTags(2, 1, {8, 8, 8}, 8), {QByteArray("\x00\x00\x00\xFF\x00\x00", 6)}));
    ASSERT_TRUE(lab) << lab.error();
    EXPECT_EQ(lab->image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_GE(qGreen(lab->image.pixel(1, 0)), 250);

    // A 2-bit palette image keeps its table; colour map values are 16-bit.
    auto tags = baseTags(3, 1, {2}, 3);
    tags[320] = {0xFFFF, 0, 0, 0x1000, 0, 0xFFFF, 0, 0x2000, 0, 0, 0xFFFF, 0x3000};
    auto pal = decode(tiffFile(tags, {QByteArray("\x1C", 1)}));
    ASSERT_TRUE(pal) << pal.error();
    EXPECT_EQ(pal->image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(pal->image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(pal->image.pixel(2, 0), qRgb(0x10, 0x20, 0x30));
    EXPECT_EQ(pal->image.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(pal->sourceDepth, 2);
    EXPECT_EQ(pal->paletteColours, 4);
    ASSERT_TRUE(pal->palette);
    EXPECT_EQ((*pal->palette)[2], (PaletteEntry{0, 0, 255, 0}));

    // Unassociated alpha: the colour comes back as stored, alpha dropped.
    auto rgba = baseTags(1, 1, {8, 8, 8, 8}, 2);
    rgba[338] = {2};
    auto alpha = decode(tiffFile(rgba, {QByteArray("\xC8\x64\x32\x80", 4)}));
    ASSERT_TRUE(alpha) << alpha.error();
    const QRgb c = alpha->image.pixel(0, 0);
    EXPECT_NEAR(qRed(c), 200, 1);
    EXPECT_NEAR(qGreen(c), 100, 1);
    EXPECT_NEAR(qBlue(c), 50, 1);
}

QByteArray tiffData(const char* name)
{
    QFile f(QStringLiteral(LUMERIA_TEST_DATA "/tiff/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

// libtiff's Lab conversion called on its own: the sRGB display its RGBA
// reader uses, and the reference white of the white point tag, D50 when the
// file has none, as libtiff defaults it.
QRgb libtiffLab(TIFFCIELabToRGB& lab, uint8_t l, int8_t a, int8_t b)
{
    float x = 0, y = 0, z = 0;
    uint32_t r = 0, g = 0, bl = 0;
    TIFFCIELabToXYZ(&lab, l, a, b, &x, &y, &z);
    TIFFXYZToRGB(&lab, x, y, z, &r, &g, &bl);
    return qRgb(int(r), int(g), int(bl));
}

TEST(DecodeTiffRealFiles, CieLabShowsAsLibtiffConvertsItToSrgb)
{
    TIFFDisplay srgb = {{{3.2410F, -1.5374F, -0.4986F}, {-0.9692F, 1.8760F, 0.0416F}, {0.0556F, -0.2040F, 1.0570F}},
                        100.0F,
                        100.0F,
                        100.0F,
                        255,
                        255,
                        255,
                        1.0F,
                        1.0F,
                        1.0F,
                        2.4F,
                        2.4F,
                        2.4F};
    // libtiff's default white point, D50, as chromaticities in floats.
    const float d50[3] = {96.4250F, 100.0F, 82.4680F};
    const float wx = d50[0] / (d50[0] + d50[1] + d50[2]), wy = d50[1] / (d50[0] + d50[1] + d50[2]);
    float white[3] = {wx / wy * 100.0F, 100.0F, (1.0F - wx - wy) / wy * 100.0F};
    TIFFCIELabToRGB lab{};
    ASSERT_EQ(TIFFCIELabToRGBInit(&lab, &srgb, white), 0);

    // One colour each; a and b are signed bytes. L 100 is not pure white:
    // D50 white shown on a D65 display is warm.
    struct Flat {
        const char* file;
        QRgb shown;
    };
    for (const Flat& f : {Flat{"lab.tif", qRgb(255, 252, 222)}, Flat{"lab-red.tif", qRgb(255, 0, 112)},
                          Flat{"lab-green.tif", qRgb(0, 154, 104)}}) {
        auto d = decodeTiff(asBytes(tiffData(f.file)));
        ASSERT_TRUE(d) << f.file;
        EXPECT_EQ(d->image.size(), QSize(10, 10));
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                ASSERT_EQ(d->image.pixel(x, y), f.shown) << f.file << " " << x << "," << y;
    }
    EXPECT_EQ(libtiffLab(lab, 255, 0, 0), qRgb(255, 252, 222));
    EXPECT_EQ(libtiffLab(lab, 128, 100, 0), qRgb(255, 0, 112));

    // A photograph, every pixel against the conversion on the stored
    // samples (uncompressed, chunky, one strip: they follow the offset).
    const QByteArray file = tiffData("hopper.Lab.tif");
    auto d = decodeTiff(asBytes(file));
    ASSERT_TRUE(d);
    ASSERT_EQ(d->image.size(), QSize(128, 128));
    uint32_t stripAt = 0;
    const auto u16 = [&](int at) { return uint16_t(uint8_t(file[at]) | uint8_t(file[at + 1]) << 8); };
    const auto u32 = [&](int at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
    const int ifd = int(u32(4));
    for (int i = 0; i < u16(ifd); ++i)
        if (u16(ifd + 2 + 12 * i) == 273)
            stripAt = u32(ifd + 2 + 12 * i + 8);
    ASSERT_GT(stripAt, 0u);
    ASSERT_LE(qsizetype(stripAt) + 128 * 128 * 3, file.size());
    int differing = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const char* p = file.constData() + stripAt + (y * 128 + x) * 3;
            differing += d->image.pixel(x, y) != libtiffLab(lab, uint8_t(p[0]), int8_t(p[1]), int8_t(p[2]));
        }
    EXPECT_EQ(differing, 0);
}

TEST(DecodeTiffRealFiles, SixteenBitAssociatedAlphaShowsLikeEightBits)
{
    // Pillow reads the three layouts as 8-bit RGBA, colour divided by alpha;
    // the picture keeps those colours and drops the alpha. Pillow divides
    // rounding down, this reader to the nearest: one level apart at most.
    const QByteArray png = tiffData("tiff_16bit_RGBa_target.png");
    const QImage target = QImage::fromData(png).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(target.size(), QSize(100, 40));
    QImage first;
    for (const char* name :
         {"tiff_16bit_RGBa.tiff", "tiff_strip_planar_16bit_RGBa.tiff", "tiff_tiled_planar_16bit_RGBa.tiff"}) {
        auto d = decodeTiff(asBytes(tiffData(name)));
        ASSERT_TRUE(d) << name;
        ASSERT_EQ(d->image.size(), target.size()) << name;
        int worst = 0, faint = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 100; ++x) {
                const QRgb got = d->image.pixel(x, y), want = target.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(got) - qRed(want)), std::abs(qGreen(got) - qGreen(want)),
                                  std::abs(qBlue(got) - qBlue(want))});
                faint += qAlpha(want) > 0 && qAlpha(want) < 16;
            }
        EXPECT_LE(worst, 1) << name;
        EXPECT_GT(faint, 0) << "the faint rows are where rounding 16 bits to 8 shows";
        // The faintest row but one: alpha 3 of 255 over stored levels of 2.
        EXPECT_EQ(d->image.pixel(0, 5), qRgb(170, 170, 170)) << name;
        if (first.isNull())
            first = d->image;
        else
            EXPECT_EQ(d->image, first) << name << ": every layout reads alike";
    }
}

// libtiff's RGBA reader refuses floating-point samples; such a picture is
// still shown, through Qt's reader, rather than the placeholder.
TEST(DecodeTiffLayouts, FloatingPointSamplesStillDecode)
{
    auto tags = baseTags(2, 1, {32, 32, 32}, 2);
    tags[339] = {3, 3, 3}; // SampleFormat: IEEE floating point
    QByteArray pixels;
    for (float v : {1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f}) {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        appendU32(pixels, bits);
    }
    const auto decoded = decode(tiffFile(tags, {pixels}));
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    EXPECT_EQ(decoded->image.size(), QSize(2, 1));
    EXPECT_EQ(decoded->image.pixel(0, 0) & 0xFFFFFFu, 0xFF0000u);
    EXPECT_EQ(decoded->image.pixel(1, 0) & 0xFFFFFFu, 0x0000FFu);
}

TEST(DecodeTiffHostile, BrokenAndHugeFilesFailCleanly)
{
    const QByteArray good = tiffFile(baseTags(2, 2, {8, 8, 8}, 2), {QByteArray(12, '\x40')});
    for (qsizetype cut : {0, 4, 8, 20, 60})
        EXPECT_FALSE(decode(good.left(cut)).ok()) << cut;
    EXPECT_EQ(decode(tiffFile(baseTags(20000, 20000, {8}, 1), {QByteArray(16, '\0')})).error(), picture::kTooLarge);
}

} // namespace
} // namespace lumeria
